#include "kitshift/conversion_job.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>
#include <thread>

#include "formats/mlz_archive.h"
#include "formats/rbp.h"
#include "kitshift/chip_picture.h"
#include "kitshift/crx_decoder.h"
#include "kitshift/rbp_encoders.h"
#include "mp3_decode.h"
#include "sample/pc_title/crx_writer.h"
#include "test_support.h"
#include "title_tree.h"

namespace {

namespace fs = std::filesystem;
using formats::ByteVector;
using kitshift::ConversionJob;
using kitshift::ConversionSettings;
using testing_support::EnvironmentVariable;
using testing_support::TempDir;

struct Archive {
    formats::MlzDirectory directory;
    ByteVector file;

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : directory.entries) names.push_back(entry.name);
        return names;
    }
    ByteVector Entry(size_t index) const {
        const formats::MlzEntry& entry = directory.entries.at(index);
        ByteVector unpacked;
        std::string error;
        formats::ByteSpan stored(file.data() + directory.AbsoluteOffset(entry), entry.storedSize);
        EXPECT_TRUE(formats::UnpackMlzEntry(entry, stored, &unpacked, &error)) << error;
        return unpacked;
    }
};

Archive ReadArchive(const fs::path& path) {
    Archive archive;
    archive.file = testing_support::ReadHostFile(path);
    std::string error;
    EXPECT_TRUE(
        formats::ParseMlzDirectory(archive.file, archive.file.size(), &archive.directory, &error))
        << error;
    EXPECT_EQ(archive.directory.declaredFileSize, archive.file.size());
    return archive;
}

ByteVector ExpectedRbp(const ByteVector& crx, kitshift::RbpConversion conversion) {
    kitshift::SourcePicture picture;
    std::string error;
    EXPECT_TRUE(kitshift::DecodeCrx(crx, &picture, &error)) << error;
    ByteVector rbp;
    if (conversion == kitshift::RbpConversion::Alpha) {
        EXPECT_TRUE(kitshift::EncodeRbpAlpha(picture, &rbp, &error)) << error;
    } else if (conversion == kitshift::RbpConversion::Blended) {
        EXPECT_TRUE(kitshift::EncodeRbpBlended(picture, &rbp, &error)) << error;
    } else {
        EXPECT_TRUE(kitshift::EncodeRbpOpaque(picture, &rbp, &error)) << error;
    }
    return rbp;
}

class ConversionJobTest : public ::testing::Test {
protected:
    ConversionSettings Settings() {
        ConversionSettings settings;
        settings.sourceFolder = source_.path();
        settings.outputFolder = output_.path();
        return settings;
    }

    TempDir source_;
    TempDir output_;
    EnvironmentVariable modulePath_{"MIRELO_MODULE_PATH", MIRELO_MODULE_DIR};
};

// The whole run on its worker thread, output checked entry by entry.
TEST_F(ConversionJobTest, ConvertsAGeneratedTitleTree) {
    kitshift_test::TitleTree tree = kitshift_test::WriteTitleTree(source_.path());
    // A voice cut inside its header cannot be converted.
    fs::path voiceFolder = source_.path() / "GameData" / "Voice" / "chara1";
    ByteVector voice = testing_support::ReadHostFile(voiceFolder / "v001.pcm");
    testing_support::WriteHostFile(voiceFolder / "v002.pcm",
                                   ByteVector(voice.begin(), voice.begin() + 10));
    ConversionSettings settings = Settings();
    settings.pictureLists.alpha = {"WIN.CRX"};
    ConversionJob job(settings);
    job.Create();
    job.Resume();
    job.Wait();
    ASSERT_TRUE(job.IsDone());

    // Pictures, map files and scripts in walk order (names ignoring case),
    // chip first; the hidden folder, STARTUP.crx and the undecodable picture
    // are left out and the directory holds exactly what was packed.
    Archive graphics = ReadArchive(output_ / "grpack.mlz");
    EXPECT_EQ(graphics.Names(),
              (std::vector<std::string>{"chip.rbp", "GameData\\sinario\\S01.mes",
                                        "GameData\\system\\A.rbp", "GameData\\system\\B.MAP",
                                        "GameData\\system\\win.rbp", "GameData\\Voice\\face.rbp"}));
    for (const auto& entry : graphics.directory.entries) EXPECT_EQ(entry.method, 1u);

    ByteVector chip = graphics.Entry(0);
    formats::RbpHeader header;
    std::string error;
    ASSERT_TRUE(formats::ParseRbpHeader(chip, &header, &error)) << error;
    EXPECT_EQ(header.width, 128u);
    EXPECT_EQ(header.height, 128u);
    EXPECT_EQ(formats::ReadLe16(chip, 32), 0xF81F);  // the top-left corner is transparent

    fs::path system = source_.path() / "GameData" / "system";
    EXPECT_EQ(graphics.Entry(1), (ByteVector{1, 2, 3, 4, 5, 0, 0, 0}));
    EXPECT_EQ(graphics.Entry(2), ExpectedRbp(testing_support::ReadHostFile(system / "A.crx"),
                                             kitshift::RbpConversion::Opaque));
    EXPECT_EQ(graphics.Entry(3), (ByteVector{'M', 'A', 'P', 0, 1, 2, 3}));
    EXPECT_EQ(graphics.Entry(4), ExpectedRbp(testing_support::ReadHostFile(system / "win.crx"),
                                             kitshift::RbpConversion::Alpha));

    // Music: one file per name side by side, the later bgm01 replacing the
    // earlier; the short 8-bit effect widened to 16 bits in the short
    // container; the coded sounds as MP3 of their length.
    testing_support::Decoded bgm =
        testing_support::DecodeMp3(testing_support::ReadHostFile(output_ / "bgm01.mp3").data(),
                                   fs::file_size(output_ / "bgm01.mp3"));
    EXPECT_EQ(bgm.rate, 22050);
    EXPECT_EQ(bgm.channels, 2);
    EXPECT_GE(bgm.Frames(), tree.laterBgmFrames);
    EXPECT_LE(bgm.Frames(), tree.laterBgmFrames + 2 * 1152);
    for (const char* name : {"delta.mp3", "tf.mp3"}) {
        ByteVector mp3 = testing_support::ReadHostFile(output_ / name);
        testing_support::Decoded decoded = testing_support::DecodeMp3(mp3.data(), mp3.size());
        EXPECT_GE(decoded.Frames(), 22050u) << name;
        EXPECT_LE(decoded.Frames(), 22050u + 2 * 1152) << name;
    }
    ByteVector effect = testing_support::ReadHostFile(output_ / "se01.mp3");
    ASSERT_EQ(effect.size(), 64 + 2 * tree.shortSoundBytes);
    EXPECT_EQ(std::memcmp(effect.data(), "MWF0", 4), 0);
    EXPECT_EQ(formats::ReadLe16(effect, 40 + 14), 16);  // bits per sample

    // Voices: records first, then the voice folder's sounds below "voice",
    // without the excluded one. A non-sound record and the voice that fails
    // to convert keep their places as empty entries, so the voices after
    // them stay at their positions.
    Archive voices = ReadArchive(output_ / "voice.mlz");
    EXPECT_EQ(voices.Names(),
              (std::vector<std::string>{"VOICE\\a001.mp3", "", "VOICE\\a002.mp3",
                                        "voice\\chara1\\v001.mp3", "", "voice\\v000.mp3"}));
    const size_t frames[] = {4000, 0, 9000, 3000, 0, 3000};
    ASSERT_EQ(voices.directory.entries.size(), std::size(frames));
    for (size_t i = 0; i < voices.directory.entries.size(); ++i) {
        if (frames[i] == 0) {
            EXPECT_EQ(voices.directory.entries[i].storedSize, 0u) << i;
            continue;
        }
        EXPECT_EQ(voices.directory.entries[i].method, 0u);
        ByteVector mp3 = voices.Entry(i);
        testing_support::Decoded decoded = testing_support::DecodeMp3(mp3.data(), mp3.size());
        EXPECT_EQ(decoded.rate, 22050) << i;
        // The stream adds the encoder's delay and padding, under two frames.
        EXPECT_GE(decoded.Frames(), frames[i]) << i;
        EXPECT_LE(decoded.Frames(), frames[i] + 2 * 1152) << i;
    }

    // Progress: every entry of every stage counted, and the bad picture and
    // the bad voice reported by their paths.
    EXPECT_EQ(job.EntriesTotal(), 7 + 5 + 6);
    EXPECT_EQ(job.EntriesDone(), job.EntriesTotal());
    ASSERT_EQ(job.Problems().size(), 2u);
    EXPECT_EQ(job.Problems()[0].file, "GameData/system/bad.crx");
    EXPECT_EQ(job.Problems()[1].file, "GameData/Voice/chara1/v002.pcm");
    EXPECT_EQ(job.Summary().graphicsEntries, 6);
    EXPECT_EQ(job.Summary().emptyVoiceEntries, 2);
}

// The progress total is counted before the first entry is converted and
// never moves, so a progress line cannot jump or run backwards.
TEST_F(ConversionJobTest, TotalIsCountedBeforeTheFirstEntry) {
    kitshift_test::WriteTitleTree(source_.path());
    ConversionJob job(Settings());
    job.Create();
    job.Resume();
    std::set<int> totalsSeen;
    while (!job.IsDone()) {
        int done = job.EntriesDone();
        int total = job.EntriesTotal();
        if (done > 0) totalsSeen.insert(total);
        EXPECT_LE(done, total);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    job.Wait();
    totalsSeen.insert(job.EntriesTotal());
    EXPECT_EQ(totalsSeen, std::set<int>{7 + 5 + 5});
}

// An empty tree gives the chip picture alone, and neither music nor voices.
TEST_F(ConversionJobTest, EmptyTreeGivesTheChipPictureAlone) {
    ConversionJob job(Settings());
    job.Run();
    EXPECT_TRUE(job.IsDone());
    EXPECT_EQ(ReadArchive(output_ / "grpack.mlz").Names(), std::vector<std::string>{"chip.rbp"});
    EXPECT_FALSE(fs::exists(output_ / "voice.mlz"));
    EXPECT_EQ(std::distance(fs::directory_iterator(output_.path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(job.Problems().empty());
}

// The title index, not the folder, picks the blended conversion; a palette
// picture cannot be blended and is reported and left out; an unlisted
// picture is shrunk opaque.
TEST_F(ConversionJobTest, FourthTitleBlendsItsListedSheets) {
    fs::path folder = source_.path() / "sys";
    fs::create_directories(folder);
    testing_support::WriteHostFile(folder / "sheet.crx",
                                   kitshift_test::MakeCrxPicture(30, 30, false, false));
    testing_support::WriteHostFile(folder / "pal.crx",
                                   kitshift_test::MakeCrxPicture(30, 30, true, false));
    // 10 x 5, left half blue 48, green 128, red 240, right half 200, 16, 8:
    // colours on the RGB565 grid, so the shrink to 4 x 2 keeps them exactly.
    pc_title::CrxSource halves;
    halves.width = 10;
    halves.height = 5;
    for (int i = 0; i < 50; ++i) {
        bool left = i % 10 < 5;
        halves.pixels.insert(halves.pixels.end(), {static_cast<uint8_t>(left ? 48 : 200),
                                                   static_cast<uint8_t>(left ? 128 : 16),
                                                   static_cast<uint8_t>(left ? 240 : 8)});
    }
    ByteVector halvesCrx;
    ASSERT_TRUE(pc_title::WriteCrx(halves, pc_title::CrxWriteOptions{}, &halvesCrx, nullptr));
    testing_support::WriteHostFile(folder / "two.crx", halvesCrx);
    ConversionSettings settings = Settings();
    settings.titleIndex = 3;
    settings.pictureLists.blended = {"sheet.crx", "pal.crx"};
    ConversionJob job(settings);
    ASSERT_TRUE(job.PackGraphicsArchive());
    Archive graphics = ReadArchive(output_ / "grpack.mlz");
    EXPECT_EQ(graphics.Names(),
              (std::vector<std::string>{"chip.rbp", "sys\\sheet.rbp", "sys\\two.rbp"}));
    EXPECT_EQ(graphics.Entry(1), ExpectedRbp(testing_support::ReadHostFile(folder / "sheet.crx"),
                                             kitshift::RbpConversion::Blended));

    ByteVector two = graphics.Entry(2);
    formats::RbpHeader header;
    ASSERT_TRUE(formats::ParseRbpHeader(two, &header, nullptr));
    EXPECT_EQ(header.pixelType, formats::kRbpTypeRgb565);
    EXPECT_EQ(header.width, 4u);
    EXPECT_EQ(header.height, 2u);
    EXPECT_EQ(header.designWidth, 10);
    EXPECT_EQ(header.designHeight, 5);
    ByteVector bgra;
    ASSERT_TRUE(formats::DecodeRbpPixels(two, header, formats::RbpKeying::Keyed, &bgra, nullptr));
    const ByteVector a = {48, 128, 240, 255};
    const ByteVector b = {200, 16, 8, 255};
    ByteVector expected;
    for (const ByteVector* pixel : {&a, &a, &b, &b, &a, &a, &b, &b})
        expected.insert(expected.end(), pixel->begin(), pixel->end());
    EXPECT_EQ(bgra, expected);
    ASSERT_EQ(job.Problems().size(), 1u);
    EXPECT_EQ(job.Problems()[0].file, "sys/pal.crx");
    // A second pack of the same job does nothing.
    fs::remove(output_ / "grpack.mlz");
    EXPECT_TRUE(job.PackGraphicsArchive());
    EXPECT_FALSE(fs::exists(output_ / "grpack.mlz"));
}

// An output folder that cannot be written is reported; the job still ends.
TEST_F(ConversionJobTest, UnwritableOutputIsReported) {
    ConversionSettings settings = Settings();
    settings.outputFolder = output_ / "missing" / "deeper";
    ConversionJob job(settings);
    job.Run();
    EXPECT_TRUE(job.IsDone());
    EXPECT_FALSE(job.Summary().graphicsArchiveWritten);
    ASSERT_FALSE(job.Problems().empty());
    EXPECT_EQ(job.Problems()[0].file, "grpack.mlz");
}

// A job made but never resumed, or never made, is destroyed without
// waiting for ever, and converts nothing.
TEST_F(ConversionJobTest, UnstartedJobsAreDestroyedCleanly) {
    {
        ConversionJob suspended(Settings());
        suspended.Create();
    }
    { ConversionJob never(Settings()); }
    EXPECT_FALSE(fs::exists(output_ / "grpack.mlz"));
}

}  // namespace
