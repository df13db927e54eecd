// The movie converter's work per frame once a frame is decoded: the box
// scalers from 640 x 480 and the JPEG encoding of the 320 x 240 result.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "clipmux/box_scaler.h"
#include "clipmux/jpeg_codec.h"

namespace {

clipmux::Picture SourceFrame(int width, int height) {
    clipmux::Picture picture;
    picture.Resize(width, height, 3);
    uint32_t state = 12345;
    for (uint8_t& byte : picture.pixels) {
        state = state * 1103515245u + 12345u;
        // Smooth areas with some noise, as film is.
        byte = static_cast<uint8_t>(((&byte - picture.pixels.data()) / 64) + (state >> 28));
    }
    return picture;
}

void BM_ScaleFrame(benchmark::State& state) {
    const auto kind = static_cast<clipmux::ScalerKind>(state.range(0));
    const int width = static_cast<int>(state.range(1));
    const clipmux::Picture source = SourceFrame(640, 480);
    clipmux::Picture out;
    for (auto _ : state) {
        clipmux::ScalePicture(source, width, width * 3 / 4, kind, &out);
        benchmark::DoNotOptimize(out.pixels.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScaleFrame)
    ->Args({static_cast<int>(clipmux::ScalerKind::kWide), 320})
    ->Args({static_cast<int>(clipmux::ScalerKind::kNarrow), 160})
    ->Args({static_cast<int>(clipmux::ScalerKind::kDoubleThenHalve), 160});

void BM_EncodeFrameJpeg(benchmark::State& state) {
    clipmux::Picture scaled;
    clipmux::ScalePicture(SourceFrame(640, 480), 320, 240, clipmux::ScalerKind::kWide, &scaled);
    formats::ByteVector jpeg;
    std::string why;
    for (auto _ : state) {
        clipmux::EncodeFrameJpeg(scaled, 60, &jpeg, &why);
        benchmark::DoNotOptimize(jpeg.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeFrameJpeg);

}  // namespace
