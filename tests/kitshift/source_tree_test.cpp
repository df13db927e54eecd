#include "kitshift/source_tree.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using kitshift::SourceKind;

TEST(SourceTreeTest, ClassifiesByExtensionIgnoringCase) {
    EXPECT_EQ(kitshift::ClassifySourceFile("a.CRX"), SourceKind::kPicture);
    EXPECT_EQ(kitshift::ClassifySourceFile("Startup.crx"), SourceKind::kOther);
    EXPECT_EQ(kitshift::ClassifySourceFile("startup.crx.crx"), SourceKind::kPicture);
    EXPECT_EQ(kitshift::ClassifySourceFile("m.map"), SourceKind::kMap);
    EXPECT_EQ(kitshift::ClassifySourceFile("s.MES"), SourceKind::kScript);
    EXPECT_EQ(kitshift::ClassifySourceFile("v.Pcm"), SourceKind::kSound);
    EXPECT_EQ(kitshift::ClassifySourceFile("pcm"), SourceKind::kOther);
    // A trail byte equal to '.' inside a double-byte character is no dot.
    EXPECT_EQ(kitshift::ClassifySourceFile("\x83\x2e"
                                           "crx"),
              SourceKind::kOther);
}

// Names in order ignoring case, folders entered where they sort, voice
// folders at any depth and in any case marking what lies below them, hidden
// folders and linked folders left out.
TEST(SourceTreeTest, WalksInNameOrderAndMarksVoiceFolders) {
    testing_support::TempDir root;
    for (const char* file : {"b.pcm", "A.crx", "data/VOICE/x/v.pcm", "data/VOICE/w.pcm",
                             "data/c.MES", ".git/z.crx", "data/Voice2/n.pcm"}) {
        fs::create_directories((root / file).parent_path());
        testing_support::WriteHostFile(root / file, std::string("x"));
    }
    fs::create_directory_symlink(root.path(), root / "data" / "loop");
    kitshift::SourceTree tree(root.path());
    std::string error;
    ASSERT_EQ(tree.ScanAll(&error), 7 - 1);
    std::vector<std::string> seen;
    for (const auto& node : tree.Nodes()) {
        seen.push_back(node.relativeFolder + "|" + node.destinationFolder + "|" + node.fileName +
                       (node.voice ? "|v" : ""));
    }
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "||A.crx", "||b.pcm", "data||c.MES", "data\\VOICE|voice|w.pcm|v",
                        "data\\VOICE\\x|voice\\x|v.pcm|v", "data\\Voice2||n.pcm"}));
    EXPECT_EQ(tree.Counters().pictures, 1);
    EXPECT_EQ(tree.Counters().scripts, 1);
    EXPECT_EQ(tree.Counters().musicSounds, 2);
    EXPECT_EQ(tree.Counters().voiceSounds, 2);
}

}  // namespace
