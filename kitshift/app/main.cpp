// kitshift: converts a PC title's install folder into the engine's data set.
// Without arguments it opens its dialog; with arguments it runs on the console.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "console.h"
#include "kitshift/ui/kitshift_dialog.h"

int main(int argc, char** argv) {
    if (argc > 1) return kitshift::RunConsole(std::vector<std::string>(argv + 1, argv + argc));
    // The dialog needs a display; without one, say how to use the console.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "kitshift: no display for the dialog\n%s", kitshift::kConsoleUsage);
        return kitshift::kExitUsage;
    }
    return kitshift::RunKitshiftDialog(argc, argv);
}
