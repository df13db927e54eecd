// mirtool mlz through its command line.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "formats/mlz_archive.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using testing_support::RunCommand;

std::string Quote(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Every file below root, as relative path → bytes.
std::map<std::string, std::vector<uint8_t>> Tree(const fs::path& root) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), root).generic_string()] =
                testing_support::ReadHostFile(entry.path());
        }
    }
    return files;
}

TEST(MlzCommand, PackThenExtractGivesBackTheTree) {
    testing_support::TempDir dir;
    fs::path source = dir / "src";
    testing_support::WriteHostFile(source / "GameData/char/back.rbp",
                                   testing_support::RandomBytes(40000, 5));
    testing_support::WriteHostFile(source / "GameData/sinario/a.MES", std::string(9000, 'm'));
    testing_support::WriteHostFile(source / "\xE6\x97\xA5\xE6\x9C\xAC/empty.txt", std::string());
    testing_support::WriteHostFile(source / "top.txt", std::string("top"));

    for (const char* option : {"", "--stored"}) {
        fs::path archive = dir / (std::string("out") + option + ".mlz");
        fs::path target = dir / (std::string("extracted") + option);
        auto packed = RunCommand(testing_support::MirtoolCommand() + " mlz pack " + Quote(archive) +
                                 " " + option + " --base " + Quote(source) + " " + Quote(source));
        ASSERT_EQ(packed.exitCode, 0) << packed.output;
        auto listed = RunCommand(testing_support::MirtoolCommand() + " mlz list " + Quote(archive));
        ASSERT_EQ(listed.exitCode, 0) << listed.output;
        EXPECT_NE(listed.output.find("GameData\\char\\back.rbp"), std::string::npos)
            << listed.output;
        EXPECT_NE(listed.output.find(*option ? "stored" : "lzss"), std::string::npos);
        auto extracted = RunCommand(testing_support::MirtoolCommand() + " mlz extract " +
                                    Quote(archive) + " " + Quote(target));
        ASSERT_EQ(extracted.exitCode, 0) << extracted.output;
        EXPECT_EQ(Tree(target), Tree(source));
    }

    // Named extraction, in any letter case and with either separator.
    fs::path one = dir / "one";
    auto named = RunCommand(testing_support::MirtoolCommand() + " mlz extract " +
                            Quote(dir / "out.mlz") + " " + Quote(one) + " GAMEDATA/CHAR/BACK.RBP");
    ASSERT_EQ(named.exitCode, 0) << named.output;
    EXPECT_EQ(Tree(one).size(), 1u);
}

// An archive is data from elsewhere: its names must not write outside the folder.
TEST(MlzCommand, ExtractRefusesNamesThatEscapeTheFolder) {
    testing_support::TempDir dir;
    formats::MlzArchiveBuilder builder;
    std::string error;
    std::vector<uint8_t> data = {'x'};
    for (const char* name : {"..\\escaped.txt", "ok\\..\\..\\escaped2.txt", "\\rooted.txt",
                             "C:\\drive.txt", "a/../../escaped3.txt", "fine\\inside.txt"}) {
        ASSERT_TRUE(builder.AddEntry(name, data, formats::MlzMethod::kStored, &error)) << error;
    }
    testing_support::WriteHostFile(dir / "evil.mlz", builder.Finish());
    fs::path target = dir / "deep/target";

    auto result = RunCommand(testing_support::MirtoolCommand() + " mlz extract " +
                             Quote(dir / "evil.mlz") + " " + Quote(target));
    EXPECT_EQ(result.exitCode, 1) << result.output;
    EXPECT_NE(result.output.find("evil.mlz"), std::string::npos);
    EXPECT_NE(result.output.find(".."), std::string::npos);
    // Only the one harmless entry was written, and nothing beside the target.
    auto everything = Tree(dir.path());
    EXPECT_EQ(everything.size(), 2u);
    EXPECT_TRUE(everything.count("evil.mlz"));
    EXPECT_TRUE(everything.count("deep/target/fine/inside.txt"));
}

TEST(MlzCommand, DamagedArchivesFailWithTheFileAndTheReason) {
    testing_support::TempDir dir;
    formats::MlzArchiveBuilder builder;
    std::string error;
    ASSERT_TRUE(builder.AddEntry("a.bin", testing_support::RandomBytes(5000, 2),
                                 formats::MlzMethod::kLzss, &error));
    std::vector<uint8_t> archive = builder.Finish();
    archive.resize(archive.size() - 10);
    testing_support::WriteHostFile(dir / "cut.mlz", archive);
    testing_support::WriteHostFile(dir / "notes.txt", std::string("just text"));

    for (const char* name : {"cut.mlz", "notes.txt", "absent.mlz"}) {
        auto result =
            RunCommand(testing_support::MirtoolCommand() + " mlz list " + Quote(dir / name));
        EXPECT_EQ(result.exitCode, 1) << name << ": " << result.output;
        EXPECT_NE(result.output.find(name), std::string::npos) << result.output;
    }
    auto usage = RunCommand(testing_support::MirtoolCommand() + " mlz frobnicate");
    EXPECT_EQ(usage.exitCode, 2);
}

}  // namespace
