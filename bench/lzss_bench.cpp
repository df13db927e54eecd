// LZSS throughput on 16 MiB of mixed data: text, zero runs, random bytes and
// picture-like gradients, in 1 MiB pieces of each kind in turn.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "formats/lzss.h"

namespace {

std::vector<uint8_t> MixedData() {
    constexpr size_t kPiece = 1 << 20;
    constexpr size_t kTotal = 16 << 20;
    std::mt19937 generator(42);
    const std::string words[] = {"\x82\xa0\x82\xa2 ", "scenario ", "GameData\\char\\",
                                 "message ",          "\r\n",      "the ",
                                 "window ",           "choice "};
    std::vector<uint8_t> data;
    data.reserve(kTotal);
    for (size_t piece = 0; data.size() < kTotal; ++piece) {
        size_t end = data.size() + kPiece;
        switch (piece % 4) {
            case 0:
                while (data.size() < end) {
                    const std::string& word = words[generator() % std::size(words)];
                    data.insert(data.end(), word.begin(), word.end());
                }
                data.resize(end);
                break;
            case 1:
                data.resize(end, 0);
                break;
            case 2:
                while (data.size() < end) data.push_back(static_cast<uint8_t>(generator()));
                break;
            default:
                for (size_t i = 0; data.size() < end; ++i) {
                    data.push_back(
                        static_cast<uint8_t>((i % 480) / 2 + (i / 480) % 7 + generator() % 2));
                }
                break;
        }
    }
    return data;
}

const std::vector<uint8_t>& Data() {
    static const std::vector<uint8_t> data = MixedData();
    return data;
}

void BM_LzssEncode(benchmark::State& state) {
    const auto& source = Data();
    std::vector<uint8_t> stream(source.size() * 2);
    int64_t written = 0;
    for (auto _ : state) {
        written = formats::LzssEncode(stream, source);
        benchmark::DoNotOptimize(written);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
    state.counters["ratio"] = static_cast<double>(written) / static_cast<double>(source.size());
}
BENCHMARK(BM_LzssEncode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LzssDecode(benchmark::State& state) {
    const auto& source = Data();
    std::vector<uint8_t> stream(source.size() * 2);
    stream.resize(static_cast<size_t>(formats::LzssEncode(stream, source)));
    std::vector<uint8_t> out(source.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(formats::LzssDecode(out, stream));
    }
    if (out != source) state.SkipWithError("decoded bytes differ from the source");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_LzssDecode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
