// Frames scaled and encoded on their own thread while the next are decoded,
// and the sound made beside them: the output must be what the job's thread
// alone writes, and a failure or a stop must end every thread.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "clipmux/avi_file.h"
#include "clipmux/mj_file.h"
#include "clipmux/movie_job.h"
#include "movie_fixtures.h"
#include "platform/device_file.h"
#include "test_support.h"

namespace clipmux {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadHostFile;
using testing_support::TempDir;
using testing_support::WriteHostFile;

constexpr std::chrono::seconds kNoHang{20};

class FramePipelineTest : public testing::Test {
protected:
    static void SetUpTestSuite() { setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 1); }

    MovieSettings Settings(const fs::path& input, const fs::path& output) {
        MovieSettings settings;
        settings.inputPath = input;
        settings.inputKind = InputKindForPath(input);
        settings.outputFolder = output;
        fs::create_directories(output);
        return settings;
    }

    static std::string Joined(const std::vector<std::string>& lines) {
        std::string all;
        for (const std::string& line : lines) all += line + "\n";
        return all;
    }

    TempDir dir_;
};

TEST_F(FramePipelineTest, PipelinedOutputIsByteForByteTheSingleThreadedOne) {
    // Every frame its own colour, so that a frame out of order or written
    // twice shows; sound long enough to be MP3 rather than kept as PCM.
    clipmux_test::MovieShape avi;
    avi.width = 320;
    avi.height = 240;
    avi.frames = 40;
    avi.audio = AV_CODEC_ID_PCM_S16LE;
    avi.audioSamples = 22050;
    clipmux_test::WriteTestMovie(dir_ / "in.avi", avi);
    clipmux_test::MjShape mj;
    mj.frames = 24;
    mj.width = 320;
    mj.height = 240;
    WriteHostFile(dir_ / "in.mj", clipmux_test::MakeMjFile(mj));

    struct Case {
        const char* input;
        int frames;
        int pictureSize;
    };
    for (const Case& c : {Case{"in.avi", avi.frames, 0}, Case{"in.avi", avi.frames, 1},
                          Case{"in.mj", mj.frames, 0}}) {
        SCOPED_TRACE(std::string(c.input) + " size " + std::to_string(c.pictureSize));
        MovieSettings pipelined = Settings(dir_ / c.input, dir_ / "pipelined");
        pipelined.pictureSize = c.pictureSize;
        pipelined.frameRateChoice = 1;
        MovieSettings alone = pipelined;
        alone.outputFolder = dir_ / "alone";
        fs::create_directories(alone.outputFolder);
        alone.pipelined = false;
        for (const MovieSettings& settings : {pipelined, alone}) {
            MovieJob job(settings);
            job.Run();
            ASSERT_TRUE(job.Result().failures.empty()) << Joined(job.Result().failures);
            EXPECT_EQ(job.FramesWritten(), job.FramesTotal());
        }
        const std::vector<uint8_t> movie = ReadHostFile(MovieOutputPath(pipelined));
        EXPECT_EQ(movie, ReadHostFile(MovieOutputPath(alone)));
        EXPECT_EQ(ReadHostFile(SoundOutputPath(pipelined)), ReadHostFile(SoundOutputPath(alone)));
        const clipmux_test::MovieFrames frames =
            clipmux_test::ReadMovie(MovieOutputPath(pipelined));
        std::vector<int> expected;
        // A 30 fps source keeps every frame; the 15 fps mj shows each twice.
        // The test colours come round again every 20 frames.
        for (int i = 0; i < c.frames; ++i) {
            expected.push_back(i % 20);
            if (c.input == std::string("in.mj")) expected.push_back(i % 20);
        }
        EXPECT_EQ(clipmux_test::ShownFrames(frames, c.frames), expected);
    }
}

TEST_F(FramePipelineTest, MotionJpegChunksThatDoNotStandAloneGoBackToTheDecoderInOrder) {
    // The workers decode the chunks of a motion JPEG AVI themselves; a chunk
    // that starts unlike the others sends the movie back through one
    // decoder in order. Either way the movie is what the job's thread alone
    // writes, frame for frame, and so is what is said.
    clipmux_test::MovieShape shape;
    shape.frames = 12;
    clipmux_test::WriteTestMovie(dir_ / "in.avi", shape);
    const std::vector<uint8_t> original = ReadHostFile(dir_ / "in.avi");
    std::string why;
    std::unique_ptr<platform::DeviceFile> source =
        platform::DeviceFile::OpenHostFile((dir_ / "in.avi").string(), &why);
    AviFile avi;
    ASSERT_TRUE(source && ReadAviFile(*source, &avi, &why)) << why;
    // A chunk that is no image at all.
    std::vector<uint8_t> unlike = original;
    unlike[static_cast<size_t>(avi.streams[0].chunks[7].offset)] = 0;
    WriteHostFile(dir_ / "unlike.avi", unlike);
    // A chunk whose scan ends a third of the way in: the rest of its picture
    // is never written by the decoder, and must not show what a buffer held
    // before (that would differ from run to run).
    std::vector<uint8_t> cut = original;
    const formats::FileRange damaged = avi.streams[0].chunks[7];
    for (size_t at = static_cast<size_t>(damaged.offset + damaged.size / 3);
         at + 2 < damaged.offset + damaged.size; at += 2) {
        cut[at] = 0xFF;
        cut[at + 1] = 0xD9;
    }
    WriteHostFile(dir_ / "cut.avi", cut);

    for (const char* name : {"in.avi", "unlike.avi", "cut.avi"}) {
        SCOPED_TRACE(name);
        MovieSettings pipelined = Settings(dir_ / name, dir_ / "pipelined");
        MovieSettings alone = pipelined;
        alone.outputFolder = dir_ / "alone";
        fs::create_directories(alone.outputFolder);
        alone.pipelined = false;
        std::vector<std::string> said[2];
        for (int i = 0; i < 2; ++i) {
            MovieJob job(i == 0 ? pipelined : alone);
            job.Run();
            said[i] = job.Result().failures;
            said[i].insert(said[i].end(), job.Result().notes.begin(), job.Result().notes.end());
        }
        EXPECT_EQ(said[0], said[1]);
        EXPECT_EQ(ReadHostFile(MovieOutputPath(pipelined)), ReadHostFile(MovieOutputPath(alone)));
    }
}

TEST_F(FramePipelineTest, ASourceFailingMidMovieOrAStopEndsTheJobWithoutHanging) {
    // Frame 5 of 12 is no JPEG: frames 0 to 4 reach the writer, then the
    // job fails with the source's reason and leaves neither file.
    clipmux_test::MjShape shape;
    shape.frames = 12;
    std::vector<uint8_t> file = clipmux_test::MakeMjFile(shape);
    MjFile mj;
    std::string why;
    ASSERT_TRUE(ParseMjFile(file, file.size(), &mj, &why)) << why;
    file[static_cast<size_t>(mj.frames[5].offset)] = 0;
    file[static_cast<size_t>(mj.frames[5].offset) + 1] = 0;
    WriteHostFile(dir_ / "bad.mj", file);
    for (bool pipelined : {true, false}) {
        SCOPED_TRACE(pipelined ? "pipelined" : "alone");
        MovieSettings settings = Settings(dir_ / "bad.mj", dir_ / "out");
        settings.pipelined = pipelined;
        MovieJob job(settings);
        job.Create();
        job.Resume();
        ASSERT_TRUE(job.WaitDone(kNoHang));
        job.Wait();
        EXPECT_NE(Joined(job.Result().failures).find("video frame 5: JPEG decoding failed"),
                  std::string::npos)
            << Joined(job.Result().failures);
        EXPECT_EQ(job.Result().failures.size(), 1u) << Joined(job.Result().failures);
        EXPECT_EQ(job.FramesWritten(), 5);
        EXPECT_FALSE(fs::exists(dir_ / "out" / "bad.mov"));
        EXPECT_FALSE(fs::exists(dir_ / "out" / "bad.mp3"));
    }

    // A stop once frames are flowing ends the job and every thread of it,
    // sound included, with no movie left behind.
    clipmux_test::MovieShape avi;
    avi.width = 320;
    avi.height = 240;
    avi.frames = 300;
    avi.audio = AV_CODEC_ID_PCM_S16LE;
    avi.audioSamples = 22050 * 10;
    clipmux_test::WriteTestMovie(dir_ / "long.avi", avi);
    MovieJob job(Settings(dir_ / "long.avi", dir_ / "out"));
    job.Create();
    job.Resume();
    const auto deadline = std::chrono::steady_clock::now() + kNoHang;
    while (job.FramesWritten() == 0 && !job.IsDone() && std::chrono::steady_clock::now() < deadline)
        job.WaitDone(std::chrono::milliseconds(1));
    job.Stop();
    ASSERT_TRUE(job.WaitDone(kNoHang));
    job.Wait();
    EXPECT_TRUE(job.WasKilled());
    EXPECT_LT(job.FramesWritten(), avi.frames);
    EXPECT_NE(Joined(job.Result().failures).find("stopped"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir_ / "out" / "long.mov"));
    EXPECT_FALSE(fs::exists(dir_ / "out" / "long.mp3"));
}

}  // namespace
}  // namespace clipmux
