// The input is a whole AVI file: read its streams the way the converter does
// and check that every chunk the reader lists lies inside the input.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "clipmux/avi_file.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemorySource source(data, size);
    clipmux::AviFile file;
    std::string why;
    if (!clipmux::ReadAviFile(source, &file, &why)) return 0;
    if (file.streams.size() > clipmux::kMaxAviStreams) std::abort();
    unsigned sum = 0;
    for (const clipmux::AviStream& stream : file.streams) {
        uint64_t total = 0;
        for (const formats::FileRange& chunk : stream.chunks) {
            if (chunk.offset > size || chunk.size > size - chunk.offset) std::abort();
            if (chunk.size > 0) sum += data[chunk.offset] + data[chunk.offset + chunk.size - 1];
            total += chunk.size;
        }
        if (total != stream.chunkBytes) std::abort();
        clipmux::BitmapInfo info;
        if (clipmux::ParseBitmapInfo(stream.format, &info)) {
            for (uint8_t byte : info.extra) sum += byte;
        }
    }
    return sum == 0xFFFFFFFFu ? 1 : 0;
}
