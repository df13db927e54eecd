// The movie inside the engine: the tick runs nothing but the movie while it
// plays and ends it on a tap, C or Right; the sound track plays through the
// mixer and paces the picture.

#include <gtest/gtest.h>

#include <functional>

#include "engine/core/engine.h"
#include "engine/movie/movie_control.h"
#include "engine/sound/mp3_test_data.h"
#include "engine/sound/sound_mixer.h"
#include "engine_test_support.h"
#include "movie_fixture.h"
#include "movie_test_data.h"

namespace {

using movie_test::SolidFrames;
using movie_test::WriteMovie;

class CountingState : public core::StateHandler {
public:
    void RunState() override { ++runs; }
    int runs = 0;
};

class EngineMovieTest : public ::testing::Test {
protected:
    EngineMovieTest() {
        engine_->states.Register(core::kStateTitle, title_);
        engine_->movie = &movies_;
    }
    ~EngineMovieTest() override {
        engine_->movie = nullptr;
        engine_->states.Unregister(core::kStateTitle);
    }

    std::string Folder() const { return platform::HostToDevicePath(dir_.path().string() + "/"); }
    void Press(uint32_t key) {
        engine_->input.OnKey(key, true);
        engine_->Tick();
        engine_->input.OnKey(key, false);
    }
    // Ticks until the clock has passed ms more milliseconds.
    void TickFor(uint32_t ms) {
        const uint32_t end = engine_->clock.Now() + ms;
        while (engine_->clock.Now() < end) engine_->Tick();
    }
    uint32_t FrameOnScreen(uint32_t frameCount) {
        const uint8_t* device = static_cast<uint8_t*>(platform::GXBeginDraw());
        uint16_t word;
        std::memcpy(&word, device + size_t{120} * 2 + size_t{160} * 480, 2);
        platform::GXEndDraw();
        return movie_test::NearestFrame(word, frameCount);
    }

    testing_support::TempDir dir_;
    testing_support::EnvironmentVariable modules_{"MIRELO_MODULE_PATH", MIRELO_MODULE_DIR};
    engine_test::HeadlessEngine engine_{dir_.path().string() + "/", false};
    CountingState title_;
    movie::MovieControl movies_{movie::MovieOutput{
        engine_->clock, *engine_, platform::kDeviceDisplayProperties, engine_->mixer.get()}};
};

TEST_F(EngineMovieTest, OnlyATapCOrRightEndsTheMovieAndNoGameStateRunsMeanwhile) {
    WriteMovie(dir_ / "clip.mov", 10, 160, 120, SolidFrames(50, 160, 120));
    // What begins each press that ends the movie, and what ends the press.
    struct Stopper {
        const char* name;
        std::function<void()> down;
        std::function<void()> up;
    };
    const std::vector<Stopper> stoppers = {
        {"C", [this] { engine_->input.OnKey(platform::kVkC, true); },
         [this] { engine_->input.OnKey(platform::kVkC, false); }},
        {"Right", [this] { engine_->input.OnKey(platform::kVkRight, true); },
         [this] { engine_->input.OnKey(platform::kVkRight, false); }},
        {"tap", [this] { engine_->input.OnStylusDown(120, 160); },
         [this] { engine_->input.OnStylusUp(120, 160); }},
    };
    for (const Stopper& stopper : stoppers) {
        ASSERT_TRUE(movies_.PlayMovieFile(Folder(), "clip.mov", 100, false));
        const int runsBefore = title_.runs;
        for (uint32_t key : {platform::kVkUp, platform::kVkDown, platform::kVkLeft, platform::kVkA,
                             platform::kVkB, platform::kVkStart, platform::kVkCentre}) {
            Press(key);
            TickFor(60);
            EXPECT_TRUE(movies_.IsMoviePlaying()) << "key " << key;
        }
        // The movie went on meanwhile, and nothing else ran.
        EXPECT_GE(movies_.Player()->CurrentFrame(), 4);
        EXPECT_EQ(title_.runs, runsBefore);

        stopper.down();
        engine_->Tick();
        EXPECT_FALSE(movies_.IsMoviePlaying()) << stopper.name;
        // The press that ended the movie is used up: the game does not see
        // it in the tick that follows.
        EXPECT_FALSE(engine_->inputState.Confirmed()) << stopper.name;
        stopper.up();
        TickFor(40);
        EXPECT_GT(title_.runs, runsBefore) << stopper.name;
    }
}

TEST_F(EngineMovieTest, TheSoundTrackPlaysThroughTheMixerAndPacesThePicture) {
    ASSERT_NE(engine_->mixer, nullptr);
    sound::SoundMixer& mixer = *engine_->mixer;
    mp3_test::Tone tone;
    tone.sampleRate = 22050;
    tone.seconds = 3;
    testing_support::WriteHostFile(dir_ / "clip.mp3", mp3_test::EncodeTone(tone, 64));
    WriteMovie(dir_ / "clip.mov", 10, 160, 120, SolidFrames(40, 160, 120));
    WriteMovie(dir_ / "quiet.mov", 10, 160, 120, SolidFrames(40, 160, 120));

    ASSERT_TRUE(movies_.PlayMovieFile(Folder(), "clip.mov", 80, false));
    ASSERT_TRUE(movies_.Player()->HasTrack());
    EXPECT_EQ(mixer.MusicName(), "clip.mp3");
    // The track's clock starts only once the buffers queued ahead of it are
    // heard: the picture waits for it, although the clock alone would be at
    // frame 2.
    TickFor(250);
    EXPECT_EQ(movies_.Player()->CurrentFrame(), 0);
    TickFor(1250);
    const int32_t position = mixer.MusicPositionMs();
    EXPECT_GT(position, 1000);
    EXPECT_LT(position, 1400);
    EXPECT_EQ(movies_.Player()->CurrentFrame(), position / 100);
    EXPECT_EQ(FrameOnScreen(40), position / 100);

    // The track stopping ends the movie, frames left or not.
    mixer.StopMusic();
    engine_->Tick();
    EXPECT_FALSE(movies_.IsMoviePlaying());

    // A new movie stops the old one and its track; stopping a movie stops
    // its track.
    ASSERT_TRUE(movies_.PlayMovieFile(Folder(), "clip.mov", 80, false));
    TickFor(500);
    EXPECT_GT(mixer.MusicPositionMs(), 0);
    ASSERT_TRUE(movies_.PlayMovieFile(Folder(), "quiet.mov", 80, false));
    EXPECT_FALSE(movies_.Player()->HasTrack());
    EXPECT_EQ(mixer.MusicPositionMs(), -1);
    ASSERT_TRUE(movies_.PlayMovieFile(Folder(), "clip.mov", 80, true));
    TickFor(500);
    EXPECT_TRUE(movies_.StopMovie());
    EXPECT_EQ(mixer.MusicPositionMs(), -1);
}

}  // namespace
