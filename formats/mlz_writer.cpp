#include "formats/mlz_writer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "formats/lzss.h"

namespace formats {

namespace {

constexpr char kMagic[4] = {'R', 'L', 'Z', '2'};

void SetError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

bool WriteAt(std::FILE* file, uint64_t offset, const uint8_t* bytes, size_t size) {
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fwrite(bytes, 1, size, file) == size;
}

}  // namespace

MlzMethod PackMlzEntryData(ByteSpan data, MlzMethod requested, ByteVector* stored) {
    if (requested == MlzMethod::kLzss && !data.empty()) {
        stored->resize(data.size() * 2);
        int64_t written = LzssEncode(*stored, data);
        stored->resize(static_cast<size_t>(written));
        return MlzMethod::kLzss;
    }
    stored->assign(data.begin(), data.end());
    return MlzMethod::kStored;
}

MlzArchiveWriter::~MlzArchiveWriter() {
    Abandon();
}

void MlzArchiveWriter::Abandon() {
    if (file) {
        std::fclose(file);
        file = nullptr;
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
}

bool MlzArchiveWriter::Create(const std::filesystem::path& path, uint32_t reservedEntries,
                              std::string* error) {
    Abandon();
    if (MlzDirectoryBytes(reservedEntries) > UINT32_MAX) {
        SetError(error, "too many entries for one archive");
        return false;
    }
    target = path;
    temporary = path;
    temporary += ".part";
    file = std::fopen(temporary.c_str(), "w+b");
    if (!file) {
        SetError(error, std::string("cannot create: ") + std::strerror(errno));
        return false;
    }
    reserved = reservedEntries;
    dataBytes = 0;
    entries.clear();
    ByteVector placeholder(static_cast<size_t>(MlzDirectoryBytes(reserved)), 0);
    std::memcpy(placeholder.data(), kMagic, sizeof kMagic);
    StoreLe32(placeholder.data() + 4, reserved);
    if (std::fwrite(placeholder.data(), 1, placeholder.size(), file) != placeholder.size()) {
        SetError(error, std::string("cannot write: ") + std::strerror(errno));
        Abandon();
        return false;
    }
    return true;
}

bool MlzArchiveWriter::Append(std::string_view name, ByteSpan stored, uint32_t unpackedSize,
                              MlzMethod method, std::string* error) {
    if (!file) {
        SetError(error, "archive not open");
        return false;
    }
    if (name.size() > kMlzMaxNameLength || name.find('\0') != std::string_view::npos) {
        SetError(error, "entry name '" + std::string(name) + "' is longer than " +
                            std::to_string(kMlzMaxNameLength) + " bytes");
        return false;
    }
    if (entries.size() >= reserved) {
        SetError(error, "more entries than the directory holds");
        return false;
    }
    if (MlzDirectoryBytes(reserved) + dataBytes + stored.size() > UINT32_MAX) {
        SetError(error, "archive would pass 4 GiB at entry " + std::string(name));
        return false;
    }
    if (!WriteAt(file, MlzDirectoryBytes(reserved) + dataBytes, stored.data(), stored.size())) {
        SetError(error, std::string("cannot write: ") + std::strerror(errno));
        return false;
    }
    MlzEntry entry;
    entry.name = std::string(name);
    entry.storedSize = static_cast<uint32_t>(stored.size());
    entry.unpackedSize = unpackedSize;
    entry.method = static_cast<uint32_t>(method);
    entry.dataOffset = static_cast<uint32_t>(dataBytes);
    entries.push_back(std::move(entry));
    dataBytes += stored.size();
    return true;
}

bool MlzArchiveWriter::AppendData(std::string_view name, ByteSpan data, MlzMethod method,
                                  std::string* error) {
    if (data.size() > UINT32_MAX) {
        SetError(error, "entry " + std::string(name) + " is larger than 4 GiB");
        return false;
    }
    ByteVector stored;
    MlzMethod used = PackMlzEntryData(data, method, &stored);
    return Append(name, stored, static_cast<uint32_t>(data.size()), used, error);
}

bool MlzArchiveWriter::AppendEmpty(std::string* error) {
    return Append({}, {}, 0, MlzMethod::kStored, error);
}

bool MlzArchiveWriter::Finish(std::string* error) {
    if (!file) {
        SetError(error, "archive not open");
        return false;
    }
    uint32_t count = EntryCount();
    uint64_t oldStart = MlzDirectoryBytes(reserved);
    uint64_t newStart = MlzDirectoryBytes(count);
    bool ok = true;
    if (newStart < oldStart) {
        // Entries were dropped after the directory was sized: close the gap,
        // copying forward in chunks (the destination always lies below).
        ByteVector chunk(1 << 20);
        for (uint64_t done = 0; ok && done < dataBytes;) {
            size_t size = static_cast<size_t>(std::min<uint64_t>(chunk.size(), dataBytes - done));
            ok = std::fseek(file, static_cast<long>(oldStart + done), SEEK_SET) == 0 &&
                 std::fread(chunk.data(), 1, size, file) == size &&
                 WriteAt(file, newStart + done, chunk.data(), size);
            done += size;
        }
        ok = ok && std::fflush(file) == 0 &&
             ::ftruncate(fileno(file), static_cast<off_t>(newStart + dataBytes)) == 0;
    }
    ByteVector head(static_cast<size_t>(newStart), 0);
    std::memcpy(head.data(), kMagic, sizeof kMagic);
    StoreLe32(head.data() + 4, count);
    StoreLe32(head.data() + 8, static_cast<uint32_t>(newStart + dataBytes));
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t* at = head.data() + kMlzHeaderSize + kMlzEntrySize * i;
        const MlzEntry& entry = entries[i];
        std::memcpy(at, entry.name.data(), entry.name.size());
        StoreLe32(at + 64, entry.storedSize);
        StoreLe32(at + 68, entry.unpackedSize);
        StoreLe32(at + 72, entry.method);
        StoreLe32(at + 76, entry.dataOffset);
    }
    ok = ok && WriteAt(file, 0, head.data(), head.size()) && std::fflush(file) == 0;
    if (std::fclose(file) != 0) ok = false;
    file = nullptr;
    std::error_code renameError;
    if (ok) std::filesystem::rename(temporary, target, renameError);
    if (!ok || renameError) {
        SetError(error, std::string("cannot write: ") +
                            (renameError ? renameError.message() : std::strerror(errno)));
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

}  // namespace formats
