#include "formats/format_text.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <array>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <string>

using formats::FormatText;

namespace {

// The engine's own uses: save slot names and the save time stamp.
TEST(FormatTextTest, FileNamesAndTimeStamps) {
    EXPECT_EQ(FormatText("save%z3.dat", {12}), "save012.dat");
    EXPECT_EQ(FormatText("save%z3.dat", {1000}), "save000.dat");
    EXPECT_EQ(FormatText("[%z4-%z2-%z2 %z2:%z2][%d%c]", {2002, 9, 15, 8, 5, 87, 37}),
              "[2002-09-15 08:05][87%]");
}

// Signs are written only on request, and with a width they take the fill
// position before the first digit, so the field never grows.
TEST(FormatTextTest, DecimalSignsAndWidths) {
    EXPECT_EQ(FormatText("%d", {-5}), "5");
    EXPECT_EQ(FormatText("%d+", {-5}), "-5");
    EXPECT_EQ(FormatText("%d+", {5}), "+5");
    EXPECT_EQ(FormatText("%d+3", {5}), " +5");
    EXPECT_EQ(FormatText("%d+3", {-5}), " -5");
    EXPECT_EQ(FormatText("[%d-]", {5}), "[5]");
    EXPECT_EQ(FormatText("[%d-3]", {5}), "[  5]");
    EXPECT_EQ(FormatText("%d-3", {-5}), " -5");
    EXPECT_EQ(FormatText("%d+2", {-55}), "55");  // no fill position left for the sign
    EXPECT_EQ(FormatText("%d3", {0}), "  0");
    EXPECT_EQ(FormatText("%d3", {1234}), "234");
    EXPECT_EQ(FormatText("%d2", {1005}), "05");
    EXPECT_EQ(FormatText("%d+", {INT32_MIN}), "-2147483648");
    EXPECT_EQ(FormatText("%d123", {7}), std::string(11, ' ') + "73");  // a third digit is text
    EXPECT_EQ(FormatText("%u5", {42u}), "   42");
    EXPECT_EQ(FormatText("%u+", {-1}), "4294967295+");  // %u takes no sign flag
    EXPECT_EQ(FormatText("%t", {UINT64_MAX}), "18446744073709551615");
    EXPECT_EQ(FormatText("%t4", {uint64_t{1} << 40}), "7776");
}

TEST(FormatTextTest, FixedDigitConversionsKeepTheLowestDigits) {
    EXPECT_EQ(FormatText("%x8", {0x1F00}), "00001F00");
    EXPECT_EQ(FormatText("[%x][%z][%o]", {0x1F00, 5, 8}), "[][][]");
    EXPECT_EQ(FormatText("%x4", {0xABCDEF12u}), "EF12");
    EXPECT_EQ(FormatText("%x8", {-1}), "FFFFFFFF");
    EXPECT_EQ(FormatText("%z2", {2002}), "02");
    EXPECT_EQ(FormatText("%o3/%o2", {8, 0777}), "010/77");
}

// Fraction digits are cut, never rounded; the integer part is exact even
// where the value is beyond 64 bits.
TEST(FormatTextTest, FloatingPoint) {
    EXPECT_EQ(FormatText("%f8.2", {3.14159}), std::string(7, ' ') + "3.14");
    EXPECT_EQ(FormatText("%f.2", {2.999}), "2.99");
    EXPECT_EQ(FormatText("%f.3", {1.0}), "1.000");
    EXPECT_EQ(FormatText("%f", {3.5}), "3.");
    EXPECT_EQ(FormatText("%f.2", {-3.75}), "3.75");
    EXPECT_EQ(FormatText("%f+.2", {-0.5}), "-0.50");
    EXPECT_EQ(FormatText("%f+5.1", {-3.75}), "   -3.7");
    EXPECT_EQ(FormatText("%f-3.1", {3.75}), "  3.7");
    EXPECT_EQ(FormatText("%f2.1", {12345.5}), "45.5");
    EXPECT_EQ(FormatText("%f.20", {0.1}), "0.10000000000000000555");
    EXPECT_EQ(FormatText("%f", {1e23}), "99999999999999991611392.");
    const std::string largest = FormatText("%f", {DBL_MAX});
    EXPECT_EQ(largest.size(), 310u);
    EXPECT_EQ(largest.substr(0, 17), "17976931348623157");
    EXPECT_EQ(FormatText("%f.3", {5}), "5.000");
}

TEST(FormatTextTest, TextsAndCharacters) {
    EXPECT_EQ(FormatText("[%s3]", {"ab"}), "[ab ]");
    EXPECT_EQ(FormatText("[%s3]", {"abcd"}), "[abc]");
    EXPECT_EQ(FormatText("[%s]", {std::string("a%db")}), "[a%db]");
    EXPECT_EQ(FormatText("%c%c%%", {'A', "BC"}), "AB%");
}

// Full-width output: ASCII becomes two-byte characters, "-" the low line,
// double-byte characters pass unchanged, and the %S width counts characters.
TEST(FormatTextTest, UpperCaseConvertsToFullWidth) {
    EXPECT_EQ(FormatText("%S", {"ab"}), "\x82\x81\x82\x82");
    EXPECT_EQ(FormatText("%S3", {"ab"}), "\x82\x81\x82\x82\x81\x40");
    EXPECT_EQ(FormatText("%S2", {"\x82\xA0xyz"}), "\x82\xA0\x82\x98");
    EXPECT_EQ(FormatText("%D+3", {-5}), "\x81\x40\x81\x51\x82\x54");
    EXPECT_EQ(FormatText("%X2%lO2", {0xAB, 8}), "\x82\x60\x82\x61\x82\x50\x82\x4F");
    EXPECT_EQ(FormatText("%F.1", {1.5}), "\x82\x50\x81\x44\x82\x54");
    EXPECT_EQ(FormatText("%s", {"\xB1-"}), "\xB1-");  // half-width kana stay
    EXPECT_EQ(FormatText("%S", {"\xB1-"}), "\xB1\x81\x51");
}

// A typo in the built-in table would show a wrong character; the system's
// converter gives the reference codes for the same Unicode characters.
TEST(FormatTextTest, FullWidthTableMatchesTheSystemConverter) {
    std::string ascii;
    std::u32string expected;
    for (char32_t byte = 0x20; byte <= 0x7E; ++byte) {
        ascii += static_cast<char>(byte);
        char32_t wide = byte == ' ' ? 0x3000 : byte - 0x21 + 0xFF01;
        if (byte == '-') wide = 0xFF3F;
        if (byte == '\\') wide = 0xFFE5;
        if (byte == '~') wide = 0xFFE3;
        if (byte == '"') wide = 0x201D;
        if (byte == '\'') wide = 0x2019;
        expected += wide;
    }
    std::string utf8;
    for (char32_t wide : expected) {
        if (wide < 0x800) {
            utf8 += static_cast<char>(0xC0 | (wide >> 6));
        } else {
            utf8 += static_cast<char>(0xE0 | (wide >> 12));
            utf8 += static_cast<char>(0x80 | ((wide >> 6) & 0x3F));
        }
        utf8 += static_cast<char>(0x80 | (wide & 0x3F));
    }
    iconv_t converter = iconv_open("CP932", "UTF-8");
    ASSERT_NE(converter, reinterpret_cast<iconv_t>(-1));
    std::array<char, 400> reference{};
    char* input = utf8.data();
    size_t inputLeft = utf8.size();
    char* output = reference.data();
    size_t outputLeft = reference.size();
    ASSERT_NE(iconv(converter, &input, &inputLeft, &output, &outputLeft), static_cast<size_t>(-1));
    iconv_close(converter);
    EXPECT_EQ(FormatText("%S", {ascii}),
              std::string(reference.data(), reference.size() - outputLeft));
}

// Any other letter writes nothing and takes no argument; the "l" forms equal
// the plain ones.
TEST(FormatTextTest, UnknownLettersAndLongForms) {
    EXPECT_EQ(FormatText("%q%d|%C%d", {4, 5}), "4|5");
    EXPECT_EQ(FormatText("%lz3", {7}), "z3");
    EXPECT_EQ(FormatText("%ld+%lu%lx2%lo2%lo", {-1, 2u, 255, 9, 1}), "-12FF11");
    EXPECT_EQ(FormatText("100%", {}), "100");
    EXPECT_EQ(FormatText("%\x82\xA0x", {}), "x");
}

TEST(FormatTextTest, MissingAndMismatchedArguments) {
    EXPECT_EQ(FormatText("[%d][%s][%f.1][%z2]", {}), "[0][][0.0][00]");
    EXPECT_EQ(FormatText("%d %s %d", {"text", 12, 3.9}), "0  3");
    EXPECT_EQ(FormatText("%d", {int64_t{0x100000007}}), "7");
    EXPECT_EQ(FormatText("%f.1 %f.1", {-2, uint64_t{3}}), "2.0 3.0");
}

TEST(FormatTextTest, ReturnAppendsToTheTextInTheBuffer) {
    char buffer[32] = "slot ";
    EXPECT_EQ(FormatText(buffer, "%r%z2", {3}), 0);
    EXPECT_STREQ(buffer, "slot 03");
    FormatText(buffer, "%r: %s", {"empty"});
    EXPECT_STREQ(buffer, "slot 03: empty");
    FormatText(buffer, "new", {});
    EXPECT_STREQ(buffer, "new");
}

// The buffer's size is a hard limit: the text is cut, stays terminated, and
// never ends in the first half of a double-byte character.
TEST(FormatTextTest, LongResultsAreCutInsideTheBuffer) {
    std::array<char, 16> guarded;
    guarded.fill('#');
    const std::span<char> out(guarded.data() + 4, 8);
    FormatText(out, "%s", {std::string(10000, 'x')});
    EXPECT_STREQ(out.data(), "xxxxxxx");
    EXPECT_EQ(std::string(guarded.data(), 4), "####");
    EXPECT_EQ(std::string(guarded.data() + 12, 4), "####");

    FormatText(out, "%S", {"abcd"});
    EXPECT_STREQ(out.data(), "\x82\x81\x82\x82\x82\x83");
    FormatText(out, "abcdef\x82\xA0", {});
    EXPECT_STREQ(out.data(), "abcdef");

    char full[4] = {'a', 'b', 'c', 'd'};  // no terminator for %r to find
    FormatText(full, "%rxyz", {});
    EXPECT_STREQ(full, "abc");

    FormatText(std::span<char>(guarded.data(), 0), "abc", {});
    EXPECT_EQ(guarded[0], '#');

    const std::string longText(5000, 'y');
    EXPECT_EQ(FormatText("%s%s99", {longText, "z"}), longText + "z" + std::string(98, ' '));
}

}  // namespace
