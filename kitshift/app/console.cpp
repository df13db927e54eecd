#include "console.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "common/mp3_encoder.h"
#include "formats/sjis.h"
#include "kitshift/conversion_job.h"
#include "kitshift/folder_checks.h"
#include "kitshift/title_checks.h"
#include "mirelo_version.h"
#include "platform/host_files.h"

namespace kitshift {

namespace fs = std::filesystem;

const char kConsoleUsage[] =
    "usage: kitshift [OPTIONS] SOURCE_FOLDER\n"
    "       kitshift                 (no arguments: the dialog)\n"
    "\n"
    "Converts the PC title installed in SOURCE_FOLDER into grpack.mlz, one .mp3 per\n"
    "music or effect sound and voice.mlz, written into the output folder.\n"
    "\n"
    "  --title NAME|INDEX     Voskerinta (0, default), Tamro (1), belomantes (2),\n"
    "                         Quevara (3); chooses how pictures are converted\n"
    "  --bgm-bitrate KBPS     music bitrate: 8 16 24 32 40 48 56 64 80 96 112 128\n"
    "                         160 192 224 256 320 (default 64)\n"
    "  --bgm-rate HZ          music rate: 16000 22050 24000 32000 44100 48000\n"
    "                         (default 22050)\n"
    "  --bgm-mono             music in mono (default stereo)\n"
    "  --voice-bitrate KBPS   voice bitrate, as --bgm-bitrate (default 32)\n"
    "  --voice-rate HZ        voice rate, as --bgm-rate (default 22050)\n"
    "  --out DIR              output folder (default: the current folder; created\n"
    "                         when missing)\n"
    "  --picture-lists FILE   the picture name lists (default: picture_lists.txt\n"
    "                         beside the program, then the installed one)\n"
    "  --help, --version\n"
    "\n"
    "Exit codes: 0 done; 1 done, but some files could not be converted (listed);\n"
    "2 bad usage; 3 encoder module missing; 4 not a title folder; 5 output not\n"
    "written.\n";

namespace {

int Usage(const std::string& message) {
    std::fprintf(stderr, "kitshift: %s\n%s", message.c_str(), kConsoleUsage);
    return kExitUsage;
}

// The index of `value` in the table, or -1.
template <size_t N>
int TableIndex(const uint32_t (&table)[N], const std::string& value) {
    char* end = nullptr;
    unsigned long number = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0') return -1;
    for (size_t i = 0; i < N; ++i) {
        if (table[i] == number) return static_cast<int>(i);
    }
    return -1;
}

int TitleIndex(const std::string& value) {
    for (int i = 0; i < kTitleCount; ++i) {
        if (formats::SjisEqualNoCase(value, kTitleNames[i]) || value == std::to_string(i)) return i;
    }
    return -1;
}

// Progress on one line: rewritten in place on a terminal, a new line at most
// every few seconds otherwise (logs).
class ProgressLine {
public:
    ProgressLine() : terminal_(::isatty(STDOUT_FILENO) != 0) {}

    void Show(const ConversionJob& job, bool force) {
        // Nothing to say until the walk has counted the files.
        if (!force && job.EntriesTotal() == 0) return;
        auto now = std::chrono::steady_clock::now();
        if (!force && !terminal_ && now - lastPrint_ < std::chrono::seconds(5)) return;
        lastPrint_ = now;
        std::string text = FormatProgress(job.EntriesDone(), job.EntriesTotal(), job.CurrentName(),
                                          kConsoleProgressFormat);
        if (terminal_) {
            std::printf("\r%s\033[K", text.c_str());
        } else {
            std::printf("%s\n", text.c_str());
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

}  // namespace

int RunConsole(const std::vector<std::string>& args) {
    ConversionSettings settings;
    std::error_code code;
    settings.outputFolder = fs::current_path(code);
    // Messages name the output folder as the user typed it; without --out,
    // its files by their bare names.
    bool outputTyped = false;
    fs::path listsPath = DefaultPictureListsPath();
    fs::path source;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string* out) {
            if (i + 1 >= args.size()) return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            std::printf("%s", kConsoleUsage);
            return kExitDone;
        } else if (arg == "--version") {
            std::printf("kitshift %s\n", MIRELO_VERSION);
            return kExitDone;
        } else if (arg == "--title") {
            if (!value(&v) || (settings.titleIndex = TitleIndex(v)) < 0)
                return Usage("--title needs one of Voskerinta, Tamro, belomantes, Quevara or 0-3");
        } else if (arg == "--bgm-bitrate") {
            if (!value(&v) ||
                (settings.musicBitrateIndex = TableIndex(common::Mp3Encoder::kBitrates, v)) < 0)
                return Usage("--bgm-bitrate needs one of the listed bitrates");
        } else if (arg == "--bgm-rate") {
            if (!value(&v) || (settings.musicFrequencyIndex =
                                   TableIndex(common::Mp3Encoder::kFrequencies, v)) < 0)
                return Usage("--bgm-rate needs one of the listed rates");
        } else if (arg == "--bgm-mono") {
            settings.musicStereo = 0;
        } else if (arg == "--voice-bitrate") {
            if (!value(&v) ||
                (settings.voiceBitrateIndex = TableIndex(common::Mp3Encoder::kBitrates, v)) < 0)
                return Usage("--voice-bitrate needs one of the listed bitrates");
        } else if (arg == "--voice-rate") {
            if (!value(&v) || (settings.voiceFrequencyIndex =
                                   TableIndex(common::Mp3Encoder::kFrequencies, v)) < 0)
                return Usage("--voice-rate needs one of the listed rates");
        } else if (arg == "--out") {
            if (!value(&v) || v.empty()) return Usage("--out needs a folder");
            settings.outputFolder = v;
            outputTyped = true;
        } else if (arg == "--picture-lists") {
            if (!value(&v) || v.empty()) return Usage("--picture-lists needs a file");
            listsPath = v;
            // A list named on purpose must be there; the default may be missing.
            formats::ByteVector lists;
            std::string why;
            if (!platform::ReadHostFile(listsPath, &lists, &why)) {
                std::fprintf(stderr, "kitshift: %s: %s\n", v.c_str(), why.c_str());
                return kExitUsage;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else if (!source.empty()) {
            return Usage("only one source folder may be given");
        } else {
            source = arg;
        }
    }
    if (source.empty()) return Usage("no source folder given");

    if (!EncoderModuleAvailable()) {
        std::fprintf(stderr,
                     "kitshift: %s: the MP3 encoder module was not found beside the program, in "
                     "MIRELO_MODULE_PATH or on the system's library path\n",
                     common::Mp3Encoder::kModuleName);
        return kExitModuleMissing;
    }
    std::string why;
    if (CheckSourceFolder(source, &why) != SourceFolderState::kTitle) {
        std::fprintf(stderr, "kitshift: %s: %s\n", source.c_str(), why.c_str());
        return kExitNotATitleFolder;
    }
    if (!PrepareOutputFolder(settings.outputFolder, &why)) {
        std::fprintf(stderr, "kitshift: %s: %s\n", settings.outputFolder.c_str(), why.c_str());
        return kExitOutputFailed;
    }
    settings.sourceFolder = source;
    settings.pictureLists = LoadPictureLists(listsPath);

    ConversionJob job(std::move(settings));
    ProgressLine progress;
    try {
        job.Create();
        job.Resume();
        while (!job.IsDone()) {
            progress.Show(job, false);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        progress.Show(job, true);
        progress.End();
        job.Wait();
    } catch (const std::exception& error) {
        progress.End();
        std::fprintf(stderr, "kitshift: conversion failed: %s\n", error.what());
        return kExitOutputFailed;
    }

    const JobSummary& summary = job.Summary();
    const ConversionSettings& used = job.Settings();
    auto output = [&](const std::string& name) {
        return outputTyped ? (used.outputFolder / name).string() : name;
    };
    if (summary.graphicsArchiveWritten) {
        std::printf("kitshift: %s: %d entries\n", output("grpack.mlz").c_str(),
                    summary.graphicsEntries);
    }
    std::printf("kitshift: %d music and effect sounds written as .mp3\n", summary.musicFiles);
    if (summary.voiceArchiveWritten) {
        std::printf("kitshift: %s: %d entries, %d of them empty\n", output("voice.mlz").c_str(),
                    summary.voiceEntries, summary.emptyVoiceEntries);
    } else if (!summary.voiceIndexFound) {
        std::printf("kitshift: no voice.mlz (no voice.dat in the source folder)\n");
    }
    for (const JobProblem& problem : job.Problems()) {
        std::string file = problem.place == ProblemPlace::kOutput ? output(problem.file)
                           : problem.file.empty()                 ? used.sourceFolder.string()
                                                  : (used.sourceFolder / problem.file).string();
        std::fprintf(stderr, "kitshift: %s: %s\n", file.c_str(), problem.reason.c_str());
    }
    // An archive that was due but could not be written fails the run; an
    // unreadable voice.dat is a source file that could not be converted.
    bool voiceArchiveFailed =
        std::any_of(job.Problems().begin(), job.Problems().end(), [](const JobProblem& problem) {
            return problem.place == ProblemPlace::kOutput && problem.file == "voice.mlz";
        });
    if (!summary.graphicsArchiveWritten || voiceArchiveFailed) return kExitOutputFailed;
    if (!IsProgramDataFolder(used.outputFolder, used.titleIndex)) {
        std::string folder = ProgramDataFolderName(used.titleIndex);
        std::printf(
            "kitshift: note: %s is not a program folder's data folder (DIR/1 for title 0, DIR/2 "
            "for titles 1 and 2); \"kitshift --title %d --out DIR/%s SOURCE\" is how a converted "
            "title becomes a program folder\n",
            outputTyped ? used.outputFolder.c_str() : "the current folder", used.titleIndex,
            folder.c_str());
    }
    if (!job.Problems().empty()) {
        std::fprintf(stderr, "kitshift: %zu file(s) could not be converted\n",
                     job.Problems().size());
        return kExitFilesSkipped;
    }
    return kExitDone;
}

}  // namespace kitshift
