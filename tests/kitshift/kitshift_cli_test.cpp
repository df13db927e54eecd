// The kitshift program on the console: options, checks, exit codes, output.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

#include "mp3_decode.h"
#include "test_support.h"
#include "title_tree.h"

namespace {

namespace fs = std::filesystem;
using testing_support::CommandResult;
using testing_support::EnvironmentVariable;
using testing_support::KitshiftCommand;
using testing_support::RunCommand;
using testing_support::TempDir;

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

TEST(KitshiftCliTest, ConvertsATitleFolderWithItsOptions) {
    TempDir source;
    TempDir output;
    kitshift_test::WriteTitleTree(source.path());
    fs::path out = output / "new" / "folder";
    CommandResult result =
        RunCommand(KitshiftCommand() + " --title Quevara --bgm-rate 44100 --bgm-mono --out " +
                   Quote(out) + " " + Quote(source.path()));
    // The undecodable picture makes the run end with code 1, naming it.
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("Converted 17 / 17"), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("GameData/system/bad.crx: cannot decode picture"),
              std::string::npos)
        << result.output;
    EXPECT_TRUE(fs::exists(out / "grpack.mlz"));
    EXPECT_TRUE(fs::exists(out / "voice.mlz"));
    std::vector<uint8_t> mp3 = testing_support::ReadHostFile(out / "bgm01.mp3");
    testing_support::Decoded decoded = testing_support::DecodeMp3(mp3.data(), mp3.size());
    EXPECT_EQ(decoded.rate, 44100);
    EXPECT_EQ(decoded.channels, 1);
}

TEST(KitshiftCliTest, ChecksTheFolderAndTheEncoderModule) {
    TempDir source;
    TempDir output;
    // Any one of the title executables marks the folder, in any letter case.
    testing_support::WriteHostFile(source / "qv_dvd.EXE", std::string());
    CommandResult ok = RunCommand("cd " + Quote(output.path()) + " && " + KitshiftCommand() + " " +
                                  Quote(source.path()));
    EXPECT_EQ(ok.exitCode, 0) << ok.output;
    EXPECT_TRUE(fs::exists(output / "grpack.mlz"));  // the current folder by default
    EXPECT_NE(ok.output.find("no voice.mlz"), std::string::npos) << ok.output;

    CommandResult notTitle = RunCommand(KitshiftCommand() + " --out " + Quote(output.path()) + " " +
                                        Quote(output.path()));
    EXPECT_EQ(notTitle.exitCode, 4);
    EXPECT_NE(notTitle.output.find("not a title's install folder: it holds none of "
                                   "Voskerinta.exe, tamro.exe"),
              std::string::npos)
        << notTitle.output;

    // A copy of the program away from the module, with no other place to
    // look, cannot encode.
    TempDir alone;
    fs::copy_file(KITSHIFT_PATH, alone / "kitshift");
    fs::permissions(alone / "kitshift", fs::perms::owner_exec, fs::perm_options::add);
    EnvironmentVariable noPath("MIRELO_MODULE_PATH", nullptr);
    CommandResult noModule = RunCommand(Quote(alone / "kitshift") + " --out " +
                                        Quote(output.path()) + " " + Quote(source.path()));
    EXPECT_EQ(noModule.exitCode, 3);
    EXPECT_EQ(noModule.output,
              "kitshift: gogo.so: the MP3 encoder module was not found beside the program, in "
              "MIRELO_MODULE_PATH or on the system's library path\n");
}

// A folder files cannot be created in: read-only by its mode, or (for the
// superuser, whom modes do not stop) one of the system's own.
fs::path UnwritableFolder(const TempDir& dir) {
    fs::path folder = dir / "readonly";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    std::FILE* probe = std::fopen((folder / "probe").c_str(), "w");
    if (probe == nullptr) return folder;
    std::fclose(probe);
    return "/sys/kernel";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// Whatever stops a run is said on one line naming the path as it was typed,
// with the system's reason, before anything is converted; nothing is left
// in the output folder, half-written or whole.
TEST(KitshiftCliTest, RefusalsNameThePathAsTypedOnOneLine) {
    TempDir dir;
    kitshift_test::WriteTitleTree(dir / "title");
    fs::create_directories(dir / "empty");
    testing_support::WriteHostFile(dir / "file.txt", std::string("text"));
    fs::path readOnly = UnwritableFolder(dir);
    const std::string unwritable = readOnly.is_absolute() ? readOnly.string() : "readonly";
    const std::string denied = readOnly.is_absolute() ? "" : "Permission denied";
    struct Case {
        std::string args;
        int exitCode;
        std::string line;  // the whole line, or its start when it ends in '*'
        fs::path output;   // must hold no converted file afterwards
    };
    const Case cases[] = {
        {"missing", 4, "kitshift: missing: No such file or directory", {}},
        {"empty", 4, "kitshift: empty: the folder is empty; give the title's install folder*", {}},
        {"file.txt", 4, "kitshift: file.txt: is a file, not a folder*", {}},
        {"--picture-lists lists.txt title",
         2,
         "kitshift: lists.txt: No such file or directory",
         {}},
        {"--out file.txt title", 5, "kitshift: file.txt: is a file, not a folder*", {}},
        {"--out file.txt/sub title",
         5,
         "kitshift: file.txt/sub: cannot create the folder: Not a directory",
         {}},
        {"--out " + unwritable + " title", 5, "kitshift: " + unwritable + ": " + denied + "*",
         readOnly},
    };
    for (const Case& c : cases) {
        CommandResult result =
            RunCommand("cd " + Quote(dir.path()) + " && " + KitshiftCommand() + " " + c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.args << "\n" << result.output;
        std::vector<std::string> lines = Lines(result.output);
        ASSERT_EQ(lines.size(), 1u) << c.args << "\n" << result.output;
        if (c.line.back() == '*') {
            EXPECT_EQ(lines[0].substr(0, c.line.size() - 1), c.line.substr(0, c.line.size() - 1))
                << c.args;
            EXPECT_GT(lines[0].size(), c.line.size()) << c.args;  // a reason follows
        } else {
            EXPECT_EQ(lines[0], c.line) << c.args;
        }
        if (!c.output.empty()) {
            EXPECT_FALSE(fs::exists(c.output / "grpack.mlz")) << c.args;
        }
    }
    EXPECT_EQ(testing_support::ReadHostFile(dir / "file.txt").size(), 4u);
    EXPECT_FALSE(fs::exists(dir / "grpack.mlz"));
}

// Outputs that fail during the run are named by their path in the output
// folder, voice.mlz as not written (not as missing its source), and nothing
// is left under a final or a staging name: here no file may pass 1 KiB, so
// the archives and the sounds fail part way.
TEST(KitshiftCliTest, FailedOutputsAreNamedAndLeaveNothingBehind) {
    TempDir dir;
    kitshift_test::WriteTitleTree(dir / "title");
    CommandResult result =
        RunCommand("cd " + Quote(dir.path()) + " && trap '' XFSZ && ulimit -f 2 && " +
                   KitshiftCommand() + " --out conv title");
    EXPECT_EQ(result.exitCode, 5) << result.output;
    for (const char* line : {"kitshift: conv/grpack.mlz: cannot write: File too large\n",
                             "kitshift: conv/voice.mlz: cannot write: File too large\n"}) {
        EXPECT_NE(result.output.find(line), std::string::npos) << result.output;
    }
    EXPECT_EQ(result.output.find("no voice.dat"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("Success"), std::string::npos) << result.output;
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir / "conv")) {
        left.insert(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::set<std::string>{});
}

// The console speaks English; its progress total is known from the first
// line on; a folder the engine would not find the title in gets a hint.
TEST(KitshiftCliTest, ProgressAndTheProgramFolderHint) {
    TempDir dir;
    kitshift_test::WriteTitleTree(dir / "title");
    CommandResult loose =
        RunCommand("cd " + Quote(dir.path()) + " && " + KitshiftCommand() + " --out conv title");
    EXPECT_EQ(loose.exitCode, 1) << loose.output;  // the bad picture
    EXPECT_EQ(loose.output.find("変換データ数"), std::string::npos) << loose.output;
    std::regex progress("Converted ([0-9]+) / ([0-9]+) \\(");
    std::set<std::string> totals;
    for (std::sregex_iterator it(loose.output.begin(), loose.output.end(), progress), end;
         it != end; ++it) {
        totals.insert((*it)[2]);
    }
    EXPECT_EQ(totals, std::set<std::string>{"17"}) << loose.output;
    const std::string hint =
        "kitshift: note: conv is not a program folder's data folder (DIR/1 for title 0, DIR/2 for "
        "titles 1 and 2); \"kitshift --title 0 --out DIR/1 SOURCE\" is how a converted title "
        "becomes a program folder\n";
    EXPECT_NE(loose.output.find(hint), std::string::npos) << loose.output;

    for (const char* args : {"--out game/1 title", "--title 1 --out game/2 title"}) {
        CommandResult placed =
            RunCommand("cd " + Quote(dir.path()) + " && " + KitshiftCommand() + " " + args);
        EXPECT_EQ(placed.exitCode, 1) << placed.output;
        EXPECT_EQ(placed.output.find("note:"), std::string::npos) << args << placed.output;
    }
    CommandResult wrong = RunCommand("cd " + Quote(dir.path()) + " && " + KitshiftCommand() +
                                     " --title Tamro --out game/1 title");
    EXPECT_NE(wrong.output.find("\"kitshift --title 1 --out DIR/2 SOURCE\""), std::string::npos)
        << wrong.output;
}

TEST(KitshiftCliTest, RefusesBadUsage) {
    for (const char* args :
         {"--title Other x", "--title 4 x", "--bgm-bitrate 65 x", "--voice-rate 11025 x", "--out",
          "--frobnicate x", "a b", "--bgm-mono"}) {
        CommandResult result = RunCommand(KitshiftCommand() + " " + args);
        EXPECT_EQ(result.exitCode, 2) << args;
        EXPECT_NE(result.output.find("usage: kitshift"), std::string::npos) << args;
    }
    EXPECT_EQ(RunCommand(KitshiftCommand() + " --help").exitCode, 0);
}

}  // namespace
