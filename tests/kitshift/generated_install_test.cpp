// The sample title's generated install folders are what the converter expects:
// a title folder by its marker, every picture decodes to the drawing it was
// made from, every sound prepares in its stage, and each "voice.dat" holds
// its records.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>

#include "kitshift/crx_decoder.h"
#include "kitshift/pcm_decoders.h"
#include "kitshift/source_tree.h"
#include "kitshift/title_checks.h"
#include "kitshift/voice_archive_reader.h"
#include "sample/pc_title/install_tree.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using formats::ByteVector;
using pc_title::PcmCoding;
using pc_title::SampleSound;

class GeneratedInstallTest : public testing::Test {
protected:
    // Written once for the suite: the folder takes a good part of a second.
    static void SetUpTestSuite() {
        folder = std::make_unique<testing_support::TempDir>();
        std::string error;
        written = pc_title::WriteSampleInstall(folder->path(), &report, &error);
        EXPECT_TRUE(written) << error;
    }
    static void TearDownTestSuite() { folder.reset(); }

    void SetUp() override { ASSERT_TRUE(written); }

    static fs::path Root() { return folder->path(); }
    // The install folder that holds an entry (the first, when both do).
    static std::string Where(pc_title::InstallFolder entry) {
        return (static_cast<int>(entry) & static_cast<int>(pc_title::InstallFolder::kFirst))
                   ? std::string(pc_title::kFirstFolderName) + "/"
                   : std::string(pc_title::kSecondFolderName) + "/";
    }
    static ByteVector Read(const std::string& relative) {
        return testing_support::ReadHostFile(Root() / relative);
    }

    static std::unique_ptr<testing_support::TempDir> folder;
    static pc_title::InstallReport report;
    static bool written;
};

std::unique_ptr<testing_support::TempDir> GeneratedInstallTest::folder;
pc_title::InstallReport GeneratedInstallTest::report;
bool GeneratedInstallTest::written = false;

std::vector<int16_t> Samples(const ByteVector& pcm) {
    std::vector<int16_t> samples(pcm.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(formats::ReadLe16(pcm, i * 2));
    return samples;
}

// Root mean square of the difference, over that of the original.
double RelativeError(const std::vector<int16_t>& original, const std::vector<int16_t>& decoded) {
    double difference = 0;
    double energy = 0;
    for (size_t i = 0; i < original.size(); ++i) {
        double d = static_cast<double>(original[i]) - decoded[i];
        difference += d * d;
        energy += static_cast<double>(original[i]) * original[i];
    }
    return std::sqrt(difference / energy);
}

// What the converter's decoder gives back must be the composed sound: the
// exact samples for the raw coding, close to them for the lossy codings.
void ExpectSoundBack(const SampleSound& sound, const kitshift::PreparedSound& prepared) {
    std::vector<int16_t> composed = sound.compose();
    ASSERT_FALSE(composed.empty());
    EXPECT_EQ(prepared.sampleRate, pc_title::kSampleSoundRate);
    EXPECT_EQ(prepared.channels, sound.channels);
    EXPECT_EQ(prepared.bitsPerSample, 16);
    ASSERT_EQ(prepared.pcm.size(), composed.size() * 2);
    std::vector<int16_t> decoded = Samples(prepared.pcm);
    if (sound.coding == PcmCoding::kRaw) {
        EXPECT_EQ(decoded, composed);
    } else {
        EXPECT_LT(RelativeError(composed, decoded), 0.03);
    }
}

bool InFolder(pc_title::InstallFolder entry, pc_title::InstallFolder folder) {
    return (static_cast<int>(entry) & static_cast<int>(folder)) != 0;
}

TEST_F(GeneratedInstallTest, AreTwoSmallTitleFoldersTheWalkClassifies) {
    uint64_t bytes = 0;
    for (const std::string& file : report.files) bytes += fs::file_size(Root() / file);
    EXPECT_EQ(bytes, report.bytes);
    EXPECT_LT(report.bytes, 64u << 20);

    bool voiceFolderFound = false;
    for (auto folder : {pc_title::InstallFolder::kFirst, pc_title::InstallFolder::kSecond}) {
        const fs::path base =
            Root() / (folder == pc_title::InstallFolder::kFirst ? pc_title::kFirstFolderName
                                                                : pc_title::kSecondFolderName);
        SCOPED_TRACE(base.string());
        EXPECT_TRUE(kitshift::HasTitleExecutable(base));
        // What the walk should find, from the lists the folder was made of.
        int pictures = 0;
        int music = 0;
        int voices = 0;
        int files = 1;  // the marker
        bool records = false;
        for (const pc_title::SamplePicture& entry : pc_title::SamplePictures())
            if (InFolder(entry.folder, folder)) ++pictures, ++files;
        for (const pc_title::SampleFile& entry : pc_title::SampleFiles()) {
            if (!InFolder(entry.folder, folder)) continue;
            ++files;
            if (std::string(entry.path).ends_with(".MAP")) ++pictures;
        }
        for (const SampleSound& sound : pc_title::SampleSounds()) {
            if (!InFolder(sound.folder, folder)) continue;
            if (sound.voiceRecord) {
                records = true;
                continue;
            }
            ++files;
            ++(std::string(sound.path).find("/voice/") != std::string::npos ? voices : music);
        }
        if (records) ++files;
        kitshift::SourceTree tree(base);
        std::string error;
        ASSERT_EQ(tree.ScanAll(&error), files) << error;
        EXPECT_EQ(tree.Counters().pictures, pictures);
        EXPECT_EQ(tree.Counters().scripts, 0);
        EXPECT_EQ(tree.Counters().musicSounds, music);
        EXPECT_EQ(tree.Counters().voiceSounds, voices);
        for (const kitshift::SourceFileNode& node : tree.Nodes()) {
            if (node.fileName == "v0001.pcm") {
                voiceFolderFound = true;
                EXPECT_TRUE(node.voice);
                EXPECT_EQ(node.destinationFolder, "voice\\ev01");
            }
        }
    }
    EXPECT_TRUE(voiceFolderFound);
}

TEST_F(GeneratedInstallTest, EveryPictureDecodesToItsDrawing) {
    std::set<std::pair<kitshift::CrxScheme, uint32_t>> storages;
    for (const pc_title::SamplePicture& entry : pc_title::SamplePictures()) {
        SCOPED_TRACE(entry.path);
        kitshift::SourcePicture picture;
        std::string error;
        ASSERT_TRUE(kitshift::DecodeCrx(Read(Where(entry.folder) + entry.path), &picture, &error))
            << error;
        EXPECT_EQ(picture.bitsPerPixel, entry.palette ? 8u : 24u);
        EXPECT_EQ(picture.scheme, entry.scheme == pc_title::CrxWriteScheme::Lz
                                      ? kitshift::CrxScheme::Lz
                                      : kitshift::CrxScheme::Zlib);
        // Both schemes are lossless: the pixels are exactly those drawn.
        EXPECT_TRUE(picture.pixels == entry.draw().pixels);
        storages.insert({picture.scheme, picture.bitsPerPixel});
    }
    // Every storage the converter reads: zlib and LZ, each 24-bit and paletted.
    EXPECT_EQ(storages.size(), 4u);
}

TEST_F(GeneratedInstallTest, SheetsKeepTheKeyAndPalettesPutItFirst) {
    pc_title::DrawnPicture character = pc_title::DrawCharacter();
    size_t keyPixels = 0;
    for (size_t i = 0; i < character.pixels.size(); i += 3) {
        if (character.pixels[i] == 255 && character.pixels[i + 1] == 0 &&
            character.pixels[i + 2] == 255)
            ++keyPixels;
    }
    size_t pixelCount = character.pixels.size() / 3;
    EXPECT_GT(keyPixels, pixelCount / 4);
    EXPECT_LT(keyPixels, pixelCount * 3 / 4);

    pc_title::CrxSource paletted;
    ASSERT_TRUE(pc_title::PalettizePicture(character, &paletted));
    ASSERT_GE(paletted.palette.size(), 2u);
    EXPECT_EQ(paletted.palette[0], (std::array<uint8_t, 3>{255, 0, 255}));
    EXPECT_EQ(paletted.pixels[0], 0);  // the top-left corner is transparent
    // The skies' gradients do not fit a palette.
    EXPECT_FALSE(pc_title::PalettizePicture(pc_title::DrawHillsBackground(), &paletted));
}

TEST_F(GeneratedInstallTest, LooseSoundsPrepareInTheirStage) {
    std::set<PcmCoding> codings;
    for (const SampleSound& sound : pc_title::SampleSounds()) {
        if (sound.voiceRecord) continue;
        SCOPED_TRACE(sound.path);
        bool voiceFolder = std::string(sound.path).find("/voice/") != std::string::npos;
        kitshift::PreparedSound prepared;
        ASSERT_EQ(kitshift::PrepareSound(
                      Read(Where(sound.folder) + sound.path),
                      voiceFolder ? kitshift::SoundStage::kVoiceFile : kitshift::SoundStage::kMusic,
                      &prepared),
                  1);
        ExpectSoundBack(sound, prepared);
        if (!voiceFolder) codings.insert(sound.coding);
    }
    EXPECT_EQ(codings.size(), 3u);  // music and effects in every coding
}

TEST_F(GeneratedInstallTest, VoiceDatHoldsItsRecordsThatPrepare) {
    for (auto folder : {pc_title::InstallFolder::kFirst, pc_title::InstallFolder::kSecond}) {
        std::vector<const SampleSound*> expected;
        for (const SampleSound& sound : pc_title::SampleSounds()) {
            if (sound.voiceRecord && InFolder(sound.folder, folder)) expected.push_back(&sound);
        }
        const std::string path = Where(folder) + "GameData/voice.dat";
        SCOPED_TRACE(path);
        if (expected.empty()) {
            EXPECT_FALSE(fs::exists(Root() / path));
            continue;
        }
        ByteVector file = Read(path);
        kitshift::VoiceIndex index;
        ASSERT_EQ(kitshift::ReadVoiceIndex(file, &index), 1);
        EXPECT_TRUE(index.problems.empty());
        ASSERT_EQ(index.records.size(), expected.size());
        for (size_t i = 0; i < index.records.size(); ++i) {
            const kitshift::VoiceRecord& record = index.records[i];
            SCOPED_TRACE(record.name);
            EXPECT_TRUE(record.valid);
            EXPECT_EQ(record.name, expected[i]->path);
            kitshift::PreparedSound prepared;
            ASSERT_EQ(kitshift::PrepareSound(kitshift::VoiceRecordData(file, record),
                                             kitshift::SoundStage::kVoiceRecord, &prepared),
                      1);
            ExpectSoundBack(*expected[i], prepared);
        }
    }
}

TEST_F(GeneratedInstallTest, StoriesAndScreensFindTheirSoundsByName) {
    auto expectFile = [&](const std::string& path) {
        EXPECT_TRUE(fs::exists(Root() / path)) << path;
    };
    char name[64];
    for (const char* folder : {pc_title::kFirstFolderName, pc_title::kSecondFolderName}) {
        const std::string base = std::string(folder) + "/GameData/";
        for (int i = 1; i <= 12; ++i) {
            std::snprintf(name, sizeof name, "bgm/bgm%02d.pcm", i);
            expectFile(base + name);
        }
        for (int i = 1; i <= 10; ++i) {
            std::snprintf(name, sizeof name, "se/se%02d.pcm", i);
            expectFile(base + name);
        }
        // The map plays its track from the folder of the story it shows.
        expectFile(base + "bgm/10.pcm");
    }
    // The other screens play theirs from the first folder.
    for (int track : {9, 12, 15, 19, 26, 27}) {
        std::snprintf(name, sizeof name, "/GameData/bgm/%02d.pcm", track);
        expectFile(pc_title::kFirstFolderName + std::string(name));
    }

    // Each folder's spoken lines, in groups of ten per speaker.
    auto recordNames = [&](const char* folder) {
        ByteVector file = Read(std::string(folder) + "/GameData/voice.dat");
        kitshift::VoiceIndex index;
        std::set<std::string> names;
        if (kitshift::ReadVoiceIndex(file, &index) == 1) {
            for (const kitshift::VoiceRecord& record : index.records) names.insert(record.name);
        }
        return names;
    };
    std::set<std::string> first;
    std::set<std::string> second;
    for (int i = 1; i <= 30; ++i) {
        std::snprintf(name, sizeof name, "vo%04d\\vo%04d.pcm", i, i);
        first.insert(name);
        std::snprintf(name, sizeof name, "vo%04d.pcm", 1000 + i);
        second.insert(name);
        std::snprintf(name, sizeof name, "vo%04d.pcm", 2000 + i);
        second.insert(name);
    }
    EXPECT_EQ(recordNames(pc_title::kFirstFolderName), first);
    EXPECT_EQ(recordNames(pc_title::kSecondFolderName), second);

    // The staff roll follows its music's position for 220 seconds.
    for (const SampleSound& sound : pc_title::SampleSounds()) {
        if (std::string(sound.path) != "GameData/bgm/26.pcm") continue;
        const double seconds = static_cast<double>(sound.compose().size()) / sound.channels /
                               pc_title::kSampleSoundRate;
        EXPECT_GT(seconds, 220.0);
    }
}

TEST_F(GeneratedInstallTest, SameBytesEveryRun) {
    testing_support::TempDir again;
    pc_title::InstallReport second;
    std::string error;
    ASSERT_TRUE(pc_title::WriteSampleInstall(again.path(), &second, &error)) << error;
    ASSERT_EQ(second.files, report.files);
    for (const std::string& file : report.files) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(testing_support::ReadHostFile(again / file) == Read(file));
    }
}

// Every picture the engine's screens, message window and scene effects load
// by a fixed name is there, in the folder the engine reads it from (the
// main story's data for the screens, both folders for what every story
// shows), keyed where the engine cuts cells out of it.
TEST_F(GeneratedInstallTest, HoldsEverySystemPictureTheEngineLoads) {
    using Folder = pc_title::InstallFolder;
    std::vector<std::pair<std::string, Folder>> wanted;
    for (const char* name : {"system/TitleBack1b",      "system/TitleBack2b",
                             "system/TitleChip01",      "system/TitleChip02",
                             "system/TitleChip03",      "system/TitleChip04",
                             "system/TimerBack",        "system/timerchip",
                             "system/MapBack00",        "system/MapBack01",
                             "system/MapChip00",        "system/MapChip01",
                             "system/ChipChar",         "system/KEY_WAIT",
                             "system/map_name",         "system/SysChip",
                             "system/SinarioBack",      "system/SinarioChip",
                             "system/SinaDayChip",      "system/CgModeBack",
                             "system/CgModeChip",       "system/MusicBack",
                             "system/MusicTitleChip00", "system/MusicTitleChip01",
                             "system/MusicChip",        "char/Tarnel2",
                             "char/staff/e01",          "char/staff/e02",
                             "char/staff/e03",          "char/staff/e04"})
        wanted.emplace_back(name, Folder::kFirst);
    for (int tab = 0; tab < 7; ++tab) {
        wanted.emplace_back("system/CgChip0" + std::to_string(tab), Folder::kFirst);
        wanted.emplace_back("system/CgChip1" + std::to_string(tab), Folder::kFirst);
    }
    for (int i = 1; i <= 27; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "char/staff/emoji%02d", i);
        wanted.emplace_back(name, Folder::kFirst);
        std::snprintf(name, sizeof name, "char/staff/staff%02d", i);
        if (i <= 6) wanted.emplace_back(name, Folder::kFirst);
    }
    for (const char* name : {"system/MESSWIN3", "system/Tilva00", "system/Tilva01",
                             "system/Tilva02", "system/IcatchBack07", "system/IcatchChip03"}) {
        wanted.emplace_back(name, Folder::kFirst);
        wanted.emplace_back(name, Folder::kSecond);
    }
    for (const char* name :
         {"system/KEY_WAIT", "system/sky_a", "system/ICATCHBT", "char/back/black"})
        wanted.emplace_back(name, Folder::kSecond);

    for (const auto& want : wanted) {
        const std::string& name = want.first;
        const Folder folder = want.second;
        SCOPED_TRACE(name);
        const std::string path = "GameData/" + name + ".crx";
        auto found =
            std::find_if(pc_title::SamplePictures().begin(), pc_title::SamplePictures().end(),
                         [&](const pc_title::SamplePicture& entry) {
                             return path == entry.path && InFolder(entry.folder, folder);
                         });
        ASSERT_NE(found, pc_title::SamplePictures().end());
        // Sheets show their cells over other pictures: the key clears around them.
        const bool sheet = name.find("Chip") != std::string::npos ||
                           name.find("KEY_WAIT") != std::string::npos ||
                           name.find("Tilva") != std::string::npos || name == "system/MESSWIN3";
        if (sheet) {
            pc_title::DrawnPicture drawn = found->draw();
            size_t keyPixels = 0;
            for (size_t i = 0; i + 2 < drawn.pixels.size(); i += 3)
                keyPixels += drawn.pixels[i] == 255 && drawn.pixels[i + 1] == 0 &&
                             drawn.pixels[i + 2] == 255;
            EXPECT_GT(keyPixels, drawn.pixels.size() / 3 / 20);
        }
    }
}

TEST(GeneratedInstallWriteTest, UnwritableRootFailsWithTheReason) {
    testing_support::TempDir dir;
    // A file where the folder should be.
    testing_support::WriteHostFile(dir / "taken", std::string("x"));
    pc_title::InstallReport report;
    std::string error;
    EXPECT_FALSE(pc_title::WriteSampleInstall(dir / "taken", &report, &error));
    EXPECT_NE(error.find("taken"), std::string::npos);
    EXPECT_TRUE(report.files.empty());
}

}  // namespace
