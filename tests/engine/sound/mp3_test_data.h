#pragma once
// MP3 streams for the decoder tests, made on the spot from synthesized PCM
// with the LAME encoder, so that no binary sample files are needed.

#include <cstdint>
#include <vector>

namespace mp3_test {

struct Tone {
    int sampleRate = 44100;
    int channels = 2;
    double seconds = 1.0;
    double leftHz = 440.0;
    double rightHz = 880.0;  // ignored for mono
    double amplitude = 12000.0;
};

// Interleaved 16-bit samples of a sine per channel.
std::vector<int16_t> SynthesizeTone(const Tone& tone);

// Constant-bitrate MP3 at the PCM's own rate (44100 Hz gives MPEG-1, 22050 Hz
// MPEG-2, 11025 Hz MPEG-2.5), with the encoder's leading info frame.
std::vector<uint8_t> EncodeMp3(const std::vector<int16_t>& pcm, int sampleRate, int channels,
                               int kbps);

inline std::vector<uint8_t> EncodeTone(const Tone& tone, int kbps) {
    return EncodeMp3(SynthesizeTone(tone), tone.sampleRate, tone.channels, kbps);
}

}  // namespace mp3_test
