// mirelo: the game engine. A thin entry over the engine and its two backends.

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/startup.h"
#include "engine/game/game.h"
#include "mirelo_version.h"
#include "platform/headless/headless_backend.h"
#include "platform/sdl/sdl_backend.h"

namespace {

// The folder of the running executable, with a trailing '/'.
std::string ExecutableFolder() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return "./";
    return self.parent_path().string() + "/";
}

// Where the data is without --data: beside the program when it was put
// there (a build, a folder copied to a device), else the user's data folder
// of an installed program.
std::string DefaultProgramFolder() {
    const std::string beside = ExecutableFolder();
    std::error_code error;
    if (std::filesystem::exists(beside + "1", error) ||
        std::filesystem::exists(beside + "mirelo.cfg", error)) {
        return beside;
    }
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (home != nullptr && home[0] != '\0') {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        return beside;
    }
    std::string folder = (base / "mirelo").string() + "/";
    // The settings and saves are written there, so the folder is made.
    std::filesystem::create_directories(folder, error);
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    core::CommandLine commandLine;
    std::string error;
    if (!core::ParseCommandLine(args, &commandLine, &error)) {
        std::fprintf(stderr, "mirelo: %s\n%s", error.c_str(), core::kUsage);
        return 2;
    }
    if (commandLine.help) {
        std::fputs(core::kUsage, stdout);
        return 0;
    }
    if (commandLine.version) {
        std::printf("mirelo %s\n", MIRELO_VERSION);
        return 0;
    }

    std::string folder = DefaultProgramFolder();
    if (!commandLine.dataFolder.empty()) {
        std::error_code fsError;
        std::filesystem::path data = std::filesystem::absolute(commandLine.dataFolder, fsError);
        if (!std::filesystem::is_directory(data, fsError)) {
            std::fprintf(stderr, "mirelo: %s: no such folder\n", commandLine.dataFolder.c_str());
            return 1;
        }
        folder = data.lexically_normal().string();
        if (folder.back() != '/') folder += '/';
    }
    commandLine.backend.programFolder = folder;

    platform::Backend backend = commandLine.headless
                                    ? platform::CreateHeadlessBackend(commandLine.backend, &error)
                                    : platform::CreateSdlBackend(commandLine.backend, &error);
    if (!backend.window) {
        std::fprintf(stderr, "mirelo: %s\n", error.c_str());
        return commandLine.headless ? 2 : 1;
    }
    game::DirectStart start{commandLine.scenario, commandLine.dialect};
    return game::RunGame(backend, folder, nullptr, start);
}
