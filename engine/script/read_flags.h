#pragma once
// Which messages of which scenario the reader has seen: one record of 512
// bits per scenario path, bit n for message number n.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace script {

inline constexpr int32_t kReadFlagBits = 512;

struct ReadFlagRecord {
    std::string scenarioPath;  // Shift-JIS
    std::array<uint8_t, kReadFlagBits / 8> bits{};
};

class ReadFlags {
public:
    // Numbers below 0 or of 512 and above are ignored.
    void MarkRead(std::string_view scenarioPath, int32_t messageNumber);
    // False for an unknown scenario and for numbers outside 0..511.
    bool IsRead(std::string_view scenarioPath, int32_t messageNumber) const;

    // For the read-message file.
    const std::vector<ReadFlagRecord>& Records() const { return records_; }
    std::vector<ReadFlagRecord>& Records() { return records_; }

private:
    std::vector<ReadFlagRecord> records_;
};

}  // namespace script
