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
        playWhileSleeping = true;  // stops wait for the pass, as on the device
        mixer = MakeMixer();
        WriteFile("bgm.wav", MakeWav(2, 22050, 16, std::vector<int16_t>(50000, 1000)));
    }
    std::unique_ptr<sound::SoundMixer> mixer;
    MusicController controller{[this] { return tick; }};
};

// Without a device the music position still runs, from the engine clock, so
// scenes paced by it go on.
TEST_F(MusicControllerTest, ModeZeroKeepsAVirtualClock) {
    controller.SetMode(mixer.get(), sound::kMusicNoDevice);
    controller.Play("bgm.wav", Folder(), 100, 0, 1);
    EXPECT_TRUE(controller.Playing());
    EXPECT_EQ(controller.Name(), "bgm.wav");
    EXPECT_EQ(mixer->MusicPositionMs(), -1);  // nothing sounds
    tick += 1234;
    EXPECT_EQ(controller.PositionCs(), 123);
    controller.Stop();
    EXPECT_EQ(controller.Name(), "");
}

TEST_F(MusicControllerTest, ModeOneRecordsTheNameButHasNoPosition) {
    controller.SetMode(mixer.get(), sound::kMusicOff);
    controller.Play("bgm.wav", Folder(), 100, 0, 1);
    EXPECT_EQ(controller.Name(), "bgm.wav");
    EXPECT_EQ(mixer->MusicPositionMs(), -1);
    tick += 5000;
    EXPECT_EQ(controller.PositionCs(), -1);
}

TEST_F(MusicControllerTest, ModeTwoFollowsTheDevice) {
    controller.SetMode(mixer.get(), sound::kMusicOn);
    controller.Play("bgm.wav", Folder(), 60, 0, 1);
    EXPECT_EQ(mixer->MusicStarted(), 1);
    EXPECT_EQ(device.Complete()[0], 600);
    for (int pass = 0; pass < 5; ++pass) device.Complete();
    // Clock started on the 4th pass, two passes ago: 16384 bytes = 185 ms.
    EXPECT_EQ(controller.PositionCs(), 18);

    // Leaving the mode stops the music but keeps the name.
    controller.SetMode(mixer.get(), sound::kMusicOff);
    EXPECT_EQ(mixer->MusicPositionMs(), -1);
    EXPECT_EQ(controller.Name(), "bgm.wav");
}

TEST_F(MusicControllerTest, FadeOutKeepsTheMusicRunningSilently) {
    controller.SetMode(mixer.get(), sound::kMusicOn);
    controller.Play("bgm.wav", Folder(), 100, 0, 1);
    device.Complete();
    controller.FadeOut(300);
    EXPECT_FALSE(controller.Playing());
    EXPECT_EQ(controller.Name(), "");
    tick += 300;
    EXPECT_EQ(device.Complete()[0], 0);
    EXPECT_GE(mixer->MusicPositionMs(), 0);  // still there, at volume 0
    controller.Stop();
    EXPECT_EQ(mixer->MusicPositionMs(), -1);
}

}  // namespace
