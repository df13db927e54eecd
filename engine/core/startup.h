#pragma once
// The engine's command line, start-up order, message loop and shutdown.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/settings_store.h"
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

// What the layers above the core add to a running engine: their state
// handlers, and whatever those own. Made once the engine is initialised,
// destroyed before the engine.
class GameModules {
public:
    virtual ~GameModules() = default;
};

// Makes the game's modules on the engine; nullptr with a message for the
// user in *error when the game cannot start.
using GameFactory = std::function<std::unique_ptr<GameModules>(Engine& engine, std::string* error)>;

// Runs the engine on a backend until it quits; returns the exit code.
// programFolder: host path of the program folder, ending in '/'. Without a
// factory the engine runs with no state handlers (it shows nothing); without
// a store every setting and data location keeps its default and nothing is
// kept.
int RunEngine(platform::Backend& backend, const std::string& programFolder,
              EngineObserver* observer = nullptr, const GameFactory& makeGame = {},
              SettingsStore* store = nullptr);

}  // namespace core
