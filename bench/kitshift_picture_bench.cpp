// Converting the PC title's 800 x 600 pictures as the data converter does:
// reading the .crx file, shrinking and re-encoding it as RBP, compressing the
// RBP file with LZSS for the archive. One item is one picture, so the rate
// reads as pictures per second. The source files are written once, outside
// the timed loop, in each of the four storage schemes the title uses.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "formats/lzss.h"
#include "kitshift/crx_decoder.h"
#include "kitshift/rbp_encoders.h"
#include "sample/pc_title/crx_writer.h"

namespace {

constexpr uint16_t kWidth = 800;
constexpr uint16_t kHeight = 600;

enum class Source { kLzPalette, kLz24, kZlibPalette, kZlib24 };
enum class Encoder { kOpaque, kAlpha, kBlended };

// Cut-outs as sprites have them: a band down the left side and a round hole,
// together about a quarter of the picture.
bool IsCutOut(int x, int y) {
    int dx = x - 560, dy = y - 300;
    return x < 120 || dx * dx + dy * dy < 110 * 110;
}

uint8_t Clamp(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

// Smooth gradients with a bright patch and a little noise, as painted
// backgrounds look; the noise keeps the LZ coders from finding long runs
// everywhere.
pc_title::CrxSource TrueColourPicture() {
    pc_title::CrxSource source;
    source.width = kWidth;
    source.height = kHeight;
    source.pixels.reserve(size_t{kWidth} * kHeight * 3);
    std::mt19937 generator(7);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (IsCutOut(x, y)) {
                source.pixels.insert(source.pixels.end(), {255, 0, 255});
                continue;
            }
            int dx = x - 250, dy = y - 180;
            int glow = std::max(0, 90 - (dx * dx + dy * dy) / 600);
            int noise = static_cast<int>(generator() % 5) - 2;
            source.pixels.push_back(Clamp(40 + 150 * x / kWidth + noise));
            source.pixels.push_back(Clamp(60 + 120 * y / kHeight + glow + noise));
            source.pixels.push_back(Clamp(200 - 100 * (x + y) / (kWidth + kHeight) + glow));
        }
    }
    return source;
}

// Entry 0 is magenta; the other 255 run from deep blue to warm orange, and the
// indices follow a diagonal gradient with the same kind of noise.
pc_title::CrxSource PalettePicture() {
    pc_title::CrxSource source;
    source.width = kWidth;
    source.height = kHeight;
    source.palette.push_back({255, 0, 255});
    for (int i = 1; i < 256; ++i) {
        source.palette.push_back(
            {Clamp(200 - i * 3 / 4), Clamp(40 + i / 2), Clamp(30 + i * 7 / 8)});
    }
    source.pixels.reserve(size_t{kWidth} * kHeight);
    std::mt19937 generator(11);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (IsCutOut(x, y)) {
                source.pixels.push_back(0);
                continue;
            }
            int noise = static_cast<int>(generator() % 3) - 1;
            int index = 1 + 254 * (x + 2 * y) / (kWidth + 2 * kHeight) + noise;
            source.pixels.push_back(static_cast<uint8_t>(std::clamp(index, 1, 255)));
        }
    }
    return source;
}

formats::ByteVector MakeCrx(Source kind) {
    pc_title::CrxWriteOptions options;
    bool palette = kind == Source::kLzPalette || kind == Source::kZlibPalette;
    options.scheme = kind == Source::kLzPalette || kind == Source::kLz24
                         ? pc_title::CrxWriteScheme::Lz
                         : pc_title::CrxWriteScheme::Zlib;
    if (kind == Source::kZlib24) options.rowFilters = {0, 1, 2, 3, 4, 1, 1, 0, 2, 1, 3, 4};
    formats::ByteVector file;
    std::string error;
    if (!pc_title::WriteCrx(palette ? PalettePicture() : TrueColourPicture(), options, &file,
                            &error))
        file.clear();
    return file;
}

const formats::ByteVector& CrxFile(Source kind) {
    static const formats::ByteVector files[] = {MakeCrx(Source::kLzPalette), MakeCrx(Source::kLz24),
                                                MakeCrx(Source::kZlibPalette),
                                                MakeCrx(Source::kZlib24)};
    return files[static_cast<int>(kind)];
}

bool Encode(Encoder encoder, const kitshift::SourcePicture& picture, formats::ByteVector* out,
            std::string* error) {
    switch (encoder) {
        case Encoder::kAlpha:
            return kitshift::EncodeRbpAlpha(picture, out, error);
        case Encoder::kBlended:
            return kitshift::EncodeRbpBlended(picture, out, error);
        default:
            return kitshift::EncodeRbpOpaque(picture, out, error);
    }
}

void BM_ConvertCrxPicture(benchmark::State& state, Source kind, Encoder encoder) {
    const formats::ByteVector& file = CrxFile(kind);
    if (file.empty()) {
        state.SkipWithError("could not write the source picture");
        return;
    }
    std::vector<uint8_t> packed;
    int64_t packedSize = 0;
    size_t rbpSize = 0;
    std::string error;
    for (auto _ : state) {
        kitshift::SourcePicture picture;
        formats::ByteVector rbp;
        if (!kitshift::DecodeCrx(file, &picture, &error) ||
            !Encode(encoder, picture, &rbp, &error)) {
            state.SkipWithError(error.c_str());
            break;
        }
        // LzssEncode wants twice the source; the buffer only ever grows.
        if (packed.size() < rbp.size() * 2) packed.resize(rbp.size() * 2);
        packedSize = formats::LzssEncode(packed, rbp);
        rbpSize = rbp.size();
        benchmark::DoNotOptimize(packed.data());
    }
    if (!error.empty()) return;
    state.SetItemsProcessed(state.iterations());
    state.counters["crx_kib"] = static_cast<double>(file.size()) / 1024.0;
    state.counters["packed_kib"] = static_cast<double>(packedSize) / 1024.0;
    state.counters["lzss_ratio"] =
        rbpSize ? static_cast<double>(packedSize) / static_cast<double>(rbpSize) : 0.0;
}

BENCHMARK_CAPTURE(BM_ConvertCrxPicture, lz_palette_opaque, Source::kLzPalette, Encoder::kOpaque)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertCrxPicture, lz_24bit_opaque, Source::kLz24, Encoder::kOpaque)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertCrxPicture, zlib_palette_opaque, Source::kZlibPalette, Encoder::kOpaque)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertCrxPicture, zlib_24bit_opaque, Source::kZlib24, Encoder::kOpaque)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertCrxPicture, zlib_24bit_alpha, Source::kZlib24, Encoder::kAlpha)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConvertCrxPicture, zlib_24bit_blended, Source::kZlib24, Encoder::kBlended)
    ->Unit(benchmark::kMillisecond);

}  // namespace
