#pragma once
// A mixer on a fake device, with a clock the test sets and a sleep that can
// play buffers the way the headless device does (one per ~93 ms slept).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/sound/sound_mixer.h"
#include "platform/device_path.h"
#include "sound_fakes.h"
#include "test_support.h"

namespace sound_test {

inline constexpr size_t kPassSamples = 4096;

// Distinct, non-zero-ish values so that an offset shows.
inline std::vector<int16_t> Pattern(size_t count, int seed = 0) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        samples[i] = static_cast<int16_t>(static_cast<int>((i * 13 + seed) % 2000) - 1000);
    }
    return samples;
}

class MixerFixture : public ::testing::Test {
protected:
    std::unique_ptr<sound::SoundMixer> MakeMixer() {
        return std::make_unique<sound::SoundMixer>(
            device_, [this] { return tick_; }, [this](uint32_t ms) { Sleep(ms); },
            decoders_.Provider());
    }

    void Sleep(uint32_t ms) {
        ++sleeps_;
        sleptMs_ += ms;
        tick_ += ms;
        if (!playWhileSleeping_) return;
        owedMs_ += ms;
        while (owedMs_ >= 93) {
            owedMs_ -= 93;
            device_.Complete();
        }
    }

    // Device path of the test folder, ending in '\'.
    std::string Folder() const { return platform::HostToDevicePath(dir_.path().string() + "/"); }

    void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        testing_support::WriteHostFile(dir_ / name, bytes);
    }

    // A stereo 22050 Hz effect from its samples.
    int LoadSamples(sound::SoundMixer& mixer, int slot, const std::vector<int16_t>& samples,
                    int volume = 100) {
        std::string name = "se" + std::to_string(slot) + ".wav";
        WriteFile(name, MakeWav(2, 22050, 16, samples));
        return mixer.LoadEffect(slot, name, Folder(), volume);
    }

    testing_support::TempDir dir_;
    FakeWaveOut device_;
    FakeDecoders decoders_;
    uint32_t tick_ = 1000;
    bool playWhileSleeping_ = false;
    uint32_t owedMs_ = 0;
    int sleeps_ = 0;
    uint32_t sleptMs_ = 0;
};

}  // namespace sound_test
