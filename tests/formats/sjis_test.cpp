#include "formats/sjis.h"

#include <gtest/gtest.h>

namespace {

// "表" is 0x95 0x5C: its trail byte is the code of '\'.
const std::string kHyou = "\x95\x5C";
// "ａ" (full-width a) is 0x82 0x81; "Ａ" is 0x82 0x60.

TEST(Sjis, SearchesSkipTrailBytes) {
    EXPECT_EQ(formats::SjisFindLastBackslash("GameData\\" + kHyou), 8u);
    EXPECT_EQ(formats::SjisFindLastBackslash(kHyou), formats::kSjisNotFound);
    // 0x82 0x2E is not a valid pair but the trail must still be skipped.
    EXPECT_EQ(formats::SjisFindLastDot("a.b\x82."), 1u);
    EXPECT_EQ(formats::SjisFindLastDot("pic.x.BMP"), 5u);
}

TEST(Sjis, EqualNoCaseFoldsAsciiOnly) {
    EXPECT_TRUE(formats::SjisEqualNoCase("GameData\\Char\\a.RBP", "gamedata\\char\\A.rbp"));
    EXPECT_FALSE(formats::SjisEqualNoCase("abc", "abd"));
    EXPECT_FALSE(formats::SjisEqualNoCase("abc", "ab"));
    // Double-byte characters compare exactly: 0x82 0x61 and 0x82 0x41 differ
    // although their trail bytes are 'a' and 'A'.
    EXPECT_FALSE(formats::SjisEqualNoCase("\x82\x61", "\x82\x41"));
    EXPECT_TRUE(formats::SjisEqualNoCase("x" + kHyou + "y", "X" + kHyou + "Y"));
    // Symbols next to the letters are not folded ('@' is 0x40, '`' is 0x60).
    EXPECT_FALSE(formats::SjisEqualNoCase("@", "`"));
}

TEST(Sjis, ForcedExtension) {
    EXPECT_EQ(formats::SjisForceExtension("GameData\\char\\x.BMP", ".rbp"),
              "GameData\\char\\x.rbp");
    EXPECT_EQ(formats::SjisForceExtension("x.RBP", ".rbp"), "x.RBP");
    EXPECT_EQ(formats::SjisForceExtension("noext", ".rbp"), "noext.rbp");
    EXPECT_EQ(formats::SjisForceExtension("dir.d\\noext", ".rbp"), "dir.d\\noext.rbp");
    EXPECT_EQ(formats::SjisReplaceExtension("a.rbp", "m.rbp"), "am.rbp");
}

}  // namespace
