#pragma once
// The headless backend's input script: one event a line, "MS EVENT ARGS",
// turned into the window messages the engine receives at those virtual times.
//
//   press K | down K | up K        K: UP DOWN LEFT RIGHT A B C START CENTRE
//   tap X Y | touch X Y | move X Y | release X Y     landscape pixels
//   close
//
// press and tap give their second message (key up, stylus up) 50 ms later.
// Blank lines and lines starting with '#' are ignored.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"

namespace platform {

// The window every scripted message is addressed to (the main window).
inline constexpr WindowHandle kScriptWindow = 1;
// How long a scripted press or tap is held.
inline constexpr uint64_t kScriptHoldMs = 50;

struct ScriptedMessage {
    uint64_t timeMs = 0;
    Message message;
};

// Parses a whole script; the messages come out in time order, messages of
// equal time in the order of the lines. On failure, error reads
// "NAME:LINE: reason" and events is left empty.
bool ParseInputScript(std::string_view text, const std::string& name,
                      std::vector<ScriptedMessage>* events, std::string* error);

// Reads and parses the script file at a host path.
bool LoadInputScript(const std::string& path, std::vector<ScriptedMessage>* events,
                     std::string* error);

}  // namespace platform
