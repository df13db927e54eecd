#include "common/acm_convert.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "test_support.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

namespace {

using common::AcmConvert;
using common::WaveFormat;

WaveFormat Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
    WaveFormat format;
    format.formatTag = common::kWaveFormatPcm;
    format.channels = channels;
    format.samplesPerSecond = rate;
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    format.averageBytesPerSecond = rate * format.blockAlign;
    return format;
}

WaveFormat Adpcm(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t blockAlign) {
    WaveFormat format;
    format.formatTag = tag;
    format.channels = channels;
    format.samplesPerSecond = rate;
    format.blockAlign = blockAlign;
    format.bitsPerSample = 4;
    return format;
}

// Interleaved 16-bit samples, the same sine in every channel.
std::vector<int16_t> Sine(size_t frames, uint16_t channels, double rate, double frequency,
                          double amplitude) {
    std::vector<int16_t> samples;
    for (size_t i = 0; i < frames; ++i) {
        double value = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate);
        for (uint16_t c = 0; c < channels; ++c) samples.push_back(static_cast<int16_t>(value));
    }
    return samples;
}

std::vector<uint8_t> Bytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

// Runs the conversion, checks the spare bytes are there, returns the bytes.
std::vector<uint8_t> Convert(const WaveFormat& source, const std::vector<uint8_t>& bytes,
                             const WaveFormat& destination, std::span<const uint8_t> extra = {}) {
    std::unique_ptr<uint8_t[]> buffer;
    uint32_t size = AcmConvert(source, extra, destination, bytes.data(),
                               static_cast<uint32_t>(bytes.size()), &buffer);
    if (size == 0) {
        EXPECT_EQ(buffer, nullptr);
        return {};
    }
    EXPECT_NE(buffer, nullptr);
    for (uint32_t i = 0; i < 16; ++i) EXPECT_EQ(buffer[size + i], 0) << "spare byte " << i;
    return std::vector<uint8_t>(buffer.get(), buffer.get() + size);
}

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    if (!samples.empty()) std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

std::vector<int16_t> Convert16(const WaveFormat& source, const std::vector<uint8_t>& bytes,
                               const WaveFormat& destination, std::span<const uint8_t> extra = {}) {
    return Samples(Convert(source, bytes, destination, extra));
}

double Rms(const std::vector<int16_t>& samples) {
    double squares = 0;
    for (int16_t sample : samples) squares += double(sample) * sample;
    return samples.empty() ? 0 : std::sqrt(squares / static_cast<double>(samples.size()));
}

int RisingZeroCrossings(const std::vector<int16_t>& samples) {
    int count = 0;
    for (size_t i = 1; i < samples.size(); ++i) count += samples[i - 1] < 0 && samples[i] >= 0;
    return count;
}

TEST(AcmConvertPcmTest, SampleWidthChangesMapExactly) {
    std::vector<uint8_t> eight = {0x80, 0xFF, 0x00, 0x81, 0x7F};
    EXPECT_EQ(Convert16(Pcm(1, 22050, 8), eight, Pcm(1, 22050, 16)),
              (std::vector<int16_t>{0, 0x7F00, -32768, 0x100, -0x100}));

    std::vector<uint8_t> sixteen = Bytes({0, 0x7F00, -32768, 0x7FFF, -0x100});
    EXPECT_EQ(Convert(Pcm(1, 22050, 16), sixteen, Pcm(1, 22050, 8)),
              (std::vector<uint8_t>{0x80, 0xFF, 0x00, 0xFF, 0x7F}));
}

TEST(AcmConvertPcmTest, ChannelChangesCopyAndAverage) {
    std::vector<int16_t> mono = {0, 1000, -20000, 32767, -32768};
    std::vector<int16_t> stereo = Convert16(Pcm(1, 22050, 16), Bytes(mono), Pcm(2, 22050, 16));
    ASSERT_EQ(stereo.size(), 2 * mono.size());
    for (size_t i = 0; i < mono.size(); ++i) {
        EXPECT_EQ(stereo[2 * i], mono[i]) << i;
        EXPECT_EQ(stereo[2 * i + 1], mono[i]) << i;
    }

    std::vector<int16_t> pairs = {1000, 3000, -4000, 0, 20000, 20000};
    std::vector<int16_t> averaged = Convert16(Pcm(2, 22050, 16), Bytes(pairs), Pcm(1, 22050, 16));
    ASSERT_EQ(averaged.size(), 3u);
    EXPECT_NEAR(averaged[0], 2000, 1);
    EXPECT_NEAR(averaged[1], -2000, 1);
    EXPECT_NEAR(averaged[2], 20000, 1);
}

TEST(AcmConvertPcmTest, DoublingTheRateDoublesTheCountAndKeepsThePitch) {
    std::vector<int16_t> sine = Sine(11025, 1, 11025, 441, 12000);
    std::vector<int16_t> out = Convert16(Pcm(1, 11025, 16), Bytes(sine), Pcm(1, 22050, 16));
    // The resampler's tail is flushed: nothing is lost at the end.
    EXPECT_NEAR(static_cast<double>(out.size()), 2.0 * sine.size(), 4);
    EXPECT_NEAR(RisingZeroCrossings(out), RisingZeroCrossings(sine), 1);
    EXPECT_NEAR(RisingZeroCrossings(out), 441, 2);

    // However short the sound, none of it is lost: N frames give 2N, give
    // or take the one the resampler may round off its last position, and
    // they carry the sound's level.
    for (uint32_t rate : {22050u, 11025u}) {
        for (size_t frames : {1, 2, 7, 16, 31}) {
            SCOPED_TRACE(testing::Message() << "rate " << rate << " frames " << frames);
            std::vector<int16_t> level(frames, 10000);
            std::vector<int16_t> doubled =
                Convert16(Pcm(1, rate, 16), Bytes(level), Pcm(1, 2 * rate, 16));
            EXPECT_NEAR(static_cast<double>(doubled.size()), 2.0 * frames, 1);
            EXPECT_GT(Rms(doubled), 5000);
        }
    }
}

TEST(AcmConvertPcmTest, ATrailingPartFrameIsDropped) {
    std::vector<uint8_t> bytes = Bytes({100, -100, 200, -200});
    bytes.push_back(0x55);  // half a 16-bit sample
    EXPECT_EQ(Convert16(Pcm(1, 22050, 16), bytes, Pcm(1, 22050, 16)),
              (std::vector<int16_t>{100, -100, 200, -200}));
    // Stereo: a whole left sample without its right one is no frame either.
    bytes.push_back(0x01);
    EXPECT_EQ(Convert16(Pcm(2, 22050, 16), bytes, Pcm(2, 22050, 16)),
              (std::vector<int16_t>{100, -100, 200, -200}));
}

TEST(AcmConvertPcmTest, LogarithmicAndFloatCodingsDecode) {
    WaveFormat aLaw = Pcm(1, 8000, 8);
    aLaw.formatTag = 6;
    EXPECT_EQ(Convert16(aLaw, {0xD5, 0x55}, Pcm(1, 8000, 16)), (std::vector<int16_t>{8, -8}));
    WaveFormat muLaw = aLaw;
    muLaw.formatTag = 7;
    EXPECT_EQ(Convert16(muLaw, {0xFF, 0x80}, Pcm(1, 8000, 16)), (std::vector<int16_t>{0, 32124}));
    WaveFormat floating = Pcm(1, 8000, 32);
    floating.formatTag = 3;
    float values[2] = {0.5f, -0.25f};
    std::vector<uint8_t> bytes(sizeof values);
    std::memcpy(bytes.data(), values, sizeof values);
    EXPECT_EQ(Convert16(floating, bytes, Pcm(1, 8000, 16)), (std::vector<int16_t>{16384, -8192}));
}

// A sound coded by the library's own ADPCM encoder, with the WAVE format
// and extra bytes a file of it would carry.
struct AdpcmSound {
    WaveFormat format;
    std::vector<uint8_t> extra;
    std::vector<uint8_t> bytes;
    uint32_t samplesPerBlock = 0;
    std::vector<int16_t> original;  // padded to whole blocks
};

AdpcmSound EncodeAdpcm(AVCodecID id, uint16_t channels, uint32_t rate,
                       std::vector<int16_t> samples) {
    AdpcmSound sound;
    const AVCodec* codec = avcodec_find_encoder(id);
    AVCodecContext* context = avcodec_alloc_context3(codec);
    context->sample_rate = static_cast<int>(rate);
    av_channel_layout_default(&context->ch_layout, channels);
    context->sample_fmt = codec->sample_fmts[0];
    EXPECT_EQ(avcodec_open2(context, codec, nullptr), 0);
    const int frameSize = context->frame_size;
    sound.samplesPerBlock = static_cast<uint32_t>(frameSize);
    size_t frames = samples.size() / channels;
    frames = (frames + frameSize - 1) / frameSize * frameSize;
    samples.resize(frames * channels, 0);
    sound.original = samples;

    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    bool planar = av_sample_fmt_is_planar(context->sample_fmt);
    auto drain = [&] {
        while (avcodec_receive_packet(context, packet) == 0) {
            EXPECT_EQ(packet->size, context->block_align);
            sound.bytes.insert(sound.bytes.end(), packet->data, packet->data + packet->size);
            av_packet_unref(packet);
        }
    };
    for (size_t start = 0; start < frames; start += frameSize) {
        frame->nb_samples = frameSize;
        frame->format = context->sample_fmt;
        av_channel_layout_copy(&frame->ch_layout, &context->ch_layout);
        EXPECT_EQ(av_frame_get_buffer(frame, 0), 0);
        for (int i = 0; i < frameSize; ++i) {
            for (int c = 0; c < channels; ++c) {
                int16_t value = samples[(start + i) * channels + c];
                if (planar) {
                    reinterpret_cast<int16_t*>(frame->data[c])[i] = value;
                } else {
                    reinterpret_cast<int16_t*>(frame->data[0])[i * channels + c] = value;
                }
            }
        }
        EXPECT_EQ(avcodec_send_frame(context, frame), 0);
        av_frame_unref(frame);
        drain();
    }
    avcodec_send_frame(context, nullptr);
    drain();

    sound.format =
        Adpcm(id == AV_CODEC_ID_ADPCM_MS ? common::kWaveFormatMsAdpcm : common::kWaveFormatImaAdpcm,
              channels, rate, static_cast<uint16_t>(context->block_align));
    EXPECT_EQ(context->bits_per_coded_sample, 4);
    sound.format.averageBytesPerSecond = rate * context->block_align / frameSize;
    if (context->extradata_size > 0) {
        // MS ADPCM: samples per block, coefficient count, coefficients.
        sound.extra.assign(context->extradata, context->extradata + context->extradata_size);
    } else {
        // IMA ADPCM carries its samples per block alone.
        sound.extra = {static_cast<uint8_t>(frameSize), static_cast<uint8_t>(frameSize >> 8)};
    }
    sound.format.extraSize = static_cast<uint16_t>(sound.extra.size());
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&context);
    return sound;
}

struct AdpcmCase {
    AVCodecID codec;
    uint16_t channels;
};

class AcmConvertAdpcmTest : public testing::TestWithParam<AdpcmCase> {
protected:
    static constexpr size_t kSineFrames = 5000;

    AdpcmSound Encode() {
        return EncodeAdpcm(GetParam().codec, GetParam().channels, 22050,
                           Sine(kSineFrames, GetParam().channels, 22050, 440, 10000));
    }
    WaveFormat Destination() const { return Pcm(GetParam().channels, 22050, 16); }
};

TEST_P(AcmConvertAdpcmTest, DecodesBackCloseToTheOriginal) {
    AdpcmSound sound = Encode();
    ASSERT_EQ(sound.bytes.size() % sound.format.blockAlign, 0u);
    ASSERT_TRUE(common::CanConvertFrom(sound.format));
    std::vector<int16_t> out = Convert16(sound.format, sound.bytes, Destination(), sound.extra);
    ASSERT_EQ(out.size(), sound.original.size());
    // The coders' step sizes take a few samples to grow to the sine, and the
    // jump into the zero padding after it is as slow: both are left out.
    const size_t channels = GetParam().channels;
    double squares = 0;
    int worst = 0;
    for (size_t i = 32 * channels; i < kSineFrames * channels; ++i) {
        int error = std::abs(out[i] - sound.original[i]);
        worst = std::max(worst, error);
        squares += double(error) * error;
    }
    EXPECT_LT(std::sqrt(squares / (kSineFrames * channels)), 120.0);
    EXPECT_LT(worst, 600);
}

TEST_P(AcmConvertAdpcmTest, ACutShortLastBlockDecodesItsWholeGroups) {
    AdpcmSound sound = Encode();
    std::vector<int16_t> full = Convert16(sound.format, sound.bytes, Destination(), sound.extra);
    const uint32_t channels = GetParam().channels;
    const bool ms = GetParam().codec == AV_CODEC_ID_ADPCM_MS;
    const uint32_t header = (ms ? 7 : 4) * channels;
    const uint32_t group = ms ? 1 : 4 * channels;
    const uint32_t groupFrames = ms ? 2 / channels : 8;
    const uint32_t headerFrames = ms ? 2 : 1;
    // One whole block, then three whole groups and a stray byte short of a fourth (MS ADPCM has
    // no stray bytes: every byte is a group).
    std::vector<uint8_t> cut(sound.bytes.begin(), sound.bytes.begin() + sound.format.blockAlign +
                                                      header + 3 * group + (ms ? 0 : 1));
    std::vector<int16_t> partial = Convert16(sound.format, cut, Destination(), sound.extra);
    size_t expectedFrames = sound.samplesPerBlock + headerFrames + 3 * groupFrames;
    ASSERT_EQ(partial.size(), expectedFrames * channels);
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), full.begin()));

    // Less than a block header holds no sample: the piece is dropped.
    cut.resize(sound.format.blockAlign + header - 1);
    EXPECT_EQ(Convert16(sound.format, cut, Destination(), sound.extra).size(),
              sound.samplesPerBlock * channels);
}

INSTANTIATE_TEST_SUITE_P(Codings, AcmConvertAdpcmTest,
                         testing::Values(AdpcmCase{AV_CODEC_ID_ADPCM_MS, 1},
                                         AdpcmCase{AV_CODEC_ID_ADPCM_MS, 2},
                                         AdpcmCase{AV_CODEC_ID_ADPCM_IMA_WAV, 1},
                                         AdpcmCase{AV_CODEC_ID_ADPCM_IMA_WAV, 2}));

TEST(AcmConvertAdpcmEdgeTest, ADamagedBlockIsLeftOut) {
    AdpcmSound sound =
        EncodeAdpcm(AV_CODEC_ID_ADPCM_MS, 1, 22050, Sine(6000, 1, 22050, 440, 10000));
    std::vector<int16_t> full =
        Convert16(sound.format, sound.bytes, Pcm(1, 22050, 16), sound.extra);
    ASSERT_EQ(sound.bytes.size() / sound.format.blockAlign, 3u);
    // A predictor index past the table's seven entries.
    sound.bytes[sound.format.blockAlign] = 0x40;
    std::vector<int16_t> out = Convert16(sound.format, sound.bytes, Pcm(1, 22050, 16), sound.extra);
    const size_t block = sound.samplesPerBlock;
    ASSERT_EQ(out.size(), 2 * block);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + block, full.begin()));
    EXPECT_TRUE(std::equal(out.begin() + block, out.end(), full.begin() + 2 * block));
}

TEST(AcmConvertAdpcmEdgeTest, OddBlockAlignsAndLengthsAreTrimmedToWholeGroups) {
    // IMA ADPCM, mono, 37-byte blocks: a 4-byte header and eight 4-byte
    // groups (65 samples); the 37th byte is trimmed from every block.
    WaveFormat ima = Adpcm(common::kWaveFormatImaAdpcm, 1, 22050, 37);
    std::vector<uint8_t> bytes = testing_support::RandomBytes(3 * 37 + 9, 7);
    for (size_t block = 0; block < bytes.size(); block += 37) {
        bytes[block + 2] = static_cast<uint8_t>(block % 89);  // a valid step index
        bytes[block + 3] = 0;
    }
    // The cut-short fourth block holds its header and one group: 9 samples.
    EXPECT_EQ(Convert16(ima, bytes, Pcm(1, 22050, 16)).size(), 3u * 65 + 9);

    // Whatever the bytes, every combination converts without a fault and
    // gives whole destination frames. Doubling the rate and widening to
    // stereo neither drops nor invents sound: twice the frames of the same
    // noise decoded at its own rate, mono copied to both sides, and about
    // the same level.
    for (uint16_t tag : {common::kWaveFormatMsAdpcm, common::kWaveFormatImaAdpcm}) {
        for (uint16_t channels : {1, 2}) {
            for (uint16_t blockAlign : {8, 14, 15, 37, 256, 2048}) {
                WaveFormat source = Adpcm(tag, channels, 22050, blockAlign);
                for (size_t length : {1, 7, 13, 100, 1000, 5001}) {
                    SCOPED_TRACE(testing::Message()
                                 << "tag " << tag << " channels " << channels << " block "
                                 << blockAlign << " length " << length);
                    std::vector<uint8_t> noise = testing_support::RandomBytes(length, blockAlign);
                    std::vector<uint8_t> out = Convert(source, noise, Pcm(2, 44100, 16));
                    ASSERT_EQ(out.size() % 4, 0u);
                    std::vector<int16_t> stereo = Samples(out);
                    std::vector<int16_t> decoded =
                        Convert16(source, noise, Pcm(channels, 22050, 16));
                    if (channels == 1) {
                        for (size_t i = 0; i < stereo.size(); i += 2)
                            ASSERT_EQ(stereo[i], stereo[i + 1]) << i;
                    }
                    size_t frames = decoded.size() / channels;
                    if (frames == 0) {
                        EXPECT_TRUE(stereo.empty());
                        continue;
                    }
                    EXPECT_NEAR(static_cast<double>(stereo.size() / 2), 2.0 * frames, 4);
                    EXPECT_NEAR(Rms(stereo) / Rms(decoded), 1.0, 0.2);
                }
            }
        }
    }
}

TEST(AcmConvertAdpcmEdgeTest, RateAndWidthChangeAfterDecoding) {
    AdpcmSound sound =
        EncodeAdpcm(AV_CODEC_ID_ADPCM_IMA_WAV, 1, 11025, Sine(4000, 1, 11025, 441, 10000));
    std::vector<uint8_t> out = Convert(sound.format, sound.bytes, Pcm(2, 22050, 8), sound.extra);
    EXPECT_NEAR(static_cast<double>(out.size()), 2.0 * 2 * sound.original.size(), 8);
    std::vector<int16_t> left;
    for (size_t i = 0; i < out.size(); i += 2) {
        EXPECT_EQ(out[i], out[i + 1]);
        left.push_back(static_cast<int16_t>(out[i] - 0x80));
    }
    // Only the sine: the encoder's padding decodes to noise around zero.
    left.resize(2 * 4000);
    sound.original.resize(4000);
    EXPECT_NEAR(RisingZeroCrossings(left), RisingZeroCrossings(sound.original), 2);
}

TEST(AcmConvertFormatTest, SuggestedPcmKeepsRateAndChannels) {
    WaveFormat adpcm = Adpcm(common::kWaveFormatMsAdpcm, 2, 22050, 1024);
    adpcm.extraSize = 32;
    WaveFormat suggested = common::SuggestPcmFormat(adpcm, 0);
    EXPECT_EQ(suggested.formatTag, common::kWaveFormatPcm);
    EXPECT_EQ(suggested.channels, 2);
    EXPECT_EQ(suggested.samplesPerSecond, 22050u);
    EXPECT_EQ(suggested.bitsPerSample, 16);
    EXPECT_EQ(suggested.blockAlign, 4);
    EXPECT_EQ(suggested.averageBytesPerSecond, 88200u);
    EXPECT_EQ(suggested.extraSize, 0);

    EXPECT_EQ(common::SuggestPcmFormat(adpcm, 8).bitsPerSample, 8);
    EXPECT_EQ(common::SuggestPcmFormat(adpcm, 8).blockAlign, 2);
    EXPECT_EQ(common::SuggestPcmFormat(Pcm(1, 11025, 8), 0).bitsPerSample, 8);
    EXPECT_EQ(common::SuggestPcmFormat(Pcm(1, 11025, 8), 0).averageBytesPerSecond, 11025u);
    EXPECT_EQ(common::SuggestPcmFormat(Pcm(1, 11025, 8), 16).bitsPerSample, 16);
    EXPECT_EQ(common::SuggestPcmFormat(Pcm(1, 11025, 16), 8).bitsPerSample, 8);
    EXPECT_EQ(common::SuggestPcmFormat(Pcm(1, 11025, 24), 0).bitsPerSample, 16);
}

TEST(AcmConvertFormatTest, UnusableFormatsGiveNothing) {
    // A coding the conversion does not know (MPEG audio, 0x50 and 0x55, it does).
    WaveFormat unknown = Pcm(1, 22050, 16);
    unknown.formatTag = 0x161;
    WaveFormat noChannels = Pcm(1, 22050, 16);
    noChannels.channels = 0;
    WaveFormat threeChannels = Pcm(3, 22050, 16);
    WaveFormat noRate = Pcm(1, 0, 16);
    WaveFormat absurdRate = Pcm(1, 4000000, 16);
    WaveFormat oddBits = Pcm(1, 22050, 12);
    WaveFormat unaligned = Adpcm(common::kWaveFormatMsAdpcm, 1, 22050, 0);
    WaveFormat imaUnaligned = Adpcm(common::kWaveFormatImaAdpcm, 1, 22050, 0);
    // Less than the 14-byte stereo block header.
    WaveFormat shortBlocks = Adpcm(common::kWaveFormatMsAdpcm, 2, 22050, 13);
    WaveFormat threeBitMs = Adpcm(common::kWaveFormatMsAdpcm, 1, 22050, 256);
    threeBitMs.bitsPerSample = 3;

    std::vector<uint8_t> bytes(4096, 0x11);
    for (const WaveFormat& source : {unknown, noChannels, threeChannels, noRate, absurdRate,
                                     oddBits, unaligned, imaUnaligned, shortBlocks, threeBitMs}) {
        SCOPED_TRACE(testing::Message() << "tag " << source.formatTag << " channels "
                                        << source.channels << " rate " << source.samplesPerSecond);
        EXPECT_FALSE(common::CanConvertFrom(source));
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[4]);
        EXPECT_EQ(AcmConvert(source, {}, Pcm(1, 22050, 16), bytes.data(), 4096, &buffer), 0u);
        EXPECT_EQ(buffer, nullptr);
    }

    WaveFormat adpcmDestination = Adpcm(common::kWaveFormatMsAdpcm, 1, 22050, 256);
    for (const WaveFormat& destination : {Pcm(1, 22050, 24), Pcm(3, 22050, 16), Pcm(1, 4000, 16),
                                          Pcm(1, 192000, 16), adpcmDestination}) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[4]);
        EXPECT_EQ(AcmConvert(Pcm(1, 22050, 16), {}, destination, bytes.data(), 4096, &buffer), 0u);
        EXPECT_EQ(buffer, nullptr);
    }

    // An empty or missing source converts to nothing.
    std::unique_ptr<uint8_t[]> buffer;
    EXPECT_EQ(AcmConvert(Pcm(1, 22050, 16), {}, Pcm(1, 22050, 16), bytes.data(), 0, &buffer), 0u);
    EXPECT_EQ(AcmConvert(Pcm(1, 22050, 16), {}, Pcm(1, 22050, 16), nullptr, 16, &buffer), 0u);
    EXPECT_EQ(buffer, nullptr);
    // One byte of 16-bit PCM is no sample at all.
    EXPECT_EQ(AcmConvert(Pcm(1, 22050, 16), {}, Pcm(1, 22050, 16), bytes.data(), 1, &buffer), 0u);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(AcmConvert(Pcm(1, 22050, 16), {}, Pcm(1, 22050, 16), bytes.data(), 4, nullptr), 0u);
}

}  // namespace
