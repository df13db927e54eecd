// mirtool pcm towav through its command line.

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/byte_io.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::MirtoolCommand;
using testing_support::RunCommand;

// A mono delta-coded sound of the bytes 127, 127, 0.
std::vector<uint8_t> DeltaSound() {
    std::vector<uint8_t> file(28, 0);
    formats::StoreLe32(file.data() + 4, 6);
    file[8] = 2;
    formats::StoreLe16(file.data() + 14, 1);
    formats::StoreLe32(file.data() + 16, 22050);
    formats::StoreLe16(file.data() + 26, 16);
    file.insert(file.end(), {127, 127, 0});
    return file;
}

// The music stage decodes delta coding; the voice stages read the same
// bytes as transform coding, whose stream here is too short for a block.
TEST(PcmCommand, StagesDecideHowTheSoundIsRead) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "a.pcm", DeltaSound());
    std::string in = " '" + (dir / "a.pcm").string() + "' ";
    auto result =
        RunCommand(MirtoolCommand() + " pcm towav" + in + "'" + (dir / "music.wav").string() + "'");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    std::vector<uint8_t> wav = testing_support::ReadHostFile(dir / "music.wav");
    ASSERT_EQ(wav.size(), 50u);
    EXPECT_EQ(formats::ReadLe16(wav, 44), 127);
    EXPECT_EQ(formats::ReadLe16(wav, 46), 381);
    EXPECT_EQ(formats::ReadLe16(wav, 48), 381);

    result = RunCommand(MirtoolCommand() + " pcm towav --stage voice-record" + in + "'" +
                        (dir / "voice.wav").string() + "'");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    EXPECT_EQ(formats::ReadLe32(testing_support::ReadHostFile(dir / "voice.wav"), 40), 0u);

    result = RunCommand(MirtoolCommand() + " pcm towav --stage loud" + in + "x.wav");
    EXPECT_EQ(result.exitCode, 2);
    testing_support::WriteHostFile(dir / "cut.pcm", std::string(10, 'x'));
    result = RunCommand(MirtoolCommand() + " pcm towav '" + (dir / "cut.pcm").string() + "' '" +
                        (dir / "cut.wav").string() + "'");
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(fs::exists(dir / "cut.wav"));
}

}  // namespace
