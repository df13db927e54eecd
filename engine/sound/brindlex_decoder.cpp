#include "engine/sound/brindlex_decoder.h"

#include <algorithm>
#include <cstring>

#include "engine/sound/shared_module.h"
#include "platform/module_loader.h"

namespace sound {

namespace {

// Resolved once per process by the first binding that loads the module, and
// cleared when nothing uses the module any more. Guarded by the kind's lock.
struct ModuleFunctions {
    brindlex::GetDecVerFunction getDecVer = nullptr;
    brindlex::CreateFunction create = nullptr;
    brindlex::DestroyFunction destroy = nullptr;
    brindlex::PredecodeFunction predecode = nullptr;
    brindlex::DecodeFunction decode = nullptr;
};

template <typename Function>
Function Resolve(void* module, const char* name) {
    return reinterpret_cast<Function>(platform::ResolveSymbol(module, name));
}

// A module without every export is refused at load.
bool ResolveFunctions(void* module, ModuleFunctions* found) {
    found->getDecVer = Resolve<brindlex::GetDecVerFunction>(module, brindlex::kGetDecVerName);
    found->create = Resolve<brindlex::CreateFunction>(module, brindlex::kCreateName);
    found->destroy = Resolve<brindlex::DestroyFunction>(module, brindlex::kDestroyName);
    found->predecode = Resolve<brindlex::PredecodeFunction>(module, brindlex::kPredecodeName);
    found->decode = Resolve<brindlex::DecodeFunction>(module, brindlex::kDecodeName);
    return found->getDecVer != nullptr && found->create != nullptr && found->destroy != nullptr &&
           found->predecode != nullptr && found->decode != nullptr;
}

bool StreamCallsReady(const ModuleFunctions& f) {
    return f.create != nullptr && f.destroy != nullptr && f.predecode != nullptr &&
           f.decode != nullptr;
}

SharedModule<ModuleFunctions> gModule(DecoderKind::kBrindlex, kBrindlexModuleName, ResolveFunctions,
                                      StreamCallsReady);

const ModuleFunctions& Functions() {
    return gModule.Table();
}

}  // namespace

int BrindlexDecoder::Load() {
    return gModule.Load(ownsModule_, &module_);
}

void BrindlexDecoder::Unload() {
    if (module_ == nullptr) return;
    // A stream of this object must not outlive the code that decodes it.
    Close();
    gModule.Unload(&module_);
}

int BrindlexDecoder::OpenMemory(const uint8_t* data, uint32_t length) {
    Close();
    std::lock_guard<std::mutex> lock(gModule.Lock());
    endOfStream_ = false;
    if (data == nullptr) length = 0;
    dataLength_ = LengthWithoutTrailingTag(data, length);
    source_ = data;
    mode_ = kMemoryImage;
    path_.clear();
    return OpenSource();
}

int BrindlexDecoder::OpenFile(const std::string& devicePath) {
    Close();
    std::lock_guard<std::mutex> lock(gModule.Lock());
    endOfStream_ = false;
    path_ = devicePath;
    mode_ = kMappedFile;
    if (!MapSourceFile(devicePath, &file_)) {
        source_ = nullptr;
        dataLength_ = 0;
        endOfStream_ = true;
        return 1;
    }
    source_ = file_.Data();
    dataLength_ = static_cast<uint32_t>(file_.Size());
    return OpenSource();
}

int BrindlexDecoder::OpenSource() {
    format_ = ZeroFormat();
    inputOffset_ = 0;
    overflowOffset_ = 0;
    overflowCount_ = 0;
    // The module reads a whole header word: a shorter source has no frame.
    if (gModule.Ready() && dataLength_ >= 4) {
        std::memcpy(frame_.data(), source_, 4);
        handle_ = Functions().create(frame_.data());
    }
    if (handle_ != nullptr) {
        uint32_t channels = brindlex::ReadHandleField16(handle_, brindlex::kHandleChannelsOffset);
        uint32_t rate = brindlex::ReadHandleField32(handle_, brindlex::kHandleSampleRateOffset);
        if ((channels == 1 || channels == 2) && rate >= 8000 && rate <= 48000) {
            format_ = PcmFormat(channels, rate);
            bytesPerSecond_ = rate * channels * 2;
            gModule.AddStream();
            return 0;
        }
        Functions().destroy(handle_);
        handle_ = nullptr;
    }
    CloseLocked();
    return 1;
}

uint32_t BrindlexDecoder::Decode(uint8_t* out, uint32_t count, bool loop) {
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
    if (handle_ == nullptr || !gModule.Ready()) {
        endOfStream_ = true;
        return sum;
    }
    const uint32_t blockAlign = format_.blockAlign;
    for (;;) {
        if (inputOffset_ >= dataLength_ || dataLength_ - inputOffset_ < 4) break;
        std::memcpy(frame_.data(), source_ + inputOffset_, 4);
        if (Functions().predecode(handle_, frame_.data()) != 0) break;
        uint32_t length = brindlex::ReadHandleField32(handle_, brindlex::kHandleFrameLengthOffset);
        length = std::min(length, dataLength_ - inputOffset_);
        // Never more than the frame buffer, and never a length that would
        // leave the input where it is.
        if (length < 4 || length > frame_.size()) break;
        std::memcpy(frame_.data(), source_ + inputOffset_, length);
        int samples = Functions().decode(handle_, pcm_.data(), frame_.data(), length);
        inputOffset_ += length;
        if (samples <= 0) break;
        uint32_t bytes = std::min(static_cast<uint32_t>(samples) * blockAlign,
                                  static_cast<uint32_t>(pcm_.size()));
        std::memcpy(out + sum, pcm_.data(), bytes);
        sum += bytes;
        if (sum > count) {
            overflowCount_ = sum - count;
            std::memcpy(overflow_.data(), out + count, overflowCount_);
            return count;
        }
        if (sum == count) return count;
        if (endOfStream_) return sum;
    }
    if (loop) {
        endOfStream_ = false;
        inputOffset_ = 0;
    } else {
        endOfStream_ = true;
    }
    return sum;
}

void BrindlexDecoder::Rewind() {
    std::lock_guard<std::mutex> lock(gModule.Lock());
    if (handle_ == nullptr) return;
    endOfStream_ = false;
    inputOffset_ = 0;
    // Bytes held back from before the rewind belong to the old position.
    overflowOffset_ = 0;
    overflowCount_ = 0;
}

uint32_t BrindlexDecoder::EstimateOutputBytes() {
    if (handle_ != nullptr) {
        uint32_t kbps = brindlex::ReadHandleField32(handle_, brindlex::kHandleBitrateOffset);
        durationMs_ = DurationFromBitrate(dataLength_, kbps);
    }
    return EstimateBytes(bytesPerSecond_, durationMs_);
}

void BrindlexDecoder::Close() {
    std::lock_guard<std::mutex> lock(gModule.Lock());
    CloseLocked();
}

void BrindlexDecoder::CloseLocked() {
    if (handle_ != nullptr) {
        Functions().destroy(handle_);
        handle_ = nullptr;
        gModule.ReleaseStream();
    }
    file_.Close();
    source_ = nullptr;
    dataLength_ = 0;
    inputOffset_ = 0;
    overflowOffset_ = 0;
    overflowCount_ = 0;
    endOfStream_ = true;
}

}  // namespace sound
