#pragma once
// The window messages the engine handles, and the queue between the backend
// (which turns its events into messages) and the engine's message loop.

#include <cstdint>
#include <deque>

namespace platform {

enum MessageCode : uint32_t {
    kMsgDestroy = 0x0002,
    kMsgPaint = 0x000F,
    kMsgClose = 0x0010,
    kMsgQuit = 0x0012,
    kMsgKeyDown = 0x0100,
    kMsgKeyUp = 0x0101,
    kMsgCommand = 0x0111,
    kMsgStylusMove = 0x0200,
    kMsgStylusDown = 0x0201,
    kMsgStylusUp = 0x0202,
};

using WindowHandle = uint32_t;  // 0 = none

struct Message {
    WindowHandle window = 0;
    uint32_t code = 0;
    uint32_t wParam = 0;  // key messages: the virtual-key code; quit: the exit code
    int32_t lParam = 0;   // stylus messages: portrait window x in the low 16 bits, y in the high
};

inline int32_t PackPoint(int32_t x, int32_t y) {
    return static_cast<int32_t>((static_cast<uint32_t>(y) << 16) |
                                (static_cast<uint32_t>(x) & 0xFFFF));
}
// The message point of landscape pixel (x, y) of the 320-wide picture: the
// portrait window point (y, 320 - x), which the engine turns back into (x, y).
inline int32_t LandscapeToMessagePoint(int32_t x, int32_t y) {
    return PackPoint(y, 320 - x);
}
inline int32_t PointX(int32_t lParam) {
    return static_cast<int16_t>(lParam & 0xFFFF);
}
inline int32_t PointY(int32_t lParam) {
    return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

class MessageQueue {
public:
    void Post(const Message& message) { queue_.push_back(message); }
    bool Empty() const { return queue_.empty(); }
    const Message& Front() const { return queue_.front(); }
    // The next message; an empty one (code 0) when nothing waits.
    Message Take() {
        if (queue_.empty()) return Message{};
        Message message = queue_.front();
        queue_.pop_front();
        return message;
    }

private:
    std::deque<Message> queue_;
};

}  // namespace platform
