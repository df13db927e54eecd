#include "sample/pc_title/pcm_writer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>

namespace pc_title {

using formats::ByteSpan;
using formats::ByteVector;

namespace {

constexpr size_t kHeaderSize = 28;
constexpr size_t kBlockBytes = 8192;
constexpr size_t kBlockSamples = 4096;
constexpr size_t kBlockStep = 4064;
constexpr int kBandScales[8] = {2048, 2048, 2048, 4096, 4096, 4096, 8192, 16384};

ByteVector Header(uint8_t coding, uint32_t byteCount, uint16_t channels, uint32_t rate) {
    ByteVector header(kHeaderSize, 0);
    formats::StoreLe32(header.data() + 4, byteCount);
    header[8] = coding;
    formats::StoreLe16(header.data() + 14, channels);
    formats::StoreLe32(header.data() + 16, rate);
    formats::StoreLe16(header.data() + 26, 16);
    return header;
}

using Complex = std::complex<double>;

// In-place iterative radix-2 FFT, e^{-i} kernel.
void Fft(std::vector<Complex>& data) {
    size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        double angle = -2.0 * std::numbers::pi / static_cast<double>(length);
        Complex step(std::cos(angle), std::sin(angle));
        for (size_t start = 0; start < n; start += length) {
            Complex w(1.0, 0.0);
            for (size_t k = 0; k < length / 2; ++k) {
                Complex even = data[start + k];
                Complex odd = data[start + k + length / 2] * w;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                w *= step;
            }
        }
    }
}

uint16_t ZigzagCode(double value) {
    auto v = static_cast<int32_t>(std::clamp(std::lround(value), -32767L, 32767L));
    return static_cast<uint16_t>(v > 0 ? 2 * v - 1 : -2 * v);
}

}  // namespace

ByteVector EncodeDeltaBytes(std::span<const int16_t> samples, uint16_t channels) {
    ByteVector out;
    out.reserve(samples.size());
    int32_t accumulator[2] = {0, 0};
    int shift[2] = {0, 0};
    int channel = 0;
    for (int16_t target : samples) {
        int32_t& acc = accumulator[channel];
        int& sh = shift[channel];
        int32_t step = 1 << sh;
        int32_t diff = target - acc;
        // Nearest step, kept inside the 16-bit range the decoder keeps.
        int32_t b = diff >= 0 ? (diff + step / 2) / step : -((-diff + step / 2) / step);
        b = std::clamp(b, -128, 127);
        while (acc + b * step > 32767) --b;
        while (acc + b * step < -32768) ++b;
        acc += b * step;
        if (b == 0 && sh > 0) --sh;
        if ((b == 127 || b == -128) && sh < 8) ++sh;
        out.push_back(static_cast<uint8_t>(static_cast<int8_t>(b)));
        if (channels == 2) channel ^= 1;
    }
    return out;
}

ByteVector EncodeTransformBlocks(std::span<const int16_t> samples) {
    size_t blocks = samples.empty() ? 0 : (samples.size() + kBlockStep - 1) / kBlockStep;
    // The last block must reach the last sample.
    while (blocks > 1 && (blocks - 2) * kBlockStep + kBlockSamples >= samples.size()) --blocks;
    ByteVector out(blocks * kBlockBytes, 0);
    std::vector<Complex> spectrum(kBlockSamples);
    for (size_t b = 0; b < blocks; ++b) {
        for (size_t i = 0; i < kBlockSamples; ++i) {
            size_t at = b * kBlockStep + i;
            // The decoder divides the transform's real part by 1,024.
            spectrum[i] = at < samples.size() ? 1024.0 * samples[at] : 0.0;
        }
        Fft(spectrum);
        uint8_t* block = out.data() + b * kBlockBytes;
        for (size_t k = 0; k < kBlockSamples / 2; ++k) {
            // The decoder keeps the lower half of the spectrum and takes the
            // real part of its forward transform: a one-sided, conjugated
            // spectrum gives back the real signal.
            double weight = (k == 0 ? 1.0 : 2.0) / static_cast<double>(kBlockSamples);
            Complex x = std::conj(spectrum[k]) * weight;
            double scale = kBandScales[k >> 8];
            uint16_t even = ZigzagCode(x.real() / scale);
            uint16_t odd = ZigzagCode(x.imag() / scale);
            block[2 * k] = static_cast<uint8_t>(even >> 8);
            block[2 * k + 1] = static_cast<uint8_t>(odd >> 8);
            block[4096 + k] = static_cast<uint8_t>((even & 0xF0) | ((odd >> 4) & 0x0F));
            block[6144 + k] = static_cast<uint8_t>(((even & 0x0F) << 4) | (odd & 0x0F));
        }
    }
    return out;
}

ByteVector CompressTokens(ByteSpan flat) {
    constexpr size_t kHashSize = 1 << 15;
    constexpr size_t kMaxDistance = 65535;
    constexpr size_t kMaxLength = 65537;
    constexpr int kMaxProbes = 48;
    std::vector<int64_t> head(kHashSize, -1);
    std::vector<int64_t> previous(flat.size(), -1);
    auto hash = [&](size_t at) {
        return ((flat[at] << 10) ^ (flat[at + 1] << 5) ^ flat[at + 2]) & (kHashSize - 1);
    };
    auto insert = [&](size_t at) {
        if (at + 2 >= flat.size()) return;
        size_t h = hash(at);
        previous[at] = head[h];
        head[h] = static_cast<int64_t>(at);
    };

    ByteVector out;
    size_t flagAt = 0;
    int flagBits = 8;
    auto item = [&](bool literal) {
        if (flagBits == 8) {
            flagAt = out.size();
            out.push_back(0);
            flagBits = 0;
        }
        if (literal) out[flagAt] |= static_cast<uint8_t>(1u << flagBits);
        ++flagBits;
    };

    size_t pos = 0;
    while (pos < flat.size()) {
        size_t bestLength = 0;
        size_t bestDistance = 0;
        if (pos + 2 < flat.size()) {
            int64_t candidate = head[hash(pos)];
            size_t limit = std::min(kMaxLength, flat.size() - pos);
            for (int probe = 0; probe < kMaxProbes && candidate >= 0; ++probe) {
                size_t distance = pos - static_cast<size_t>(candidate);
                if (distance > kMaxDistance) break;
                size_t length = 0;
                while (length < limit && flat[candidate + length] == flat[pos + length]) ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                    // Nothing longer can be found (long runs of zeros end here).
                    if (length == limit) break;
                }
                candidate = previous[static_cast<size_t>(candidate)];
            }
        }
        size_t length = bestLength;
        size_t distance = bestDistance;
        // The 0x80..0xBF form has one length bit: 2 or 3 bytes.
        bool shortForm = length >= 2 && length <= 3 && distance <= 255;
        if (length < 4 && !(length >= 3 && shortForm)) {
            item(true);
            out.push_back(flat[pos]);
            insert(pos);
            ++pos;
            continue;
        }
        item(false);
        if (shortForm) {
            uint8_t low = distance < 32 ? static_cast<uint8_t>(distance) : 0;
            out.push_back(static_cast<uint8_t>(0x80 | ((length - 2) << 5) | low));
            if (low == 0) out.push_back(static_cast<uint8_t>(distance));
        } else if (length <= 19 && distance <= 1023) {
            out.push_back(static_cast<uint8_t>(0xC0 | ((length - 4) << 2) | (distance >> 8)));
            out.push_back(static_cast<uint8_t>(distance));
        } else if (length <= 130) {
            out.push_back(static_cast<uint8_t>(length - 4));
            formats::AppendLe16(out, static_cast<uint16_t>(distance));
        } else {
            out.push_back(0x7F);
            formats::AppendLe16(out, static_cast<uint16_t>(length - 2));
            formats::AppendLe16(out, static_cast<uint16_t>(distance));
        }
        for (size_t i = 0; i < length; ++i) insert(pos + i);
        pos += length;
    }
    return out;
}

ByteVector WritePcmSound(PcmCoding coding, uint16_t channels, uint32_t sampleRate,
                         std::span<const int16_t> samples) {
    auto byteCount = static_cast<uint32_t>(samples.size() * 2);
    ByteVector out;
    switch (coding) {
        case PcmCoding::kRaw:
            out = Header(0, byteCount, channels, sampleRate);
            for (int16_t sample : samples) formats::AppendLe16(out, static_cast<uint16_t>(sample));
            break;
        case PcmCoding::kDelta: {
            out = Header(2, byteCount, channels, sampleRate);
            ByteVector bytes = EncodeDeltaBytes(samples, channels);
            out.insert(out.end(), bytes.begin(), bytes.end());
            break;
        }
        case PcmCoding::kTransform: {
            out = Header(1, byteCount, channels, sampleRate);
            ByteVector coded = CompressTokens(EncodeTransformBlocks(samples));
            formats::AppendLe32(out, static_cast<uint32_t>(coded.size()));
            out.insert(out.end(), coded.begin(), coded.end());
            break;
        }
    }
    return out;
}

ByteVector WriteVoiceDat(const std::vector<VoiceDatEntry>& entries) {
    ByteVector out(4 + 52 * entries.size(), 0);
    formats::StoreLe32(out.data(), static_cast<uint32_t>(entries.size()));
    for (size_t i = 0; i < entries.size(); ++i) {
        uint8_t* record = out.data() + 4 + 52 * i;
        size_t length = std::min<size_t>(entries[i].name.size(), 47);
        std::memcpy(record, entries[i].name.data(), length);
        formats::StoreLe32(record + 48, static_cast<uint32_t>(out.size()));
        out.insert(out.end(), entries[i].data.begin(), entries[i].data.end());
    }
    return out;
}

}  // namespace pc_title
