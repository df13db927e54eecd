// Conversion to the output format (stereo, 16-bit, 22050 Hz).

#include "engine/sound/pcm_convert.h"

#include <gtest/gtest.h>

#include <vector>

#include "sound_fakes.h"

namespace {

using sound::ConvertedSize;
using sound::ConvertToOutput;
using sound_test::SampleBytes;

std::vector<int16_t> Convert(const std::vector<int16_t>& samples, uint32_t channels,
                             uint32_t rate) {
    std::vector<uint8_t> source = SampleBytes(samples);
    std::vector<uint8_t> out(ConvertedSize(source.size(), channels, rate), 0xEE);
    size_t written = ConvertToOutput(source, channels, rate, out);
    EXPECT_EQ(written, out.size());
    std::vector<int16_t> result(out.size() / 2);
    for (size_t i = 0; i < result.size(); ++i) {
        result[i] = static_cast<int16_t>(formats::ReadLe16(out, 2 * i));
    }
    return result;
}

TEST(PcmConvertTest, OutputSizeFollowsChannelsAndRate) {
    EXPECT_EQ(ConvertedSize(1000, 1, 44100), 1000u);
    EXPECT_EQ(ConvertedSize(1000, 1, 22050), 2000u);
    EXPECT_EQ(ConvertedSize(1000, 2, 44100), 500u);
    EXPECT_EQ(ConvertedSize(1000, 2, 22050), 1000u);
    // Other rates are not resampled.
    EXPECT_EQ(ConvertedSize(1000, 2, 48000), 1000u);
    EXPECT_EQ(ConvertedSize(1000, 1, 32000), 2000u);
}

TEST(PcmConvertTest, StereoAt22050IsCopiedAndMonoIsDuplicated) {
    std::vector<int16_t> stereo = {1, -2, 300, -32768, 32767, 5};
    EXPECT_EQ(Convert(stereo, 2, 22050), stereo);
    EXPECT_EQ(Convert({7, -9, 32767}, 1, 22050),
              (std::vector<int16_t>{7, 7, -9, -9, 32767, 32767}));
}

// Each input sample is halved before the sum, truncating toward zero, so two
// samples of -1 average to 0 and two full-scale samples cannot overflow.
TEST(PcmConvertTest, At44100PairsAreAveragedHalvingFirst) {
    EXPECT_EQ(Convert({-1, -1, 32767, 32767, 3, 4, -5, -7}, 1, 44100),
              (std::vector<int16_t>{0, 0, 32766, 32766, 3, 3, -5, -5}));
    // Stereo: left = in0/2 + in2/2, right = in3/2 + in1/2.
    EXPECT_EQ(Convert({10, 100, 21, 301, -3, -3, -3, -3}, 2, 44100),
              (std::vector<int16_t>{15, 200, -2, -2}));
}

TEST(PcmConvertTest, OtherRatesAreCopiedSampleForSample) {
    EXPECT_EQ(Convert({1, 2, 3, 4}, 2, 11025), (std::vector<int16_t>{1, 2, 3, 4}));
    EXPECT_EQ(Convert({1, 2}, 1, 48000), (std::vector<int16_t>{1, 1, 2, 2}));
}

// A short output or a ragged input ends the conversion at the last whole
// frame on either side; nothing beyond either buffer is touched.
TEST(PcmConvertTest, StaysInsideBothBuffers) {
    std::vector<uint8_t> source = SampleBytes({1, 2, 3, 4, 5, 6, 7, 8});
    std::vector<uint8_t> out(10, 0xEE);
    EXPECT_EQ(ConvertToOutput(std::span(source).first(6), 1, 22050, out), 8u);
    EXPECT_EQ(out[8], 0xEE);
    EXPECT_EQ(out[9], 0xEE);
    EXPECT_EQ(ConvertToOutput(std::span(source).first(7), 2, 44100, out), 0u);
    out.assign(10, 0xEE);
    EXPECT_EQ(ConvertToOutput(std::span(source), 2, 22050, std::span(out).first(5)), 5u);
    EXPECT_EQ(out[5], 0xEE);
}

}  // namespace
