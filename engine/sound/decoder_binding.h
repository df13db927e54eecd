#pragma once
// The engine's side of the two MP3 decoder modules: a binding object per
// module kind with one small interface. The engine contains no MP3 decoder;
// it only passes data to a module and relies on what comes back.
//
// Thread safety: Open*, Decode, Rewind and Close take the lock of the module
// kind (one lock shared by all objects of a kind): the music binding decodes
// on the wave device's callback thread while the game thread opens and
// decodes effects with other objects of the same kind.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/wave_out.h"

namespace sound {

enum class DecoderKind { kXaudio, kBrindlex };

class DecoderBinding {
public:
    virtual ~DecoderBinding() = default;

    // Loads the module when this object does not hold it yet: 0 = loaded,
    // 1 = module not available.
    virtual int Load() = 0;
    virtual void Unload() = 0;
    // 0 = success, 1 = failure; a previous stream is closed first. After a
    // failed open AtEnd reports true and Decode returns 0.
    virtual int OpenMemory(const uint8_t* data, uint32_t length) = 0;
    // devicePath: a path in the system's '\' language.
    virtual int OpenFile(const std::string& devicePath) = 0;
    int Start() { return 0; }
    // Writes at most count bytes of 16-bit PCM; `out` must have room for
    // count plus MaxFrameBytes(). Returns the bytes written.
    virtual uint32_t Decode(uint8_t* out, uint32_t count, bool loop) = 0;
    bool AtEnd() const { return endOfStream_; }
    virtual void Rewind() = 0;
    const platform::WaveFormat& Format() const { return format_; }
    // An upper estimate of the whole decoded size in bytes.
    virtual uint32_t EstimateOutputBytes() = 0;
    virtual void Close() = 0;
    void Destroy() {
        Close();
        Unload();
    }
    virtual uint32_t MaxFrameBytes() const = 0;

protected:
    bool endOfStream_ = true;
    platform::WaveFormat format_{};
};

// A binding of the kind that owns and loads its module (the mixer's two).
std::unique_ptr<DecoderBinding> CreateDecoder(DecoderKind kind);
// A short-lived binding that uses the module already loaded by another
// object of its kind and loads nothing itself (effects decoded on load).
std::unique_ptr<DecoderBinding> CreateTemporaryDecoder(DecoderKind kind);
// Loads and frees the module at once: true when it can be loaded.
bool ProbeModule(DecoderKind kind);

// The module chosen by preference bit p (1 prefers Brindlex.ovl).
DecoderKind SelectDecoderKind(int preferBrindlex);

inline constexpr const char* kBrindlexModuleName = "Brindlex.ovl";
inline constexpr const char* kXaudioModuleName = "xaudio.so";

}  // namespace sound
