// Sound end to end: the engine's mixer on the headless wave device, with the
// recording of everything played.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "data_folder.h"
#include "engine/core/engine.h"
#include "engine/core/startup.h"
#include "platform/headless/headless_backend.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// A 16-bit stereo 22050 Hz WAVE of `frames` frames of a constant value.
std::vector<uint8_t> ConstantWave(uint32_t frames, int16_t value) {
    std::vector<uint8_t> file;
    auto le32 = [&file](uint32_t v) {
        for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto le16 = [&file](uint16_t v) {
        file.push_back(static_cast<uint8_t>(v));
        file.push_back(static_cast<uint8_t>(v >> 8));
    };
    uint32_t dataBytes = frames * 4;
    file.insert(file.end(), {'R', 'I', 'F', 'F'});
    le32(36 + dataBytes);
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    le32(16);
    le16(1);
    le16(2);
    le32(22050);
    le32(88200);
    le16(4);
    le16(16);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    le32(dataBytes);
    for (uint32_t i = 0; i < frames * 2; ++i) le16(static_cast<uint16_t>(value));
    return file;
}

// Left-channel samples of a recorded WAVE (after its 44-byte header).
std::vector<int16_t> LeftSamples(const std::vector<uint8_t>& wave) {
    std::vector<int16_t> left;
    for (size_t i = 44; i + 3 < wave.size(); i += 4) {
        left.push_back(static_cast<int16_t>(wave[i] | (wave[i + 1] << 8)));
    }
    return left;
}

size_t MsToFrame(double ms) {
    return static_cast<size_t>(ms * 22050 / 1000);
}

class SoundDriver : public core::EngineObserver {
public:
    void AfterPass(core::Engine& engine) override {
        uint32_t now = engine.backend.clock->TickCount();
        const std::string& folder = engine.dataFolders[core::kLocationEffects0];
        if (!musicStarted && now >= 500) {
            musicStarted = true;
            musicResult = engine.mixer->PlayMusic("bgm01.wav", folder, 50, 0, 1, 1, false);
        }
        if (!effectStarted && now >= 1000) {
            effectStarted = true;
            effectResult = engine.mixer->LoadEffect(1, "se01.mp3", folder, 100);
            engine.mixer->PlayEffect(1, 0);
        }
    }
    bool musicStarted = false;
    bool effectStarted = false;
    int musicResult = -1;
    int effectResult = -1;
};

// The converters keep a sound of at most 16,384 bytes as its PCM behind a
// 64-byte header, under the ".mp3" name.
std::vector<uint8_t> ShortSound(const std::vector<uint8_t>& wave) {
    std::vector<uint8_t> file(64, 0);
    const uint32_t pcmBytes = static_cast<uint32_t>(wave.size() - 44);
    const uint8_t head[] = {'M', 'W', 'F', '0', 3, 0, 0, 0, 64, 0, 0, 0};
    std::copy(std::begin(head), std::end(head), file.begin());
    for (int i = 0; i < 4; ++i) file[12 + i] = static_cast<uint8_t>(pcmBytes >> (8 * i));
    // The 16 bytes of the wave's format, then an extra size of 0.
    std::copy(wave.begin() + 20, wave.begin() + 36, file.begin() + 40);
    file.insert(file.end(), wave.begin() + 44, wave.end());
    return file;
}

// The effect is a converted short sound.
TEST(SoundHarness, EffectAndLoopingMusicReachTheRecording) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    // Music: 0.5 s of 3000, looping; effect: 4000 frames (16,000 bytes) of 10000.
    testing_support::WriteHostFile(dir / "1" / "bgm01.wav", ConstantWave(11025, 3000));
    testing_support::WriteHostFile(dir / "1" / "se01.mp3", ShortSound(ConstantWave(4000, 10000)));

    platform::BackendOptions options;
    options.programFolder = dir.path().string() + "/";
    options.untilMs = 3000;
    options.audioOutPath = (dir / "run.wav").string();
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    ASSERT_TRUE(backend.window) << error;
    SoundDriver driver;
    EXPECT_EQ(core::RunEngine(backend, options.programFolder, &driver), 0);
    ASSERT_EQ(driver.musicResult, 1);
    ASSERT_EQ(driver.effectResult, 1);
    backend = {};  // closes the recording

    std::vector<int16_t> left = LeftSamples(testing_support::ReadHostFile(dir / "run.wav"));
    // About three seconds were played.
    ASSERT_GT(left.size(), MsToFrame(2800));

    // Silence until the music starts; it is heard after the buffers queued
    // ahead of the pass that first mixed it (at most four buffer periods).
    size_t musicStart = 0;
    while (musicStart < left.size() && left[musicStart] == 0) ++musicStart;
    EXPECT_GE(musicStart, MsToFrame(500));
    EXPECT_LE(musicStart, MsToFrame(500 + 5 * 92.9));
    EXPECT_EQ(left[musicStart], 1500);  // 3000 at volume 50

    // The effect adds its 10000 for 4000 frames, then the music goes on alone.
    size_t effectStart = musicStart;
    while (effectStart < left.size() && left[effectStart] != 11500) ++effectStart;
    ASSERT_LT(effectStart, left.size());
    EXPECT_GE(effectStart, MsToFrame(1000));
    EXPECT_LE(effectStart, MsToFrame(1000 + 5 * 92.9));
    size_t effectEnd = effectStart;
    while (effectEnd < left.size() && left[effectEnd] == 11500) ++effectEnd;
    EXPECT_EQ(effectEnd - effectStart, 4000u);
    // The music loops: still 1500 at the end of the run, long after its 0.5 s.
    EXPECT_EQ(left[left.size() - 10], 1500);
    for (size_t i = musicStart; i < left.size(); ++i) {
        if (i >= effectStart && i < effectEnd) continue;
        if (left[i] != 1500) {
            ADD_FAILURE() << "music level broke at frame " << i << ": " << left[i];
            break;
        }
    }
}

TEST(SoundHarness, CommandLineRecordsTheWholeRun) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    auto result = testing_support::RunCommand(
        testing_support::MireloCommand() + " --headless --until 2000 --data '" +
        dir.path().string() + "' --audio-out '" + (dir / "out.wav").string() + "'");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::vector<uint8_t> wave = testing_support::ReadHostFile(dir / "out.wav");
    ASSERT_GE(wave.size(), 44u);
    EXPECT_EQ(std::string(wave.begin(), wave.begin() + 4), "RIFF");
    uint32_t dataBytes = wave[40] | (wave[41] << 8) | (wave[42] << 16) | (uint32_t{wave[43]} << 24);
    EXPECT_EQ(dataBytes, wave.size() - 44);
    // Two seconds of (silent) sound, give or take one device buffer.
    EXPECT_NEAR(static_cast<double>(dataBytes), 2 * 88200.0, 8192.0);
}

}  // namespace
