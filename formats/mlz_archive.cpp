#include "formats/mlz_archive.h"

#include <cstring>

#include "formats/lzss.h"
#include "formats/mlz_writer.h"
#include "formats/sjis.h"

namespace formats {

namespace {

constexpr char kMagic[4] = {'R', 'L', 'Z', '2'};

void SetError(std::string* error, std::string text) {
    if (error != nullptr) *error = std::move(text);
}

}  // namespace

const MlzEntry* MlzDirectory::Find(std::string_view name) const {
    for (const MlzEntry& entry : entries) {
        if (SjisEqualNoCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

bool ParseMlzHeader(ByteSpan bytes, uint32_t* entryCount, std::string* error) {
    if (!HasRange(bytes, 0, kMlzHeaderSize)) {
        SetError(error, "file too short for an archive header");
        return false;
    }
    if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
        SetError(error, "not an archive (no RLZ2 magic)");
        return false;
    }
    *entryCount = ReadLe32(bytes, 4);
    return true;
}

bool ParseMlzDirectory(ByteSpan bytes, uint64_t fileSize, MlzDirectory* directory,
                       std::string* error) {
    uint32_t count = 0;
    if (!ParseMlzHeader(bytes, &count, error)) return false;
    uint64_t directoryBytes = MlzDirectoryBytes(count);
    if (directoryBytes > fileSize || !HasRange(bytes, 0, directoryBytes)) {
        SetError(error, "directory of " + std::to_string(count) +
                            " entries runs past the end of the file");
        return false;
    }
    MlzDirectory parsed;
    parsed.declaredFileSize = ReadLe32(bytes, 8);
    parsed.entries.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        size_t at = kMlzHeaderSize + kMlzEntrySize * size_t{i};
        MlzEntry entry;
        const char* name = reinterpret_cast<const char*>(bytes.data() + at);
        entry.name.assign(name, strnlen(name, kMlzNameField));
        entry.storedSize = ReadLe32(bytes, at + 64);
        entry.unpackedSize = ReadLe32(bytes, at + 68);
        entry.method = ReadLe32(bytes, at + 72);
        entry.dataOffset = ReadLe32(bytes, at + 76);
        uint64_t end = directoryBytes + entry.dataOffset + uint64_t{entry.storedSize};
        if (end > fileSize) {
            SetError(error, "entry " + std::to_string(i) + " (" + entry.name +
                                ") runs past the end of the file");
            return false;
        }
        if (entry.IsCompressed() && entry.unpackedSize > LzssMaxDecodedSize(entry.storedSize)) {
            SetError(error, "entry " + std::to_string(i) + " (" + entry.name +
                                ") claims more unpacked bytes than its data can hold");
            return false;
        }
        parsed.entries.push_back(std::move(entry));
    }
    *directory = std::move(parsed);
    return true;
}

bool UnpackMlzEntry(const MlzEntry& entry, ByteSpan stored, ByteVector* unpacked,
                    std::string* error) {
    if (stored.size() != entry.storedSize) {
        SetError(error, "short read of entry " + entry.name);
        return false;
    }
    if (!entry.IsCompressed()) {
        unpacked->assign(stored.begin(), stored.end());
        return true;
    }
    if (entry.unpackedSize > LzssMaxDecodedSize(entry.storedSize)) {
        SetError(error,
                 "entry " + entry.name + " claims more unpacked bytes than its data can hold");
        return false;
    }
    ByteVector result(entry.unpackedSize);
    size_t produced = LzssDecode(result, stored);
    if (produced != entry.unpackedSize) {
        SetError(error, "entry " + entry.name + " decodes to " + std::to_string(produced) +
                            " bytes instead of " + std::to_string(entry.unpackedSize));
        return false;
    }
    *unpacked = std::move(result);
    return true;
}

bool MlzArchiveBuilder::AddEntry(std::string_view name, ByteSpan data, MlzMethod method,
                                 std::string* error) {
    if (name.empty() || name.size() > kMlzMaxNameLength ||
        name.find('\0') != std::string_view::npos) {
        SetError(error, "entry name '" + std::string(name) + "' is empty or longer than " +
                            std::to_string(kMlzMaxNameLength) + " bytes");
        return false;
    }
    if (data.size() > UINT32_MAX) {
        SetError(error, "entry " + std::string(name) + " is larger than 4 GiB");
        return false;
    }
    Pending pending{std::string(name), static_cast<uint32_t>(data.size()), method, {}};
    pending.method = PackMlzEntryData(data, method, &pending.stored);
    uint64_t total = MlzDirectoryBytes(static_cast<uint32_t>(entries_.size() + 1)) + dataBytes_ +
                     pending.stored.size();
    if (total > UINT32_MAX) {
        SetError(error, "archive would pass 4 GiB at entry " + pending.name);
        return false;
    }
    dataBytes_ += pending.stored.size();
    entries_.push_back(std::move(pending));
    return true;
}

ByteVector MlzArchiveBuilder::Finish() const {
    uint32_t count = static_cast<uint32_t>(entries_.size());
    uint64_t total = MlzDirectoryBytes(count) + dataBytes_;
    ByteVector out(kMlzHeaderSize, 0);
    out.reserve(static_cast<size_t>(total));
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    StoreLe32(out.data() + 4, count);
    StoreLe32(out.data() + 8, static_cast<uint32_t>(total));
    uint32_t offset = 0;
    for (const Pending& entry : entries_) {
        size_t at = out.size();
        out.resize(at + kMlzEntrySize, 0);
        std::memcpy(out.data() + at, entry.name.data(), entry.name.size());
        StoreLe32(out.data() + at + 64, static_cast<uint32_t>(entry.stored.size()));
        StoreLe32(out.data() + at + 68, entry.unpackedSize);
        StoreLe32(out.data() + at + 72, static_cast<uint32_t>(entry.method));
        StoreLe32(out.data() + at + 76, offset);
        offset += static_cast<uint32_t>(entry.stored.size());
    }
    for (const Pending& entry : entries_)
        out.insert(out.end(), entry.stored.begin(), entry.stored.end());
    return out;
}

}  // namespace formats
