// Read-message flags: one 512-bit record per scenario path.

#include "engine/script/read_flags.h"

#include <gtest/gtest.h>

namespace {

TEST(ReadFlags, MarkedMessagesAreReadPerScenario) {
    script::ReadFlags flags;
    EXPECT_FALSE(flags.IsRead("GameData\\sinario\\a.MES", 0));
    flags.MarkRead("GameData\\sinario\\a.MES", 0);
    flags.MarkRead("GameData\\sinario\\a.MES", 511);
    flags.MarkRead("GameData\\sinario\\b.MES", 9);
    EXPECT_TRUE(flags.IsRead("GameData\\sinario\\a.MES", 0));
    EXPECT_TRUE(flags.IsRead("GameData\\sinario\\a.MES", 511));
    EXPECT_FALSE(flags.IsRead("GameData\\sinario\\a.MES", 1));
    EXPECT_FALSE(flags.IsRead("GameData\\sinario\\a.MES", 9));
    EXPECT_TRUE(flags.IsRead("GameData\\sinario\\b.MES", 9));
    EXPECT_FALSE(flags.IsRead("GameData\\sinario\\c.MES", 9));

    // Bit n of the record is bit n mod 8 of byte n / 8.
    ASSERT_EQ(flags.Records().size(), 2u);
    EXPECT_EQ(flags.Records()[0].bits[0], 0x01);
    EXPECT_EQ(flags.Records()[0].bits[63], 0x80);
    EXPECT_EQ(flags.Records()[1].bits[1], 0x02);
}

TEST(ReadFlags, NamesMatchWithoutLetterCaseButDoubleByteExactly) {
    script::ReadFlags flags;
    flags.MarkRead("GameData\\sinario\\a.MES", 3);
    flags.MarkRead("gamedata\\SINARIO\\A.mes", 4);
    ASSERT_EQ(flags.Records().size(), 1u);
    EXPECT_TRUE(flags.IsRead("GAMEDATA\\sinario\\a.MES", 4));
    // "ア" (0x83 0x41) and "ャ" (0x83 0x61): the trail bytes differ only as 'A' and 'a' do.
    flags.MarkRead("\x83\x41.MES", 1);
    EXPECT_FALSE(flags.IsRead("\x83\x61.MES", 1));
    EXPECT_TRUE(flags.IsRead("\x83\x41.mes", 1));
}

TEST(ReadFlags, NumbersOutsideTheRecordAreNeverRead) {
    script::ReadFlags flags;
    flags.MarkRead("x.MES", 600);
    flags.MarkRead("x.MES", 512);
    flags.MarkRead("x.MES", -1);
    EXPECT_TRUE(flags.Records().empty());  // nothing was marked, so no record either
    flags.MarkRead("x.MES", 5);
    EXPECT_FALSE(flags.IsRead("x.MES", 600));
    EXPECT_FALSE(flags.IsRead("x.MES", 512));
    EXPECT_FALSE(flags.IsRead("x.MES", -1));
    for (uint8_t byte : flags.Records()[0].bits) EXPECT_EQ(byte & ~0x20, 0);
}

}  // namespace
