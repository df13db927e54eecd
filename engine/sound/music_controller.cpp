#include "engine/sound/music_controller.h"

#include "engine/sound/sound_mixer.h"

namespace sound {

namespace {
constexpr size_t kMaxNameChars = 127;
}

void MusicController::SetName(std::string_view name) {
    name_ = name.substr(0, kMaxNameChars);
}

void MusicController::SetMode(SoundMixer* mixer, int mode) {
    mixer_ = mixer;
    if (mode_ > kMusicNoDevice && playing_ && mixer_ != nullptr) mixer_->StopMusic();
    mode_ = mode;
}

void MusicController::Play(std::string_view name, std::string_view folder, int volume,
                           uint32_t fadeInMs, int decodeLoop) {
    Stop();
    playing_ = true;
    startTick_ = tick_ ? tick_() : 0;
    if (mode_ < kMusicOn || mixer_ == nullptr) {
        SetName(name);
        return;
    }
    mixer_->PlayMusic(name, folder, volume, fadeInMs, 1, decodeLoop, memoryStream_);
    SetName(name);
    SetVolume(volume);
}

void MusicController::Stop() {
    name_.clear();
    playing_ = false;
    if (mode_ > kMusicNoDevice && mixer_ != nullptr) mixer_->StopMusic();
}

int32_t MusicController::PositionCs() {
    if (mode_ <= kMusicNoDevice) {
        uint32_t now = tick_ ? tick_() : 0;
        return static_cast<int32_t>((now - startTick_) / 10);
    }
    int32_t ms = mixer_ != nullptr ? mixer_->MusicPositionMs() : -1;
    return ms == -1 ? -1 : ms / 10;
}

int32_t MusicController::PacedPositionMs() {
    if (!playing_) return -1;
    if (mode_ > kMusicNoDevice && mixer_ != nullptr) {
        int32_t ms = mixer_->MusicPositionMs();
        if (ms != -1) return ms;
    }
    uint32_t now = tick_ ? tick_() : 0;
    return static_cast<int32_t>(now - startTick_);
}

void MusicController::SetVolume(int percent) {
    if (mode_ > kMusicNoDevice && mixer_ != nullptr) mixer_->SetMusicVolume(percent);
}

void MusicController::FadeOut(uint32_t milliseconds) {
    name_.clear();
    playing_ = false;
    if (mode_ > kMusicNoDevice && mixer_ != nullptr) mixer_->FadeOutMusic(milliseconds);
}

}  // namespace sound
