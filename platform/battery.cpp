#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace platform {

namespace {

// The first line of a small attribute file, without trailing white space.
bool ReadAttribute(const std::filesystem::path& path, std::string* value) {
    std::ifstream in(path);
    if (!in || !std::getline(in, *value)) return false;
    while (!value->empty() && (value->back() == '\r' || value->back() == ' ' ||
                               value->back() == '\t' || value->back() == '\n'))
        value->pop_back();
    return true;
}

}  // namespace

int ReadBatteryPercent(const std::string& powerSupplyFolder) {
    constexpr int kUnknown = 100;
    std::error_code failure;
    std::vector<std::filesystem::path> supplies;
    for (std::filesystem::directory_iterator entry(powerSupplyFolder, failure), end;
         !failure && entry != end; entry.increment(failure))
        supplies.push_back(entry->path());
    // The folder's order is arbitrary; sorted, BAT0 comes before BAT1.
    std::sort(supplies.begin(), supplies.end());
    for (const auto& supply : supplies) {
        std::string type, scope, capacity;
        if (!ReadAttribute(supply / "type", &type) || type != "Battery") continue;
        // A wireless mouse or game pad reports its battery with scope "Device";
        // it says nothing about the machine's own charge.
        if (ReadAttribute(supply / "scope", &scope) && scope == "Device") continue;
        if (!ReadAttribute(supply / "capacity", &capacity)) continue;
        int percent = 0;
        const char* end = capacity.data() + capacity.size();
        auto [stop, parseError] = std::from_chars(capacity.data(), end, percent);
        if (parseError != std::errc() || stop != end) continue;
        return std::clamp(percent, 0, 100);
    }
    return kUnknown;
}

}  // namespace platform
