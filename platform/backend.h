#pragma once
// The services the engine asks of its platform, as small seams. A backend
// (platform/sdl, platform/headless) implements all of them; the engine
// receives them as one Backend and never sees SDL.
//
// Thread safety: everything here is called from the game thread only.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gx.h"
#include "platform/messages.h"
#include "platform/wave_out.h"

namespace platform {

// The one full-screen window and its message queue.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Creates the window; 0 on failure.
    virtual WindowHandle CreateMainWindow(const std::string& title) = 0;
    // Tears the window down and sends the destroy message (synchronously
    // through the queue's next Get, as the system would).
    virtual void DestroyMainWindow() = 0;
    // Turns pending backend events into messages, then looks at the queue
    // without taking: true when a message waits.
    virtual bool PeekMessage() = 0;
    // Takes the next message (call after PeekMessage returned true).
    virtual Message GetMessage() = 0;
    virtual void PostMessage(const Message& message) = 0;
    // The full-screen switch; false when it fails.
    virtual bool MakeFullScreen() = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, wrapping at 2^32.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;
};

struct LocalTime {
    int year, month, day, hour, minute, second, dayOfWeek;
};

class SystemServices {
public:
    virtual ~SystemServices() = default;
    // Shows a message box (UTF-8 texts) and waits for it to be closed.
    virtual void MessageBox(const std::string& text, const std::string& caption) = 0;
    virtual LocalTime Now() = 0;
    // 0..100; 100 when unknown (a desktop without battery).
    virtual int BatteryPercent() = 0;
    // True when this is the only running copy; false when another holds the
    // lock, with the lock file's host path in *lockPath.
    virtual bool AcquireSingleInstance(std::string* lockPath) = 0;
};

struct Backend {
    std::unique_ptr<WindowSystem> window;
    std::unique_ptr<GxDevice> display;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<SystemServices> system;
    std::unique_ptr<WaveOutDevice> audio;  // the wave-output device
};

// Options of the command line that concern the backends.
struct BackendOptions {
    std::string programFolder;  // host path with a trailing '/'
    int scale = 3;              // SDL: whole window scale factor
    bool fullScreen = false;    // SDL: start full screen
    // Headless only:
    uint32_t untilMs = 0;             // end of the run (0 = run until the program ends)
    std::string inputScriptPath;      // --input
    std::vector<uint32_t> shotTimes;  // --shot-at, ascending
    uint32_t shotEveryMs = 0;         // --shot-every
    std::string shotsFolder;          // --shots (empty: the current folder)
    std::string audioOutPath;         // --audio-out: everything played, as a WAV file
};

// Battery charge from the system's power supply information (Linux
// /sys/class/power_supply); 100 when there is no battery.
int ReadBatteryPercent(const std::string& powerSupplyFolder = "/sys/class/power_supply");

// The host's local time (month 1..12, dayOfWeek 0 = Sunday).
LocalTime ReadLocalTime();

// A lock file in the user's runtime folder; false when another process holds
// it, with the lock file's path in *lockPath.
bool AcquireInstanceLock(const std::string& name, std::string* lockPath = nullptr);

// Writes a 240 x 320 portrait RGB565 device buffer as a 320 x 240 landscape
// PNG (the way the player sees it). False with a reason on failure.
bool WriteDeviceScreenshot(const std::string& path, const uint8_t* device, int32_t pitchX,
                           int32_t pitchY, std::string* error);

}  // namespace platform
