#pragma once
// What the archive reader reads through: a read handle with random access,
// and an opener that turns a device path into one. formats declares them and
// works over them only; the platform supplies the files behind them
// (platform/device_file.h).
//
// Thread safety: a source is used by one thread at a time.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace formats {

class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual uint64_t Size() const = 0;
    // Reads up to bytes.size() bytes at offset; returns the count read.
    virtual size_t ReadSomeAt(uint64_t offset, std::span<uint8_t> bytes) = 0;
    // Reads exactly bytes.size() bytes at offset; false on a short read.
    bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) {
        return ReadSomeAt(offset, bytes) == bytes.size();
    }
};

// Opens the file named by a device path ('\' separated) for reading; nullptr
// when it cannot be opened, with the reason in *why when why is not null.
using ByteSourceOpener =
    std::function<std::unique_ptr<ByteSource>(std::string_view devicePath, std::string* why)>;

}  // namespace formats
