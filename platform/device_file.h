#pragma once
// Files named by device paths: whole-file reading and a read handle with
// random access, which is also the byte source the formats' archive reader
// reads through. Thread safety: a DeviceFile is used by one thread at a time.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_source.h"

namespace platform {

class DeviceFile final : public formats::ByteSource {
public:
    // Opens for shared reading; nullptr when the file cannot be opened.
    static std::unique_ptr<DeviceFile> OpenForReading(std::string_view devicePath);
    // The same for a host path (a tool's command-line argument); on failure
    // *why, when given, says why in the system's words.
    static std::unique_ptr<DeviceFile> OpenHostFile(const std::string& hostPath, std::string* why);
    ~DeviceFile() override;
    DeviceFile(const DeviceFile&) = delete;
    DeviceFile& operator=(const DeviceFile&) = delete;

    uint64_t Size() const override { return size_; }
    size_t ReadSomeAt(uint64_t offset, std::span<uint8_t> bytes) override;

private:
    DeviceFile(int descriptor, uint64_t size) : descriptor_(descriptor), size_(size) {}
    int descriptor_;
    uint64_t size_;
};

// The opener an ArchiveReader is given to read the device's files.
formats::ByteSourceOpener DeviceFileOpener();

// Reads a whole file into bytes. A missing or unreadable file, or one larger
// than maxBytes, gives false and an empty result.
bool ReadWholeFile(std::string_view devicePath, std::vector<uint8_t>* bytes,
                   uint64_t maxBytes = uint64_t{1} << 31);

}  // namespace platform
