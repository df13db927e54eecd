#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "formats/movie_container.h"
#include "platform/host_file_sink.h"
#include "test_support.h"

namespace {

using formats::ByteVector;
using testing_support::MirtoolCommand;
using testing_support::RunCommand;
using testing_support::TempDir;

class MovCommand : public ::testing::Test {
protected:
    // Writes a 160 x 120 movie at 10 frames per second with the given frames.
    std::string WriteMovie(const std::string& name, const std::vector<ByteVector>& frames) {
        const std::string path = (dir_ / name).string();
        formats::MovieWriter writer(platform::HostFileSinkOpener());
        std::string error;
        EXPECT_TRUE(
            writer.Open(path, static_cast<uint32_t>(frames.size()), {10, 160, 120}, &error));
        for (const ByteVector& frame : frames) EXPECT_TRUE(writer.AppendFrame(frame, &error));
        EXPECT_TRUE(writer.Finish(&error)) << error;
        return path;
    }

    TempDir dir_;
    const std::vector<ByteVector> frames_ = {
        testing_support::RandomBytes(1000, 1), {}, testing_support::RandomBytes(65536, 2)};
};

TEST_F(MovCommand, FramesWritesEachFrameBack) {
    const std::string movie = WriteMovie("clip.mov", frames_);
    const auto out = dir_ / "out" / "nested";
    auto result =
        RunCommand(MirtoolCommand() + " mov frames '" + movie + "' '" + out.string() + "'");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    for (size_t i = 0; i < frames_.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05zu.jpg", i);
        EXPECT_EQ(testing_support::ReadHostFile(out / name), frames_[i]) << name;
    }
    EXPECT_FALSE(std::filesystem::exists(out / "frame-00003.jpg"));
}

TEST_F(MovCommand, InfoShowsHeaderAndFrames) {
    const std::string movie = WriteMovie("clip.mov", frames_);
    auto result = RunCommand(MirtoolCommand() + " mov info '" + movie + "'");
    ASSERT_EQ(result.exitCode, 0) << result.output;
    const std::string& text = result.output;
    for (const char* expected :
         {"\"MOV1\"", "frame count:  3", "frame rate:   10", "width:        160",
          "height:       120", "entry size:   24", "data start:   120", "total size:   66656",
          // frame, number, stored, decoded, kind, offset
          "      2       2   65536    57600     2       1000"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    }
}

TEST_F(MovCommand, RefusesAnIndexPastTheEnd) {
    const std::string movie = WriteMovie("broken.mov", frames_);
    ByteVector bytes = testing_support::ReadHostFile(movie);
    formats::StoreLe32(&bytes[8], 100000);  // frame count far beyond the file
    testing_support::WriteHostFile(movie, bytes);
    const std::string quoted = "'" + movie + "'";
    const std::string out = (dir_ / "out").string();
    for (const std::string& args :
         {"mov info " + quoted, "mov frames " + quoted + " '" + out + "'"}) {
        auto result = RunCommand(MirtoolCommand() + " " + args);
        EXPECT_EQ(result.exitCode, 1) << args << "\n" << result.output;
        EXPECT_NE(result.output.find("mirtool: " + movie + ": "), std::string::npos)
            << result.output;
    }
    EXPECT_FALSE(std::filesystem::exists(dir_ / "out"));

    EXPECT_EQ(RunCommand(MirtoolCommand() + " mov info").exitCode, 2);
    EXPECT_EQ(RunCommand(MirtoolCommand() + " mov play '" + movie + "'").exitCode, 2);
}

}  // namespace
