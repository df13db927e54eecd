#pragma once
// The binding of the module "Brindlex.ovl": the engine finds the frames of
// the stream itself and hands the module one whole frame at a time.
//
// Thread safety: see decoder_binding.h; all objects share one lock.

#include <array>
#include <cstdint>
#include <string>

#include "engine/sound/decoder_binding.h"
#include "engine/sound/decoder_support.h"
#include "mirelo/module_abi/brindlex_abi.h"

namespace sound {

class BrindlexDecoder final : public DecoderBinding {
public:
    // ownsModule: false for a temporary binding that uses the functions an
    // owning binding has resolved and loads nothing itself.
    explicit BrindlexDecoder(bool ownsModule) : ownsModule_(ownsModule) {}
    ~BrindlexDecoder() override { Destroy(); }
    BrindlexDecoder(const BrindlexDecoder&) = delete;
    BrindlexDecoder& operator=(const BrindlexDecoder&) = delete;

    int Load() override;
    void Unload() override;
    int OpenMemory(const uint8_t* data, uint32_t length) override;
    int OpenFile(const std::string& devicePath) override;
    uint32_t Decode(uint8_t* out, uint32_t count, bool loop) override;
    void Rewind() override;
    uint32_t EstimateOutputBytes() override;
    void Close() override;
    uint32_t MaxFrameBytes() const override { return brindlex::kPcmBufferBytes; }

    uint32_t DurationMs() const { return durationMs_; }

    static constexpr uint32_t kOverflowBytes = 16384;

private:
    enum Mode { kMemoryImage = 0, kMappedFile = 1 };

    // Both expect the source to be set; they take the lock.
    int OpenSource();
    void CloseLocked();

    bool ownsModule_;
    void* module_ = nullptr;
    void* handle_ = nullptr;
    Mode mode_ = kMemoryImage;
    const uint8_t* source_ = nullptr;
    uint32_t dataLength_ = 0;
    uint32_t inputOffset_ = 0;
    platform::MappedFile file_;
    std::string path_;
    uint32_t durationMs_ = 0;
    uint32_t bytesPerSecond_ = 0;
    uint32_t overflowOffset_ = 0;
    uint32_t overflowCount_ = 0;
    std::array<uint8_t, kOverflowBytes> overflow_{};
    std::array<uint8_t, brindlex::kFrameBufferBytes> frame_{};
    std::array<uint8_t, brindlex::kPcmBufferBytes> pcm_{};
};

}  // namespace sound
