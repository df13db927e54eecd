#include "platform/glyph_rasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numeric>
#include <vector>

#include "test_support.h"

namespace {

using platform::GlyphRasterizer;
using platform::SjisCharToCodePoint;

std::vector<uint8_t> Square(int edge, uint8_t fill = 0) {
    return std::vector<uint8_t>(static_cast<size_t>(edge) * edge, fill);
}

TEST(SjisCharToCodePointTest, ConvertsOneAndTwoByteCharacters) {
    EXPECT_EQ(SjisCharToCodePoint('A'), U'A');
    EXPECT_EQ(SjisCharToCodePoint(0x5C), U'\\');        // code page 932 keeps the backslash
    EXPECT_EQ(SjisCharToCodePoint(0xA082), U'\u3042');  // 0x82 0xA0 "あ"
    EXPECT_EQ(SjisCharToCodePoint(0xBF8A), U'\u6F22');  // 0x8A 0xBF "漢"
    EXPECT_EQ(SjisCharToCodePoint(0xB1), U'\uFF71');    // half-width katakana "ｱ"
    EXPECT_EQ(SjisCharToCodePoint(0xDF), U'\uFF9F');
}

TEST(SjisCharToCodePointTest, InvalidCharactersBecomeReplacement) {
    EXPECT_EQ(SjisCharToCodePoint(0x4085), U'\uFFFD');  // 0x85 0x40: unassigned row
    EXPECT_EQ(SjisCharToCodePoint(0x0082), U'\uFFFD');  // lead byte without its second
    EXPECT_EQ(SjisCharToCodePoint(0x3082), U'\uFFFD');  // trail byte out of range
    EXPECT_EQ(SjisCharToCodePoint(0x80), U'\uFFFD');
    EXPECT_EQ(SjisCharToCodePoint(0xA0), U'\uFFFD');
}

class GlyphRasterizerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string error;
        glyphs_ = GlyphRasterizer::Create(&error).release();
        ASSERT_NE(glyphs_, nullptr) << error;
    }
    static void TearDownTestSuite() {
        delete glyphs_;
        glyphs_ = nullptr;
    }

    // Columns [first, last] holding ink; {-1, -1} for an empty square.
    static std::pair<int, int> InkColumns(const std::vector<uint8_t>& square, int edge) {
        int first = -1;
        int last = -1;
        for (int y = 0; y < edge; ++y) {
            for (int x = 0; x < edge; ++x) {
                if (square[static_cast<size_t>(y) * edge + x] == 0) continue;
                if (first < 0 || x < first) first = x;
                last = std::max(last, x);
            }
        }
        return {first, last};
    }

    static int InkSum(const std::vector<uint8_t>& square) {
        return std::accumulate(square.begin(), square.end(), 0);
    }

    static GlyphRasterizer* glyphs_;
};

GlyphRasterizer* GlyphRasterizerTest::glyphs_ = nullptr;

TEST_F(GlyphRasterizerTest, UsesTheFixedPitchGothic) {
    std::string family = glyphs_->FamilyName();
    family.erase(std::remove(family.begin(), family.end(), ' '), family.end());
    EXPECT_EQ(family, "IPAGothic");
}

// Full-width characters fill the square, half-width ones stay in its left
// half: the message window lays cells out on that grid.
TEST_F(GlyphRasterizerTest, FullWidthAndHalfWidthGlyphsKeepToTheirCells) {
    constexpr int kEdge = 24;
    std::vector<uint8_t> wide = Square(kEdge, 0xAA);
    ASSERT_TRUE(glyphs_->Render(U'\u3042', kEdge, 400, wide));
    std::vector<uint8_t> narrow = Square(kEdge, 0xAA);
    ASSERT_TRUE(glyphs_->Render(U'i', kEdge, 400, narrow));

    auto [wideFirst, wideLast] = InkColumns(wide, kEdge);
    auto [narrowFirst, narrowLast] = InkColumns(narrow, kEdge);
    EXPECT_GT(wideLast - wideFirst, narrowLast - narrowFirst);
    EXPECT_GE(wideLast, kEdge / 2 + 4);  // reaches well into the right half
    EXPECT_LT(narrowLast, kEdge / 2);
    EXPECT_GT(std::count(wide.begin(), wide.end(), 255), 0);  // solid strokes at this size

    // Ink sits inside the cell: nothing on the top row (the ascender leaves
    // room above the kana) and the square was cleared around the glyph.
    EXPECT_TRUE(std::all_of(wide.begin(), wide.begin() + kEdge, [](uint8_t v) { return v == 0; }));
    EXPECT_EQ(std::count(narrow.begin(), narrow.end(), 0xAA), 0);
}

TEST_F(GlyphRasterizerTest, HeavyWeightsThickenTheStrokes) {
    constexpr int kEdge = 32;
    std::vector<uint8_t> regular = Square(kEdge);
    std::vector<uint8_t> light = Square(kEdge);
    std::vector<uint8_t> bold = Square(kEdge);
    ASSERT_TRUE(glyphs_->Render(U'\u6F22', kEdge, 400, regular));
    ASSERT_TRUE(glyphs_->Render(U'\u6F22', kEdge, 0, light));
    ASSERT_TRUE(glyphs_->Render(U'\u6F22', kEdge, 900, bold));
    EXPECT_EQ(light, regular);  // the face has one weight; lighter asks change nothing
    EXPECT_GT(InkSum(bold), InkSum(regular) * 5 / 4);
}

TEST_F(GlyphRasterizerTest, RefusesUnusableRequestsAndEmptyGlyphs) {
    std::vector<uint8_t> square = Square(16, 0xAA);
    EXPECT_FALSE(glyphs_->Render(U'A', 0, 400, square));
    EXPECT_FALSE(glyphs_->Render(U'A', -3, 400, square));
    EXPECT_FALSE(glyphs_->Render(U'A', platform::kMaxGlyphHeight + 1, 400, square));
    EXPECT_FALSE(glyphs_->Render(U'A', 17, 400, square));                // square too small
    EXPECT_EQ(std::count(square.begin(), square.end(), 0xAA), 16 * 16);  // untouched

    EXPECT_FALSE(glyphs_->Render(U' ', 16, 400, square));
    EXPECT_TRUE(std::all_of(square.begin(), square.end(), [](uint8_t v) { return v == 0; }));

    // Sizes change from call to call; a small glyph after a large one is
    // rendered at its own size.
    std::vector<uint8_t> large = Square(64);
    ASSERT_TRUE(glyphs_->Render(U'M', 64, 400, large));
    std::vector<uint8_t> small = Square(8);
    ASSERT_TRUE(glyphs_->Render(U'M', 8, 400, small));
    EXPECT_LT(InkColumns(small, 8).second, 4);
}

// Without the font the engine cannot start; the reason must tell the user
// what to install. fontconfig reads its configuration once per process, so
// each case runs in a fresh child with a configuration of its own.
class MissingFontTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }

    static void CreateWithConfiguration(const std::filesystem::path& folder,
                                        const std::string& fontFolder) {
        std::string config = "<?xml version=\"1.0\"?>\n<fontconfig>\n";
        if (!fontFolder.empty()) config += "<dir>" + fontFolder + "</dir>\n";
        config += "<cachedir>" + (folder / "cache").string() + "</cachedir>\n</fontconfig>\n";
        testing_support::WriteHostFile(folder / "fonts.conf", config);
        setenv("FONTCONFIG_FILE", (folder / "fonts.conf").c_str(), 1);
        std::string error;
        auto glyphs = GlyphRasterizer::Create(&error);
        std::fprintf(stderr, "%s\n", error.c_str());
        std::exit(glyphs == nullptr ? 0 : 1);
    }

    testing_support::TempDir temp_;
};

TEST_F(MissingFontTest, NoFontsGivesAReasonNamingThePackage) {
    EXPECT_EXIT(CreateWithConfiguration(temp_.path(), ""), ::testing::ExitedWithCode(0),
                "fonts-ipafont-gothic");
}

TEST_F(MissingFontTest, AFixedPitchFontWithoutJapaneseIsRefused) {
    const std::string dejavu = "/usr/share/fonts/truetype/dejavu";
    if (!std::filesystem::exists(dejavu + "/DejaVuSansMono.ttf")) {
        GTEST_SKIP() << "no DejaVu Sans Mono to offer instead";
    }
    EXPECT_EXIT(CreateWithConfiguration(temp_.path(), dejavu), ::testing::ExitedWithCode(0),
                "fonts-ipafont-gothic");
}

}  // namespace
