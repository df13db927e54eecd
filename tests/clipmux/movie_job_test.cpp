// Whole conversions on movies the tests make: the AVI reader, the mj reader
// and the decoding graph, their sound tracks, and the sources the player
// could not play.

#include "clipmux/movie_job.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "clipmux/mj_file.h"
#include "formats/byte_io.h"
#include "movie_fixtures.h"
#include "test_support.h"

namespace clipmux {
namespace {

namespace fs = std::filesystem;
using clipmux_test::MovieShape;
using testing_support::ReadHostFile;
using testing_support::TempDir;

class MovieJobTest : public testing::Test {
protected:
    static void SetUpTestSuite() { setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 1); }

    MovieSettings Settings(const std::string& name) {
        MovieSettings settings;
        settings.inputPath = dir_ / name;
        settings.inputKind = InputKindForPath(settings.inputPath);
        settings.outputFolder = dir_.path();
        return settings;
    }

    // Runs the job on this thread.
    static MovieResult Convert(const MovieSettings& settings) {
        MovieJob job(settings);
        job.Run();
        EXPECT_TRUE(job.IsDone());
        if (job.Result().movieWritten) {
            EXPECT_EQ(job.FramesWritten(), job.FramesTotal());
        }
        return job.Result();
    }

    static std::string Joined(const std::vector<std::string>& lines) {
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        return all;
    }

    TempDir dir_;
};

bool IsMp3(const std::vector<uint8_t>& bytes) {
    return bytes.size() > 4 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0;
}

struct ShortSound {
    uint16_t tag, channels, bits;
    uint32_t rate, bytes;
};

ShortSound ReadShortSound(const std::vector<uint8_t>& file) {
    EXPECT_GE(file.size(), 64u);
    EXPECT_EQ(std::memcmp(file.data(), "MWF0", 4), 0);
    if (file.size() < 64) return {};
    return {formats::ReadLe16(file, 40), formats::ReadLe16(file, 42), formats::ReadLe16(file, 54),
            formats::ReadLe32(file, 44), formats::ReadLe32(file, 12)};
}

TEST_F(MovieJobTest, AviFramesAreSteppedScaledAndKeepTheirColours) {
    struct Case {
        AVCodecID codec;
        AVRational rate;
        int frames;
        int choice;
        uint32_t expectedRate;
        std::vector<int> expectedFrames;
    };
    const Case cases[] = {
        {AV_CODEC_ID_MJPEG, {30, 1}, 12, 2, 15, {0, 2, 4, 6, 8, 10}},
        {AV_CODEC_ID_MJPEG, {15, 1}, 3, 1, 30, {0, 0, 1, 1, 2, 2}},
        {AV_CODEC_ID_MPEG4, {24, 1}, 5, 0, 24, {0, 1, 2, 3, 4}},
        {AV_CODEC_ID_MPEG4, {30000, 1001}, 4, 0, 30, {0, 1, 2, 3}},
        {AV_CODEC_ID_RAWVIDEO, {10, 1}, 4, 4, 5, {0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(avcodec_get_name(c.codec) + std::string(" ") + std::to_string(c.rate.num));
        MovieShape shape;
        shape.video = c.codec;
        shape.frameRate = c.rate;
        shape.frames = c.frames;
        clipmux_test::WriteTestMovie(dir_ / "in.avi", shape);
        MovieSettings settings = Settings("in.avi");
        settings.frameRateChoice = c.choice;
        const MovieResult result = Convert(settings);
        ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
        EXPECT_FALSE(result.usedGraph);
        const clipmux_test::MovieFrames movie = clipmux_test::ReadMovie(dir_ / "in.mov");
        EXPECT_EQ(movie.frameRate, c.expectedRate);
        EXPECT_EQ(movie.width, 320u);
        EXPECT_EQ(movie.height, 240u);
        EXPECT_EQ(clipmux_test::ShownFrames(movie, c.frames), c.expectedFrames);
    }
}

TEST_F(MovieJobTest, SixteenBitFramesAreConvertedAndSmallPicturesAreHalfSize) {
    MovieShape shape;
    shape.video = AV_CODEC_ID_RAWVIDEO;
    shape.video16Bit = true;
    shape.frames = 2;
    clipmux_test::WriteTestMovie(dir_ / "deep.avi", shape);
    MovieSettings settings = Settings("deep.avi");
    settings.pictureSize = 1;
    const MovieResult result = Convert(settings);
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    const clipmux_test::MovieFrames movie = clipmux_test::ReadMovie(dir_ / "deep.mov");
    ASSERT_EQ(movie.frames.size(), 2u);
    EXPECT_EQ(movie.width, 160u);
    int w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(clipmux_test::DecodeRgb(movie.frames[1], &w, &h, &rgb));
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
    const size_t middle = (60 * 160 + 80) * 3;
    const clipmux_test::Bgr colour = clipmux_test::FrameColour(1);
    // Five bits a channel lose up to 7 steps.
    EXPECT_NEAR(rgb[middle], colour.b, 10);
    EXPECT_NEAR(rgb[middle + 1], colour.g, 10);
    EXPECT_NEAR(rgb[middle + 2], colour.r, 10);
}

// A hand-made AVI of uncompressed pixels with colour masks: one video
// stream of `frames` frames, each of the same pixel; the bitmap header is
// 40 bytes with the masks after it, or 108 bytes holding them.
std::vector<uint8_t> BitFieldsAvi(uint16_t bitCount, uint32_t pixel, uint32_t red, uint32_t green,
                                  uint32_t blue, bool largeHeader) {
    constexpr int kWidth = 16, kHeight = 12, kFrames = 2;
    std::vector<uint8_t> out;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&](const char* id) { out.insert(out.end(), id, id + 4); };
    // Opens a chunk or list; the returned place takes its size once done.
    auto open = [&](const char* id) {
        tag(id);
        put32(0);
        return out.size();
    };
    auto close = [&](size_t start) {
        const auto size = static_cast<uint32_t>(out.size() - start);
        for (int i = 0; i < 4; ++i) out[start - 4 + i] = static_cast<uint8_t>(size >> (8 * i));
        if (size & 1) out.push_back(0);
    };
    const size_t riff = open("RIFF");
    tag("AVI ");
    const size_t hdrl = open("LIST");
    tag("hdrl");
    const size_t strl = open("LIST");
    tag("strl");
    const size_t strh = open("strh");
    tag("vids");
    put32(0);                              // handler
    for (int i = 0; i < 3; ++i) put32(0);  // flags, priority, initial frames
    put32(1);                              // scale
    put32(15);                             // rate
    put32(0);                              // start
    put32(kFrames);                        // length
    for (int i = 0; i < 5; ++i) put32(0);  // buffer, quality, sample size, frame
    close(strh);
    const size_t strf = open("strf");
    put32(largeHeader ? 108 : 40);
    put32(kWidth);
    put32(kHeight);
    put16(1);
    put16(bitCount);
    put32(3);  // bit fields
    for (int i = 0; i < 5; ++i) put32(0);
    put32(red);
    put32(green);
    put32(blue);
    if (largeHeader) out.resize(out.size() + 108 - 52, 0);
    close(strf);
    close(strl);
    close(hdrl);
    const size_t movi = open("LIST");
    tag("movi");
    for (int f = 0; f < kFrames; ++f) {
        const size_t frame = open("00db");
        for (int p = 0; p < kWidth * kHeight; ++p) {
            if (bitCount == 16) {
                put16(pixel);
            } else {
                put32(pixel);
            }
        }
        close(frame);
    }
    close(movi);
    close(riff);
    return out;
}

TEST_F(MovieJobTest, ColourMasksSayHowUncompressedPixelsRead) {
    struct Case {
        const char* name;
        uint16_t bitCount;
        uint32_t pixel, red, green, blue;
        bool largeHeader;
        int b, g, r;  // the colour expected
    };
    const Case cases[] = {
        // Six bits of green: half way up is 130, where five bits would
        // read red 8 and no green.
        {"565.avi", 16, 0x0400, 0xF800, 0x07E0, 0x001F, false, 0, 130, 0},
        {"555.avi", 16, 0x4210, 0x7C00, 0x03E0, 0x001F, true, 132, 132, 132},
        // Red in the first byte of each pixel, blue in the third.
        {"rgb0.avi", 32, 0x0014'64C8, 0x0000'00FF, 0x0000'FF00, 0x00FF'0000, true, 20, 100, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::WriteHostFile(dir_ / c.name, BitFieldsAvi(c.bitCount, c.pixel, c.red,
                                                                   c.green, c.blue, c.largeHeader));
        const MovieResult result = Convert(Settings(c.name));
        ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
        const clipmux_test::MovieFrames movie =
            clipmux_test::ReadMovie(dir_ / (std::string(c.name, std::strlen(c.name) - 4) + ".mov"));
        ASSERT_EQ(movie.frames.size(), 2u);
        int w = 0, h = 0;
        std::vector<uint8_t> rgb;
        ASSERT_TRUE(clipmux_test::DecodeRgb(movie.frames[1], &w, &h, &rgb));
        const size_t middle = (120 * 320 + 160) * 3;
        EXPECT_NEAR(rgb[middle], c.b, 6);
        EXPECT_NEAR(rgb[middle + 1], c.g, 6);
        EXPECT_NEAR(rgb[middle + 2], c.r, 6);
    }
    // Masks no pixel format has are refused rather than read wrongly.
    testing_support::WriteHostFile(dir_ / "odd.avi",
                                   BitFieldsAvi(16, 0x0001, 0x0003, 0x000C, 0x0030, false));
    const MovieResult odd = Convert(Settings("odd.avi"));
    ASSERT_EQ(odd.failures.size(), 1u);
    EXPECT_NE(odd.failures[0].find("colour layout"), std::string::npos) << odd.failures[0];
    EXPECT_FALSE(fs::exists(dir_ / "odd.mov"));
}

TEST_F(MovieJobTest, AviSoundIsPassedThroughOrConvertedAndShortSoundsKeepTheirPcm) {
    // Long 16-bit PCM: MP3.
    MovieShape shape;
    shape.frames = 3;
    shape.audio = AV_CODEC_ID_PCM_S16LE;
    shape.audioSamples = 22050;
    clipmux_test::WriteTestMovie(dir_ / "long.avi", shape);
    MovieResult result = Convert(Settings("long.avi"));
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    EXPECT_TRUE(result.soundWritten);
    EXPECT_TRUE(IsMp3(ReadHostFile(dir_ / "long.mp3")));

    // Short 8-bit mono PCM at 11,025 Hz: the short-sound container, untouched.
    shape.audio = AV_CODEC_ID_PCM_U8;
    shape.sampleRate = 11025;
    shape.channels = 1;
    shape.audioSamples = 4000;
    clipmux_test::WriteTestMovie(dir_ / "short.avi", shape);
    result = Convert(Settings("short.avi"));
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    ShortSound sound = ReadShortSound(ReadHostFile(dir_ / "short.mp3"));
    EXPECT_EQ(sound.tag, 1);
    EXPECT_EQ(sound.channels, 1);
    EXPECT_EQ(sound.bits, 8);
    EXPECT_EQ(sound.rate, 11025u);
    EXPECT_EQ(sound.bytes, 4000u);

    // A short MP3 sound track is decoded to 16-bit PCM first.
    shape.audio = AV_CODEC_ID_MP3;
    shape.sampleRate = 22050;
    shape.audioSamples = 2304;
    clipmux_test::WriteTestMovie(dir_ / "coded.avi", shape);
    result = Convert(Settings("coded.avi"));
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    sound = ReadShortSound(ReadHostFile(dir_ / "coded.mp3"));
    EXPECT_EQ(sound.tag, 1);
    EXPECT_EQ(sound.bits, 16);
    EXPECT_EQ(sound.rate, 22050u);
    EXPECT_GE(sound.bytes, 2304u * 2);

    // A longer one becomes MP3 again.
    shape.audioSamples = 22050;
    clipmux_test::WriteTestMovie(dir_ / "coded.avi", shape);
    result = Convert(Settings("coded.avi"));
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    EXPECT_TRUE(IsMp3(ReadHostFile(dir_ / "coded.mp3")));
}

TEST_F(MovieJobTest, SeveralSoundStreamsTakeTheFirstAndSaySo) {
    MovieShape shape;
    shape.frames = 4;
    shape.audio = AV_CODEC_ID_PCM_S16LE;
    shape.audioSamples = 1000;
    shape.audioStreams = 2;
    clipmux_test::WriteTestMovie(dir_ / "two.avi", shape);
    for (int graph : {0, 1}) {
        MovieSettings settings = Settings("two.avi");
        settings.forceGraph = graph;
        const MovieResult result = Convert(settings);
        ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
        EXPECT_TRUE(result.soundWritten);
        EXPECT_NE(Joined(result.notes).find("2 sound streams; the first is used"),
                  std::string::npos)
            << Joined(result.notes);
    }
}

TEST_F(MovieJobTest, SourcesThePlayerCouldNotPlayAreRefused) {
    // A frame rate of 0 in the stream header.
    MovieShape shape;
    shape.frames = 3;
    clipmux_test::WriteTestMovie(dir_ / "still.avi", shape);
    clipmux_test::PatchAviVideoRate(dir_ / "still.avi", 0);
    MovieResult result = Convert(Settings("still.avi"));
    EXPECT_NE(Joined(result.failures).find("frame rate is 0"), std::string::npos)
        << Joined(result.failures);
    EXPECT_FALSE(fs::exists(dir_ / "still.mov"));

    // Too short for one frame at 5 fps.
    shape.frames = 2;
    clipmux_test::WriteTestMovie(dir_ / "brief.avi", shape);
    MovieSettings settings = Settings("brief.avi");
    settings.frameRateChoice = 4;
    result = Convert(settings);
    EXPECT_NE(Joined(result.failures).find("too short"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "brief.mov"));

    // Noise at quality 100 needs more than the player's 64 KiB a frame; an
    // earlier movie of that name stays as it was.
    shape.video = AV_CODEC_ID_RAWVIDEO;
    shape.width = 320;
    shape.height = 240;
    shape.frames = 1;
    clipmux_test::WriteTestMovie(dir_ / "noise.avi", shape);
    std::vector<uint8_t> file = ReadHostFile(dir_ / "noise.avi");
    const std::vector<uint8_t> noise = testing_support::RandomBytes(320 * 240 * 3, 7);
    // Overwrite the frame's pixels, found after its chunk id.
    for (size_t i = 0; i + 8 < file.size(); ++i) {
        if (std::memcmp(&file[i], "00db", 4) == 0 || std::memcmp(&file[i], "00dc", 4) == 0) {
            if (formats::ReadLe32(file, i + 4) == noise.size()) {
                std::memcpy(&file[i + 8], noise.data(), noise.size());
                break;
            }
        }
    }
    testing_support::WriteHostFile(dir_ / "noise.avi", file);
    testing_support::WriteHostFile(dir_ / "noise.mov", std::string("earlier"));
    settings = Settings("noise.avi");
    settings.qualityIndex = 0;
    result = Convert(settings);
    EXPECT_NE(Joined(result.failures).find("more than the player's 65536"), std::string::npos)
        << Joined(result.failures);
    EXPECT_EQ(ReadHostFile(dir_ / "noise.mov"),
              std::vector<uint8_t>({'e', 'a', 'r', 'l', 'i', 'e', 'r'}));
    // At a lower quality the same source converts.
    settings.qualityIndex = 9;
    result = Convert(settings);
    EXPECT_TRUE(result.failures.empty()) << Joined(result.failures);
}

TEST_F(MovieJobTest, MjFilesGiveTheirFramesAndAlwaysMp3Sound) {
    clipmux_test::MjShape shape;
    shape.frames = 5;
    testing_support::WriteHostFile(dir_ / "op.MJ", clipmux_test::MakeMjFile(shape));
    MovieSettings settings = Settings("op.MJ");
    EXPECT_EQ(settings.inputKind, InputKind::kMj);
    settings.frameRateChoice = 1;  // 15 fps source at 30
    MovieResult result = Convert(settings);
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    clipmux_test::MovieFrames movie = clipmux_test::ReadMovie(dir_ / "op.mov");
    EXPECT_EQ(movie.frameRate, 30u);
    EXPECT_EQ(clipmux_test::ShownFrames(movie, 5),
              (std::vector<int>{0, 0, 1, 1, 2, 2, 3, 3, 4, 4}));
    // 10,000 bytes of sound: short, but without a format it is MP3.
    EXPECT_TRUE(IsMp3(ReadHostFile(dir_ / "op.mp3")));

    // Grey frames, a 30/2 rate, 160 x 120.
    shape.grey = true;
    shape.rateNumerator = 30;
    shape.rateDenominator = 2;
    testing_support::WriteHostFile(dir_ / "grey.mj", clipmux_test::MakeMjFile(shape));
    settings = Settings("grey.mj");
    settings.pictureSize = 1;
    result = Convert(settings);
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    movie = clipmux_test::ReadMovie(dir_ / "grey.mov");
    EXPECT_EQ(movie.frameRate, 15u);
    EXPECT_EQ(movie.frames.size(), 5u);
    EXPECT_EQ(movie.width, 160u);
}

TEST_F(MovieJobTest, DamagedMjFilesAreRefusedBeforeAnythingIsWritten) {
    clipmux_test::MjShape shape;
    shape.rateDenominator = 0;
    testing_support::WriteHostFile(dir_ / "zero.mj", clipmux_test::MakeMjFile(shape));
    MovieResult result = Convert(Settings("zero.mj"));
    EXPECT_NE(Joined(result.failures).find("frame rate is 0"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "zero.mov"));

    // The last frame cut off; then an entry pointing far past the end.
    shape.rateDenominator = 1;
    std::vector<uint8_t> file = clipmux_test::MakeMjFile(shape);
    file.resize(file.size() - 10);
    testing_support::WriteHostFile(dir_ / "cut.mj", file);
    result = Convert(Settings("cut.mj"));
    EXPECT_NE(Joined(result.failures).find("video frame 5 lies outside the file"),
              std::string::npos)
        << Joined(result.failures);
    file = clipmux_test::MakeMjFile(shape);
    formats::StoreLe32(&file[36 + 24 * 2 + 8], 0xFFFFFF00u);
    testing_support::WriteHostFile(dir_ / "far.mj", file);
    result = Convert(Settings("far.mj"));
    EXPECT_NE(Joined(result.failures).find("outside the file"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "far.mov"));
    EXPECT_FALSE(fs::exists(dir_ / "far.mp3"));

    MjFile mj;
    std::string why;
    file = clipmux_test::MakeMjFile(shape);
    EXPECT_TRUE(ParseMjFile(file, file.size(), &mj, &why)) << why;
    EXPECT_EQ(mj.frames.size(), 6u);
    EXPECT_EQ(mj.soundBytes, 6u * 2000);
    EXPECT_FALSE(ParseMjFile(formats::ByteSpan(file).first(100), file.size(), &mj, &why));
    formats::StoreLe16(&file[26], 60);  // more sound chunks than entries
    EXPECT_FALSE(ParseMjFile(file, file.size(), &mj, &why));
}

TEST_F(MovieJobTest, TheGraphStepsOrSeeksThroughThirtyPositionsASecond) {
    MovieShape shape;
    shape.frames = 12;  // 0.4 s: 12 positions
    shape.audio = AV_CODEC_ID_PCM_S16LE;
    shape.sampleRate = 48000;
    shape.channels = 1;
    shape.audioSamples = 4000;
    clipmux_test::WriteTestMovie(dir_ / "g.avi", shape);
    for (int freeRunning : {0, 1}) {
        SCOPED_TRACE(freeRunning);
        MovieSettings settings = Settings("g.avi");
        settings.forceGraph = 1;
        settings.freeRunning = freeRunning;
        const MovieResult result = Convert(settings);
        ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
        EXPECT_TRUE(result.usedGraph);
        const clipmux_test::MovieFrames movie = clipmux_test::ReadMovie(dir_ / "g.mov");
        // Choice 0 means 15 fps here: step 2, (12 - 1) / 2 frames.
        EXPECT_EQ(movie.frameRate, 15u);
        EXPECT_EQ(clipmux_test::ShownFrames(movie, 12), (std::vector<int>{0, 2, 4, 6, 8}));
        // 48 kHz mono becomes 22,050 Hz 16-bit stereo before encoding.
        const ShortSound sound = ReadShortSound(ReadHostFile(dir_ / "g.mp3"));
        EXPECT_EQ(sound.channels, 2);
        EXPECT_EQ(sound.bits, 16);
        EXPECT_EQ(sound.rate, 22050u);
        EXPECT_NEAR(static_cast<double>(sound.bytes), 4000.0 * 22050 / 48000 * 4, 64);
    }
    // The same file through the AVI reader keeps its own sound format.
    const MovieResult result = Convert(Settings("g.avi"));
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    EXPECT_EQ(ReadShortSound(ReadHostFile(dir_ / "g.mp3")).rate, 48000u);
}

TEST_F(MovieJobTest, FilesTheAviReaderCannotOpenGoThroughTheGraphWithinItsTimeLimit) {
    MovieShape shape;
    shape.container = "matroska";
    shape.video = AV_CODEC_ID_MPEG4;
    shape.frameRate = {15, 1};
    shape.frames = 8;
    clipmux_test::WriteTestMovie(dir_ / "other.avi", shape);
    MovieSettings settings = Settings("other.avi");
    settings.frameRateChoice = 2;
    MovieResult result = Convert(settings);
    ASSERT_TRUE(result.failures.empty()) << Joined(result.failures);
    EXPECT_TRUE(result.usedGraph);
    EXPECT_NE(Joined(result.notes).find("not an AVI file"), std::string::npos);
    // 15 fps at positions 0, 2, 4, ... of 30 a second: source frames 0, 1,
    // 2, ... (how many depends on the duration the container states).
    const std::vector<int> shown =
        clipmux_test::ShownFrames(clipmux_test::ReadMovie(dir_ / "other.mov"), 8);
    EXPECT_GE(shown.size(), 6u);
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], static_cast<int>(i));

    // No time at all to wait: the graph gives up instead of hanging.
    settings.graphWaitLimit = std::chrono::milliseconds(0);
    fs::remove(dir_ / "other.mov");
    result = Convert(settings);
    EXPECT_NE(Joined(result.failures).find("timed out"), std::string::npos)
        << Joined(result.failures);
    EXPECT_FALSE(fs::exists(dir_ / "other.mov"));
}

TEST_F(MovieJobTest, OutputNamesReplaceTheLastExtension) {
    MovieSettings settings;
    settings.outputFolder = "/out";
    settings.inputPath = "/in/a.b.avi";
    EXPECT_EQ(MovieOutputPath(settings), fs::path("/out/a.b.mov"));
    EXPECT_EQ(SoundOutputPath(settings), fs::path("/out/a.b.mp3"));
    settings.inputPath = "/in/plain";
    EXPECT_EQ(MovieOutputPath(settings), fs::path("/out/plain.mov"));
    EXPECT_EQ(InputKindForPath("x/OPENING.Mj"), InputKind::kMj);
    EXPECT_EQ(InputKindForPath("x/mj.avi"), InputKind::kAvi);
    EXPECT_EQ(InputKindForPath("x/file.mjx"), InputKind::kAvi);
}

}  // namespace
}  // namespace clipmux

namespace clipmux {
namespace {

TEST(GraphSoundTest, ASoundTrackOverSixtyFourMebibytesIsReadWhole) {
    TempDir dir;
    MovieShape shape;
    shape.frames = 1;
    shape.frameRate = {1, 1};
    shape.audio = AV_CODEC_ID_PCM_S16LE;
    shape.sampleRate = 44100;
    shape.channels = 2;
    shape.audioSamples = 44100 * 390;  // 68.8 MB of PCM
    clipmux_test::WriteTestMovie(dir / "long.avi", shape);
    MovieSettings settings;
    settings.inputPath = dir / "long.avi";
    settings.outputFolder = dir.path();
    MovieJob job(settings);
    common::WaveFormat format;
    std::vector<uint8_t> pcm;
    std::string why;
    ASSERT_TRUE(job.ReadGraphSound(&format, &pcm, &why)) << why;
    EXPECT_EQ(format.samplesPerSecond, 44100u);
    EXPECT_EQ(format.channels, 2);
    EXPECT_GT(pcm.size(), size_t{64} << 20);
    EXPECT_EQ(pcm.size(), size_t{44100} * 390 * 4);
}

}  // namespace
}  // namespace clipmux
