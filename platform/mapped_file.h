#pragma once
// A whole file mapped read-only, named by a device path: the sound side
// streams music and decodes MP3 straight from such a view.
//
// Thread safety: opened and closed by one thread; the bytes may be read from
// any thread while the file stays open.

#include <cstdint>
#include <string_view>

namespace platform {

class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // False for a missing or unmappable file, or one that is not a regular
    // file. An empty file opens with no bytes (Data() is null).
    bool Open(std::string_view devicePath);
    void Close();

    const uint8_t* Data() const { return data_; }
    uint64_t Size() const { return size_; }

private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
};

}  // namespace platform
