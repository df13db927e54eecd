#include "formats/short_sound.h"

namespace formats {

namespace {

bool Refuse(std::string* why, const char* reason) {
    if (why != nullptr) *why = reason;
    return false;
}

}  // namespace

bool IsShortSound(ByteSpan bytes) {
    return bytes.size() >= 4 && bytes[0] == 'M' && bytes[1] == 'W' && bytes[2] == 'F' &&
           bytes[3] == '0';
}

bool ParseShortSound(ByteSpan bytes, WaveInfo* info, std::string* why) {
    if (!IsShortSound(bytes)) return Refuse(why, "not a short sound (no MWF0 magic)");
    if (bytes.size() < kShortSoundHeaderSize) return Refuse(why, "header cut short");
    const uint32_t headerSize = ReadLe32(bytes, 8);
    const uint32_t pcmBytes = ReadLe32(bytes, 12);
    if (headerSize < kShortSoundHeaderSize || headerSize > bytes.size())
        return Refuse(why, "header size does not fit the file");
    if (pcmBytes == 0 || !HasRange(bytes, headerSize, pcmBytes))
        return Refuse(why, "sound data runs past the end of the file");
    WaveInfo result;
    const size_t f = kShortSoundFormatOffset;
    result.formatTag = ReadLe16(bytes, f);
    result.channels = ReadLe16(bytes, f + 2);
    result.sampleRate = ReadLe32(bytes, f + 4);
    result.bytesPerSecond = ReadLe32(bytes, f + 8);
    result.blockAlign = ReadLe16(bytes, f + 12);
    result.bitsPerSample = ReadLe16(bytes, f + 14);
    if (result.formatTag != 1) return Refuse(why, "not PCM");
    if (result.channels < 1 || result.channels > 2) return Refuse(why, "not one or two channels");
    if (result.sampleRate == 0) return Refuse(why, "sample rate 0");
    result.dataOffset = headerSize;
    result.dataSize = pcmBytes;
    *info = result;
    return true;
}

}  // namespace formats
