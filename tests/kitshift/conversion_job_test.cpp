#include "kitshift/conversion_job.h"

#include <gtest/gtest.h>

#include <cstring>

#include "formats/mlz_archive.h"
#include "formats/rbp.h"
#include "kitshift/chip_picture.h"
#include "kitshift/crx_decoder.h"
#include "kitshift/rbp_encoders.h"
#include "mp3_decode.h"
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
        settings.sourceFolder = source.path();
        settings.outputFolder = output.path();
        return settings;
    }

    TempDir source;
    TempDir output;
    EnvironmentVariable modulePath{"MIRELO_MODULE_PATH", MIRELO_MODULE_DIR};
};

// The whole run on its worker thread, output checked entry by entry.
TEST_F(ConversionJobTest, ConvertsAGeneratedTitleTree) {
    kitshift_test::TitleTree tree = kitshift_test::WriteTitleTree(source.path());
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
    Archive graphics = ReadArchive(output / "grpack.mlz");
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

    fs::path system = source.path() / "GameData" / "system";
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
        testing_support::DecodeMp3(testing_support::ReadHostFile(output / "bgm01.mp3").data(),
                                   fs::file_size(output / "bgm01.mp3"));
    EXPECT_EQ(bgm.rate, 22050);
    EXPECT_EQ(bgm.channels, 2);
    EXPECT_GE(bgm.Frames(), tree.laterBgmFrames);
    EXPECT_LE(bgm.Frames(), tree.laterBgmFrames + 2 * 1152);
    for (const char* name : {"delta.mp3", "tf.mp3"}) {
        ByteVector mp3 = testing_support::ReadHostFile(output / name);
        testing_support::Decoded decoded = testing_support::DecodeMp3(mp3.data(), mp3.size());
        EXPECT_GE(decoded.Frames(), 22050u) << name;
        EXPECT_LE(decoded.Frames(), 22050u + 2 * 1152) << name;
    }
    ByteVector effect = testing_support::ReadHostFile(output / "se01.mp3");
    ASSERT_EQ(effect.size(), 64 + 2 * tree.shortSoundBytes);
    EXPECT_EQ(std::memcmp(effect.data(), "MWF0", 4), 0);
    EXPECT_EQ(formats::ReadLe16(effect, 40 + 14), 16);  // bits per sample

    // Voices: records first (a non-sound record keeps its place as an empty
    // entry), then the voice folder's sounds below "voice", without the
    // excluded one.
    Archive voices = ReadArchive(output / "voice.mlz");
    EXPECT_EQ(voices.Names(),
              (std::vector<std::string>{"VOICE\\a001.mp3", "", "VOICE\\a002.mp3",
                                        "voice\\chara1\\v001.mp3", "voice\\v000.mp3"}));
    EXPECT_EQ(voices.directory.entries[1].storedSize, 0u);
    const size_t frames[] = {4000, 0, 9000, 3000, 3000};
    for (size_t i = 0; i < voices.directory.entries.size(); ++i) {
        if (frames[i] == 0) continue;
        EXPECT_EQ(voices.directory.entries[i].method, 0u);
        ByteVector mp3 = voices.Entry(i);
        testing_support::Decoded decoded = testing_support::DecodeMp3(mp3.data(), mp3.size());
        EXPECT_EQ(decoded.rate, 22050) << i;
        // The stream adds the encoder's delay and padding, under two frames.
        EXPECT_GE(decoded.Frames(), frames[i]) << i;
        EXPECT_LE(decoded.Frames(), frames[i] + 2 * 1152) << i;
    }

    // Progress: every entry of every stage counted, and the bad picture
    // reported by its path.
    EXPECT_EQ(job.EntriesTotal(), 7 + 5 + 5);
    EXPECT_EQ(job.EntriesDone(), job.EntriesTotal());
    ASSERT_EQ(job.Problems().size(), 1u);
    EXPECT_EQ(job.Problems()[0].file, "GameData/system/bad.crx");
    EXPECT_EQ(job.Summary().graphicsEntries, 6);
    EXPECT_EQ(job.Summary().emptyVoiceEntries, 1);
}

// An empty tree gives the chip picture alone, and neither music nor voices.
TEST_F(ConversionJobTest, EmptyTreeGivesTheChipPictureAlone) {
    ConversionJob job(Settings());
    job.Run();
    EXPECT_TRUE(job.IsDone());
    EXPECT_EQ(ReadArchive(output / "grpack.mlz").Names(), std::vector<std::string>{"chip.rbp"});
    EXPECT_FALSE(fs::exists(output / "voice.mlz"));
    EXPECT_EQ(std::distance(fs::directory_iterator(output.path()), fs::directory_iterator()), 1);
    EXPECT_TRUE(job.Problems().empty());
}

// The title index, not the folder, picks the blended conversion; a palette
// picture cannot be blended and is reported and left out.
TEST_F(ConversionJobTest, FourthTitleBlendsItsListedSheets) {
    fs::path folder = source.path() / "sys";
    fs::create_directories(folder);
    testing_support::WriteHostFile(folder / "sheet.crx",
                                   kitshift_test::MakeCrxPicture(30, 30, false, false));
    testing_support::WriteHostFile(folder / "pal.crx",
                                   kitshift_test::MakeCrxPicture(30, 30, true, false));
    ConversionSettings settings = Settings();
    settings.titleIndex = 3;
    settings.pictureLists.blended = {"sheet.crx", "pal.crx"};
    ConversionJob job(settings);
    ASSERT_EQ(job.PackGraphicsArchive(), 0);
    Archive graphics = ReadArchive(output / "grpack.mlz");
    EXPECT_EQ(graphics.Names(), (std::vector<std::string>{"chip.rbp", "sys\\sheet.rbp"}));
    EXPECT_EQ(graphics.Entry(1), ExpectedRbp(testing_support::ReadHostFile(folder / "sheet.crx"),
                                             kitshift::RbpConversion::Blended));
    ASSERT_EQ(job.Problems().size(), 1u);
    EXPECT_EQ(job.Problems()[0].file, "sys/pal.crx");
    // A second pack of the same job does nothing.
    fs::remove(output / "grpack.mlz");
    EXPECT_EQ(job.PackGraphicsArchive(), 0);
    EXPECT_FALSE(fs::exists(output / "grpack.mlz"));
}

// An output folder that cannot be written is reported; the job still ends.
TEST_F(ConversionJobTest, UnwritableOutputIsReported) {
    ConversionSettings settings = Settings();
    settings.outputFolder = output / "missing" / "deeper";
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
    EXPECT_FALSE(fs::exists(output / "grpack.mlz"));
}

}  // namespace
