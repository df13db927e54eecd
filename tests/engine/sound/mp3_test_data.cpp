#include "engine/sound/mp3_test_data.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mp3_test {

std::vector<int16_t> SynthesizeTone(const Tone& tone) {
    size_t frames = static_cast<size_t>(tone.seconds * tone.sampleRate);
    std::vector<int16_t> pcm(frames * static_cast<size_t>(tone.channels));
    for (size_t i = 0; i < frames; ++i) {
        double t = static_cast<double>(i) / tone.sampleRate;
        for (int c = 0; c < tone.channels; ++c) {
            double hz = c == 0 ? tone.leftHz : tone.rightHz;
            double value = tone.amplitude * std::sin(2.0 * std::numbers::pi * hz * t);
            pcm[i * static_cast<size_t>(tone.channels) + static_cast<size_t>(c)] =
                static_cast<int16_t>(std::lround(value));
        }
    }
    return pcm;
}

std::vector<uint8_t> EncodeMp3(const std::vector<int16_t>& pcm, int sampleRate, int channels,
                               int kbps) {
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, sampleRate);
    lame_set_out_samplerate(lame, sampleRate);
    lame_set_num_channels(lame, channels);
    lame_set_mode(lame, channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, kbps);
    lame_set_quality(lame, 7);
    std::vector<uint8_t> mp3;
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return mp3;
    }
    int frames = static_cast<int>(pcm.size() / static_cast<size_t>(channels));
    mp3.resize(static_cast<size_t>(frames) * 5 / 4 + 7200 + 7200);
    int written;
    if (channels == 2) {
        written = lame_encode_buffer_interleaved(lame, const_cast<short*>(pcm.data()), frames,
                                                 mp3.data(), static_cast<int>(mp3.size()));
    } else {
        written = lame_encode_buffer(lame, pcm.data(), pcm.data(), frames, mp3.data(),
                                     static_cast<int>(mp3.size()));
    }
    if (written < 0) written = 0;
    int flushed =
        lame_encode_flush(lame, mp3.data() + written, static_cast<int>(mp3.size()) - written);
    if (flushed > 0) written += flushed;
    mp3.resize(static_cast<size_t>(written));
    // The encoder's first frame is a placeholder for the info frame; fill it
    // in as a file writer would.
    std::vector<uint8_t> info(4096);
    size_t infoBytes = lame_get_lametag_frame(lame, info.data(), info.size());
    if (infoBytes > 0 && infoBytes <= mp3.size()) {
        std::copy(info.begin(), info.begin() + static_cast<std::ptrdiff_t>(infoBytes), mp3.begin());
    }
    lame_close(lame);
    return mp3;
}

}  // namespace mp3_test
