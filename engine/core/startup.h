#pragma once
// The engine's command line, start-up order, message loop and shutdown.

#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/glyph_rasterizer.h"

namespace core {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool headless = false;
    std::string dataFolder;  // host path; empty = the executable's folder
    // --scenario NAME --dialect D: start the story directly.
    std::string scenario;  // UTF-8 as given
    int dialect = -1;
    platform::BackendOptions backend;
};

// A story to start at once instead of the logo.
struct DirectStart {
    std::string scenario;  // UTF-8; empty: the logo as usual
    int dialect = 0;
};

// Parses the arguments after the program name. False with a reason for the
// user on a bad argument.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* commandLine,
                      std::string* error);

extern const char kUsage[];

class Engine;

// Sees the engine after every pass of the message loop; tests use it to
// watch the game and to drive parts of the engine at chosen times.
class EngineObserver {
public:
    virtual ~EngineObserver() = default;
    virtual void AfterPass(Engine& engine) = 0;
};

// Runs the engine on a backend until it quits; returns the exit code.
// programFolder: host path of the program folder, ending in '/'.
int RunEngine(platform::Backend& backend, const std::string& programFolder,
              EngineObserver* observer = nullptr, const DirectStart& start = {});

}  // namespace core
