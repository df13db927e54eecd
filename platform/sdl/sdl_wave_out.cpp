#include "platform/sdl/sdl_wave_out.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/sdl/quiet_stderr.h"

namespace platform {

namespace {

// One device buffer's worth: SDL asks for about as much as the mixer makes
// per pass, so a pass rarely straddles two requests.
constexpr Uint16 kDeviceFrames = 2048;

}  // namespace

SdlWaveOut::~SdlWaveOut() {
    Shut();
}

int SdlWaveOut::Open(const WaveFormat& format, BufferDone done, void* user) {
    if (device_ != 0 || !IsOutputFormat(format)) return kWaveError;
    const auto noDevice = [] {
        std::fprintf(stderr, "mirelo: no sound device (%s); the game plays on silently\n",
                     SDL_GetError());
        return kWaveError;
    };
    int started;
    {
        QuietStderr quiet;
        started = SDL_InitSubSystem(SDL_INIT_AUDIO);
    }
    if (started != 0) return noDevice();
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.sampleRate);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = kDeviceFrames;
    wanted.callback = &SdlWaveOut::Callback;
    wanted.userdata = this;
    done_ = done;
    user_ = user;
    queue_.clear();
    offset_ = 0;
    refuseWrites_ = false;
    position_.store(0, std::memory_order_relaxed);
    // No changes allowed: SDL converts to whatever the hardware wants, so
    // the callback always sees the output format.
    SDL_AudioDeviceID device;
    {
        QuietStderr quiet;
        device = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    }
    if (device == 0) {
        noDevice();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        done_ = nullptr;
        user_ = nullptr;
        return kWaveError;
    }
    device_ = device;
    SDL_PauseAudioDevice(device_, 0);
    return kWaveOk;
}

int SdlWaveOut::Prepare(WaveBuffer* buffer) {
    if (device_ == 0 || buffer == nullptr || (buffer->data == nullptr && buffer->length != 0))
        return kWaveError;
    std::lock_guard lock(mutex_);
    buffer->flags |= kWavePrepared;
    return kWaveOk;
}

int SdlWaveOut::Write(WaveBuffer* buffer) {
    if (device_ == 0 || buffer == nullptr) return kWaveError;
    std::lock_guard lock(mutex_);
    if (refuseWrites_ || (buffer->flags & kWavePrepared) == 0 ||
        (buffer->flags & kWaveInQueue) != 0)
        return kWaveError;
    buffer->flags = (buffer->flags & ~kWaveBufferDone) | kWaveInQueue;
    queue_.push_back(buffer);
    return kWaveOk;
}

int SdlWaveOut::Unprepare(WaveBuffer* buffer) {
    if (buffer == nullptr) return kWaveError;
    std::lock_guard lock(mutex_);
    if ((buffer->flags & kWaveInQueue) != 0) return kWaveStillPlaying;
    buffer->flags &= ~kWavePrepared;
    return kWaveOk;
}

int SdlWaveOut::SetVolume(uint32_t leftRight) {
    if (device_ == 0) return kWaveError;
    volume_.store(leftRight, std::memory_order_relaxed);
    return kWaveOk;
}

int SdlWaveOut::Pause() {
    if (device_ == 0) return kWaveError;
    SDL_PauseAudioDevice(device_, 1);
    return kWaveOk;
}

int SdlWaveOut::Reset() {
    if (device_ == 0) return kWaveError;
    // Holding the device lock keeps the audio thread out, so the routine
    // below is the only one running; the queue lock is taken only around
    // the queue, since the routine writes again.
    SDL_LockAudioDevice(device_);
    std::deque<WaveBuffer*> returned;
    {
        std::lock_guard lock(mutex_);
        returned.swap(queue_);
        offset_ = 0;
        refuseWrites_ = true;
        for (WaveBuffer* buffer : returned)
            buffer->flags = (buffer->flags & ~kWaveInQueue) | kWaveBufferDone;
    }
    for (WaveBuffer* buffer : returned)
        if (done_ != nullptr) done_(user_, buffer);
    {
        std::lock_guard lock(mutex_);
        refuseWrites_ = false;
    }
    SDL_PauseAudioDevice(device_, 0);
    SDL_UnlockAudioDevice(device_);
    return kWaveOk;
}

int SdlWaveOut::Close() {
    if (device_ == 0) return kWaveError;
    SDL_LockAudioDevice(device_);
    {
        std::lock_guard lock(mutex_);
        if (!queue_.empty()) {
            SDL_UnlockAudioDevice(device_);
            return kWaveStillPlaying;
        }
        // Nothing may arrive between this check and the device's end.
        refuseWrites_ = true;
    }
    SDL_UnlockAudioDevice(device_);
    Shut();
    return kWaveOk;
}

void SdlWaveOut::Shut() {
    if (device_ == 0) return;
    // Waits for the audio thread; the routine is not called afterwards.
    SDL_CloseAudioDevice(device_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    device_ = 0;
    done_ = nullptr;
    user_ = nullptr;
    std::lock_guard lock(mutex_);
    for (WaveBuffer* buffer : queue_) buffer->flags &= ~kWaveInQueue;
    queue_.clear();
    offset_ = 0;
}

void SdlWaveOut::Callback(void* self, uint8_t* stream, int length) {
    static_cast<SdlWaveOut*>(self)->Fill(stream, length > 0 ? static_cast<size_t>(length) : 0);
}

void SdlWaveOut::Fill(uint8_t* stream, size_t length) {
    size_t filled = 0;
    while (filled < length) {
        WaveBuffer* finished = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty()) break;
            WaveBuffer* buffer = queue_.front();
            const size_t count = std::min<size_t>(buffer->length - offset_, length - filled);
            if (count != 0) std::memcpy(stream + filled, buffer->data + offset_, count);
            filled += count;
            offset_ += static_cast<uint32_t>(count);
            position_.fetch_add(static_cast<uint32_t>(count), std::memory_order_relaxed);
            if (offset_ == buffer->length) {
                queue_.pop_front();
                offset_ = 0;
                buffer->flags = (buffer->flags & ~kWaveInQueue) | kWaveBufferDone;
                finished = buffer;
            }
        }
        if (finished != nullptr && done_ != nullptr) done_(user_, finished);
    }
    std::memset(stream + filled, 0, length - filled);
    ApplyWaveVolume(stream, filled, volume_.load(std::memory_order_relaxed));
}

}  // namespace platform
