// mirelo: the game engine. A thin entry over the engine and its two backends.

#include <unistd.h>

#include <climits>
#include <cstdio>
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

    std::string folder = ExecutableFolder();
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
