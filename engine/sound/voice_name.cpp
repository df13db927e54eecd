#include "engine/sound/voice_name.h"

#include "formats/sjis.h"

namespace sound {

std::string VoiceFileName(std::string_view scriptName) {
    std::string name = formats::SjisReplaceExtension(scriptName, ".mp3");
    size_t backslash = formats::SjisFindLastBackslash(name);
    size_t elementStart = backslash == formats::kSjisNotFound ? 0 : backslash + 1;
    std::string_view element = std::string_view(name).substr(elementStart);
    // The prefix ends at the last '_', or at the '.' of the extension that
    // the replacement above guarantees.
    size_t prefixEnd = formats::SjisFindLast(element, '_');
    if (prefixEnd == formats::kSjisNotFound) prefixEnd = formats::SjisFindLastDot(element);
    std::string result = name.substr(0, elementStart);
    result += element.substr(0, prefixEnd);
    result += '\\';
    result += element;
    return result;
}

}  // namespace sound
