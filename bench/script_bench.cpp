// The story's interpreter: records per second through RunScript on a long
// run of control-flow records, and a full page typed at message speed 0.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/core/engine.h"
#include "engine/script/interpreter.h"
#include "formats/mes_script.h"
#include "platform/headless/headless_backend.h"

namespace {

using formats::MesOp;

void Record(std::vector<uint8_t>& out, MesOp op, std::vector<int32_t> operands) {
    out.push_back(static_cast<uint8_t>(formats::EncodeMesOpcode(1, op)));
    for (int32_t value : operands) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
    out.push_back(0x0A);
    out.push_back(0x0D);
}

struct Rig {
    platform::Backend backend;
    std::unique_ptr<core::Engine> engine;
    std::unique_ptr<script::Interpreter> story;

    Rig() {
        platform::BackendOptions options;
        options.programFolder = "/nonexistent-mirelo-bench/";
        options.untilMs = 1u << 30;
        std::string error;
        backend = platform::CreateHeadlessBackend(options, &error);
        platform::SetGxDevice(backend.display.get());
        platform::GXOpenDisplay(1, platform::kGxFullScreen);
        std::string fontError;
        engine = std::make_unique<core::Engine>(
            backend, platform::GlyphRasterizer::Create(&fontError), "\\nonexistent-mirelo-bench\\");
        story = std::make_unique<script::Interpreter>(engine->Services(), script::DataSetTables{});
        engine->states.Register(core::kStateScript, *story);
    }
    ~Rig() {
        story.reset();
        engine.reset();
        platform::GXCloseDisplay();
        platform::SetGxDevice(nullptr);
    }
};

// 60,000 records of labels, flags, variables, tests and jumps, then a halt.
void BM_RunScriptControlFlow(benchmark::State& state) {
    Rig rig;
    std::vector<uint8_t> script;
    const int kGroups = 10000;
    for (int i = 0; i < kGroups; ++i) {
        script.push_back(static_cast<uint8_t>(formats::EncodeMesOpcode(1, MesOp::kLabel)));
        script.insert(script.end(),
                      {'#', 'A', 'D', 'R', static_cast<uint8_t>(i % 60), 0, 0, 0, 0x0A, 0x0D});
        Record(script, MesOp::kSetFlag, {i % 15, i % 31});  // never row 15, column 31
        Record(script, MesOp::kAddVar, {i % 30, 1});
        Record(script, MesOp::kTestVar, {i % 30, 1 << 30, 59});
        Record(script, MesOp::kTestFlag, {15, 31, 58});
        Record(script, MesOp::kNop, {});
    }
    script.push_back(200);
    script.push_back(0x0A);
    script.push_back(0x0D);
    script::Interpreter& story = *rig.story;
    rig.engine->flow.scriptDialect = 1;
    story.UseScript(script);
    for (auto _ : state) {
        story.state.pc = 0;
        story.vars = script::ScriptVariables{};
        story.RunScript();
        benchmark::DoNotOptimize(story.state.pc);
    }
    // Every record ran: the script ended on its halt, not in a loop.
    if (story.state.pc + 3 != script.size()) state.SkipWithError("the script did not run through");
    state.SetItemsProcessed(state.iterations() * kGroups * 6);
}
BENCHMARK(BM_RunScriptControlFlow)->Unit(benchmark::kMillisecond);

// A full page (4 lines of 24 characters) typed at message speed 0 and drawn:
// the script tick that types it and the frame that composes its glyphs.
void BM_TypeFullPageAtSpeedZero(benchmark::State& state) {
    Rig rig;
    core::Engine& engine = *rig.engine;
    engine.settings.messageSpeed = 0;
    script::Interpreter& story = *rig.story;
    story.NewGame(1);
    // Shift-JIS kana in stored order (low byte first), 96 characters.
    std::vector<uint8_t> script = {static_cast<uint8_t>(formats::EncodeMesOpcode(1, MesOp::kText))};
    for (int i = 0; i < 96; ++i) {
        script.push_back(static_cast<uint8_t>(0xA0 + (i * 7) % 80));
        script.push_back(0x82);
    }
    script.push_back(0x0A);
    script.push_back(0x0D);
    script.push_back(200);
    script.push_back(0x0A);
    script.push_back(0x0D);
    story.UseScript(script);
    engine.flow.gameState = core::kStateScript;
    // No window picture in this folder: that failure must not end the frames.
    engine.errorWord = 0;
    size_t cells = 0;
    for (auto _ : state) {
        story.Window()->ClearPage();
        story.state.pc = 0;
        story.state.recordTicks = 0;
        engine.clock.Sleep(16);
        engine.RunFrame();
        cells = story.Window()->Text().cells.size();
        if (engine.errorWord != 0) state.SkipWithError("a frame failed");
    }
    if (cells != 96) state.SkipWithError("the page was not typed whole in one frame");
}
BENCHMARK(BM_TypeFullPageAtSpeedZero)->Unit(benchmark::kMicrosecond);

}  // namespace
