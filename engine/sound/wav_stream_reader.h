#pragma once
// Music from a WAV file, read straight from a read-only mapping of the file
// (or, with kCopy, from a private copy taken at open). The reader knows
// nothing of the WAVE layout: the mixer reads the 44-byte header itself and
// loops back to the byte after it.
//
// Thread safety: opened on the game thread before the music channel that
// reads it is published; from then on only the device's callback thread
// reads it, until the channel has been released.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mapped_file.h"

namespace sound {

class WavStreamReader {
public:
    enum class Storage { kMapped, kCopy };

    WavStreamReader() = default;
    ~WavStreamReader();
    WavStreamReader(const WavStreamReader&) = delete;
    WavStreamReader& operator=(const WavStreamReader&) = delete;

    // Opens the file named by a device path: 1 on success, 0 when it cannot
    // be opened or mapped. An empty file opens and is at its end at once.
    int Open(std::string_view devicePath, Storage storage = Storage::kMapped);
    void Close();

    // Copies up to count bytes from the read position; returns the bytes
    // copied. Reaching the end with loop set moves the position back to the
    // loop start; without loop the reader reports AtEnd once nothing is left.
    uint32_t Read(uint8_t* out, uint32_t count, bool loop);

    void SetLoopStart(uint64_t offset) { loopStart_ = offset; }
    bool AtEnd() const { return atEnd_; }
    uint64_t Size() const { return size_; }
    uint64_t Position() const { return position_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    platform::MappedFile mapped_;  // empty with kCopy once copied
    std::vector<uint8_t> copy_;
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    uint64_t loopStart_ = 0;
    bool atEnd_ = false;
};

}  // namespace sound
