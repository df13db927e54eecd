// Encoding 60 s of 44.1 kHz 16-bit stereo music through the converters' MP3
// binding with their music settings (64 kbit/s, 22.05 kHz, stereo). The
// counter x_realtime is seconds of sound encoded per second of processor
// time: the encoder runs on one thread, and processor time stays steady on a
// busy machine where the wall clock does not.
//
// scripts/bench-mp3 sets MIRELO_BENCH_WAV to a path: the same sound is then
// also written there as a WAV file, so that a command-line encoder can be
// timed on exactly this input.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <vector>

#include "common/mp3_encoder.h"
#include "formats/byte_io.h"
#include "formats/wave_file.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSeconds = 60;

// A small band: a chord pad that changes every two seconds, a bass note on
// each beat, an arpeggio in eighths panned from side to side, and a noise
// hi-hat. Enough going on in every band that the encoder cannot coast.
std::vector<uint8_t> MusicPcm() {
    constexpr double kBeat = 0.5;  // 120 beats a minute
    constexpr double kPi = 3.14159265358979323846;
    // Root notes of the chords in hertz: A minor, F, C, G.
    const double roots[] = {220.0, 174.61, 261.63, 196.0};
    const double third[] = {1.1892, 1.2599, 1.2599, 1.2599};  // minor or major third
    std::mt19937 generator(5);
    std::vector<uint8_t> pcm;
    pcm.reserve(size_t{kRate} * kSeconds * 4);
    for (int i = 0; i < kRate * kSeconds; ++i) {
        double t = static_cast<double>(i) / kRate;
        int chord = static_cast<int>(t / (4 * kBeat)) % 4;
        double root = roots[chord];
        double pad = 0;
        for (double ratio : {1.0, third[chord], 1.4983}) {
            double f = root * ratio;
            pad += std::sin(2 * kPi * f * t) + 0.3 * std::sin(4 * kPi * f * t + 0.5);
        }
        double beatTime = std::fmod(t, kBeat);
        double bass = std::sin(2 * kPi * root / 2 * t) * std::exp(-4.0 * beatTime);
        double eighth = std::fmod(t, kBeat / 2);
        int step = static_cast<int>(t / (kBeat / 2)) % 8;
        double arpeggio =
            std::sin(2 * kPi * root * 2 * (1 + step / 8.0) * t) * std::exp(-8.0 * eighth);
        double noise = static_cast<double>(generator()) / generator.max() * 2 - 1;
        double hat = noise * std::exp(-60.0 * eighth);
        double pan = 0.5 + 0.4 * std::sin(2 * kPi * 0.25 * t);
        double left = 0.12 * pad + 0.3 * bass + 0.25 * (1 - pan) * arpeggio + 0.06 * hat;
        double right = 0.12 * pad + 0.3 * bass + 0.25 * pan * arpeggio + 0.05 * hat;
        for (double value : {left, right}) {
            auto sample = static_cast<int16_t>(std::clamp(value, -1.0, 1.0) * 30000);
            formats::AppendLe16(pcm, static_cast<uint16_t>(sample));
        }
    }
    return pcm;
}

const std::vector<uint8_t>& Music() {
    static const std::vector<uint8_t> pcm = MusicPcm();
    return pcm;
}

bool WriteWav(const char* path, const std::vector<uint8_t>& pcm) {
    formats::WaveFormatFields format;
    format.formatTag = 1;  // PCM
    format.channels = 2;
    format.sampleRate = kRate;
    format.bytesPerSecond = kRate * 4;
    format.blockAlign = 4;
    format.bitsPerSample = 16;
    const std::vector<uint8_t> file = formats::BuildWaveFile(format, pcm);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}

void BM_EncodeMp3Music(benchmark::State& state) {
    setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 0);
    const std::vector<uint8_t>& pcm = Music();
    if (const char* wavPath = std::getenv("MIRELO_BENCH_WAV")) {
        if (!WriteWav(wavPath, pcm)) {
            state.SkipWithError("cannot write MIRELO_BENCH_WAV");
            return;
        }
    }
    common::Mp3Encoder encoder(7, 1, 1);
    if (!encoder.HasModule()) {
        state.SkipWithError("encoder module gogo.so not found");
        return;
    }
    common::PcmDescription description{nullptr, static_cast<uint32_t>(pcm.size()), 16, kRate, 2};
    uint32_t mp3Size = 0;
    bool failed = false;
    for (auto _ : state) {
        mp3Size = static_cast<uint32_t>(pcm.size());
        std::unique_ptr<uint8_t[]> mp3 =
            encoder.Encode(nullptr, pcm.data(), &description, &mp3Size);
        if (!mp3) {
            failed = true;
            state.SkipWithError("encoding failed");
            break;
        }
        benchmark::DoNotOptimize(mp3.get());
    }
    if (failed) return;
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(kSeconds) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
    // A check on the settings: 64 kbit/s give about 480 kB a minute.
    state.counters["kbit_s"] = mp3Size * 8.0 / kSeconds / 1000.0;
    state.SetLabel("gogo.so 64 kbit/s 22050 Hz stereo");
}
BENCHMARK(BM_EncodeMp3Music)->Unit(benchmark::kMillisecond);

}  // namespace
