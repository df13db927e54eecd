#pragma once
// One conversion of the movie converter: a source movie (an AVI file or the
// PC title's ".mj") becomes the handheld's pair, NAME.mov (pictures, scaled,
// resampled in time and JPEG-encoded) and NAME.mp3 (the sound track), in the
// output folder. AVI files are read by our own reader with frames decoded by
// libavcodec; a file that reader cannot open, or any file when asked, goes
// through the decoding graph (libavformat) instead. Runs on its own worker
// thread; the console and the dialog only watch its counters.
//
// Thread safety: the worker alone writes the messages and the done flag; the
// frame counters are also written by the frame writer's own thread. FramesWritten, FramesTotal and
// IsDone may be read from any thread; everything else only once IsDone is true (or the worker has
// been waited for).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "clipmux/picture.h"
#include "common/short_pcm_file.h"
#include "formats/byte_source.h"
#include "formats/movie_container.h"
#include "platform/thread_object.h"

namespace clipmux {

struct AviStream;
struct MjFile;
struct StepPlan;
class VideoDecoder;

enum class InputKind { kAvi = 0, kMj = 1 };

// What the user chose; the defaults are the dialog's.
struct MovieSettings {
    std::filesystem::path inputPath;
    std::filesystem::path outputFolder;
    InputKind inputKind = InputKind::kAvi;
    int frameRateChoice = 0;  // 0 the source's own (15 on the graph), 30, 15, 10, 5 fps
    int pictureSize = 0;      // 0: 320 x 240, 1: 160 x 120
    int jpegFrames = 1;       // always set: the only frame kind
    int qualityIndex = 4;     // "60%"
    int bitrateIndex = 7;     // 64 kbit/s
    int frequencyIndex = 1;   // 22,050 Hz
    int stereo = 1;
    int forceGraph = 0;
    int freeRunning = 0;
    // The longest the decoding graph waits for one frame or for the sound.
    std::chrono::milliseconds graphWaitLimit{30000};
    // Frames are scaled and encoded on a thread of their own while the next
    // are decoded; false keeps all of it on the job's thread.
    bool pipelined = true;
};

// ".mj" (any letter case) from the last '.' of the file name: kMj.
InputKind InputKindForPath(const std::filesystem::path& path);

// The output files: the output folder, the input's file name with the text
// from its last '.' replaced by ".mov" / ".mp3".
std::filesystem::path MovieOutputPath(const MovieSettings& settings);
std::filesystem::path SoundOutputPath(const MovieSettings& settings);

// How the job went, once done.
struct MovieResult {
    bool movieWritten = false;
    bool soundWritten = false;
    bool shortSound = false;  // the sound went into the short-sound container
    bool usedGraph = false;
    uint32_t frameRate = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<std::string> failures;  // each makes the job fail
    std::vector<std::string> notes;     // what the user should know, no failure
};

class MovieJob : public platform::ThreadObject {
public:
    explicit MovieJob(MovieSettings settings);
    ~MovieJob() override;

    void Run() override;

    int FramesWritten() const { return framesWritten_.load(std::memory_order_relaxed); }
    int FramesTotal() const { return framesTotal_.load(std::memory_order_relaxed); }
    bool IsDone() const { return done_.load(std::memory_order_acquire); }
    // Waits until the job is done or `limit` has passed; IsDone().
    bool WaitDone(std::chrono::milliseconds limit) const;

    const MovieSettings& Settings() const { return settings_; }
    const MovieResult& Result() const { return result_; }
    bool Failed() const { return !result_.failures.empty(); }

    // The paths, in the order Run takes them; public so that tests can run
    // one on the calling thread.
    void RunAviPath();
    void RunMjPath();
    void RunGraphPath();
    // The decoding graph's sound: the first sound stream decoded whole to
    // 16-bit PCM of one or two channels at its own rate.
    bool ReadGraphSound(common::WaveFormat* decoded, std::vector<uint8_t>* pcm, std::string* why);

private:
    friend class FrameWriter;
    friend class GraphReader;

    void ConvertAviVideo(formats::ByteSource& source, const AviStream& video);
    // The frames of a motion JPEG stream decoded by the frame writer's
    // workers; false when they gave up and nothing was written or noted.
    bool ConvertChunksOnWorkers(formats::ByteSource& source, const AviStream& video,
                                const VideoDecoder& decoder, const StepPlan& plan,
                                uint32_t targetRate);
    // An encoded sound track and what was said making it, kept apart from
    // the result so that it can be made on another thread while the frames
    // are converted, and saved (or dropped) afterwards.
    struct SoundTrack {
        std::vector<std::pair<bool, std::string>> messages;  // true: a failure
        std::unique_ptr<uint8_t[]> encoded;
        uint32_t size = 0;
        bool shortSound = false;
        void Fail(const std::string& reason) { messages.emplace_back(true, reason); }
        void Note(const std::string& note) { messages.emplace_back(false, note); }
    };

    // Makes a sound track beside the frames: on a thread of its own when the
    // job is pipelined and a thread is to be had, otherwise on the job's
    // thread when asked for. `make` touches nothing of the job's but its
    // settings and the track; a stop ends it early.
    class SoundWorker {
    public:
        SoundWorker(MovieJob& job, std::function<void(SoundTrack*)> make);
        // Waits for the thread.
        ~SoundWorker();
        SoundWorker(const SoundWorker&) = delete;
        SoundWorker& operator=(const SoundWorker&) = delete;
        // The finished track, waited for or made now.
        SoundTrack& Track();

    private:
        void Make();
        std::function<void(SoundTrack*)> make_;
        SoundTrack track_;
        std::thread thread_;
        bool made_ = false;
    };

    void ConvertAviSound(formats::ByteSource& source, const AviStream& audio, SoundTrack* track);
    void ConvertMjSound(formats::ByteSource& source, const MjFile& mj, SoundTrack* track) const;
    void ConvertGraphSound(SoundTrack* track);
    bool ReadGraphSound(common::WaveFormat* decoded, std::vector<uint8_t>* pcm, std::string* why,
                        SoundTrack* track);

    void MarkDone();
    void Fail(const std::string& reason) { result_.failures.push_back(reason); }
    void Note(const std::string& note) { result_.notes.push_back(note); }

    // Encodes PCM as the movie's sound track (`format` may be null: always
    // MP3; shortLimit is the encoder's short-sound limit), touching nothing
    // of the job's but its settings; saving writes the file and records the
    // rest.
    void EncodeSoundTrack(const common::WaveFormat* format, const uint8_t* pcm, uint64_t bytes,
                          uint32_t bits, uint32_t rate, uint32_t channels, uint32_t shortLimit,
                          SoundTrack* track) const;
    bool SaveSoundTrack(SoundTrack& track);

    MovieSettings settings_;
    int quality_ = 60;
    MovieResult result_;
    std::atomic<int> framesWritten_{0};
    std::atomic<int> framesTotal_{0};
    std::atomic<bool> done_{false};
    mutable std::mutex doneLock_;
    mutable std::condition_variable doneChanged_;
};

}  // namespace clipmux
