// The caption a slot save carries, from the sample title's caption table,
// for each dialect and each of its cases.

#include "engine/script/save_caption.h"

#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "test_support.h"

namespace {

using engine_test::Sjis;

script::SaveCaptions SampleCaptions() {
    auto bytes = testing_support::ReadHostFile(testing_support::SourceFolder() +
                                               "/tests/engine/script/full_data_set.txt");
    script::DataSetTables tables;
    std::string error;
    EXPECT_TRUE(script::ParseDataSetTables(
        std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()), &tables, &error))
        << error;
    return tables.captions;
}

TEST(SaveCaption, EachDialectTellsWhereItsStoryStands) {
    const script::SaveCaptions captions = SampleCaptions();
    script::ScriptVariables vars;
    auto caption = [&](int dialect, std::array<int32_t, 3> calendar,
                       std::string_view script = "GameData\\sinario\\x.MES") {
        return script::SaveCaption(captions, dialect, calendar, vars, script);
    };
    // Dialect 0: the prologue, then the date, a route's flag over the date,
    // and the all-endings story over everything.
    EXPECT_EQ(caption(0, {0, 0, 0}), Sjis("プロローグ"));
    EXPECT_EQ(caption(0, {2, 14, 3}), Sjis("2月14日（水）"));
    vars.SetFlag(12, 3, 1);
    vars.SetFlag(12, 2, 1);
    EXPECT_EQ(caption(0, {2, 14, 3}), Sjis("街の灯り"));  // the first set flag wins
    EXPECT_EQ(caption(0, {-1, 0, 0}), Sjis("全ての終わりに"));
    // A weekday outside the week names no day rather than reading past it.
    vars = {};
    EXPECT_EQ(caption(0, {3, 1, 9}), Sjis("3月1日（）"));

    // Dialect 1: its extra story by the script's path, in any case of ASCII.
    EXPECT_EQ(caption(1, {}), Sjis("冬の日の物語"));
    EXPECT_EQ(caption(1, {}, "GameData\\sinario\\GAKUEN_omake.mes"), Sjis("学園のおまけ"));

    // Dialect 2: the date with the weekday one on, until its status flag.
    EXPECT_EQ(caption(2, {12, 24, 6}), Sjis("12月24日（日）"));
    vars.SetFlag(15, 0, 1);
    EXPECT_EQ(caption(2, {12, 24, 6}), Sjis("旅の終わり"));
    vars.SetFlag(15, 0, 7);
    EXPECT_EQ(caption(2, {12, 24, 6}), Sjis("帰り道"));
}

TEST(SaveCaption, TableMistakesNameTheirLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"[save-captions]\nprogress 8 = 1 1 a\n", "2: progress labels are numbered 1..7"},
        {"[save-captions]\nprogress 1 = 16 0 a\n", "2: flag row 0..15 and column 0..31 expected"},
        {"[save-captions]\nprogress 1 = a\n",
         "2: expected a flag's row and column before the text"},
        {"[save-captions]\nweekdays = a b c\n",
         "2: weekdays needs exactly seven names separated by spaces"},
        {"[save-captions]\nstatus-flag = 1 2 3\n", "2: text after the flag's row and column"},
        {"[save-captions]\ndate = a\ndate = b\n",
         "3: date is given a second time (first on line 2)"},
        {"[save-captions]\nchapter = a\n",
         "2: unknown caption 'chapter' (expected prologue, ending, date, weekdays, progress N, "
         "story, extra, extra-script, status-flag or status N)"},
    };
    for (const auto& bad : cases) {
        script::DataSetTables tables;
        std::string error;
        EXPECT_FALSE(script::ParseDataSetTables(bad.text, &tables, &error)) << bad.text;
        EXPECT_EQ(error, bad.error);
    }
}

}  // namespace
