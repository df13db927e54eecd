#include "sample_game.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/device_layer.h"
#include "engine/core/engine.h"
#include "formats/wave_file.h"

namespace sample_test {

namespace fs = std::filesystem;

SampleGame::SampleGame() {
    std::error_code code;
    fs::copy(SAMPLE_TITLE_DIR, dir_.path(), fs::copy_options::recursive, code);
    EXPECT_FALSE(code) << SAMPLE_TITLE_DIR << ": " << code.message()
                       << " (the sample title is made by the test SampleTitle.MadeAndConverted)";
}

int SampleGame::Play(const std::string& input, std::vector<uint32_t> shotTimes, uint32_t untilMs) {
    screen_test::Run run;
    run.input = input;
    run.shotTimes = std::move(shotTimes);
    run.untilMs = untilMs;
    run.recordSound = true;
    run.afterPass = [this](core::Engine& engine, game::Game&) {
        recorder_.Note(engine);
        if (engine.errorWord & core::kErrorImageLoad) {
            missing_.push_back("a picture at " + std::to_string(engine.backend.clock->TickCount()) +
                               " ms");
            engine.errorWord &= ~core::kErrorImageLoad;
        }
    };
    const int status = screen_test::RunGame(Folder(), run);

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
