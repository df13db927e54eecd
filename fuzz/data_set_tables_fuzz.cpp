// Parses arbitrary bytes as the data set's table file. A refusal names its
// line; an accepted file keeps every table within its bounds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/script/data_set_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    script::DataSetTables tables;
    std::string error;
    if (!script::ParseDataSetTables(text, &tables, &error)) {
        // "LINE: reason", the line a number from 1.
        if (error.empty() || error[0] < '1' || error[0] > '9' ||
            error.find(": ") == std::string::npos)
            __builtin_trap();
        return 0;
    }
    if (tables.mapPlaces.size() > script::kMapPlaceRows) __builtin_trap();
    if (tables.nameToken.size() != 0 && tables.nameToken.size() != 6) __builtin_trap();
    for (const script::PlaceName& place : tables.placeNames) {
        if (place.index < 0 || place.backgroundPath.empty()) __builtin_trap();
    }
    return 0;
}
