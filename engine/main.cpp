// mirelo: the game engine. (Being built: this entry only answers --version.)
#include <cstdio>
#include <cstring>

#include "mirelo_version.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("mirelo %s\n", MIRELO_VERSION);
        return 0;
    }
    std::fprintf(stderr, "mirelo: the engine is not built yet\n");
    return 1;
}
