#pragma once
// Shift-JIS byte-string helpers. Every text of the system is a Shift-JIS byte
// string; a search for an ASCII character must skip the second byte of a
// double-byte character, because trail bytes range over 0x40..0xFC and so
// include '\\' (0x5C) and the ASCII letters.
//
// Header-only on purpose: the device-path layer below the formats uses the
// same comparison without linking the formats library.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace formats {

inline constexpr size_t kSjisNotFound = std::string_view::npos;

inline bool IsSjisLead(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Position of the last single-byte character c, or kSjisNotFound.
inline size_t SjisFindLast(std::string_view text, char c) {
    size_t found = kSjisNotFound;
    for (size_t i = 0; i < text.size(); ++i) {
        uint8_t byte = static_cast<uint8_t>(text[i]);
        if (IsSjisLead(byte)) {
            ++i;  // the trail byte is never a character of its own
        } else if (text[i] == c) {
            found = i;
        }
    }
    return found;
}

inline size_t SjisFindLastDot(std::string_view text) {
    return SjisFindLast(text, '.');
}
inline size_t SjisFindLastBackslash(std::string_view text) {
    return SjisFindLast(text, '\\');
}

inline char FoldAsciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

// Equal when the strings have the same characters, ASCII letters compared
// without case and double-byte characters compared exactly as pairs.
inline bool SjisEqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        uint8_t byte = static_cast<uint8_t>(a[i]);
        if (IsSjisLead(byte)) {
            if (a[i] != b[i]) return false;
            ++i;
            if (i < a.size() && a[i] != b[i]) return false;
        } else if (FoldAsciiUpper(a[i]) != FoldAsciiUpper(b[i])) {
            return false;
        }
    }
    return true;
}

// The name with its extension (from the last '.') replaced by extension,
// which includes its dot. A name without a '.' after its last '\' gets the
// extension appended.
inline std::string SjisReplaceExtension(std::string_view name, std::string_view extension) {
    size_t dot = SjisFindLastDot(name);
    size_t backslash = SjisFindLastBackslash(name);
    if (dot == kSjisNotFound || (backslash != kSjisNotFound && dot < backslash)) {
        dot = name.size();
    }
    std::string result(name.substr(0, dot));
    result += extension;
    return result;
}

// The name with the extension forced to `extension` (".rbp", say): an
// extension equal to it without regard to ASCII case is kept as it is.
inline std::string SjisForceExtension(std::string_view name, std::string_view extension) {
    size_t dot = SjisFindLastDot(name);
    if (dot != kSjisNotFound && SjisEqualNoCase(name.substr(dot), extension))
        return std::string(name);
    return SjisReplaceExtension(name, extension);
}

}  // namespace formats
