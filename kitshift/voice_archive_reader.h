#pragma once
// "voice.dat", the PC title's voice archive: a 4-byte record count, then
// records of 52 bytes (a NUL-terminated name in 48 bytes and the offset of
// the record's data). A record's data runs to the next record's offset, the
// last one to the end of the file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_io.h"

namespace kitshift {

constexpr size_t kVoiceRecordSize = 52;
constexpr size_t kVoiceNameSize = 48;

struct VoiceRecord {
    std::string name;  // Shift-JIS bytes as stored
    uint32_t offset = 0;
    size_t size = 0;
    // False for a record whose offset lies outside the data area or below
    // an earlier record's: it has no data and its place stays empty.
    bool valid = false;
};

struct VoiceIndex {
    std::vector<VoiceRecord> records;
    // One line per record skipped or table cut short, for the job's log.
    std::vector<std::string> problems;
};

// Reads the table of "voice.dat". Every offset is checked: one past the end
// of the file, inside the table, or below the previous good record's is
// reported and its record skipped; the records around it keep their data.
// A count larger than the table the file holds keeps the records that are
// there. True when the file holds at least the count.
bool ReadVoiceIndex(formats::ByteSpan file, VoiceIndex* index);

// The data of one valid record; empty for a skipped one.
formats::ByteSpan VoiceRecordData(formats::ByteSpan file, const VoiceRecord& record);

}  // namespace kitshift
