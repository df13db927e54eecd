#pragma once
// The binding of the module "xaudio.so": the module reads the stream through
// its memory input and hands out decoded frames one at a time.
//
// Thread safety: see decoder_binding.h; all objects share one lock.

#include <array>
#include <cstdint>
#include <string>

#include "engine/sound/decoder_binding.h"
#include "engine/sound/decoder_support.h"
#include "mirelo/module_abi/xaudio_abi.h"

namespace sound {

class XaudioDecoder final : public DecoderBinding {
public:
    // ownsModule: false for a temporary binding that uses the functions an
    // owning binding has resolved and loads nothing itself.
    explicit XaudioDecoder(bool ownsModule) : ownsModule_(ownsModule) {}
    ~XaudioDecoder() override { Destroy(); }
    XaudioDecoder(const XaudioDecoder&) = delete;
    XaudioDecoder& operator=(const XaudioDecoder&) = delete;

    int Load() override;
    void Unload() override;
    int OpenMemory(const uint8_t* data, uint32_t length) override;
    int OpenFile(const std::string& devicePath) override;
    uint32_t Decode(uint8_t* out, uint32_t count, bool loop) override;
    void Rewind() override;
    uint32_t EstimateOutputBytes() override;
    void Close() override;
    uint32_t MaxFrameBytes() const override { return xaudio::kMaxFrameBytes; }

    uint32_t DurationMs() const { return durationMs_; }

    static constexpr uint32_t kOverflowBytes = 65536;

private:
    enum class Setup { kMemoryImage, kMappedFile };

    // Creates the decoder on the source and takes in the first frame; the
    // lock is held and the source set. 0 = success.
    int OpenSource(Setup setup);
    // Appends one decoded frame to out at *sum; false when the frame is
    // unusable (too large, no samples pointer).
    bool TakeFrame(uint8_t* out, uint32_t* sum);
    void CloseLocked();

    bool ownsModule_;
    void* module_ = nullptr;
    XaudioLibraryDecoder* decoder_ = nullptr;
    bool opened_ = false;
    const uint8_t* source_ = nullptr;
    uint32_t dataLength_ = 0;
    platform::MappedFile file_;
    std::string path_;
    uint32_t durationMs_ = 0;
    uint32_t bytesPerSecond_ = 0;
    uint32_t overflowOffset_ = 0;
    uint32_t overflowCount_ = 0;
    std::array<uint8_t, kOverflowBytes> overflow_{};
};

}  // namespace sound
