// The xaudio decoder binding on arbitrary bytes.
#include "decoder_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzDecoder(sound::DecoderKind::kXaudio, data, size);
}
