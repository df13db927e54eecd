#include "sample/pc_title/crx_writer.h"

#include <zlib.h>

#include <utility>

#include "formats/crx_row_filter.h"

namespace pc_title {

namespace {

using formats::AppendLe16;
using formats::AppendLe32;
using formats::ByteSpan;
using formats::ByteVector;

bool Fail(std::string* error, const char* reason) {
    if (error != nullptr) *error = reason;
    return false;
}

// --- LZ scheme: flag bytes (1 = literal, least significant bit first) in
// front of each group of eight items.

class LzEmitter {
public:
    explicit LzEmitter(ByteVector& out) : out_(out) {}
    void Literal(uint8_t byte) {
        StartItem(true);
        out_.push_back(byte);
    }
    // length >= 2, 1 <= distance <= 65535. The short form holds lengths 2 and 3.
    void Copy(uint32_t length, uint32_t distance) {
        StartItem(false);
        if (length <= 3 && distance <= 255) {
            uint8_t code = static_cast<uint8_t>(0x80 | ((length - 2) << 5));
            if (distance < 32) {
                out_.push_back(static_cast<uint8_t>(code | distance));
            } else {
                out_.push_back(code);
                out_.push_back(static_cast<uint8_t>(distance));
            }
        } else if (length >= 4 && length <= 19 && distance <= 1023) {
            out_.push_back(static_cast<uint8_t>(0xC0 | ((length - 4) << 2) | (distance >> 8)));
            out_.push_back(static_cast<uint8_t>(distance));
        } else if (length >= 4 && length <= 0x7E + 4) {
            out_.push_back(static_cast<uint8_t>(length - 4));
            AppendLe16(out_, static_cast<uint16_t>(distance));
        } else {
            out_.push_back(0x7F);
            AppendLe16(out_, static_cast<uint16_t>(length - 2));
            AppendLe16(out_, static_cast<uint16_t>(distance));
        }
    }

private:
    void StartItem(bool literal) {
        if (bit_ == 8) {
            flagIndex_ = out_.size();
            out_.push_back(0);
            bit_ = 0;
        }
        if (literal) out_[flagIndex_] = static_cast<uint8_t>(out_[flagIndex_] | (1u << bit_));
        ++bit_;
    }
    ByteVector& out_;
    size_t flagIndex_ = 0;
    int bit_ = 8;
};

// Greedy matching over one remembered position per 3-byte hash, plus the
// previous byte, which catches long runs of one colour.
void CompressLz(ByteSpan data, ByteVector& out) {
    constexpr uint32_t kWindow = 65535;
    constexpr uint32_t kMaxLength = 65535 + 2;
    constexpr size_t kHashSize = 1 << 16;
    std::vector<int64_t> lastAt(kHashSize, -1);
    auto hash = [&](size_t at) {
        return ((data[at] << 8) ^ (data[at + 1] << 4) ^ data[at + 2] ^ (data[at + 2] << 11)) &
               (kHashSize - 1);
    };
    LzEmitter emitter(out);
    size_t at = 0;
    while (at < data.size()) {
        uint32_t bestLength = 0;
        uint32_t bestDistance = 0;
        auto tryCandidate = [&](int64_t from) {
            if (from < 0 || at - from > kWindow || static_cast<size_t>(from) >= at) return;
            uint32_t length = 0;
            while (at + length < data.size() && length < kMaxLength &&
                   data[from + length] == data[at + length])
                ++length;
            if (length > bestLength) {
                bestLength = length;
                bestDistance = static_cast<uint32_t>(at - from);
            }
        };
        if (at >= 1) tryCandidate(static_cast<int64_t>(at) - 1);
        if (at + 3 <= data.size()) {
            size_t h = hash(at);
            tryCandidate(lastAt[h]);
            lastAt[h] = static_cast<int64_t>(at);
        }
        if (bestLength >= 3) {
            emitter.Copy(bestLength, bestDistance);
            for (size_t i = 1; i < bestLength && at + i + 3 <= data.size(); ++i)
                lastAt[hash(at + i)] = static_cast<int64_t>(at + i);
            at += bestLength;
        } else {
            emitter.Literal(data[at]);
            ++at;
        }
    }
}

// --- zlib scheme

// Two equal bytes always start a run for the reader, so every repeat of the
// previous value must be written as one.
void RunLengthRow(const uint8_t* row, size_t width, ByteVector& out) {
    for (int plane = 0; plane < 3; ++plane) {
        size_t x = 0;
        while (x < width) {
            uint8_t value = row[x * 3 + plane];
            out.push_back(value);
            ++x;
            if (x < width && row[x * 3 + plane] == value) {
                size_t run = 0;
                while (x + run < width && run < 255 && row[(x + run) * 3 + plane] == value) ++run;
                out.push_back(value);
                out.push_back(static_cast<uint8_t>(run));
                x += run;
            }
        }
    }
}

}  // namespace

bool WriteCrx(const CrxSource& source, const CrxWriteOptions& options, ByteVector* out,
              std::string* error) {
    const size_t width = source.width;
    const size_t height = source.height;
    const bool indexed = !source.palette.empty();
    if (width == 0 || height == 0) return Fail(error, "picture has no pixels");
    if (source.palette.size() > 256) return Fail(error, "palette of more than 256 entries");
    if (source.pixels.size() != width * height * (indexed ? 1 : 3))
        return Fail(error, "pixel bytes do not match the size");
    for (uint8_t filter : options.rowFilters)
        if (filter > 4) return Fail(error, "unknown row filter");

    const bool zlibScheme = options.scheme == CrxWriteScheme::Zlib;
    ByteVector file(8, 0);  // not read by the converter
    AppendLe16(file, source.width);
    AppendLe16(file, source.height);
    AppendLe16(file, zlibScheme ? 2 : 1);
    AppendLe16(file, 0);
    if (zlibScheme)
        AppendLe32(file, static_cast<uint32_t>(source.palette.size()));
    else
        AppendLe16(file, static_cast<uint16_t>(source.palette.size()));
    if (!zlibScheme) AppendLe16(file, 0);  // the LZ header is as long; these bytes are not read
    for (const auto& entry : source.palette) {
        // The zlib scheme keeps entries blue first, the LZ scheme red first.
        file.push_back(zlibScheme ? entry[0] : entry[2]);
        file.push_back(entry[1]);
        file.push_back(zlibScheme ? entry[2] : entry[0]);
    }

    if (!zlibScheme) {
        CompressLz(source.pixels, file);
        *out = std::move(file);
        return true;
    }

    const size_t bytesPerPixel = indexed ? 1 : 3;
    const size_t stride = (width * bytesPerPixel + 3) & ~size_t{3};
    const size_t rowBytes = width * bytesPerPixel;
    ByteVector raw;
    ByteVector zeros(rowBytes, 0);
    ByteVector stored(stride, 0);
    for (size_t y = 0; y < height; ++y) {
        const uint8_t* row = source.pixels.data() + y * rowBytes;
        if (indexed) {
            raw.insert(raw.end(), row, row + rowBytes);
            raw.insert(raw.end(), stride - rowBytes, 0);
            continue;
        }
        uint8_t filter =
            options.rowFilters.empty() ? 0 : options.rowFilters[y % options.rowFilters.size()];
        raw.push_back(filter);
        if (filter == 4) {
            RunLengthRow(row, width, raw);
            continue;
        }
        const uint8_t* above = y == 0 ? zeros.data() : row - rowBytes;
        formats::CrxFilterRow(filter, row, above, rowBytes, stored.data());
        raw.insert(raw.end(), stored.begin(), stored.end());
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    ByteVector packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return Fail(error, "zlib compression failed");
    file.insert(file.end(), packed.begin(), packed.begin() + packedSize);
    *out = std::move(file);
    return true;
}

}  // namespace pc_title
