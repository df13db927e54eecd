// The music setting in front of the mixer: modes, the virtual clock, fades.

#include "engine/sound/music_controller.h"

#include <gtest/gtest.h>

#include "sound_test_fixture.h"

namespace {

using sound::MusicController;
using sound_test::MakeWav;
using sound_test::Pattern;

class MusicControllerTest : public sound_test::MixerFixture {
protected:
    void SetUp() override {
        playWhileSleeping_ = true;  // stops wait for the pass, as on the device
        mixer_ = MakeMixer();
        WriteFile("bgm.wav", MakeWav(2, 22050, 16, std::vector<int16_t>(50000, 1000)));
    }
    std::unique_ptr<sound::SoundMixer> mixer_;
    MusicController controller_{[this] { return tick_; }};
};

// Without a device the music position still runs, from the engine clock, so
// scenes paced by it go on.
TEST_F(MusicControllerTest, ModeZeroKeepsAVirtualClock) {
    controller_.SetMode(mixer_.get(), sound::kMusicNoDevice);
    controller_.Play("bgm.wav", Folder(), 100, 0, 1);
    EXPECT_TRUE(controller_.Playing());
    EXPECT_EQ(controller_.Name(), "bgm.wav");
    EXPECT_EQ(mixer_->MusicPositionMs(), -1);  // nothing sounds
    tick_ += 1234;
    EXPECT_EQ(controller_.PositionCs(), 123);
    controller_.Stop();
    EXPECT_EQ(controller_.Name(), "");
}

TEST_F(MusicControllerTest, ModeOneRecordsTheNameButHasNoPosition) {
    controller_.SetMode(mixer_.get(), sound::kMusicOff);
    controller_.Play("bgm.wav", Folder(), 100, 0, 1);
    EXPECT_EQ(controller_.Name(), "bgm.wav");
    EXPECT_EQ(mixer_->MusicPositionMs(), -1);
    tick_ += 5000;
    EXPECT_EQ(controller_.PositionCs(), -1);
    // Scenes paced by the music run on the clock instead.
    EXPECT_EQ(controller_.PacedPositionMs(), 5000);
    controller_.Stop();
    EXPECT_EQ(controller_.PacedPositionMs(), -1);
}

// A track that is missing or already over leaves the pace to the clock from
// the moment it was asked for; while it sounds, the track sets the pace.
TEST_F(MusicControllerTest, PacedPositionFallsBackToTheClock) {
    controller_.SetMode(mixer_.get(), sound::kMusicOn);
    controller_.Play("missing.wav", Folder(), 100, 0, 1);
    tick_ += 700;
    EXPECT_EQ(controller_.PacedPositionMs(), 700);

    controller_.Play("bgm.wav", Folder(), 100, 0, 1);
    tick_ += 90000;  // the clock runs far ahead; the track is what counts
    for (int pass = 0; pass < 6; ++pass) device_.Complete();
    EXPECT_EQ(controller_.PacedPositionMs(), mixer_->MusicPositionMs());
    EXPECT_LT(controller_.PacedPositionMs(), 1000);
}

TEST_F(MusicControllerTest, ModeTwoFollowsTheDevice) {
    controller_.SetMode(mixer_.get(), sound::kMusicOn);
    controller_.Play("bgm.wav", Folder(), 60, 0, 1);
    EXPECT_EQ(mixer_->MusicStarted(), 1);
    EXPECT_EQ(device_.Complete()[0], 600);
    for (int pass = 0; pass < 5; ++pass) device_.Complete();
    // Clock started on the 4th pass, two passes ago: 16384 bytes = 185 ms.
    EXPECT_EQ(controller_.PositionCs(), 18);

    // Leaving the mode stops the music but keeps the name.
    controller_.SetMode(mixer_.get(), sound::kMusicOff);
    EXPECT_EQ(mixer_->MusicPositionMs(), -1);
    EXPECT_EQ(controller_.Name(), "bgm.wav");
}

TEST_F(MusicControllerTest, FadeOutKeepsTheMusicRunningSilently) {
    controller_.SetMode(mixer_.get(), sound::kMusicOn);
    controller_.Play("bgm.wav", Folder(), 100, 0, 1);
    device_.Complete();
    controller_.FadeOut(300);
    EXPECT_FALSE(controller_.Playing());
    EXPECT_EQ(controller_.Name(), "");
    tick_ += 300;
    EXPECT_EQ(device_.Complete()[0], 0);
    EXPECT_GE(mixer_->MusicPositionMs(), 0);  // still there, at volume 0
    controller_.Stop();
    EXPECT_EQ(mixer_->MusicPositionMs(), -1);
}

}  // namespace
