#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include "platform/headless/headless_wave_out.h"
#include "platform/headless/input_script.h"

namespace platform {

namespace {

// Everything the seams share: one virtual machine with its clock, queue,
// device buffer, wave device and schedule.
class HeadlessMachine {
public:
    HeadlessMachine(const BackendOptions& options, std::vector<ScriptedMessage> events)
        : events_(std::move(events)),
          shotTimes_(options.shotTimes),
          shotEveryMs_(options.shotEveryMs),
          nextEveryShot_(options.shotEveryMs),
          untilMs_(options.untilMs),
          shotsFolder_(options.shotsFolder.empty() ? "." : options.shotsFolder),
          drawing_(kDeviceBufferBytes / 2, 0),
          shown_(kDeviceBufferBytes / 2, 0) {
        std::sort(shotTimes_.begin(), shotTimes_.end());
        shotTimes_.erase(std::unique(shotTimes_.begin(), shotTimes_.end()), shotTimes_.end());
        // The run ends at the end time; a later shot could never be taken
        // reliably, so none is.
        if (untilMs_ != 0)
            shotTimes_.erase(std::upper_bound(shotTimes_.begin(), shotTimes_.end(), untilMs_),
                             shotTimes_.end());
    }

    MessageQueue& queue() { return queue_; }
    uint64_t now() const { return now_; }
    WindowHandle window = 0;
    bool displayOpen = false;

    HeadlessWaveOut& wave() { return wave_; }

    // Sound plays through the slept time first, so that what the script
    // or a shot sees at the new time follows the buffers finished on the way.
    void Advance(uint32_t milliseconds) {
        now_ += milliseconds;
        wave_.AdvanceTo(now_);
        ProcessDue();
    }

    // Posts what the script holds for the time reached, takes the shots that
    // are due and ends the run at the end time. Safe to call at any time:
    // each event, shot and the quit happen once.
    void ProcessDue() {
        while (nextEvent_ < events_.size() && events_[nextEvent_].timeMs <= now_)
            queue_.Post(events_[nextEvent_++].message);
        for (;;) {
            uint64_t next = std::numeric_limits<uint64_t>::max();
            if (nextShot_ < shotTimes_.size()) next = shotTimes_[nextShot_];
            bool everyPending = shotEveryMs_ != 0 && (untilMs_ == 0 || nextEveryShot_ <= untilMs_);
            if (everyPending) next = std::min(next, nextEveryShot_);
            if (next > now_) break;
            TakeShot(next);
            if (nextShot_ < shotTimes_.size() && shotTimes_[nextShot_] == next) ++nextShot_;
            if (everyPending && nextEveryShot_ == next) nextEveryShot_ += shotEveryMs_;
        }
        if (untilMs_ != 0 && !quitPosted_ && now_ >= untilMs_) {
            quitPosted_ = true;
            Message quit;
            quit.code = kMsgQuit;
            quit.wParam = 0;
            queue_.Post(quit);
        }
    }

    uint8_t* drawingBuffer() { return reinterpret_cast<uint8_t*>(drawing_.data()); }
    void Show() { shown_ = drawing_; }

    bool PrepareShotsFolder(std::string* error) {
        if (shotTimes_.empty() && shotEveryMs_ == 0) return true;
        std::error_code failure;
        std::filesystem::create_directories(shotsFolder_, failure);
        if (failure) {
            *error = shotsFolder_ + ": cannot create the folder: " + failure.message();
            return false;
        }
        return true;
    }

private:
    void TakeShot(uint64_t time) {
        char name[40];
        std::snprintf(name, sizeof name, "shot-%06" PRIu64 ".png", time);
        std::string path = (std::filesystem::path(shotsFolder_) / name).string();
        std::string error;
        if (!WriteDeviceScreenshot(path, reinterpret_cast<const uint8_t*>(shown_.data()),
                                   kDeviceDisplayProperties.cbxPitch,
                                   kDeviceDisplayProperties.cbyPitch, &error))
            std::fprintf(stderr, "mirelo: %s: %s\n", path.c_str(), error.c_str());
    }

    MessageQueue queue_;
    uint64_t now_ = 0;
    std::vector<ScriptedMessage> events_;
    size_t nextEvent_ = 0;
    std::vector<uint32_t> shotTimes_;
    size_t nextShot_ = 0;
    uint64_t shotEveryMs_;
    uint64_t nextEveryShot_;
    uint64_t untilMs_;
    bool quitPosted_ = false;
    std::string shotsFolder_;
    // The frame buffer the engine draws into, and the copy the last EndDraw
    // showed: a shot shows what the player would see, not a half-drawn frame.
    std::vector<uint16_t> drawing_;
    std::vector<uint16_t> shown_;
    HeadlessWaveOut wave_;
};

using Machine = std::shared_ptr<HeadlessMachine>;

class HeadlessWindowSystem : public WindowSystem {
public:
    explicit HeadlessWindowSystem(Machine machine) : machine_(std::move(machine)) {}

    WindowHandle CreateMainWindow(const std::string&) override {
        if (machine_->window != 0) return 0;
        machine_->window = kScriptWindow;
        return machine_->window;
    }

    void DestroyMainWindow() override {
        if (machine_->window == 0) return;
        Message destroy;
        destroy.window = machine_->window;
        destroy.code = kMsgDestroy;
        machine_->queue().Post(destroy);
        machine_->window = 0;
    }

    bool PeekMessage() override {
        // The first look, before any sleep, delivers what is due at time 0.
        machine_->ProcessDue();
        return !machine_->queue().Empty();
    }

    Message GetMessage() override { return machine_->queue().Take(); }

    void PostMessage(const Message& message) override { machine_->queue().Post(message); }
    bool MakeFullScreen() override { return true; }

private:
    Machine machine_;
};

class HeadlessDisplay : public GxDevice {
public:
    explicit HeadlessDisplay(Machine machine) : machine_(std::move(machine)) {}

    bool OpenDisplay(WindowHandle, uint32_t) override {
        machine_->displayOpen = true;
        return true;
    }
    void CloseDisplay() override { machine_->displayOpen = false; }
    bool OpenInput() override { return true; }
    void CloseInput() override {}
    GXDisplayProperties DisplayProperties() const override { return kDeviceDisplayProperties; }
    GXKeyList DefaultKeys(uint32_t) const override { return kDeviceKeyList; }
    uint8_t* BeginDraw() override {
        return machine_->displayOpen ? machine_->drawingBuffer() : nullptr;
    }
    void EndDraw() override {
        if (machine_->displayOpen) machine_->Show();
    }

private:
    Machine machine_;
};

class HeadlessClock : public Clock {
public:
    explicit HeadlessClock(Machine machine) : machine_(std::move(machine)) {}
    uint32_t TickCount() override { return static_cast<uint32_t>(machine_->now()); }
    void Sleep(uint32_t milliseconds) override { machine_->Advance(milliseconds); }

private:
    Machine machine_;
};

// The machine owns the device, since the clock drives it; this seam only
// forwards.
class HeadlessAudio : public WaveOutDevice {
public:
    explicit HeadlessAudio(Machine machine) : machine_(std::move(machine)) {}

    int Open(const WaveFormat& format, BufferDone done, void* user) override {
        return machine_->wave().Open(format, done, user);
    }
    int Prepare(WaveBuffer* buffer) override { return machine_->wave().Prepare(buffer); }
    int Write(WaveBuffer* buffer) override { return machine_->wave().Write(buffer); }
    int Unprepare(WaveBuffer* buffer) override { return machine_->wave().Unprepare(buffer); }
    uint32_t PositionBytes() override { return machine_->wave().PositionBytes(); }
    int SetVolume(uint32_t leftRight) override { return machine_->wave().SetVolume(leftRight); }
    int Pause() override { return machine_->wave().Pause(); }
    int Reset() override { return machine_->wave().Reset(); }
    int Close() override { return machine_->wave().Close(); }

private:
    Machine machine_;
};

class HeadlessSystem : public SystemServices {
public:
    void MessageBox(const std::string& text, const std::string& /*caption*/) override {
        // The console's line names the program; the caption is the box's.
        std::fprintf(stderr, "mirelo: %s\n", text.c_str());
    }
    LocalTime Now() override { return ReadLocalTime(); }
    int BatteryPercent() override { return ReadBatteryPercent(); }
    // Tests run many headless copies side by side; none of them needs the lock.
    bool AcquireSingleInstance(std::string* /*lockPath*/) override { return true; }
};

}  // namespace

Backend CreateHeadlessBackend(const BackendOptions& options, std::string* error) {
    std::vector<ScriptedMessage> events;
    std::string reason;
    if (!options.inputScriptPath.empty() &&
        !LoadInputScript(options.inputScriptPath, &events, &reason)) {
        if (error != nullptr) *error = reason;
        return Backend{};
    }
    auto machine = std::make_shared<HeadlessMachine>(options, std::move(events));
    if (!machine->PrepareShotsFolder(&reason) ||
        (!options.audioOutPath.empty() &&
         !machine->wave().RecordTo(options.audioOutPath, &reason))) {
        if (error != nullptr) *error = reason;
        return Backend{};
    }
    Backend backend;
    backend.window = std::make_unique<HeadlessWindowSystem>(machine);
    backend.display = std::make_unique<HeadlessDisplay>(machine);
    backend.clock = std::make_unique<HeadlessClock>(machine);
    backend.system = std::make_unique<HeadlessSystem>();
    backend.audio = std::make_unique<HeadlessAudio>(machine);
    return backend;
}

}  // namespace platform
