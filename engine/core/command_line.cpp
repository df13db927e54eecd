// The engine's command line: the usage text and the parser that turns the
// arguments into the start-up choices and the backend's options.

#include <algorithm>
#include <charconv>

#include "engine/core/startup.h"

namespace core {

const char kUsage[] =
    "usage: mirelo [--data DIR] [--scale N] [--fullscreen] [--scenario NAME --dialect D]\n"
    "       mirelo --headless [--data DIR] --until MS [--input FILE] [--shot-at MS,MS,...]\n"
    "              [--shot-every MS] [--shots DIR] [--audio-out FILE.wav]\n"
    "              [--scenario NAME --dialect D]\n"
    "\n"
    "  --data DIR       the program folder: mirelo.cfg, saves and the data folders 1/ and 2/\n"
    "                   (default: the folder of the mirelo executable when it holds them,\n"
    "                   else $XDG_DATA_HOME/mirelo, or ~/.local/share/mirelo)\n"
    "  --scale N        whole window scale factor of the 320 x 240 picture (default 3)\n"
    "  --fullscreen     start full screen (F11 or Alt+Enter switches at any time)\n"
    "  --scenario NAME  start a new game directly with GameData\\sinario\\NAME.MES from\n"
    "                   the scenario archive of dialect D (--dialect 0, 1 or 2)\n"
    "  --headless       no window and no sound device; a virtual clock that runs as fast\n"
    "                   as the machine allows\n"
    "  --until MS       headless: end the run at this virtual time\n"
    "  --input FILE     headless: scripted input, one event a line: 'MS press K', 'MS down K',\n"
    "                   'MS up K', 'MS tap X Y', 'MS touch X Y', 'MS move X Y',\n"
    "                   'MS release X Y', 'MS close'; keys UP DOWN LEFT RIGHT A B C START CENTRE\n"
    "  --shot-at LIST   headless: screenshots at these virtual times (ms, comma separated)\n"
    "  --shot-every MS  headless: a screenshot every MS milliseconds\n"
    "  --shots DIR      headless: folder for the screenshots shot-MMMMMM.png (default .)\n"
    "  --audio-out FILE headless: record everything the sound device plays as a WAV file\n"
    "\n"
    "Keys: arrows move, Enter/Space/Z confirm (C), X/Escape menu (B), A, S (Start),\n"
    "Tab (centre), Ctrl skips; the mouse is the stylus; F11 full screen; F12 screenshot.\n";

namespace {

bool ParseNumber(const std::string& text, uint32_t* value) {
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, *value);
    return result.ec == std::errc() && result.ptr == end && !text.empty();
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* out, std::string* error) {
    CommandLine parsed;
    bool untilGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* target) {
            if (i + 1 >= args.size()) {
                *error = arg + " needs a value";
                return false;
            }
            *target = args[++i];
            return true;
        };
        auto number = [&](uint32_t* target) {
            std::string text;
            if (!value(&text)) return false;
            if (!ParseNumber(text, target)) {
                *error = arg + ": '" + text + "' is not a whole number";
                return false;
            }
            return true;
        };
        uint32_t scratch = 0;
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg == "--version") {
            parsed.version = true;
        } else if (arg == "--headless") {
            parsed.headless = true;
        } else if (arg == "--scenario") {
            if (!value(&parsed.scenario)) return false;
        } else if (arg == "--dialect") {
            if (!number(&scratch)) return false;
            if (scratch > 2) {
                *error = "--dialect must be 0, 1 or 2";
                return false;
            }
            parsed.dialect = static_cast<int>(scratch);
        } else if (arg == "--fullscreen") {
            parsed.backend.fullScreen = true;
        } else if (arg == "--data") {
            if (!value(&parsed.dataFolder)) return false;
        } else if (arg == "--scale") {
            if (!number(&scratch)) return false;
            if (scratch < 1 || scratch > 16) {
                *error = "--scale must be between 1 and 16";
                return false;
            }
            parsed.backend.scale = static_cast<int>(scratch);
        } else if (arg == "--until") {
            if (!number(&parsed.backend.untilMs)) return false;
            untilGiven = true;
        } else if (arg == "--input") {
            if (!value(&parsed.backend.inputScriptPath)) return false;
        } else if (arg == "--shot-every") {
            if (!number(&parsed.backend.shotEveryMs)) return false;
            if (parsed.backend.shotEveryMs == 0) {
                *error = "--shot-every must be above 0";
                return false;
            }
        } else if (arg == "--shots") {
            if (!value(&parsed.backend.shotsFolder)) return false;
        } else if (arg == "--audio-out") {
            if (!value(&parsed.backend.audioOutPath)) return false;
        } else if (arg == "--shot-at") {
            std::string list;
            if (!value(&list)) return false;
            size_t start = 0;
            while (start <= list.size()) {
                size_t comma = list.find(',', start);
                std::string item = list.substr(
                    start, comma == std::string::npos ? std::string::npos : comma - start);
                if (!ParseNumber(item, &scratch)) {
                    *error = "--shot-at: '" + item + "' is not a time in ms";
                    return false;
                }
                parsed.backend.shotTimes.push_back(scratch);
                if (comma == std::string::npos) break;
                start = comma + 1;
            }
            std::sort(parsed.backend.shotTimes.begin(), parsed.backend.shotTimes.end());
        } else {
            *error = "unknown argument '" + arg + "'";
            return false;
        }
    }
    bool headlessOnly = untilGiven || !parsed.backend.inputScriptPath.empty() ||
                        !parsed.backend.shotTimes.empty() || parsed.backend.shotEveryMs != 0 ||
                        !parsed.backend.shotsFolder.empty() || !parsed.backend.audioOutPath.empty();
    if (headlessOnly && !parsed.headless && !parsed.help && !parsed.version) {
        *error =
            "--until, --input, --shot-at, --shot-every, --shots and --audio-out need --headless";
        return false;
    }
    if ((parsed.scenario.empty() != (parsed.dialect < 0)) && !parsed.help && !parsed.version) {
        *error = "--scenario and --dialect go together";
        return false;
    }
    if (parsed.headless && !untilGiven && !parsed.help && !parsed.version) {
        *error = "--headless needs --until MS";
        return false;
    }
    if (parsed.backend.shotsFolder.empty()) parsed.backend.shotsFolder = ".";
    *out = std::move(parsed);
    return true;
}

}  // namespace core
