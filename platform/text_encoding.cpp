#include "platform/text_encoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

namespace platform {

namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

bool Convert(const char* to, const char* from, std::string_view in, std::string* out) {
    *out = std::string(in);
    if (IsAscii(in)) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string result(in.size() * 2 + 8, '\0');
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char* target = result.data();
    size_t targetLeft = result.size();
    bool ok = true;
    while (sourceLeft > 0) {
        if (iconv(cd, &source, &sourceLeft, &target, &targetLeft) != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG) {
            size_t used = result.size() - targetLeft;
            result.resize(result.size() * 2);
            target = result.data() + used;
            targetLeft = result.size() - used;
            continue;
        }
        ok = false;
        break;
    }
    iconv_close(cd);
    if (!ok) return false;
    result.resize(result.size() - targetLeft);
    *out = std::move(result);
    return true;
}

}  // namespace

bool SjisToUtf8(std::string_view sjis, std::string* out) {
    return Convert("UTF-8", "CP932", sjis, out);
}

bool Utf8ToSjis(std::string_view utf8, std::string* out) {
    return Convert("CP932", "UTF-8", utf8, out);
}

std::string SjisForDisplay(std::string_view sjis) {
    std::string text;
    SjisToUtf8(sjis, &text);
    return text;
}

}  // namespace platform
