// One mixing pass of the sound mixer at full load: streamed music (a stand-in
// decoder, so that the figure is the mixer's own work) plus all 64 effect
// slots playing, scaled. The budget is the 92.9 ms buffer period.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/sound/sound_mixer.h"
#include "formats/byte_io.h"
#include "platform/device_path.h"

namespace {

class BenchWaveOut : public platform::WaveOutDevice {
public:
    int Open(const platform::WaveFormat&, BufferDone doneRoutine, void* doneUser) override {
        done = doneRoutine;
        user = doneUser;
        return platform::kWaveOk;
    }
    int Prepare(platform::WaveBuffer*) override { return platform::kWaveOk; }
    int Write(platform::WaveBuffer* buffer) override {
        queue.push_back(buffer);
        return platform::kWaveOk;
    }
    int Unprepare(platform::WaveBuffer*) override { return platform::kWaveOk; }
    uint32_t PositionBytes() override { return position; }
    int SetVolume(uint32_t) override { return platform::kWaveOk; }
    int Pause() override { return platform::kWaveOk; }
    int Reset() override {
        std::deque<platform::WaveBuffer*> queued;
        queued.swap(queue);
        for (auto* buffer : queued) done(user, buffer);
        return platform::kWaveOk;
    }
    int Close() override { return platform::kWaveOk; }

    void Complete() {
        platform::WaveBuffer* buffer = queue.front();
        queue.pop_front();
        position += buffer->length;
        done(user, buffer);
    }

    BufferDone done = nullptr;
    void* user = nullptr;
    std::deque<platform::WaveBuffer*> queue;
    uint32_t position = 0;
};

// Endless stereo 22050 Hz music.
class EndlessDecoder : public sound::DecoderBinding {
public:
    int Load() override { return 0; }
    void Unload() override {}
    int OpenMemory(const uint8_t*, uint32_t) override { return Begin(); }
    int OpenFile(const std::string&) override { return Begin(); }
    uint32_t Decode(uint8_t* out, uint32_t count, bool) override {
        for (uint32_t i = 0; i + 1 < count; i += 2) {
            formats::StoreLe16(out + i, static_cast<uint16_t>((phase_++ * 37) & 0x7FFF));
        }
        return count;
    }
    void Rewind() override {}
    uint32_t EstimateOutputBytes() override { return 0; }
    void Close() override { endOfStream_ = true; }
    uint32_t MaxFrameBytes() const override { return 4608; }

private:
    int Begin() {
        format_ = platform::WaveFormat{};
        endOfStream_ = false;
        return 0;
    }
    uint32_t phase_ = 0;
};

void BM_MixingPassMusicAnd64Effects(benchmark::State& state) {
    namespace fs = std::filesystem;
    fs::path folder = fs::temp_directory_path() / ("mixer_bench_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    // A 3-second stereo effect; each slot plays it looped at volume 70.
    std::vector<uint8_t> wav = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    const uint32_t frames = 3 * 22050;
    std::vector<uint8_t> chunk = {'f', 'm', 't', ' '};
    formats::AppendLe32(chunk, 16);
    formats::AppendLe16(chunk, 1);
    formats::AppendLe16(chunk, 2);
    formats::AppendLe32(chunk, 22050);
    formats::AppendLe32(chunk, 88200);
    formats::AppendLe16(chunk, 4);
    formats::AppendLe16(chunk, 16);
    wav.insert(wav.end(), chunk.begin(), chunk.end());
    wav.insert(wav.end(), {'d', 'a', 't', 'a'});
    formats::AppendLe32(wav, frames * 4);
    for (uint32_t i = 0; i < frames * 2; ++i) {
        formats::AppendLe16(wav, static_cast<uint16_t>((i * 101) % 60000 - 30000));
    }
    formats::StoreLe32(wav.data() + 4, static_cast<uint32_t>(wav.size() - 8));
    {
        FILE* file = std::fopen((folder / "se.wav").c_str(), "wb");
        std::fwrite(wav.data(), 1, wav.size(), file);
        std::fclose(file);
        file = std::fopen((folder / "bgm.mp3").c_str(), "wb");
        std::fputc(0, file);
        std::fclose(file);
    }

    BenchWaveOut device;
    sound::DecoderProvider provider;
    provider.create = [](sound::DecoderKind) {
        return std::unique_ptr<sound::DecoderBinding>(std::make_unique<EndlessDecoder>());
    };
    provider.createTemporary = provider.create;
    provider.select = [](int) { return sound::DecoderKind::kXaudio; };
    uint32_t tick = 0;
    {
        sound::SoundMixer mixer(
            device, [&] { return tick; }, [&](uint32_t ms) { tick += ms; }, provider);
        std::string deviceFolder = platform::HostToDevicePath(folder.string() + "/");
        for (int slot = 0; slot < sound::kEffectSlots; ++slot) {
            if (!mixer.LoadEffect(slot, "se.wav", deviceFolder, 70)) {
                state.SkipWithError("effect did not load");
                return;
            }
            mixer.PlayEffect(slot, 1);
        }
        if (!mixer.PlayMusic("bgm.mp3", deviceFolder, 80, 0, 1, 1, false)) {
            state.SkipWithError("music did not start");
            return;
        }
        for (auto _ : state) device.Complete();
        mixer.CloseDevice();
    }
    fs::remove_all(folder);
}
BENCHMARK(BM_MixingPassMusicAnd64Effects)->Unit(benchmark::kMicrosecond);

}  // namespace
