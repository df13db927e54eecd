#pragma once
// Writes an MLZ archive to a file entry by entry, so that a converter never
// holds the whole archive in memory: a placeholder header and directory for
// the expected entry count first, the entries' data as they come, then the
// real header and directory. The file is written under a temporary name and
// renamed into place by Finish, so a failed run leaves any earlier archive
// untouched.
//
// Thread safety: one writer per thread.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/mlz_archive.h"

namespace formats {

// An entry's stored bytes: LZSS-compressed when asked, stored as it is when
// empty (the coder has nothing to encode). Returns the method used.
MlzMethod PackMlzEntryData(ByteSpan data, MlzMethod requested, ByteVector* stored);

class MlzArchiveWriter {
public:
    MlzArchiveWriter() = default;
    // Abandons an unfinished archive: the temporary file is removed.
    ~MlzArchiveWriter();
    MlzArchiveWriter(const MlzArchiveWriter&) = delete;
    MlzArchiveWriter& operator=(const MlzArchiveWriter&) = delete;

    // Starts the archive with room for `reservedEntries` directory entries.
    bool Create(const std::filesystem::path& path, uint32_t reservedEntries, std::string* error);

    // Appends one entry from its stored bytes. Refuses a name longer than 63
    // bytes or holding a NUL, more entries than reserved, and an archive
    // that would pass 4 GiB.
    bool Append(std::string_view name, ByteSpan stored, uint32_t unpackedSize, MlzMethod method,
                std::string* error);
    // Compresses (or stores) `data` and appends it.
    bool AppendData(std::string_view name, ByteSpan data, MlzMethod method, std::string* error);
    // A nameless entry without data that keeps its place in the directory.
    bool AppendEmpty(std::string* error);

    // Writes header and directory and moves the file into place. With fewer
    // entries than reserved, the data is moved down so the directory holds
    // exactly the entries appended.
    bool Finish(std::string* error);

    uint32_t EntryCount() const { return static_cast<uint32_t>(entries.size()); }
    uint32_t ReservedEntries() const { return reserved; }

private:
    void Abandon();

    std::filesystem::path target;
    std::filesystem::path temporary;
    std::FILE* file = nullptr;
    uint32_t reserved = 0;
    uint64_t dataBytes = 0;
    std::vector<MlzEntry> entries;
};

}  // namespace formats
