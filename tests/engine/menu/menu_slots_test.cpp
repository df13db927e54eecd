// The slot lists of the menu show what the save folder holds.

#include <gtest/gtest.h>

#include "engine/core/data_folder.h"
#include "engine/game/game.h"
#include "engine/menu/engine_menu.h"
#include "engine/persist/slot_record.h"
#include "engine_test_support.h"
#include "platform/text_encoding.h"
#include "test_support.h"

namespace {

using engine_test::Sjis;

// A saved slot is listed by its save time (from the month on) and caption
// in both lists and can be loaded; a missing or damaged slot file is
// "undefined" in both lists and cannot be loaded, but can be saved to.
TEST(MenuSlots, ListsShowTheSavedSlotsAndOnlyTheyCanBeLoaded) {
    testing_support::TempDir dir;
    testdata::BuildDataFolder(dir.path());
    persist::SlotRecord record;
    record.saveTime = "2026-12-08 20:49:07";
    record.caption = "Chapter";
    testing_support::WriteHostFile(dir / "save002.dat", persist::EncodeSlotRecord(record));
    testing_support::WriteHostFile(dir / "save003.dat", std::string("not a save"));
    engine_test::HeadlessEngine engine(dir.path().string() + "/");
    std::string error;
    std::unique_ptr<game::Game> game = game::Game::Create(*engine, {}, &error);
    ASSERT_TRUE(game) << error;
    auto item = [&](uint32_t identifier) {
        menu::MenuLevel* level = nullptr;
        int index = 0;
        EXPECT_TRUE(game->Menu().Widget().FindItem(identifier, &level, &index)) << identifier;
        return level->items[index];
    };
    const std::string saved = "12-08 20:49:07 " + Sjis("～") + "Chapter" + Sjis("～");
    const std::string undefined = Sjis("---- 未定義 ----");
    EXPECT_EQ(item(menu::kCommandFirstLoad + 1).label, saved);
    EXPECT_EQ(item(menu::kCommandFirstSave + 1).label, saved);
    EXPECT_TRUE(item(menu::kCommandFirstLoad + 1).Enabled());
    for (uint32_t slot : {0u, 2u, 14u}) {
        SCOPED_TRACE(slot);
        EXPECT_EQ(item(menu::kCommandFirstLoad + slot).label, undefined);
        EXPECT_EQ(item(menu::kCommandFirstSave + slot).label, undefined);
        EXPECT_FALSE(item(menu::kCommandFirstLoad + slot).Enabled());
        EXPECT_TRUE(item(menu::kCommandFirstSave + slot).Enabled());
    }
    game.reset();
}

}  // namespace
