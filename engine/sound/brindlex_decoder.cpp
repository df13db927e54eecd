#include "engine/sound/brindlex_decoder.h"

#include <algorithm>
#include <cstring>

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

ModuleFunctions gFunctions;
ModuleUsers gUsers;

std::mutex& Lock() {
    return ModuleLock(DecoderKind::kBrindlex);
}

bool FunctionsReady() {
    return gFunctions.create != nullptr && gFunctions.destroy != nullptr &&
           gFunctions.predecode != nullptr && gFunctions.decode != nullptr;
}

}  // namespace

int BrindlexDecoder::Load() {
    if (!ownsModule_) {
        std::lock_guard<std::mutex> lock(Lock());
        return FunctionsReady() ? 0 : 1;
    }
    if (module_ != nullptr) return 0;
    void* module = platform::LoadModule(kBrindlexModuleName);
    if (module == nullptr) return 1;
    ModuleFunctions found;
    found.getDecVer = reinterpret_cast<brindlex::GetDecVerFunction>(
        platform::ResolveSymbol(module, brindlex::kGetDecVerName));
    found.create = reinterpret_cast<brindlex::CreateFunction>(
        platform::ResolveSymbol(module, brindlex::kCreateName));
    found.destroy = reinterpret_cast<brindlex::DestroyFunction>(
        platform::ResolveSymbol(module, brindlex::kDestroyName));
    found.predecode = reinterpret_cast<brindlex::PredecodeFunction>(
        platform::ResolveSymbol(module, brindlex::kPredecodeName));
    found.decode = reinterpret_cast<brindlex::DecodeFunction>(
        platform::ResolveSymbol(module, brindlex::kDecodeName));
    if (found.getDecVer == nullptr || found.create == nullptr || found.destroy == nullptr ||
        found.predecode == nullptr || found.decode == nullptr) {
        platform::FreeModule(module);
        return 1;
    }
    std::lock_guard<std::mutex> lock(Lock());
    gFunctions = found;
    gUsers.AddHolder();
    module_ = module;
    return 0;
}

void BrindlexDecoder::Unload() {
    if (module_ == nullptr) return;
    // A stream of this object must not outlive the code that decodes it.
    Close();
    std::lock_guard<std::mutex> lock(Lock());
    if (gUsers.ReleaseHolder(module_)) gFunctions = ModuleFunctions{};
    module_ = nullptr;
}

int BrindlexDecoder::OpenMemory(const uint8_t* data, uint32_t length) {
    Close();
    std::lock_guard<std::mutex> lock(Lock());
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
    std::lock_guard<std::mutex> lock(Lock());
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
    if (FunctionsReady() && dataLength_ >= 4) {
        std::memcpy(frame_.data(), source_, 4);
        handle_ = gFunctions.create(frame_.data());
    }
    if (handle_ != nullptr) {
        uint32_t channels = brindlex::ReadHandleField16(handle_, brindlex::kHandleChannelsOffset);
        uint32_t rate = brindlex::ReadHandleField32(handle_, brindlex::kHandleSampleRateOffset);
        if ((channels == 1 || channels == 2) && rate >= 8000 && rate <= 48000) {
            format_ = PcmFormat(channels, rate);
            bytesPerSecond_ = rate * channels * 2;
            gUsers.AddStream();
            return 0;
        }
        gFunctions.destroy(handle_);
        handle_ = nullptr;
    }
    CloseLocked();
    return 1;
}

uint32_t BrindlexDecoder::Decode(uint8_t* out, uint32_t count, bool loop) {
    std::lock_guard<std::mutex> lock(Lock());
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
    if (handle_ == nullptr || !FunctionsReady()) {
        endOfStream_ = true;
        return sum;
    }
    const uint32_t blockAlign = format_.blockAlign;
    for (;;) {
        if (inputOffset_ >= dataLength_ || dataLength_ - inputOffset_ < 4) break;
        std::memcpy(frame_.data(), source_ + inputOffset_, 4);
        if (gFunctions.predecode(handle_, frame_.data()) != 0) break;
        uint32_t length = brindlex::ReadHandleField32(handle_, brindlex::kHandleFrameLengthOffset);
        length = std::min(length, dataLength_ - inputOffset_);
        // Never more than the frame buffer, and never a length that would
        // leave the input where it is.
        if (length < 4 || length > frame_.size()) break;
        std::memcpy(frame_.data(), source_ + inputOffset_, length);
        int samples = gFunctions.decode(handle_, pcm_.data(), frame_.data(), length);
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
    std::lock_guard<std::mutex> lock(Lock());
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
    std::lock_guard<std::mutex> lock(Lock());
    CloseLocked();
}

void BrindlexDecoder::CloseLocked() {
    if (handle_ != nullptr) {
        gFunctions.destroy(handle_);
        handle_ = nullptr;
        if (gUsers.ReleaseStream()) gFunctions = ModuleFunctions{};
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
