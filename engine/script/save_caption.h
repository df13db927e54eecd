#pragma once
// The caption a slot save carries: where the story stands, in the words of
// the data set's caption table. The menu shows it beside the save time.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/script/data_set_tables.h"
#include "engine/script/script_state.h"

namespace script {

// calendar: month, day and weekday index of the running story. Shift-JIS;
// empty when the table has nothing for the case.
std::string SaveCaption(const SaveCaptions& captions, int dialect,
                        const std::array<int32_t, 3>& calendar, const ScriptVariables& vars,
                        std::string_view scenarioPath);

}  // namespace script
