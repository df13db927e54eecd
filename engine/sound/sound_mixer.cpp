#include "engine/sound/sound_mixer.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/sound/pcm_convert.h"
#include "engine/sound/wav_stream_reader.h"
#include "formats/byte_io.h"
#include "formats/sjis.h"
#include "platform/device_file.h"

namespace sound {

namespace {

constexpr uint32_t kFullDeviceVolume = 0xFFFFFFFFu;
constexpr uint32_t kWavHeaderBytes = 44;
constexpr uint32_t kMaxMusicRequestBytes = 2 * kMixBytes;  // stereo 44100 Hz
// How long the game thread waits for a running pass to end before it gives
// up a channel it took back (it then leaks it rather than free it under the
// pass).
constexpr uint32_t kPassEndWaitMs = 1000;
constexpr int kCloseAttempts = 32;
constexpr uint32_t kCloseRetryMs = 100;

int16_t Saturate(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, -32768, 32767));
}

// The mix is a scale-and-saturate over one pass; volume above 99 (taken as
// unsigned, so a negative volume too) mixes unscaled. volume x s / 100
// truncates toward zero.
void MixSamplesScalar(int16_t* out, const int16_t* in, uint32_t count, uint32_t volume) {
    const bool scaled = volume <= 99;
    const int32_t scale = static_cast<int32_t>(volume);
    for (uint32_t i = 0; i < count; ++i) {
        int32_t add = scaled ? scale * in[i] / 100 : in[i];
        out[i] = Saturate(out[i] + add);
    }
}

#if defined(__SSE2__)
// Eight samples per step: the saturating 16-bit add is exactly the clamped
// sum, since the scaled sample itself fits 16 bits. The quotient is taken as
// a float product with 0.01f, which truncates to the integer quotient for
// every volume 0..99 and every sample: the product is exact (|volume x s| <
// 2^22), and 0.01f is off by a relative 2.2e-8, less than half a float step
// (at least 2^-25 relative), so an integral quotient rounds back to itself
// and a non-integral one stays at least 0.01 away from the next integer.
void MixSamples(int16_t* out, const int16_t* in, uint32_t count, uint32_t volume) {
    uint32_t i = 0;
    if (volume > 99) {
        for (; i + 8 <= count; i += 8) {
            __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            __m128i target = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_adds_epi16(target, source));
        }
    } else {
        const __m128i scale = _mm_set1_epi16(static_cast<int16_t>(volume));
        const __m128 hundredth = _mm_set1_ps(0.01f);
        for (; i + 8 <= count; i += 8) {
            __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
            __m128i low = _mm_mullo_epi16(source, scale);
            __m128i high = _mm_mulhi_epi16(source, scale);
            __m128i first = _mm_cvttps_epi32(
                _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(low, high)), hundredth));
            __m128i second = _mm_cvttps_epi32(
                _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(low, high)), hundredth));
            __m128i target = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                             _mm_adds_epi16(target, _mm_packs_epi32(first, second)));
        }
    }
    MixSamplesScalar(out + i, in + i, count - i, volume);
}
#else
void MixSamples(int16_t* out, const int16_t* in, uint32_t count, uint32_t volume) {
    MixSamplesScalar(out, in, count, volume);
}
#endif

std::string Concat(std::string_view a, std::string_view b) {
    std::string result(a);
    result += b;
    return result;
}

}  // namespace

bool EndsWithBackslash(std::string_view text) {
    return !text.empty() && formats::SjisFindLastBackslash(text) == text.size() - 1;
}

bool HasExtension(std::string_view name, std::string_view extension) {
    size_t dot = formats::SjisFindLastDot(name);
    if (dot == formats::kSjisNotFound) return false;
    size_t backslash = formats::SjisFindLastBackslash(name);
    if (backslash != formats::kSjisNotFound && dot < backslash) return false;
    return formats::SjisEqualNoCase(name.substr(dot), extension);
}

bool DeviceFileExists(std::string_view devicePath) {
    return platform::DeviceFile::OpenForReading(devicePath) != nullptr;
}

SoundMixer::SoundMixer(platform::WaveOutDevice& device, TickFunction tick, SleepFunction sleep,
                       DecoderProvider decoders)
    : device_(device),
      tick_(std::move(tick)),
      sleep_(std::move(sleep)),
      decoders_(std::move(decoders)),
      archive_(platform::DeviceFileOpener()) {
    if (decoders_.create) {
        xaudio_ = decoders_.create(DecoderKind::kXaudio);
        brindlex_ = decoders_.create(DecoderKind::kBrindlex);
    }
    for (auto& samples : bufferSamples_) samples.assign(kMixBytes / 2, 0);

    platform::WaveFormat format;  // the output format
    if (device_.Open(format, &SoundMixer::BufferDone, this) == platform::kWaveOk) {
        deviceOpen_ = true;
        device_.SetVolume(kFullDeviceVolume);
        mixBytes_ = kMixBytes;
        bufferIndex_ = 0;
        buffersDone_.store(0, std::memory_order_relaxed);
        for (int i = 0; i < kDeviceBuffers; ++i) {
            platform::WaveBuffer& buffer = buffers_[i];
            buffer.data = reinterpret_cast<uint8_t*>(bufferSamples_[i].data());
            buffer.length = kMixBytes;
            buffer.user = static_cast<uintptr_t>(i);
            buffer.flags = 0;
            device_.Prepare(&buffer);
            device_.Write(&buffer);
        }
        deviceRunning_ = true;
    }
    SelectDecoder(0);
}

SoundMixer::~SoundMixer() {
    // Also without a device: channels loaded then are freed here.
    StopAll();
    // The device's routine points at this object; it must not outlive it.
    CloseDevice();
    wavStream_.reset();
    if (brindlex_) brindlex_->Destroy();
    if (xaudio_) xaudio_->Destroy();
}

// ---- the mixing pass (device callback thread) ----

void SoundMixer::BufferDone(void* user, platform::WaveBuffer* buffer) {
    static_cast<SoundMixer*>(user)->MixingPass(buffer);
}

void SoundMixer::MixingPass(platform::WaveBuffer* buffer) {
    inPass_.store(true);
    device_.Unprepare(buffer);
    if (closing_.load()) {
        // Shutting down: buffers come back from Reset and stay out.
        inPass_.store(false);
        return;
    }
    int16_t* out = bufferSamples_[buffer->user % kDeviceBuffers].data();
    std::memset(out, 0, kMixBytes);

    MixChannel* music = music_.load(std::memory_order_acquire);
    if (music != nullptr) {
        UpdateMusicFade(*music);
        if (music->state.load(std::memory_order_acquire) == kChannelPlaying) RefillMusic(*music);
        if (MixChannelInto(*music, out)) FreeIfReleased(music_, music);
    }
    for (auto& slot : slots_) {
        MixChannel* channel = slot.load(std::memory_order_acquire);
        if (channel != nullptr && MixChannelInto(*channel, out)) FreeIfReleased(slot, channel);
    }

    device_.Prepare(buffer);
    device_.Write(buffer);
    bufferIndex_ = (bufferIndex_ + 1) % kDeviceBuffers;
    buffersDone_.fetch_add(1, std::memory_order_release);
    inPass_.store(false);
}

void SoundMixer::FreeIfReleased(std::atomic<MixChannel*>& holder, MixChannel* channel) {
    // The game thread may have taken the channel back itself (stalled
    // device); whoever clears the pointer frees the channel.
    if (holder.compare_exchange_strong(channel, nullptr, std::memory_order_acq_rel)) {
        delete channel;
    }
}

bool SoundMixer::MixChannelInto(MixChannel& channel, int16_t* out) {
    if (channel.state.load(std::memory_order_acquire) == kChannelPlaying) {
        const bool loop = channel.loop.load(std::memory_order_relaxed) != 0;
        const uint32_t pcmBytes = channel.pcmBytes;
        if (channel.position > pcmBytes) channel.position = pcmBytes;
        if (channel.position >= pcmBytes && !loop) {
            int32_t playing = kChannelPlaying;
            channel.state.compare_exchange_strong(playing, kChannelStopped);
        } else {
            if (channel.passCount.fetch_add(1, std::memory_order_relaxed) == 0) {
                channel.lastDevicePosition.store(device_.PositionBytes(),
                                                 std::memory_order_relaxed);
            }
            const uint32_t volume = static_cast<uint32_t>(channel.volume.load());
            const int16_t* pcm = channel.pcm.data();
            const uint32_t passSamples = mixBytes_ / 2;
            const uint32_t remaining = pcmBytes - channel.position;
            if (remaining < mixBytes_) {
                uint32_t filled = remaining / 2;
                MixSamples(out, pcm + channel.position / 2, filled, volume);
                channel.position = pcmBytes;
                if (loop) {
                    // A sound shorter than what is left of the pass repeats
                    // until the pass is full (never for an empty sound).
                    const uint32_t soundSamples = pcmBytes / 2;
                    channel.position = 0;
                    while (soundSamples > 0 && filled < passSamples) {
                        uint32_t count = std::min(soundSamples, passSamples - filled);
                        MixSamples(out + filled, pcm, count, volume);
                        filled += count;
                        channel.position = count * 2;
                    }
                    channel.lastDevicePosition.store(device_.PositionBytes(),
                                                     std::memory_order_relaxed);
                    channel.playedBytes.store(0, std::memory_order_relaxed);
                }
            } else {
                MixSamples(out, pcm + channel.position / 2, passSamples, volume);
                channel.position += mixBytes_;
                if (channel.position >= pcmBytes && loop) channel.position = 0;
            }
        }
    }
    return channel.state.load(std::memory_order_acquire) == kChannelRelease;
}

void SoundMixer::RecomputeVolume(MixChannel& channel) {
    int64_t volume = int64_t{channel.baseVolume.load()} * channel.fadeFactor.load() / 100;
    channel.volume.store(static_cast<int32_t>(std::min<int64_t>(100, volume)));
}

void SoundMixer::UpdateMusicFade(MixChannel& music) {
    const bool fadeOut = music.fadeOut.load(std::memory_order_acquire) != 0;
    const bool fadeIn = music.fadeIn.load(std::memory_order_acquire) != 0;
    if (!fadeOut && !fadeIn) return;
    const uint32_t elapsed = (tick_ ? tick_() : 0) - music.fadeStart.load();
    const uint32_t fadeMs = music.fadeMs.load();
    if (fadeOut) {
        if (elapsed >= fadeMs) {
            music.fadeFactor.store(0);
            RecomputeVolume(music);
            music.fadeOut.store(0);
            return;
        }
        music.fadeFactor.store(100 - static_cast<int32_t>(uint64_t{elapsed} * 100 / fadeMs));
        RecomputeVolume(music);
    }
    if (fadeIn) {
        if (elapsed < fadeMs) {
            music.fadeFactor.store(static_cast<int32_t>(uint64_t{elapsed} * 100 / fadeMs));
        } else {
            music.fadeFactor.store(100);
            music.fadeIn.store(0);
        }
        RecomputeVolume(music);
    }
}

void SoundMixer::RefillMusic(MixChannel& music) {
    std::memset(music.pcm.data(), 0, kMixBytes);
    const bool atEnd = music.kind == kMusicMp3
                           ? (music.decoder == nullptr || music.decoder->AtEnd())
                           : (music.wavStream == nullptr || music.wavStream->AtEnd());
    if (atEnd) return;  // the pass mixes silence
    uint32_t wanted = kMixBytes;
    if (music.format.channels == 1) wanted /= 2;
    if (music.format.sampleRate == 44100) wanted *= 2;
    const bool loop = music.decodeLoop != 0;
    auto read = [&](uint8_t* out, uint32_t count) {
        return music.kind == kMusicMp3 ? music.decoder->Decode(out, count, loop)
                                       : music.wavStream->Read(out, count, loop);
    };
    uint32_t produced = std::min(read(music.decodeBuffer.data(), wanted), wanted);
    // A looping source that reached its end mid-pass goes on from its start
    // in the same pass; leaving the rest silent would put a gap into every
    // loop of the music. Two empty reads in a row mean there is nothing to play.
    for (int empty = 0; loop && produced < wanted && empty < 2;) {
        uint32_t more = std::min(read(music.decodeBuffer.data() + produced, wanted - produced),
                                 wanted - produced);
        empty = more == 0 ? empty + 1 : 0;
        produced += more;
    }
    ConvertToOutput(std::span<const uint8_t>(music.decodeBuffer.data(), produced),
                    music.format.channels, music.format.sampleRate,
                    std::span<uint8_t>(music.PcmBytes(), kMixBytes));
}

// ---- game thread ----

std::atomic<MixChannel*>* SoundMixer::Holder(int slot) {
    if (slot == kMusicSlot) return &music_;
    if (slot < 0 || slot >= kEffectSlots) return nullptr;
    return &slots_[slot];
}

int SoundMixer::PlayEffect(int slot, int loop) {
    std::atomic<MixChannel*>* holder = Holder(slot);
    MixChannel* channel = holder ? holder->load(std::memory_order_acquire) : nullptr;
    if (channel != nullptr && channel->state.load() == kChannelStopped) {
        channel->loop.store(loop);
        channel->passCount.store(-3);  // heard after the three buffers queued ahead
        int32_t stopped = kChannelStopped;
        channel->state.compare_exchange_strong(stopped, kChannelPlaying, std::memory_order_acq_rel);
    }
    return 0;
}

void SoundMixer::HaltEffect(int slot) {
    std::atomic<MixChannel*>* holder = Holder(slot);
    MixChannel* channel = holder ? holder->load(std::memory_order_acquire) : nullptr;
    if (channel != nullptr) {
        int32_t playing = kChannelPlaying;
        channel->state.compare_exchange_strong(playing, kChannelStopped);
    }
}

void SoundMixer::StopEffect(int slot) {
    if (slot < 0 || slot >= kEffectSlots) return;
    ReleaseAndWait(slots_[slot]);
    slotNames_[slot].clear();
}

void SoundMixer::ReleaseAndWait(std::atomic<MixChannel*>& holder) {
    MixChannel* channel = holder.load(std::memory_order_acquire);
    if (channel == nullptr) return;
    channel->state.store(kChannelRelease, std::memory_order_release);
    if (deviceRunning_) {
        uint32_t lastDone = buffersDone_.load(std::memory_order_acquire);
        uint32_t idleMs = 0;
        while (holder.load(std::memory_order_acquire) != nullptr && idleMs < kStalledDeviceMs) {
            sleep_(1);
            uint32_t done = buffersDone_.load(std::memory_order_acquire);
            if (done != lastDone) {
                lastDone = done;
                idleMs = 0;
            } else {
                ++idleMs;
            }
        }
    }
    // No device, or it stopped calling back: nobody else will free it.
    ReleaseOnGameThread(holder);
}

void SoundMixer::ReleaseOnGameThread(std::atomic<MixChannel*>& holder) {
    MixChannel* channel = holder.exchange(nullptr, std::memory_order_acq_rel);
    if (channel == nullptr) return;
    // A pass that read the pointer before the exchange may still be mixing
    // it; a pass that starts now sees the empty slot.
    for (uint32_t waited = 0; inPass_.load() && waited < kPassEndWaitMs; ++waited) sleep_(1);
    if (inPass_.load()) return;  // a pass hangs on it: leak rather than free under it
    delete channel;
}

int32_t SoundMixer::PositionMs(MixChannel& channel) {
    uint32_t last = channel.lastDevicePosition.load(std::memory_order_relaxed);
    if (last == 0) return 0;  // the clock has not started
    uint32_t now = device_.PositionBytes();
    int32_t played = static_cast<int32_t>(
        static_cast<uint32_t>(channel.playedBytes.load(std::memory_order_relaxed)) + (now - last));
    channel.playedBytes.store(played, std::memory_order_relaxed);
    channel.lastDevicePosition.store(now, std::memory_order_relaxed);
    if (played <= 0) return 0;
    return static_cast<int32_t>(played * channel.bytesToSeconds * 1000.0);
}

int32_t SoundMixer::EffectPositionMs(int slot) {
    if (slot < 0 || slot >= kEffectSlots) return -1;
    MixChannel* channel = slots_[slot].load(std::memory_order_acquire);
    if (channel == nullptr || channel->state.load() != kChannelPlaying) return -1;
    return PositionMs(*channel);
}

std::string SoundMixer::EffectName(int slot) const {
    if (slot < 0 || slot >= kEffectSlots) return {};
    MixChannel* channel = slots_[slot].load(std::memory_order_acquire);
    if (channel == nullptr || channel->state.load() != kChannelPlaying) return {};
    return slotNames_[slot];
}

DecoderBinding* SoundMixer::SelectedDecoder() {
    return UsesBrindlex() ? brindlex_.get() : xaudio_.get();
}

int SoundMixer::PlayMusic(std::string_view name, std::string_view folder, int volume,
                          uint32_t fadeInMs, int started, int decodeLoop, bool memoryStream) {
    StopMusic();
    wavStream_.reset();
    if (name.size() > kMaxMusicNameChars) return 0;
    musicName_ = name;
    if (!folder.empty() && !EndsWithBackslash(folder)) return 0;  // archives hold no music

    std::string resolved(name);
    if (!DeviceFileExists(Concat(folder, resolved))) {
        resolved = formats::SjisReplaceExtension(name, ".mp3");
        if (!DeviceFileExists(Concat(folder, resolved))) {
            resolved = formats::SjisReplaceExtension(name, ".wav");
            if (!DeviceFileExists(Concat(folder, resolved))) return 0;
        }
    }

    auto channel = std::make_unique<MixChannel>();
    channel->AllocatePcm(kMixBytes);
    channel->decodeLoop = decodeLoop;
    channel->fadeFactor.store(100);
    channel->bytesToSeconds = kBytesToSeconds;
    if (HasExtension(resolved, ".mp3")) {
        std::string path = Concat(folder, resolved);
        DecoderBinding* decoder = SelectedDecoder();
        if (decoder != nullptr) {
            if (memoryStream) {
                platform::ReadWholeFile(path, &channel->memoryImage);
                decoder->OpenMemory(channel->memoryImage.data(),
                                    static_cast<uint32_t>(channel->memoryImage.size()));
            } else {
                decoder->OpenFile(path);
            }
            // An open that failed leaves the binding at its end: silence.
            const platform::WaveFormat& source = decoder->Format();
            channel->format.channels = source.channels;
            channel->format.sampleRate = source.sampleRate;
            channel->format.bitsPerSample = source.bitsPerSample;
            decoder->Start();
        }
        channel->kind = kMusicMp3;
        channel->format.formatTag = 1;
        channel->format.blockAlign = 4;
        channel->format.bytesPerSecond = 0;
        channel->format.extraSize = 0;
        channel->decoder = decoder;
        channel->decodeBuffer.assign(
            std::max<size_t>(kMusicDecodeBytes,
                             kMaxMusicRequestBytes + (decoder ? decoder->MaxFrameBytes() : 0)),
            0);
        musicDecoder_ = decoder;
    } else {
        auto reader = std::make_unique<WavStreamReader>();
        if (!reader->Open(Concat(folder, formats::SjisReplaceExtension(resolved, ".wav")))) {
            return 0;
        }
        reader->SetLoopStart(kWavHeaderBytes);
        uint8_t header[kWavHeaderBytes] = {};
        reader->Read(header, kWavHeaderBytes, false);
        formats::ByteSpan bytes(header);
        channel->kind = kMusicWav;
        channel->format.formatTag = formats::ReadLe16(bytes, 20);
        channel->format.channels = formats::ReadLe16(bytes, 22);
        channel->format.sampleRate = formats::ReadLe32(bytes, 24);
        channel->format.bytesPerSecond = formats::ReadLe32(bytes, 28);
        channel->format.blockAlign = formats::ReadLe16(bytes, 32);
        channel->format.bitsPerSample = formats::ReadLe16(bytes, 34);
        channel->decodeBuffer.assign(kMusicDecodeBytes, 0);
        channel->wavStream = reader.get();
        wavStream_ = std::move(reader);
    }
    const bool fadeIn = channel->kind == kMusicWav && fadeInMs > 0;
    music_.store(channel.release(), std::memory_order_release);
    if (fadeIn) FadeInMusic(fadeInMs);
    SetMusicVolume(volume);
    musicStarted_ = started;
    PlayEffect(kMusicSlot, 1);  // the one-pass block always loops
    return 1;
}

void SoundMixer::StopMusic() {
    ReleaseAndWait(music_);
    // The channel is gone, so the callback no longer decodes: end the stream.
    if (musicDecoder_ != nullptr) {
        musicDecoder_->Close();
        musicDecoder_ = nullptr;
    }
}

int SoundMixer::SetMusicVolume(int percent) {
    MixChannel* music = music_.load(std::memory_order_acquire);
    if (music != nullptr) {
        if (percent >= 0 && percent <= 100) music->baseVolume.store(percent);
        RecomputeVolume(*music);
    }
    return 1;
}

void SoundMixer::FadeInMusic(uint32_t durationMs) {
    MixChannel* music = music_.load(std::memory_order_acquire);
    if (music == nullptr) return;
    music->fadeFactor.store(0);
    music->fadeOut.store(0);
    music->fadeStart.store(tick_ ? tick_() : 0);
    music->fadeMs.store(durationMs);
    music->fadeIn.store(1, std::memory_order_release);
}

void SoundMixer::FadeOutMusic(uint32_t durationMs) {
    MixChannel* music = music_.load(std::memory_order_acquire);
    if (music == nullptr) return;
    music->fadeFactor.store(100);
    music->fadeIn.store(0);
    music->fadeStart.store(tick_ ? tick_() : 0);
    music->fadeMs.store(durationMs);
    music->fadeOut.store(1, std::memory_order_release);
}

int32_t SoundMixer::MusicPositionMs() {
    MixChannel* music = music_.load(std::memory_order_acquire);
    if (music == nullptr || music->state.load() != kChannelPlaying) return -1;
    return PositionMs(*music);
}

void SoundMixer::StopAll() {
    StopMusic();
    for (int slot = 0; slot < kEffectSlots; ++slot) StopEffect(slot);
}

void SoundMixer::SetDeviceVolume(uint32_t value) {
    uint32_t half = std::min<uint32_t>(value, 0xFFFF);
    device_.SetVolume(half | (half << 16));
}

void SoundMixer::SelectDecoder(int preferBrindlex) {
    DecoderKind kind = decoders_.select ? decoders_.select(preferBrindlex) : DecoderKind::kXaudio;
    useBrindlex_.store(kind == DecoderKind::kBrindlex ? 1 : 0);
}

void SoundMixer::CloseDevice() {
    if (!deviceOpen_) return;
    closing_.store(true);
    deviceRunning_ = false;
    device_.Pause();
    device_.Reset();
    for (uint32_t waited = 0; inPass_.load() && waited < kPassEndWaitMs; ++waited) sleep_(1);
    for (auto& buffer : buffers_) device_.Unprepare(&buffer);
    int result = device_.Close();
    for (int attempt = 1; result == platform::kWaveStillPlaying && attempt < kCloseAttempts;
         ++attempt) {
        sleep_(kCloseRetryMs);
        result = device_.Close();
    }
    deviceOpen_ = false;
    // The blocks are freed only once the device has let go of them.
    if (result == platform::kWaveOk) {
        for (int i = 0; i < kDeviceBuffers; ++i) {
            buffers_[i].data = nullptr;
            bufferSamples_[i] = {};
        }
    }
}

}  // namespace sound
