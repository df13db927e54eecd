// The player on the clock: pacing without a sound track, skipping late
// frames, frames that cannot be shown, files that are refused, and the
// reader thread delivering the right bytes however the frames are spread
// over its slots.

#include <gtest/gtest.h>

#include <random>

#include "movie_fixture.h"
#include "movie_test_data.h"

namespace {

using movie_test::FrameColour;
using movie_test::MovieFixture;
using movie_test::SolidFrames;
using movie_test::WriteMovie;

using PlayerTest = MovieFixture;

TEST_F(PlayerTest, WithoutATrackTheClockPacesTheFramesAndLateOnesAreSkipped) {
    WriteMovie(dir_ / "clip.mov", 10, 320, 240, SolidFrames(20, 320, 240));
    movie::MovieControl movies(Output());
    // Only the name after the last '/' counts, and its extension becomes ".mov".
    ASSERT_TRUE(movies.PlayMovieFile(Folder(), "any/where/clip.avi", 100, false));
    ASSERT_TRUE(movies.IsMoviePlaying());
    const movie::MoviePlayer& player = *movies.Player();
    EXPECT_FALSE(player.HasTrack());
    EXPECT_EQ(FrameOnScreen(20), 0u);
    const uint32_t start = clock_.now;

    ASSERT_TRUE(AdvanceUntil(movies, start + 99));
    EXPECT_EQ(player.CurrentFrame(), 0);
    ASSERT_TRUE(AdvanceUntil(movies, start + 101));
    EXPECT_EQ(player.CurrentFrame(), 1);
    EXPECT_EQ(FrameOnScreen(20), 1u);
    EXPECT_EQ(player.FramesShown(), 2u);

    // A long stall: the frames in between are never decoded.
    clock_.now = start + 750;
    ASSERT_TRUE(movies.AdvanceMovie());
    EXPECT_EQ(player.CurrentFrame(), 7);
    EXPECT_EQ(FrameOnScreen(20), 7u);
    EXPECT_EQ(player.FramesShown(), 3u);

    // N / rate seconds: the last frame shows until 2 s, then the movie ends.
    ASSERT_TRUE(AdvanceUntil(movies, start + 1999));
    EXPECT_EQ(FrameOnScreen(20), 19u);
    EXPECT_FALSE(AdvanceUntil(movies, start + 2100));
    EXPECT_EQ(clock_.now, start + 2000);
    EXPECT_FALSE(movies.IsMoviePlaying());
    EXPECT_FALSE(movies.AdvanceMovie());
    EXPECT_FALSE(movies.StopMovie());
}

TEST_F(PlayerTest, FramesThatCannotBeShownLeaveThePreviousPicture) {
    std::vector<std::vector<uint8_t>> frames = SolidFrames(6, 160, 120);
    frames[1] = testing_support::RandomBytes(2000, 3);  // not a JPEG
    frames[3].clear();                                  // the converter lost it
    frames[4] = SolidFrames(1, 80, 60)[0];              // another size than the movie's
    WriteMovie(dir_ / "broken.mov", 10, 160, 120, frames);
    movie::MovieControl movies(Output());
    ASSERT_TRUE(movies.PlayMovieFile(Folder(), "broken.mov", 100, false));
    const movie::MoviePlayer& player = *movies.Player();
    const uint32_t start = clock_.now;

    const uint32_t expected[6] = {0, 0, 2, 2, 2, 5};
    for (uint32_t frame = 1; frame < 6; ++frame) {
        ASSERT_TRUE(AdvanceUntil(movies, start + frame * 100 + 50)) << frame;
        EXPECT_EQ(player.CurrentFrame(), frame);
        EXPECT_EQ(FrameOnScreen(6), expected[frame]) << frame;
    }
    EXPECT_EQ(player.FramesSkipped(), 3u);
    EXPECT_EQ(player.FramesShown(), 3u);
    // The movie still ends on time.
    EXPECT_FALSE(AdvanceUntil(movies, start + 700));
    EXPECT_EQ(clock_.now, start + 600);
}

TEST_F(PlayerTest, FilesThePlayerCannotPlayAreRefusedAtOpen) {
    movie::MovieControl movies(Output());
    std::string why;
    EXPECT_FALSE(movies.PlayMovieFile(Folder(), "missing.mov", 100, false, &why));
    EXPECT_FALSE(movies.IsMoviePlaying());

    // An index that promises more than the file holds.
    WriteMovie(dir_ / "short.mov", 10, 160, 120, SolidFrames(4, 160, 120));
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(dir_ / "short.mov");
    bytes.resize(bytes.size() - 10);
    testing_support::WriteHostFile(dir_ / "short.mov", bytes);
    EXPECT_FALSE(movies.PlayMovieFile(Folder(), "short.mov", 100, false, &why));
    EXPECT_NE(why.find("past the end"), std::string::npos) << why;

    // A frame larger than a read slot.
    std::vector<std::vector<uint8_t>> frames = SolidFrames(3, 160, 120);
    frames[2].resize(65537, 0);
    WriteMovie(dir_ / "big.mov", 10, 160, 120, frames);
    EXPECT_FALSE(movies.PlayMovieFile(Folder(), "big.mov", 100, false, &why));
    EXPECT_NE(why.find("65536"), std::string::npos) << why;

    // A picture larger than the frame buffer.
    WriteMovie(dir_ / "wide.mov", 10, 640, 480, SolidFrames(1, 640, 480));
    EXPECT_FALSE(movies.PlayMovieFile(Folder(), "wide.mov", 100, false, &why));

    // A refused file still stops the movie that was playing.
    WriteMovie(dir_ / "good.mov", 10, 160, 120, SolidFrames(4, 160, 120));
    ASSERT_TRUE(movies.PlayMovieFile(Folder(), "good", 100, false));
    EXPECT_FALSE(movies.PlayMovieFile(Folder(), "short.mov", 100, false));
    EXPECT_FALSE(movies.IsMoviePlaying());
}

// Frames of mixed sizes (some fill a slot alone), played with irregular
// steps: whatever the reader thread is doing, the picture is always the
// frame due.
TEST_F(PlayerTest, TheReaderDeliversEveryFrameDueWhateverTheSlotsHold) {
    std::vector<std::vector<uint8_t>> frames = SolidFrames(60, 160, 120);
    for (size_t i = 0; i < frames.size(); ++i) {
        // Bytes after the end-of-image marker are never read by the decoder.
        if (i % 3 == 0) frames[i].resize(40000, 0x55);
        if (i % 7 == 0) frames[i].resize(65536, 0x55);
    }
    WriteMovie(dir_ / "mixed.mov", 30, 160, 120, frames);
    for (uint32_t seed : {1u, 2u, 3u}) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<uint32_t> step(0, seed * 40);
        movie::MovieControl movies(Output());
        ASSERT_TRUE(movies.PlayMovieFile(Folder(), "mixed.mov", 100, false));
        int shown = 0;
        while (true) {
            clock_.now += step(random);
            if (!movies.AdvanceMovie()) break;
            const int64_t frame = movies.Player()->CurrentFrame();
            ASSERT_EQ(FrameOnScreen(60), frame) << "seed " << seed;
            ++shown;
        }
        EXPECT_GT(shown, 10);
        EXPECT_FALSE(movies.IsMoviePlaying());
    }
}

}  // namespace
