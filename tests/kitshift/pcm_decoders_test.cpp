// The PC title's sound decoders against the writers of the sample title.

#include "kitshift/pcm_decoders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "sample/pc_title/pcm_writer.h"

namespace kitshift {
namespace {

using formats::ByteVector;

std::vector<int16_t> Samples(const ByteVector& pcm) {
    std::vector<int16_t> samples(pcm.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(formats::ReadLe16(pcm, 2 * i));
    }
    return samples;
}

std::vector<int16_t> Tone(size_t count, double amplitude) {
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        double t = static_cast<double>(i);
        samples[i] =
            static_cast<int16_t>(amplitude * std::sin(2 * std::numbers::pi * t / 97.0) +
                                 0.3 * amplitude * std::sin(2 * std::numbers::pi * t / 23.0));
    }
    return samples;
}

ByteVector PcmHeader(uint8_t coding, uint32_t byteCount, uint16_t channels) {
    ByteVector file(kPcmHeaderSize, 0);
    formats::StoreLe32(file.data() + kPcmByteCountOffset, byteCount);
    file[kPcmCodingOffset] = coding;
    formats::StoreLe16(file.data() + kPcmChannelsOffset, channels);
    formats::StoreLe32(file.data() + kPcmRateOffset, 22050);
    formats::StoreLe16(file.data() + kPcmBitsOffset, 16);
    return file;
}

TEST(SoundConstantTableTest, SizeScalesAndTwiddlesFollowTheirDefinition) {
    auto table = SoundConstantTable();
    EXPECT_EQ(table.size_bytes(), 33568u);
    const int32_t scales[8] = {2048, 2048, 2048, 4096, 4096, 4096, 8192, 16384};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(table[i], scales[i]);
    auto pair = [&](size_t k) {
        return std::pair(table[324 / 4 + 2 * k], table[324 / 4 + 2 * k + 1]);
    };
    EXPECT_EQ(pair(0), std::pair(4096, 0));
    EXPECT_EQ(pair(1), std::pair(4095, 6));
    EXPECT_EQ(pair(512), std::pair(2896, 2896));
    EXPECT_EQ(pair(1024), std::pair(0, 4096));
    EXPECT_EQ(pair(2048), std::pair(-4096, 0));
    EXPECT_EQ(pair(3000), std::pair(-451, -4071));  // truncated toward zero
    EXPECT_EQ(pair(4096), std::pair(4096, 0));
}

TEST(ZigzagTest, AlternatesSignsAndKeepsTheTopCodePositive) {
    EXPECT_EQ(ZigzagValue(0), 0);
    EXPECT_EQ(ZigzagValue(1), 1);
    EXPECT_EQ(ZigzagValue(2), -1);
    EXPECT_EQ(ZigzagValue(65534), -32767);
    EXPECT_EQ(ZigzagValue(65535), 32768);
}

// 127 raises the shift, 0 lowers it again: 127, 381, 381.
TEST(DeltaPcmTest, ShiftAdaptsToFullScaleAndSilentBytes) {
    ByteVector file = PcmHeader(kPcmCodingDelta, 6, 1);
    file.insert(file.end(), {127, 127, 0});
    ByteVector image;
    ASSERT_EQ(DecodeDeltaPcm(file, &image), 1);
    ASSERT_EQ(image.size(), 44u + 6u);
    EXPECT_EQ(std::memcmp(image.data(), "RIFF", 4), 0);
    EXPECT_EQ(formats::ReadLe32(image, 40), 6u);
    std::vector<int16_t> samples = Samples(ByteVector(image.begin() + 44, image.end()));
    EXPECT_EQ(samples, (std::vector<int16_t>{127, 381, 381}));
}

// A header promising more bytes than the file has must not make the image
// claim (and a reader later copy) data that is not there.
TEST(DeltaPcmTest, ByteCountBeyondTheDataIsCutToTheData) {
    ByteVector file = PcmHeader(kPcmCodingDelta, 1000000, 2);
    file.insert(file.end(), {5, 7, 1});
    ByteVector image;
    ASSERT_EQ(DecodeDeltaPcm(file, &image), 1);
    EXPECT_EQ(formats::ReadLe32(image, 40), 6u);
    EXPECT_EQ(image.size(), 50u);
    EXPECT_EQ(DecodeDeltaPcm(ByteVector(27, 0), &image), 0);
}

TEST(PcmRoundTripTest, RawAndDeltaCodingsComeBackExactly) {
    std::vector<int16_t> stereo = Tone(3000, 300.0);  // steps within a channel stay under 127
    for (auto coding : {pc_title::PcmCoding::kRaw, pc_title::PcmCoding::kDelta}) {
        ByteVector file = pc_title::WritePcmSound(coding, 2, 22050, stereo);
        for (auto stage : {SoundStage::kMusic, SoundStage::kVoiceFile}) {
            PreparedSound sound;
            ASSERT_EQ(PrepareSound(file, stage, &sound), 1);
            if (coding == pc_title::PcmCoding::kDelta && stage == SoundStage::kVoiceFile) {
                continue;  // the voice stages read every coding as transform coding
            }
            EXPECT_EQ(sound.channels, 2);
            EXPECT_EQ(sound.sampleRate, 22050u);
            EXPECT_EQ(sound.bitsPerSample, 16);
            // Only the delta sound goes through a WAVE image, so only it
            // carries a format record to the encoder.
            EXPECT_EQ(sound.hasFormat, coding == pc_title::PcmCoding::kDelta);
            EXPECT_EQ(Samples(sound.pcm), stereo);
        }
    }
}

TEST(PcmRoundTripTest, DeltaCodingFollowsSteepSignalsWithinItsStep) {
    std::vector<int16_t> loud = Tone(4000, 20000.0);
    ByteVector file = pc_title::WritePcmSound(pc_title::PcmCoding::kDelta, 1, 22050, loud);
    PreparedSound sound;
    ASSERT_EQ(PrepareSound(file, SoundStage::kMusic, &sound), 1);
    std::vector<int16_t> back = Samples(sound.pcm);
    ASSERT_EQ(back.size(), loud.size());
    // Once the step has grown, a wrong shift or channel would drift away
    // without bound; a working coder stays within a few steps.
    int worst = 0;
    for (size_t i = 100; i < back.size(); ++i) worst = std::max(worst, std::abs(back[i] - loud[i]));
    EXPECT_LE(worst, 1024);
}

// The transform coding is lossy: a smooth tone comes back within 2% of full
// scale per sample and 0.2% RMS, across block joins, cut at exactly n / 2
// samples. The first and last 16 samples are left out: each block is
// periodic, so the sound's own ends ring, while the joins are covered by the
// cross-fade.
TEST(PcmRoundTripTest, TransformCodingWithinStatedTolerance) {
    std::vector<int16_t> tone = Tone(4064 * 3 + 1000, 8000.0);
    ByteVector file = pc_title::WritePcmSound(pc_title::PcmCoding::kTransform, 1, 22050, tone);
    for (auto stage : {SoundStage::kMusic, SoundStage::kVoiceFile, SoundStage::kVoiceRecord}) {
        PreparedSound sound;
        ASSERT_EQ(PrepareSound(file, stage, &sound), 1);
        EXPECT_FALSE(sound.hasFormat);
        std::vector<int16_t> back = Samples(sound.pcm);
        ASSERT_EQ(back.size(), tone.size());
        int worst = 0;
        double squares = 0;
        for (size_t i = 16; i + 16 < back.size(); ++i) {
            int error = std::abs(back[i] - tone[i]);
            worst = std::max(worst, error);
            squares += static_cast<double>(error) * error;
        }
        EXPECT_LE(worst, 655) << "worst sample error";
        EXPECT_LE(std::sqrt(squares / static_cast<double>(back.size())), 65.0) << "RMS error";
    }
}

// A coded stream that ends inside its first block decodes as if padded
// with zeros, and never yields more samples than its blocks cover.
TEST(TransformPcmTest, StreamShorterThanABlockAndCountBeyondTheData) {
    ByteVector flat = pc_title::EncodeTransformBlocks(Tone(4096, 6000.0));
    ByteVector cut(flat.begin(), flat.begin() + 3000);
    ByteVector padded = cut;
    padded.resize(kTransformBlockBytes, 0);
    ByteVector fromCut;
    ByteVector fromPadded;
    DecodeTransformPcm(pc_title::CompressTokens(cut), 8192, &fromCut);
    DecodeTransformPcm(pc_title::CompressTokens(padded), 8192, &fromPadded);
    EXPECT_EQ(fromCut.size(), 8192u);
    EXPECT_EQ(fromCut, fromPadded);

    ByteVector huge;
    DecodeTransformPcm(pc_title::CompressTokens(flat), 0xFFFFFFFFu, &huge);
    EXPECT_EQ(huge.size(), 2u * kTransformBlockSamples);

    ByteVector none;
    DecodeTransformPcm({}, 1000, &none);
    EXPECT_TRUE(none.empty());
}

// Every copy form of the token scheme, overlapping copies included.
TEST(TransformPcmTest, TokenCompressionRoundTripsThroughTheDecoder) {
    ByteVector flat(kTransformBlockBytes * 2, 0);
    for (size_t i = 0; i < flat.size(); ++i) {
        flat[i] = static_cast<uint8_t>((i % 700 < 300) ? (i * 7 % 13) : (i % 3000 < 1500 ? 9 : i));
    }
    ByteVector tokens = pc_title::CompressTokens(flat);
    EXPECT_LT(tokens.size(), flat.size());
    ByteVector pcmFromTokens;
    ByteVector pcmFromLiterals;
    DecodeTransformPcm(tokens, 16000, &pcmFromTokens);
    // The same stream as literals only: one all-ones flag byte per 8 bytes.
    ByteVector literals;
    for (size_t i = 0; i < flat.size(); ++i) {
        if (i % 8 == 0) literals.push_back(0xFF);
        literals.push_back(flat[i]);
    }
    DecodeTransformPcm(literals, 16000, &pcmFromLiterals);
    EXPECT_EQ(pcmFromTokens, pcmFromLiterals);
    EXPECT_EQ(pcmFromTokens.size(), 16000u);
}

TEST(PrepareSoundTest, RiffImagesAndTheirStages) {
    std::vector<uint8_t> pcm8 = {0x80, 0x90, 0x70, 0x80};
    WaveFormat format;
    format.channels = 1;
    format.samplesPerSecond = 11025;
    format.averageBytesPerSecond = 11025;
    format.blockAlign = 1;
    format.bitsPerSample = 8;
    ByteVector image = BuildWaveImage(format, pcm8);
    PreparedSound sound;
    ASSERT_EQ(PrepareSound(image, SoundStage::kMusic, &sound), 1);
    EXPECT_TRUE(sound.hasFormat);
    EXPECT_TRUE(sound.needsConversion);  // 8-bit goes through the format conversion
    EXPECT_EQ(sound.pcm, ByteVector(pcm8.begin(), pcm8.end()));
    // "voice.dat" records are never tested for RIFF: read as a .pcm header.
    ASSERT_EQ(PrepareSound(image, SoundStage::kVoiceRecord, &sound), 1);
    EXPECT_FALSE(sound.hasFormat);

    ByteVector truncated(image.begin(), image.begin() + 40);  // no data chunk
    EXPECT_EQ(PrepareSound(truncated, SoundStage::kVoiceFile, &sound), 0);
}

// A raw sound whose byte count exceeds its data hands over only the data.
TEST(PrepareSoundTest, RawByteCountBeyondTheDataIsCut) {
    ByteVector file = PcmHeader(kPcmCodingRaw, 4000, 1);
    file.insert(file.end(), {1, 0, 2, 0});
    PreparedSound sound;
    ASSERT_EQ(PrepareSound(file, SoundStage::kMusic, &sound), 1);
    EXPECT_EQ(Samples(sound.pcm), (std::vector<int16_t>{1, 2}));
}

// A short WAVE image comes back as the short container with its PCM; an
// 8-bit one goes through the format converter first, and fails without one.
TEST(EncodeSoundTest, ShortWaveImagesBecomeTheShortContainer) {
    common::Mp3Encoder encoder(11, 1, 1);
    ByteVector file = PcmHeader(kPcmCodingDelta, 6, 1);
    file.insert(file.end(), {127, 127, 0});
    ByteVector image;
    ASSERT_EQ(DecodeDeltaPcm(file, &image), 1);
    EncodedSound out;
    ASSERT_EQ(ConvertPcmSound(file, SoundStage::kMusic, &encoder, nullptr, &out), 1);
    ASSERT_EQ(out.size, common::ShortPcmFile::kHeaderSize + 6);
    EXPECT_EQ(std::memcmp(out.bytes.get(), "MWF0", 4), 0);
    EXPECT_EQ(std::memcmp(out.bytes.get() + 64, image.data() + 44, 6), 0);

    WaveFormat format;
    format.channels = 1;
    format.samplesPerSecond = 8000;
    format.averageBytesPerSecond = 8000;
    format.blockAlign = 1;
    format.bitsPerSample = 8;
    ByteVector eightBit = BuildWaveImage(format, std::vector<uint8_t>{0x80, 0xC0});
    EXPECT_EQ(EncodeWaveImage(eightBit, &encoder, nullptr, &out), 0);
    FormatConverter widen = [](WaveFormat* f, formats::ByteSpan, ByteVector* pcm) {
        ByteVector wide;
        for (uint8_t sample : *pcm)
            formats::AppendLe16(wide, static_cast<uint16_t>((sample - 128) << 8));
        *pcm = wide;
        f->bitsPerSample = 16;
        f->blockAlign = 2;
        f->averageBytesPerSecond = 16000;
        return true;
    };
    ASSERT_EQ(EncodeWaveImage(eightBit, &encoder, widen, &out), 1);
    ASSERT_EQ(out.size, 68u);
    EXPECT_EQ(formats::ReadLe16(ByteVector(out.bytes.get(), out.bytes.get() + 68), 64 + 2), 0x4000);
}

}  // namespace
}  // namespace kitshift
