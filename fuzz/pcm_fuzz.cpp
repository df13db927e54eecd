// Feeds arbitrary bytes to both ".pcm" decoders through every conversion
// stage. Whatever the header claims, the delta image's data size matches the
// samples it holds and the transform output never exceeds the byte count.

#include <cstdint>
#include <cstdlib>

#include "kitshift/pcm_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan file(data, size);
    formats::ByteVector image;
    if (kitshift::DecodeDeltaPcm(file, &image)) {
        if (image.size() < 44 || formats::ReadLe32(image, 40) != image.size() - 44) std::abort();
    }
    if (size >= kitshift::kPcmHeaderSize) {
        // Bounded so that a huge byte count cannot make one run take minutes.
        uint32_t byteCount = formats::ReadLe32(file, kitshift::kPcmByteCountOffset) % (1u << 20);
        formats::ByteVector pcm;
        kitshift::DecodeTransformPcm(file.subspan(kitshift::kPcmHeaderSize), byteCount, &pcm);
        if (pcm.size() > byteCount) std::abort();
    }
    for (auto stage : {kitshift::SoundStage::kMusic, kitshift::SoundStage::kVoiceFile,
                       kitshift::SoundStage::kVoiceRecord}) {
        kitshift::PreparedSound sound;
        kitshift::PrepareSound(file, stage, &sound);
    }
    return 0;
}
