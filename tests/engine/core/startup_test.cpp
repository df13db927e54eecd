// Start-up failures: each ends the program before the game starts, with the
// message the player is shown.

#include <gtest/gtest.h>

#include "data_folder.h"
#include "engine/core/engine.h"
#include "engine/core/startup.h"
#include "platform/headless/headless_backend.h"
#include "test_support.h"

namespace {

// Records message boxes and can refuse the single-instance lock.
class RecordingSystem : public platform::SystemServices {
public:
    void MessageBox(const std::string& text, const std::string& caption) override {
        boxes.push_back(caption + ": " + text);
    }
    platform::LocalTime Now() override { return {}; }
    int BatteryPercent() override { return 100; }
    bool AcquireSingleInstance(std::string* lockPath) override {
        if (anotherCopyRuns && lockPath != nullptr) *lockPath = "/run/mirelo.lock";
        return !anotherCopyRuns;
    }

    std::vector<std::string> boxes;
    bool anotherCopyRuns = false;
};

// A display that cannot open, standing in front of the headless one.
class FailingDisplay : public platform::GxDevice {
public:
    explicit FailingDisplay(std::unique_ptr<platform::GxDevice> inner) : inner_(std::move(inner)) {}
    bool OpenDisplay(platform::WindowHandle, uint32_t) override { return false; }
    void CloseDisplay() override {}
    bool OpenInput() override { return true; }
    void CloseInput() override {}
    platform::GXDisplayProperties DisplayProperties() const override {
        return inner_->DisplayProperties();
    }
    platform::GXKeyList DefaultKeys(uint32_t orientation) const override {
        return inner_->DefaultKeys(orientation);
    }
    uint8_t* BeginDraw() override { return nullptr; }
    void EndDraw() override {}

private:
    std::unique_ptr<platform::GxDevice> inner_;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        testdata::BuildDataFolder(dir_.path());
        options_.programFolder = dir_.path().string() + "/";
        options_.untilMs = 3000;
        std::string error;
        backend_ = platform::CreateHeadlessBackend(options_, &error);
        ASSERT_TRUE(backend_.window) << error;
        auto recording = std::make_unique<RecordingSystem>();
        system_ = recording.get();
        backend_.system = std::move(recording);
    }

    testing_support::TempDir dir_;
    platform::BackendOptions options_;
    platform::Backend backend_;
    RecordingSystem* system_ = nullptr;
};

class FrameCounter : public core::EngineObserver {
public:
    void AfterPass(core::Engine& engine) override {
        lastState = engine.flow.gameState;
        ++passes;
    }
    int passes = 0;
    int32_t lastState = -1;
};

TEST_F(StartupTest, DisplayThatCannotOpenShowsTheMessageAndEndsWithZero) {
    backend_.display = std::make_unique<FailingDisplay>(std::move(backend_.display));
    FrameCounter counter;
    EXPECT_EQ(core::RunEngine(backend_, options_.programFolder, &counter), 0);
    ASSERT_EQ(system_->boxes.size(), 1u);
    EXPECT_EQ(system_->boxes[0], "Error: GAPIライブラリのロードに失敗しました");
    EXPECT_EQ(counter.passes, 0);
}

// A second copy leaves the first alone and says which lock stopped it.
TEST_F(StartupTest, SecondCopyEndsWithOneLineAndOne) {
    system_->anotherCopyRuns = true;
    FrameCounter counter;
    testing::internal::CaptureStderr();
    EXPECT_EQ(core::RunEngine(backend_, options_.programFolder, &counter), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "mirelo: already running (/run/mirelo.lock is held by another copy)\n");
    EXPECT_TRUE(system_->boxes.empty());
    EXPECT_EQ(counter.passes, 0);
}

// The core runs whatever the layers above register: the factory's modules
// are made once, their handler runs once a frame in its state, and they are
// gone before the engine.
TEST_F(StartupTest, NormalStartDispatchesTheRegisteredStates) {
    struct Counting : core::GameModules, core::StateHandler {
        Counting(core::Engine& engine, int* runs, bool* destroyed)
            : engine(engine), runs(runs), destroyed(destroyed) {
            engine.states.Register(core::kStateLogo, *this);
        }
        ~Counting() override {
            engine.states.Unregister(core::kStateLogo);
            *destroyed = true;
        }
        void RunState() override { ++*runs; }
        core::Engine& engine;
        int* runs;
        bool* destroyed;
    };
    int runs = 0;
    int made = 0;
    bool destroyed = false;
    FrameCounter counter;
    EXPECT_EQ(core::RunEngine(backend_, options_.programFolder, &counter,
                              [&](core::Engine& engine, std::string*) {
                                  ++made;
                                  return std::make_unique<Counting>(engine, &runs, &destroyed);
                              }),
              0);
    EXPECT_TRUE(system_->boxes.empty());
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(destroyed);
    // 3 s of 16 ms frames.
    EXPECT_GE(runs, 3000 / 17);
    EXPECT_LE(runs, 3000 / 16 + 1);
    EXPECT_EQ(counter.lastState, core::kStateLogo);
}

// A game that cannot start shows why and ends with 1.
TEST_F(StartupTest, GameThatCannotStartShowsTheReason) {
    FrameCounter counter;
    EXPECT_EQ(core::RunEngine(backend_, options_.programFolder, &counter,
                              [](core::Engine&, std::string* error) {
                                  *error = "dataset.txt:3: bad line";
                                  return std::unique_ptr<core::GameModules>();
                              }),
              1);
    ASSERT_EQ(system_->boxes.size(), 1u);
    EXPECT_EQ(system_->boxes[0], "Error: dataset.txt:3: bad line");
    EXPECT_EQ(counter.passes, 0);
}

// A closed window goes through destroy to the quit message and ends with 0.
TEST_F(StartupTest, ClosingTheWindowEndsTheProgram) {
    testing_support::WriteHostFile(dir_ / "close.txt", std::string("400 close\n"));
    options_.inputScriptPath = (dir_ / "close.txt").string();
    std::string error;
    platform::Backend closing = platform::CreateHeadlessBackend(options_, &error);
    ASSERT_TRUE(closing.window) << error;
    class LastTime : public core::EngineObserver {
    public:
        void AfterPass(core::Engine& engine) override { time = engine.backend.clock->TickCount(); }
        uint32_t time = 0;
    } last;
    EXPECT_EQ(core::RunEngine(closing, options_.programFolder, &last), 0);
    EXPECT_GE(last.time, 400u);
    EXPECT_LT(last.time, 450u);
}

TEST(StartupFont, MissingFontIsAClearStartupError) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    testing_support::WriteHostFile(dir / "fonts.conf",
                                   "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>" +
                                       (dir / "cache").string() + "</cachedir></fontconfig>\n");
    auto result =
        testing_support::RunCommand("FONTCONFIG_FILE='" + (dir / "fonts.conf").string() + "' " +
                                    testing_support::MireloCommand() +
                                    " --headless --until 100 --data '" + dir.path().string() + "'");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.output.find("fonts-ipafont-gothic"), std::string::npos) << result.output;
}

}  // namespace
