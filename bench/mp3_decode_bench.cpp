// Decoding 30 s of stereo 44.1 kHz 128 kbit/s MP3 through each decoder
// binding, in the 8192-byte requests of the mixer's buffers. Real time per
// pass; the byte rate shows how far ahead of playback decoding runs.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "engine/sound/decoder_binding.h"
#include "engine/sound/mp3_test_data.h"

namespace {

const std::vector<uint8_t>& ThirtySeconds() {
    static const std::vector<uint8_t> mp3 = [] {
        mp3_test::Tone tone;
        tone.seconds = 30.0;
        return mp3_test::EncodeTone(tone, 128);
    }();
    return mp3;
}

void BM_DecodeMp3(benchmark::State& state) {
    setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 0);
    auto kind = static_cast<sound::DecoderKind>(state.range(0));
    auto decoder = sound::CreateDecoder(kind);
    if (decoder->Load() != 0) {
        state.SkipWithError("decoder module not found");
        return;
    }
    const std::vector<uint8_t>& mp3 = ThirtySeconds();
    const uint32_t count = 8192;
    std::vector<uint8_t> out(count + decoder->MaxFrameBytes());
    int64_t bytes = 0;
    for (auto _ : state) {
        decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size()));
        while (!decoder->AtEnd()) bytes += decoder->Decode(out.data(), count, false);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(bytes);
    state.SetLabel(kind == sound::DecoderKind::kBrindlex ? "Brindlex.ovl" : "xaudio.so");
}
BENCHMARK(BM_DecodeMp3)
    ->Arg(static_cast<int>(sound::DecoderKind::kBrindlex))
    ->Arg(static_cast<int>(sound::DecoderKind::kXaudio))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
