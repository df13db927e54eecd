// .crx reading: writer -> reader round trips over both schemes, every row
// filter and palettes; hand-made streams for each LZ copy form; and hostile
// files that must fail cleanly instead of reading or writing out of bounds.

#include "kitshift/crx_decoder.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sample/pc_title/crx_writer.h"

namespace {

using formats::ByteVector;
using kitshift::CrxScheme;
using kitshift::DecodeCrx;
using kitshift::SourcePicture;
using pc_title::CrxSource;
using pc_title::CrxWriteOptions;
using pc_title::CrxWriteScheme;
using pc_title::WriteCrx;

// Busy texture with flat stretches, so that filters, runs and copies all
// have something to do.
CrxSource MakeTrueColour(uint16_t width, uint16_t height) {
    CrxSource source;
    source.width = width;
    source.height = height;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            bool flat = (x / 4 + y) % 3 == 0;
            source.pixels.push_back(flat ? 40 : static_cast<uint8_t>(x * 37 + y * 11));
            source.pixels.push_back(flat ? 40 : static_cast<uint8_t>(x * x + y * 3));
            source.pixels.push_back(flat ? 200 : static_cast<uint8_t>(255 - x * 7 - y));
        }
    return source;
}

CrxSource MakeIndexed(uint16_t width, uint16_t height) {
    CrxSource source;
    source.width = width;
    source.height = height;
    for (int i = 0; i < 7; ++i)
        source.palette.push_back({static_cast<uint8_t>(i * 30), static_cast<uint8_t>(i + 1),
                                  static_cast<uint8_t>(250 - i)});
    for (uint32_t i = 0; i < uint32_t{width} * height; ++i)
        source.pixels.push_back(static_cast<uint8_t>((i / 3) % 7));
    return source;
}

ByteVector ExpectedBgr(const CrxSource& source) {
    if (source.palette.empty()) return source.pixels;
    ByteVector bgr;
    for (uint8_t index : source.pixels)
        bgr.insert(bgr.end(), source.palette[index].begin(), source.palette[index].end());
    return bgr;
}

ByteVector Write(const CrxSource& source, CrxWriteOptions options) {
    ByteVector file;
    std::string error;
    EXPECT_TRUE(WriteCrx(source, options, &file, &error)) << error;
    return file;
}

void ExpectRoundTrip(const CrxSource& source, const CrxWriteOptions& options) {
    ByteVector file = Write(source, options);
    SourcePicture picture;
    std::string error;
    ASSERT_TRUE(DecodeCrx(file, &picture, &error)) << error;
    EXPECT_EQ(picture.width, source.width);
    EXPECT_EQ(picture.height, source.height);
    EXPECT_EQ(picture.bitsPerPixel, source.palette.empty() ? 24u : 8u);
    EXPECT_EQ(picture.scheme,
              options.scheme == CrxWriteScheme::Zlib ? CrxScheme::Zlib : CrxScheme::Lz);
    EXPECT_EQ(picture.pixels, ExpectedBgr(source));
}

// A zlib-scheme 24-bit file around hand-made inflated bytes.
ByteVector ZlibFile(uint16_t width, uint16_t height, const ByteVector& raw) {
    ByteVector file(8, 0);
    formats::AppendLe16(file, width);
    formats::AppendLe16(file, height);
    formats::AppendLe16(file, 2);
    formats::AppendLe16(file, 0);
    formats::AppendLe32(file, 0);
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    ByteVector packed(size);
    EXPECT_EQ(compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
    file.insert(file.end(), packed.begin(), packed.begin() + size);
    return file;
}

ByteVector DecodeOk(const ByteVector& file) {
    SourcePicture picture;
    std::string error;
    EXPECT_TRUE(DecodeCrx(file, &picture, &error)) << error;
    return picture.pixels;
}

class ZlibFilterTest : public testing::TestWithParam<int> {};

TEST_P(ZlibFilterTest, EveryFilterDecodesHandMadeRowsAndRoundTrips) {
    // 2 x 2 pixels, stride 8. The first row, filter 0, stores its first
    // pixel and then differences to the pixel on its left:
    // (10, 20, 30) (200, 5, 250). The second row, (12, 34, 56) (100, 150, 3),
    // is stored under the filter of this case; sums wrap at 256.
    const ByteVector firstRow = {0, 10, 20, 30, 190, 241, 220, 0, 0};
    const ByteVector secondRow[] = {
        {0, 12, 34, 56, 88, 116, 203, 0, 0},  // minus the pixel on the left
        {1, 2, 14, 26, 156, 145, 9, 0, 0},    // minus the pixel above
        {2, 12, 34, 56, 90, 130, 229, 0, 0},  // minus the pixel above-left
        {3, 68, 29, 62, 100, 150, 3, 0, 0},   // minus the pixel above-right
        {4, 12, 100, 34, 150, 56, 56, 1},     // plane by plane; red: 56 and a run of 1
    };
    ByteVector raw = firstRow;
    raw.insert(raw.end(), secondRow[GetParam()].begin(), secondRow[GetParam()].end());
    ByteVector expected = {10, 20, 30, 200, 5, 250, 12, 34, 56, 100, 150, 3};
    if (GetParam() == 4) expected[11] = 56;
    EXPECT_EQ(DecodeOk(ZlibFile(2, 2, raw)), expected);

    CrxWriteOptions options;
    options.rowFilters = {static_cast<uint8_t>(GetParam())};
    // Width 5 leaves a padded stride; the first row has no row above.
    ExpectRoundTrip(MakeTrueColour(5, 6), options);
    ExpectRoundTrip(MakeTrueColour(1, 3), options);
    ExpectRoundTrip(MakeTrueColour(64, 9), options);
}

INSTANTIATE_TEST_SUITE_P(Filters, ZlibFilterTest, testing::Values(0, 1, 2, 3, 4));

TEST(CrxDecoder, MixedFiltersAndPalettesRoundTrip) {
    CrxWriteOptions mixed;
    mixed.rowFilters = {4, 0, 3, 1, 2, 4, 4};
    ExpectRoundTrip(MakeTrueColour(33, 20), mixed);
    // A palette picture of width 5 reads 8 bytes per row.
    ExpectRoundTrip(MakeIndexed(5, 4), CrxWriteOptions{});
    ExpectRoundTrip(MakeIndexed(200, 3), CrxWriteOptions{});
}

TEST(CrxDecoder, LzSchemeRoundTrips) {
    CrxWriteOptions lz;
    lz.scheme = CrxWriteScheme::Lz;
    ExpectRoundTrip(MakeTrueColour(1, 1), lz);
    ExpectRoundTrip(MakeTrueColour(7, 5), lz);
    // Long enough that copies reach far back and the window wraps.
    ExpectRoundTrip(MakeTrueColour(300, 120), lz);
    ExpectRoundTrip(MakeIndexed(5, 4), lz);
    ExpectRoundTrip(MakeIndexed(400, 250), lz);
}

// An LZ-scheme 24-bit file of the given size around a hand-made stream.
ByteVector LzFile(uint16_t width, uint16_t height, const ByteVector& stream) {
    ByteVector file(8, 0);
    formats::AppendLe16(file, width);
    formats::AppendLe16(file, height);
    formats::AppendLe16(file, 1);
    formats::AppendLe16(file, 0);
    formats::AppendLe32(file, 0);
    file.insert(file.end(), stream.begin(), stream.end());
    return file;
}

TEST(CrxDecoder, EachLzCopyFormDecodes) {
    // 0xC0 form: length 17 at distance 1 repeats the last byte.
    EXPECT_EQ(DecodeOk(LzFile(6, 1, {0x01, 7, 0xF4, 0x01})), ByteVector(18, 7));
    // Short form with low bits 0: the distance comes from the next byte.
    EXPECT_EQ(DecodeOk(LzFile(2, 1, {0x07, 1, 2, 3, 0xA0, 0x03})), (ByteVector{1, 2, 3, 1, 2, 3}));
    // Short form with the distance inside the code.
    EXPECT_EQ(DecodeOk(LzFile(2, 1, {0x07, 1, 2, 3, 0xA3})), (ByteVector{1, 2, 3, 1, 2, 3}));
    // 0x7F form: 16-bit length - 2, then 16-bit distance.
    EXPECT_EQ(DecodeOk(LzFile(3, 1, {0x07, 9, 8, 7, 0x7F, 0x04, 0x00, 0x03, 0x00})),
              (ByteVector{9, 8, 7, 9, 8, 7, 9, 8, 7}));
    // Codes up to 0x7E: length code + 4, 16-bit distance.
    EXPECT_EQ(DecodeOk(LzFile(3, 1, {0x07, 9, 8, 7, 0x02, 0x03, 0x00})),
              (ByteVector{9, 8, 7, 9, 8, 7, 9, 8, 7}));
    // A copy running past the last row ends with the picture.
    EXPECT_EQ(DecodeOk(LzFile(1, 2, {0x01, 5, 0xFC, 0x01})), ByteVector(6, 5));
}

TEST(CrxDecoder, RunLengthCountsAreTakenAsWritten) {
    // Blue: a count of 0 sets one pixel and consumes three bytes. Red: a count
    // past the row's end stops at the end.
    ByteVector raw = {4, 10, 10, 0, 20, 1, 2, 3, 3, 5};
    EXPECT_EQ(DecodeOk(ZlibFile(2, 1, raw)), (ByteVector{10, 1, 3, 20, 2, 3}));
    // The last pixel of a plane never starts a run: the blue plane's last 5
    // and the green plane's first 5 are two pixels.
    raw = {4, 1, 5, 5, 7, 8, 9};
    EXPECT_EQ(DecodeOk(ZlibFile(2, 1, raw)), (ByteVector{1, 5, 8, 5, 7, 9}));
}

TEST(CrxDecoder, PaletteIndexPastTheEntriesIsBlack) {
    CrxSource source = MakeIndexed(4, 1);
    source.pixels = {0, 200, 200, 0};  // the palette has 7 entries
    ByteVector file = Write(source, CrxWriteOptions{});
    SourcePicture picture;
    ASSERT_TRUE(DecodeCrx(file, &picture, nullptr));
    EXPECT_EQ(picture.pixels[0], source.palette[0][0]);
    EXPECT_EQ(picture.pixels[3], 0);
    EXPECT_EQ(picture.pixels[4], 0);
    EXPECT_EQ(picture.pixels[5], 0);
}

void ExpectRejected(const ByteVector& file, const char* what) {
    SourcePicture picture;
    picture.width = 99;
    std::string error;
    EXPECT_FALSE(DecodeCrx(file, &picture, &error)) << what;
    EXPECT_FALSE(error.empty()) << what;
    EXPECT_EQ(picture.width, 99u) << what << ": output touched on failure";
}

TEST(CrxDecoder, HostileFilesFailCleanly) {
    ExpectRejected(ByteVector(10, 0), "short header");
    ExpectRejected(LzFile(0, 4, {0xFF, 1, 2, 3}), "width 0");
    ExpectRejected(LzFile(4, 0, {0xFF, 1, 2, 3}), "height 0");
    ExpectRejected(LzFile(65535, 65535, {0xFF, 1}), "absurd size");
    ExpectRejected(LzFile(2, 1, {0x01, 1, 0x82}), "copy before the start");
    ExpectRejected(LzFile(2, 1, {0x01, 1, 0x00, 0x00, 0x00}),
                   "distance 0 reaches a full window back");
    ExpectRejected(LzFile(2, 1, {0x07, 1, 2, 3}), "stream ends early");
    ExpectRejected(LzFile(2, 1, {0x07, 1, 2, 3, 0xC0}), "truncated copy code");
    ExpectRejected(ZlibFile(2, 1, {5, 1, 2, 3, 4, 5, 6, 0, 0}), "filter 5");
    ExpectRejected(ZlibFile(2, 2, {0, 1, 2, 3, 4, 5, 6, 0, 0}), "rows beyond the data");
    ExpectRejected(ZlibFile(2, 1, {4, 1, 1}), "run-length row cut short");

    ByteVector file = Write(MakeTrueColour(8, 8), CrxWriteOptions{});
    ByteVector broken = file;
    broken[22] ^= 0xFF;  // inside the zlib stream
    broken.resize(broken.size() - 4);
    ExpectRejected(broken, "zlib stream that does not inflate");
    ByteVector palette = Write(MakeIndexed(4, 4), CrxWriteOptions{});
    formats::StoreLe32(palette.data() + 16, 0x40000000);
    ExpectRejected(palette, "palette past the end of the file");
}

// Every cut and many single-byte changes of valid files must decode or fail
// without touching memory outside the buffers (checked under the sanitizers).
TEST(CrxDecoder, DamagedFilesNeverOverrun) {
    CrxWriteOptions lz;
    lz.scheme = CrxWriteScheme::Lz;
    CrxWriteOptions zlib;
    zlib.rowFilters = {0, 1, 2, 3, 4};
    for (const ByteVector& file : {Write(MakeTrueColour(9, 7), lz), Write(MakeIndexed(9, 7), lz),
                                   Write(MakeTrueColour(9, 7), zlib)}) {
        SourcePicture picture;
        for (size_t size = 0; size < file.size(); ++size)
            DecodeCrx(ByteVector(file.begin(), file.begin() + size), &picture, nullptr);
        for (size_t at = 8; at < file.size(); ++at)
            for (uint8_t value : {0x00, 0x7F, 0xC3, 0xFF}) {
                ByteVector changed = file;
                changed[at] = value;
                if (DecodeCrx(changed, &picture, nullptr)) {
                    EXPECT_EQ(picture.pixels.size(), size_t{picture.width} * picture.height * 3);
                }
            }
    }
}

TEST(CrxWriter, RefusesInconsistentSources) {
    ByteVector file;
    CrxSource source = MakeTrueColour(4, 4);
    source.pixels.pop_back();
    EXPECT_FALSE(WriteCrx(source, CrxWriteOptions{}, &file, nullptr));
    CrxWriteOptions badFilter;
    badFilter.rowFilters = {5};
    EXPECT_FALSE(WriteCrx(MakeTrueColour(4, 4), badFilter, &file, nullptr));
    EXPECT_TRUE(file.empty());
}

}  // namespace
