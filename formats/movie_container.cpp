#include "formats/movie_container.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

namespace formats {

namespace {

constexpr uint64_t kMax32 = std::numeric_limits<uint32_t>::max();

bool Refuse(std::string* error, const std::string& reason) {
    if (error) *error = reason;
    return false;
}

std::string Number(uint64_t value) {
    return std::to_string(value);
}

void StoreHeader(const MovieHeader& header, uint8_t* out) {
    std::memcpy(out, header.magic.data(), header.magic.size());
    StoreLe32(out + 4, header.reserved4);
    StoreLe32(out + 8, header.frameCount);
    StoreLe32(out + 12, header.frameRate);
    StoreLe32(out + 16, header.field16);
    StoreLe32(out + 20, header.width);
    StoreLe32(out + 24, header.height);
    StoreLe32(out + 28, header.entrySize);
    StoreLe32(out + 32, header.totalSize);
    StoreLe32(out + 36, header.reserved36);
    StoreLe32(out + 40, header.reserved40);
    StoreLe32(out + 44, header.dataStart);
}

void StoreEntry(const MovieIndexEntry& entry, uint8_t* out) {
    StoreLe32(out, entry.frameNumber);
    StoreLe32(out + 4, entry.storedSize);
    StoreLe32(out + 8, entry.decodedSize);
    StoreLe32(out + 12, entry.kind);
    StoreLe32(out + 16, entry.dataOffset);
    StoreLe32(out + 20, entry.reserved);
}

MovieIndexEntry LoadEntry(ByteSpan bytes, size_t offset) {
    MovieIndexEntry entry;
    entry.frameNumber = ReadLe32(bytes, offset);
    entry.storedSize = ReadLe32(bytes, offset + 4);
    entry.decodedSize = ReadLe32(bytes, offset + 8);
    entry.kind = ReadLe32(bytes, offset + 12);
    entry.dataOffset = ReadLe32(bytes, offset + 16);
    entry.reserved = ReadLe32(bytes, offset + 20);
    return entry;
}

}  // namespace

uint64_t MovieIndexBytes(const MovieHeader& header) {
    return kMovieHeaderSize + uint64_t{kMovieIndexEntrySize} * header.frameCount;
}

uint64_t MovieIndex::DataStart() const {
    return MovieIndexBytes(header);
}

FileRange MovieIndex::FrameRange(uint32_t frame) const {
    const MovieIndexEntry& entry = entries[frame];
    return FileRange{DataStart() + entry.dataOffset, entry.storedSize};
}

bool ParseMovieHeader(ByteSpan bytes, uint64_t fileSize, MovieHeader* out, std::string* error) {
    if (!HasRange(bytes, 0, kMovieHeaderSize)) return Refuse(error, "too short for a movie header");
    MovieHeader header;
    std::memcpy(header.magic.data(), bytes.data(), header.magic.size());
    header.reserved4 = ReadLe32(bytes, 4);
    header.frameCount = ReadLe32(bytes, 8);
    header.frameRate = ReadLe32(bytes, 12);
    header.field16 = ReadLe32(bytes, 16);
    header.width = ReadLe32(bytes, 20);
    header.height = ReadLe32(bytes, 24);
    header.entrySize = ReadLe32(bytes, 28);
    header.totalSize = ReadLe32(bytes, 32);
    header.reserved36 = ReadLe32(bytes, 36);
    header.reserved40 = ReadLe32(bytes, 40);
    header.dataStart = ReadLe32(bytes, 44);

    const std::string size = Number(header.width) + " x " + Number(header.height);
    if (header.width == 0 || header.height == 0) return Refuse(error, "empty picture " + size);
    if (header.width > kMovieMaxWidth || header.height > kMovieMaxHeight)
        return Refuse(error, "picture " + size + " is larger than 320 x 240");
    // The player doubles narrow pictures; a tall one would be drawn off the screen.
    if (header.width <= kMovieMaxHalfSizeWidth && header.height > kMovieMaxHalfSizeHeight)
        return Refuse(error, "picture " + size + " is too high to be drawn at double size");
    if (header.frameCount == 0) return Refuse(error, "no frames");
    if (header.frameRate == 0) return Refuse(error, "frame rate 0");
    if (MovieIndexBytes(header) > fileSize)
        return Refuse(error, "index of " + Number(header.frameCount) +
                                 " frames runs past the end of the file");
    *out = header;
    return true;
}

bool ParseMovieIndex(ByteSpan bytes, uint64_t fileSize, MovieIndex* out, std::string* error) {
    MovieIndex index;
    if (!ParseMovieHeader(bytes, fileSize, &index.header, error)) return false;
    const uint64_t indexBytes = MovieIndexBytes(index.header);
    if (!HasRange(bytes, 0, indexBytes)) return Refuse(error, "index is incomplete");

    const uint32_t count = index.header.frameCount;
    index.entries.reserve(count);
    uint64_t expectedOffset = 0;
    for (uint32_t i = 0; i < count; ++i) {
        MovieIndexEntry entry =
            LoadEntry(bytes, kMovieHeaderSize + size_t{i} * kMovieIndexEntrySize);
        const std::string frame = "frame " + Number(i);
        if (entry.storedSize > kMovieMaxFrameSize)
            return Refuse(error,
                          frame + " has " + Number(entry.storedSize) + " bytes, more than 65536");
        // Two neighbouring frames are read in one piece and found by their
        // offsets within it, so a gap or overlap would point outside the piece.
        if (i > 0 && entry.dataOffset != expectedOffset)
            return Refuse(error, frame + " does not start where frame " + Number(i - 1) + " ends");
        const uint64_t end = indexBytes + entry.dataOffset + entry.storedSize;
        if (end > fileSize) return Refuse(error, frame + " runs past the end of the file");
        expectedOffset = uint64_t{entry.dataOffset} + entry.storedSize;
        index.entries.push_back(entry);
    }
    *out = std::move(index);
    return true;
}

bool ParseMovie(ByteSpan file, MovieIndex* out, std::string* error) {
    return ParseMovieIndex(file, file.size(), out, error);
}

bool BuildMovieHeaderAndIndex(const MovieFormat& format, std::span<const uint32_t> frameSizes,
                              ByteVector* out, std::string* error) {
    const uint64_t indexBytes =
        kMovieHeaderSize + uint64_t{kMovieIndexEntrySize} * frameSizes.size();
    const uint64_t decodedSize = uint64_t{format.width} * format.height * 3;
    if (indexBytes > kMax32) return Refuse(error, "too many frames for a movie");
    if (decodedSize > kMax32) return Refuse(error, "picture too large for a movie");

    ByteVector bytes(indexBytes);
    uint64_t offset = 0;
    for (size_t i = 0; i < frameSizes.size(); ++i) {
        MovieIndexEntry entry;
        entry.frameNumber = static_cast<uint32_t>(i);
        entry.storedSize = frameSizes[i];
        entry.decodedSize = static_cast<uint32_t>(decodedSize);
        entry.kind = kFrameJpeg;
        entry.dataOffset = static_cast<uint32_t>(offset);
        offset += frameSizes[i];
        // The last frame's offset still has to fit, and so does the total size.
        if (indexBytes + offset > kMax32) return Refuse(error, "movie larger than 4 GiB");
        StoreEntry(entry, bytes.data() + kMovieHeaderSize + i * kMovieIndexEntrySize);
    }

    MovieHeader header;
    header.frameCount = static_cast<uint32_t>(frameSizes.size());
    header.frameRate = format.frameRate;
    header.width = format.width;
    header.height = format.height;
    header.totalSize = static_cast<uint32_t>(indexBytes + offset);
    header.dataStart = static_cast<uint32_t>(indexBytes);
    StoreHeader(header, bytes.data());
    *out = std::move(bytes);
    return true;
}

MovieWriter::~MovieWriter() = default;

bool MovieWriter::Failed(const std::string& reason, std::string* error) {
    sink_.reset();
    return Refuse(error, reason);
}

bool MovieWriter::Open(const std::string& path, uint32_t frameCount, const MovieFormat& format,
                       std::string* error) {
    if (sink_) return Refuse(error, "a movie is already open");
    frameCount_ = frameCount;
    format_ = format;
    frameSizes_.clear();

    // Refuse a shape whose header fields would not fit before creating anything.
    const uint64_t indexBytes = kMovieHeaderSize + uint64_t{kMovieIndexEntrySize} * frameCount;
    if (indexBytes > kMax32) return Refuse(error, "too many frames for a movie");
    if (uint64_t{format.width} * format.height * 3 > kMax32)
        return Refuse(error, "picture too large for a movie");

    std::string why = "no file opener";
    if (opener_) sink_ = opener_(path, SinkPlacement::kInPlace, &why);
    if (!sink_) return Refuse(error, "cannot create: " + why);
    // Zeros, not a provisional header: until Finish the file claims no frames,
    // so a reader refuses an unfinished movie.
    const ByteVector zeros(std::min<uint64_t>(indexBytes, 65536), 0);
    for (uint64_t done = 0; done < indexBytes;) {
        const size_t chunk =
            static_cast<size_t>(std::min<uint64_t>(indexBytes - done, zeros.size()));
        if (!sink_->WriteAt(done, ByteSpan(zeros.data(), chunk)))
            return Failed("write error: " + sink_->LastError(), error);
        done += chunk;
    }
    fileSize_ = indexBytes;
    return true;
}

bool MovieWriter::AppendFrame(ByteSpan jpeg, std::string* error) {
    if (!sink_) return Refuse(error, "no movie is open");
    if (frameSizes_.size() >= frameCount_)
        return Failed("more frames than the " + Number(frameCount_) + " announced", error);
    if (fileSize_ + jpeg.size() > kMax32) return Failed("movie larger than 4 GiB", error);
    if (!jpeg.empty() && !sink_->WriteAt(fileSize_, jpeg))
        return Failed("write error: " + sink_->LastError(), error);
    frameSizes_.push_back(static_cast<uint32_t>(jpeg.size()));
    fileSize_ += jpeg.size();
    return true;
}

bool MovieWriter::Finish(std::string* error) {
    if (!sink_) return Refuse(error, "no movie is open");
    if (frameSizes_.size() != frameCount_)
        return Failed("only " + Number(frameSizes_.size()) + " of " + Number(frameCount_) +
                          " frames were written",
                      error);
    ByteVector headerAndIndex;
    if (!BuildMovieHeaderAndIndex(format_, frameSizes_, &headerAndIndex, error)) {
        sink_.reset();
        return false;
    }
    if (!sink_->WriteAt(0, headerAndIndex))
        return Failed("write error: " + sink_->LastError(), error);
    std::unique_ptr<ByteSink> sink = std::move(sink_);
    if (!sink->Commit()) return Refuse(error, "write error: " + sink->LastError());
    return true;
}

}  // namespace formats
