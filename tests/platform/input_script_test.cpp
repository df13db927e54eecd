#include "platform/headless/input_script.h"

#include <gtest/gtest.h>

#include "platform/gx.h"

namespace {

using platform::ScriptedMessage;

std::vector<ScriptedMessage> Parse(const std::string& text) {
    std::vector<ScriptedMessage> events;
    std::string error;
    EXPECT_TRUE(platform::ParseInputScript(text, "in.txt", &events, &error)) << error;
    return events;
}

std::string ParseError(const std::string& text) {
    std::vector<ScriptedMessage> events{ScriptedMessage{}};
    std::string error;
    EXPECT_FALSE(platform::ParseInputScript(text, "in.txt", &events, &error));
    EXPECT_TRUE(events.empty());
    return error;
}

void ExpectEvent(const ScriptedMessage& event, uint64_t time, uint32_t code, uint32_t wParam,
                 int32_t lParam) {
    EXPECT_EQ(event.timeMs, time);
    EXPECT_EQ(event.message.window, 1u);
    EXPECT_EQ(event.message.code, code);
    EXPECT_EQ(event.message.wParam, wParam);
    EXPECT_EQ(event.message.lParam, lParam);
}

TEST(InputScript, KeysBecomeKeyMessages) {
    auto events = Parse(
        "# keys\n"
        "\n"
        "1200 press C\n"
        "   \t\n"
        "1500 down left\r\n"
        "2500 Up LEFT\n"
        "2600 down centre\n"
        "2700 DOWN start\n");
    ASSERT_EQ(events.size(), 6u);
    ExpectEvent(events[0], 1200, platform::kMsgKeyDown, platform::kVkC, 0);
    ExpectEvent(events[1], 1250, platform::kMsgKeyUp, platform::kVkC, 0);
    ExpectEvent(events[2], 1500, platform::kMsgKeyDown, platform::kVkLeft, 0);
    ExpectEvent(events[3], 2500, platform::kMsgKeyUp, platform::kVkLeft, 0);
    ExpectEvent(events[4], 2600, platform::kMsgKeyDown, platform::kVkCentre, 0);
    ExpectEvent(events[5], 2700, platform::kMsgKeyDown, platform::kVkStart, 0);
}

// Stylus points are landscape pixels and reach the engine as the portrait
// window point (y, 320 - x), from which it gets (x, y) back.
TEST(InputScript, StylusEventsCarryThePortraitPoint) {
    auto events = Parse(
        "3000 tap 160 120\n"
        "4000 touch 0 0\n"
        "4010 move 319 239\n"
        "4020 release 10 20\n"
        "5000 close\n");
    ASSERT_EQ(events.size(), 6u);
    int32_t centre = platform::PackPoint(120, 160);
    ExpectEvent(events[0], 3000, platform::kMsgStylusDown, 0, centre);
    ExpectEvent(events[1], 3050, platform::kMsgStylusUp, 0, centre);
    ExpectEvent(events[2], 4000, platform::kMsgStylusDown, 0, platform::PackPoint(0, 320));
    ExpectEvent(events[3], 4010, platform::kMsgStylusMove, 0, platform::PackPoint(239, 1));
    ExpectEvent(events[4], 4020, platform::kMsgStylusUp, 0, platform::PackPoint(20, 310));
    ExpectEvent(events[5], 5000, platform::kMsgClose, 0, 0);
    // The engine's conversion: x = 320 - window y, y = window x.
    EXPECT_EQ(320 - platform::PointY(events[4].message.lParam), 10);
    EXPECT_EQ(platform::PointX(events[4].message.lParam), 20);
}

// Lines need not be in time order; a press's key-up lands among later lines,
// and messages of equal time keep the order of their lines.
TEST(InputScript, SortsByTimeKeepingLineOrder) {
    auto events = Parse(
        "100 press A\n"
        "150 down B\n"
        "50 down C\n"
        "150 up C\n");
    ASSERT_EQ(events.size(), 5u);
    ExpectEvent(events[0], 50, platform::kMsgKeyDown, platform::kVkC, 0);
    ExpectEvent(events[1], 100, platform::kMsgKeyDown, platform::kVkA, 0);
    ExpectEvent(events[2], 150, platform::kMsgKeyUp, platform::kVkA, 0);
    ExpectEvent(events[3], 150, platform::kMsgKeyDown, platform::kVkB, 0);
    ExpectEvent(events[4], 150, platform::kMsgKeyUp, platform::kVkC, 0);
    EXPECT_TRUE(Parse("").empty());
}

TEST(InputScript, MistakesNameTheFileAndLine) {
    EXPECT_EQ(ParseError("100 press C\n\n100 jump\n"), "in.txt:3: unknown event 'jump'");
    EXPECT_EQ(ParseError("100 press Q\n"), "in.txt:1: bad key 'Q'");
    EXPECT_EQ(ParseError("1x0 press C\n"), "in.txt:1: bad time '1x0'");
    EXPECT_EQ(ParseError("-5 press C\n"), "in.txt:1: bad time '-5'");
    EXPECT_EQ(ParseError("100\n"), "in.txt:1: missing event");
    EXPECT_EQ(ParseError("100 press\n"), "in.txt:1: missing key");
    EXPECT_EQ(ParseError("100 tap 5\n"), "in.txt:1: missing coordinate");
    EXPECT_EQ(ParseError("100 tap 5 y\n"), "in.txt:1: bad number 'y'");
    EXPECT_EQ(ParseError("100 tap 320 0\n"),
              "in.txt:1: point 320 0 is outside the 320x240 picture");
    EXPECT_EQ(ParseError("100 move 0 -1\n"), "in.txt:1: point 0 -1 is outside the 320x240 picture");
    EXPECT_EQ(ParseError("100 close now\n"), "in.txt:1: unexpected text 'now'");
    EXPECT_EQ(ParseError("100 press C C\n"), "in.txt:1: unexpected text 'C'");
}

TEST(InputScript, MissingFileIsAnError) {
    std::vector<ScriptedMessage> events;
    std::string error;
    EXPECT_FALSE(platform::LoadInputScript("/nonexistent/in.txt", &events, &error));
    EXPECT_EQ(error, "/nonexistent/in.txt: cannot read the input script");
}

}  // namespace
