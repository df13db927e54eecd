// Settings read from the file reach the sound devices that were made with
// the defaults.

#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "test_support.h"

namespace {

TEST(ApplySettingsTest, MusicAndDecoderSettingsReachTheSoundDevices) {
    testing_support::TempDir dir;
    engine_test::HeadlessEngine engine(dir.path().string() + "/", false);
    ASSERT_NE(engine->Mixer(), nullptr);
    struct Case {
        int32_t pcm;
        int32_t fastBrindlex;
        bool brindlex;
    } cases[] = {{2, 1, true}, {1, 0, false}, {0, -1, false}, {2, 2, true}};
    for (const Case& c : cases) {
        engine->settings.pcm = c.pcm;
        engine->settings.fastBrindlex = c.fastBrindlex;
        engine->ApplySettings();
        EXPECT_EQ(engine->Music().Mode(), c.pcm);
        EXPECT_EQ(engine->Mixer()->UsesBrindlex(), c.brindlex) << c.fastBrindlex;
    }
}

}  // namespace
