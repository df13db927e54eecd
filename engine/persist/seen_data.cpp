#include "engine/persist/seen_data.h"

#include <algorithm>
#include <cstring>

#include "formats/sjis.h"

namespace persist {
namespace {

constexpr char kNameSetsMagic[4] = {'M', 'M', 'G', '1'};

void AppendSet(formats::ByteVector& out, const std::vector<std::string>& names) {
    // Gathered first: the byte total comes before the names.
    formats::ByteVector gathered;
    for (const std::string& name : names) {
        gathered.insert(gathered.end(), name.begin(), name.end());
        gathered.push_back(0);
    }
    formats::AppendLe32(out, static_cast<uint32_t>(names.size()));
    formats::AppendLe32(out, static_cast<uint32_t>(gathered.size()));
    out.insert(out.end(), gathered.begin(), gathered.end());
}

bool ReadSet(formats::ByteSpan bytes, size_t* offset, std::vector<std::string>* names,
             std::string* why) {
    if (!formats::HasRange(bytes, *offset, 8)) {
        *why = "name set header cut short";
        return false;
    }
    uint32_t count = formats::ReadLe32(bytes, *offset);
    uint32_t total = formats::ReadLe32(bytes, *offset + 4);
    *offset += 8;
    if (!formats::HasRange(bytes, *offset, total)) {
        *why = "name set larger than the file";
        return false;
    }
    // Every name takes at least its terminator.
    if (count > total) {
        *why = "more names than bytes";
        return false;
    }
    formats::ByteSpan area = bytes.subspan(*offset, total);
    size_t position = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const void* end = std::memchr(area.data() + position, 0, area.size() - position);
        if (end == nullptr) {
            *why = "name not terminated inside its set";
            return false;
        }
        size_t length = static_cast<const uint8_t*>(end) - (area.data() + position);
        if (length == 0 || length > kMaxSeenName) {
            *why = "empty or overlong name";
            return false;
        }
        names->emplace_back(reinterpret_cast<const char*>(area.data() + position), length);
        position += length + 1;
    }
    if (position != total) {
        *why = "byte total does not match the names";
        return false;
    }
    *offset += total;
    return true;
}

}  // namespace

bool ContainsSeenName(const std::vector<std::string>& set, std::string_view name) {
    return std::any_of(set.begin(), set.end(), [name](const std::string& seen) {
        return formats::SjisEqualNoCase(seen, name);
    });
}

bool AddSeenName(std::vector<std::string>& set, std::string_view name) {
    if (ContainsSeenName(set, name)) return false;
    set.emplace_back(name);
    return true;
}

formats::ByteVector EncodeNameSets(const NameSets& sets) {
    formats::ByteVector out(std::begin(kNameSetsMagic), std::end(kNameSetsMagic));
    AppendSet(out, sets.images);
    AppendSet(out, sets.scripts);
    return out;
}

bool DecodeNameSets(formats::ByteSpan bytes, NameSets* sets, std::string* why) {
    if (!formats::HasRange(bytes, 0, 4) || std::memcmp(bytes.data(), kNameSetsMagic, 4) != 0) {
        *why = "not a name-set file (bad magic)";
        return false;
    }
    NameSets result;
    size_t offset = 4;
    if (!ReadSet(bytes, &offset, &result.images, why) ||
        !ReadSet(bytes, &offset, &result.scripts, why)) {
        return false;
    }
    if (offset != bytes.size()) {
        *why = "bytes after the second name set";
        return false;
    }
    *sets = std::move(result);
    return true;
}

formats::ByteVector EncodeReadFlagFile(const std::vector<ReadFlagEntry>& entries) {
    formats::ByteVector out;
    formats::AppendLe32(out, static_cast<uint32_t>(entries.size()));
    for (const ReadFlagEntry& entry : entries) {
        out.insert(out.end(), entry.scriptName.begin(), entry.scriptName.end());
        out.push_back(0);
        out.insert(out.end(), entry.bits.begin(), entry.bits.end());
    }
    return out;
}

bool DecodeReadFlagFile(formats::ByteSpan bytes, std::vector<ReadFlagEntry>* entries,
                        std::string* why) {
    if (!formats::HasRange(bytes, 0, 4)) {
        *why = "read-flag file cut short";
        return false;
    }
    uint32_t count = formats::ReadLe32(bytes, 0);
    // Each entry takes at least a terminator and its flags.
    if (count > (bytes.size() - 4) / (kReadFlagBytes + 1)) {
        *why = "more entries than the file can hold";
        return false;
    }
    std::vector<ReadFlagEntry> result;
    result.reserve(count);
    size_t offset = 4;
    for (uint32_t i = 0; i < count; ++i) {
        const void* end = std::memchr(bytes.data() + offset, 0, bytes.size() - offset);
        if (end == nullptr) {
            *why = "script name not terminated";
            return false;
        }
        size_t length = static_cast<const uint8_t*>(end) - (bytes.data() + offset);
        if (length == 0 || length > kMaxSeenName) {
            *why = "empty or overlong script name";
            return false;
        }
        if (!formats::HasRange(bytes, offset + length + 1, kReadFlagBytes)) {
            *why = "read flags cut short";
            return false;
        }
        ReadFlagEntry entry;
        entry.scriptName.assign(reinterpret_cast<const char*>(bytes.data() + offset), length);
        offset += length + 1;
        std::memcpy(entry.bits.data(), bytes.data() + offset, kReadFlagBytes);
        offset += kReadFlagBytes;
        result.push_back(std::move(entry));
    }
    if (offset != bytes.size()) {
        *why = "bytes after the last entry";
        return false;
    }
    *entries = std::move(result);
    return true;
}

}  // namespace persist
