#include "common/mp3_encoder.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <span>
#include <string>

#include "common/key_store.h"
#include "platform/module_loader.h"

namespace common {

namespace {

constexpr uint32_t kSinkSize = 2097152;

// The source and sink the module's stream functions reach; one encoding at a
// time, guarded by encodeLock.
struct StreamState {
    const uint8_t* source = nullptr;
    uint32_t sourceSize = 0;
    uint32_t readPosition = 0;
    std::unique_ptr<uint8_t[]> sink;
    size_t sinkCapacity = 0;
    size_t written = 0;
};

StreamState stream;
std::mutex encodeLock;

int ReadPcm(void* buffer, uint32_t length) {
    if (stream.readPosition >= stream.sourceSize) return 1;
    uint32_t remaining = stream.sourceSize - stream.readPosition;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    if (remaining >= length) {
        std::memcpy(out, stream.source + stream.readPosition, length);
        stream.readPosition += length;
        return 0;
    }
    std::memcpy(out, stream.source + stream.readPosition, remaining);
    std::memset(out + remaining, 0, length - remaining);
    stream.readPosition = stream.sourceSize;
    return 0;
}

// A fixed sink could overrun when a low-rate source is encoded at a high
// bitrate; it doubles instead.
int WriteMp3(const void* buffer, uint32_t length) {
    if (buffer == nullptr) return 0;
    size_t needed = stream.written + length;
    if (needed > stream.sinkCapacity) {
        size_t capacity = std::max(needed, stream.sinkCapacity * 2);
        std::unique_ptr<uint8_t[]> grown(new (std::nothrow) uint8_t[capacity]);
        if (!grown) return 1;
        if (stream.written > 0) std::memcpy(grown.get(), stream.sink.get(), stream.written);
        stream.sink = std::move(grown);
        stream.sinkCapacity = capacity;
    }
    std::memcpy(stream.sink.get() + stream.written, buffer, length);
    stream.written += length;
    return 0;
}

void ReleaseSink() {
    stream.sink.reset();
    stream.sinkCapacity = 0;
    stream.written = 0;
}

template <typename Function>
Function Resolve(void* module, const char* name) {
    return reinterpret_cast<Function>(platform::ResolveSymbol(module, name));
}

}  // namespace

Mp3Encoder::Mp3Encoder(int bitrateIndex, int frequencyIndex, int stereo, uint32_t shortSoundLimit)
    : bitrateIndex_(std::clamp(bitrateIndex, 0, kBitrateCount - 1)),
      frequencyIndex_(std::clamp(frequencyIndex, 0, kFrequencyCount - 1)),
      stereo_(stereo != 0),
      shortSoundLimit_(shortSoundLimit) {
    LoadModule();
}

Mp3Encoder::~Mp3Encoder() {
    if (module_ != nullptr) platform::FreeModule(module_);
    std::lock_guard<std::mutex> lock(encodeLock);
    ReleaseSink();
}

int Mp3Encoder::LoadModule() {
    if (module_ != nullptr) return 0;
    void* loaded = platform::LoadModule(kModuleName);
    if (loaded == nullptr) {
        std::string path;
        if (ReadKeyValue(kRegistryKey, kRegistryValue, &path, 1024) && !path.empty() &&
            path.front() == '/') {
            // A full path: the loader's folder search does not apply.
            loaded = platform::LoadModuleAt(path);
        }
    }
    if (loaded == nullptr) return kModuleMissing;

    initializeWork_ = Resolve<MpgeInitializeWorkFunction>(loaded, "MPGE_initializeWork");
    setConfigure_ = Resolve<MpgeSetConfigureFunction>(loaded, "MPGE_setConfigure");
    getConfigure_ = Resolve<MpgeGetConfigureFunction>(loaded, "MPGE_getConfigure");
    detectConfigure_ = Resolve<MpgeDetectConfigureFunction>(loaded, "MPGE_detectConfigure");
    processFrame_ = Resolve<MpgeProcessFrameFunction>(loaded, "MPGE_processFrame");
    closeCoder_ = Resolve<MpgeCloseCoderFunction>(loaded, "MPGE_closeCoder");
    endCoder_ = Resolve<MpgeEndCoderFunction>(loaded, "MPGE_endCoder");
    getVersion_ = Resolve<MpgeGetVersionFunction>(loaded, "MPGE_getVersion");
    getUnitStates_ = Resolve<MpgeGetUnitStatesFunction>(loaded, "MPGE_getUnitStates");
    // A module lacking a call that Encode makes is no use: calling through a
    // null entry would crash.
    if (initializeWork_ == nullptr || setConfigure_ == nullptr || detectConfigure_ == nullptr ||
        processFrame_ == nullptr || closeCoder_ == nullptr || endCoder_ == nullptr) {
        platform::FreeModule(loaded);
        initializeWork_ = nullptr;
        setConfigure_ = nullptr;
        getConfigure_ = nullptr;
        detectConfigure_ = nullptr;
        processFrame_ = nullptr;
        closeCoder_ = nullptr;
        endCoder_ = nullptr;
        getVersion_ = nullptr;
        getUnitStates_ = nullptr;
        return kModuleMissing;
    }
    module_ = loaded;
    return 0;
}

std::unique_ptr<uint8_t[]> Mp3Encoder::Encode(const WaveFormat* format, const uint8_t* pcm,
                                              PcmDescription* description, uint32_t* size) {
    if (size == nullptr || (pcm == nullptr && *size > 0)) return nullptr;
    std::lock_guard<std::mutex> lock(encodeLock);
    uint32_t n = *size;
    stream.source = pcm;
    stream.sourceSize = n;
    stream.readPosition = 0;
    ReleaseSink();

    if (shortSoundLimit_ > 0 && n <= shortSoundLimit_ && format != nullptr) {
        std::vector<uint8_t> file =
            ShortPcmFile::Build(*format, std::span<const uint8_t>(pcm, pcm ? n : 0));
        std::unique_ptr<uint8_t[]> result(new uint8_t[file.size()]);
        std::memcpy(result.get(), file.data(), file.size());
        *size = static_cast<uint32_t>(file.size());
        return result;
    }
    if (module_ == nullptr || description == nullptr) return nullptr;

    stream.sinkCapacity = n < kSinkSize ? kSinkSize : std::max<size_t>(n / 2, 1);
    stream.sink.reset(new (std::nothrow) uint8_t[stream.sinkCapacity]);
    if (!stream.sink) {
        stream.sinkCapacity = 0;
        return nullptr;
    }

    initializeWork_();
    description->read = ReadPcm;
    setConfigure_(gogo::kItemInput, gogo::kUserFunction, description);
    setConfigure_(gogo::kItemOutput, gogo::kUserFunction, reinterpret_cast<void*>(&WriteMp3));
    setConfigure_(gogo::kItemLowPass16k, 1, nullptr);
    setConfigure_(gogo::kItemPsychoacoustic, 0, nullptr);
    setConfigure_(gogo::kItemMmx, 1, nullptr);
    setConfigure_(gogo::kItemEncodeMode, stereo_ ? gogo::kModeStereo : gogo::kModeMono, nullptr);
    setConfigure_(gogo::kItemBitrate, kBitrates[bitrateIndex_], nullptr);
    setConfigure_(gogo::kItemOutputFrequency, kFrequencies[frequencyIndex_], nullptr);
    if (detectConfigure_() != 0) {
        // The module was set up but never started: release its work area too.
        endCoder_();
        return nullptr;
    }

    MpgeResult result;
    do {
        result = processFrame_();
    } while (result == 0);
    closeCoder_();
    endCoder_();
    if (result != gogo::kEnd) {
        ReleaseSink();
        return nullptr;
    }
    *size = static_cast<uint32_t>(stream.written);
    stream.sinkCapacity = 0;
    stream.written = 0;
    return std::move(stream.sink);
}

}  // namespace common
