#include "engine/script/read_flags.h"

#include "formats/sjis.h"

namespace script {

void ReadFlags::MarkRead(std::string_view scenarioPath, int32_t messageNumber) {
    if (messageNumber < 0 || messageNumber >= kReadFlagBits) return;
    ReadFlagRecord* record = nullptr;
    for (ReadFlagRecord& candidate : records_) {
        if (formats::SjisEqualNoCase(candidate.scenarioPath, scenarioPath)) {
            record = &candidate;
            break;
        }
    }
    if (record == nullptr) {
        records_.push_back(ReadFlagRecord{std::string(scenarioPath), {}});
        record = &records_.back();
    }
    record->bits[messageNumber / 8] |= static_cast<uint8_t>(1u << (messageNumber % 8));
}

bool ReadFlags::IsRead(std::string_view scenarioPath, int32_t messageNumber) const {
    if (messageNumber < 0 || messageNumber >= kReadFlagBits) return false;
    for (const ReadFlagRecord& record : records_) {
        if (formats::SjisEqualNoCase(record.scenarioPath, scenarioPath)) {
            return (record.bits[messageNumber / 8] >> (messageNumber % 8)) & 1;
        }
    }
    return false;
}

}  // namespace script
