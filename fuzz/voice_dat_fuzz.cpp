// Feeds arbitrary bytes to the "voice.dat" reader: every record it keeps
// must lie inside the file, in increasing order.

#include <cstdint>
#include <cstdlib>

#include "kitshift/voice_archive_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan file(data, size);
    kitshift::VoiceIndex index;
    if (!kitshift::ReadVoiceIndex(file, &index)) return 0;
    uint64_t previous = 0;
    for (const kitshift::VoiceRecord& record : index.records) {
        if (!record.valid) continue;
        if (record.offset < previous || !formats::HasRange(file, record.offset, record.size)) {
            std::abort();
        }
        previous = record.offset + uint64_t{record.size};
        formats::ByteSpan bytes = kitshift::VoiceRecordData(file, record);
        volatile uint8_t sum = 0;
        for (uint8_t byte : bytes) sum = sum + byte;
    }
    return 0;
}
