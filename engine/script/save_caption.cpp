#include "engine/script/save_caption.h"

#include "formats/format_text.h"
#include "formats/sjis.h"

namespace script {

namespace {

bool FlagSet(const SaveCaptions::Flag& flag, const ScriptVariables& vars) {
    return flag.row >= 0 && vars.Flag(flag.row, flag.column) != 0;
}

std::string DateCaption(const SaveCaptions& captions, int32_t month, int32_t day, int64_t weekday) {
    // A weekday outside the week (a damaged calendar) names no day.
    const std::string none;
    const std::string& name =
        weekday >= 0 && weekday < SaveCaptions::kWeekdays ? captions.weekdays[weekday] : none;
    return formats::FormatText(captions.date.c_str(), {month, day, name});
}

}  // namespace

std::string SaveCaption(const SaveCaptions& captions, int dialect,
                        const std::array<int32_t, 3>& calendar, const ScriptVariables& vars,
                        std::string_view scenarioPath) {
    const int32_t month = calendar[0];
    const int32_t day = calendar[1];
    switch (dialect) {
        case 0:
            if (month == -1) return captions.ending;
            for (const SaveCaptions::Progress& progress : captions.progress) {
                if (FlagSet(progress.flag, vars)) return progress.label;
            }
            if (month != 0) return DateCaption(captions, month, day, calendar[2]);
            return captions.prologue;
        case 1:
            if (!captions.extraScript.empty() &&
                formats::SjisEqualNoCase(captions.extraScript, scenarioPath)) {
                return captions.extra;
            }
            return captions.story;
        default: {
            const uint8_t status =
                captions.statusFlag.row >= 0
                    ? vars.Flag(captions.statusFlag.row, captions.statusFlag.column)
                    : 0;
            if (status == 0) {
                return DateCaption(captions, month, day, (int64_t{calendar[2]} + 1) % 7);
            }
            return captions.status[status == 1 ? 0 : 1];
        }
    }
}

}  // namespace script
