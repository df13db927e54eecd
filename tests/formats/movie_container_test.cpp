#include "formats/movie_container.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/host_file_sink.h"
#include "test_support.h"

namespace {

using formats::ByteSpan;
using formats::ByteVector;
using testing_support::RandomBytes;

// A whole movie in memory with the given frame sizes, as the writer lays it out.
ByteVector BuildMovie(const formats::MovieFormat& format, const std::vector<uint32_t>& sizes) {
    ByteVector bytes;
    std::string error;
    EXPECT_TRUE(formats::BuildMovieHeaderAndIndex(format, sizes, &bytes, &error)) << error;
    for (size_t i = 0; i < sizes.size(); ++i) {
        ByteVector frame = RandomBytes(sizes[i], static_cast<uint32_t>(i));
        bytes.insert(bytes.end(), frame.begin(), frame.end());
    }
    return bytes;
}

std::string ParseError(const ByteVector& file) {
    formats::MovieIndex index;
    std::string error;
    if (formats::ParseMovie(file, &index, &error)) return "accepted";
    EXPECT_FALSE(error.empty());
    return error;
}

const formats::MovieFormat kFull{15, 320, 240};

// Writer and reader agree: offsets are running sums, decoded sizes follow the
// picture, and the total-size field is the length the file really has.
TEST(MovieContainer, WriterOutputReadsBack) {
    testing_support::TempDir dir;
    const std::string path = (dir / "clip.mov").string();
    const std::vector<ByteVector> frames = {
        RandomBytes(700, 1), {}, RandomBytes(65536, 2), RandomBytes(3, 3)};
    formats::MovieWriter writer(platform::HostFileSinkOpener());
    std::string error;
    ASSERT_TRUE(writer.Open(path, 4, kFull, &error)) << error;
    for (const ByteVector& frame : frames) ASSERT_TRUE(writer.AppendFrame(frame, &error)) << error;
    ASSERT_TRUE(writer.Finish(&error)) << error;

    const ByteVector file = testing_support::ReadHostFile(path);
    formats::MovieIndex index;
    ASSERT_TRUE(formats::ParseMovie(file, &index, &error)) << error;
    const formats::MovieHeader& h = index.header;
    EXPECT_EQ(h.magic, formats::kMovieMagic);
    EXPECT_EQ(h.frameCount, 4u);
    EXPECT_EQ(h.frameRate, 15u);
    EXPECT_EQ(h.field16, 1u);
    EXPECT_EQ(h.entrySize, 24u);
    EXPECT_EQ(h.totalSize, file.size());
    EXPECT_EQ(h.dataStart, 48u + 24u * 4u);
    EXPECT_EQ(index.DataStart(), h.dataStart);

    uint32_t offset = 0;
    for (uint32_t i = 0; i < 4; ++i) {
        const formats::MovieIndexEntry& e = index.entries[i];
        EXPECT_EQ(e.frameNumber, i);
        EXPECT_EQ(e.storedSize, frames[i].size());
        EXPECT_EQ(e.decodedSize, 230400u);
        EXPECT_EQ(e.kind, formats::kFrameJpeg);
        EXPECT_EQ(e.dataOffset, offset);
        offset += e.storedSize;
        const formats::FileRange range = index.FrameRange(i);
        EXPECT_EQ(ByteVector(file.begin() + range.offset, file.begin() + range.offset + range.size),
                  frames[i]);
    }

    // The in-memory builder makes exactly the bytes the writer put in front.
    ByteVector built;
    ASSERT_TRUE(formats::BuildMovieHeaderAndIndex(kFull, std::vector<uint32_t>{700, 0, 65536, 3},
                                                  &built, nullptr));
    EXPECT_EQ(ByteVector(file.begin(), file.begin() + built.size()), built);

    ASSERT_TRUE(formats::ParseMovie(BuildMovie({10, 160, 120}, {5}), &index, &error)) << error;
    EXPECT_EQ(index.entries[0].decodedSize, 57600u);
}

// The player's order: a first read of 72 bytes, then exactly the index bytes.
TEST(MovieContainer, ReadsInStagesAndTheSmallestMovie) {
    const ByteVector file = BuildMovie(kFull, {10, 20, 30});
    formats::MovieHeader header;
    std::string error;
    ASSERT_TRUE(formats::ParseMovieHeader(ByteSpan(file).first(formats::kMovieFirstReadSize),
                                          file.size(), &header, &error))
        << error;
    ASSERT_EQ(formats::MovieIndexBytes(header), 48u + 3 * 24u);
    formats::MovieIndex index;
    ASSERT_TRUE(formats::ParseMovieIndex(ByteSpan(file).first(formats::MovieIndexBytes(header)),
                                         file.size(), &index, &error))
        << error;
    EXPECT_EQ(index.FrameRange(2).offset, 48u + 3 * 24u + 30u);
    EXPECT_EQ(index.FrameRange(2).size, 30u);

    // One empty frame: exactly header plus one entry is a whole movie.
    ByteVector smallest = BuildMovie(kFull, {0});
    ASSERT_EQ(smallest.size(), formats::kMovieFirstReadSize);
    EXPECT_EQ(ParseError(smallest), "accepted");
    smallest.pop_back();
    EXPECT_NE(ParseError(smallest), "accepted");
    EXPECT_NE(ParseError(ByteVector(smallest.begin(), smallest.begin() + 47)), "accepted");
    EXPECT_FALSE(formats::ParseMovieHeader(ByteSpan(smallest).first(47), 1000, &header, nullptr));
}

// The player never looks at these fields, so a file with other values plays.
TEST(MovieContainer, IgnoredFieldsAreNotChecked) {
    ByteVector file = BuildMovie(kFull, {4, 4});
    const char magic[] = "JUNK";
    std::copy(magic, magic + 4, file.begin());
    for (size_t offset : {4, 16, 28, 32, 36, 40, 44}) formats::StoreLe32(&file[offset], 0xDEADBEEF);
    formats::StoreLe32(&file[48 + 12], 7);  // kind of frame 0
    formats::StoreLe32(&file[48 + 8], 0);   // decoded size of frame 0
    EXPECT_EQ(ParseError(file), "accepted");
}

struct Breakage {
    const char* what;
    size_t offset;  // a 32-bit field to overwrite
    uint32_t value;
    const char* reason;  // part of the expected error
};

// Everything the player cannot play is refused before a frame is read.
TEST(MovieContainer, RefusesWhatThePlayerCannotPlay) {
    const Breakage cases[] = {
        {"width 0", 20, 0, "empty picture"},
        {"height 0", 24, 0, "empty picture"},
        {"width 321", 20, 321, "larger than 320 x 240"},
        {"height 241", 24, 241, "larger than 320 x 240"},
        {"narrow picture too high to double", 20, 160, "double size"},
        {"no frames", 8, 0, "no frames"},
        {"frame rate 0", 12, 0, "frame rate 0"},
        {"index past the end", 8, 2000, "index of 2000 frames runs past"},
        // 24 x N wraps to 8 in 32 bits, which would look like a tiny index.
        {"index size beyond 32 bits", 8, 0x0AAAAAABu, "runs past the end"},
        {"frame past the end", 48 + 24 + 4, 4 + 40001, "frame 1 runs past the end"},
        {"offset past the end", 48 + 16, 0xFFFFFFF0u, "frame 0 runs past the end"},
        {"gap between frames", 48 + 24 + 16, 5, "frame 1 does not start"},
    };
    const ByteVector good = BuildMovie(kFull, {4, 4, 40000});
    ASSERT_EQ(ParseError(good), "accepted");
    for (const Breakage& breakage : cases) {
        ByteVector file = good;
        formats::StoreLe32(&file[breakage.offset], breakage.value);
        EXPECT_NE(ParseError(file).find(breakage.reason), std::string::npos)
            << breakage.what << ": " << ParseError(file);
    }
    // A frame over 64 KiB is refused even when the file holds all of it.
    EXPECT_NE(ParseError(BuildMovie(kFull, {65537})).find("more than 65536"), std::string::npos);
}

TEST(MovieContainer, WriterRefusesAMovieWhoseHeaderWouldLie) {
    testing_support::TempDir dir;
    const std::string path = (dir / "short.mov").string();
    const ByteVector frame = RandomBytes(10, 4);
    std::string error;

    formats::MovieWriter writer(platform::HostFileSinkOpener());
    ASSERT_TRUE(writer.Open(path, 2, kFull, &error));
    ASSERT_TRUE(writer.AppendFrame(frame, &error));
    EXPECT_FALSE(writer.Finish(&error));
    EXPECT_NE(error.find("1 of 2"), std::string::npos) << error;
    // What is left on disk is not taken for a movie.
    EXPECT_NE(ParseError(testing_support::ReadHostFile(path)), "accepted");

    formats::MovieWriter extra(platform::HostFileSinkOpener());
    ASSERT_TRUE(extra.Open(path, 1, kFull, &error));
    ASSERT_TRUE(extra.AppendFrame(frame, &error));
    EXPECT_FALSE(extra.AppendFrame(frame, &error));
    EXPECT_FALSE(extra.Finish(&error));

    formats::MovieWriter nowhere(platform::HostFileSinkOpener());
    EXPECT_FALSE(nowhere.Open((dir / "missing" / "x.mov").string(), 1, kFull, &error));
    EXPECT_FALSE(nowhere.AppendFrame(frame, &error));
}

}  // namespace
