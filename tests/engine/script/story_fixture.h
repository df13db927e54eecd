#pragma once
// What the story tests share: scripts written record by record, a program
// folder with both data folders' pictures and scenarios, and an engine on
// the headless backend with its interpreter, driven frame by frame.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/engine.h"
#include "engine/script/interpreter.h"
#include "engine_test_support.h"
#include "formats/mes_script.h"
#include "test_support.h"

namespace story_test {

// Builds a .MES script of one dialect.
class ScriptBuilder {
public:
    explicit ScriptBuilder(int dialect) : dialect_(dialect) {}

    // The operation's opcode with int32 operands at 1, 5, 9 and then a name.
    ScriptBuilder& Op(formats::MesOp op, std::vector<int32_t> operands = {},
                      const std::string& name = {});
    // An operation whose name starts right after the opcode.
    ScriptBuilder& Named(formats::MesOp op, const std::string& name);
    ScriptBuilder& Label(int32_t key);
    // A text record of UTF-8 text (double-byte characters only).
    ScriptBuilder& Text(const std::string& utf8);
    ScriptBuilder& Raw(std::vector<uint8_t> record);
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    // Where the next record will start.
    size_t Position() const { return bytes_.size(); }

private:
    int dialect_;
    std::vector<uint8_t> bytes_;
};

// Scenario name (without folder and extension) to its bytes, per data folder.
struct StoryFolder {
    std::map<std::string, std::vector<uint8_t>> scenarios1;  // folder 1 (dialect 0)
    std::map<std::string, std::vector<uint8_t>> scenarios2;  // folder 2 (dialects 1, 2)
    // Entries of 1/voice.mlz and 2/voice.mlz (names as the mixer asks for them).
    std::map<std::string, std::vector<uint8_t>> voices1;
    std::map<std::string, std::vector<uint8_t>> voices2;
    // Loose files of folders 1 and 2 (music, effects), by file name.
    std::map<std::string, std::vector<uint8_t>> files1;
    std::map<std::string, std::vector<uint8_t>> files2;
    // More pictures of 1/grpack.mlz and 2/grpack.mlz: the archive path
    // ("GameData\\system\\x.rbp") to the encoded picture; these replace the
    // built-in pictures of the same path.
    std::map<std::string, std::vector<uint8_t>> pictures1;
    std::map<std::string, std::vector<uint8_t>> pictures2;
    // The data set's tables file, written when not empty.
    std::string dataset;
};

// Writes 1/grpack.mlz and 2/grpack.mlz: the system pictures, backgrounds
// "back\\day" (blue) and "back\\night" (dark), characters "girl" and "boy"
// with masks, scroll and pan pictures, and the scenarios.
void BuildStoryFolder(const std::filesystem::path& folder, const StoryFolder& content);

// An engine with its interpreter on the headless backend, without the logo.
class StoryEngine {
public:
    explicit StoryEngine(const StoryFolder& content, script::DataSetTables tables = {});
    ~StoryEngine();

    core::Engine& Engine() { return **engine_; }
    script::Interpreter& Story() { return *story_; }
    // Latches input and runs one frame after advancing the clock.
    void Frame(uint32_t advanceMs = 16);
    void Frames(int count, uint32_t advanceMs = 16);
    // Landscape pixel of the composed screen as red, green, blue.
    std::array<int, 3> ScreenPixel(int x, int y);

private:
    testing_support::TempDir dir_;
    std::unique_ptr<engine_test::HeadlessEngine> engine_;
    // Destroyed before the engine it draws with.
    std::unique_ptr<script::Interpreter> story_;
};

}  // namespace story_test
