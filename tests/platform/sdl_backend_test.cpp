#include "platform/sdl/sdl_backend.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/sdl/sdl_input.h"
#include "png_picture.h"
#include "test_support.h"

namespace {

using platform::Message;

// The real backend on SDL's dummy drivers: no screen is needed, and what the
// backend does with events and frames is the same as on a desktop.
class SdlBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        options_.programFolder = folder_.path().string() + "/";
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        std::string error;
        backend_ = platform::CreateSdlBackend(options_, &error);
        handle_ = backend_.window ? backend_.window->CreateMainWindow("mirelo") : 0;
        std::string printed = testing::internal::GetCapturedStdout();
        printed += testing::internal::GetCapturedStderr();
        ASSERT_TRUE(backend_.window) << error;
        EXPECT_EQ(printed, "");
        ASSERT_EQ(handle_, 1u);
    }

    // Everything the backend makes of the events pushed so far.
    std::vector<Message> Drain() {
        std::vector<Message> messages;
        while (backend_.window->PeekMessage()) messages.push_back(backend_.window->GetMessage());
        return messages;
    }

    static void PushKey(uint32_t type, SDL_Keycode key, uint16_t mod = 0, uint8_t repeat = 0) {
        SDL_Event event{};
        event.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.sym = key;
        event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
        event.key.keysym.mod = mod;
        SDL_PushEvent(&event);
    }

    static void PushMouse(uint32_t type, int x, int y) {
        SDL_Event event{};
        event.type = type;
        if (type == SDL_MOUSEMOTION) {
            event.motion.x = x;
            event.motion.y = y;
            event.motion.state = SDL_BUTTON_LMASK;
        } else {
            event.button.button = SDL_BUTTON_LEFT;
            event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
            event.button.x = x;
            event.button.y = y;
        }
        SDL_PushEvent(&event);
    }

    testing_support::TempDir folder_;
    platform::BackendOptions options_;
    platform::Backend backend_;
    platform::WindowHandle handle_ = 0;
};

SDL_Window* MainWindow() {
    for (Uint32 id = 1; id < 64; ++id)
        if (SDL_Window* window = SDL_GetWindowFromID(id)) return window;
    return nullptr;
}

TEST_F(SdlBackendTest, WindowAndDisplay) {
    SDL_Window* window = MainWindow();
    ASSERT_NE(window, nullptr);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 960);
    EXPECT_EQ(height, 720);
    EXPECT_STREQ(SDL_GetWindowTitle(window), "mirelo");

    auto& display = *backend_.display;
    EXPECT_EQ(display.BeginDraw(), nullptr);
    EXPECT_FALSE(display.OpenDisplay(2, platform::kGxFullScreen));
    ASSERT_TRUE(display.OpenDisplay(handle_, platform::kGxFullScreen));
    EXPECT_EQ(display.DisplayProperties().cbyPitch, 480);
    EXPECT_EQ(display.DefaultKeys(platform::kGxLandscapeKeys).start.vkCode, platform::kVkStart);
    uint8_t* device = display.BeginDraw();
    ASSERT_NE(device, nullptr);
    testing_support::SetLandscapePixel(device, 3, 4, 0xF800);
    display.EndDraw();
    // The window shows the picture turned back to landscape, three times as large.
    auto shownAt = [&](int x, int y) {
        Uint32 pixel = 0;
        SDL_Rect one{x, y, 1, 1};
        SDL_RenderReadPixels(SDL_GetRenderer(window), &one, SDL_PIXELFORMAT_RGB888, &pixel, 4);
        return pixel & 0xFFFFFF;
    };
    EXPECT_EQ(shownAt(3 * 3, 3 * 4), 0xFF0000u);
    EXPECT_EQ(shownAt(3 * 3 + 2, 3 * 4 + 2), 0xFF0000u);
    EXPECT_EQ(shownAt(3 * 3 + 3, 3 * 4), 0u);
    EXPECT_EQ(shownAt(3 * 4, 3 * 3), 0u);

    // F12 writes what the device shows into the program folder and says
    // where; a second shot in the same second does not replace the first.
    testing::internal::CaptureStdout();
    for (int press = 0; press < 2; ++press) {
        PushKey(SDL_KEYDOWN, SDLK_F12);
        PushKey(SDL_KEYUP, SDLK_F12);
        EXPECT_TRUE(Drain().empty());
    }
    const std::string said = testing::internal::GetCapturedStdout();
    std::vector<std::filesystem::path> shots;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
        shots.push_back(entry.path());
    // The first shot has the plain name.
    std::sort(shots.begin(), shots.end(),
              [](const auto& a, const auto& b) { return a.string().size() < b.string().size(); });
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_NE(said.find("mirelo: screenshot " + shots[0].string() + "\n"), std::string::npos)
        << said;
    std::string name = shots[0].filename().string();
    EXPECT_EQ(name.rfind("screenshot-", 0), 0u) << name;
    EXPECT_EQ(name.size(), std::string("screenshot-YYYYMMDD-HHMMSS.png").size()) << name;
    auto picture = testing_support::ReadPngPicture(shots[0].string());
    ASSERT_EQ(picture.width, 320u);
    EXPECT_EQ(picture.At(3, 4), 0xFF0000u);
    EXPECT_EQ(picture.At(4, 3), 0u);

    // The clock is the system's millisecond count.
    uint32_t before = backend_.clock->TickCount();
    backend_.clock->Sleep(5);
    EXPECT_GE(backend_.clock->TickCount() - before, 5u);
}

TEST_F(SdlBackendTest, KeysBecomeVirtualKeyMessages) {
    PushKey(SDL_KEYDOWN, SDLK_z);
    PushKey(SDL_KEYDOWN, SDLK_z, 0, 1);  // auto-repeat counts again
    PushKey(SDL_KEYUP, SDLK_z);
    PushKey(SDL_KEYDOWN, SDLK_LCTRL);
    PushKey(SDL_KEYDOWN, SDLK_TAB);
    PushKey(SDL_KEYDOWN, SDLK_q);  // not a game key
    auto messages = Drain();
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].code, platform::kMsgKeyDown);
    EXPECT_EQ(messages[0].wParam, platform::kVkC);
    EXPECT_EQ(messages[0].window, handle_);
    EXPECT_EQ(messages[1].code, platform::kMsgKeyDown);
    EXPECT_EQ(messages[2].code, platform::kMsgKeyUp);
    EXPECT_EQ(messages[2].wParam, platform::kVkC);
    EXPECT_EQ(messages[3].wParam, platform::kVkLeft);
    EXPECT_EQ(messages[4].wParam, platform::kVkCentre);

    SDL_Event button{};
    button.type = SDL_CONTROLLERBUTTONDOWN;
    button.cbutton.button = SDL_CONTROLLER_BUTTON_B;
    SDL_PushEvent(&button);
    messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, platform::kMsgKeyDown);
    EXPECT_EQ(messages[0].wParam, platform::kVkB);
}

// The mouse is the stylus: game pixel (x, y) reaches the engine as the
// portrait window point (y, 320 - x), after the scale and any border are
// taken off.
TEST_F(SdlBackendTest, MouseIsTheStylus) {
    PushMouse(SDL_MOUSEMOTION, 10, 10);  // not held: nothing
    PushMouse(SDL_MOUSEBUTTONDOWN, 3 * 100 + 2, 3 * 50 + 1);
    PushMouse(SDL_MOUSEMOTION, 3 * 319, 3 * 239 + 2);
    PushMouse(SDL_MOUSEBUTTONUP, 2000, -40);  // dragged off the window: the edge
    auto messages = Drain();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].code, platform::kMsgStylusDown);
    EXPECT_EQ(messages[0].lParam, platform::PackPoint(50, 220));
    EXPECT_EQ(messages[1].code, platform::kMsgStylusMove);
    EXPECT_EQ(messages[1].lParam, platform::PackPoint(239, 1));
    EXPECT_EQ(messages[2].code, platform::kMsgStylusUp);
    EXPECT_EQ(messages[2].lParam, platform::PackPoint(0, 1));

    // Full screen letterboxes the picture at the largest whole scale.
    PushKey(SDL_KEYDOWN, SDLK_F11);
    EXPECT_TRUE(Drain().empty());
    SDL_Window* window = MainWindow();
    EXPECT_NE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
    int width = 0, height = 0;
    SDL_GetWindowSize(window, &width, &height);
    platform::PictureViewport viewport = platform::FitPicture(width, height);
    PushMouse(SDL_MOUSEBUTTONDOWN, viewport.x - 1, viewport.y + 5);  // on the border
    PushMouse(SDL_MOUSEBUTTONDOWN, viewport.x, viewport.y + 5 * viewport.scale);
    messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].lParam, platform::PackPoint(5, 320));

    PushKey(SDL_KEYDOWN, SDLK_RETURN, KMOD_LALT);  // Alt+Enter: back to a window, no C
    EXPECT_TRUE(Drain().empty());
    EXPECT_EQ(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN, 0u);
}

TEST_F(SdlBackendTest, ClosingAndDestroying) {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&close);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    auto messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, platform::kMsgClose);

    backend_.window->DestroyMainWindow();
    messages = Drain();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].code, platform::kMsgDestroy);
    EXPECT_EQ(messages[0].window, handle_);
    EXPECT_EQ(MainWindow(), nullptr);

    // Without a screen the box goes to the console only, and nothing blocks.
    testing::internal::CaptureStderr();
    backend_.system->MessageBox("no display", "Error");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "mirelo: no display\n");
}

}  // namespace
