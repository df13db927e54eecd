#include "platform/headless/headless_backend.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "png_picture.h"
#include "test_support.h"

namespace {

using platform::Message;

platform::Backend MakeBackend(const platform::BackendOptions& options) {
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    EXPECT_TRUE(backend.window) << error;
    return backend;
}

struct TimedMessage {
    uint32_t time;
    Message message;
};

// Runs the engine's loop in miniature: take every waiting message, else sleep
// step ms, until the quit message or the time limit.
std::vector<TimedMessage> RunLoop(platform::Backend& backend, uint32_t step, uint32_t limit) {
    std::vector<TimedMessage> taken;
    while (backend.clock->TickCount() <= limit) {
        if (backend.window->PeekMessage()) {
            Message message = backend.window->GetMessage();
            taken.push_back({backend.clock->TickCount(), message});
            if (message.code == platform::kMsgQuit) break;
        } else {
            backend.clock->Sleep(step);
        }
    }
    return taken;
}

// The script's messages arrive at the first look at or after their time, in
// time order, followed by one quit message at the end time.
TEST(HeadlessBackend, DeliversTheScriptAndEndsTheRun) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "in.txt", std::string("0 down C\n"
                                                               "40 tap 10 20\n"
                                                               "100 close\n"
                                                               "500 press A\n"));
    platform::BackendOptions options;
    options.inputScriptPath = (dir / "in.txt").string();
    options.untilMs = 100;
    auto backend = MakeBackend(options);
    auto taken = RunLoop(backend, 16, 1000);

    ASSERT_EQ(taken.size(), 5u);
    EXPECT_EQ(taken[0].time, 0u);
    EXPECT_EQ(taken[0].message.code, platform::kMsgKeyDown);
    EXPECT_EQ(taken[0].message.wParam, platform::kVkC);
    EXPECT_EQ(taken[0].message.window, 1u);
    EXPECT_EQ(taken[1].time, 48u);
    EXPECT_EQ(taken[1].message.code, platform::kMsgStylusDown);
    EXPECT_EQ(taken[1].message.lParam, platform::PackPoint(20, 310));
    EXPECT_EQ(taken[2].time, 96u);
    EXPECT_EQ(taken[2].message.code, platform::kMsgStylusUp);
    EXPECT_EQ(taken[3].time, 112u);
    EXPECT_EQ(taken[3].message.code, platform::kMsgClose);
    EXPECT_EQ(taken[4].time, 112u);
    EXPECT_EQ(taken[4].message.code, platform::kMsgQuit);
    EXPECT_EQ(taken[4].message.wParam, 0u);
    // The quit comes once.
    backend.clock->Sleep(100);
    EXPECT_FALSE(backend.window->PeekMessage());
}

// A bad script or shots folder stops the run before it starts, with the reason.
TEST(HeadlessBackend, SetupErrorsGiveNoBackendAndTheReason) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "in.txt", std::string("10 press C\n20 jump\n"));
    platform::BackendOptions options;
    options.inputScriptPath = (dir / "in.txt").string();
    std::string error;
    EXPECT_FALSE(platform::CreateHeadlessBackend(options, &error).window);
    EXPECT_EQ(error, options.inputScriptPath + ":2: unknown event 'jump'");

    options.inputScriptPath.clear();
    options.shotEveryMs = 100;
    options.shotsFolder = (dir / "in.txt/shots").string();
    EXPECT_FALSE(platform::CreateHeadlessBackend(options, &error).display);
    EXPECT_NE(error.find("cannot create the folder"), std::string::npos) << error;
}

TEST(HeadlessBackend, ClockWindowAndDisplayBehaveAsTheDevice) {
    auto backend = MakeBackend({});
    platform::WindowSystem& window = *backend.window;
    platform::GxDevice& display = *backend.display;
    // The clock starts at 0 and moves only when the engine sleeps.
    EXPECT_FALSE(window.PeekMessage());
    EXPECT_EQ(window.GetMessage().code, 0u);
    backend.clock->Sleep(16);
    backend.clock->Sleep(1);
    EXPECT_EQ(backend.clock->TickCount(), 17u);
    EXPECT_TRUE(backend.system->AcquireSingleInstance(nullptr));

    EXPECT_EQ(window.CreateMainWindow("mirelo"), 1u);
    platform::GXDisplayProperties properties = display.DisplayProperties();
    EXPECT_EQ(properties.cxWidth * 1000 + properties.cyHeight, 240320u);
    EXPECT_EQ(properties.cbxPitch * 1000 + properties.cbyPitch, 2480);
    EXPECT_EQ(properties.ffFormat, platform::kGxFormat565 | platform::kGxFormatDirect);
    platform::GXKeyList keys = display.DefaultKeys(platform::kGxLandscapeKeys);
    EXPECT_EQ(keys.up.vkCode, platform::kVkUp);
    EXPECT_EQ(keys.c.vkCode, platform::kVkC);
    EXPECT_EQ(keys.start.vkCode, platform::kVkStart);

    EXPECT_EQ(display.BeginDraw(), nullptr);
    ASSERT_TRUE(display.OpenDisplay(1, platform::kGxFullScreen));
    EXPECT_NE(display.BeginDraw(), nullptr);
    display.CloseDisplay();
    EXPECT_EQ(display.BeginDraw(), nullptr);

    // Destroying the window sends the destroy message, as the system would.
    window.DestroyMainWindow();
    ASSERT_TRUE(window.PeekMessage());
    Message destroy = window.GetMessage();
    EXPECT_EQ(destroy.code, platform::kMsgDestroy);
    EXPECT_EQ(destroy.window, 1u);
}

// Shots are taken when the clock first reaches their time, of what the last
// EndDraw showed then; both option forms together, each time once.
TEST(HeadlessBackend, TakesShotsAtTheirVirtualTimes) {
    testing_support::TempDir dir;
    platform::BackendOptions options;
    options.untilMs = 100;
    options.shotTimes = {40, 0, 64, 150};
    options.shotEveryMs = 32;
    options.shotsFolder = (dir / "shots/run").string();
    auto backend = MakeBackend(options);
    auto& display = *backend.display;
    ASSERT_TRUE(display.OpenDisplay(1, platform::kGxFullScreen));

    EXPECT_FALSE(backend.window->PeekMessage());  // time 0: the shot of the blank screen
    uint16_t colour = 0;
    for (int step = 0; step < 10; ++step) {
        // Each frame draws landscape (5, 6) in a new colour; a frame drawn but
        // not yet shown must not appear in a shot.
        uint8_t* device = display.BeginDraw();
        ASSERT_NE(device, nullptr);
        testing_support::SetLandscapePixel(device, 5, 6, ++colour);
        display.EndDraw();
        testing_support::SetLandscapePixel(display.BeginDraw(), 5, 6, 0xFFFF);
        backend.clock->Sleep(12);
    }
    auto folder = dir / "shots/run";
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"shot-000000.png", "shot-000032.png", "shot-000040.png",
                                        "shot-000064.png", "shot-000096.png"}));
    // Time 0: nothing drawn. Time 32 is first reached by the third sleep (36),
    // after the third frame; 40 by the fourth (48); 64 and 96 likewise.
    auto blue = [](uint32_t frame) { return (frame << 3) | (frame >> 2); };
    auto At = [&](const char* name) {
        auto picture = testing_support::ReadPngPicture((folder / name).string());
        EXPECT_EQ(picture.width, 320u);
        return picture.width == 320 ? picture.At(5, 6) : 0xDEADu;
    };
    EXPECT_EQ(At("shot-000000.png"), 0u);
    EXPECT_EQ(At("shot-000032.png"), blue(3));
    EXPECT_EQ(At("shot-000040.png"), blue(4));
    EXPECT_EQ(At("shot-000064.png"), blue(6));
    EXPECT_EQ(At("shot-000096.png"), blue(8));
}

// The Game API front forwards to the device that is set, and fails without one.
TEST(GameApi, ForwardsToTheDeviceSet) {
    platform::SetGxDevice(nullptr);
    EXPECT_EQ(platform::GXOpenDisplay(1, platform::kGxFullScreen), 0);
    EXPECT_EQ(platform::GXBeginDraw(), nullptr);

    auto backend = MakeBackend({});
    platform::SetGxDevice(backend.display.get());
    EXPECT_EQ(platform::GXOpenDisplay(1, platform::kGxFullScreen), 1);
    EXPECT_EQ(platform::GXGetDisplayProperties().cbyPitch, 480);
    EXPECT_NE(platform::GXBeginDraw(), nullptr);
    EXPECT_EQ(platform::GXEndDraw(), 1);
    EXPECT_EQ(platform::GXCloseDisplay(), 1);
    EXPECT_EQ(platform::GXBeginDraw(), nullptr);
    platform::SetGxDevice(nullptr);
}

}  // namespace
