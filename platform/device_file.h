#pragma once
// Files named by device paths: whole-file reading and a read handle with
// random access. Thread safety: a DeviceFile is used by one thread at a time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class DeviceFile {
public:
    // Opens for shared reading; nullptr when the file cannot be opened.
    static std::unique_ptr<DeviceFile> OpenForReading(std::string_view devicePath);
    ~DeviceFile();
    DeviceFile(const DeviceFile&) = delete;
    DeviceFile& operator=(const DeviceFile&) = delete;

    uint64_t Size() const { return size_; }
    // Reads exactly bytes.size() bytes at offset; false on a short read.
    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes);
    // Reads up to bytes.size() bytes at offset; returns the count read.
    size_t ReadSomeAt(uint64_t offset, std::span<uint8_t> bytes);

private:
    DeviceFile(int descriptor, uint64_t size) : descriptor_(descriptor), size_(size) {}
    int descriptor_;
    uint64_t size_;
};

// Reads a whole file into bytes. A missing or unreadable file, or one larger
// than maxBytes, gives false and an empty result.
bool ReadWholeFile(std::string_view devicePath, std::vector<uint8_t>* bytes,
                   uint64_t maxBytes = uint64_t{1} << 31);

}  // namespace platform
