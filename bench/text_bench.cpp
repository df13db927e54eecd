// Redrawing a full message page: what a frame costs when a dirty rectangle
// covers the whole window (4 lines of 25 full-width 12-pixel characters).

#include <benchmark/benchmark.h>

#include <string>

#include "engine/gfx/text_layer.h"
#include "platform/glyph_rasterizer.h"

namespace {

void BM_TextLayerDrawFullPage(benchmark::State& state) {
    std::string error;
    auto glyphs = platform::GlyphRasterizer::Create(&error);
    if (glyphs == nullptr) {
        state.SkipWithError(error.c_str());
        return;
    }
    const int supersampling = static_cast<int>(state.range(0));
    gfx::ScreenBuffer screen;
    gfx::MessageFont font(*glyphs);
    gfx::TextLayer layer;
    layer.shown = true;
    // Kana and kanji from one Shift-JIS row block, so that every cell differs.
    for (int line = 0; line < 4; ++line) {
        for (int column = 0; column < 25; ++column) {
            const int index = line * 25 + column;
            gfx::GlyphCell cell;
            cell.character = static_cast<uint16_t>(index < 80 ? 0x82 | ((0x9F + index) << 8)
                                                              : 0x88 | ((0x9F + index - 80) << 8));
            cell.size = 12;
            cell.colour = 0xFFFFFF;
            cell.left = 8 + column * 12;
            cell.top = 160 + line * 16;
            cell.right = cell.left + 12;
            cell.bottom = cell.top + 12;
            layer.cells.push_back(cell);
        }
    }
    for (auto _ : state) {
        for (gfx::GlyphCell& cell : layer.cells) cell.state = 1;
        layer.Draw(screen, font, supersampling, true);
        benchmark::DoNotOptimize(screen.Bits());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(layer.cells.size()));
}
BENCHMARK(BM_TextLayerDrawFullPage)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
