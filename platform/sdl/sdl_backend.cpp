#include "platform/sdl/sdl_backend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <vector>

#include "platform/sdl/quiet_stderr.h"
#include "platform/sdl/sdl_input.h"
#include "platform/sdl/sdl_wave_out.h"

namespace platform {

namespace {

// Why no window can be shown: no display named at all, or a named one that
// the video system could not open.
std::string NoDisplayReason() {
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0')
            return std::string("the display ") + name + "=" + value + " could not be opened";
    }
    return "no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set)";
}

constexpr int kPictureWidth = 320;
constexpr int kPictureHeight = 240;
constexpr WindowHandle kMainWindow = 1;
// Far beyond any screen; keeps the window size arithmetic in range.
constexpr int kMaxScale = 64;

// The SDL objects and the state the four seams share. The video subsystem
// lives exactly as long as this object.
class SdlMachine {
public:
    explicit SdlMachine(const BackendOptions& options)
        : programFolder_(options.programFolder),
          scale_(std::clamp(options.scale, 1, kMaxScale)),
          startFullScreen_(options.fullScreen),
          device_(kDeviceBufferBytes / 2, 0) {}

    ~SdlMachine() {
        DestroyWindow();
        for (auto& [id, controller] : controllers_) SDL_GameControllerClose(controller);
        if (controllersStarted_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
        if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Start(std::string* error) {
        constexpr char kUseHeadless[] = "; use --headless to run without a window";
        int started;
        {
            QuietStderr quiet;
            started = SDL_InitSubSystem(SDL_INIT_VIDEO);
        }
        if (started != 0) {
            if (error != nullptr) {
                *error =
                    std::string("cannot start the video system: ") + SDL_GetError() + kUseHeadless;
            }
            return false;
        }
        videoStarted_ = true;
        // Without a display the video system may fall back to a driver that
        // shows nothing: the program would then run unseen for ever. Only a
        // driver the user asked for by name is taken as meant.
        const char* driver = SDL_GetCurrentVideoDriver();
        const char* asked = std::getenv("SDL_VIDEODRIVER");
        if (driver != nullptr && (asked == nullptr || asked[0] == '\0') &&
            (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0)) {
            if (error != nullptr) *error = NoDisplayReason() + kUseHeadless;
            return false;
        }
        // Without controller support the keyboard still plays the game.
        controllersStarted_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
        return true;
    }

    MessageQueue& queue() { return queue_; }
    WindowHandle handle() const { return handle_; }
    SDL_Window* window() const { return window_; }
    bool displayOpen = false;

    WindowHandle CreateWindow(const std::string& title) {
        if (window_ != nullptr) return 0;
        Uint32 flags = SDL_WINDOW_SHOWN | (startFullScreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   kPictureWidth * scale_, kPictureHeight * scale_, flags);
        if (window_ == nullptr) return 0;
        // No vertical sync: the engine paces its own 16 ms frames and must
        // not be held up by the monitor's refresh.
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        if (renderer_ == nullptr)
            renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (renderer_ != nullptr)
            texture_ =
                SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                  kPictureWidth, kPictureHeight);
        if (texture_ == nullptr) {
            DestroyWindow();
            return 0;
        }
        handle_ = kMainWindow;
        closePosted_ = false;
        stylusHeld_ = false;
        ConvertFrame();
        ShowFrame();
        return handle_;
    }

    void DestroyWindow() {
        if (texture_ != nullptr) SDL_DestroyTexture(texture_);
        if (renderer_ != nullptr) SDL_DestroyRenderer(renderer_);
        if (window_ != nullptr) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
        handle_ = 0;
    }

    uint8_t* deviceBuffer() { return reinterpret_cast<uint8_t*>(device_.data()); }

    // Turns the portrait device buffer back into the landscape picture.
    void ConvertFrame() {
        if (texture_ == nullptr) return;
        void* pixels = nullptr;
        int pitch = 0;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) != 0) return;
        for (ptrdiff_t y = 0; y < kPictureHeight; ++y) {
            auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(pixels) + y * pitch);
            // Landscape (x, y) is device row 319 - x, column y.
            for (ptrdiff_t x = 0; x < kPictureWidth; ++x)
                row[x] = device_[(kPictureWidth - 1 - x) * kDeviceWidth + y];
        }
        SDL_UnlockTexture(texture_);
    }

    void ShowFrame() {
        if (renderer_ == nullptr) return;
        int width = 0, height = 0;
        SDL_GetRendererOutputSize(renderer_, &width, &height);
        PictureViewport viewport = FitPicture(width, height);
        SDL_Rect target{viewport.x, viewport.y, kPictureWidth * viewport.scale,
                        kPictureHeight * viewport.scale};
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        SDL_RenderCopy(renderer_, texture_, nullptr, &target);
        SDL_RenderPresent(renderer_);
    }

    // Turns every waiting SDL event into messages.
    void Pump() {
        SDL_Event event;
        while (SDL_PollEvent(&event) != 0) HandleEvent(event);
    }

private:
    void Post(uint32_t code, uint32_t wParam, int32_t lParam) {
        Message message;
        message.window = handle_;
        message.code = code;
        message.wParam = wParam;
        message.lParam = lParam;
        queue_.Post(message);
    }

    void PostClose() {
        // Closing the last window sends both a window close and a quit event;
        // the engine needs one close message.
        if (closePosted_ || handle_ == 0) return;
        closePosted_ = true;
        Post(kMsgClose, 0, 0);
    }

    void HandleEvent(const SDL_Event& event) {
        switch (event.type) {
            case SDL_QUIT:
                PostClose();
                break;
            case SDL_WINDOWEVENT:
                if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
                    PostClose();
                } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                           event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                    ShowFrame();
                    if (event.window.event == SDL_WINDOWEVENT_EXPOSED && handle_ != 0)
                        Post(kMsgPaint, 0, 0);
                }
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                HandleKey(event.key);
                break;
            case SDL_CONTROLLERBUTTONDOWN:
            case SDL_CONTROLLERBUTTONUP:
                if (uint16_t code = ControllerButtonCode(event.cbutton.button); code != 0)
                    Post(event.type == SDL_CONTROLLERBUTTONDOWN ? kMsgKeyDown : kMsgKeyUp, code, 0);
                break;
            case SDL_CONTROLLERDEVICEADDED:
                if (SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which))
                    controllers_[SDL_JoystickInstanceID(
                        SDL_GameControllerGetJoystick(controller))] = controller;
                break;
            case SDL_CONTROLLERDEVICEREMOVED:
                if (auto found = controllers_.find(event.cdevice.which);
                    found != controllers_.end()) {
                    SDL_GameControllerClose(found->second);
                    controllers_.erase(found);
                }
                break;
            case SDL_MOUSEBUTTONDOWN:
                if (event.button.button == SDL_BUTTON_LEFT)
                    StylusDown(event.button.x, event.button.y);
                break;
            case SDL_MOUSEMOTION:
                if (stylusHeld_) StylusEvent(kMsgStylusMove, event.motion.x, event.motion.y);
                break;
            case SDL_MOUSEBUTTONUP:
                if (event.button.button == SDL_BUTTON_LEFT && stylusHeld_) {
                    stylusHeld_ = false;
                    StylusEvent(kMsgStylusUp, event.button.x, event.button.y);
                }
                break;
            default:
                break;
        }
    }

    void HandleKey(const SDL_KeyboardEvent& key) {
        bool down = key.type == SDL_KEYDOWN;
        SDL_Keycode sym = key.keysym.sym;
        bool enter = sym == SDLK_RETURN || sym == SDLK_KP_ENTER;
        if (sym == SDLK_F11 || (enter && (key.keysym.mod & KMOD_ALT) != 0)) {
            if (down && key.repeat == 0) ToggleFullScreen();
            return;
        }
        if (sym == SDLK_F12) {
            if (down && key.repeat == 0) SaveScreenshot();
            return;
        }
        // Auto-repeat gives further key-downs, as the handheld's keys do.
        if (uint16_t code = KeyboardKeyCode(sym); code != 0)
            Post(down ? kMsgKeyDown : kMsgKeyUp, code, 0);
    }

    bool WindowPointToLandscape(int windowX, int windowY, int32_t* x, int32_t* y) const {
        int width = 0, height = 0;
        if (window_ != nullptr) SDL_GetWindowSize(window_, &width, &height);
        return WindowToLandscape(FitPicture(width, height), windowX, windowY, x, y);
    }

    void StylusDown(int windowX, int windowY) {
        int32_t x = 0, y = 0;
        // A click on the black border is not on the screen.
        if (!WindowPointToLandscape(windowX, windowY, &x, &y)) return;
        stylusHeld_ = true;
        Post(kMsgStylusDown, 0, LandscapeToMessagePoint(x, y));
    }

    // A held stylus dragged past the border stays on the picture's edge.
    void StylusEvent(uint32_t code, int windowX, int windowY) {
        int32_t x = 0, y = 0;
        WindowPointToLandscape(windowX, windowY, &x, &y);
        Post(code, 0, LandscapeToMessagePoint(x, y));
    }

    void ToggleFullScreen() {
        if (window_ == nullptr) return;
        bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
        SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
        ShowFrame();
    }

    void SaveScreenshot() {
        std::time_t now = std::time(nullptr);
        std::tm parts{};
        localtime_r(&now, &parts);
        char stamp[64];
        std::strftime(stamp, sizeof stamp, "screenshot-%Y%m%d-%H%M%S", &parts);
        // Shots in the same second get a number rather than replacing one
        // another.
        std::string path = programFolder_ + stamp + ".png";
        std::error_code exists;
        for (int n = 2; std::filesystem::exists(path, exists); ++n) {
            path = programFolder_ + stamp + "-" + std::to_string(n) + ".png";
        }
        std::string error;
        if (!WriteDeviceScreenshot(path, deviceBuffer(), kDeviceDisplayProperties.cbxPitch,
                                   kDeviceDisplayProperties.cbyPitch, &error)) {
            std::fprintf(stderr, "mirelo: %s: %s\n", path.c_str(), error.c_str());
        } else {
            std::printf("mirelo: screenshot %s\n", path.c_str());
            std::fflush(stdout);
        }
    }

    std::string programFolder_;
    int scale_;
    bool startFullScreen_;
    bool videoStarted_ = false;
    bool controllersStarted_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    WindowHandle handle_ = 0;
    MessageQueue queue_;
    std::vector<uint16_t> device_;
    bool stylusHeld_ = false;
    bool closePosted_ = false;
    std::map<SDL_JoystickID, SDL_GameController*> controllers_;
};

using Machine = std::shared_ptr<SdlMachine>;

class SdlWindowSystem : public WindowSystem {
public:
    explicit SdlWindowSystem(Machine machine) : machine_(std::move(machine)) {}

    WindowHandle CreateMainWindow(const std::string& title) override {
        return machine_->CreateWindow(title);
    }

    void DestroyMainWindow() override {
        WindowHandle handle = machine_->handle();
        if (handle == 0) return;
        machine_->DestroyWindow();
        Message destroy;
        destroy.window = handle;
        destroy.code = kMsgDestroy;
        machine_->queue().Post(destroy);
    }

    bool PeekMessage() override {
        machine_->Pump();
        return !machine_->queue().Empty();
    }

    Message GetMessage() override { return machine_->queue().Take(); }

    void PostMessage(const Message& message) override { machine_->queue().Post(message); }

    // The desktop window already stands for the whole handheld screen; full
    // screen on the desktop is the player's choice (--fullscreen, F11).
    bool MakeFullScreen() override { return machine_->window() != nullptr; }

private:
    Machine machine_;
};

class SdlDisplay : public GxDevice {
public:
    explicit SdlDisplay(Machine machine) : machine_(std::move(machine)) {}

    bool OpenDisplay(WindowHandle window, uint32_t) override {
        if (window == 0 || window != machine_->handle()) return false;
        machine_->displayOpen = true;
        return true;
    }
    void CloseDisplay() override { machine_->displayOpen = false; }
    bool OpenInput() override { return true; }
    void CloseInput() override {}
    GXDisplayProperties DisplayProperties() const override { return kDeviceDisplayProperties; }
    GXKeyList DefaultKeys(uint32_t) const override { return kDeviceKeyList; }
    uint8_t* BeginDraw() override {
        return machine_->displayOpen ? machine_->deviceBuffer() : nullptr;
    }
    void EndDraw() override {
        if (!machine_->displayOpen) return;
        machine_->ConvertFrame();
        machine_->ShowFrame();
    }

private:
    Machine machine_;
};

class SdlClock : public Clock {
public:
    explicit SdlClock(Machine machine) : machine_(std::move(machine)) {}
    uint32_t TickCount() override { return SDL_GetTicks(); }
    void Sleep(uint32_t milliseconds) override { SDL_Delay(milliseconds); }

private:
    Machine machine_;  // keeps SDL's timer base alive
};

class SdlSystem : public SystemServices {
public:
    explicit SdlSystem(Machine machine) : machine_(std::move(machine)) {}

    void MessageBox(const std::string& text, const std::string& caption) override {
        // The console always gets the text: a box may have no screen to
        // appear on, and a log outlives it.
        // The console's line names the program; the caption is the box's.
        std::fprintf(stderr, "mirelo: %s\n", text.c_str());
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver == nullptr || std::strcmp(driver, "dummy") == 0 ||
            std::strcmp(driver, "offscreen") == 0)
            return;
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption.c_str(), text.c_str(),
                                 machine_->window());
    }
    LocalTime Now() override { return ReadLocalTime(); }
    int BatteryPercent() override { return ReadBatteryPercent(); }
    bool AcquireSingleInstance(std::string* lockPath) override {
        return AcquireInstanceLock("mirelo", lockPath);
    }

private:
    Machine machine_;
};

}  // namespace

Backend CreateSdlBackend(const BackendOptions& options, std::string* error) {
    auto machine = std::make_shared<SdlMachine>(options);
    if (!machine->Start(error)) return Backend{};
    Backend backend;
    backend.window = std::make_unique<SdlWindowSystem>(machine);
    backend.display = std::make_unique<SdlDisplay>(machine);
    backend.clock = std::make_unique<SdlClock>(machine);
    backend.system = std::make_unique<SdlSystem>(machine);
    // The sound device starts on its own when opened: without a sound card
    // only its Open fails, and the game goes on silently.
    backend.audio = std::make_unique<SdlWaveOut>();
    return backend;
}

}  // namespace platform
