#include "engine/sound/decoder_binding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/sound/brindlex_decoder.h"
#include "engine/sound/mp3_test_data.h"
#include "engine/sound/xaudio_decoder.h"
#include "mirelo/module_abi/xaudio_abi.h"
#include "platform/device_path.h"
#include "platform/module_loader.h"
#include "test_support.h"

namespace sound {
namespace {

using mp3_test::EncodeTone;
using mp3_test::Tone;
using testing_support::TempDir;

// The built modules are not beside the test program: point the loader at
// them for the whole run.
class ModulePathEnvironment : public ::testing::Environment {
public:
    void SetUp() override { setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 1); }
};
const ::testing::Environment* const kModulePath =
    ::testing::AddGlobalTestEnvironment(new ModulePathEnvironment);

// Sets MIRELO_MODULE_PATH for one scope.
class ScopedModulePath {
public:
    explicit ScopedModulePath(const std::string& path) {
        setenv("MIRELO_MODULE_PATH", path.c_str(), 1);
    }
    ~ScopedModulePath() { setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 1); }
};

const char* KindName(DecoderKind kind) {
    return kind == DecoderKind::kBrindlex ? "Brindlex" : "Xaudio";
}

constexpr uint8_t kGuardByte = 0xA5;
constexpr size_t kGuardBytes = 64;

// Decodes until the stream ends, count bytes per call, and checks on every
// call that nothing was written past out + count + MaxFrameBytes().
std::vector<uint8_t> DecodeAll(DecoderBinding& decoder, uint32_t count, size_t maxCalls = 1000000) {
    std::vector<uint8_t> out;
    size_t room = count + decoder.MaxFrameBytes();
    std::vector<uint8_t> buffer(room + kGuardBytes, kGuardByte);
    for (size_t call = 0; call < maxCalls && !decoder.AtEnd(); ++call) {
        uint32_t got = decoder.Decode(buffer.data(), count, false);
        EXPECT_LE(got, count);
        for (size_t i = room; i < buffer.size(); ++i) {
            if (buffer[i] != kGuardByte) {
                ADD_FAILURE() << "write past the frame room at " << i - room;
                return out;
            }
        }
        out.insert(out.end(), buffer.begin(), buffer.begin() + got);
    }
    EXPECT_TRUE(decoder.AtEnd()) << "the stream did not end";
    return out;
}

std::vector<int16_t> AsSamples(const std::vector<uint8_t>& bytes) {
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

// Frequency from rising zero crossings and the RMS level of one channel,
// over the middle 80 % (away from the encoder's start and end).
struct ChannelMeasure {
    double hz = 0;
    double rms = 0;
};

ChannelMeasure Measure(const std::vector<int16_t>& samples, int channels, int channel,
                       int sampleRate) {
    size_t frames = samples.size() / static_cast<size_t>(channels);
    size_t begin = frames / 10;
    size_t end = frames - frames / 10;
    int crossings = 0;
    double energy = 0;
    for (size_t i = begin; i < end; ++i) {
        int16_t now = samples[i * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
        int16_t before =
            samples[(i - 1) * static_cast<size_t>(channels) + static_cast<size_t>(channel)];
        if (before < 0 && now >= 0) ++crossings;
        energy += static_cast<double>(now) * now;
    }
    double seconds = static_cast<double>(end - begin) / sampleRate;
    return {crossings / seconds, std::sqrt(energy / static_cast<double>(end - begin))};
}

std::unique_ptr<DecoderBinding> LoadedDecoder(DecoderKind kind) {
    auto decoder = CreateDecoder(kind);
    EXPECT_EQ(decoder->Load(), 0) << KindName(kind) << " module not found in " << MIRELO_MODULE_DIR;
    return decoder;
}

// ---------------------------------------------------------------------------
// Streams of each MPEG version and channel layout decode to the tone that was
// encoded, through both bindings, to the same samples.

struct StreamCase {
    const char* name;
    int sampleRate;
    int channels;
    int kbps;
    int samplesPerFrame;
};

class DecodeStreamTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(DecodeStreamTest, BothBindingsDecodeTheToneToTheSameSamples) {
    const StreamCase& c = GetParam();
    Tone tone;
    tone.sampleRate = c.sampleRate;
    tone.channels = c.channels;
    tone.seconds = 1.0;
    tone.leftHz = c.sampleRate >= 22050 ? 1000.0 : 500.0;
    tone.rightHz = tone.leftHz * 1.5;
    std::vector<uint8_t> mp3 = EncodeTone(tone, c.kbps);
    ASSERT_GT(mp3.size(), 1000u);

    std::vector<uint8_t> decoded[2];
    for (DecoderKind kind : {DecoderKind::kBrindlex, DecoderKind::kXaudio}) {
        SCOPED_TRACE(KindName(kind));
        auto decoder = LoadedDecoder(kind);
        ASSERT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
        const platform::WaveFormat& format = decoder->Format();
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(format.sampleRate, static_cast<uint32_t>(c.sampleRate));
        EXPECT_EQ(format.blockAlign, c.channels * 2);
        EXPECT_EQ(format.bitsPerSample, 16);
        EXPECT_EQ(format.bytesPerSecond, static_cast<uint32_t>(c.sampleRate * c.channels * 2));

        std::vector<uint8_t> bytes = DecodeAll(*decoder, 8192);
        // Whole frames only, at least the encoded length and at most the
        // encoder's delay and padding (a few frames) more.
        size_t frameBytes = static_cast<size_t>(c.samplesPerFrame * c.channels * 2);
        EXPECT_EQ(bytes.size() % frameBytes, 0u);
        size_t inputBytes = static_cast<size_t>(tone.seconds * c.sampleRate) * c.channels * 2;
        EXPECT_GE(bytes.size(), inputBytes);
        EXPECT_LE(bytes.size(), inputBytes + 4 * frameBytes);

        std::vector<int16_t> samples = AsSamples(bytes);
        for (int channel = 0; channel < c.channels; ++channel) {
            double hz = channel == 0 ? tone.leftHz : tone.rightHz;
            ChannelMeasure m = Measure(samples, c.channels, channel, c.sampleRate);
            EXPECT_NEAR(m.hz, hz, hz * 0.01) << "channel " << channel;
            EXPECT_NEAR(m.rms, tone.amplitude / std::sqrt(2.0), tone.amplitude * 0.1)
                << "channel " << channel;
        }
        decoded[kind == DecoderKind::kBrindlex ? 0 : 1] = std::move(bytes);
    }
    ASSERT_EQ(decoded[0].size(), decoded[1].size());
    EXPECT_TRUE(decoded[0] == decoded[1]) << "the bindings decode different samples";
}

INSTANTIATE_TEST_SUITE_P(Formats, DecodeStreamTest,
                         ::testing::Values(StreamCase{"Mpeg1Stereo44k", 44100, 2, 128, 1152},
                                           StreamCase{"Mpeg1Mono44k", 44100, 1, 64, 1152},
                                           StreamCase{"Mpeg2Stereo22k", 22050, 2, 64, 576},
                                           StreamCase{"Mpeg2Mono22k", 22050, 1, 32, 576},
                                           StreamCase{"Mpeg25Mono11k", 11025, 1, 24, 576}),
                         [](const ::testing::TestParamInfo<StreamCase>& info) {
                             return info.param.name;
                         });

// ---------------------------------------------------------------------------
// Behaviour of the binding operations, for each module kind.

class BindingTest : public ::testing::TestWithParam<DecoderKind> {
protected:
    static std::vector<uint8_t> ShortStereo() {
        Tone tone;
        tone.seconds = 0.3;
        return EncodeTone(tone, 128);
    }
};

// A request smaller than a frame returns exactly what was asked; the rest of
// the frame comes first on the next call, so any request size yields the
// same byte stream.
TEST_P(BindingTest, RequestsOfAnySizeGiveTheSameBytes) {
    std::vector<uint8_t> mp3 = ShortStereo();
    auto decoder = LoadedDecoder(GetParam());
    ASSERT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    std::vector<uint8_t> whole = DecodeAll(*decoder, 1u << 20);
    ASSERT_FALSE(whole.empty());

    for (uint32_t count : {1u, 100u, 4607u, 4608u, 4609u, 20000u}) {
        SCOPED_TRACE(count);
        ASSERT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
        std::vector<uint8_t> buffer(count + decoder->MaxFrameBytes());
        std::vector<uint8_t> pieces;
        while (!decoder->AtEnd()) {
            uint32_t got = decoder->Decode(buffer.data(), count, false);
            size_t left = whole.size() - pieces.size();
            // Every call but the one that meets the end is served in full.
            if (!decoder->AtEnd()) {
                ASSERT_EQ(got, count);
            } else {
                ASSERT_EQ(got, std::min<size_t>(count, left));
            }
            pieces.insert(pieces.end(), buffer.begin(), buffer.begin() + got);
        }
        EXPECT_TRUE(pieces == whole);
    }
}

// Without loop the stream ends and stays ended; with loop the call that meets
// the end returns what it has and the stream goes on from its start.
TEST_P(BindingTest, EndAndLoop) {
    std::vector<uint8_t> mp3 = ShortStereo();
    auto decoder = LoadedDecoder(GetParam());
    ASSERT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    EXPECT_FALSE(decoder->AtEnd());
    std::vector<uint8_t> first = DecodeAll(*decoder, 4096);
    std::vector<uint8_t> buffer(4096 + decoder->MaxFrameBytes());
    EXPECT_EQ(decoder->Decode(buffer.data(), 4096, false), 0u);
    EXPECT_TRUE(decoder->AtEnd());

    // A count that never lines up with the end, so the looping call returns
    // a short piece.
    ASSERT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    const uint32_t count = 3000;
    buffer.assign(count + decoder->MaxFrameBytes(), 0);
    size_t total = 0;
    uint32_t got = 0;
    for (int call = 0; call < 10000; ++call) {
        got = decoder->Decode(buffer.data(), count, true);
        total += got;
        if (got < count) break;
    }
    EXPECT_LT(got, count);
    EXPECT_EQ(total, first.size());
    EXPECT_FALSE(decoder->AtEnd());
    std::vector<uint8_t> again;
    while (again.size() < first.size() / 2) {
        got = decoder->Decode(buffer.data(), count, true);
        ASSERT_EQ(got, count);
        again.insert(again.end(), buffer.begin(), buffer.begin() + got);
    }
    // The module's synthesis filter carries the end of the last frame into
    // the first frame after the restart; from the second frame on the
    // samples must match the first pass.
    const size_t skip = 1152 * 4;
    ASSERT_GT(again.size(), skip);
    EXPECT_TRUE(std::equal(again.begin() + skip, again.end(), first.begin() + skip));

    // Rewind from the middle restarts too, dropping what was held back.
    decoder->Rewind();
    buffer.assign(3 * skip + decoder->MaxFrameBytes(), 0);
    got = decoder->Decode(buffer.data(), 3 * skip, false);
    EXPECT_EQ(got, 3 * skip);
    EXPECT_TRUE(std::equal(buffer.begin() + skip, buffer.begin() + got, first.begin() + skip));
}

// A trailing 128-byte "TAG" block of a memory image is not decoded; a file is
// decoded whole. "TAG" written over the last frame's tail makes the
// difference visible: the image loses that frame, the file keeps it.
TEST_P(BindingTest, TrailingTagIsCutFromMemoryImagesOnly) {
    std::vector<uint8_t> mp3 = ShortStereo();
    auto decoder = LoadedDecoder(GetParam());
    ASSERT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    std::vector<uint8_t> plain = DecodeAll(*decoder, 65536);

    // A real tag block after the stream leaves the samples as they were.
    std::vector<uint8_t> tagged = mp3;
    std::vector<uint8_t> tag(128, ' ');
    std::memcpy(tag.data(), "TAG", 3);
    tagged.insert(tagged.end(), tag.begin(), tag.end());
    ASSERT_EQ(decoder->OpenMemory(tagged.data(), static_cast<uint32_t>(tagged.size())), 0);
    EXPECT_TRUE(DecodeAll(*decoder, 65536) == plain);

    std::vector<uint8_t> marked = mp3;
    std::memcpy(marked.data() + marked.size() - 128, "TAG", 3);
    ASSERT_EQ(decoder->OpenMemory(marked.data(), static_cast<uint32_t>(marked.size())), 0);
    size_t fromMemory = DecodeAll(*decoder, 65536).size();

    TempDir dir;
    testing_support::WriteHostFile(dir / "Marked.MP3", marked);
    std::string devicePath = platform::HostToDevicePath(dir.path().string() + "/") + "marked.mp3";
    ASSERT_EQ(decoder->OpenFile(devicePath), 0);
    size_t fromFile = DecodeAll(*decoder, 65536).size();
    EXPECT_EQ(fromFile, plain.size());
    EXPECT_EQ(fromMemory + 1152 * 4, fromFile);

    // The rule starts above 160 bytes.
    std::vector<uint8_t> small(161, 0);
    std::memcpy(small.data() + 32, "TAG", 3);
    EXPECT_EQ(LengthWithoutTrailingTag(small.data(), 160), 160u);
    std::memcpy(small.data() + 33, "TAG", 3);
    EXPECT_EQ(LengthWithoutTrailingTag(small.data(), 161), 161u - 128u);
}

// MPEG-1 Layer III, 160000 bytes at 128 kbit/s: 10000 ms, and the estimate is
// eleven seconds' worth of output.
TEST_P(BindingTest, DurationEstimateFromTheBitrate) {
    Tone tone;
    tone.seconds = 10.3;
    std::vector<uint8_t> mp3 = EncodeTone(tone, 128);
    ASSERT_GE(mp3.size(), 160000u);
    mp3.resize(160000);
    auto decoder = LoadedDecoder(GetParam());
    ASSERT_EQ(decoder->OpenMemory(mp3.data(), 160000), 0);
    uint32_t bytesPerSecond = decoder->Format().bytesPerSecond;
    EXPECT_EQ(bytesPerSecond, 176400u);
    EXPECT_EQ(decoder->EstimateOutputBytes(), 11 * bytesPerSecond);
    if (GetParam() == DecoderKind::kBrindlex) {
        EXPECT_EQ(static_cast<BrindlexDecoder&>(*decoder).DurationMs(), 10000u);
    } else {
        EXPECT_EQ(static_cast<XaudioDecoder&>(*decoder).DurationMs(), 10000u);
    }
    // MPEG-2 uses its own bitrate table: index 9 is 80 kbit/s there.
    const uint8_t mpeg2[4] = {0xFF, 0xF3, 0x94, 0xC4};
    EXPECT_EQ(DurationFromFrameHeader(mpeg2, 100000), 10000u);
    const uint8_t layer2[4] = {0xFF, 0xFD, 0x94, 0xC4};
    EXPECT_EQ(DurationFromFrameHeader(layer2, 100000), 0u);
    EXPECT_EQ(EstimateBytes(176400, 0xFFFFFFFFu), 0xFFFFFFFFu);
}

// Hostile input: whatever the bytes, opening and decoding never read or
// write out of bounds and the stream ends.
TEST_P(BindingTest, GarbageAndTruncatedStreamsEndCleanly) {
    std::vector<uint8_t> mp3 = ShortStereo();
    auto decoder = LoadedDecoder(GetParam());
    std::vector<std::vector<uint8_t>> inputs;
    inputs.push_back({});
    inputs.push_back({0xFF});
    inputs.push_back({0xFF, 0xFB, 0x90});
    inputs.push_back({0xFF, 0xFB, 0x90, 0x64});
    inputs.push_back(testing_support::RandomBytes(50000, 7));
    // A valid first header followed by noise, and noise inside a stream.
    std::vector<uint8_t> headed = testing_support::RandomBytes(20000, 8);
    std::copy(mp3.begin(), mp3.begin() + 4, headed.begin());
    inputs.push_back(headed);
    std::vector<uint8_t> damaged = mp3;
    std::vector<uint8_t> noise = testing_support::RandomBytes(damaged.size() / 4, 9);
    std::copy(noise.begin(), noise.end(), damaged.begin() + damaged.size() / 2);
    inputs.push_back(damaged);
    for (size_t cut : {5u, 417u, 1000u, 7001u}) {
        inputs.emplace_back(mp3.begin(), mp3.begin() + std::min(cut, mp3.size()));
    }
    for (size_t i = 0; i < inputs.size(); ++i) {
        SCOPED_TRACE(i);
        // Exactly the input's size, so a memory checker sees any overread.
        std::vector<uint8_t> exact = inputs[i];
        int result = decoder->OpenMemory(exact.empty() ? nullptr : exact.data(),
                                         static_cast<uint32_t>(exact.size()));
        if (result != 0) {
            EXPECT_TRUE(decoder->AtEnd());
            uint8_t buffer[16] = {};
            EXPECT_EQ(decoder->Decode(buffer, 16, false), 0u);
            continue;
        }
        DecodeAll(*decoder, 4096, 100000);
    }
    EXPECT_EQ(decoder->OpenMemory(nullptr, 1000), 1);
    EXPECT_EQ(decoder->OpenFile("\\no\\such\\file.mp3"), 1);
    EXPECT_TRUE(decoder->AtEnd());
}

// Temporary bindings decode through the functions their kind's owner
// resolved; without an owner they cannot open anything.
TEST_P(BindingTest, TemporaryBindingUsesTheOwnersModule) {
    std::vector<uint8_t> mp3 = ShortStereo();
    auto owner = LoadedDecoder(GetParam());
    ASSERT_EQ(owner->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    std::vector<uint8_t> expected = DecodeAll(*owner, 65536);

    auto temporary = CreateTemporaryDecoder(GetParam());
    EXPECT_EQ(temporary->Load(), 0);
    ASSERT_EQ(temporary->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    EXPECT_TRUE(DecodeAll(*temporary, 65536) == expected);

    // Another object of the kind decodes at the same time on another thread.
    ASSERT_EQ(owner->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    ASSERT_EQ(temporary->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    std::vector<uint8_t> onThread;
    std::thread other([&] { onThread = DecodeAll(*temporary, 1000); });
    std::vector<uint8_t> here = DecodeAll(*owner, 1000);
    other.join();
    EXPECT_TRUE(here == expected);
    EXPECT_TRUE(onThread == expected);

    // A stream open while the owner unloads keeps the module's code until it
    // closes; after that the kind has no functions left.
    ASSERT_EQ(temporary->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 0);
    owner->Destroy();
    EXPECT_TRUE(DecodeAll(*temporary, 65536) == expected);
    temporary->Close();
    EXPECT_EQ(temporary->Load(), 1);
    EXPECT_EQ(temporary->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 1);
    EXPECT_TRUE(temporary->AtEnd());
    uint8_t buffer[16] = {};
    EXPECT_EQ(temporary->Decode(buffer, 16, true), 0u);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BindingTest,
                         ::testing::Values(DecoderKind::kBrindlex, DecoderKind::kXaudio),
                         [](const ::testing::TestParamInfo<DecoderKind>& info) {
                             return std::string(KindName(info.param));
                         });

// ---------------------------------------------------------------------------
// The xaudio module's file input, called directly: the engine's binding
// always hands the module memory, so only this test reaches it.

TEST(XaudioModule, FileInputDecodesTheWholeFileLikeTheMemoryInput) {
    void* module = platform::LoadModule(kXaudioModuleName);
    ASSERT_NE(module, nullptr);
    auto find = [module](int index) {
        void* symbol = platform::ResolveSymbol(module, xaudio::kExportNames[index]);
        EXPECT_NE(symbol, nullptr) << xaudio::kExportNames[index];
        return symbol;
    };
    auto decoderNew = reinterpret_cast<xaudio::DecoderNewFunction>(find(0));
    auto codecModule = reinterpret_cast<xaudio::ModuleRegisterFunction>(find(1));
    auto codecRegister = reinterpret_cast<xaudio::DecoderModuleRegisterFunction>(find(2));
    auto fileModule = reinterpret_cast<xaudio::ModuleRegisterFunction>(find(3));
    auto memoryModule = reinterpret_cast<xaudio::ModuleRegisterFunction>(find(4));
    auto inputRegister = reinterpret_cast<xaudio::DecoderModuleRegisterFunction>(find(5));
    auto inputNew = reinterpret_cast<xaudio::InputNewFunction>(find(6));
    auto decoderDelete = reinterpret_cast<xaudio::DecoderFunction>(find(8));
    auto inputOpen = reinterpret_cast<xaudio::DecoderFunction>(find(9));
    auto decode = reinterpret_cast<xaudio::DecodeFunction>(find(12));

    XaudioModuleDescription codec{};
    XaudioModuleDescription file{};
    XaudioModuleDescription memory{};
    ASSERT_EQ(codecModule(&codec), xaudio::kSuccess);
    ASSERT_EQ(fileModule(&file), xaudio::kSuccess);
    ASSERT_EQ(memoryModule(&memory), xaudio::kSuccess);
    struct Result {
        int status = xaudio::kSuccess;
        uint32_t channels = 0;
        uint32_t rate = 0;
        std::vector<int16_t> samples;
    };
    // Opens `name` on the input module of `kind` (-1: the first that takes
    // it) and decodes to the end.
    auto decodeAll = [&](const std::string& name, int kind) {
        Result result;
        XaudioLibraryDecoder* decoder = nullptr;
        EXPECT_EQ(decoderNew(&decoder), xaudio::kSuccess);
        EXPECT_EQ(codecRegister(decoder, &codec), xaudio::kSuccess);
        EXPECT_EQ(inputRegister(decoder, &memory), xaudio::kSuccess);
        EXPECT_EQ(inputRegister(decoder, &file), xaudio::kSuccess);
        result.status = inputNew(decoder, name.c_str(), kind);
        if (result.status == xaudio::kSuccess) result.status = inputOpen(decoder);
        for (int call = 0; result.status == xaudio::kSuccess && call < 100000; ++call) {
            int status = decode(decoder, nullptr);
            if (status == xaudio::kNeedMoreInput || status == xaudio::kFrameSkipped) continue;
            if (status != xaudio::kSuccess) break;
            const XaudioOutputBuffer& frame = *decoder->outputBuffer;
            result.channels = frame.channels;
            result.rate = frame.sampleRate;
            result.samples.insert(result.samples.end(), frame.samples,
                                  frame.samples + frame.samplesPerChannel * frame.channels);
        }
        decoderDelete(decoder);
        return result;
    };

    Tone tone;
    tone.seconds = 0.5;
    std::vector<uint8_t> mp3 = EncodeTone(tone, 128);
    TempDir dir;
    std::string path = (dir / "tone.mp3").string();
    testing_support::WriteHostFile(path, mp3);

    Result fromFile = decodeAll(path, -1);
    ASSERT_EQ(fromFile.status, xaudio::kSuccess);
    EXPECT_EQ(fromFile.channels, 2u);
    EXPECT_EQ(fromFile.rate, 44100u);
    // The encoded length, plus at most the encoder's delay and padding.
    size_t frames = fromFile.samples.size() / 2;
    EXPECT_GE(frames, 22050u);
    EXPECT_LE(frames, 22050u + 4 * 1152);
    for (int channel = 0; channel < 2; ++channel) {
        ChannelMeasure m = Measure(fromFile.samples, 2, channel, 44100);
        double hz = channel == 0 ? tone.leftHz : tone.rightHz;
        EXPECT_NEAR(m.hz, hz, hz * 0.01) << "channel " << channel;
        EXPECT_NEAR(m.rms, tone.amplitude / std::sqrt(2.0), tone.amplitude * 0.1);
    }
    char name[64];
    std::snprintf(name, sizeof name, "%zx@%p", mp3.size(), static_cast<void*>(mp3.data()));
    Result fromMemory = decodeAll(name, -1);
    ASSERT_EQ(fromMemory.status, xaudio::kSuccess);
    EXPECT_TRUE(fromMemory.samples == fromFile.samples);

    // A missing file, or a path given to the memory input alone, opens nothing.
    EXPECT_EQ(decodeAll((dir / "missing.mp3").string(), -1).status, xaudio::kNoSuchInput);
    EXPECT_EQ(decodeAll(path, static_cast<int>(memory.kind)).status, xaudio::kNoSuchInput);
    EXPECT_TRUE(decodeAll(path, static_cast<int>(file.kind)).samples == fromFile.samples);
    platform::FreeModule(module);
}

// ---------------------------------------------------------------------------
// Finding the modules and choosing between them.

TEST(ModuleChoice, MissingModulesMakeEveryOpenFail) {
    TempDir empty;
    ScopedModulePath path(empty.path().string());
    EXPECT_EQ(platform::LoadModule("Brindlex.ovl"), nullptr);
    EXPECT_FALSE(ProbeModule(DecoderKind::kBrindlex));
    EXPECT_FALSE(ProbeModule(DecoderKind::kXaudio));
    // Neither loads: each preference keeps its own first choice.
    EXPECT_EQ(SelectDecoderKind(1), DecoderKind::kBrindlex);
    EXPECT_EQ(SelectDecoderKind(0), DecoderKind::kXaudio);
    std::vector<uint8_t> mp3 = EncodeTone(Tone{}, 128);
    for (DecoderKind kind : {DecoderKind::kBrindlex, DecoderKind::kXaudio}) {
        auto decoder = CreateDecoder(kind);
        EXPECT_EQ(decoder->Load(), 1);
        EXPECT_EQ(decoder->OpenMemory(mp3.data(), static_cast<uint32_t>(mp3.size())), 1);
        EXPECT_TRUE(decoder->AtEnd());
        EXPECT_EQ(decoder->EstimateOutputBytes(), 0u);
    }
}

TEST(ModuleChoice, PreferenceFallsBackToTheModuleThatLoads) {
    {
        ScopedModulePath path(MIRELO_MODULE_DIR);
        EXPECT_TRUE(ProbeModule(DecoderKind::kBrindlex));
        EXPECT_TRUE(ProbeModule(DecoderKind::kXaudio));
        EXPECT_EQ(SelectDecoderKind(1), DecoderKind::kBrindlex);
        EXPECT_EQ(SelectDecoderKind(0), DecoderKind::kXaudio);
    }
    namespace fs = std::filesystem;
    for (const char* only : {kBrindlexModuleName, kXaudioModuleName}) {
        TempDir dir;
        fs::create_symlink(fs::path(MIRELO_MODULE_DIR) / only, dir / only);
        ScopedModulePath path(dir.path().string());
        DecoderKind kind = std::string(only) == kBrindlexModuleName ? DecoderKind::kBrindlex
                                                                    : DecoderKind::kXaudio;
        EXPECT_EQ(SelectDecoderKind(0), kind) << only;
        EXPECT_EQ(SelectDecoderKind(1), kind) << only;
    }
}

}  // namespace
}  // namespace sound
