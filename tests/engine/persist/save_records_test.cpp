#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/persist/save_files.h"
#include "platform/device_path.h"
#include "test_support.h"

namespace {

using persist::DecodeSlotRecord;
using persist::EncodeSlotRecord;
using persist::SlotRecord;

SlotRecord FullRecord() {
    SlotRecord record;
    record.saveTime = "2026-12-08 20:15:42";
    record.caption = "\x82\xa0 chapter two";
    record.kind = 3;
    record.timeFields = {2026, 12, 8, 20, 15, 42};
    record.scenarioPath = "GameData\\sinario\\day01.MES";
    record.musicName = "bgm07";
    record.imageNames = {"chara_a.rbp", "", "bg_school.rbp", "bg_sky.rbp"};
    record.loopingEffect = "rain";
    record.calendar = {4, 12, 3};
    record.dialect = 2;
    record.stateWords = {99, 7, -1, 12};
    record.interpreterWords = {5, 2};
    record.waitIcon = true;
    record.contextWord = -9;
    record.particles = true;
    record.fillGrey = 128;
    record.fillUseGrey = true;
    record.fillEnabled = true;
    record.secondContextWord = 77;
    for (int i = 0; i < persist::kSlotVariables; ++i) record.variables[i] = i * 1000 - 5;
    for (int i = 0; i < persist::kSlotFlagBytes; ++i) record.flags[i] = static_cast<uint8_t>(i * 7);
    for (size_t i = 0; i < persist::kContextBlockSize; ++i)
        record.contextBlock[i] = static_cast<uint8_t>(255 - i);
    record.window.exists = true;
    record.window.visible = true;
    record.window.penX = 40;
    record.window.penY = 180;
    record.window.column = 3;
    record.window.line = 1;
    record.window.textColour = 0xFFFFFF;
    record.window.voicePath = "voice\\a001";
    for (int i = 0; i < persist::kWindowCells; ++i) {
        record.window.cells.push_back({static_cast<uint16_t>(0x8140 + i), i, 2 * i, i + 12,
                                       2 * i + 12, 0x00FF00u + static_cast<uint32_t>(i),
                                       i % 2 == 0});
    }
    record.sprites[1].exists = true;
    record.sprites[1].imageSlot = 10;
    record.sprites[1].x = -30;
    record.sprites[1].layer = 20;
    record.sprites[1].alpha = 100;
    record.sprites[1].brightness = 512;
    record.sprites[1].animating = true;
    record.sprites[1].currentCell = 15;
    record.sprites[1].sequence[3] = 9;
    record.sprites[1].cells[15] = {true, 2, 200, 66, 1, 2, 3, 4, -5, -6};
    record.sprites[3].exists = true;
    return record;
}

TEST(SlotRecord, RoundTripsEveryFieldInExactlyTheRecordSize) {
    SlotRecord record = FullRecord();
    formats::ByteVector bytes = EncodeSlotRecord(record);
    ASSERT_EQ(bytes.size(), 19240u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MIR1");
    EXPECT_EQ(formats::ReadLe32(bytes, 4), 19240u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[120])), record.scenarioPath);
    EXPECT_EQ(formats::ReadLe32(bytes, 580), 2u);
    EXPECT_EQ(formats::ReadLe32(bytes, 636 + 4 * 31), static_cast<uint32_t>(record.variables[31]));
    EXPECT_EQ(formats::ReadLe32(bytes, 1492), 1u);
    EXPECT_EQ(formats::ReadLe32(bytes, 11672), 0u);
    EXPECT_EQ(formats::ReadLe32(bytes, 11672 + 1892), 1u);

    SlotRecord back;
    std::string why;
    ASSERT_TRUE(DecodeSlotRecord(bytes, &back, &why)) << why;
    EXPECT_EQ(back, record);
}

TEST(SlotRecord, CutsOverlongTextsAtTheFieldWithoutSplittingACharacter) {
    SlotRecord record;
    record.stateWords[0] = 0;
    // Two single-byte characters, then double-byte ones: the 63rd byte would
    // be a lead byte alone.
    record.caption = "ab";
    for (int i = 0; i < 40; ++i) record.caption += "\x82\xa0";
    SlotRecord back;
    std::string why;
    ASSERT_TRUE(DecodeSlotRecord(EncodeSlotRecord(record), &back, &why)) << why;
    EXPECT_EQ(back.caption, record.caption.substr(0, 62));
    // A text that fits is kept as it is, even one ending in a lone lead byte.
    record.caption = "ab\x82";
    ASSERT_TRUE(DecodeSlotRecord(EncodeSlotRecord(record), &back, &why)) << why;
    EXPECT_EQ(back.caption, record.caption);
}

// One damaged field each: the decoder refuses, gives a reason and leaves the
// output as it was.
TEST(SlotRecord, RefusesEveryFieldThatDoesNotFit) {
    struct Case {
        const char* name;
        std::function<void(formats::ByteVector&)> damage;
    };
    auto word = [](size_t offset, uint32_t value) {
        return [=](formats::ByteVector& b) { formats::StoreLe32(&b[offset], value); };
    };
    auto unterminated = [](size_t offset, size_t size) {
        return [=](formats::ByteVector& b) { std::memset(&b[offset], 'x', size); };
    };
    const size_t window = 1492, sprite1 = 11672 + 1892, sprite0 = 11672;
    const Case cases[] = {
        {"short", [](formats::ByteVector& b) { b.pop_back(); }},
        {"long", [](formats::ByteVector& b) { b.push_back(0); }},
        {"magic digit 0", [](formats::ByteVector& b) { b[3] = '0'; }},
        {"magic letter", [](formats::ByteVector& b) { b[3] = 'A'; }},
        {"magic", [](formats::ByteVector& b) { b[0] = 'X'; }},
        {"size word", word(4, 19239)},
        {"save time", unterminated(8, 20)},
        {"caption", unterminated(28, 64)},
        {"scenario path", unterminated(120, 64)},
        {"music", unterminated(184, 64)},
        {"image 29", unterminated(440, 64)},
        {"effect", unterminated(504, 64)},
        {"dialect 3", word(580, 3)},
        {"dialect -1", word(580, 0xFFFFFFFF)},
        {"game state", word(584, 98)},
        {"empty path in a running story", [](formats::ByteVector& b) { b[120] = 0; }},
        {"wait icon", word(608, 2)},
        {"particles", word(616, 5)},
        {"grey level", word(620, 257)},
        {"grey use", word(624, 2)},
        {"fill enabled", word(628, 2)},
        {"window existence", word(window, 2)},
        {"window version", word(window + 4, 2)},
        {"window visibility", word(window + 8, 3)},
        {"window voice path", unterminated(window + 32, 64)},
        {"window cell count", word(window + 96, 257)},
        {"window cell code", word(window + 100, 0x10000)},
        {"window cell visibility", word(window + 100 + 24, 2)},
        {"absent sprite with bytes", word(sprite0 + 100, 1)},
        {"sprite existence", word(sprite1, 7)},
        {"sprite version", word(sprite1 + 4, 0)},
        {"sprite image slot", word(sprite1 + 8, 67)},
        {"sprite image slot below", word(sprite1 + 8, 0xFFFFFFFE)},
        {"sprite layer", word(sprite1 + 44, 128)},
        {"sprite alpha", word(sprite1 + 48, 257)},
        {"sprite brightness", word(sprite1 + 52, 513)},
        {"sprite visibility", word(sprite1 + 56, 2)},
        {"sprite animating", word(sprite1 + 60, 2)},
        {"sprite current cell", word(sprite1 + 64, 16)},
        {"sprite sequence", word(sprite1 + 68 + 4 * 15, 16)},
        {"sprite cell defined", word(sprite1 + 132 + 40 * 15, 2)},
        {"sprite cell next", word(sprite1 + 132 + 4, 16)},
        {"sprite cell image", word(sprite1 + 132 + 12, 70)},
    };
    const formats::ByteVector good = EncodeSlotRecord(FullRecord());
    for (const Case& c : cases) {
        formats::ByteVector bytes = good;
        c.damage(bytes);
        SlotRecord untouched;
        untouched.caption = "kept";
        std::string why;
        EXPECT_FALSE(DecodeSlotRecord(bytes, &untouched, &why)) << c.name;
        EXPECT_FALSE(why.empty()) << c.name;
        EXPECT_EQ(untouched.caption, "kept") << c.name;
    }
}

TEST(SlotRecord, MagicCountsAsUsedForDigitsOneToNine) {
    const struct {
        const char* bytes;
        bool used;
    } cases[] = {{"MIR1", true},  {"MIR9", true},  {"MIR0", false},
                 {"MIRa", false}, {"MIX1", false}, {"MIR", false}};
    for (const auto& c : cases) {
        std::string text = c.bytes;
        formats::ByteSpan span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        EXPECT_EQ(persist::SlotMagicValid(span), c.used) << c.bytes;
    }
}

TEST(NameSets, AddsEachNameOnceWithoutRegardToAsciiCase) {
    std::vector<std::string> set;
    EXPECT_TRUE(persist::AddSeenName(set, "bg_School.rbp"));
    EXPECT_FALSE(persist::AddSeenName(set, "BG_SCHOOL.RBP"));
    EXPECT_TRUE(persist::AddSeenName(set, "\x82\xa0.rbp"));
    EXPECT_TRUE(
        persist::AddSeenName(set, "\x82\xc0.rbp"));  // double-byte characters compare exactly
    EXPECT_EQ(set.size(), 3u);
    EXPECT_TRUE(persist::ContainsSeenName(set, "bg_school.RBP"));
}

TEST(NameSets, RoundTripsAndRefusesCountsAndSizesThatDoNotFit) {
    persist::NameSets sets{{"a.rbp", "bb.rbp"}, {"day01.MES"}};
    formats::ByteVector bytes = persist::EncodeNameSets(sets);
    ASSERT_EQ(bytes.size(), 4u + 8 + 13 + 8 + 10);
    persist::NameSets back;
    std::string why;
    ASSERT_TRUE(persist::DecodeNameSets(bytes, &back, &why)) << why;
    EXPECT_EQ(back, sets);
    ASSERT_TRUE(persist::DecodeNameSets(persist::EncodeNameSets({}), &back, &why)) << why;
    EXPECT_EQ(back, persist::NameSets{});

    struct Case {
        const char* name;
        std::function<void(formats::ByteVector&)> damage;
    };
    const Case cases[] = {
        {"magic", [](formats::ByteVector& b) { b[3] = '2'; }},
        {"cut", [](formats::ByteVector& b) { b.resize(6); }},
        {"count above names", [](formats::ByteVector& b) { formats::StoreLe32(&b[4], 3); }},
        {"count below names", [](formats::ByteVector& b) { formats::StoreLe32(&b[4], 1); }},
        {"huge count", [](formats::ByteVector& b) { formats::StoreLe32(&b[4], 0xFFFFFFFF); }},
        {"total past the end",
         [](formats::ByteVector& b) { formats::StoreLe32(&b[8], 0x7FFFFFFF); }},
        {"second set cut", [](formats::ByteVector& b) { b.pop_back(); }},
        {"trailing bytes", [](formats::ByteVector& b) { b.push_back(0); }},
        {"empty name", [](formats::ByteVector& b) { b[12] = 0; }},
    };
    for (const Case& c : cases) {
        formats::ByteVector damaged = bytes;
        c.damage(damaged);
        persist::NameSets untouched{{"kept"}, {}};
        EXPECT_FALSE(persist::DecodeNameSets(damaged, &untouched, &why)) << c.name;
        EXPECT_EQ(untouched.images.at(0), "kept") << c.name;
    }
    // A name longer than a list node's 64-byte field.
    persist::NameSets overlong{{std::string(64, 'n')}, {}};
    EXPECT_FALSE(persist::DecodeNameSets(persist::EncodeNameSets(overlong), &back, &why));
}

TEST(ReadFlagFile, RoundTripsAndRefusesCountsAndSizesThatDoNotFit) {
    std::vector<persist::ReadFlagEntry> entries(2);
    entries[0].scriptName = "day01.MES";
    entries[0].bits[63] = 0x80;
    entries[1].scriptName = "day02.MES";
    entries[1].bits[0] = 1;
    formats::ByteVector bytes = persist::EncodeReadFlagFile(entries);
    ASSERT_EQ(bytes.size(), 4u + 2 * (10 + 64));
    std::vector<persist::ReadFlagEntry> back;
    std::string why;
    ASSERT_TRUE(persist::DecodeReadFlagFile(bytes, &back, &why)) << why;
    EXPECT_EQ(back, entries);

    struct Case {
        const char* name;
        std::function<void(formats::ByteVector&)> damage;
    };
    const Case cases[] = {
        {"cut count", [](formats::ByteVector& b) { b.resize(3); }},
        {"count above entries", [](formats::ByteVector& b) { formats::StoreLe32(&b[0], 3); }},
        {"count below entries", [](formats::ByteVector& b) { formats::StoreLe32(&b[0], 1); }},
        {"huge count", [](formats::ByteVector& b) { formats::StoreLe32(&b[0], 0xFFFFFFFF); }},
        {"flags cut", [](formats::ByteVector& b) { b.pop_back(); }},
        {"unterminated name", [](formats::ByteVector& b) { b.resize(4 + 9); }},
        {"empty name", [](formats::ByteVector& b) { b[4] = 0; }},
    };
    for (const Case& c : cases) {
        formats::ByteVector damaged = bytes;
        c.damage(damaged);
        std::vector<persist::ReadFlagEntry> untouched(1);
        EXPECT_FALSE(persist::DecodeReadFlagFile(damaged, &untouched, &why)) << c.name;
        EXPECT_EQ(untouched.size(), 1u) << c.name;
    }
}

TEST(SaveFiles, SlotIndexNamesItsFileAndTheRecordComesBack) {
    testing_support::TempDir dir;
    std::string folder = platform::HostToDevicePath(dir.path().string() + "/");
    SlotRecord record = FullRecord();
    ASSERT_TRUE(persist::WriteSlotRecord(folder, 2, record));
    EXPECT_EQ(testing_support::ReadHostFile(dir / "save003.dat").size(), 19240u);
    EXPECT_EQ(persist::SlotFileName(14), "save015.dat");
    SlotRecord back;
    std::string why;
    ASSERT_TRUE(persist::ReadSlotRecord(folder, 2, &back, &why)) << why;
    EXPECT_EQ(back, record);
    EXPECT_FALSE(persist::ReadSlotRecord(folder, 3, &back, &why));
}

TEST(SaveFiles, AFailedWriteKeepsTheOldFileAndSaysWhyOnOneLine) {
    testing_support::TempDir dir;
    std::string folder = platform::HostToDevicePath(dir.path().string() + "/");
    persist::NameSets old{{"old.rbp"}, {}};
    ASSERT_TRUE(persist::WriteNameSets(folder, old));
    // The temporary file's name is taken by a folder, so the write cannot start.
    std::filesystem::create_directory(dir.path() / ("rysys.dat.tmp-" + std::to_string(::getpid())));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(persist::WriteNameSets(folder, persist::NameSets{{"new.rbp"}, {}}));
    std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed.rfind("mirelo: " + folder + "rysys.dat: ", 0), 0u) << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1);
    persist::NameSets back;
    std::string why;
    ASSERT_TRUE(persist::ReadNameSets(folder, &back, &why)) << why;
    EXPECT_EQ(back, old);
}

}  // namespace
