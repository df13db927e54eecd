#include "kitshift/voice_archive_reader.h"

#include <cstring>

namespace kitshift {

using formats::ByteSpan;

bool ReadVoiceIndex(ByteSpan file, VoiceIndex* index) {
    index->records.clear();
    index->problems.clear();
    if (!formats::HasRange(file, 0, 4)) return false;
    uint64_t count = formats::ReadLe32(file, 0);
    uint64_t fitting = (file.size() - 4) / kVoiceRecordSize;
    if (count > fitting) {
        index->problems.push_back("the table claims " + std::to_string(count) +
                                  " records, the file holds " + std::to_string(fitting));
        count = fitting;
    }
    uint64_t dataStart = 4 + count * kVoiceRecordSize;
    uint64_t previous = dataStart;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* entry = file.data() + 4 + i * kVoiceRecordSize;
        VoiceRecord record;
        size_t nameLength = strnlen(reinterpret_cast<const char*>(entry), kVoiceNameSize);
        record.name.assign(reinterpret_cast<const char*>(entry), nameLength);
        record.offset = formats::ReadLe32(file, 4 + i * kVoiceRecordSize + kVoiceNameSize);
        if (record.offset < dataStart || record.offset > file.size()) {
            index->problems.push_back("record " + std::to_string(i) + " (" + record.name +
                                      "): offset " + std::to_string(record.offset) +
                                      " out of range, skipped");
        } else if (record.offset < previous) {
            index->problems.push_back("record " + std::to_string(i) + " (" + record.name +
                                      "): offset " + std::to_string(record.offset) +
                                      " below the previous record's, skipped");
        } else {
            record.valid = true;
            previous = record.offset;
        }
        index->records.push_back(std::move(record));
    }
    // Each good record ends where the next good one starts.
    uint64_t end = file.size();
    for (size_t i = index->records.size(); i-- > 0;) {
        VoiceRecord& record = index->records[i];
        if (!record.valid) continue;
        record.size = static_cast<size_t>(end - record.offset);
        end = record.offset;
    }
    return true;
}

ByteSpan VoiceRecordData(ByteSpan file, const VoiceRecord& record) {
    if (!record.valid || !formats::HasRange(file, record.offset, record.size)) return {};
    return file.subspan(record.offset, record.size);
}

}  // namespace kitshift
