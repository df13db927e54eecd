#pragma once
// Decodes a whole MP3 stream with libmpg123, for tests that check what the
// encoder module wrote. Programs that include this link mpg123.

#include <mpg123.h>

#include <cstdint>
#include <vector>

namespace testing_support {

struct Decoded {
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> samples;  // interleaved
    size_t Frames() const { return channels ? samples.size() / channels : 0; }
};

inline Decoded DecodeMp3(const uint8_t* bytes, size_t size) {
    Decoded decoded;
    mpg123_init();
    int error = 0;
    mpg123_handle* handle = mpg123_new(nullptr, &error);
    if (handle == nullptr) return decoded;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_open_feed(handle);
    mpg123_feed(handle, bytes, size);
    std::vector<unsigned char> out(65536);
    for (;;) {
        size_t done = 0;
        int result = mpg123_read(handle, out.data(), out.size(), &done);
        auto* samples = reinterpret_cast<const int16_t*>(out.data());
        decoded.samples.insert(decoded.samples.end(), samples, samples + done / 2);
        if (result == MPG123_NEW_FORMAT) {
            int encoding = 0;
            mpg123_getformat(handle, &decoded.rate, &decoded.channels, &encoding);
        } else if (result != MPG123_OK) {
            break;
        }
    }
    mpg123_delete(handle);
    return decoded;
}

}  // namespace testing_support
