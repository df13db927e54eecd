#pragma once
// The music as the scripts and screens see it: the user's music setting in
// front of the mixer's music channel. Mode 0 (no music device) and mode 1
// (music off) play nothing but still keep the name; mode 0 also keeps a
// virtual clock from the engine tick so that scenes paced by the music
// position run as if it played. The caller compares names before Play, so
// the same music is not restarted.
//
// Thread safety: game thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sound {

class SoundMixer;

enum MusicMode : int { kMusicNoDevice = 0, kMusicOff = 1, kMusicOn = 2 };

class MusicController {
public:
    // tick: the engine clock in milliseconds.
    explicit MusicController(std::function<uint32_t()> tick) : tick_(std::move(tick)) {}

    // Remembers the mixer; leaving a mode above 0 stops the music (the name
    // stays).
    void SetMode(SoundMixer* mixer, int mode);
    void Play(std::string_view name, std::string_view folder, int volume, uint32_t fadeInMs,
              int decodeLoop);
    void Stop();
    // Hundredths of a second played; -1 when nothing plays in mode 1 or 2.
    int32_t PositionCs();
    // Milliseconds into the music last asked for, for scenes paced by it:
    // the real position while it sounds; otherwise (music off, a missing
    // file, a track that already ended) the engine clock since it was asked
    // for, so such a scene keeps its pace in silence. -1 after Stop or
    // FadeOut, or before any Play.
    int32_t PacedPositionMs();
    void SetVolume(int percent);
    // Forgets the music and fades it out; it keeps running silently until
    // the next Stop or Play.
    void FadeOut(uint32_t milliseconds);

    void SetMemoryStream(bool memoryStream) { memoryStream_ = memoryStream; }
    int Mode() const { return mode_; }
    bool Playing() const { return playing_; }
    const std::string& Name() const { return name_; }

private:
    void SetName(std::string_view name);

    std::function<uint32_t()> tick_;
    std::string name_;
    bool memoryStream_ = false;
    SoundMixer* mixer_ = nullptr;
    int mode_ = kMusicNoDevice;
    bool playing_ = false;
    uint32_t startTick_ = 0;
};

}  // namespace sound
