// Runs arbitrary bytes as a scenario script of each dialect for a bounded
// number of ticks on an engine without data: whatever the records hold, the
// interpreter must neither read past the script nor hang, and every tick
// must end.

#include <cstdint>
#include <cstdio>
#include <memory>

#include "engine/core/engine.h"
#include "engine/script/interpreter.h"
#include "platform/headless/headless_backend.h"

namespace {

struct Rig {
    platform::Backend backend;
    std::unique_ptr<core::Engine> engine;
    std::unique_ptr<script::Interpreter> story;

    Rig() {
        platform::BackendOptions options;
        options.programFolder = "/nonexistent-mirelo-fuzz/";
        options.untilMs = 1u << 30;
        std::string error;
        backend = platform::CreateHeadlessBackend(options, &error);
        if (!backend.window) std::abort();
        platform::SetGxDevice(backend.display.get());
        platform::GXOpenDisplay(1, platform::kGxFullScreen);
        engine = std::make_unique<core::Engine>(backend, nullptr, "\\nonexistent-mirelo-fuzz\\");
        story = std::make_unique<script::Interpreter>(engine->Services(), script::DataSetTables{});
        engine->states.Register(core::kStateScript, *story);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    if (size < 1) return 0;
    core::Engine& engine = *rig.engine;
    script::Interpreter& story = *rig.story;
    story.NewGame(data[0] % 3);
    // A copy of exactly the input's size, so that any overread is seen.
    story.UseScript(formats::ByteVector(data + 1, data + size));
    for (int tick = 0; tick < 24 && engine.flow.gameState == core::kStateScript; ++tick) {
        engine.clock.Sleep(40);
        // Every few ticks a confirm press, so page waits and choices move on.
        if (tick % 3 == 2) engine.inputState.keyC = 1;
        engine.input.LatchInput();
        engine.RunFrame();
        engine.errorWord = 0;
    }
    story.ReturnToTitle();
    engine.errorWord = 0;
    return 0;
}
