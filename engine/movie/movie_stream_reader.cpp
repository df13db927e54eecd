#include "engine/movie/movie_stream_reader.h"

#include <algorithm>
#include <chrono>
#include <span>
#include <thread>

namespace movie {

namespace {

// The reader's poll interval, and the engine thread's wait for a frame. Both
// are real time: the engine clock may be virtual (headless), and waiting on
// it would make the picture depend on how fast the reader is.
constexpr auto kReaderPoll = std::chrono::milliseconds(5);
constexpr auto kFrameWait = std::chrono::milliseconds(1);

}  // namespace

MovieStreamReader::MovieStreamReader() = default;

MovieStreamReader::~MovieStreamReader() {
    end_.store(true, std::memory_order_release);
    // The body uses the slots and the file: it ends before they go.
    if (started_) Wait();
}

bool MovieStreamReader::Open(std::string_view devicePath, std::string* why) {
    file_ = platform::DeviceFile::OpenForReading(devicePath);
    if (!file_) {
        *why = "cannot open the movie";
        return false;
    }
    const uint64_t fileSize = file_->Size();
    std::vector<uint8_t> first(std::min<uint64_t>(fileSize, formats::kMovieFirstReadSize));
    formats::MovieHeader header;
    if (!file_->ReadAt(0, first) || !formats::ParseMovieHeader(first, fileSize, &header, why)) {
        if (why->empty()) *why = "cannot read the movie header";
        return false;
    }
    std::vector<uint8_t> headerAndIndex(formats::MovieIndexBytes(header));
    if (!file_->ReadAt(0, headerAndIndex)) {
        *why = "cannot read the movie index";
        return false;
    }
    if (!formats::ParseMovieIndex(headerAndIndex, fileSize, &index_, why)) return false;

    if (!LoadSlot(0, 0) || !LoadSlot(1, nextFrameToLoad_.load(std::memory_order_relaxed))) {
        *why = "cannot read the first frames";
        return false;
    }
    try {
        Create();
        Resume();
    } catch (const platform::CCtrlFailed& failure) {
        *why = failure.what();
        return false;
    }
    started_ = true;
    return true;
}

bool MovieStreamReader::InSlot(const Slot& slot, uint32_t frame) const {
    // The count is stored last: a slot being refilled shows 0 frames.
    const uint32_t count = slot.count.load(std::memory_order_acquire);
    const uint32_t first = slot.first.load(std::memory_order_relaxed);
    return frame >= first && frame - first < count;
}

bool MovieStreamReader::LoadSlot(int s, uint32_t f) {
    Slot& slot = slots_[s];
    const uint32_t frames = index_.FrameCount();
    uint32_t taken = 0;
    uint64_t bytes = 0;
    while (f + taken < frames && taken < kMaxFramesPerSlot &&
           bytes + index_.entries[f + taken].storedSize <= kSlotBytes) {
        bytes += index_.entries[f + taken].storedSize;
        ++taken;
    }
    slot.count.store(0, std::memory_order_release);
    bool read = true;
    if (taken > 0 && bytes > 0) {
        read = file_->ReadAt(index_.FrameRange(f).offset,
                             std::span<uint8_t>(slot.bytes.data(), static_cast<size_t>(bytes)));
    }
    slotLoads_.fetch_add(1, std::memory_order_relaxed);
    if (!read) {
        // A file that shrank or a failing card: the engine stops waiting.
        failed_.store(true, std::memory_order_release);
        end_.store(true, std::memory_order_release);
        return false;
    }
    slot.first.store(f, std::memory_order_relaxed);
    slot.count.store(taken, std::memory_order_release);
    nextSlot_.store(1 - s, std::memory_order_relaxed);
    nextFrameToLoad_.store(f + taken, std::memory_order_release);
    if (f + taken >= frames) end_.store(true, std::memory_order_release);
    return true;
}

void MovieStreamReader::Run() {
    while (!end_.load(std::memory_order_acquire)) {
        const uint32_t requested = requested_.load(std::memory_order_acquire);
        const uint32_t next = nextFrameToLoad_.load(std::memory_order_relaxed);
        if (requested < next) {
            const int s = nextSlot_.load(std::memory_order_relaxed);
            const Slot& slot = slots_[s];
            const uint32_t end = slot.first.load(std::memory_order_relaxed) +
                                 slot.count.load(std::memory_order_relaxed);
            // The engine has left this slot behind: fill it with what follows.
            if (requested >= end && !LoadSlot(s, next)) return;
        } else if (!busy_.load(std::memory_order_acquire)) {
            // The engine skipped ahead of everything loaded and waits for it.
            if (!LoadSlot(0, requested)) return;
            const uint32_t after = nextFrameToLoad_.load(std::memory_order_relaxed);
            if (after < index_.FrameCount() && !LoadSlot(1, after)) return;
        }
        if (end_.load(std::memory_order_acquire)) return;
        std::this_thread::sleep_for(kReaderPoll);
    }
}

FrameBytes MovieStreamReader::GetFrame(uint32_t frame) {
    if (frame >= index_.FrameCount()) return {};
    requested_.store(frame, std::memory_order_release);
    while (frame >= nextFrameToLoad_.load(std::memory_order_acquire)) {
        if (failed_.load(std::memory_order_acquire)) return {};
        std::this_thread::sleep_for(kFrameWait);
    }
    busy_.store(true, std::memory_order_release);
    FrameBytes found;
    for (const Slot& slot : slots_) {
        if (!InSlot(slot, frame)) continue;
        const uint32_t first = slot.first.load(std::memory_order_relaxed);
        const uint32_t offset = index_.entries[frame].dataOffset - index_.entries[first].dataOffset;
        found = {slot.bytes.data() + offset, index_.entries[frame].storedSize};
        break;
    }
    busy_.store(false, std::memory_order_release);
    return found;
}

}  // namespace movie
