#pragma once
// The converted sample title as a player meets it: a fresh copy of its
// program folder (saves and settings are written there), played on the
// headless backend from the logo with scripted keys and taps, with
// screenshots, recorded sound and the states the game went through.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "golden_picture.h"
#include "screen_run.h"
#include "test_support.h"

namespace sample_test {

class SampleGame {
public:
    SampleGame();

    const std::filesystem::path& Folder() const { return dir_.path(); }

    // Plays until `untilMs` with the input script, taking the shots; returns
    // the program's exit code. States() and the shots describe the run.
    int Play(const std::string& input, std::vector<uint32_t> shotTimes, uint32_t untilMs);

    const screen_test::Recorder& States() const { return recorder_; }
    bool Visited(int32_t state) const;
    golden::Picture Shot(uint32_t ms) const { return screen_test::Shot(Folder(), ms); }
    // Mean absolute sample value of the recorded sound in [fromMs, toMs).
    double Loudness(uint32_t fromMs, uint32_t toMs) const;
    // Image files the engine could not load during the run.
    const std::vector<std::string>& MissingPictures() const { return missing_; }

private:
    testing_support::TempDir dir_;
    screen_test::Recorder recorder_;
    std::vector<std::string> missing_;
    std::vector<int16_t> sound_;  // interleaved stereo
};

}  // namespace sample_test
