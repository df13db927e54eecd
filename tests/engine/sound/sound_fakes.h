#pragma once
// Stand-ins for the sound tests: a wave device whose buffers the test
// completes by hand, an MP3 decoder binding that "decodes" a known PCM
// stream, and builders for RIFF WAVE bytes.

#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/sound/decoder_binding.h"
#include "engine/sound/sound_mixer.h"
#include "formats/byte_io.h"
#include "platform/wave_out.h"

namespace sound_test {

class FakeWaveOut : public platform::WaveOutDevice {
public:
    int Open(const platform::WaveFormat& wanted, BufferDone doneRoutine, void* doneUser) override {
        ++openCalls;
        if (failOpen) return platform::kWaveError;
        format = wanted;
        done = doneRoutine;
        user = doneUser;
        return platform::kWaveOk;
    }
    int Prepare(platform::WaveBuffer* buffer) override {
        buffer->flags |= platform::kWavePrepared;
        return platform::kWaveOk;
    }
    int Write(platform::WaveBuffer* buffer) override {
        queue.push_back(buffer);
        return platform::kWaveOk;
    }
    int Unprepare(platform::WaveBuffer* buffer) override {
        buffer->flags &= ~platform::kWavePrepared;
        return platform::kWaveOk;
    }
    uint32_t PositionBytes() override { return position; }
    int SetVolume(uint32_t leftRight) override {
        volume = leftRight;
        return platform::kWaveOk;
    }
    int Pause() override {
        paused = true;
        return platform::kWaveOk;
    }
    int Reset() override {
        std::deque<platform::WaveBuffer*> queued;
        queued.swap(queue);
        for (platform::WaveBuffer* buffer : queued) done(user, buffer);
        return platform::kWaveOk;
    }
    int Close() override {
        ++closeCalls;
        if (stillPlayingCloses > 0) {
            --stillPlayingCloses;
            return platform::kWaveStillPlaying;
        }
        closed = true;
        return platform::kWaveOk;
    }

    // Plays the oldest queued buffer and hands it back; returns the samples
    // the mixing pass then put into it.
    std::vector<int16_t> Complete() {
        if (queue.empty() || done == nullptr) return {};
        platform::WaveBuffer* buffer = queue.front();
        queue.pop_front();
        position += buffer->length;
        done(user, buffer);
        std::vector<int16_t> samples(buffer->length / 2);
        std::memcpy(samples.data(), buffer->data, buffer->length);
        return samples;
    }

    bool failOpen = false;
    int openCalls = 0;
    int closeCalls = 0;
    int stillPlayingCloses = 0;
    bool paused = false;
    bool closed = false;
    platform::WaveFormat format{};
    BufferDone done = nullptr;
    void* user = nullptr;
    std::deque<platform::WaveBuffer*> queue;
    uint32_t position = 0;
    uint32_t volume = 0;
};

// What a fake decoder produces: `bytes` of 16-bit PCM whose sample i is
// (i * 7) & 0x3FFF, in the given format.
struct FakeStream {
    uint16_t channels = 2;
    uint32_t sampleRate = 22050;
    uint32_t bytes = 0;
    uint32_t estimate = 0;
    bool failOpen = false;
};

inline int16_t FakeSample(size_t index) {
    return static_cast<int16_t>((index * 7) & 0x3FFF);
}

class FakeDecoder : public sound::DecoderBinding {
public:
    explicit FakeDecoder(FakeStream stream) : stream_(stream) {}

    int Load() override { return 0; }
    void Unload() override {}
    int OpenMemory(const uint8_t* data, uint32_t length) override {
        Close();
        openedLength = length;
        openedFromMemory = data != nullptr;
        return Begin();
    }
    int OpenFile(const std::string& devicePath) override {
        Close();
        openedPath = devicePath;
        return Begin();
    }
    uint32_t Decode(uint8_t* out, uint32_t count, bool loop) override {
        ++decodeCalls;
        lastRequest = count;
        if (endOfStream_) return 0;
        uint32_t produced = std::min(count, stream_.bytes - offset_);
        for (uint32_t i = 0; i + 1 < produced; i += 2) {
            formats::StoreLe16(out + i, static_cast<uint16_t>(FakeSample((offset_ + i) / 2)));
        }
        offset_ += produced;
        if (offset_ >= stream_.bytes) {
            if (loop) {
                offset_ = 0;
            } else {
                endOfStream_ = true;
            }
        }
        return produced;
    }
    void Rewind() override {
        offset_ = 0;
        endOfStream_ = false;
    }
    uint32_t EstimateOutputBytes() override { return stream_.estimate; }
    void Close() override {
        ++closeCalls;
        endOfStream_ = true;
    }
    uint32_t MaxFrameBytes() const override { return 4608; }

    std::string openedPath;
    uint32_t openedLength = 0;
    bool openedFromMemory = false;
    int decodeCalls = 0;
    int closeCalls = 0;
    uint32_t lastRequest = 0;

private:
    int Begin() {
        if (stream_.failOpen) {
            format_ = {0, 0, 0, 0, 0, 0, 0};
            endOfStream_ = true;
            return 1;
        }
        format_ = platform::WaveFormat{};
        format_.channels = stream_.channels;
        format_.sampleRate = stream_.sampleRate;
        format_.bitsPerSample = 16;
        offset_ = 0;
        endOfStream_ = false;
        return 0;
    }
    FakeStream stream_;
    uint32_t offset_ = 0;
};

// The provider hands out fakes and keeps pointers to them for the test.
struct FakeDecoders {
    FakeStream musicStream;
    FakeStream effectStream;
    sound::DecoderKind selected = sound::DecoderKind::kXaudio;
    FakeDecoder* xaudio = nullptr;
    FakeDecoder* brindlex = nullptr;
    int temporaryCount = 0;

    sound::DecoderProvider Provider() {
        sound::DecoderProvider provider;
        provider.create = [this](sound::DecoderKind kind) {
            auto decoder = std::make_unique<FakeDecoder>(musicStream);
            (kind == sound::DecoderKind::kXaudio ? xaudio : brindlex) = decoder.get();
            return std::unique_ptr<sound::DecoderBinding>(std::move(decoder));
        };
        provider.createTemporary = [this](sound::DecoderKind) {
            ++temporaryCount;
            return std::unique_ptr<sound::DecoderBinding>(
                std::make_unique<FakeDecoder>(effectStream));
        };
        provider.select = [this](int) { return selected; };
        return provider;
    }
};

// One RIFF chunk: identifier, size, body, pad byte for an odd size.
inline void AppendChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body,
                        uint32_t declaredSize) {
    out.insert(out.end(), id, id + 4);
    formats::AppendLe32(out, declaredSize);
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2 == 1) out.push_back(0);
}
inline void AppendChunk(std::vector<uint8_t>& out, const char* id,
                        const std::vector<uint8_t>& body) {
    AppendChunk(out, id, body, static_cast<uint32_t>(body.size()));
}

inline std::vector<uint8_t> FormatBody(uint16_t channels, uint32_t rate, uint16_t bits) {
    std::vector<uint8_t> body;
    formats::AppendLe16(body, 1);
    formats::AppendLe16(body, channels);
    formats::AppendLe32(body, rate);
    formats::AppendLe32(body, rate * channels * bits / 8);
    formats::AppendLe16(body, static_cast<uint16_t>(channels * bits / 8));
    formats::AppendLe16(body, bits);
    return body;
}

inline std::vector<uint8_t> SampleBytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes;
    for (int16_t sample : samples) formats::AppendLe16(bytes, static_cast<uint16_t>(sample));
    return bytes;
}

// "RIFF" size "WAVE" + chunks, with the RIFF size filled in.
inline std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks) {
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    formats::AppendLe32(out, static_cast<uint32_t>(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

// The plain 44-byte-header WAVE file.
inline std::vector<uint8_t> MakeWav(uint16_t channels, uint32_t rate, uint16_t bits,
                                    const std::vector<int16_t>& samples) {
    std::vector<uint8_t> chunks;
    AppendChunk(chunks, "fmt ", FormatBody(channels, rate, bits));
    AppendChunk(chunks, "data", SampleBytes(samples));
    return Riff(chunks);
}

}  // namespace sound_test
