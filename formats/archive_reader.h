#pragma once
// Reads entries of MLZ archives named by device paths, through the opener it
// is given (the platform's files, in the programs). One reader holds the
// directory of the archive it opened last and reuses it while the same
// archive (by name, without case) is asked for again, so that a run of reads
// from one archive touches its directory once.
//
// Thread safety: a reader belongs to one user (the graphics side and the
// sound player own one each) and is used by one thread at a time.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "formats/byte_source.h"
#include "formats/mlz_archive.h"

namespace formats {

class ArchiveReader {
public:
    enum class Reload { kIfChanged, kAlways };

    explicit ArchiveReader(ByteSourceOpener opener) : opener_(std::move(opener)) {}

    // The directory of the archive at archivePath, or nullptr. A directory
    // already held for the same path is returned without touching the file
    // unless kAlways is given. A failed open keeps what was held before.
    const MlzDirectory* OpenDirectory(std::string_view archivePath,
                                      Reload reload = Reload::kIfChanged);

    // The unpacked bytes of the first entry named `name`; false when the
    // archive, the entry or its data is missing or damaged.
    bool ReadEntry(std::string_view archivePath, std::string_view name, ByteVector* bytes);

    // For an entry stored as is: the archive opened anew, with the entry's
    // absolute data offset and stored size, for the caller to read or stream
    // from. nullptr for a compressed entry or a missing name.
    std::unique_ptr<ByteSource> LocateEntry(std::string_view archivePath, std::string_view name,
                                            uint64_t* absoluteOffset, uint32_t* storedSize);

    // Why the last call failed, for tools and logs.
    const std::string& LastError() const { return lastError_; }
    // The last call failed on the archive itself (missing, unreadable, not
    // an archive) rather than on one of its entries.
    bool LastErrorIsArchiveWide() const { return archiveFailed_; }

    const std::string& HeldPath() const { return heldPath_; }

private:
    std::unique_ptr<ByteSource> Open(std::string_view path, std::string* why) const;
    const MlzEntry* FindEntry(std::string_view archivePath, std::string_view name);

    ByteSourceOpener opener_;
    std::string heldPath_;
    std::unique_ptr<MlzDirectory> heldDirectory_;
    std::string lastError_;
    bool archiveFailed_ = false;
};

}  // namespace formats
