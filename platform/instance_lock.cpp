#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/backend.h"

namespace platform {

namespace {

std::string LockPath(const std::string& name) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0')
        return std::string(runtime) + "/" + name + ".lock";
    // /tmp is shared between users: the user id keeps one user's copy from
    // blocking another's.
    return "/tmp/" + name + "-" + std::to_string(::getuid()) + ".lock";
}

}  // namespace

bool AcquireInstanceLock(const std::string& name, std::string* lockPath) {
    // Names this process already holds: asking again is not a second copy.
    static std::set<std::string> held;
    if (held.count(name) != 0) return true;
    std::string path = LockPath(name);
    int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file the question cannot be answered; running is better
    // than refusing to start.
    if (descriptor < 0) return true;
    int result;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        int reason = errno;
        ::close(descriptor);
        if (lockPath != nullptr) *lockPath = path;
        return reason != EWOULDBLOCK;
    }
    // The descriptor stays open on purpose: the lock lives as long as the
    // process and the system drops it when the process ends.
    held.insert(name);
    return true;
}

}  // namespace platform
