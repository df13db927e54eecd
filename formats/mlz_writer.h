#pragma once
// Writes an MLZ archive to a file entry by entry, so that a converter never
// holds the whole archive in memory: a placeholder header and directory for
// the expected entry count first, the entries' data as they come, then the
// real header and directory. The file is a staged sink from the opener the
// writer is given: it takes its name only when Finish succeeds, so a failed
// run leaves any earlier archive untouched.
//
// Thread safety: one writer per thread.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formats/byte_sink.h"
#include "formats/mlz_archive.h"

namespace formats {

// An entry's stored bytes: LZSS-compressed when asked, stored as it is when
// empty (the coder has nothing to encode). Returns the method used.
MlzMethod PackMlzEntryData(ByteSpan data, MlzMethod requested, ByteVector* stored);

class MlzArchiveWriter {
public:
    explicit MlzArchiveWriter(ByteSinkOpener opener) : opener_(std::move(opener)) {}
    // Abandons an unfinished archive: nothing appears under its name.
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

    uint32_t EntryCount() const { return static_cast<uint32_t>(entries_.size()); }
    uint32_t ReservedEntries() const { return reserved_; }
    // True once writing to the file failed (a full disk, say), as opposed to
    // one entry being refused: the archive cannot be finished.
    bool FileFailed() const { return fileFailed_; }

private:
    ByteSinkOpener opener_;
    std::unique_ptr<ByteSink> sink_;
    uint32_t reserved_ = 0;
    uint64_t dataBytes_ = 0;
    bool fileFailed_ = false;
    std::vector<MlzEntry> entries_;
};

}  // namespace formats
