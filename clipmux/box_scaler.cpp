#include "clipmux/box_scaler.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

namespace clipmux {

namespace {

constexpr int kNarrowLimit = 160;
// ceil(2^32 / n) divides exactly any sum below 2^32 / n; a window's sums
// stay below 256 n, so windows of fewer than 4096 pixels qualify.
constexpr int kExactReciprocalLimit = 4096;
constexpr int kNarrowSumRows = 257;
// Windows up to this many columns wide are summed without running sums.
constexpr int kDirectSumColumns = 4;

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

// Division by n as a multiplication and shifts on 16 bits: floor(x / n) is
// ((x * multiplier) >> 16) >> shift for every sum x a window of n pixels
// can have (at most 255 n). Found by trial and checked for every such x, so
// the result is the division's, bit for bit; multiplier 0 when none serves
// (n above 257, whose sums need more than 16 bits).
struct Divisor {
    uint16_t multiplier = 0;
    int shift = 0;
};

Divisor FindDivisor(int n) {
    const uint32_t largest = 255u * static_cast<uint32_t>(n);
    if (n <= 1 || largest > 0xFFFFu) return {};
    for (int shift = 0; shift <= 16; ++shift) {
        const uint64_t scale = uint64_t{1} << (16 + shift);
        const uint64_t multiplier = (scale + static_cast<uint64_t>(n) - 1) / n;
        if (multiplier > 0xFFFFu) break;
        bool exact = true;
        for (uint32_t x = 0; x <= largest && exact; ++x)
            exact = ((x * multiplier) >> 16 >> shift) == x / static_cast<uint32_t>(n);
        if (exact) return {static_cast<uint16_t>(multiplier), shift};
    }
    return {};
}

// The divisor for n, found once per thread.
const Divisor& DivisorFor(int n) {
    constexpr int kCached = 258;
    thread_local Divisor cache[kCached];
    thread_local bool found[kCached] = {};
    static const Divisor none;
    if (n < 0 || n >= kCached) return none;
    if (!found[n]) {
        cache[n] = FindDivisor(n);
        found[n] = true;
    }
    return cache[n];
}

// The loops over every byte of a row are built once more for processors
// with 256-bit vectors and picked when the program is loaded; the integers
// they give are the same either way.
#if defined(__x86_64__) && defined(__has_attribute)
#if __has_attribute(target_clones)
#define CLIPMUX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif
#endif
#ifndef CLIPMUX_VECTOR_CLONES
#define CLIPMUX_VECTOR_CLONES
#endif

// out[k] = the sum of the rows' bytes k, for one to three rows.
CLIPMUX_VECTOR_CLONES void SumRows(const uint8_t* a, const uint8_t* b, const uint8_t* c,
                                   size_t length, uint16_t* out) {
    if (c != nullptr) {
        for (size_t k = 0; k < length; ++k)
            out[k] = static_cast<uint16_t>(uint16_t{a[k]} + b[k] + c[k]);
    } else if (b != nullptr) {
        for (size_t k = 0; k < length; ++k) out[k] = static_cast<uint16_t>(uint16_t{a[k]} + b[k]);
    } else {
        for (size_t k = 0; k < length; ++k) out[k] = a[k];
    }
}

// out[k] += the rows' bytes k, for one or two rows.
CLIPMUX_VECTOR_CLONES void AddRows(const uint8_t* a, const uint8_t* b, size_t length,
                                   uint16_t* out) {
    if (b != nullptr) {
        for (size_t k = 0; k < length; ++k) out[k] = static_cast<uint16_t>(out[k] + a[k] + b[k]);
    } else {
        for (size_t k = 0; k < length; ++k) out[k] = static_cast<uint16_t>(out[k] + a[k]);
    }
}

// out[x] = the average of column[x], column[x + 3], ... (W terms) by the
// divisor, for every start that keeps the window inside the row. The sums
// stay in 16 bits, so that the loop runs on many bytes at once.
template <int W>
inline __attribute__((always_inline)) void SlideAverages(const uint16_t* column, size_t length,
                                                         const Divisor& divisor, uint8_t* out) {
    const uint16_t multiplier = divisor.multiplier;
    const int shift = divisor.shift;
    for (size_t x = 0; x < length; ++x) {
        uint16_t sum = column[x];
        for (int k = 1; k < W; ++k)
            sum = static_cast<uint16_t>(sum + column[x + 3 * static_cast<size_t>(k)]);
        const auto high = static_cast<uint16_t>((uint32_t{sum} * uint32_t{multiplier}) >> 16);
        out[x] = static_cast<uint8_t>(high >> shift);
    }
}

CLIPMUX_VECTOR_CLONES void SlideAverages(int window, const uint16_t* column, size_t length,
                                         const Divisor& divisor, uint8_t* out) {
    switch (window) {
        case 1:
            SlideAverages<1>(column, length, divisor, out);
            break;
        case 2:
            SlideAverages<2>(column, length, divisor, out);
            break;
        case 3:
            SlideAverages<3>(column, length, divisor, out);
            break;
        default:
            SlideAverages<4>(column, length, divisor, out);
            break;
    }
}

// out[x] = column[x] + column[x + 3] + ... (W terms): the sums of W pixels
// per byte, for every start that keeps the window inside the row.
template <int W, typename T>
void SlideSums(const T* column, size_t length, uint32_t* out) {
    for (size_t x = 0; x < length; ++x) {
        uint32_t sum = column[x];
        for (int k = 1; k < W; ++k) sum += column[x + 3 * static_cast<size_t>(k)];
        out[x] = sum;
    }
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
    // Every output byte is written below: a picture of the right shape is
    // reused as it is.
    if (out->width != targetWidth || out->height != targetHeight || out->bytesPerPixel != 3 ||
        out->pixels.size() != static_cast<size_t>(targetWidth) * targetHeight * 3) {
        out->Resize(targetWidth, targetHeight, 3);
    }
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
    // Per output column: where its window starts and ends in the running
    // sums, and (per row) the reciprocal of its pixel count; 0 for an empty
    // window, whose sums are 0 as well.
    std::vector<size_t> columnFirst(static_cast<size_t>(targetWidth));
    std::vector<size_t> columnEnd(static_cast<size_t>(targetWidth));
    std::vector<uint64_t> columnReciprocal(static_cast<size_t>(targetWidth));
    int maxColumnCount = 0;
    for (size_t j = 0; j < columnFirst.size(); ++j) {
        columnFirst[j] = static_cast<size_t>(columns.first[j]) * 3;
        columnEnd[j] = columnFirst[j] + static_cast<size_t>(columns.count[j]) * 3;
        maxColumnCount = std::max(maxColumnCount, columns.count[j]);
    }
    // Narrow windows are summed directly from the column sums, wider ones
    // as differences of running sums; both give the same exact sums.
    const bool directSums = maxColumnCount <= kDirectSumColumns && b == 3;
    // Most columns share one window width: their sums come from one pass of
    // sliding sums over the row's bytes, window pixels apart.
    const int window = columns.count[static_cast<size_t>(targetWidth) / 2];
    const size_t span = window > 0 ? static_cast<size_t>(window - 1) * 3 : 0;
    const size_t slidingLength = directSums && window > 0 && rowBytes > span ? rowBytes - span : 0;
    std::vector<uint32_t> sliding(slidingLength);
    std::vector<uint8_t> averages(slidingLength + 1);  // a byte to spare for four-byte reads
    // The run of columns of the common width around the middle.
    size_t innerFirst = static_cast<size_t>(targetWidth) / 2;
    size_t innerEnd = innerFirst;
    if (slidingLength > 0) {
        while (innerFirst > 0 && columns.count[innerFirst - 1] == window) --innerFirst;
        while (innerEnd < columns.count.size() && columns.count[innerEnd] == window) ++innerEnd;
    }
    auto slidingSums = [&](const auto* column) {
        switch (window) {
            case 1:
                SlideSums<1>(column, slidingLength, sliding.data());
                break;
            case 2:
                SlideSums<2>(column, slidingLength, sliding.data());
                break;
            case 3:
                SlideSums<3>(column, slidingLength, sliding.data());
                break;
            default:
                SlideSums<4>(column, slidingLength, sliding.data());
                break;
        }
    };
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
    uint32_t sums[3];
    auto windowSums = [&](const auto* column, size_t j) {
        if (slidingLength > 0 && columns.count[j] == window) {
            const uint32_t* at = sliding.data() + columnFirst[j];
            sums[0] = at[0];
            sums[1] = at[1];
            sums[2] = at[2];
        } else if (directSums) {
            uint32_t s0 = 0, s1 = 0, s2 = 0;
            for (size_t k = columnFirst[j]; k < columnEnd[j]; k += 3) {
                s0 += column[k];
                s1 += column[k + 1];
                s2 += column[k + 2];
            }
            sums[0] = s0;
            sums[1] = s1;
            sums[2] = s2;
        } else {
            const uint32_t* first = running.data() + columnFirst[j];
            const uint32_t* last = running.data() + columnEnd[j];
            sums[0] = last[0] - first[0];
            sums[1] = last[1] - first[1];
            sums[2] = last[2] - first[2];
        }
    };
    int reciprocalRowCount = -1;
    // The inner columns straight to their averages, when every sum of the
    // row fits 16 bits and a divisor serves: the edge columns as below.
    auto averageRow = [&](const uint16_t* column, const Divisor& divisor, uint8_t* target) {
        SlideAverages(window, column, slidingLength, divisor, averages.data());
        // Four bytes at a time: the fourth is the next pixel's first, written
        // over right after; the last pixel takes its three alone.
        const uint8_t* average = averages.data();
        const size_t fourEnd = innerEnd > innerFirst ? innerEnd - 1 : innerFirst;
        for (size_t j = innerFirst; j < fourEnd; ++j) {
            uint32_t four;
            std::memcpy(&four, average + columnFirst[j], 4);
            std::memcpy(target + j * 3, &four, 4);
        }
        for (size_t j = fourEnd; j < innerEnd; ++j) {
            const uint8_t* at = average + columnFirst[j];
            uint8_t* pixel = target + j * 3;
            pixel[0] = at[0];
            pixel[1] = at[1];
            pixel[2] = at[2];
        }
    };
    auto writeRow = [&](const auto* column, int rowCount, uint8_t* target) {
        if constexpr (std::is_same_v<std::remove_cv_t<std::remove_pointer_t<decltype(column)>>,
                                     uint16_t>) {
            const Divisor& divisor =
                slidingLength > 0 && useReciprocals ? DivisorFor(rowCount * window) : Divisor{};
            if (divisor.multiplier != 0) {
                averageRow(column, divisor, target);
                // The edge columns, summed directly.
                auto edge = [&](size_t from, size_t to) {
                    for (size_t j = from; j < to; ++j) {
                        uint32_t s0 = 0, s1 = 0, s2 = 0;
                        for (size_t k = columnFirst[j]; k < columnEnd[j]; k += 3) {
                            s0 += column[k];
                            s1 += column[k + 1];
                            s2 += column[k + 2];
                        }
                        const uint64_t r = reciprocal[static_cast<size_t>(rowCount) *
                                                      static_cast<size_t>(columns.count[j])];
                        uint8_t* pixel = target + j * 3;
                        pixel[0] = static_cast<uint8_t>((s0 * r) >> 32);
                        pixel[1] = static_cast<uint8_t>((s1 * r) >> 32);
                        pixel[2] = static_cast<uint8_t>((s2 * r) >> 32);
                    }
                };
                edge(0, innerFirst);
                edge(innerEnd, columns.count.size());
                return;
            }
        }
        if (!directSums) runningSums(column);
        if (slidingLength > 0) slidingSums(column);
        if (useReciprocals) {
            if (rowCount != reciprocalRowCount) {
                reciprocalRowCount = rowCount;
                for (size_t j = 0; j < columnReciprocal.size(); ++j) {
                    columnReciprocal[j] = reciprocal[static_cast<size_t>(rowCount) *
                                                     static_cast<size_t>(columns.count[j])];
                }
            }
            auto edge = [&](size_t from, size_t to) {
                for (size_t j = from; j < to; ++j) {
                    windowSums(column, j);
                    const uint64_t r = columnReciprocal[j];
                    uint8_t* pixel = target + j * 3;
                    pixel[0] = static_cast<uint8_t>((sums[0] * r) >> 32);
                    pixel[1] = static_cast<uint8_t>((sums[1] * r) >> 32);
                    pixel[2] = static_cast<uint8_t>((sums[2] * r) >> 32);
                }
            };
            if (slidingLength == 0) {
                edge(0, columnReciprocal.size());
                return;
            }
            // The inner columns, all of the common width: one reciprocal,
            // the sums read straight from the sliding pass.
            edge(0, innerFirst);
            const uint64_t r = reciprocal[static_cast<size_t>(rowCount) * window];
            const uint32_t* slid = sliding.data();
            for (size_t j = innerFirst; j < innerEnd; ++j) {
                const uint32_t* at = slid + columnFirst[j];
                uint8_t* pixel = target + j * 3;
                pixel[0] = static_cast<uint8_t>((at[0] * r) >> 32);
                pixel[1] = static_cast<uint8_t>((at[1] * r) >> 32);
                pixel[2] = static_cast<uint8_t>((at[2] * r) >> 32);
            }
            edge(innerEnd, columnReciprocal.size());
            return;
        }
        for (size_t j = 0; j < columnReciprocal.size(); ++j, target += 3) {
            const uint32_t pixels = static_cast<uint32_t>(rowCount) * columns.count[j];
            windowSums(column, j);
            if (pixels == 0) {
                target[0] = target[1] = target[2] = 0;
            } else {
                target[0] = static_cast<uint8_t>(sums[0] / pixels);
                target[1] = static_cast<uint8_t>(sums[1] / pixels);
                target[2] = static_cast<uint8_t>(sums[2] / pixels);
            }
        }
    };
    for (int i = 0; i < targetHeight; ++i) {
        const int rowFirst = rows.first[static_cast<size_t>(i)];
        const int rowCount = rows.count[static_cast<size_t>(i)];
        if (rowCount <= kNarrowSumRows) {
            uint16_t* column = narrowSums.data();
            if (rowCount == 0) std::fill(narrowSums.begin(), narrowSums.end(), 0);
            const int rowEnd = rowFirst + rowCount;
            auto rowOrNone = [&](int y) { return y < rowEnd ? source.Row(y) : nullptr; };
            if (rowCount > 0)
                SumRows(source.Row(rowFirst), rowOrNone(rowFirst + 1), rowOrNone(rowFirst + 2),
                        rowBytes, column);
            for (int y = rowFirst + 3; y < rowEnd; y += 2)
                AddRows(source.Row(y), rowOrNone(y + 1), rowBytes, column);
            writeRow(narrowSums.data(), rowCount, out->Row(i));
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
            writeRow(wideSums.data(), rowCount, out->Row(i));
        }
    }
    return true;
}

}  // namespace clipmux
