#include "platform/headless/input_script.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/gx.h"

namespace platform {

namespace {

constexpr int32_t kLandscapeWidth = 320;
constexpr int32_t kLandscapeHeight = 240;

std::string Upper(std::string_view word) {
    std::string result(word);
    for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

std::vector<std::string_view> SplitWords(std::string_view line) {
    std::vector<std::string_view> words;
    size_t position = 0;
    while (position < line.size()) {
        while (position < line.size() && std::isspace(static_cast<unsigned char>(line[position])))
            ++position;
        size_t start = position;
        while (position < line.size() && !std::isspace(static_cast<unsigned char>(line[position])))
            ++position;
        if (position > start) words.push_back(line.substr(start, position - start));
    }
    return words;
}

bool ParseKey(std::string_view word, uint16_t* code) {
    static const struct {
        const char* name;
        uint16_t code;
    } kKeys[] = {{"UP", kVkUp},       {"DOWN", kVkDown},   {"LEFT", kVkLeft},
                 {"RIGHT", kVkRight}, {"A", kVkA},         {"B", kVkB},
                 {"C", kVkC},         {"START", kVkStart}, {"CENTRE", kVkCentre}};
    std::string upper = Upper(word);
    for (const auto& key : kKeys) {
        if (upper == key.name) {
            *code = key.code;
            return true;
        }
    }
    return false;
}

template <typename Number>
bool ParseNumber(std::string_view word, Number* value) {
    const char* end = word.data() + word.size();
    auto [stop, failure] = std::from_chars(word.data(), end, *value);
    return failure == std::errc() && stop == end;
}

// One line's parser; reason is set when it returns false.
class LineParser {
public:
    LineParser(std::vector<std::string_view> words, std::vector<ScriptedMessage>* out)
        : words_(std::move(words)), out_(out) {}

    bool Parse(std::string* reason) {
        uint64_t time = 0;
        if (!ParseNumber(words_[0], &time)) return Fail(reason, "bad time", words_[0]);
        if (words_.size() < 2) return Fail(reason, "missing event");
        std::string event = Upper(words_[1]);
        size_t argumentCount = 0;
        if (event == "PRESS" || event == "DOWN" || event == "UP") {
            argumentCount = 1;
            uint16_t key = 0;
            if (words_.size() < 3) return Fail(reason, "missing key");
            if (!ParseKey(words_[2], &key)) return Fail(reason, "bad key", words_[2]);
            if (event != "UP") Add(time, kMsgKeyDown, key, 0);
            if (event == "PRESS") Add(time + kScriptHoldMs, kMsgKeyUp, key, 0);
            if (event == "UP") Add(time, kMsgKeyUp, key, 0);
        } else if (event == "TAP" || event == "TOUCH" || event == "MOVE" || event == "RELEASE") {
            argumentCount = 2;
            if (words_.size() < 4) return Fail(reason, "missing coordinate");
            int32_t x = 0, y = 0;
            if (!ParseNumber(words_[2], &x)) return Fail(reason, "bad number", words_[2]);
            if (!ParseNumber(words_[3], &y)) return Fail(reason, "bad number", words_[3]);
            if (x < 0 || x >= kLandscapeWidth || y < 0 || y >= kLandscapeHeight) {
                *reason = "point " + std::to_string(x) + " " + std::to_string(y) +
                          " is outside the 320x240 picture";
                return false;
            }
            int32_t point = LandscapeToMessagePoint(x, y);
            if (event == "TAP") {
                Add(time, kMsgStylusDown, 0, point);
                Add(time + kScriptHoldMs, kMsgStylusUp, 0, point);
            } else {
                uint32_t code = event == "TOUCH"  ? kMsgStylusDown
                                : event == "MOVE" ? kMsgStylusMove
                                                  : kMsgStylusUp;
                Add(time, code, 0, point);
            }
        } else if (event == "CLOSE") {
            Add(time, kMsgClose, 0, 0);
        } else {
            return Fail(reason, "unknown event", words_[1]);
        }
        if (words_.size() > 2 + argumentCount)
            return Fail(reason, "unexpected text", words_[2 + argumentCount]);
        return true;
    }

private:
    static bool Fail(std::string* reason, const char* what, std::string_view word = {}) {
        *reason = what;
        if (!word.empty()) *reason += " '" + std::string(word) + "'";
        return false;
    }

    void Add(uint64_t time, uint32_t code, uint32_t wParam, int32_t lParam) {
        ScriptedMessage event;
        event.timeMs = time;
        event.message.window = kScriptWindow;
        event.message.code = code;
        event.message.wParam = wParam;
        event.message.lParam = lParam;
        out_->push_back(event);
    }

    std::vector<std::string_view> words_;
    std::vector<ScriptedMessage>* out_;
};

}  // namespace

bool ParseInputScript(std::string_view text, const std::string& name,
                      std::vector<ScriptedMessage>* events, std::string* error) {
    std::vector<ScriptedMessage> parsed;
    size_t lineNumber = 0;
    size_t position = 0;
    while (position < text.size()) {
        size_t end = text.find('\n', position);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(position, end - position);
        position = end + 1;
        ++lineNumber;
        std::vector<std::string_view> words = SplitWords(line);
        if (words.empty() || words[0][0] == '#') continue;
        std::string reason;
        LineParser parser(std::move(words), &parsed);
        if (!parser.Parse(&reason)) {
            if (error != nullptr) *error = name + ":" + std::to_string(lineNumber) + ": " + reason;
            events->clear();
            return false;
        }
    }
    // Lines need not be in time order; equal times keep the order of the lines.
    std::stable_sort(
        parsed.begin(), parsed.end(),
        [](const ScriptedMessage& a, const ScriptedMessage& b) { return a.timeMs < b.timeMs; });
    *events = std::move(parsed);
    return true;
}

bool LoadInputScript(const std::string& path, std::vector<ScriptedMessage>* events,
                     std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error != nullptr) *error = path + ": cannot read the input script";
        events->clear();
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseInputScript(text.str(), path, events, error);
}

}  // namespace platform
