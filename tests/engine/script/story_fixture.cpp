#include "story_fixture.h"

#include <gtest/gtest.h>

#include "formats/mlz_archive.h"
#include "platform/text_encoding.h"

namespace story_test {

namespace fs = std::filesystem;
using formats::MesOp;

namespace {

void Append32(std::vector<uint8_t>& out, int32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

void Terminate(std::vector<uint8_t>& out) {
    out.push_back(0x0A);
    out.push_back(0x0D);
}

uint8_t Opcode(int dialect, MesOp op) {
    int value = formats::EncodeMesOpcode(dialect, op);
    EXPECT_GE(value, 0) << formats::MesOpName(op) << " in dialect " << dialect;
    return static_cast<uint8_t>(value < 0 ? 255 : value);
}

using engine_test::Sjis;

std::vector<uint8_t> Solid(int width, int height, uint8_t red, uint8_t green, uint8_t blue,
                           uint8_t alpha = 255) {
    return engine_test::SolidPixels(width, height, red, green, blue, alpha);
}

std::vector<uint8_t> Keyed(const std::vector<uint8_t>& bgra, int width, int height) {
    return engine_test::EncodePicture(bgra, width, height);
}

std::vector<uint8_t> WithAlpha(const std::vector<uint8_t>& bgra, int width, int height) {
    return engine_test::EncodePicture(bgra, width, height, true);
}

// The built-in pictures, except those the test draws itself.
void AddPictures(formats::MlzArchiveBuilder& builder,
                 const std::map<std::string, std::vector<uint8_t>>& replaced) {
    std::string error;
    auto add = [&](const std::string& name, const std::vector<uint8_t>& file) {
        if (replaced.count(name)) return;
        ASSERT_TRUE(builder.AddEntry(name, file, formats::MlzMethod::kLzss, &error)) << error;
    };
    add("GameData\\system\\KEY_WAIT.rbp", Keyed(Solid(77, 10, 255, 200, 0), 77, 10));
    add("GameData\\system\\map_name.rbp", Keyed(Solid(308, 64, 200, 200, 30), 308, 64));
    // The message window's sheet: the window, the side pieces and plates.
    add("GameData\\system\\MESSWIN3.rbp", WithAlpha(Solid(304, 150, 20, 20, 80, 128), 304, 150));
    add("GameData\\char\\back\\black.rbp", Keyed(Solid(320, 240, 0, 0, 0), 320, 240));
    add("GameData\\char\\back\\day.rbp", Keyed(Solid(320, 240, 60, 120, 220), 320, 240));
    add("GameData\\char\\back\\night.rbp", Keyed(Solid(320, 240, 10, 10, 40), 320, 240));
    add("GameData\\char\\back\\y10a.rbp", Keyed(Solid(320, 240, 90, 90, 90), 320, 240));
    add("GameData\\char\\scroll.rbp", Keyed(Solid(320, 240, 200, 40, 40), 320, 240));
    add("GameData\\char\\girl.rbp", Keyed(Solid(120, 240, 250, 200, 200), 120, 240));
    // Masks: black is opaque.
    add("GameData\\char\\girlm.rbp", Keyed(Solid(120, 240, 0, 0, 0), 120, 240));
    add("GameData\\char\\boy.rbp", Keyed(Solid(100, 240, 120, 200, 120), 100, 240));
    add("GameData\\char\\boym.rbp", Keyed(Solid(100, 240, 0, 0, 0), 100, 240));
    add("GameData\\char\\pair.rbp", Keyed(Solid(60, 120, 200, 120, 250), 60, 120));
    for (const char* name : {"Tilva00", "Tilva01", "Tilva02"}) {
        add(std::string("GameData\\system\\") + name + ".rbp",
            Keyed(Solid(52, 13, 255, 255, 255), 52, 13));
    }
    add("GameData\\system\\IcatchBack07.rbp", Keyed(Solid(320, 240, 240, 240, 200), 320, 240));
    add("GameData\\system\\IcatchChip03.rbp", Keyed(Solid(200, 40, 30, 30, 30), 200, 40));
    add("GameData\\system\\sky_a.rbp", Keyed(Solid(320, 240, 150, 200, 255), 320, 240));
    add("GameData\\system\\ICATCHBT.rbp", Keyed(Solid(231, 140, 30, 30, 30), 231, 140));
}

}  // namespace

ScriptBuilder& ScriptBuilder::Op(MesOp op, std::vector<int32_t> operands, const std::string& name) {
    bytes_.push_back(Opcode(dialect_, op));
    for (int32_t value : operands) Append32(bytes_, value);
    bytes_.insert(bytes_.end(), name.begin(), name.end());
    Terminate(bytes_);
    return *this;
}

ScriptBuilder& ScriptBuilder::Named(MesOp op, const std::string& name) {
    return Op(op, {}, name);
}

ScriptBuilder& ScriptBuilder::Label(int32_t key) {
    bytes_.push_back(Opcode(dialect_, MesOp::kLabel));
    bytes_.insert(bytes_.end(), {'#', 'A', 'D', 'R'});
    Append32(bytes_, key);
    Terminate(bytes_);
    return *this;
}

ScriptBuilder& ScriptBuilder::Text(const std::string& utf8) {
    std::string sjis = Sjis(utf8);
    bytes_.push_back(Opcode(dialect_, MesOp::kText));
    for (size_t i = 0; i + 1 < sjis.size(); i += 2) {
        bytes_.push_back(static_cast<uint8_t>(sjis[i + 1]));
        bytes_.push_back(static_cast<uint8_t>(sjis[i]));
    }
    Terminate(bytes_);
    return *this;
}

ScriptBuilder& ScriptBuilder::Raw(std::vector<uint8_t> record) {
    bytes_.insert(bytes_.end(), record.begin(), record.end());
    Terminate(bytes_);
    return *this;
}

void BuildStoryFolder(const std::filesystem::path& folder, const StoryFolder& content) {
    std::string error;
    for (int data = 1; data <= 2; ++data) {
        formats::MlzArchiveBuilder builder;
        const auto& pictures = data == 1 ? content.pictures1 : content.pictures2;
        AddPictures(builder, pictures);
        for (const auto& [path, bytes] : pictures) {
            ASSERT_TRUE(builder.AddEntry(path, bytes, formats::MlzMethod::kLzss, &error)) << error;
        }
        const auto& scenarios = data == 1 ? content.scenarios1 : content.scenarios2;
        for (const auto& [name, bytes] : scenarios) {
            ASSERT_TRUE(builder.AddEntry("GameData\\sinario\\" + name + ".MES", bytes,
                                         formats::MlzMethod::kLzss, &error))
                << error;
        }
        testing_support::WriteHostFile(folder / std::to_string(data) / "grpack.mlz",
                                       builder.Finish());
    }
    for (int data = 1; data <= 2; ++data) {
        const fs::path dataFolder = folder / std::to_string(data);
        const auto& voiceEntries = data == 1 ? content.voices1 : content.voices2;
        if (!voiceEntries.empty()) {
            formats::MlzArchiveBuilder voices;
            for (const auto& [name, bytes] : voiceEntries) {
                ASSERT_TRUE(voices.AddEntry(name, bytes, formats::MlzMethod::kStored, &error))
                    << error;
            }
            testing_support::WriteHostFile(dataFolder / "voice.mlz", voices.Finish());
        }
        for (const auto& [name, bytes] : data == 1 ? content.files1 : content.files2)
            testing_support::WriteHostFile(dataFolder / name, bytes);
    }
    if (!content.dataset.empty())
        testing_support::WriteHostFile(folder / "dataset.txt", content.dataset);
}

StoryEngine::StoryEngine(const StoryFolder& content, script::DataSetTables tables) {
    BuildStoryFolder(dir_.path(), content);
    engine_ = std::make_unique<engine_test::HeadlessEngine>(dir_.path().string() + "/");
    Engine().LoadStartupImages();
    story_ = std::make_unique<script::Interpreter>(Engine().Services(), std::move(tables));
    Engine().states.Register(core::kStateScript, *story_);
}

StoryEngine::~StoryEngine() = default;

void StoryEngine::Frame(uint32_t advanceMs) {
    Engine().clock.Sleep(advanceMs);
    Engine().input.LatchInput();
    Engine().RunFrame();
}

void StoryEngine::Frames(int count, uint32_t advanceMs) {
    for (int i = 0; i < count; ++i) Frame(advanceMs);
}

std::array<int, 3> StoryEngine::ScreenPixel(int x, int y) {
    const uint8_t* p = Engine().screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
    return {p[2], p[1], p[0]};
}

}  // namespace story_test
