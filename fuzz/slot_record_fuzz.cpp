// Decodes arbitrary save records; whatever is accepted must come back
// unchanged through the encoder and the decoder again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/persist/slot_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    persist::SlotRecord record;
    std::string why;
    if (!persist::DecodeSlotRecord(formats::ByteSpan(data, size), &record, &why)) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    formats::ByteVector bytes = persist::EncodeSlotRecord(record);
    persist::SlotRecord again;
    if (!persist::DecodeSlotRecord(bytes, &again, &why) || !(again == record)) __builtin_trap();
    return 0;
}
