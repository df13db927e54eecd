#pragma once
// Shared body of the decoder bindings' fuzz targets: feeds arbitrary bytes as
// a memory image to a binding and decodes until the stream ends: nothing may
// read past the image or write past the output room, and every stream must end.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/sound/decoder_binding.h"

namespace {

sound::DecoderBinding* Decoder(sound::DecoderKind kind) {
    static sound::DecoderBinding* decoder = [kind] {
        setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 0);
        sound::DecoderBinding* made = sound::CreateDecoder(kind).release();
        if (made->Load() != 0) std::abort();
        return made;
    }();
    return decoder;
}

// The whole fuzz step for one binding kind.
inline int FuzzDecoder(sound::DecoderKind kind, const uint8_t* data, size_t size) {
    sound::DecoderBinding* decoder = Decoder(kind);
    // A copy of exactly the input's size, so that any overread is seen.
    std::vector<uint8_t> image(data, data + size);
    decoder->OpenMemory(image.data(), static_cast<uint32_t>(image.size()));
    const uint32_t count = 3000;
    std::vector<uint8_t> out(count + decoder->MaxFrameBytes());
    int calls = 0;
    while (!decoder->AtEnd()) {
        if (decoder->Decode(out.data(), count, false) > count) std::abort();
        // Each call consumes at least one frame of input or ends the stream.
        if (++calls > 100000) std::abort();
    }
    // Looping restarts rather than ends.
    decoder->Rewind();
    for (int i = 0; i < 4; ++i) {
        if (decoder->Decode(out.data(), count, true) > count) std::abort();
    }
    decoder->EstimateOutputBytes();
    decoder->Close();
    return 0;
}

}  // namespace
