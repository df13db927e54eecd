#pragma once
// Where a voice line named by the script is stored: as MP3, in a subfolder
// named after the line's prefix. v\ab_0012.wav is found as v\ab\ab_0012.mp3,
// v\ab.wav as v\ab\ab.mp3. Names are Shift-JIS byte strings.

#include <string>
#include <string_view>

namespace sound {

std::string VoiceFileName(std::string_view scriptName);

}  // namespace sound
