#include "title_tree.h"

#include <cmath>

#include "kitshift/pcm_decoders.h"
#include "sample/pc_title/crx_writer.h"
#include "sample/pc_title/pcm_writer.h"
#include "test_support.h"

namespace kitshift_test {

namespace fs = std::filesystem;
using formats::ByteVector;

namespace {

std::vector<int16_t> Tone(size_t frames, int channels, double hertz, double rate) {
    std::vector<int16_t> samples;
    for (size_t i = 0; i < frames; ++i) {
        int16_t value = static_cast<int16_t>(8000 * std::sin(2 * M_PI * hertz * i / rate));
        for (int c = 0; c < channels; ++c) samples.push_back(value);
    }
    return samples;
}

void Write(const fs::path& path, const ByteVector& bytes) {
    fs::create_directories(path.parent_path());
    testing_support::WriteHostFile(path, bytes);
}

}  // namespace

ByteVector MakeCrxPicture(uint16_t width, uint16_t height, bool palette, bool lzScheme) {
    pc_title::CrxSource source;
    source.width = width;
    source.height = height;
    if (palette) {
        source.palette = {{255, 0, 255}, {10, 20, 30}, {200, 100, 50}, {0, 255, 0}};
        for (int i = 0; i < width * height; ++i)
            source.pixels.push_back(i % 7 == 0 ? 0 : 1 + i % 3);
    } else {
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bool key = (x + y) % 11 == 0;
                source.pixels.push_back(key ? 255 : static_cast<uint8_t>(x * 5));
                source.pixels.push_back(key ? 0 : static_cast<uint8_t>(y * 7));
                source.pixels.push_back(key ? 255 : static_cast<uint8_t>(x + y));
            }
        }
    }
    pc_title::CrxWriteOptions options;
    options.scheme = lzScheme ? pc_title::CrxWriteScheme::Lz : pc_title::CrxWriteScheme::Zlib;
    if (!palette && !lzScheme) options.rowFilters = {0, 1, 2, 3, 4};
    ByteVector out;
    std::string error;
    pc_title::WriteCrx(source, options, &out, &error);
    return out;
}

TitleTree WriteTitleTree(const fs::path& root) {
    using pc_title::PcmCoding;
    using pc_title::WritePcmSound;
    TitleTree tree;
    Write(root / "QV_DVD.exe", {});
    fs::path game = root / "GameData";
    Write(game / "system" / "A.crx", MakeCrxPicture(40, 30, false, false));
    Write(game / "system" / "B.MAP", ByteVector{'M', 'A', 'P', 0, 1, 2, 3});
    Write(game / "system" / "win.crx", MakeCrxPicture(25, 20, true, true));
    Write(game / "system" / "bad.crx", ByteVector{0, 0, 0, 0, 0, 0, 0, 0, 40, 0, 30, 0, 2, 0});
    Write(game / "system" / "STARTUP.crx", MakeCrxPicture(10, 10, false, false));
    Write(game / "system" / "notes.txt", ByteVector{'x'});
    Write(game / "sinario" / "S01.mes", ByteVector{1, 2, 3, 4, 5, 0, 0, 0});
    Write(game / ".hidden" / "C.crx", MakeCrxPicture(10, 10, false, false));

    // Two music files of one name: the later in walk order wins.
    Write(game / "bgm" / "bgm01.pcm",
          WritePcmSound(PcmCoding::kRaw, 2, 22050, Tone(11025, 2, 440, 22050)));
    tree.laterBgmFrames = 22050;
    Write(game / "bgm2" / "bgm01.pcm",
          WritePcmSound(PcmCoding::kRaw, 2, 22050, Tone(tree.laterBgmFrames, 2, 440, 22050)));
    Write(game / "bgm" / "delta.pcm",
          WritePcmSound(PcmCoding::kDelta, 1, 22050, Tone(22050, 1, 220, 22050)));
    Write(game / "bgm" / "tf.pcm",
          WritePcmSound(PcmCoding::kTransform, 1, 22050, Tone(22050, 1, 330, 22050)));
    // An 8-bit RIFF effect short enough for the short container.
    common::WaveFormat eightBit;
    eightBit.channels = 1;
    eightBit.samplesPerSecond = 11025;
    eightBit.averageBytesPerSecond = 11025;
    eightBit.blockAlign = 1;
    eightBit.bitsPerSample = 8;
    ByteVector effect(4000);
    for (size_t i = 0; i < effect.size(); ++i)
        effect[i] = static_cast<uint8_t>(128 + (i % 64) - 32);
    tree.shortSoundBytes = effect.size();
    Write(game / "se" / "se01.pcm", kitshift::BuildWaveImage(eightBit, effect));

    // Voices: records in "voice.dat" (one not a sound), a voice folder with
    // a subfolder, a picture, and the sound the converter leaves out.
    std::vector<pc_title::VoiceDatEntry> records;
    records.push_back(
        {"a001.pcm", WritePcmSound(PcmCoding::kRaw, 1, 22050, Tone(4000, 1, 500, 22050))});
    records.push_back({"readme.txt", ByteVector{'h', 'i'}});
    records.push_back(
        {"a002.pcm", WritePcmSound(PcmCoding::kTransform, 1, 22050, Tone(9000, 1, 600, 22050))});
    Write(game / "voice.dat", pc_title::WriteVoiceDat(records));
    fs::path voice = game / "Voice";
    Write(voice / "chara1" / "v001.pcm",
          WritePcmSound(PcmCoding::kRaw, 1, 22050, Tone(3000, 1, 700, 22050)));
    Write(voice / "v000.pcm",
          WritePcmSound(PcmCoding::kDelta, 1, 22050, Tone(3000, 1, 300, 22050)));
    Write(voice / "SP_Z08.PCM", WritePcmSound(PcmCoding::kRaw, 1, 22050, Tone(100, 1, 300, 22050)));
    Write(voice / "face.crx", MakeCrxPicture(20, 20, false, true));
    return tree;
}

}  // namespace kitshift_test
