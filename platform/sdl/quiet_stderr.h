#pragma once
// Keeps the console clean while the video and audio libraries probe their
// drivers: they print their own noise to the standard error stream, which
// says nothing a player can act on. What failed is reported by the caller,
// from the library's error text.

namespace platform {

class QuietStderr {
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved_ = -1;
};

}  // namespace platform
