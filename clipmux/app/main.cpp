// clipmux: converts movies into the handheld's movie container and its MP3
// sound track. Without arguments it opens its dialog; with arguments it runs
// on the console.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "clipmux/ui/clipmux_dialog.h"
#include "console.h"

int main(int argc, char** argv) {
    if (argc > 1) return clipmux::RunConsole(std::vector<std::string>(argv + 1, argv + argc));
    // The dialog needs a display; without one, say how to use the console.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "clipmux: no display for the dialog\n%s", clipmux::kConsoleUsage);
        return clipmux::kExitUsage;
    }
    return clipmux::RunClipmuxDialog(argc, argv);
}
