#include "kitshift/crx_decoder.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>
#include <utility>

#include "formats/crx_row_filter.h"

namespace kitshift {

namespace {

using formats::ByteSpan;
using formats::ByteVector;
using formats::HasRange;
using formats::ReadLe16;
using formats::ReadLe32;

// The LZ scheme's window: a distance of 0 reaches back a full window.
constexpr uint64_t kLzWindow = 65536;
// Slack the zlib scheme allows beyond the rows themselves.
constexpr uint64_t kZlibSlack = 1048576;

bool Fail(std::string* error, const char* reason) {
    if (error != nullptr) *error = reason;
    return false;
}

using Palette = std::array<uint8_t, 256 * 3>;  // blue, green, red per entry

// Entries past the file's count stay black, so any index byte is safe.
Palette ReadPalette(ByteSpan file, uint64_t count, bool redFirst) {
    Palette palette{};
    uint64_t used = count < 256 ? count : 256;
    for (uint64_t i = 0; i < used; ++i) {
        const uint8_t* entry = file.data() + kCrxHeaderSize + i * 3;
        palette[i * 3 + 0] = redFirst ? entry[2] : entry[0];
        palette[i * 3 + 1] = entry[1];
        palette[i * 3 + 2] = redFirst ? entry[0] : entry[2];
    }
    return palette;
}

void ExpandIndex(const Palette& palette, uint8_t index, uint8_t* out) {
    out[0] = palette[index * 3 + 0];
    out[1] = palette[index * 3 + 1];
    out[2] = palette[index * 3 + 2];
}

// The rows are the decoder's output bytes one after another, so the window is
// the output itself: a copy reads `back` bytes behind the write position.
// The buffer grows with what the stream really produces, so a header that
// claims a huge picture over a few bytes of data costs nothing.
bool DecodeLzStream(ByteSpan data, uint64_t total, ByteVector* out, std::string* error) {
    ByteVector& bytes = *out;
    bytes.clear();
    uint64_t written = 0;
    size_t in = 0;
    unsigned flags = 0;
    int flagBits = 0;
    while (written < total) {
        if (flagBits == 0) {
            if (in >= data.size()) return Fail(error, "compressed data ends before the last row");
            flags = data[in++];
            flagBits = 8;
        }
        bool literal = (flags & 1) != 0;
        flags >>= 1;
        --flagBits;
        if (literal) {
            if (in >= data.size()) return Fail(error, "compressed data ends before the last row");
            bytes.push_back(data[in++]);
            ++written;
            continue;
        }
        if (in >= data.size()) return Fail(error, "compressed data ends before the last row");
        uint8_t code = data[in++];
        uint64_t length = 0;
        uint64_t distance = 0;
        if (code >= 0xC0) {
            if (!HasRange(data, in, 1)) return Fail(error, "truncated copy code");
            length = ((code >> 2) & 0x0F) + 4;
            distance = (uint64_t{code & 0x03u} << 8) | data[in++];
        } else if (code >= 0x80) {
            length = ((code >> 5) & 0x03) + 2;
            distance = code & 0x1F;
            if (distance == 0) {
                if (!HasRange(data, in, 1)) return Fail(error, "truncated copy code");
                distance = data[in++];
            }
        } else if (code == 0x7F) {
            if (!HasRange(data, in, 4)) return Fail(error, "truncated copy code");
            length = uint64_t{ReadLe16(data, in)} + 2;
            distance = ReadLe16(data, in + 2);
            in += 4;
        } else {
            if (!HasRange(data, in, 2)) return Fail(error, "truncated copy code");
            length = uint64_t{code} + 4;
            distance = ReadLe16(data, in);
            in += 2;
        }
        uint64_t back = distance == 0 ? kLzWindow : distance;
        if (back > written) return Fail(error, "copy reaches before the start of the picture");
        // A copy may run past the last row; those bytes belong to no picture.
        if (length > total - written) length = total - written;
        for (uint64_t i = 0; i < length; ++i, ++written) {
            uint8_t byte = bytes[written - back];
            bytes.push_back(byte);
        }
    }
    return true;
}

bool DecodeLzScheme(ByteSpan file, uint32_t width, uint32_t height, SourcePicture* picture,
                    std::string* error) {
    uint64_t count = ReadLe16(file, 16);
    uint64_t dataOffset = kCrxHeaderSize + 3 * count;
    if (!HasRange(file, 0, dataOffset)) return Fail(error, "palette runs past the end of the file");
    uint64_t pixelCount = uint64_t{width} * height;
    ByteVector stream;
    if (!DecodeLzStream(file.subspan(dataOffset), pixelCount * (count != 0 ? 1 : 3), &stream,
                        error))
        return false;
    if (count == 0) {
        picture->pixels = std::move(stream);
        picture->bitsPerPixel = 24;
        return true;
    }
    Palette palette = ReadPalette(file, count, /*redFirst=*/true);
    picture->pixels.assign(pixelCount * 3, 0);
    for (uint64_t i = 0; i < pixelCount; ++i)
        ExpandIndex(palette, stream[i], picture->pixels.data() + i * 3);
    picture->bitsPerPixel = 8;
    return true;
}

// Filter 4: one colour plane after the other, a repeated byte followed by a
// count of further pixels of the same value. Returns the bytes consumed, or 0
// when the data ends early.
uint64_t DecodeRunLengthRow(ByteSpan data, uint64_t width, uint8_t* row) {
    uint64_t in = 0;
    for (int plane = 0; plane < 3; ++plane) {
        uint64_t x = 0;
        while (x < width) {
            if (in >= data.size()) return 0;
            uint8_t value = data[in++];
            row[x * 3 + plane] = value;
            ++x;
            if (x < width && in < data.size() && data[in] == value) {
                if (in + 1 >= data.size()) return 0;
                uint64_t run = data[in + 1];
                in += 2;
                // A count past the end of the row stops at the row's end.
                for (uint64_t k = 0; k < run && x < width; ++k, ++x) row[x * 3 + plane] = value;
            }
        }
    }
    return in;
}

// One zlib stream that must end within limit bytes of output. The output
// grows as the stream delivers, rather than being sized from the header.
bool InflateAll(ByteSpan compressed, uint64_t limit, ByteVector* out) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(compressed.data());
    stream.avail_in = static_cast<uInt>(compressed.size());
    out->resize(std::min<uint64_t>(limit, 65536));
    uint64_t produced = 0;
    int result = Z_OK;
    for (;;) {
        if (produced == out->size()) {
            if (out->size() >= limit) {
                result = Z_BUF_ERROR;
                break;
            }
            out->resize(std::min<uint64_t>(limit, uint64_t{out->size()} * 2));
        }
        uInt room = static_cast<uInt>(std::min<uint64_t>(out->size() - produced, UINT_MAX));
        stream.next_out = out->data() + produced;
        stream.avail_out = room;
        result = inflate(&stream, Z_NO_FLUSH);
        produced += room - stream.avail_out;
        if (result != Z_OK) break;
    }
    inflateEnd(&stream);
    out->resize(produced);
    return result == Z_STREAM_END;
}

bool DecodeZlibScheme(ByteSpan file, uint32_t width, uint32_t height, SourcePicture* picture,
                      std::string* error) {
    if (!HasRange(file, 16, 4)) return Fail(error, "file too short for the header");
    uint64_t count = ReadLe32(file, 16);
    uint64_t dataOffset = kCrxHeaderSize + 3 * count;
    if (!HasRange(file, 0, dataOffset)) return Fail(error, "palette runs past the end of the file");
    uint64_t bytesPerPixel = count != 0 ? 1 : 3;
    uint64_t stride = (width * bytesPerPixel + 3) & ~uint64_t{3};
    uint64_t capacity = (uint64_t{height} + 1) * stride + kZlibSlack;
    ByteSpan compressed = file.subspan(dataOffset);
    if (compressed.size() > UINT_MAX) return Fail(error, "file too large");
    ByteVector inflated;
    if (!InflateAll(compressed, capacity, &inflated))
        return Fail(error, "pixel data does not inflate");
    ByteSpan data(inflated);
    uint64_t pixelCount = uint64_t{width} * height;
    if (count != 0 && !HasRange(data, 0, stride * height))
        return Fail(error, "pixel data too short");
    // Every row holds at least its filter byte and one byte per colour plane.
    if (count == 0 && !HasRange(data, 0, uint64_t{height} * 4))
        return Fail(error, "pixel data too short");
    picture->pixels.assign(pixelCount * 3, 0);
    uint8_t* pixels = picture->pixels.data();

    if (count != 0) {
        Palette palette = ReadPalette(file, count, /*redFirst=*/false);
        for (uint64_t y = 0; y < height; ++y)
            for (uint64_t x = 0; x < width; ++x)
                ExpandIndex(palette, data[y * stride + x], pixels + (y * width + x) * 3);
        picture->bitsPerPixel = 8;
        return true;
    }

    uint64_t rowBytes = uint64_t{width} * 3;
    ByteVector zeros(rowBytes, 0);
    uint64_t in = 0;
    for (uint64_t y = 0; y < height; ++y) {
        uint8_t* row = pixels + y * rowBytes;
        const uint8_t* above = y == 0 ? zeros.data() : row - rowBytes;
        if (!HasRange(data, in, 1)) return Fail(error, "pixel data too short");
        uint8_t filter = data[in++];
        if (filter == 4) {
            uint64_t used = DecodeRunLengthRow(data.subspan(in), width, row);
            if (used == 0) return Fail(error, "pixel data too short");
            in += used;
        } else if (filter < formats::kCrxPredictionFilters) {
            if (!HasRange(data, in, stride)) return Fail(error, "pixel data too short");
            formats::CrxUnfilterRow(filter, data.data() + in, above, rowBytes, row);
            in += stride;
        } else {
            return Fail(error, "unknown row filter");
        }
    }
    picture->bitsPerPixel = 24;
    return true;
}

}  // namespace

bool DecodeCrx(ByteSpan file, SourcePicture* out, std::string* error) {
    if (!HasRange(file, 0, 18)) return Fail(error, "file too short for the header");
    uint32_t width = ReadLe16(file, 8);
    uint32_t height = ReadLe16(file, 10);
    if (width == 0 || height == 0) return Fail(error, "picture has no pixels");
    if (uint64_t{width} * height > kCrxMaxPixels) return Fail(error, "picture too large");
    SourcePicture picture;
    picture.width = width;
    picture.height = height;
    picture.scheme = ReadLe16(file, 12) == kCrxSchemeZlib ? CrxScheme::Zlib : CrxScheme::Lz;
    bool ok = picture.scheme == CrxScheme::Zlib
                  ? DecodeZlibScheme(file, width, height, &picture, error)
                  : DecodeLzScheme(file, width, height, &picture, error);
    if (!ok) return false;
    *out = std::move(picture);
    return true;
}

}  // namespace kitshift
