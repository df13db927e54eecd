#pragma once
// Reference pictures: a screenshot is compared with tests/golden/NAME.png
// within a tolerance; on a mismatch the actual picture, the reference and a
// difference picture are written to golden-failures/ for a look.
// MIRELO_UPDATE_GOLDEN=1 writes the actual picture as the new reference and
// still reports a difference, so that such a run always fails.

#include <cstdint>
#include <string>
#include <vector>

namespace golden {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel, rows from the top

    const uint8_t* At(uint32_t x, uint32_t y) const { return &rgb[(size_t{y} * width + x) * 3]; }
};

bool ReadPng(const std::string& path, Picture* picture);
bool WritePng(const std::string& path, const Picture& picture);

// Empty when the pictures match: every channel within `tolerance`, except
// at most `allowedOff` pixels. Otherwise a description of the difference.
std::string Compare(const Picture& actual, const std::string& goldenName, int tolerance = 6,
                    uint32_t allowedOff = 0);

}  // namespace golden
