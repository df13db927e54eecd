// The input is a whole mj file: read its header and table as the converter
// does and check that every frame and sound chunk lies inside the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "clipmux/mj_file.h"

namespace {

class MemorySource final : public formats::ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Size() const override { return size_; }
    size_t ReadSomeAt(uint64_t offset, std::span<uint8_t> bytes) override {
        if (offset >= size_ || bytes.empty()) return 0;
        const size_t count = std::min<uint64_t>(bytes.size(), size_ - offset);
        std::memcpy(bytes.data(), data_ + offset, count);
        return count;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

void Touch(const formats::FileRange& range, const uint8_t* data, size_t size, unsigned* sum) {
    if (range.offset > size || range.size > size - range.offset) std::abort();
    if (range.size > 0) *sum += data[range.offset] + data[range.offset + range.size - 1];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    clipmux::MjFile file;
    std::string why;
    if (!clipmux::ReadMjFile(source, &file, &why)) return 0;
    if (file.frames.size() + 1 != file.entryCount) std::abort();
    unsigned sum = 0;
    uint64_t sound = 0;
    for (const formats::FileRange& frame : file.frames) Touch(frame, data, size, &sum);
    for (const formats::FileRange& chunk : file.sounds) {
        Touch(chunk, data, size, &sum);
        sound += chunk.size;
    }
    if (sound != file.soundBytes) std::abort();
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
