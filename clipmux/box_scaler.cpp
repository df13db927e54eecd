#include "clipmux/box_scaler.h"

#include <algorithm>
#include <vector>

namespace clipmux {

namespace {

constexpr int kNarrowLimit = 160;

// One axis of a scaler: for each output index the first source index of its
// window and the window's length, both already cut to the source.
struct Axis {
    std::vector<int> first;
    std::vector<int> count;
};

// The window of output index `index` on an axis of `sourceSize` scaled to
// `targetSize`, for the given kind; `spacing` takes every spacing-th index of
// a target that is `spacing` times larger (the double-then-halve member).
Axis MakeAxis(int sourceSize, int targetSize, ScalerKind kind) {
    const int spacing = kind == ScalerKind::kDoubleThenHalve ? 2 : 1;
    const int64_t virtualTarget = int64_t{targetSize} * spacing;
    const int64_t ratio = int64_t{sourceSize} * 1024 / virtualTarget;
    int64_t window;
    bool centred;
    if (kind == ScalerKind::kNarrow) {
        window = ratio >> 10;
        centred = false;
    } else {
        window = (ratio >> 10) + 1 + ((ratio & 1023) != 0 ? 1 : 0);
        centred = true;
    }
    Axis axis;
    axis.first.resize(static_cast<size_t>(targetSize));
    axis.count.resize(static_cast<size_t>(targetSize));
    for (int index = 0; index < targetSize; ++index) {
        const int64_t virtualIndex = int64_t{index} * spacing;
        const int64_t anchor = ((virtualIndex + 1) * ratio) >> 10;
        int64_t start = centred ? anchor - window / 2 : anchor;
        int64_t end = start + window;  // exclusive
        start = std::max<int64_t>(start, 0);
        end = std::min<int64_t>(end, sourceSize);
        axis.first[static_cast<size_t>(index)] = static_cast<int>(start);
        axis.count[static_cast<size_t>(index)] =
            static_cast<int>(std::max<int64_t>(end - start, 0));
    }
    return axis;
}

}  // namespace

ScalerKind ScalerForTarget(int targetWidth, bool aviFileReader) {
    if (targetWidth > kNarrowLimit) return ScalerKind::kWide;
    return aviFileReader ? ScalerKind::kDoubleThenHalve : ScalerKind::kNarrow;
}

bool ScalePicture(const Picture& source, int targetWidth, int targetHeight, ScalerKind kind,
                  Picture* out) {
    if (source.bytesPerPixel < 3 || source.width <= 0 || source.height <= 0 || targetWidth <= 0 ||
        targetHeight <= 0 ||
        source.pixels.size() < static_cast<size_t>(source.Stride()) * source.height) {
        return false;
    }
    const Axis columns = MakeAxis(source.width, targetWidth, kind);
    const Axis rows = MakeAxis(source.height, targetHeight, kind);
    out->Resize(targetWidth, targetHeight, 3);
    const int b = source.bytesPerPixel;
    for (int i = 0; i < targetHeight; ++i) {
        const int rowFirst = rows.first[static_cast<size_t>(i)];
        const int rowCount = rows.count[static_cast<size_t>(i)];
        uint8_t* target = out->Row(i);
        for (int j = 0; j < targetWidth; ++j) {
            const int colFirst = columns.first[static_cast<size_t>(j)];
            const int colCount = columns.count[static_cast<size_t>(j)];
            const uint32_t pixels = static_cast<uint32_t>(rowCount) * colCount;
            uint8_t* pixel = target + static_cast<size_t>(j) * 3;
            if (pixels == 0) {
                pixel[0] = pixel[1] = pixel[2] = 0;
                continue;
            }
            uint32_t s0 = 0, s1 = 0, s2 = 0;
            for (int y = rowFirst; y < rowFirst + rowCount; ++y) {
                const uint8_t* p = source.Row(y) + static_cast<size_t>(colFirst) * b;
                for (int x = 0; x < colCount; ++x, p += b) {
                    s0 += p[0];
                    s1 += p[1];
                    s2 += p[2];
                }
            }
            pixel[0] = static_cast<uint8_t>(s0 / pixels);
            pixel[1] = static_cast<uint8_t>(s1 / pixels);
            pixel[2] = static_cast<uint8_t>(s2 / pixels);
        }
    }
    return true;
}

}  // namespace clipmux
