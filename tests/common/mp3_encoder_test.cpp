#include "common/mp3_encoder.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/key_store.h"
#include "formats/byte_io.h"
#include "mp3_decode.h"
#include "test_support.h"

namespace {

using common::Mp3Encoder;
using common::PcmDescription;
using common::WaveFormat;

using testing_support::Decoded;
using testing_support::DecodeMp3;

// Interleaved 16-bit PCM of a sine, the same in every channel.
std::vector<uint8_t> Sine(int rate, int channels, double seconds, double hertz, double amplitude) {
    size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<uint8_t> pcm;
    for (size_t i = 0; i < frames; ++i) {
        auto value = static_cast<int16_t>(amplitude * std::sin(2 * M_PI * hertz * i / rate));
        for (int c = 0; c < channels; ++c) formats::AppendLe16(pcm, static_cast<uint16_t>(value));
    }
    return pcm;
}

WaveFormat PcmFormat(int rate, int channels) {
    WaveFormat format;
    format.channels = static_cast<uint16_t>(channels);
    format.samplesPerSecond = static_cast<uint32_t>(rate);
    format.blockAlign = static_cast<uint16_t>(channels * 2);
    format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
    format.bitsPerSample = 16;
    return format;
}

PcmDescription Describe(const std::vector<uint8_t>& pcm, int rate, int channels) {
    return PcmDescription{nullptr, static_cast<uint32_t>(pcm.size()), 16,
                          static_cast<uint32_t>(rate), static_cast<uint32_t>(channels)};
}

// Root mean square and zero crossings per second of channel 0 over the middle
// of the sound, away from the encoder's start-up and tail.
void Measure(const Decoded& decoded, double* rms, double* crossingsPerSecond) {
    size_t frames = decoded.Frames();
    size_t first = frames / 4, last = frames * 3 / 4;
    double sum = 0;
    int crossings = 0;
    for (size_t i = first; i < last; ++i) {
        double v = decoded.samples[i * decoded.channels];
        sum += v * v;
        double previous = decoded.samples[(i - 1) * decoded.channels];
        if ((previous < 0) != (v < 0)) ++crossings;
    }
    *rms = std::sqrt(sum / static_cast<double>(last - first));
    *crossingsPerSecond = crossings * static_cast<double>(decoded.rate) / (last - first);
}

using testing_support::EnvironmentVariable;

// The module comes from the build folder; the key store from an empty
// temporary folder, so that a user's own store cannot change the outcome.
class Mp3EncoderTest : public ::testing::Test {
protected:
    testing_support::TempDir config_;
    EnvironmentVariable modulePath_{"MIRELO_MODULE_PATH", MIRELO_MODULE_DIR};
    EnvironmentVariable configHome_{"XDG_CONFIG_HOME", config_.path().c_str()};
};

// The converters' music settings: 64 kbit, 22.05 kHz, stereo, from a 44.1 kHz
// source. The stream must decode to the same length, level and pitch.
TEST_F(Mp3EncoderTest, EncodesASineThatDecodesBack) {
    std::vector<uint8_t> pcm = Sine(44100, 2, 2.0, 440, 10000);
    WaveFormat format = PcmFormat(44100, 2);
    PcmDescription description = Describe(pcm, 44100, 2);
    Mp3Encoder encoder(7, 1, 1);
    ASSERT_TRUE(encoder.HasModule());
    uint32_t size = static_cast<uint32_t>(pcm.size());
    std::unique_ptr<uint8_t[]> mp3 = encoder.Encode(&format, pcm.data(), &description, &size);
    ASSERT_NE(mp3, nullptr);
    // 64 kbit/s for 2 s, give or take the encoder's frame rounding.
    EXPECT_NEAR(size, 16000, 1500);
    Decoded decoded = DecodeMp3(mp3.get(), size);
    EXPECT_EQ(decoded.rate, 22050);
    EXPECT_EQ(decoded.channels, 2);
    double seconds = static_cast<double>(decoded.Frames()) / 22050;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 2.15);  // encoder delay and the last frame's padding
    double rms = 0, crossings = 0;
    Measure(decoded, &rms, &crossings);
    EXPECT_NEAR(rms, 10000 / std::sqrt(2.0), 700);
    EXPECT_NEAR(crossings, 880, 20);
}

// Stereo off sends mono mode even for a two-channel source, and a length that
// is not a whole number of blocks keeps its length (the padding is not sound).
TEST_F(Mp3EncoderTest, StereoOffMixesDownAndKeepsAnUnevenLength) {
    std::vector<uint8_t> pcm = Sine(22050, 2, 1.0 + 333.0 / 22050, 1000, 8000);
    PcmDescription description = Describe(pcm, 22050, 2);
    Mp3Encoder encoder(3, 1, 0);
    uint32_t size = static_cast<uint32_t>(pcm.size());
    std::unique_ptr<uint8_t[]> mp3 = encoder.Encode(nullptr, pcm.data(), &description, &size);
    ASSERT_NE(mp3, nullptr);
    Decoded decoded = DecodeMp3(mp3.get(), size);
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_GE(decoded.Frames(), pcm.size() / 4);
    EXPECT_LE(decoded.Frames(), pcm.size() / 4 + 3000);
    double rms = 0, crossings = 0;
    Measure(decoded, &rms, &crossings);
    EXPECT_NEAR(rms, 8000 / std::sqrt(2.0), 800);
    EXPECT_NEAR(crossings, 2000, 30);
}

TEST_F(Mp3EncoderTest, ShortSoundBoundary) {
    std::vector<uint8_t> pcm = testing_support::RandomBytes(16385, 7);
    WaveFormat format = PcmFormat(22050, 1);
    PcmDescription description = Describe(pcm, 22050, 1);
    Mp3Encoder encoder(3, 1, 1);

    // 16,384 bytes with a description: the container, no MP3.
    uint32_t size = 16384;
    description.byteCount = size;
    std::unique_ptr<uint8_t[]> out = encoder.Encode(&format, pcm.data(), &description, &size);
    ASSERT_NE(out, nullptr);
    ASSERT_EQ(size, 16448u);
    EXPECT_EQ(std::string(out.get(), out.get() + 4), "MWF0");
    EXPECT_EQ(formats::ReadLe32(formats::ByteSpan(out.get(), size), 12), 16384u);
    EXPECT_TRUE(std::equal(pcm.begin(), pcm.begin() + 16384, out.get() + 64));

    // The same bytes without a description, and one byte more with one: MP3.
    for (const WaveFormat* given : std::vector<const WaveFormat*>{nullptr, &format}) {
        size = given ? 16385 : 16384;
        description.byteCount = size;
        out = encoder.Encode(given, pcm.data(), &description, &size);
        ASSERT_NE(out, nullptr);
        ASSERT_GE(size, 2u);
        EXPECT_EQ(out[0], 0xFF);  // an MP3 frame header's sync bits
        EXPECT_EQ(out[1] & 0xE0, 0xE0);
        EXPECT_GT(DecodeMp3(out.get(), size).Frames(), 8000u);
    }
}

// A slow source at a high bitrate outgrows the sink sized from the PCM
// (n / 2 for long sounds); the sink grows and the whole stream arrives.
TEST_F(Mp3EncoderTest, StreamLargerThanTheInitialSinkIsKept) {
    std::vector<uint8_t> pcm(2200000, 0);
    PcmDescription description{nullptr, static_cast<uint32_t>(pcm.size()), 8, 16000, 1};
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<uint8_t>(128 + (i % 32) * 2);
    Mp3Encoder encoder(16, 5, 0);  // 320 kbit at 48 kHz
    uint32_t size = static_cast<uint32_t>(pcm.size());
    std::unique_ptr<uint8_t[]> mp3 = encoder.Encode(nullptr, pcm.data(), &description, &size);
    ASSERT_NE(mp3, nullptr);
    double seconds = pcm.size() / 16000.0;
    EXPECT_GT(size, pcm.size() / 2);
    EXPECT_NEAR(size, seconds * 40000, 20000);
    Decoded decoded = DecodeMp3(mp3.get(), size);
    EXPECT_EQ(decoded.rate, 48000);
    EXPECT_NEAR(static_cast<double>(decoded.Frames()) / 48000, seconds, 0.1);
}

// Without the module the binding fails cleanly; short sounds need no module.
TEST_F(Mp3EncoderTest, MissingModuleFailsWithoutCallingIt) {
    EnvironmentVariable noPath("MIRELO_MODULE_PATH", nullptr);
    Mp3Encoder encoder(7, 1, 1);
    EXPECT_FALSE(encoder.HasModule());
    EXPECT_EQ(encoder.LoadModule(), Mp3Encoder::kModuleMissing);
    std::vector<uint8_t> pcm = Sine(22050, 1, 1.0, 440, 5000);
    WaveFormat format = PcmFormat(22050, 1);
    PcmDescription description = Describe(pcm, 22050, 1);
    uint32_t size = static_cast<uint32_t>(pcm.size());
    EXPECT_EQ(encoder.Encode(&format, pcm.data(), &description, &size), nullptr);
    size = 1000;
    EXPECT_NE(encoder.Encode(&format, pcm.data(), &description, &size), nullptr);
    EXPECT_EQ(size, 1064u);
}

TEST_F(Mp3EncoderTest, ModuleFoundThroughTheKeyStorePath) {
    EnvironmentVariable noPath("MIRELO_MODULE_PATH", nullptr);
    std::string path = std::string(MIRELO_MODULE_DIR) + "/gogo.so";
    ASSERT_EQ(common::WriteKeyValue(Mp3Encoder::kRegistryKey, Mp3Encoder::kRegistryValue, path), 1);
    Mp3Encoder encoder(7, 1, 1);
    EXPECT_TRUE(encoder.HasModule());
}

// A PCM layout the module cannot take (24 bits per sample) is refused at
// detection, and Encode returns nothing.
TEST_F(Mp3EncoderTest, RefusedConfigurationFails) {
    std::vector<uint8_t> pcm = Sine(48000, 1, 1.0, 440, 5000);
    PcmDescription description = Describe(pcm, 48000, 1);
    description.bitsPerSample = 24;
    Mp3Encoder encoder(0, 5, 0);
    ASSERT_TRUE(encoder.HasModule());
    uint32_t size = static_cast<uint32_t>(pcm.size());
    EXPECT_EQ(encoder.Encode(nullptr, pcm.data(), &description, &size), nullptr);
}

// The module records every item the binding sets and refuses what it cannot
// honour.
TEST(GogoModuleTest, ItemsAreKeptAndCheckedAndFramesNeedAConfiguration) {
    std::string path = std::string(MIRELO_MODULE_DIR) + "/gogo.so";
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr);
    auto initialize =
        reinterpret_cast<MpgeInitializeWorkFunction>(dlsym(module, "MPGE_initializeWork"));
    auto set = reinterpret_cast<MpgeSetConfigureFunction>(dlsym(module, "MPGE_setConfigure"));
    auto get = reinterpret_cast<MpgeGetConfigureFunction>(dlsym(module, "MPGE_getConfigure"));
    auto detect =
        reinterpret_cast<MpgeDetectConfigureFunction>(dlsym(module, "MPGE_detectConfigure"));
    auto process = reinterpret_cast<MpgeProcessFrameFunction>(dlsym(module, "MPGE_processFrame"));
    auto end = reinterpret_cast<MpgeEndCoderFunction>(dlsym(module, "MPGE_endCoder"));
    ASSERT_TRUE(initialize && set && get && detect && process && end);
    ASSERT_NE(dlsym(module, "MPGE_getVersion"), nullptr);
    ASSERT_NE(dlsym(module, "MPGE_getUnitStates"), nullptr);
    ASSERT_NE(dlsym(module, "MPGE_closeCoder"), nullptr);

    EXPECT_EQ(initialize(), gogo::kOk);
    EXPECT_NE(detect(), gogo::kOk);  // no input or output yet
    EXPECT_NE(process(), gogo::kOk);
    EXPECT_NE(process(), gogo::kEnd);
    EXPECT_EQ(set(gogo::kItemBitrate, 96, nullptr), gogo::kOk);
    EXPECT_NE(set(gogo::kItemBitrate, 100, nullptr), gogo::kOk);
    EXPECT_EQ(set(gogo::kItemOutputFrequency, 32000, nullptr), gogo::kOk);
    EXPECT_NE(set(gogo::kItemOutputFrequency, 12345, nullptr), gogo::kOk);
    EXPECT_EQ(set(gogo::kItemEncodeMode, gogo::kModeMono, nullptr), gogo::kOk);
    EXPECT_EQ(set(gogo::kItemMmx, 1, nullptr), gogo::kOk);
    EXPECT_NE(set(gogo::kItemInput, gogo::kUserFunction, nullptr), gogo::kOk);
    EXPECT_NE(set(99, 1, nullptr), gogo::kOk);
    uint32_t value = 0;
    EXPECT_EQ(get(gogo::kItemBitrate, &value), gogo::kOk);
    EXPECT_EQ(value, 96u);
    EXPECT_EQ(get(gogo::kItemOutputFrequency, &value), gogo::kOk);
    EXPECT_EQ(value, 32000u);
    EXPECT_EQ(get(gogo::kItemEncodeMode, &value), gogo::kOk);
    EXPECT_EQ(value, gogo::kModeMono);
    EXPECT_EQ(end(), gogo::kOk);
    dlclose(module);
}

}  // namespace
