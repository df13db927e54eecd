#include "engine/core/startup.h"

#include <cstdio>

#include "engine/core/engine.h"
#include "platform/device_file.h"
#include "platform/device_path.h"

namespace core {

namespace {

const char kWindowTitle[] = "mirelo";
const char kFullScreenFailed[] = "ウィンドウのフルスクリーン化に失敗しました";
const char kDisplayFailed[] = "GAPIライブラリのロードに失敗しました";
const char kErrorCaption[] = "Error";

// The first data a new player needs is the first story's archive; without
// it the logo cannot load and the program would end without a word.
void ReportMissingData(Engine& engine) {
    const std::string archive = platform::DeviceToHostPath(engine.dataFolders[kLocationImages0]);
    std::string why;
    if (platform::DeviceFile::OpenHostFile(archive, &why)) return;
    std::fprintf(stderr,
                 "mirelo: %s: %s; the program folder %s holds no converted data "
                 "(convert a title with kitshift, or name the folder with --data)\n",
                 archive.c_str(), why.c_str(),
                 platform::DeviceToHostPath(engine.programFolder).c_str());
    engine.NoteArchiveReported(archive);
}

}  // namespace

int RunEngine(platform::Backend& backend, const std::string& programFolder,
              EngineObserver* observer, const GameFactory& makeGame, SettingsStore* store) {
    platform::SetGxDevice(backend.display.get());
    struct DeviceReset {
        ~DeviceReset() { platform::SetGxDevice(nullptr); }
    } deviceReset;
    std::string fontError;
    auto glyphs = platform::GlyphRasterizer::Create(&fontError);

    // 1. The engine object and all its layers.
    auto engine = std::make_unique<Engine>(backend, std::move(glyphs),
                                           platform::HostToDevicePath(programFolder));
    // 2. A second copy leaves the first one alone, and says why it ends.
    std::string lockPath;
    if (!backend.system->AcquireSingleInstance(&lockPath)) {
        std::fprintf(stderr, "mirelo: already running (%s is held by another copy)\n",
                     lockPath.c_str());
        return 1;
    }
    if (!engine->glyphs) {
        // Not a failure the handheld could have: the font is a package of ours.
        backend.system->MessageBox("No Japanese font: " + fontError, kErrorCaption);
        return 1;
    }
    // 3, 4. The window.
    if (engine->CreateMainWindow(*backend.window, kWindowTitle) == 0) return 0;
    // 5. Full screen.
    if (!backend.window->MakeFullScreen()) {
        backend.system->MessageBox(kFullScreenFailed, kErrorCaption);
        return 0;
    }
    // 6, 7. The Game API display and keys.
    if (platform::GXOpenDisplay(engine->window, platform::kGxFullScreen) == 0) {
        backend.system->MessageBox(kDisplayFailed, kErrorCaption);
        return 0;
    }
    platform::GXOpenInput();
    platform::GXDisplayProperties properties = platform::GXGetDisplayProperties();
    engine->screen.SetDevicePitches(properties.cbxPitch, properties.cbyPitch);
    // 8. Nothing cached from before.
    if (store != nullptr) store->Reset();
    engine->settingsStore = store;

    // 10. Initialisation: the frame timer, then the settings and the data
    // locations; the archive check and the fixed images need the locations.
    engine->frameTimer.Start(kFramePeriodMs, engine->clock);
    if (store != nullptr)
        store->Load(engine->programFolder, &engine->settings, &engine->dataFolders);
    engine->ApplySettings();
    ReportMissingData(*engine);
    engine->LoadStartupImages();
    // The story and the screens.
    std::unique_ptr<GameModules> game;
    if (makeGame) {
        std::string gameError;
        game = makeGame(*engine, &gameError);
        if (!game) {
            backend.system->MessageBox(gameError, kErrorCaption);
            return 1;
        }
    }

    // 11. The message loop: peek, dispatch, or tick.
    platform::WindowSystem& windows = *backend.window;
    uint32_t exitCode = 0;
    for (;;) {
        if (windows.PeekMessage()) {
            platform::Message message = windows.GetMessage();
            if (message.code == platform::kMsgQuit) {
                exitCode = message.wParam;
                break;
            }
            AppWindow::WindowProcedure(message);
        } else {
            engine->Tick();
        }
        if (observer != nullptr) observer->AfterPass(*engine);
    }

    // Shutdown.
    platform::GXCloseInput();
    platform::GXCloseDisplay();
    if (store != nullptr) {
        // A run ended without closing the window (the headless run's end)
        // keeps the user's settings all the same.
        if (!engine->SettingsSaved()) engine->SaveSettings();
        store->Flush();
    }
    game.reset();
    engine.reset();
    return static_cast<int>(exitCode);
}

}  // namespace core
