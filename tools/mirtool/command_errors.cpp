// The usage text and the error lines every mirtool command prints.

#include "command_errors.h"

#include <cstdio>

namespace mirtool {

const char kUsage[] =
    "usage: mirtool GROUP COMMAND [ARGS]\n"
    "\n"
    "  mlz list ARCHIVE                     one line per entry: index, name, stored size,\n"
    "                                       unpacked size, method, data offset\n"
    "  mlz extract ARCHIVE DIR [NAME...]    write entries (all, or the named ones) under DIR\n"
    "  mlz pack OUT.mlz [--stored] [--base DIR] FILE...\n"
    "                                       pack files (folders are walked); names are\n"
    "                                       relative to DIR (default: the current folder)\n"
    "  rbp info FILE.rbp                    header fields\n"
    "  rbp topng FILE.rbp OUT.png           picture with its alpha\n"
    "  rbp frompng IN.png OUT.rbp [--alpha] [--design WxH]\n"
    "                                       type 13 with magenta as the key, or type 11\n"
    "  mov info FILE.mov                    header fields, frame count, per-frame sizes\n"
    "  mov frames FILE.mov DIR              each frame as DIR/frame-NNNNN.jpg\n"
    "  crx topng FILE.crx OUT.png           the PC title's picture, magenta kept\n"
    "  pcm towav [--stage music|voice-file|voice-record] FILE.pcm OUT.wav\n"
    "                                       the sound as the conversion hands it to the\n"
    "                                       encoder in that stage (default music)\n"
    "  mes disasm FILE.MES --dialect D [OUT.txt]\n"
    "                                       a scenario script as text, one record a line\n"
    "  mes asm IN.txt OUT.MES --dialect D   the script back from that text, byte for byte\n"
    "\n"
    "  --help, --version\n";

int Fail(const std::string& subject, const std::string& reason) {
    std::fprintf(stderr, "mirtool: %s: %s\n", subject.c_str(), reason.c_str());
    return 1;
}

int UsageError(const std::string& message) {
    std::fprintf(stderr, "mirtool: %s\n%s", message.c_str(), kUsage);
    return 2;
}

}  // namespace mirtool
