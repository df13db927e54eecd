#include "platform/sdl/quiet_stderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace platform {

QuietStderr::QuietStderr() {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    int nothing = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved_ < 0 || nothing < 0) {
        if (nothing >= 0) ::close(nothing);
        return;
    }
    ::dup2(nothing, STDERR_FILENO);
    ::close(nothing);
}

QuietStderr::~QuietStderr() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
}

}  // namespace platform
