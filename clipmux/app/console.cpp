#include "console.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "clipmux/jpeg_codec.h"
#include "clipmux/movie_job.h"
#include "common/mp3_encoder.h"
#include "mirelo_version.h"

namespace clipmux {

namespace fs = std::filesystem;

const char kConsoleUsage[] =
    "usage: clipmux [OPTIONS] INPUT...\n"
    "       clipmux                  (no arguments: the dialog)\n"
    "\n"
    "Converts each AVI or .mj movie into NAME.mov (JPEG frames) and NAME.mp3 (its\n"
    "sound track) in the output folder.\n"
    "\n"
    "  --fps 0..4        frame rate: 0 the source's own (15 through the decoding\n"
    "                    graph, default), 1 30 fps, 2 15 fps, 3 10 fps, 4 5 fps\n"
    "  --size 0|1        0: 320 x 240 (default), 1: 160 x 120\n"
    "  --quality 0..10   picture quality 100% 90% 80% 70% 60% 50% 40% 30% 20% 10%\n"
    "                    5% (default 4, 60%)\n"
    "  --bitrate I       MP3 bitrate index 0..16: 8 16 24 32 40 48 56 64 80 96 112\n"
    "                    128 160 192 224 256 320 kbit/s (default 7, 64)\n"
    "  --rate I          MP3 rate index 0..5: 16000 22050 24000 32000 44100 48000 Hz\n"
    "                    (default 1, 22050)\n"
    "  --mono            MP3 in mono (default stereo)\n"
    "  --graph           read AVI files through the decoding graph\n"
    "  --free-run        the graph seeks to each frame instead of stepping\n"
    "  --out DIR         output folder (default: the current folder)\n"
    "  --help, --version\n"
    "\n"
    "Exit codes: 0 done; 1 some input could not be converted (listed); 2 bad usage.\n";

namespace {

int Usage(const std::string& message) {
    std::fprintf(stderr, "clipmux: %s\n%s", message.c_str(), kConsoleUsage);
    return kExitUsage;
}

// A whole number from `first` to `last`, or -1.
int IndexArgument(const std::string& value, int first, int last) {
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || number < first || number > last) return -1;
    return static_cast<int>(number);
}

// Progress on one line: rewritten in place on a terminal, a new line at most
// every few seconds otherwise (logs).
class ProgressLine {
public:
    ProgressLine() : terminal_(::isatty(STDOUT_FILENO) != 0) {}

    void Show(const std::string& input, const MovieJob& job, bool force) {
        const auto now = std::chrono::steady_clock::now();
        if (!force && (job.FramesTotal() == 0 ||
                       (!terminal_ && now - lastPrint_ < std::chrono::seconds(5)))) {
            return;
        }
        lastPrint_ = now;
        char text[64];
        std::snprintf(text, sizeof text, "変換データ数：%d / %d", job.FramesWritten(),
                      job.FramesTotal());
        if (terminal_) {
            std::printf("\r%s: %s\033[K", input.c_str(), text);
        } else {
            std::printf("%s: %s\n", input.c_str(), text);
        }
        std::fflush(stdout);
    }

    void End() {
        if (terminal_) std::printf("\n");
    }

private:
    bool terminal_;
    std::chrono::steady_clock::time_point lastPrint_{};
};

// Runs one input; returns its failures (empty when it converted).
std::vector<std::string> ConvertOne(MovieSettings settings) {
    const std::string input = settings.inputPath.string();
    MovieJob job(std::move(settings));
    ProgressLine progress;
    try {
        job.Create();
        job.Resume();
        while (!job.IsDone()) {
            progress.Show(input, job, false);
            job.WaitDone(std::chrono::milliseconds(100));
        }
        job.Wait();
        progress.Show(input, job, true);
        progress.End();
    } catch (const std::exception& error) {
        progress.End();
        return {std::string("conversion failed: ") + error.what()};
    }
    const MovieResult& result = job.Result();
    for (const std::string& note : result.notes) {
        std::fprintf(stderr, "clipmux: %s: %s\n", input.c_str(), note.c_str());
    }
    for (const std::string& failure : result.failures) {
        std::fprintf(stderr, "clipmux: %s: %s\n", input.c_str(), failure.c_str());
    }
    if (result.movieWritten) {
        std::printf("clipmux: %s: %d frames, %u x %u at %u fps%s\n",
                    MovieOutputPath(job.Settings()).c_str(), job.FramesWritten(), result.width,
                    result.height, result.frameRate, result.usedGraph ? " (decoding graph)" : "");
    }
    if (result.soundWritten) {
        std::printf("clipmux: %s%s\n", SoundOutputPath(job.Settings()).c_str(),
                    result.shortSound ? " (short sound, stored as PCM)" : "");
    }
    return result.failures;
}

}  // namespace

int RunConsole(const std::vector<std::string>& args) {
    MovieSettings settings;
    std::error_code code;
    settings.outputFolder = fs::current_path(code);
    std::vector<std::string> inputs;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto number = [&](int first, int last, int* out) {
            if (i + 1 >= args.size()) return false;
            *out = IndexArgument(args[++i], first, last);
            return *out >= 0;
        };
        if (arg == "--help" || arg == "-h") {
            std::printf("%s", kConsoleUsage);
            return kExitDone;
        } else if (arg == "--version") {
            std::printf("clipmux %s\n", MIRELO_VERSION);
            return kExitDone;
        } else if (arg == "--fps") {
            if (!number(0, 4, &settings.frameRateChoice)) return Usage("--fps needs 0 to 4");
        } else if (arg == "--size") {
            if (!number(0, 1, &settings.pictureSize)) return Usage("--size needs 0 or 1");
        } else if (arg == "--quality") {
            if (!number(0, kQualityChoiceCount - 1, &settings.qualityIndex))
                return Usage("--quality needs 0 to 10");
        } else if (arg == "--bitrate") {
            if (!number(0, common::Mp3Encoder::kBitrateCount - 1, &settings.bitrateIndex))
                return Usage("--bitrate needs 0 to 16");
        } else if (arg == "--rate") {
            if (!number(0, common::Mp3Encoder::kFrequencyCount - 1, &settings.frequencyIndex))
                return Usage("--rate needs 0 to 5");
        } else if (arg == "--mono") {
            settings.stereo = 0;
        } else if (arg == "--graph") {
            settings.forceGraph = 1;
        } else if (arg == "--free-run") {
            settings.freeRunning = 1;
        } else if (arg == "--out") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return Usage("--out needs a folder");
            settings.outputFolder = args[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            inputs.push_back(arg);
        }
    }
    if (inputs.empty()) return Usage("no input given");
    fs::create_directories(settings.outputFolder, code);
    if (!fs::is_directory(settings.outputFolder, code)) {
        std::fprintf(stderr, "clipmux: %s: cannot create the output folder\n",
                     settings.outputFolder.string().c_str());
        return kExitInputFailed;
    }

    std::vector<std::string> failed;
    for (const std::string& input : inputs) {
        MovieSettings one = settings;
        one.inputPath = input;
        one.inputKind = InputKindForPath(one.inputPath);
        std::error_code exists;
        if (!fs::is_regular_file(one.inputPath, exists)) {
            std::fprintf(stderr, "clipmux: %s: no such file\n", input.c_str());
            failed.push_back(input);
            continue;
        }
        if (!ConvertOne(std::move(one)).empty()) failed.push_back(input);
    }
    if (!failed.empty()) {
        std::fprintf(stderr, "clipmux: %zu of %zu input(s) not converted:\n", failed.size(),
                     inputs.size());
        for (const std::string& input : failed) std::fprintf(stderr, "    %s\n", input.c_str());
        return kExitInputFailed;
    }
    return kExitDone;
}

}  // namespace clipmux
