// mirtool: inspects and builds the system's file formats.

#include <cstdio>
#include <string>

#include "commands.h"
#include "mirelo_version.h"

int main(int argc, char** argv) {
    mirtool::Args args(argv + 1, argv + argc);
    if (args.empty()) return mirtool::UsageError("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(mirtool::kUsage, stdout);
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("mirtool %s\n", MIRELO_VERSION);
        return 0;
    }
    std::string group = args[0];
    mirtool::Args rest(args.begin() + 1, args.end());
    if (group == "mlz") return mirtool::RunMlzCommand(rest);
    if (group == "rbp") return mirtool::RunRbpCommand(rest);
    if (group == "mov") return mirtool::RunMovCommand(rest);
    if (group == "crx") return mirtool::RunCrxCommand(rest);
    if (group == "pcm") return mirtool::RunPcmCommand(rest);
    if (group == "mes") return mirtool::RunMesCommand(rest);
    return mirtool::UsageError("unknown group '" + group + "'");
}
