#pragma once
// The converters' MP3 encoder binding over the run-time module "gogo.so":
// PCM from memory in, an MP3 stream in memory out. Sounds of at most
// kShortSoundLimit bytes with a format description become a ShortPcmFile
// instead.
//
// The module is looked up by name (the executable's folder, MIRELO_MODULE_PATH,
// the system's search) and then at the path stored as value "INSTPATH" of key
// "Software\\MarineCat\\GOGO_DLL" in the per-user key store.
//
// Thread safety: the module keeps one encoder per process, so encodings are
// serialised; Encode may be called from any thread.

#include <cstdint>
#include <memory>

#include "common/short_pcm_file.h"
#include "mirelo/module_abi/gogo_abi.h"

namespace common {

// Read function, PCM byte count, bits per sample, sample rate, channels.
// Encode sets the read function itself.
using PcmDescription = MpgeUserInput;

class Mp3Encoder {
public:
    static constexpr uint32_t kShortSoundLimit = 16384;
    // The result of LoadModule when no module could be loaded.
    static constexpr int kModuleMissing = 12;
    static constexpr int kBitrateCount = 17;
    static constexpr int kFrequencyCount = 6;
    static constexpr uint32_t kBitrates[kBitrateCount] = {8,  16,  24,  32,  40,  48,  56,  64, 80,
                                                          96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr uint32_t kFrequencies[kFrequencyCount] = {16000, 22050, 24000,
                                                               32000, 44100, 48000};
    static constexpr const char kModuleName[] = "gogo.so";
    static constexpr const char kRegistryKey[] = "Software\\MarineCat\\GOGO_DLL";
    static constexpr const char kRegistryValue[] = "INSTPATH";

    // Indices out of range are clamped to the tables. A failed module load
    // leaves the encoder without a module; Encode then fails. A short-sound
    // limit of 0 turns the short container off: every sound becomes MP3
    // (the voices, which the engine only ever plays as MP3).
    Mp3Encoder(int bitrateIndex, int frequencyIndex, int stereo,
               uint32_t shortSoundLimit = kShortSoundLimit);
    ~Mp3Encoder();
    Mp3Encoder(const Mp3Encoder&) = delete;
    Mp3Encoder& operator=(const Mp3Encoder&) = delete;

    // 0 when a module is held (loading it if needed), kModuleMissing if none.
    int LoadModule();
    bool HasModule() const { return module_ != nullptr; }

    // On entry *size holds the PCM byte count. Returns the MP3 stream (or the
    // ShortPcmFile) with its length in *size, or nullptr on failure. `format`
    // may be null: the sound is then always encoded as MP3. `description`
    // gives the PCM's layout; its read function is set here.
    std::unique_ptr<uint8_t[]> Encode(const WaveFormat* format, const uint8_t* pcm,
                                      PcmDescription* description, uint32_t* size);

private:
    void* module_ = nullptr;
    int bitrateIndex_;
    int frequencyIndex_;
    int stereo_;
    uint32_t shortSoundLimit_;

    MpgeInitializeWorkFunction initializeWork_ = nullptr;
    MpgeSetConfigureFunction setConfigure_ = nullptr;
    MpgeGetConfigureFunction getConfigure_ = nullptr;
    MpgeDetectConfigureFunction detectConfigure_ = nullptr;
    MpgeProcessFrameFunction processFrame_ = nullptr;
    MpgeCloseCoderFunction closeCoder_ = nullptr;
    MpgeEndCoderFunction endCoder_ = nullptr;
    MpgeGetVersionFunction getVersion_ = nullptr;
    MpgeGetUnitStatesFunction getUnitStates_ = nullptr;
};

}  // namespace common
