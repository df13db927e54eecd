// Loading effects and voices: sources, the ".mp3" fallback, MP3 decoding on
// load, the WAVE acceptance rules and the conversion into the slot.

#include <gtest/gtest.h>

#include "formats/mlz_archive.h"
#include "sound_test_fixture.h"

namespace {

using sound_test::FakeSample;
using sound_test::kPassSamples;
using sound_test::MakeWav;
using sound_test::Pattern;

class EffectLoaderTest : public sound_test::MixerFixture {
protected:
    void SetUp() override { mixer_ = MakeMixer(); }

    // Passes until the effect in slot has finished (and stopped).
    int PassesUntilStopped(int slot) {
        int passes = 0;
        while (mixer_->EffectName(slot) != "" && passes < 1000) {
            device_.Complete();
            ++passes;
        }
        return passes;
    }

    std::unique_ptr<sound::SoundMixer> mixer_;
};

TEST_F(EffectLoaderTest, MissingWavFallsBackToMp3InAFolder) {
    decoders_.effectStream = {2, 22050, 1000, 0, false};
    WriteFile("v.mp3", {9, 9, 9});
    ASSERT_EQ(mixer_->LoadEffect(0, "v.wav", Folder(), 100), 1);
    EXPECT_EQ(decoders_.temporaryCount, 1);
    mixer_->PlayEffect(0, 0);
    std::vector<int16_t> pass = device_.Complete();
    EXPECT_EQ(pass[0], FakeSample(0));
    EXPECT_EQ(pass[499], FakeSample(499));
    EXPECT_EQ(pass[500], 0);
    // No extension: ".mp3" is appended.
    EXPECT_EQ(mixer_->LoadEffect(1, "v", Folder(), 100), 1);
    EXPECT_EQ(mixer_->LoadEffect(2, "w.wav", Folder(), 100), 0);
}

// The estimate only sizes the first allocation; the whole sound is kept.
TEST_F(EffectLoaderTest, Mp3LongerThanTheEstimateLoadsWhole) {
    decoders_.effectStream = {2, 22050, 200000, 0, false};
    WriteFile("long.mp3", {1});
    ASSERT_EQ(mixer_->LoadEffect(3, "long.mp3", Folder(), 100), 1);
    mixer_->PlayEffect(3, 0);
    // 200000 bytes fill 24.4 passes; the pass after the last notices the end.
    EXPECT_EQ(PassesUntilStopped(3), 26);
}

TEST_F(EffectLoaderTest, Mp3OfAnUnusableFormatIsRefused) {
    WriteFile("low.mp3", {1});
    decoders_.effectStream = {2, 16000, 1000, 0, false};
    EXPECT_EQ(mixer_->LoadEffect(0, "low.mp3", Folder(), 100), 0);
    decoders_.effectStream = {2, 22050, 1000, 0, true};  // the open fails
    EXPECT_EQ(mixer_->LoadEffect(0, "low.mp3", Folder(), 100), 0);
}

// 44100 Hz one channel: n data bytes become n bytes of averaged frames.
TEST_F(EffectLoaderTest, MonoAt44100IsAveragedIntoTheSlot) {
    std::vector<int16_t> source = Pattern(4096);
    WriteFile("m.wav", MakeWav(1, 44100, 16, source));
    ASSERT_EQ(mixer_->LoadEffect(0, "m.wav", Folder(), 100), 1);
    mixer_->PlayEffect(0, 0);
    std::vector<int16_t> pass = device_.Complete();
    for (size_t frame = 0; frame < 2048; ++frame) {
        int16_t expected = static_cast<int16_t>(source[2 * frame + 1] / 2 + source[2 * frame] / 2);
        ASSERT_EQ(pass[2 * frame], expected) << frame;
        ASSERT_EQ(pass[2 * frame + 1], expected) << frame;
    }
    EXPECT_EQ(PassesUntilStopped(0), 1);  // exactly one pass long: stopped on the next
}

TEST_F(EffectLoaderTest, RefusesWhatTheMixerCannotPlay) {
    WriteFile("low.wav", MakeWav(2, 11025, 16, Pattern(100)));
    WriteFile("8bit.wav", MakeWav(2, 22050, 8, Pattern(100)));
    std::vector<uint8_t> noFormat = {'R', 'I', 'F', 'F', 12, 0, 0, 0, 'W', 'A', 'V', 'E',
                                     'd', 'a', 't', 'a', 4,  0, 0, 0, 1,   2,   3,   4};
    WriteFile("nofmt.wav", noFormat);
    WriteFile("garbage.wav", {1, 2, 3});
    for (const char* name : {"low.wav", "8bit.wav", "nofmt.wav", "garbage.wav", "absent.wav"}) {
        EXPECT_EQ(mixer_->LoadEffect(0, name, Folder(), 100), 0) << name;
    }
    EXPECT_EQ(mixer_->LoadEffect(0, std::string(47, 'a'), Folder(), 100), 0);
    EXPECT_EQ(mixer_->LoadEffect(64, "low.wav", Folder(), 100), 0);
    EXPECT_EQ(mixer_->LoadEffect(-1, "low.wav", Folder(), 100), 0);
}

TEST_F(EffectLoaderTest, LoadingStopsWhatTheSlotHeld) {
    playWhileSleeping_ = true;
    ASSERT_EQ(LoadSamples(*mixer_, 0, Pattern(50000)), 1);
    mixer_->PlayEffect(0, 1);
    EXPECT_EQ(mixer_->LoadEffect(0, "absent.wav", Folder(), 100), 0);
    EXPECT_EQ(mixer_->EffectPositionMs(0), -1);
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
}

// From an archive: a stored WAV entry is read as it is; a compressed one is
// passed over for the MP3 of the same name, as the converter stores voices.
TEST_F(EffectLoaderTest, ArchiveEntriesAndTheirMp3Fallback) {
    decoders_.effectStream = {2, 22050, 400, 0, false};
    std::vector<int16_t> sound = Pattern(300);
    formats::MlzArchiveBuilder builder;
    std::string error;
    std::vector<uint8_t> wav = MakeWav(2, 22050, 16, sound);
    std::vector<uint8_t> mp3 = {1, 2, 3, 4};
    ASSERT_TRUE(builder.AddEntry("se\\a.wav", wav, formats::MlzMethod::kStored, &error));
    ASSERT_TRUE(builder.AddEntry("v\\b.wav", wav, formats::MlzMethod::kLzss, &error));
    ASSERT_TRUE(builder.AddEntry("v\\b.mp3", mp3, formats::MlzMethod::kStored, &error));
    WriteFile("voice.mlz", builder.Finish());
    std::string archive = Folder() + "voice.mlz";

    ASSERT_EQ(mixer_->LoadEffect(0, "SE\\A.WAV", archive, 50), 1);
    ASSERT_EQ(mixer_->LoadEffect(1, "v\\b.wav", archive, 100), 1);
    EXPECT_EQ(decoders_.temporaryCount, 1);
    mixer_->PlayEffect(0, 0);
    std::vector<int16_t> pass = device_.Complete();
    EXPECT_EQ(pass[0], 50 * sound[0] / 100);
    EXPECT_EQ(pass[299], 50 * sound[299] / 100);
    EXPECT_EQ(mixer_->LoadEffect(2, "v\\c.wav", archive, 100), 0);
}

}  // namespace
