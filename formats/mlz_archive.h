#pragma once
// The MLZ archive: a 16-byte header ("RLZ2", entry count, file size, 0), a
// directory of 84-byte entries, then the entries' data back to back. Pure
// functions over bytes; ArchiveReader (archive_reader.h) reads archives
// through the byte source it is given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_io.h"

namespace formats {

inline constexpr size_t kMlzHeaderSize = 16;
inline constexpr size_t kMlzEntrySize = 84;
inline constexpr size_t kMlzNameField = 64;
inline constexpr size_t kMlzMaxNameLength = kMlzNameField - 1;

enum class MlzMethod : uint32_t { kStored = 0, kLzss = 1 };

struct MlzEntry {
    std::string name;  // Shift-JIS, `\` separators
    uint32_t storedSize = 0;
    uint32_t unpackedSize = 0;
    uint32_t method = 0;      // 1 = LZSS; every other value reads as stored
    uint32_t dataOffset = 0;  // from the end of the directory

    bool IsCompressed() const { return method == static_cast<uint32_t>(MlzMethod::kLzss); }
};

struct MlzDirectory {
    uint32_t declaredFileSize = 0;  // the header's own claim, not trusted
    std::vector<MlzEntry> entries;

    // File offset where the data area begins: 16 + 84 × N.
    uint64_t DataStart() const { return kMlzHeaderSize + kMlzEntrySize * uint64_t{entries.size()}; }
    uint64_t AbsoluteOffset(const MlzEntry& entry) const { return DataStart() + entry.dataOffset; }

    // The first entry whose name equals `name` (ASCII case folded, double-byte
    // characters exact), in directory order; nullptr when there is none.
    const MlzEntry* Find(std::string_view name) const;
};

// Reads the entry count from the 16-byte header; false for a short file or a
// wrong magic.
bool ParseMlzHeader(ByteSpan bytes, uint32_t* entryCount, std::string* error);

// Bytes the header and directory occupy for `entryCount` entries.
inline uint64_t MlzDirectoryBytes(uint32_t entryCount) {
    return kMlzHeaderSize + kMlzEntrySize * uint64_t{entryCount};
}

// Parses header and directory. fileSize is the archive's real length: every
// entry's data range must lie inside it, and a compressed entry may not
// promise more bytes than its stored data can decode to.
bool ParseMlzDirectory(ByteSpan headerAndDirectory, uint64_t fileSize, MlzDirectory* directory,
                       std::string* error);

// Unpacks one entry from its stored bytes; false when the data does not
// decode to exactly its unpacked size.
bool UnpackMlzEntry(const MlzEntry& entry, ByteSpan stored, ByteVector* unpacked,
                    std::string* error);

// Builds an archive in memory. Entries keep the order in which they are added.
class MlzArchiveBuilder {
public:
    // Compresses (kLzss) or copies the data. Refuses an empty or too long
    // name (more than 63 bytes) and an archive that would pass 4 GiB.
    bool AddEntry(std::string_view name, ByteSpan data, MlzMethod method, std::string* error);

    size_t EntryCount() const { return entries_.size(); }

    // The complete archive file.
    ByteVector Finish() const;

private:
    struct Pending {
        std::string name;
        uint32_t unpackedSize;
        MlzMethod method;
        ByteVector stored;
    };
    std::vector<Pending> entries_;
    uint64_t dataBytes_ = 0;
};

}  // namespace formats
