// One engine frame composed and presented into a device buffer in memory:
// the full-screen redraw of a story scene (background, two characters with
// alpha edges, the message window at opacity 180, 100 text cells), and the
// typing frame in which only one newly typed glyph reaches the device.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/gfx/frame_composer.h"
#include "engine/gfx/text_layer.h"
#include "platform/glyph_rasterizer.h"

namespace {

using gfx::DrawObject;

// A picture of gradients; alphaEdge > 0 fades the alpha in over that many
// pixels from each side, as a cut-out character's outline does.
std::unique_ptr<gfx::Image> MakePicture(int32_t width, int32_t height, int32_t alphaEdge) {
    auto image = std::make_unique<gfx::Image>();
    image->storedWidth = height;
    image->storedHeight = width;
    image->pixels.resize(static_cast<size_t>(width) * height * 4);
    for (int32_t x = 0; x < width; ++x) {
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* p = image->pixels.data() + image->OffsetOf(x, y);
            p[0] = static_cast<uint8_t>(x * 3);
            p[1] = static_cast<uint8_t>(y * 5);
            p[2] = static_cast<uint8_t>(x + y);
            int32_t alpha = 255;
            if (alphaEdge > 0) {
                const int32_t edge = std::min(x, width - 1 - x);
                alpha = edge >= alphaEdge ? 255 : edge * 255 / alphaEdge;
            }
            p[3] = static_cast<uint8_t>(alpha);
        }
    }
    return image;
}

DrawObject Picture(int16_t slot, int32_t level, int16_t width, int16_t height, int16_t x,
                   int16_t y) {
    DrawObject o;
    o.imageSlot = slot;
    o.priority = level;
    o.sourceRight = width;
    o.sourceBottom = height;
    o.x = x;
    o.y = y;
    return o;
}

struct MemoryDevice : gfx::PresentTarget {
    std::vector<uint8_t> bits = std::vector<uint8_t>(240 * 320 * 2);
    uint8_t* BeginDraw() override { return bits.data(); }
    void EndDraw() override { benchmark::ClobberMemory(); }
};

struct Scene {
    gfx::ImageTable images;
    std::vector<DrawObject> objects;
    gfx::FrameComposer composer;
    gfx::ScreenBuffer screen;
    gfx::DirtyRectList dirty;
    MemoryDevice device;
    std::unique_ptr<platform::GlyphRasterizer> glyphs;
    std::unique_ptr<gfx::MessageFont> font;
    gfx::TextLayer text;

    Scene() {
        images[28] = MakePicture(320, 240, 0);  // background, layer 32
        images[26] = MakePicture(120, 200, 12);
        images[27] = MakePicture(120, 200, 12);
        images[1] = MakePicture(320, 64, 0);  // message window
        objects.reserve(4);
        objects.push_back(Picture(28, 32, 320, 240, 0, 0));
        objects.push_back(Picture(26, 28, 120, 200, 20, 40));
        objects.push_back(Picture(27, 30, 120, 200, 180, 40));
        objects.push_back(Picture(1, 3, 320, 64, 0, 176));
        objects.back().opacity = 180;
    }

    // 100 cells of 12 x 12 in five rows of the message window; false when
    // no font is installed.
    bool AddText(std::string* error) {
        glyphs = platform::GlyphRasterizer::Create(error);
        if (glyphs == nullptr) return false;
        font = std::make_unique<gfx::MessageFont>(*glyphs);
        text.shown = true;
        const uint16_t characters[] = {0xA082, 0xA282, 0xA482, 0x8A8A, 0xF48E, 'A', 'g'};
        for (int i = 0; i < 100; ++i) {
            gfx::GlyphCell cell;
            cell.state = 0;
            cell.character = characters[i % std::size(characters)];
            cell.size = 12;
            cell.colour = 0xFFFFFF;
            cell.left = 10 + (i % 20) * 15;
            cell.top = 180 + (i / 20) * 12;
            cell.right = cell.left + 12;
            cell.bottom = cell.top + 12;
            text.cells.push_back(cell);
        }
        return true;
    }

    void Frame() {
        composer.ResetLevels();
        for (DrawObject& o : objects) composer.Insert(&o);
        composer.ComposeFrame(screen, dirty, images, font ? &text : nullptr, font.get(),
                              gfx::TextDrawSettings{1, true});
        composer.PresentFrame(screen, dirty, 0, 0, device);
    }
};

void FullFrame(benchmark::State& state, bool withText) {
    Scene scene;
    std::string error;
    if (withText && !scene.AddText(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        scene.dirty.Clear();
        scene.dirty.Add({0, 0, 320, 240}, true);
        scene.Frame();
    }
}

void BM_FullFrame(benchmark::State& state) {
    FullFrame(state, true);
}
void BM_FullFrameWithoutText(benchmark::State& state) {
    FullFrame(state, false);
}

// Typing: one new glyph is drawn over the existing picture and only its box
// (copy only) is presented.
void BM_TypedGlyphFrame(benchmark::State& state) {
    Scene scene;
    std::string error;
    if (!scene.AddText(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    scene.dirty.Add({0, 0, 320, 240}, true);
    scene.Frame();
    int next = 0;
    for (auto _ : state) {
        gfx::GlyphCell& cell = scene.text.cells[static_cast<size_t>(next)];
        next = (next + 1) % 100;
        cell.state = 1;
        scene.dirty.Clear();
        scene.dirty.Add({cell.left, cell.top, cell.right, cell.bottom}, false);
        scene.Frame();
    }
}

BENCHMARK(BM_FullFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FullFrameWithoutText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypedGlyphFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
