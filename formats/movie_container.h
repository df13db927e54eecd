#pragma once
// The .mov movie container: a 48-byte header, one 24-byte index entry per
// frame, then the frames' JPEG bytes back to back. All integers are 32-bit
// little-endian.
//
// Reading happens in the player's order, so that nothing is allocated from an
// unchecked count: take the first bytes of the file (kMovieFirstReadSize, or
// the whole file when it is shorter), ParseMovieHeader, read exactly
// MovieIndexBytes(header) bytes from offset 0, ParseMovieIndex, then read each
// frame's MovieIndex::FrameRange. Both parsers take the real file size and
// refuse a file the player cannot play (see ParseMovieHeader and
// ParseMovieIndex), so every range they let through lies inside the file.
//
// Writing is two passes over a file (MovieWriter, through the byte sink it is
// given): header and index are reserved up front and rewritten once the frame
// sizes are known.

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "formats/byte_io.h"
#include "formats/byte_sink.h"

namespace formats {

constexpr size_t kMovieHeaderSize = 48;
constexpr size_t kMovieIndexEntrySize = 24;
// The player's first read: the header and the first index entry.
constexpr size_t kMovieFirstReadSize = kMovieHeaderSize + kMovieIndexEntrySize;
constexpr uint32_t kFrameJpeg = 2;
constexpr std::array<uint8_t, 4> kMovieMagic = {'M', 'O', 'V', '1'};

// The player's frame buffer holds one 320 x 240 picture and its read slots
// are 64 KiB each.
constexpr uint32_t kMovieMaxWidth = 320;
constexpr uint32_t kMovieMaxHeight = 240;
constexpr uint32_t kMovieMaxFrameSize = 65536;
// Pictures this wide or narrower are drawn at double size, so their height
// must fit the screen when doubled.
constexpr uint32_t kMovieMaxHalfSizeWidth = 160;
constexpr uint32_t kMovieMaxHalfSizeHeight = 120;

struct MovieHeader {
    std::array<uint8_t, 4> magic = kMovieMagic;  // written "MOV1", never checked
    uint32_t reserved4 = 0;
    uint32_t frameCount = 0;
    uint32_t frameRate = 0;  // whole frames per second
    uint32_t field16 = 1;    // written as 1, not read
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t entrySize = kMovieIndexEntrySize;  // not read: readers take 24
    uint32_t totalSize = 0;                     // not read
    uint32_t reserved36 = 0;
    uint32_t reserved40 = 0;
    uint32_t dataStart = 0;  // not read: readers compute 48 + 24 x N
};

struct MovieIndexEntry {
    uint32_t frameNumber = 0;
    uint32_t storedSize = 0;
    uint32_t decodedSize = 0;  // width x height x 3
    uint32_t kind = kFrameJpeg;
    uint32_t dataOffset = 0;  // from the data start
    uint32_t reserved = 0;
};

struct FileRange {
    uint64_t offset = 0;
    uint64_t size = 0;
};

// The header and index of a movie that passed ParseMovieIndex.
struct MovieIndex {
    MovieHeader header;
    std::vector<MovieIndexEntry> entries;

    uint32_t FrameCount() const { return header.frameCount; }
    // 48 + 24 x N: where frame data begins.
    uint64_t DataStart() const;
    // Frame i's bytes in the file; i must be below FrameCount().
    FileRange FrameRange(uint32_t frame) const;
};

// Bytes of header plus index: 48 + 24 x N, in 64 bits.
uint64_t MovieIndexBytes(const MovieHeader& header);

// Decodes the 48-byte header from the start of bytes and checks it against
// the player's limits and the file size: width and height 1..320 x 240 (a
// picture 160 wide or less at most 120 high), at least one frame, a frame
// rate above 0 and an index that fits in fileSize. The magic and the fields
// the player ignores are not checked.
bool ParseMovieHeader(ByteSpan bytes, uint64_t fileSize, MovieHeader* out, std::string* error);

// Decodes header and index from the first MovieIndexBytes(header) bytes of
// the file (more are allowed) and checks every frame: at most 64 KiB, inside
// fileSize, and starting where the previous frame ends (the player reads two
// neighbours in one read).
bool ParseMovieIndex(ByteSpan bytes, uint64_t fileSize, MovieIndex* out, std::string* error);

// ParseMovieIndex over a whole file held in memory.
bool ParseMovie(ByteSpan file, MovieIndex* out, std::string* error);

// Picture shape of a movie to write. The writer does not apply the player's
// limits: that is the reader's job.
struct MovieFormat {
    uint32_t frameRate = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

// The final header and index of a movie whose frames have the given stored
// sizes, exactly as MovieWriter::Finish writes them. Fails when a field would
// not fit in 32 bits.
bool BuildMovieHeaderAndIndex(const MovieFormat& format, std::span<const uint32_t> frameSizes,
                              ByteVector* out, std::string* error);

// Writes a movie of a fixed frame count to a host file in two passes. Any
// failure leaves the writer failed; a file that was not finished keeps a
// zeroed header (zero frames), which every reader refuses.
class MovieWriter {
public:
    // The file is an in-place sink from opener.
    explicit MovieWriter(ByteSinkOpener opener) : opener_(std::move(opener)) {}
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    // Creates (or replaces) path and reserves the header and frameCount
    // index entries.
    bool Open(const std::string& path, uint32_t frameCount, const MovieFormat& format,
              std::string* error);
    // Appends the next frame's bytes. An empty frame is allowed (a frame that
    // failed to encode is stored with size 0).
    bool AppendFrame(ByteSpan jpeg, std::string* error);
    // Rewrites header and index and closes the file; all announced frames
    // must have been appended.
    bool Finish(std::string* error);

    uint32_t FramesWritten() const { return static_cast<uint32_t>(frameSizes_.size()); }

private:
    bool Failed(const std::string& reason, std::string* error);

    ByteSinkOpener opener_;
    std::unique_ptr<ByteSink> sink_;
    uint32_t frameCount_ = 0;
    MovieFormat format_;
    std::vector<uint32_t> frameSizes_;
    uint64_t fileSize_ = 0;
};

}  // namespace formats
