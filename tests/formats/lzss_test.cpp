#include "formats/lzss.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& source) {
    Bytes out(source.size() * 2);
    int64_t written = formats::LzssEncode(out, source);
    EXPECT_GE(written, 0);
    out.resize(static_cast<size_t>(written));
    return out;
}

Bytes Decode(const Bytes& stream, size_t size) {
    Bytes out(size);
    out.resize(formats::LzssDecode(out, stream));
    return out;
}

Bytes TextLike(size_t size) {
    const std::string words[] = {"the ",   "ring ", "buffer ",          "slides ", "over ",
                                 "text; ", "\r\n",  "GameData\\char\\", "back",    ".rbp "};
    std::mt19937 generator(7);
    Bytes out;
    while (out.size() < size) {
        const std::string& word = words[generator() % std::size(words)];
        out.insert(out.end(), word.begin(), word.end());
    }
    out.resize(size);
    return out;
}

// Smooth gradients with a little noise and flat runs, like converted pictures.
Bytes PictureLike(size_t size) {
    std::mt19937 generator(11);
    Bytes out(size);
    for (size_t i = 0; i < size; ++i) {
        size_t x = i % 640;
        out[i] = static_cast<uint8_t>((x / 3 + (i / 640) / 2 + (generator() % 3)) & 0xFF);
        if ((i / 4096) % 3 == 0) out[i] = 0xF8;
    }
    return out;
}

// Decodes while remembering which ring positions the stream has written, and
// fails on a reference that reads one of 2031..2047 before it was written:
// those bytes are not defined by the format.
void ExpectNoReferenceToUnwrittenRing(const Bytes& stream) {
    std::array<bool, 2048> written{};
    for (int i = 0; i < formats::kLzssRingStart; ++i) written[i] = true;
    size_t r = formats::kLzssRingStart;
    size_t in = 0;
    while (in < stream.size()) {
        unsigned flags = stream[in++];
        for (int bit = 0; bit < 8 && in < stream.size(); ++bit, flags >>= 1) {
            if (flags & 1) {
                ++in;
                written[r] = true;
                r = (r + 1) % 2048;
                continue;
            }
            ASSERT_LT(in + 1, stream.size());
            size_t position = stream[in] | ((stream[in + 1] & 0xF0) << 4);
            size_t length = (stream[in + 1] & 0x0F) + 2;
            in += 2;
            for (size_t k = 0; k < length; ++k) {
                ASSERT_TRUE(written[(position + k) % 2048])
                    << "reference to unwritten ring byte " << (position + k) % 2048;
                written[r] = true;
                r = (r + 1) % 2048;
            }
        }
    }
}

TEST(Lzss, RoundTripsTextZerosRandomAndPictures) {
    for (size_t size : {1u, 2u, 16u, 17u, 18u, 33u, 2047u, 2048u, 2049u, 70000u}) {
        const Bytes inputs[] = {TextLike(size), Bytes(size, 0),
                                testing_support::RandomBytes(size, 3), PictureLike(size)};
        for (const Bytes& source : inputs) {
            Bytes stream = Encode(source);
            ASSERT_LE(stream.size(), source.size() * 9 / 8 + 1) << "size " << size;
            EXPECT_EQ(Decode(stream, source.size()), source) << "size " << size;
            ExpectNoReferenceToUnwrittenRing(stream);
        }
    }
}

TEST(Lzss, EncoderOutputIsFixedByteForByte) {
    // One literal in a group of its own.
    EXPECT_EQ(Encode({'a'}), (Bytes{0x01, 'a'}));
    // 40 zeros: a full match against the zeroed ring at 2014, then a match one
    // byte behind the ring position repeating the last byte 17 times, then the
    // six bytes left, matched at the most recent position.
    EXPECT_EQ(Encode(Bytes(40, 0)), (Bytes{0x00, 0xDE, 0x7F, 0xFF, 0x7F, 0x10, 0x04}));
    // A literal 'a', then a 17-byte reference to it at 2031 (0x7EF).
    Bytes as = Encode(Bytes(20, 'a'));
    ASSERT_GE(as.size(), 4u);
    EXPECT_EQ((Bytes{as.begin(), as.begin() + 4}), (Bytes{0x01, 'a', 0xEF, 0x7F}));
    EXPECT_EQ(Decode(as, 20), Bytes(20, 'a'));
    // Nine distinct letters fill a group of eight literals (flags 0xFF) and
    // open a second; then "\0\0\0abcd" is found at 2028, where the ring's
    // last three zeros run into the letters written at 2031: position 0x7EC,
    // length 7 - 2 = 5 in the low nibble.
    const Bytes letters = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i',          // nine literals
                           0,   0,   0,   'a', 'b', 'c', 'd'};                   // one reference
    const Bytes lettersStream = {0xFF, 'a', 'b',  'c', 'd', 'e', 'f', 'g', 'h',  // literals
                                 0x01, 'i', 0xEC, 0x75};  // a literal and a reference
    EXPECT_EQ(Encode(letters), lettersStream);
    EXPECT_EQ(Decode(lettersStream, letters.size()), letters);
    // Three literals, then a reference back to the first one that overlaps
    // what it writes: flags 0b0111, position 0x7EF, length 9.
    const Bytes abc = {'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c'};
    EXPECT_EQ(Encode(abc), (Bytes{0x07, 'a', 'b', 'c', 0xEF, 0x77}));
    // "ab" at 2037 matches 2031 and 2034 equally; the match met first in the
    // search, the older one, is sent. Flags 0b1010111.
    const Bytes ties = {'a', 'b', 'X', 'a', 'b', 'Y', 'a', 'b', 'Z'};
    EXPECT_EQ(Encode(ties), (Bytes{0x57, 'a', 'b', 'X', 0xEF, 0x70, 'Y', 0xEF, 0x70, 'Z'}));
}

TEST(Lzss, EmptySourceIsRefused) {
    Bytes out(4);
    EXPECT_EQ(formats::LzssEncode(out, {}), -1);
}

TEST(Lzss, ReferenceOneByteBehindRepeatsThatByte) {
    // Literal 'x' lands at 2031; a reference to 2031 of length 17 reads the
    // bytes it is producing and yields 'x' 17 more times.
    Bytes stream = {0x01, 'x', 0xEF, 0x7F};
    EXPECT_EQ(Decode(stream, 100), Bytes(18, 'x'));
    // The ring wraps: those 18 bytes fill 2031..2047 and 0, 'y' goes to 1, and
    // a reference to 0 of length 2 reads back "xy" rather than the zeros the
    // ring started with.
    Bytes wrapped = {0x05, 'x', 0xEF, 0x7F, 'y', 0x00, 0x00};
    Bytes expected(21, 'x');
    expected[18] = expected[20] = 'y';
    EXPECT_EQ(Decode(wrapped, 100), expected);
    // Outside the written bytes the ring holds zeros: position 0x100 (high
    // nibble 1), length 3.
    EXPECT_EQ(Decode({0x01, 'z', 0x00, 0x11}, 100), (Bytes{'z', 0, 0, 0}));
}

TEST(Lzss, DecoderStopsAtTheEndOfAShortStream) {
    // A flag byte announcing eight literals but only two present.
    EXPECT_EQ(Decode({0xFF, 'a', 'b'}, 100), (Bytes{'a', 'b'}));
    // A reference cut after its first byte yields nothing for it.
    EXPECT_EQ(Decode({0x01, 'a', 0xEF}, 100), (Bytes{'a'}));
    // A lone flag byte decodes to nothing.
    EXPECT_TRUE(Decode({0x00}, 100).empty());
}

TEST(Lzss, DecoderNeverWritesPastItsDestination) {
    // Eight 17-byte references promise 136 bytes; the destination holds 10.
    Bytes stream = {0x00};
    for (int i = 0; i < 8; ++i) {
        stream.push_back(0x00);
        stream.push_back(0x0F);
    }
    std::vector<uint8_t> guarded(10 + 16, 0xAA);
    size_t produced = formats::LzssDecode(std::span<uint8_t>(guarded.data(), 10), stream);
    EXPECT_EQ(produced, 10u);
    for (size_t i = 10; i < guarded.size(); ++i) EXPECT_EQ(guarded[i], 0xAA);
    EXPECT_LE(136u, formats::LzssMaxDecodedSize(stream.size()));
}

}  // namespace
