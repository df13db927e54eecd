#include "clipmux/avi_file.h"

#include <algorithm>

namespace clipmux {

namespace {

// The bitmap compression of uncompressed pixels with colour masks.
constexpr uint32_t kBitFieldsCompression = 3;

constexpr size_t kChunkHeader = 8;
constexpr size_t kStreamHeaderSize = 48;  // the fields read here
// A format block larger than this is taken for a damaged header.
constexpr uint32_t kMaxFormatSize = 1 << 20;
// Nesting deeper than this is taken for a damaged file.
constexpr int kMaxDepth = 8;

FourCc ReadFourCc(formats::ByteSpan bytes, size_t offset) {
    return {static_cast<char>(bytes[offset]), static_cast<char>(bytes[offset + 1]),
            static_cast<char>(bytes[offset + 2]), static_cast<char>(bytes[offset + 3])};
}

bool Is(const FourCc& id, const char* text) {
    return std::equal(id.begin(), id.end(), text);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

class Reader {
public:
    Reader(formats::ByteSource& source, AviFile* out) : source_(source), out_(out) {}

    bool Read(std::string* why) {
        const uint64_t size = source_.Size();
        uint64_t offset = 0;
        bool first = true;
        // The file is one "RIFF AVI " part, and large files add "RIFF AVIX" parts.
        while (offset + 12 <= size) {
            uint8_t header[12];
            if (!source_.ReadAt(offset, header)) break;
            const formats::ByteSpan bytes(header, sizeof header);
            const FourCc id = ReadFourCc(bytes, 0);
            const FourCc form = ReadFourCc(bytes, 8);
            if (!Is(id, "RIFF") || !(Is(form, first ? "AVI " : "AVIX"))) {
                if (first) {
                    *why = "not an AVI file";
                    return false;
                }
                break;
            }
            const uint64_t end = std::min<uint64_t>(offset + 8 + formats::ReadLe32(bytes, 4), size);
            if (!WalkList(offset + 12, end, 0, why)) return false;
            offset = end + (end & 1);
            first = false;
        }
        if (!haveHeaders_) {
            *why = "the AVI file has no stream headers";
            return false;
        }
        return true;
    }

private:
    // Walks the chunks in [offset, end).
    bool WalkList(uint64_t offset, uint64_t end, int depth, std::string* why) {
        if (depth > kMaxDepth) return true;
        while (offset + kChunkHeader <= end) {
            uint8_t header[12] = {};
            const size_t want = static_cast<size_t>(std::min<uint64_t>(12, end - offset));
            if (!source_.ReadAt(offset, std::span<uint8_t>(header, want))) {
                *why = "cannot read the AVI file";
                return false;
            }
            const formats::ByteSpan bytes(header, want);
            const FourCc id = ReadFourCc(bytes, 0);
            const uint64_t declared = formats::ReadLe32(bytes, 4);
            const uint64_t dataStart = offset + kChunkHeader;
            // A chunk running past its list (a cut-off file) is cut to it.
            const uint64_t dataSize = std::min<uint64_t>(declared, end - dataStart);
            if (Is(id, "LIST")) {
                if (dataSize >= 4) {
                    const FourCc listType = ReadFourCc(bytes, 8);
                    const bool movi = Is(listType, "movi") || Is(listType, "rec ");
                    const bool wasMovi = inMovi_;
                    if (movi) inMovi_ = true;
                    if (Is(listType, "strl")) BeginStream();
                    if (!WalkList(dataStart + 4, dataStart + dataSize, depth + 1, why))
                        return false;
                    inMovi_ = wasMovi;
                }
            } else if (inMovi_) {
                AddChunk(id, dataStart, dataSize);
            } else if (Is(id, "strh")) {
                if (!ReadStreamHeader(dataStart, dataSize, why)) return false;
            } else if (Is(id, "strf")) {
                if (!ReadStreamFormat(dataStart, dataSize, why)) return false;
            }
            if (declared > dataSize) break;  // the list ends inside this chunk
            offset = dataStart + dataSize + (dataSize & 1);
        }
        return true;
    }

    void BeginStream() {
        currentStream_ = nullptr;
        if (out_->streams.size() >= kMaxAviStreams) return;
        out_->streams.emplace_back();
        currentStream_ = &out_->streams.back();
    }

    bool ReadStreamHeader(uint64_t offset, uint64_t size, std::string* why) {
        if (currentStream_ == nullptr) return true;
        formats::ByteVector bytes(kStreamHeaderSize, 0);
        const size_t want = static_cast<size_t>(std::min<uint64_t>(size, kStreamHeaderSize));
        if (want < 36 || !source_.ReadAt(offset, std::span<uint8_t>(bytes.data(), want))) {
            *why = "the AVI file has a damaged stream header";
            return false;
        }
        AviStream& stream = *currentStream_;
        stream.type = ReadFourCc(bytes, 0);
        stream.handler = ReadFourCc(bytes, 4);
        stream.scale = formats::ReadLe32(bytes, 20);
        stream.rate = formats::ReadLe32(bytes, 24);
        stream.start = formats::ReadLe32(bytes, 28);
        stream.length = formats::ReadLe32(bytes, 32);
        stream.sampleSize = want >= 48 ? formats::ReadLe32(bytes, 44) : 0;
        haveHeaders_ = true;
        return true;
    }

    bool ReadStreamFormat(uint64_t offset, uint64_t size, std::string* why) {
        if (currentStream_ == nullptr) return true;
        if (size > kMaxFormatSize) {
            *why = "the AVI file has a damaged stream format";
            return false;
        }
        currentStream_->format.resize(static_cast<size_t>(size));
        if (!source_.ReadAt(offset, currentStream_->format)) {
            *why = "cannot read the AVI file's stream format";
            return false;
        }
        return true;
    }

    // Data chunks are named by their stream's number in two decimal digits
    // and two letters of their kind ("00dc", "01wb"); index chunks ("ix00")
    // and padding ("JUNK") are not data.
    void AddChunk(const FourCc& id, uint64_t offset, uint64_t size) {
        if (!IsDigit(id[0]) || !IsDigit(id[1])) return;
        const size_t index = static_cast<size_t>((id[0] - '0') * 10 + (id[1] - '0'));
        if (index >= out_->streams.size()) return;
        AviStream& stream = out_->streams[index];
        stream.chunks.push_back({offset, size});
        stream.chunkBytes += size;
    }

    formats::ByteSource& source_;
    AviFile* out_;
    AviStream* currentStream_ = nullptr;
    bool inMovi_ = false;
    bool haveHeaders_ = false;
};

}  // namespace

bool ReadAviFile(formats::ByteSource& source, AviFile* out, std::string* why) {
    *out = {};
    AviFile file;
    Reader reader(source, &file);
    if (!reader.Read(why)) return false;
    *out = std::move(file);
    return true;
}

bool ParseBitmapInfo(formats::ByteSpan format, BitmapInfo* out) {
    *out = {};
    if (!formats::HasRange(format, 0, 40)) return false;
    out->width = static_cast<int32_t>(formats::ReadLe32(format, 4));
    out->height = static_cast<int32_t>(formats::ReadLe32(format, 8));
    out->bitCount = formats::ReadLe16(format, 14);
    out->compression = formats::ReadLe32(format, 16);
    const uint32_t headerSize = std::clamp<uint32_t>(formats::ReadLe32(format, 0), 40,
                                                     static_cast<uint32_t>(format.size()));
    out->extra = format.subspan(headerSize);
    if (out->compression == kBitFieldsCompression) {
        // Headers of 52 bytes and more carry the masks themselves.
        const size_t masks = headerSize >= 52 ? 40 : headerSize;
        if (formats::HasRange(format, masks, 12)) {
            out->redMask = formats::ReadLe32(format, masks);
            out->greenMask = formats::ReadLe32(format, masks + 4);
            out->blueMask = formats::ReadLe32(format, masks + 8);
        }
    }
    return true;
}

}  // namespace clipmux
