#include "formats/archive_reader.h"

#include "formats/sjis.h"

namespace formats {

std::unique_ptr<ByteSource> ArchiveReader::Open(std::string_view path, std::string* why) const {
    return opener_ ? opener_(path, why) : nullptr;
}

const MlzDirectory* ArchiveReader::OpenDirectory(std::string_view archivePath, Reload reload) {
    if (heldDirectory_ && reload == Reload::kIfChanged && SjisEqualNoCase(heldPath_, archivePath)) {
        archiveFailed_ = false;
        return heldDirectory_.get();
    }
    std::string path(archivePath);
    archiveFailed_ = true;
    lastError_ = "cannot be opened";
    auto file = Open(path, &lastError_);
    if (!file) return nullptr;
    ByteVector header(kMlzHeaderSize);
    uint32_t count = 0;
    if (file->ReadSomeAt(0, header) != header.size()) {
        lastError_ = "file too short for an archive header";
        return nullptr;
    }
    if (!ParseMlzHeader(header, &count, &lastError_)) return nullptr;
    uint64_t directoryBytes = MlzDirectoryBytes(count);
    if (directoryBytes > file->Size()) {
        lastError_ =
            "directory of " + std::to_string(count) + " entries runs past the end of the file";
        return nullptr;
    }
    ByteVector bytes(static_cast<size_t>(directoryBytes));
    if (!file->ReadAt(0, bytes)) {
        lastError_ = "short read of the directory";
        return nullptr;
    }
    auto directory = std::make_unique<MlzDirectory>();
    if (!ParseMlzDirectory(bytes, file->Size(), directory.get(), &lastError_)) return nullptr;
    archiveFailed_ = false;
    heldDirectory_ = std::move(directory);
    heldPath_ = std::move(path);
    return heldDirectory_.get();
}

const MlzEntry* ArchiveReader::FindEntry(std::string_view archivePath, std::string_view name) {
    const MlzDirectory* directory = OpenDirectory(archivePath);
    if (directory == nullptr) return nullptr;
    const MlzEntry* entry = directory->Find(name);
    if (entry == nullptr) lastError_ = "no such entry in the archive";
    return entry;
}

bool ArchiveReader::ReadEntry(std::string_view archivePath, std::string_view name,
                              ByteVector* bytes) {
    bytes->clear();
    const MlzEntry* entry = FindEntry(archivePath, name);
    if (entry == nullptr) return false;
    lastError_ = "cannot be opened";
    auto file = Open(heldPath_, &lastError_);
    if (!file) {
        archiveFailed_ = true;
        return false;
    }
    ByteVector stored(entry->storedSize);
    if (!file->ReadAt(heldDirectory_->AbsoluteOffset(*entry), stored)) {
        lastError_ = "short read of entry " + entry->name;
        return false;
    }
    return UnpackMlzEntry(*entry, stored, bytes, &lastError_);
}

std::unique_ptr<ByteSource> ArchiveReader::LocateEntry(std::string_view archivePath,
                                                       std::string_view name,
                                                       uint64_t* absoluteOffset,
                                                       uint32_t* storedSize) {
    const MlzEntry* entry = FindEntry(archivePath, name);
    if (entry == nullptr) return nullptr;
    if (entry->IsCompressed()) {
        lastError_ = "entry " + entry->name + " is compressed";
        return nullptr;
    }
    lastError_ = "cannot be opened";
    auto file = Open(heldPath_, &lastError_);
    if (!file) {
        archiveFailed_ = true;
        return nullptr;
    }
    *absoluteOffset = heldDirectory_->AbsoluteOffset(*entry);
    *storedSize = entry->storedSize;
    return file;
}

}  // namespace formats
