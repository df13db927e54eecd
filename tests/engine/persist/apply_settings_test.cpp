// Settings read from the file reach the sound devices that were made with
// the defaults.

#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "test_support.h"

namespace {

TEST(ApplySettingsTest, TheMusicSettingSetsTheControllersMode) {
    testing_support::TempDir dir;
    engine_test::HeadlessEngine engine(dir.path().string() + "/", false);
    ASSERT_NE(engine->Mixer(), nullptr);
    for (int32_t pcm : {2, 1, 0, 2}) {
        engine->settings.pcm = pcm;
        engine->ApplySettings();
        EXPECT_EQ(engine->Music().Mode(), pcm);
    }
}

}  // namespace
