// What mirtool says when a command cannot be done: one line naming the file
// at fault as it was typed, with the system's reason, and no output left
// behind, whole or in part.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "formats/byte_io.h"
#include "formats/mlz_archive.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::MirtoolCommand;
using testing_support::RunCommand;
using testing_support::TempDir;
using testing_support::WriteHostFile;

std::set<std::string> FilesBelow(const fs::path& root) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files.insert(fs::relative(entry.path(), root).generic_string());
    }
    return files;
}

// A raw mono sound header of 28 bytes claiming `byteCount` bytes of sound.
std::vector<uint8_t> RawSoundHeader(uint32_t byteCount, uint16_t channels, uint32_t rate,
                                    uint16_t bits) {
    std::vector<uint8_t> file(28, 0);
    formats::StoreLe32(file.data() + 4, byteCount);
    formats::StoreLe16(file.data() + 14, channels);
    formats::StoreLe32(file.data() + 16, rate);
    formats::StoreLe16(file.data() + 26, bits);
    return file;
}

TEST(MirtoolErrors, OneLineNamingTheFileAtFault) {
    TempDir dir;
    WriteHostFile(dir / "notes.txt", std::string("# A README\n\nPlain words, not a sound.\n"));
    WriteHostFile(dir / "noise.pcm", testing_support::RandomBytes(4000, 7));
    std::vector<uint8_t> sound = RawSoundHeader(8, 1, 22050, 16);
    sound.resize(sound.size() + 8, 0x11);
    WriteHostFile(dir / "good.pcm", sound);
    sound = RawSoundHeader(800, 1, 22050, 16);
    sound.resize(sound.size() + 8, 0x11);
    WriteHostFile(dir / "short.pcm", sound);
    WriteHostFile(dir / "eights.pcm", RawSoundHeader(0, 1, 22050, 12));
    WriteHostFile(dir / "slow.pcm", RawSoundHeader(0, 2, 50, 16));
    fs::create_directories(dir / "folder");
    formats::MlzArchiveBuilder builder;
    std::string error;
    ASSERT_TRUE(builder.AddEntry("sub\\a.txt", std::vector<uint8_t>{'a'},
                                 formats::MlzMethod::kStored, &error));
    WriteHostFile(dir / "a.mlz", builder.Finish());
    WriteHostFile(dir / "out/sub", std::string("a file where a folder must go"));
    const std::set<std::string> before = FilesBelow(dir.path());

    struct Case {
        const char* args;
        const char* line;  // the first line, whole
    };
    const Case cases[] = {
        {"mlz pack missing/o.mlz notes.txt", "mirtool: missing/o.mlz: No such file or directory"},
        {"mlz pack folder notes.txt", "mirtool: folder: is a folder"},
        {"mlz pack o.mlz absent.txt", "mirtool: absent.txt: No such file or directory"},
        {"mlz list absent.mlz", "mirtool: absent.mlz: No such file or directory"},
        {"mlz list folder", "mirtool: folder: is a folder"},
        {"mlz extract a.mlz notes.txt/x", "mirtool: notes.txt: is a file, not a folder"},
        {"mlz extract a.mlz out", "mirtool: out/sub: is a file, not a folder"},
        {"crx topng folder o.png", "mirtool: folder: is a folder"},
        {"pcm towav good.pcm notes.txt/o.wav", "mirtool: notes.txt/o.wav: Not a directory"},
        {"pcm towav notes.txt o.wav",
         "mirtool: notes.txt: not a sound: channel count 26977 (1 or 2)"},
        {"pcm towav short.pcm o.wav",
         "mirtool: short.pcm: not a sound: the header claims 800 bytes of sound, the file holds 8"},
        {"pcm towav eights.pcm o.wav",
         "mirtool: eights.pcm: not a sound: sample size 12 bits (8 or 16)"},
        {"pcm towav slow.pcm o.wav",
         "mirtool: slow.pcm: not a sound: sample rate 50 Hz (4000 to 96000)"},
    };
    for (const Case& c : cases) {
        auto result =
            RunCommand("cd '" + dir.path().string() + "' && " + MirtoolCommand() + " " + c.args);
        EXPECT_EQ(result.exitCode, 1) << c.args << "\n" << result.output;
        EXPECT_EQ(result.output.substr(0, result.output.find('\n')), c.line) << c.args;
        EXPECT_EQ(FilesBelow(dir.path()), before) << c.args;
    }
    // Random bytes are refused too, whichever field gives them away.
    auto noise = RunCommand("cd '" + dir.path().string() + "' && " + MirtoolCommand() +
                            " pcm towav noise.pcm o.wav");
    EXPECT_EQ(noise.exitCode, 1);
    EXPECT_EQ(noise.output.rfind("mirtool: noise.pcm: not a sound: ", 0), 0u) << noise.output;
    // And a real sound still goes through.
    auto good = RunCommand("cd '" + dir.path().string() + "' && " + MirtoolCommand() +
                           " pcm towav good.pcm o.wav");
    EXPECT_EQ(good.exitCode, 0) << good.output;
    EXPECT_EQ(testing_support::ReadHostFile(dir / "o.wav").size(), 44u + 8u);
}

// A write that fails part way (here: no file may pass 1 KiB) leaves neither
// the output nor its staging file, and says why.
TEST(MirtoolErrors, FailedWritesLeaveNothingBehind) {
    TempDir dir;
    WriteHostFile(dir / "big.bin", testing_support::RandomBytes(4000, 3));
    auto packed = RunCommand("cd '" + dir.path().string() + "' && " + MirtoolCommand() +
                             " mlz pack --stored big.mlz big.bin");
    ASSERT_EQ(packed.exitCode, 0) << packed.output;
    fs::remove(dir / "big.bin");
    const std::string limited =
        "cd '" + dir.path().string() + "' && trap '' XFSZ && ulimit -f 2 && " + MirtoolCommand();
    auto pack = RunCommand(limited + " mlz pack --stored o.mlz big.mlz");
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_EQ(pack.output, "mirtool: o.mlz: File too large\n");
    auto extract = RunCommand(limited + " mlz extract big.mlz out");
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_EQ(extract.output.substr(0, extract.output.find('\n')),
              "mirtool: out/big.bin: File too large");
    EXPECT_EQ(FilesBelow(dir.path()), (std::set<std::string>{"big.mlz", "out"}));
}

}  // namespace
