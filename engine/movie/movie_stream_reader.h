#pragma once
// Reads a movie's frames ahead on a thread of its own, into two fixed slots
// of 64 KiB that hold at most two neighbouring frames each, so that the
// engine thread seldom waits for the storage card. The header and index are
// read and checked at open: a file the player cannot play (a frame over
// 64 KiB, a picture over 320 x 240, an index that promises more than the
// file holds) is refused there, so that no frame is waited for that can
// never come.
//
// Thread safety: Open, GetFrame and destruction on the engine thread; Run
// on the reader's thread. There is no lock: the requested frame and busy
// are written only by the engine thread, the slot tables, the next slot,
// the next frame to load and the end only by the reader (the end also by
// the destructor). The reader refills only a slot the engine has passed,
// and reloads both only while the engine waits for a frame not loaded, so
// the frame the engine decodes is never overwritten. Each slot's bytes are
// published by a release store of the next frame to load.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "formats/movie_container.h"
#include "platform/device_file.h"
#include "platform/thread_object.h"

namespace movie {

inline constexpr uint32_t kSlotBytes = 65536;
inline constexpr int kSlotCount = 2;
inline constexpr uint32_t kMaxFramesPerSlot = 2;

// One frame's bytes inside a slot; size may be 0 (a frame the converter lost).
struct FrameBytes {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
};

class MovieStreamReader final : public platform::ThreadObject {
public:
    MovieStreamReader();
    ~MovieStreamReader() override;

    // Opens the movie at the device path, reads and checks its header and
    // index, fills both slots and starts the thread. False with the reason
    // when the file is missing, unreadable or refused.
    bool Open(std::string_view devicePath, std::string* why);

    const formats::MovieIndex& Index() const { return index_; }

    // The frame's bytes, waiting while the reader loads it. A frame below
    // the frame count that is in neither slot (a request behind the reader)
    // gives no data; so does a read failure, after which Failed is true.
    FrameBytes GetFrame(uint32_t frame);
    bool Failed() const { return failed_.load(std::memory_order_acquire); }

    // How many times a slot was filled, for tests.
    uint32_t SlotLoads() const { return slotLoads_.load(std::memory_order_relaxed); }

    void Run() override;

private:
    struct Slot {
        std::vector<uint8_t> bytes = std::vector<uint8_t>(kSlotBytes);
        std::atomic<uint32_t> first{0};
        std::atomic<uint32_t> count{0};
    };

    // Fills slot s with frame f and, when it fits, the next one. False on a
    // read error.
    bool LoadSlot(int s, uint32_t f);
    bool InSlot(const Slot& slot, uint32_t frame) const;

    std::unique_ptr<platform::DeviceFile> file_;
    formats::MovieIndex index_;
    std::array<Slot, kSlotCount> slots_;
    std::atomic<int> nextSlot_{0};
    std::atomic<uint32_t> nextFrameToLoad_{0};
    std::atomic<uint32_t> requested_{0};
    std::atomic<bool> busy_{false};
    std::atomic<bool> end_{false};
    std::atomic<bool> failed_{false};
    std::atomic<uint32_t> slotLoads_{0};
    bool started_ = false;
};

}  // namespace movie
