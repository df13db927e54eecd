#pragma once
// One conversion run of the data converter: walks the PC title's install
// folder, packs the pictures, scripts and map files into "grpack.mlz",
// encodes the loose sounds to ".mp3" files and the voices into "voice.mlz",
// all in the output folder. Runs on its own worker thread; the console and
// the dialog only watch its progress.
//
// Thread safety: the worker alone writes the counters, the current name, the
// problems and the done flag. EntriesDone, EntriesTotal, CurrentName and
// IsDone may be read from any thread at any time; Problems and Summary only
// once IsDone is true.

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "kitshift/rbp_encoders.h"
#include "kitshift/source_tree.h"
#include "kitshift/voice_archive_reader.h"
#include "platform/thread_object.h"

namespace kitshift {

// What the user chose. Indices are into Mp3Encoder's bitrate and frequency
// tables; the defaults are the dialog's.
struct ConversionSettings {
    std::filesystem::path sourceFolder;
    std::filesystem::path outputFolder;
    int musicBitrateIndex = 7;    // 64 kbit/s
    int musicFrequencyIndex = 1;  // 22,050 Hz
    int musicStereo = 1;
    int voiceBitrateIndex = 3;    // 32 kbit/s
    int voiceFrequencyIndex = 1;  // 22,050 Hz
    // Kept with the job as the dialog's format box chose it; nothing reads it.
    int outputFormatIndex = 0;
    // 0 to 3, the titles of kTitleNames; only the picture selection uses it.
    int titleIndex = 0;
    PictureLists pictureLists;
};

// Which folder a problem's file lies in.
enum class ProblemPlace { kSource, kOutput };

// A source file that could not be read, decoded or encoded, or an output
// file that could not be written.
struct JobProblem {
    std::string file;    // path below its folder, '/'-separated, UTF-8
    std::string reason;  // UTF-8
    ProblemPlace place = ProblemPlace::kSource;
};

// What a finished run wrote.
struct JobSummary {
    int graphicsEntries = 0;  // entries of grpack.mlz, chip.rbp included
    int musicFiles = 0;       // ".mp3" files written (a later one of the same name counts too)
    bool voiceArchiveWritten = false;
    int voiceEntries = 0;  // entries of voice.mlz, empty ones included
    int emptyVoiceEntries = 0;
    bool graphicsArchiveWritten = false;
    bool voiceIndexFound = false;  // "voice.dat" was there, so voice.mlz was due
};

class ConversionJob : public platform::ThreadObject {
public:
    explicit ConversionJob(ConversionSettings settings);
    ~ConversionJob() override;

    // The whole run: graphics archive, music, voices, then the done flag
    // (also when a stage fails; the failure is then one of the problems).
    void Run() override;

    // Progress, readable from any thread. The total is counted before the
    // first entry is converted and does not change afterwards; it is 0
    // until then.
    int EntriesDone() const { return entriesDone_.load(std::memory_order_acquire); }
    int EntriesTotal() const { return entriesTotal_.load(std::memory_order_acquire); }
    // The file being converted (UTF-8), empty before the first.
    std::string CurrentName() const;
    bool IsDone() const { return done_.load(std::memory_order_acquire); }

    // Once IsDone.
    const std::vector<JobProblem>& Problems() const { return problems_; }
    const JobSummary& Summary() const { return summary_; }
    const ConversionSettings& Settings() const { return settings_; }
    const SourceTree& Tree() const { return tree_; }

    // The stages, in the order Run calls them; public so that tests can run
    // one at a time on the calling thread. Each returns false when its
    // output file could not be written (reported as a problem).
    bool PackGraphicsArchive();
    bool RunMusicStage();
    bool RunVoiceStage();

private:
    // Walks the source tree and reads the voice index once, so that every
    // stage's entries are counted before the first is converted.
    void Prepare();
    void Report(const std::string& file, const std::string& reason,
                ProblemPlace place = ProblemPlace::kSource);
    void SetCurrentName(const std::string& name);
    // Release: whoever sees a count also sees the total counted before it.
    void Advance() { entriesDone_.fetch_add(1, std::memory_order_release); }

    ConversionSettings settings_;
    SourceTree tree_;
    bool prepared_ = false;
    bool packed_ = false;
    // The voice index as Prepare found it: its path below the source folder
    // (empty when there is none), its bytes and records, and the sounds of
    // the voice folders in walk order.
    std::string voiceIndexName_;
    bool voiceIndexRead_ = false;
    formats::ByteVector voiceIndexFile_;
    VoiceIndex voiceIndex_;
    std::vector<const SourceFileNode*> voiceFiles_;
    std::vector<JobProblem> problems_;
    JobSummary summary_;

    std::atomic<int> entriesDone_{0};
    std::atomic<int> entriesTotal_{0};
    std::atomic<bool> done_{false};
    mutable std::mutex nameLock_;
    std::string currentName_;
};

}  // namespace kitshift
