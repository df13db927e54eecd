// The mixer: device start, the mixing pass and its loop and position rules,
// stopping with and without a running device, music streaming and fades.

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/sound/sound_mixer.h"
#include "sound_test_fixture.h"

namespace {

using sound_test::kPassSamples;
using sound_test::MakeWav;
using sound_test::Pattern;

class MixerTest : public sound_test::MixerFixture {};

std::vector<int16_t> Slice(const std::vector<int16_t>& samples, size_t from, size_t count) {
    std::vector<int16_t> slice(count, 0);
    for (size_t i = 0; i < count && from + i < samples.size(); ++i) slice[i] = samples[from + i];
    return slice;
}

TEST_F(MixerTest, DeviceStartsWithFourSilentBuffersAtFullVolume) {
    auto mixer = MakeMixer();
    EXPECT_EQ(device_.format.channels, 2);
    EXPECT_EQ(device_.format.sampleRate, 22050u);
    EXPECT_EQ(device_.format.bitsPerSample, 16);
    EXPECT_EQ(device_.format.blockAlign, 4);
    EXPECT_EQ(device_.format.bytesPerSecond, 88200u);
    EXPECT_EQ(device_.volume, 0xFFFFFFFFu);
    ASSERT_EQ(device_.queue.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(device_.queue[i]->length, 8192u);
        EXPECT_EQ(device_.queue[i]->user, i);
    }
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
    EXPECT_EQ(mixer->BuffersDone(), 1u);
    EXPECT_EQ(device_.queue.size(), 4u);  // queued again behind the others
}

// volume x s / 100 truncates toward zero; sums saturate.
TEST_F(MixerTest, VolumeScalesAndSumsSaturate) {
    auto mixer = MakeMixer();
    ASSERT_EQ(LoadSamples(*mixer, 0, {3, -3, 199, -199, 32767, -32768}, 50), 1);
    mixer->PlayEffect(0, 0);
    EXPECT_EQ(Slice(device_.Complete(), 0, 7),
              (std::vector<int16_t>{1, -1, 99, -99, 16383, -16384, 0}));

    ASSERT_EQ(LoadSamples(*mixer, 1, {32767, -32768, 20000, 5}, 100), 1);
    ASSERT_EQ(LoadSamples(*mixer, 2, {32767, -32768, 20000, 5}, 100), 1);
    mixer->PlayEffect(1, 0);
    mixer->PlayEffect(2, 0);
    EXPECT_EQ(Slice(device_.Complete(), 0, 4), (std::vector<int16_t>{32767, -32768, 32767, 10}));
}

// Every sample value at several volumes, on top of a loud channel: the pass
// must equal clamp(20000 + volume x s / 100) exactly, whatever way the mix
// computes it.
TEST_F(MixerTest, EverySampleValueScalesExactly) {
    auto mixer = MakeMixer();
    std::vector<int16_t> all(65536);
    for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<int16_t>(i - 32768);
    ASSERT_EQ(LoadSamples(*mixer, 0, std::vector<int16_t>(all.size(), 20000)), 1);
    for (int volume : {0, 1, 3, 33, 50, 77, 99, 100, 250}) {
        ASSERT_EQ(LoadSamples(*mixer, 1, all, volume), 1);
        mixer->PlayEffect(0, 1);
        mixer->PlayEffect(1, 0);
        for (size_t pass = 0; pass < all.size() / kPassSamples; ++pass) {
            std::vector<int16_t> mixed = device_.Complete();
            for (size_t i = 0; i < kPassSamples; ++i) {
                int32_t s = all[pass * kPassSamples + i];
                int32_t scaled = volume > 99 ? s : volume * s / 100;
                ASSERT_EQ(mixed[i], std::clamp(20000 + scaled, -32768, 32767))
                    << "volume " << volume << " sample " << s;
            }
        }
        mixer->HaltEffect(0);
    }
}

// A finished non-looping effect stays loaded, stopped; starting it again
// mixes nothing because its position stays at the end.
TEST_F(MixerTest, FinishedEffectStaysLoadedAndSilent) {
    auto mixer = MakeMixer();
    std::vector<int16_t> sound = Pattern(2000);
    ASSERT_EQ(LoadSamples(*mixer, 3, sound), 1);
    EXPECT_EQ(mixer->EffectName(3), "");  // loaded, not playing
    mixer->PlayEffect(3, 0);
    EXPECT_EQ(mixer->EffectName(3), "se3.wav");
    EXPECT_EQ(device_.Complete(), Slice(sound, 0, kPassSamples));
    device_.Complete();
    EXPECT_EQ(mixer->EffectPositionMs(3), -1);
    EXPECT_EQ(mixer->EffectName(3), "");

    mixer->PlayEffect(3, 0);
    EXPECT_EQ(mixer->EffectName(3), "se3.wav");  // still in its slot
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
}

TEST_F(MixerTest, LoopingEffectRepeatsWithinAndAcrossPasses) {
    auto mixer = MakeMixer();
    std::vector<int16_t> shortSound = Pattern(200);     // 100 frames
    std::vector<int16_t> longSound = Pattern(6000, 7);  // 3000 frames
    ASSERT_EQ(LoadSamples(*mixer, 0, shortSound, 100), 1);
    mixer->PlayEffect(0, 1);
    std::vector<int16_t> first = device_.Complete();
    std::vector<int16_t> second = device_.Complete();
    for (size_t i = 0; i < kPassSamples; ++i) {
        ASSERT_EQ(first[i], shortSound[i % 200]) << i;
        ASSERT_EQ(second[i], shortSound[(kPassSamples + i) % 200]) << i;
    }
    mixer->StopEffect(0);

    ASSERT_EQ(LoadSamples(*mixer, 0, longSound, 100), 1);
    mixer->PlayEffect(0, 1);
    device_.Complete();
    std::vector<int16_t> wrapped = device_.Complete();
    for (size_t i = 0; i < kPassSamples; ++i) {
        ASSERT_EQ(wrapped[i], longSound[(kPassSamples + i) % 6000]) << i;
    }
}

TEST_F(MixerTest, HaltKeepsThePosition) {
    auto mixer = MakeMixer();
    std::vector<int16_t> sound = Pattern(10000);
    ASSERT_EQ(LoadSamples(*mixer, 5, sound), 1);
    mixer->PlayEffect(5, 0);
    device_.Complete();
    mixer->HaltEffect(5);
    EXPECT_EQ(mixer->EffectPositionMs(5), -1);
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
    mixer->PlayEffect(5, 0);
    EXPECT_EQ(device_.Complete(), Slice(sound, kPassSamples, kPassSamples));
}

// The pass mixed now is heard after the three queued ahead of it, so the
// clock starts on the fourth pass after PlayEffect.
TEST_F(MixerTest, PositionClockStartsOnTheFourthPass) {
    auto mixer = MakeMixer();
    EXPECT_EQ(mixer->EffectPositionMs(0), -1);
    EXPECT_EQ(mixer->EffectPositionMs(64), -1);
    ASSERT_EQ(LoadSamples(*mixer, 0, Pattern(40000)), 1);
    EXPECT_EQ(mixer->EffectPositionMs(0), -1);
    mixer->PlayEffect(0, 1);
    EXPECT_EQ(mixer->EffectPositionMs(0), 0);
    for (int pass = 1; pass <= 4; ++pass) {
        device_.Complete();
        EXPECT_EQ(mixer->EffectPositionMs(0), 0) << pass;
    }
    device_.Complete();
    EXPECT_EQ(mixer->EffectPositionMs(0), 92);  // 8192 bytes = 92.88 ms
    device_.Complete();
    EXPECT_EQ(mixer->EffectPositionMs(0), 185);
    mixer->HaltEffect(0);
    EXPECT_EQ(mixer->EffectPositionMs(0), -1);
}

TEST_F(MixerTest, StopWaitsForThePassToFreeTheChannel) {
    playWhileSleeping_ = true;
    auto mixer = MakeMixer();
    ASSERT_EQ(LoadSamples(*mixer, 4, Pattern(100000)), 1);
    mixer->PlayEffect(4, 1);
    uint32_t before = mixer->BuffersDone();
    mixer->StopEffect(4);
    EXPECT_EQ(mixer->BuffersDone(), before + 1);
    EXPECT_EQ(mixer->EffectName(4), "");
    EXPECT_EQ(mixer->EffectPositionMs(4), -1);
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
}

// Without a device nothing would ever free the channel: the stop must not
// wait for it.
TEST_F(MixerTest, StopReturnsWithoutARunningDevice) {
    device_.failOpen = true;
    auto mixer = MakeMixer();
    EXPECT_FALSE(mixer->DeviceRunning());
    ASSERT_EQ(LoadSamples(*mixer, 0, Pattern(100)), 1);
    mixer->PlayEffect(0, 1);
    EXPECT_EQ(mixer->EffectPositionMs(0), 0);
    mixer->StopEffect(0);
    EXPECT_EQ(sleeps_, 0);
    EXPECT_EQ(mixer->EffectPositionMs(0), -1);
    ASSERT_EQ(LoadSamples(*mixer, 0, Pattern(100)), 1);  // the slot is free again
}

TEST_F(MixerTest, StopGivesUpOnADeviceThatNoLongerCallsBack) {
    auto mixer = MakeMixer();  // opened, but no buffer ever completes
    ASSERT_EQ(LoadSamples(*mixer, 0, Pattern(100)), 1);
    mixer->PlayEffect(0, 1);
    mixer->StopEffect(0);
    EXPECT_GE(sleptMs_, sound::kStalledDeviceMs);
    EXPECT_LE(sleptMs_, sound::kStalledDeviceMs + 10);
    EXPECT_EQ(mixer->EffectPositionMs(0), -1);
    // A late pass finds the slot empty.
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
}

TEST_F(MixerTest, DeviceVolumeGoesIntoBothHalves) {
    auto mixer = MakeMixer();
    mixer->SetDeviceVolume(0x1234);
    EXPECT_EQ(device_.volume, 0x12341234u);
    mixer->SetDeviceVolume(70000);
    EXPECT_EQ(device_.volume, 0xFFFFFFFFu);
}

TEST_F(MixerTest, CloseDeviceRetriesAndLeavesAQuietMixer) {
    auto mixer = MakeMixer();
    ASSERT_EQ(LoadSamples(*mixer, 0, Pattern(100)), 1);
    mixer->PlayEffect(0, 1);
    device_.stillPlayingCloses = 2;
    mixer->CloseDevice();
    EXPECT_TRUE(device_.paused);
    EXPECT_TRUE(device_.closed);
    EXPECT_EQ(device_.closeCalls, 3);
    EXPECT_EQ(sleptMs_, 200u);
    EXPECT_TRUE(device_.queue.empty());  // buffers handed back are not queued again
    int sleepsBefore = sleeps_;
    mixer->StopEffect(0);
    EXPECT_EQ(sleeps_, sleepsBefore);
    EXPECT_EQ(mixer->EffectPositionMs(0), -1);
}

// ---- music ----

class MusicMixerTest : public sound_test::MixerFixture {};

TEST_F(MusicMixerTest, RefusesArchivesLongNamesAndMissingFiles) {
    auto mixer = MakeMixer();
    WriteFile("bgm.wav", MakeWav(2, 22050, 16, Pattern(100)));
    EXPECT_EQ(mixer->PlayMusic("bgm.wav", "1\\voice.mlz", 100, 0, 1, 1, false), 0);
    EXPECT_EQ(mixer->PlayMusic(std::string(64, 'a'), Folder(), 100, 0, 1, 1, false), 0);
    EXPECT_EQ(mixer->PlayMusic("none.wav", Folder(), 100, 0, 1, 1, false), 0);
    EXPECT_EQ(mixer->MusicPositionMs(), -1);
    EXPECT_EQ(mixer->SetMusicVolume(50), 1);
}

// WAV music is read straight after its 44-byte header; a short read leaves
// the pass silent after it, and looping restarts at byte 44.
TEST_F(MusicMixerTest, WavMusicStreamsAndLoopsAfterTheHeader) {
    auto mixer = MakeMixer();
    std::vector<int16_t> music = Pattern(6000, 3);
    WriteFile("bgm.wav", MakeWav(2, 22050, 16, music));
    ASSERT_EQ(mixer->PlayMusic("bgm.wav", Folder(), 100, 0, 7, 1, false), 1);
    EXPECT_EQ(mixer->MusicStarted(), 7);
    // The loop goes on from the start within the pass that reached the end:
    // no gap between two rounds of the music.
    std::vector<int16_t> looped;
    while (looped.size() < 3 * kPassSamples)
        looped.insert(looped.end(), music.begin(), music.end());
    EXPECT_EQ(device_.Complete(), Slice(looped, 0, kPassSamples));
    EXPECT_EQ(device_.Complete(), Slice(looped, kPassSamples, kPassSamples));
    EXPECT_EQ(device_.Complete(), Slice(looped, 2 * kPassSamples, kPassSamples));

    // Without the decode loop the stream ends; the channel keeps playing
    // silence until it is stopped.
    ASSERT_EQ(mixer->PlayMusic("bgm.wav", Folder(), 100, 0, 1, 0, false), 1);
    device_.Complete();
    device_.Complete();
    EXPECT_EQ(device_.Complete(), std::vector<int16_t>(kPassSamples, 0));
    EXPECT_GE(mixer->MusicPositionMs(), 0);
}

TEST_F(MusicMixerTest, MissingNameFallsBackToMp3ThenWav) {
    decoders_.musicStream = {2, 22050, 100000, 0, false};
    auto mixer = MakeMixer();
    WriteFile("a.mp3", {1, 2, 3});
    ASSERT_EQ(mixer->PlayMusic("a.ogg", Folder(), 100, 0, 1, 1, false), 1);
    EXPECT_EQ(decoders_.xaudio->openedPath, Folder() + "a.mp3");
    std::vector<int16_t> pass = device_.Complete();
    for (size_t i = 0; i < kPassSamples; ++i) ASSERT_EQ(pass[i], sound_test::FakeSample(i));

    // No extension at all: ".mp3" is tried as for any other name.
    ASSERT_EQ(mixer->PlayMusic("a", Folder(), 100, 0, 1, 1, false), 1);
    EXPECT_EQ(decoders_.xaudio->openedPath, Folder() + "a.mp3");

    std::vector<int16_t> wav = Pattern(9000);
    WriteFile("b.wav", MakeWav(2, 22050, 16, wav));
    ASSERT_EQ(mixer->PlayMusic("b.mp3x", Folder(), 100, 0, 1, 1, false), 1);
    EXPECT_EQ(device_.Complete(), Slice(wav, 0, kPassSamples));
}

TEST_F(MusicMixerTest, Mp3MusicUsesTheSelectedDecoderAndItsFormat) {
    decoders_.selected = sound::DecoderKind::kBrindlex;
    decoders_.musicStream = {1, 44100, 1000000, 0, false};
    auto mixer = MakeMixer();
    EXPECT_TRUE(mixer->UsesBrindlex());
    std::vector<uint8_t> file(777, 0x55);
    WriteFile("m.MP3", file);
    ASSERT_EQ(mixer->PlayMusic("m.MP3", Folder(), 100, 0, 1, 1, true), 1);
    EXPECT_EQ(decoders_.brindlex->openedLength, 777u);  // from memory
    EXPECT_TRUE(decoders_.brindlex->openedFromMemory);
    std::vector<int16_t> pass = device_.Complete();
    // One channel at 44100 Hz: 4096 input samples make one pass.
    EXPECT_EQ(decoders_.brindlex->lastRequest, 8192u);
    EXPECT_EQ(pass[0], sound_test::FakeSample(1) / 2 + sound_test::FakeSample(0) / 2);
    EXPECT_EQ(pass[1], pass[0]);
    EXPECT_EQ(pass[4094], sound_test::FakeSample(4095) / 2 + sound_test::FakeSample(4094) / 2);
    EXPECT_EQ(decoders_.xaudio->decodeCalls, 0);

    int closes = decoders_.brindlex->closeCalls;
    mixer->StopMusic();
    EXPECT_EQ(decoders_.brindlex->closeCalls, closes + 1);
    EXPECT_EQ(mixer->MusicPositionMs(), -1);
}

TEST_F(MusicMixerTest, FadesRampTheVolumeFromTheEngineClock) {
    auto mixer = MakeMixer();
    WriteFile("c.wav", MakeWav(2, 22050, 16, std::vector<int16_t>(20000, 10000)));
    ASSERT_EQ(mixer->PlayMusic("c.wav", Folder(), 100, 0, 1, 1, false), 1);
    EXPECT_EQ(device_.Complete()[0], 10000);

    mixer->FadeOutMusic(1000);
    tick_ += 500;
    EXPECT_EQ(device_.Complete()[0], 5000);
    tick_ += 500;
    EXPECT_EQ(device_.Complete()[0], 0);
    // The faded music keeps running, silent, whatever the base volume.
    mixer->SetMusicVolume(80);
    EXPECT_EQ(device_.Complete()[0], 0);
    EXPECT_GE(mixer->MusicPositionMs(), 0);

    mixer->FadeInMusic(1000);
    tick_ += 250;
    EXPECT_EQ(device_.Complete()[0], 2000);  // 80 x 25 / 100 = 20 %
    tick_ += 750;
    EXPECT_EQ(device_.Complete()[0], 8000);
    tick_ += 5000;
    EXPECT_EQ(device_.Complete()[0], 8000);
    mixer->SetMusicVolume(-1);  // keeps 80
    EXPECT_EQ(device_.Complete()[0], 8000);

    // A WAV start with a fade-in begins silent.
    ASSERT_EQ(mixer->PlayMusic("c.wav", Folder(), 100, 400, 1, 1, false), 1);
    EXPECT_EQ(device_.Complete()[0], 0);
    tick_ += 200;
    EXPECT_EQ(device_.Complete()[0], 5000);
}

}  // namespace
