#include "clipmux/box_scaler.h"

#include <algorithm>
#include <vector>

namespace clipmux {

namespace {

constexpr int kNarrowLimit = 160;
// ceil(2^32 / n) divides exactly any sum below 2^32 / n; a window's sums
// stay below 256 n, so windows of fewer than 4096 pixels qualify.
constexpr int kExactReciprocalLimit = 4096;
constexpr int kNarrowSumRows = 257;

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
    // Division by a window's pixel count as a multiplication: exact for sums
    // of at most 255 x n when n is below kExactReciprocalLimit.
    const int maxCount = *std::max_element(columns.count.begin(), columns.count.end()) *
                         *std::max_element(rows.count.begin(), rows.count.end());
    const bool useReciprocals = maxCount < kExactReciprocalLimit;
    std::vector<uint64_t> reciprocal(useReciprocals ? static_cast<size_t>(maxCount) + 1 : 0, 0);
    for (size_t n = 1; n < reciprocal.size(); ++n)
        reciprocal[n] = ((uint64_t{1} << 32) + n - 1) / n;
    // Per output row: the window's rows summed per source byte, then running
    // sums along the row per channel, so that each window's sum is one
    // difference. Sums of up to 257 rows fit 16 bits, twice the lanes per step.
    const size_t rowBytes = static_cast<size_t>(source.width) * b;
    std::vector<uint16_t> narrowSums(rowBytes);
    std::vector<uint32_t> wideSums(rowBytes);
    std::vector<uint32_t> running((static_cast<size_t>(source.width) + 1) * 3);
    auto runningSums = [&](const auto* column) {
        uint32_t r0 = 0, r1 = 0, r2 = 0;
        uint32_t* out = running.data() + 3;
        for (int x = 0; x < source.width; ++x, column += b, out += 3) {
            r0 += column[0];
            r1 += column[1];
            r2 += column[2];
            out[0] = r0;
            out[1] = r1;
            out[2] = r2;
        }
    };
    for (int i = 0; i < targetHeight; ++i) {
        const int rowFirst = rows.first[static_cast<size_t>(i)];
        const int rowCount = rows.count[static_cast<size_t>(i)];
        if (rowCount <= kNarrowSumRows) {
            uint16_t* column = narrowSums.data();
            if (rowCount == 0) std::fill(narrowSums.begin(), narrowSums.end(), 0);
            for (int y = rowFirst; y < rowFirst + rowCount; ++y) {
                const uint8_t* row = source.Row(y);
                if (y == rowFirst) {
                    for (size_t k = 0; k < rowBytes; ++k) column[k] = row[k];
                } else {
                    for (size_t k = 0; k < rowBytes; ++k) column[k] += row[k];
                }
            }
            runningSums(narrowSums.data());
        } else {
            uint32_t* column = wideSums.data();
            if (rowCount == 0) std::fill(wideSums.begin(), wideSums.end(), 0);
            for (int y = rowFirst; y < rowFirst + rowCount; ++y) {
                const uint8_t* row = source.Row(y);
                if (y == rowFirst) {
                    for (size_t k = 0; k < rowBytes; ++k) column[k] = row[k];
                } else {
                    for (size_t k = 0; k < rowBytes; ++k) column[k] += row[k];
                }
            }
            runningSums(wideSums.data());
        }
        uint8_t* target = out->Row(i);
        for (int j = 0; j < targetWidth; ++j, target += 3) {
            const int count = columns.count[static_cast<size_t>(j)];
            const uint32_t pixels = static_cast<uint32_t>(rowCount) * count;
            const uint32_t* first =
                running.data() + static_cast<size_t>(columns.first[static_cast<size_t>(j)]) * 3;
            const uint32_t* last = first + static_cast<size_t>(count) * 3;
            const uint32_t s0 = last[0] - first[0];
            const uint32_t s1 = last[1] - first[1];
            const uint32_t s2 = last[2] - first[2];
            if (pixels == 0) {
                target[0] = target[1] = target[2] = 0;
            } else if (useReciprocals) {
                const uint64_t r = reciprocal[pixels];
                target[0] = static_cast<uint8_t>((s0 * r) >> 32);
                target[1] = static_cast<uint8_t>((s1 * r) >> 32);
                target[2] = static_cast<uint8_t>((s2 * r) >> 32);
            } else {
                target[0] = static_cast<uint8_t>(s0 / pixels);
                target[1] = static_cast<uint8_t>(s1 / pixels);
                target[2] = static_cast<uint8_t>(s2 / pixels);
            }
        }
    }
    return true;
}

}  // namespace clipmux
