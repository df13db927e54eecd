#include "sample_game.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/device_layer.h"
#include "engine/core/engine.h"
#include "engine/game/game.h"
#include "formats/wave_file.h"
#include "platform/headless/headless_backend.h"

namespace sample_test {

namespace fs = std::filesystem;

SampleGame::SampleGame() {
    std::error_code code;
    fs::copy(SAMPLE_TITLE_DIR, dir_.path(), fs::copy_options::recursive, code);
    EXPECT_FALSE(code) << SAMPLE_TITLE_DIR << ": " << code.message()
                       << " (the sample title is made by the test SampleTitle.MadeAndConverted)";
}

namespace {

// Notes each pass: the state the game is in and any picture that would not
// load.
class PassNotes : public core::EngineObserver {
public:
    PassNotes(screen_test::Recorder* recorder, std::vector<std::string>* missing)
        : recorder_(recorder), missing_(missing) {}
    void AfterPass(core::Engine& engine) override {
        recorder_->Note(engine);
        if (engine.errorWord & core::kErrorImageLoad) {
            missing_->push_back("a picture at " +
                                std::to_string(engine.backend.clock->TickCount()) + " ms");
            engine.errorWord &= ~core::kErrorImageLoad;
        }
    }

private:
    screen_test::Recorder* recorder_;
    std::vector<std::string>* missing_;
};

}  // namespace

int SampleGame::Play(const std::string& input, std::vector<uint32_t> shotTimes, uint32_t untilMs) {
    // The MP3 decoder modules lie beside the programs, not beside the tests.
    testing_support::EnvironmentVariable modules("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR);
    platform::BackendOptions options;
    options.programFolder = Folder().string() + "/";
    options.untilMs = untilMs;
    testing_support::WriteHostFile(Folder() / "input.txt", input);
    options.inputScriptPath = (Folder() / "input.txt").string();
    options.shotTimes = std::move(shotTimes);
    options.shotsFolder = (Folder() / "shots").string();
    fs::create_directories(Folder() / "shots");
    options.audioOutPath = (Folder() / "sound.wav").string();
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    EXPECT_TRUE(backend.window) << error;
    if (!backend.window) return -1;
    // As the program runs it: with the settings file of the program folder.
    PassNotes notes(&recorder_, &missing_);
    const int status = game::RunGame(backend, options.programFolder, &notes, {});

    formats::ByteVector wav = testing_support::ReadHostFile(Folder() / "sound.wav");
    formats::WaveInfo info;
    if (formats::ParseWaveFile(wav, &info) == 1 && info.channels == 2) {
        sound_.resize(info.dataSize / 2);
        for (size_t i = 0; i < sound_.size(); ++i)
            sound_[i] = static_cast<int16_t>(formats::ReadLe16(wav, info.dataOffset + i * 2));
    }
    return status;
}

bool SampleGame::Visited(int32_t state) const {
    for (const screen_test::Step& step : recorder_.steps)
        if (step.state == state) return true;
    return false;
}

double SampleGame::Loudness(uint32_t fromMs, uint32_t toMs) const {
    const size_t frames = sound_.size() / 2;
    const size_t begin = std::min(frames, size_t{fromMs} * 22050 / 1000);
    const size_t end = std::min(frames, size_t{toMs} * 22050 / 1000);
    double sum = 0;
    for (size_t i = begin; i < end; ++i)
        sum += std::abs(sound_[2 * i]) + std::abs(sound_[2 * i + 1]);
    return end > begin ? sum / (2.0 * (end - begin)) : 0.0;
}

}  // namespace sample_test
