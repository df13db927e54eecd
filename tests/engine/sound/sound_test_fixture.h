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
            device, [this] { return tick; }, [this](uint32_t ms) { Sleep(ms); },
            decoders.Provider());
    }

    void Sleep(uint32_t ms) {
        ++sleeps;
        sleptMs += ms;
        tick += ms;
        if (!playWhileSleeping) return;
        owedMs += ms;
        while (owedMs >= 93) {
            owedMs -= 93;
            device.Complete();
        }
    }

    // Device path of the test folder, ending in '\'.
    std::string Folder() const { return platform::HostToDevicePath(dir.path().string() + "/"); }

    void WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
        testing_support::WriteHostFile(dir / name, bytes);
    }

    // A stereo 22050 Hz effect from its samples.
    int LoadSamples(sound::SoundMixer& mixer, int slot, const std::vector<int16_t>& samples,
                    int volume = 100) {
        std::string name = "se" + std::to_string(slot) + ".wav";
        WriteFile(name, MakeWav(2, 22050, 16, samples));
        return mixer.LoadEffect(slot, name, Folder(), volume);
    }

    testing_support::TempDir dir;
    FakeWaveOut device;
    FakeDecoders decoders;
    uint32_t tick = 1000;
    bool playWhileSleeping = false;
    uint32_t owedMs = 0;
    int sleeps = 0;
    uint32_t sleptMs = 0;
};

}  // namespace sound_test
