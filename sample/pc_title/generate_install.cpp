// Writes the install folder of our own sample PC title, for the data
// converter to work on:
//   pc_title_generator OUT_DIR
// The folder's contents are described in sample/pc_title/install_tree.h.

#include <cstdio>
#include <string>

#include "mirelo_version.h"
#include "sample/pc_title/install_tree.h"

namespace {

constexpr char kUsage[] =
    "usage: pc_title_generator OUT_DIR\n"
    "\n"
    "Writes the install folder of the sample PC title into OUT_DIR (created when\n"
    "missing): the marker Voskerinta.exe and, under GameData, .crx pictures in\n"
    "both schemes, map files, .pcm music and effects in every coding,\n"
    "voice.dat and a voice folder, and an opening movie (.avi, .mj). The same\n"
    "bytes every run.\n"
    "\n"
    "  --help, --version\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::printf("%s", kUsage);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("pc_title_generator %s\n", MIRELO_VERSION);
        return 0;
    }
    if (argc != 2 || argv[1][0] == '\0' || argv[1][0] == '-') {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    pc_title::InstallReport report;
    std::string error;
    if (!pc_title::WriteSampleInstall(argv[1], &report, &error)) {
        std::fprintf(stderr, "pc_title_generator: %s\n", error.c_str());
        return 1;
    }
    std::printf("pc_title_generator: %s: %zu files, %llu bytes\n", argv[1], report.files.size(),
                static_cast<unsigned long long>(report.bytes));
    return 0;
}
