#include "engine/sound/xaudio_decoder.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "engine/sound/shared_module.h"
#include "platform/module_loader.h"

namespace sound {

namespace {

// Resolved once per process by the first binding that loads the module, and
// cleared when nothing uses the module any more. Guarded by the kind's lock.
struct ModuleFunctions {
    xaudio::DecoderNewFunction decoderNew = nullptr;
    xaudio::ModuleRegisterFunction mpegCodecRegister = nullptr;
    xaudio::DecoderModuleRegisterFunction decoderCodecRegister = nullptr;
    xaudio::ModuleRegisterFunction fileInputRegister = nullptr;
    xaudio::ModuleRegisterFunction memoryInputRegister = nullptr;
    xaudio::DecoderModuleRegisterFunction decoderInputRegister = nullptr;
    xaudio::InputNewFunction inputNew = nullptr;
    xaudio::DecoderFunction inputDelete = nullptr;
    xaudio::DecoderFunction decoderDelete = nullptr;
    xaudio::DecoderFunction inputOpen = nullptr;
    xaudio::DecoderFunction inputClose = nullptr;
    xaudio::SetQualityFunction setQuality = nullptr;
    xaudio::DecodeFunction decode = nullptr;
    xaudio::SeekFunction seekToPosition = nullptr;
    xaudio::SeekFunction seekToOffset = nullptr;
};

// Calls that return "no frame this time" in a row before the stream is
// taken as ended: a module that never delivers must not hang the caller.
constexpr uint32_t kMaxIdleCalls = 1u << 16;

// The module's exports are not checked at load; a missing one that a
// stream needs makes the open fail instead of calling through null.
bool StreamCallsReady(const ModuleFunctions& f) {
    return f.decoderNew && f.mpegCodecRegister && f.decoderCodecRegister && f.memoryInputRegister &&
           f.decoderInputRegister && f.inputNew && f.inputDelete && f.decoderDelete &&
           f.inputOpen && f.inputClose && f.setQuality && f.decode && f.seekToPosition;
}

bool NoFrameThisTime(int result) {
    return result == xaudio::kNeedMoreInput || result == xaudio::kFrameSkipped;
}

template <typename Function>
Function Resolve(void* module, int index) {
    return reinterpret_cast<Function>(platform::ResolveSymbol(module, xaudio::kExportNames[index]));
}

bool ResolveFunctions(void* module, ModuleFunctions* found) {
    found->decoderNew = Resolve<xaudio::DecoderNewFunction>(module, 0);
    found->mpegCodecRegister = Resolve<xaudio::ModuleRegisterFunction>(module, 1);
    found->decoderCodecRegister = Resolve<xaudio::DecoderModuleRegisterFunction>(module, 2);
    found->fileInputRegister = Resolve<xaudio::ModuleRegisterFunction>(module, 3);
    found->memoryInputRegister = Resolve<xaudio::ModuleRegisterFunction>(module, 4);
    found->decoderInputRegister = Resolve<xaudio::DecoderModuleRegisterFunction>(module, 5);
    found->inputNew = Resolve<xaudio::InputNewFunction>(module, 6);
    found->inputDelete = Resolve<xaudio::DecoderFunction>(module, 7);
    found->decoderDelete = Resolve<xaudio::DecoderFunction>(module, 8);
    found->inputOpen = Resolve<xaudio::DecoderFunction>(module, 9);
    found->inputClose = Resolve<xaudio::DecoderFunction>(module, 10);
    found->setQuality = Resolve<xaudio::SetQualityFunction>(module, 11);
    found->decode = Resolve<xaudio::DecodeFunction>(module, 12);
    found->seekToPosition = Resolve<xaudio::SeekFunction>(module, 13);
    found->seekToOffset = Resolve<xaudio::SeekFunction>(module, 14);
    return true;
}

SharedModule<ModuleFunctions> gModule(DecoderKind::kXaudio, kXaudioModuleName, ResolveFunctions,
                                      StreamCallsReady);

const ModuleFunctions& Functions() {
    return gModule.Table();
}

}  // namespace

int XaudioDecoder::Load() {
    return gModule.Load(ownsModule_, &module_);
}

void XaudioDecoder::Unload() {
    if (module_ == nullptr) return;
    // A stream of this object must not outlive the code that decodes it.
    Close();
    gModule.Unload(&module_);
}

int XaudioDecoder::OpenMemory(const uint8_t* data, uint32_t length) {
    Close();
    std::lock_guard<std::mutex> lock(gModule.Lock());
    if (data == nullptr) length = 0;
    dataLength_ = LengthWithoutTrailingTag(data, length);
    source_ = data;
    path_.clear();
    durationMs_ = dataLength_ >= 4 ? DurationFromFrameHeader(data, dataLength_) : 0;
    return OpenSource(Setup::kMemoryImage);
}

int XaudioDecoder::OpenFile(const std::string& devicePath) {
    Close();
    std::lock_guard<std::mutex> lock(gModule.Lock());
    path_ = devicePath;
    if (!MapSourceFile(devicePath, &file_)) {
        CloseLocked();
        return 1;
    }
    source_ = file_.Data();
    dataLength_ = static_cast<uint32_t>(file_.Size());
    durationMs_ = dataLength_ >= 4 ? DurationFromFrameHeader(source_, dataLength_) : 0;
    return OpenSource(Setup::kMappedFile);
}

int XaudioDecoder::OpenSource(Setup setup) {
    const ModuleFunctions& f = Functions();
    if (!gModule.Ready() || f.decoderNew(&decoder_) != xaudio::kSuccess || decoder_ == nullptr) {
        decoder_ = nullptr;
        CloseLocked();
        return 1;
    }
    gModule.AddStream();
    bytesPerSecond_ = 0;
    opened_ = true;
    overflowOffset_ = 0;
    overflowCount_ = 0;
    format_ = ZeroFormat();
    endOfStream_ = false;

    XaudioModuleDescription codec{};
    f.mpegCodecRegister(&codec);
    f.decoderCodecRegister(decoder_, &codec);
    if (setup == Setup::kMappedFile) f.setQuality(decoder_, 1);
    XaudioModuleDescription input{};
    f.memoryInputRegister(&input);
    f.decoderInputRegister(decoder_, &input);

    // The address is written in full: eight digits would cut a 64-bit one.
    char name[64];
    if (setup == Setup::kMemoryImage) {
        std::snprintf(name, sizeof name, "%08x@%016" PRIxPTR, dataLength_,
                      reinterpret_cast<uintptr_t>(source_));
    } else {
        std::snprintf(name, sizeof name, "%x@%p", dataLength_, static_cast<const void*>(source_));
    }
    if (f.inputNew(decoder_, name, -1) != xaudio::kSuccess ||
        f.inputOpen(decoder_) != xaudio::kSuccess) {
        opened_ = false;  // only the decoder itself is deleted
        CloseLocked();
        return 1;
    }
    if (setup == Setup::kMemoryImage) f.setQuality(decoder_, 1);

    // The first frame gives the format; its samples wait in the overflow
    // buffer for the first Decode. A source without any frame has no
    // format to offer, so the open fails rather than report a zero one.
    for (uint32_t call = 0; call < kMaxIdleCalls; ++call) {
        int result = f.decode(decoder_, nullptr);
        if (NoFrameThisTime(result)) continue;
        if (result != xaudio::kSuccess) break;
        const XaudioOutputBuffer* frame = decoder_->outputBuffer;
        if (frame == nullptr || frame->channels < 1 || frame->channels > 2 ||
            frame->sampleRate == 0 || frame->bytesPerSample != 2) {
            break;
        }
        uint32_t sum = 0;
        if (!TakeFrame(overflow_.data(), &sum)) break;
        overflowCount_ = sum;
        format_ = PcmFormat(frame->channels, frame->sampleRate);
        bytesPerSecond_ = frame->channels * frame->sampleRate * frame->bytesPerSample;
        return 0;
    }
    CloseLocked();
    return 1;
}

bool XaudioDecoder::TakeFrame(uint8_t* out, uint32_t* sum) {
    const XaudioOutputBuffer* frame = decoder_->outputBuffer;
    if (frame == nullptr || frame->bytesPerSample != 2) return false;
    uint64_t bytes = uint64_t{frame->channels} * frame->bytesPerSample * frame->samplesPerChannel;
    if (bytes > xaudio::kMaxFrameBytes) return false;
    if (bytes > 0 && frame->samples == nullptr) return false;
    if (bytesPerSecond_ == 0) {
        bytesPerSecond_ = frame->channels * frame->sampleRate * frame->bytesPerSample;
    }
    if (bytes > 0) std::memcpy(out + *sum, frame->samples, static_cast<size_t>(bytes));
    *sum += static_cast<uint32_t>(bytes);
    return true;
}

uint32_t XaudioDecoder::Decode(uint8_t* out, uint32_t count, bool loop) {
    std::lock_guard<std::mutex> lock(gModule.Lock());
    if (out == nullptr) return 0;
    if (overflowCount_ >= count) {
        std::memcpy(out, overflow_.data() + overflowOffset_, count);
        overflowOffset_ += count;
        overflowCount_ -= count;
        return count;
    }
    uint32_t sum = overflowCount_;
    std::memcpy(out, overflow_.data() + overflowOffset_, sum);
    overflowOffset_ = 0;
    overflowCount_ = 0;
    if (!opened_ || !gModule.Ready()) {
        endOfStream_ = true;
        return sum;
    }
    uint32_t idleCalls = 0;
    for (;;) {
        int result = Functions().decode(decoder_, nullptr);
        if (result == xaudio::kSuccess) {
            if (!TakeFrame(out, &sum)) break;
            idleCalls = 0;
            if (sum > count) {
                overflowCount_ = sum - count;
                std::memcpy(overflow_.data(), out + count, overflowCount_);
                return count;
            }
        } else if (!NoFrameThisTime(result) || ++idleCalls > kMaxIdleCalls) {
            break;
        }
        if (sum >= count || endOfStream_) return sum;
    }
    if (loop) {
        endOfStream_ = false;
        Functions().seekToPosition(decoder_, 0);
    } else {
        endOfStream_ = true;
    }
    return sum;
}

void XaudioDecoder::Rewind() {
    std::lock_guard<std::mutex> lock(gModule.Lock());
    if (!opened_ || !gModule.Ready()) return;
    endOfStream_ = false;
    // Bytes held back from before the rewind belong to the old position.
    overflowOffset_ = 0;
    overflowCount_ = 0;
    Functions().seekToPosition(decoder_, 0);
}

uint32_t XaudioDecoder::EstimateOutputBytes() {
    return EstimateBytes(bytesPerSecond_, durationMs_);
}

void XaudioDecoder::Close() {
    std::lock_guard<std::mutex> lock(gModule.Lock());
    CloseLocked();
}

void XaudioDecoder::CloseLocked() {
    // An open stream keeps its module's functions (see ModuleUsers).
    const ModuleFunctions& f = Functions();
    if (opened_ && decoder_ != nullptr) {
        f.inputClose(decoder_);
        f.inputDelete(decoder_);
    }
    opened_ = false;
    file_.Close();
    if (decoder_ != nullptr) {
        f.decoderDelete(decoder_);
        decoder_ = nullptr;
        gModule.ReleaseStream();
    }
    source_ = nullptr;
    dataLength_ = 0;
    overflowOffset_ = 0;
    overflowCount_ = 0;
    endOfStream_ = true;
}

}  // namespace sound
