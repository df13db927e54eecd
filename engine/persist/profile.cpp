#include "engine/persist/profile.h"

#include <cstdio>

#include "formats/sjis.h"
#include "platform/device_file.h"
#include "platform/device_path.h"
#include "platform/host_files.h"

namespace persist {

namespace {

// A name (section or key) as the file spells it: spaces and tabs dropped,
// double-quoted parts kept verbatim without their quotes. Scanning stops at
// `stop` outside quotes; *stopAt is its index, or npos when there is none.
std::string TakeName(std::string_view text, char stop, size_t* stopAt) {
    std::string name;
    bool quoted = false;
    *stopAt = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (formats::IsSjisLead(static_cast<uint8_t>(c)) && i + 1 < text.size()) {
            name += c;
            name += text[++i];
            continue;
        }
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == stop) {
            *stopAt = i;
            return name;
        } else if (quoted || (c != ' ' && c != '\t')) {
            name += c;
        }
    }
    return name;
}

// A string value: the quotes go, nothing else changes.
std::string Unquote(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (formats::IsSjisLead(static_cast<uint8_t>(c)) && i + 1 < value.size()) {
            out += c;
            out += value[++i];
        } else if (c != '"') {
            out += c;
        }
    }
    return out;
}

size_t CountCharacters(std::string_view text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i, ++count) {
        if (formats::IsSjisLead(static_cast<uint8_t>(text[i])) && i + 1 < text.size()) ++i;
    }
    return count;
}

bool IsSectionLine(std::string_view line) {
    return !line.empty() && line[0] == '[';
}

std::string SectionName(std::string_view line) {
    size_t stopAt;
    return TakeName(line.substr(1), ']', &stopAt);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int32_t ProfileCache::ParseInt(std::string_view value) {
    // Unsigned arithmetic: a number too long for 32 bits wraps instead of
    // overflowing.
    uint32_t result = 0;
    size_t i = 0;
    if (value.size() >= 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        for (i = 2; i < value.size() && HexDigit(value[i]) >= 0; ++i) {
            result = result * 16 + static_cast<uint32_t>(HexDigit(value[i]));
        }
        return static_cast<int32_t>(result);
    }
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        result = result * 10 + static_cast<uint32_t>(value[i] - '0');
    }
    return static_cast<int32_t>(negative ? 0u - result : result);
}

std::vector<std::string> ProfileCache::SplitLines(std::string_view bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(bytes.substr(start));
            break;
        }
        lines.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return lines;
}

void ProfileCache::Select(std::string_view file) {
    if (loaded_ && path_ == file) return;
    if (loaded_) FlushProfile();
    path_ = file;
    loaded_ = true;
    changed_ = false;
    std::vector<uint8_t> bytes;
    // A missing or unreadable file reads as an empty one.
    if (platform::ReadWholeFile(path_, &bytes)) {
        lines_ =
            SplitLines(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    } else {
        lines_.clear();
    }
}

long ProfileCache::FindEntry(std::string_view section, std::string_view key,
                             size_t* valueStart) const {
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (IsSectionLine(line)) {
            // Only the first section of a name counts.
            if (inSection) return -1;
            inSection = formats::SjisEqualNoCase(SectionName(line), section);
            continue;
        }
        if (!inSection) continue;
        size_t equals;
        std::string name = TakeName(line, '=', &equals);
        if (equals == std::string::npos || !formats::SjisEqualNoCase(name, key)) continue;
        *valueStart = equals + 1;
        return static_cast<long>(i);
    }
    return -1;
}

int32_t ProfileCache::GetProfileInt(std::string_view section, std::string_view key,
                                    int32_t defaultValue, std::string_view file) {
    Select(file);
    size_t valueStart = 0;
    long index = FindEntry(section, key, &valueStart);
    if (index < 0) return defaultValue;
    std::string_view value = std::string_view(lines_[index]).substr(valueStart);
    if (value.empty()) return defaultValue;
    return ParseInt(value);
}

size_t ProfileCache::GetProfileString(std::string_view section, std::string_view key,
                                      std::string_view defaultValue, std::string* out,
                                      size_t maxLength, std::string_view file) {
    Select(file);
    *out = std::string(defaultValue);
    size_t valueStart = 0;
    long index = FindEntry(section, key, &valueStart);
    if (index < 0) return out->size();
    std::string_view raw = std::string_view(lines_[index]).substr(valueStart);
    if (raw.empty()) return out->size();
    std::string value = Unquote(raw);
    if (CountCharacters(value) > maxLength) return out->size();
    *out = std::move(value);
    return out->size();
}

void ProfileCache::WriteProfileString(std::string_view section, std::string_view key,
                                      std::string_view value, std::string_view file) {
    Select(file);
    changed_ = true;
    std::string entry = std::string(key) + "=" + std::string(value);
    size_t valueStart = 0;
    long index = FindEntry(section, key, &valueStart);
    if (index >= 0) {
        lines_[index] = std::move(entry);
        return;
    }
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (IsSectionLine(lines_[i]) && formats::SjisEqualNoCase(SectionName(lines_[i]), section)) {
            lines_.insert(lines_.begin() + static_cast<long>(i) + 1, std::move(entry));
            return;
        }
    }
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::move(entry));
}

bool ProfileCache::FlushProfile() {
    bool written = true;
    if (loaded_ && changed_) {
        std::string bytes;
        for (const std::string& line : lines_) bytes += line + "\r\n";
        std::string host = platform::DeviceToHostPath(path_);
        std::string why;
        written = platform::WriteHostFileAtomically(
            host, formats::ByteSpan(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
            &why);
        if (!written) std::fprintf(stderr, "mirelo: %s: %s\n", host.c_str(), why.c_str());
    }
    ResetProfile();
    return written;
}

void ProfileCache::AdoptProfile(std::string_view file, std::string_view bytes) {
    if (loaded_) FlushProfile();
    path_ = file;
    loaded_ = true;
    changed_ = false;
    lines_ = SplitLines(bytes);
}

void ProfileCache::ResetProfile() {
    path_.clear();
    lines_.clear();
    loaded_ = false;
    changed_ = false;
}

}  // namespace persist
