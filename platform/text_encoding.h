#pragma once
// Conversion between the system's Shift-JIS texts (code page 932) and the
// host's UTF-8, used at the host boundary: file names on disk and messages on
// the console. Pure ASCII passes through without conversion.

#include <string>
#include <string_view>

namespace platform {

// False (and *out holding the input unchanged) when the text is not valid
// in the source encoding.
bool SjisToUtf8(std::string_view sjis, std::string* out);
bool Utf8ToSjis(std::string_view utf8, std::string* out);

// For display: the UTF-8 form, or the bytes as given when they do not convert.
std::string SjisForDisplay(std::string_view sjis);

}  // namespace platform
