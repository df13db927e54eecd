#pragma once
// The software mixer: owns the process's one wave-output device, which runs
// from start-up to exit at one format (stereo 16-bit, 22050 Hz, four 8192-byte
// buffers), and mixes one streamed music channel and 64 effect slots inside
// the device's buffer-done routine. Effects are converted to the output
// format once, on load; music is decoded and converted one pass at a time.
//
// Thread safety: every public operation is for the game thread. The mixing
// pass runs on the device's callback thread (in the headless backend inside
// the sleep function, on the game thread). Channels are handed over without a
// lock: a channel is built completely before its pointer is published with a
// release store, the game thread only flips atomic words of a published
// channel, and only the mixing pass frees one, after release was asked for.
// When no device runs (open failed, closed, or no buffer completed for
// kStalledDeviceMs of sleeping) the game thread frees the channel itself.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/sound/decoder_binding.h"
#include "engine/sound/mix_channel.h"
#include "formats/archive_reader.h"
#include "platform/wave_out.h"

namespace sound {

class WavStreamReader;

inline constexpr int kEffectSlots = 64;
inline constexpr int kMusicSlot = -1;
inline constexpr uint32_t kMixBytes = 8192;  // one device buffer, 2048 frames
inline constexpr int kDeviceBuffers = 4;
inline constexpr size_t kMaxEffectNameChars = 46;
inline constexpr size_t kMaxMusicNameChars = 63;
inline constexpr uint32_t kMusicDecodeBytes = 131072;
// Sleeping this long without a finished buffer means the device is not
// calling back any more; a pending release is then done on the game thread.
inline constexpr uint32_t kStalledDeviceMs = 500;

// How the mixer obtains its decoder bindings; tests pass their own.
struct DecoderProvider {
    std::function<std::unique_ptr<DecoderBinding>(DecoderKind)> create;
    std::function<std::unique_ptr<DecoderBinding>(DecoderKind)> createTemporary;
    std::function<DecoderKind(int)> select;
};

// The real modules. Inline so that only programs that ask for it link them.
inline DecoderProvider ModuleDecoderProvider() {
    return {CreateDecoder, CreateTemporaryDecoder, SelectDecoderKind};
}

class SoundMixer {
public:
    using TickFunction = std::function<uint32_t()>;
    using SleepFunction = std::function<void(uint32_t)>;

    // Creates both decoder bindings, opens the device and queues four
    // silent buffers, then selects the decoder with preference 0. A device
    // that fails to open leaves a mixer that loads and accepts everything
    // but never sounds. tick is the engine clock (fades; read on the
    // callback thread); sleep is how the game thread waits.
    SoundMixer(platform::WaveOutDevice& device, TickFunction tick, SleepFunction sleep,
               DecoderProvider decoders = ModuleDecoderProvider());
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    // 1 when slot holds the sound, converted and stopped; 0 on any failure.
    // source: an archive path, a folder ending in '\', or "" (name is a path).
    int LoadEffect(int slot, std::string_view name, std::string_view source, int volume);
    // Starts a loaded channel that is not playing (slot -1: the music).
    // Always 0.
    int PlayEffect(int slot, int loop);
    // Releases the slot's channel, waits until it is gone, clears the name.
    void StopEffect(int slot);
    // A playing channel falls silent, keeping its sound and position.
    void HaltEffect(int slot);
    // Milliseconds heard so far; -1 when the slot is empty or not playing.
    int32_t EffectPositionMs(int slot);
    // The slot's name while its channel plays, else "".
    std::string EffectName(int slot) const;

    // 1 when the music channel plays; 0 on failure. folder: "" or ending in
    // '\' (an archive is refused). started is kept for MusicStarted.
    int PlayMusic(std::string_view name, std::string_view folder, int volume, uint32_t fadeInMs,
                  int started, int decodeLoop, bool memoryStream);
    void StopMusic();
    // percent 0..100 sets the base volume (-1 keeps it); the effective
    // volume follows the fade. Always 1.
    int SetMusicVolume(int percent);
    void FadeInMusic(uint32_t durationMs);
    void FadeOutMusic(uint32_t durationMs);
    int32_t MusicPositionMs();
    int MusicStarted() const { return musicStarted_; }
    const std::string& MusicName() const { return musicName_; }

    void StopAll();
    // min(value, 65535) on both the left and the right channel.
    void SetDeviceVolume(uint32_t value);
    // preferBrindlex 1 prefers Brindlex.ovl.
    void SelectDecoder(int preferBrindlex);
    bool UsesBrindlex() const { return useBrindlex_.load(std::memory_order_relaxed) != 0; }
    // Stops and closes the device (at exit); the mixer stays usable, silent.
    void CloseDevice();

    bool DeviceRunning() const { return deviceRunning_; }
    uint32_t BuffersDone() const { return buffersDone_.load(std::memory_order_acquire); }

private:
    static void BufferDone(void* user, platform::WaveBuffer* buffer);
    void MixingPass(platform::WaveBuffer* buffer);
    // True when the channel asks to be released.
    bool MixChannelInto(MixChannel& channel, int16_t* out);
    void UpdateMusicFade(MixChannel& music);
    void RefillMusic(MixChannel& music);
    void FreeIfReleased(std::atomic<MixChannel*>& holder, MixChannel* channel);

    void ReleaseAndWait(std::atomic<MixChannel*>& holder);
    void ReleaseOnGameThread(std::atomic<MixChannel*>& holder);
    int32_t PositionMs(MixChannel& channel);
    static void RecomputeVolume(MixChannel& channel);
    std::atomic<MixChannel*>* Holder(int slot);
    DecoderBinding* SelectedDecoder();
    int DecodeMp3(const std::vector<uint8_t>& data, std::vector<uint8_t>* samples,
                  platform::WaveFormat* format);

    platform::WaveOutDevice& device_;
    TickFunction tick_;
    SleepFunction sleep_;
    DecoderProvider decoders_;

    formats::ArchiveReader archive_;
    std::unique_ptr<DecoderBinding> xaudio_;
    std::unique_ptr<DecoderBinding> brindlex_;
    std::atomic<int> useBrindlex_{0};

    std::array<std::string, kEffectSlots> slotNames_;
    std::atomic<MixChannel*> music_{nullptr};
    std::array<std::atomic<MixChannel*>, kEffectSlots> slots_{};
    DecoderBinding* musicDecoder_ = nullptr;  // the binding the music opened
    std::unique_ptr<WavStreamReader> wavStream_;
    std::string musicName_;
    int musicStarted_ = 0;

    uint32_t mixBytes_ = kMixBytes;
    uint32_t bufferIndex_ = 0;
    std::atomic<uint32_t> buffersDone_{0};
    bool deviceOpen_ = false;     // Open succeeded and Close has not ended it
    bool deviceRunning_ = false;  // buffers are queued and calling back
    std::atomic<bool> closing_{false};
    // Set for the whole of a mixing pass, so that the game thread can wait
    // for a pass that may still hold a channel it has taken back.
    std::atomic<bool> inPass_{false};
    std::array<platform::WaveBuffer, kDeviceBuffers> buffers_{};
    std::array<std::vector<int16_t>, kDeviceBuffers> bufferSamples_;
};

}  // namespace sound

namespace sound {

// True when the extension of name (from its last '.' inside its last path
// element) equals extension, ASCII letters compared without case.
bool HasExtension(std::string_view name, std::string_view extension);
// True when text ends in a '\' of its own (not the trail byte of a
// double-byte character): a folder rather than an archive.
bool EndsWithBackslash(std::string_view text);
// True when the device path names a regular file that can be opened.
bool DeviceFileExists(std::string_view devicePath);

}  // namespace sound
