#include "platform/sdl/sdl_wave_out.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "test_support.h"

namespace {

using platform::SdlWaveOut;
using platform::WaveBuffer;
using platform::WaveFormat;

constexpr uint32_t kBufferBytes = 8192;

// The mixer's pattern on a real audio thread: four buffers, each refilled
// and written again from inside the buffer-done routine until `total`
// buffers have been written. Everything written is kept in order.
struct Player {
    SdlWaveOut* device = nullptr;
    uint32_t total = 8;
    bool requeue = true;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uintptr_t> doneUsers;
    std::vector<std::thread::id> doneThreads;
    std::vector<int> rewriteResults;
    std::vector<uint8_t> written;
    uint32_t writes = 0;
    std::vector<uint8_t> blocks[4];
    WaveBuffer buffers[4];

    static void Done(void* user, WaveBuffer* buffer) {
        auto* player = static_cast<Player*>(user);
        std::lock_guard lock(player->mutex);
        player->doneUsers.push_back(buffer->user);
        player->doneThreads.push_back(std::this_thread::get_id());
        if (player->requeue && player->writes < player->total) player->QueueLocked(buffer);
        player->changed.notify_all();
    }

    void Start() {
        std::lock_guard lock(mutex);
        for (uintptr_t index = 0; index < 4; ++index) {
            blocks[index].resize(kBufferBytes);
            buffers[index].data = blocks[index].data();
            buffers[index].length = kBufferBytes;
            buffers[index].user = index;
            ASSERT_EQ(device->Prepare(&buffers[index]), platform::kWaveOk);
            QueueLocked(&buffers[index]);
        }
    }

    // Nonzero bytes, so that the played stream cannot be mistaken for the
    // silence around it.
    void QueueLocked(WaveBuffer* buffer) {
        std::vector<uint8_t> bytes = testing_support::RandomBytes(buffer->length, ++writes);
        for (uint8_t& byte : bytes) byte |= 1;
        std::memcpy(buffer->data, bytes.data(), bytes.size());
        int result = device->Write(buffer);
        rewriteResults.push_back(result);
        if (result == platform::kWaveOk) written.insert(written.end(), bytes.begin(), bytes.end());
    }

    bool WaitForDone(size_t count) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20),
                                [&] { return doneUsers.size() >= count; });
    }
};

class SdlWaveOutTest : public ::testing::Test {
protected:
    // SDL's disk driver writes the device's output to a file in real time
    // (one 2048-frame period every few ms), so the bytes that reached the
    // "speaker" can be read back.
    void UseDiskDriver() {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (dir_ / "out.raw").c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "5", 1);
    }

    std::vector<uint8_t> DiskOutput() { return testing_support::ReadHostFile(dir_ / "out.raw"); }

    void TearDown() override {
        unsetenv("SDL_DISKAUDIOFILE");
        unsetenv("SDL_DISKAUDIODELAY");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    testing_support::TempDir dir_;
};

// Buffers come back in order, on the audio thread, each written again from
// inside the routine; their bytes reach the output in one unbroken run, and
// the position counts every byte consumed.
TEST_F(SdlWaveOutTest, BuffersComeBackInOrderAndTheirBytesReachTheOutput) {
    UseDiskDriver();
    SdlWaveOut wave;
    Player player;
    player.device = &wave;
    ASSERT_EQ(wave.Open(WaveFormat{}, &Player::Done, &player), platform::kWaveOk);
    player.Start();
    ASSERT_TRUE(player.WaitForDone(8));
    EXPECT_EQ(wave.PositionBytes(), 8 * kBufferBytes);
    // Nothing is queued any more, so the device may close.
    ASSERT_EQ(wave.Close(), platform::kWaveOk);

    std::lock_guard lock(player.mutex);
    EXPECT_EQ(player.doneUsers, (std::vector<uintptr_t>{0, 1, 2, 3, 0, 1, 2, 3}));
    for (std::thread::id id : player.doneThreads) EXPECT_NE(id, std::this_thread::get_id());
    for (int result : player.rewriteResults) EXPECT_EQ(result, platform::kWaveOk);
    ASSERT_EQ(player.written.size(), 8 * kBufferBytes);
    std::vector<uint8_t> output = DiskOutput();
    EXPECT_NE(
        std::search(output.begin(), output.end(), player.written.begin(), player.written.end()),
        output.end());
}

// The device volume scales each side as the bytes leave for the speaker.
TEST_F(SdlWaveOutTest, VolumeScalesTheOutput) {
    UseDiskDriver();
    SdlWaveOut wave;
    Player player;
    player.device = &wave;
    player.requeue = false;
    ASSERT_EQ(wave.Open(WaveFormat{}, &Player::Done, &player), platform::kWaveOk);
    ASSERT_EQ(wave.SetVolume(0xFFFF0000u | 0x8000u), platform::kWaveOk);
    std::vector<int16_t> samples(kBufferBytes / 2);
    for (size_t i = 0; i < samples.size(); i += 2) {
        samples[i] = -32768;
        samples[i + 1] = 1001;
    }
    WaveBuffer buffer{reinterpret_cast<uint8_t*>(samples.data()), kBufferBytes, 9, 0};
    ASSERT_EQ(wave.Prepare(&buffer), platform::kWaveOk);
    ASSERT_EQ(wave.Write(&buffer), platform::kWaveOk);
    ASSERT_TRUE(player.WaitForDone(1));
    ASSERT_EQ(wave.Close(), platform::kWaveOk);

    std::vector<int16_t> expected(samples.size());
    for (size_t i = 0; i < expected.size(); i += 2) {
        expected[i] = -16384;  // -32768 * 0x8000 / 0xFFFF, truncated
        expected[i + 1] = 1001;
    }
    std::vector<uint8_t> output = DiskOutput();
    auto* first = reinterpret_cast<const uint8_t*>(expected.data());
    EXPECT_NE(std::search(output.begin(), output.end(), first, first + kBufferBytes), output.end());
}

// The shutdown path on a paused device: nothing plays, Close refuses while
// buffers are queued, Reset hands them back in order on the caller's thread
// and refuses the routine's writes, and Close then succeeds.
TEST_F(SdlWaveOutTest, ResetHandsEveryBufferBackAndLetsCloseFinish) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlWaveOut wave;
    Player player;
    player.device = &wave;
    player.total = 100;
    ASSERT_EQ(wave.Open(WaveFormat{}, &Player::Done, &player), platform::kWaveOk);
    ASSERT_EQ(wave.Pause(), platform::kWaveOk);
    player.Start();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(wave.PositionBytes(), 0u);
    EXPECT_EQ(wave.Close(), platform::kWaveStillPlaying);
    EXPECT_EQ(wave.Unprepare(&player.buffers[2]), platform::kWaveStillPlaying);

    ASSERT_EQ(wave.Reset(), platform::kWaveOk);
    {
        std::lock_guard lock(player.mutex);
        EXPECT_EQ(player.doneUsers, (std::vector<uintptr_t>{0, 1, 2, 3}));
        for (std::thread::id id : player.doneThreads) EXPECT_EQ(id, std::this_thread::get_id());
        ASSERT_EQ(player.rewriteResults.size(), 8u);
        for (size_t i = 4; i < 8; ++i) EXPECT_EQ(player.rewriteResults[i], platform::kWaveError);
        for (const WaveBuffer& buffer : player.buffers)
            EXPECT_EQ(buffer.flags & (platform::kWaveBufferDone | platform::kWaveInQueue),
                      platform::kWaveBufferDone);
    }
    for (WaveBuffer& buffer : player.buffers) EXPECT_EQ(wave.Unprepare(&buffer), platform::kWaveOk);
    EXPECT_EQ(wave.Close(), platform::kWaveOk);
    EXPECT_EQ(wave.Write(&player.buffers[0]), platform::kWaveError);
}

// Without a usable sound device, or for any other format, Open fails and
// the device stays closed; the game goes on without sound.
TEST_F(SdlWaveOutTest, OpenFailsWithoutASoundDeviceOrForOtherFormats) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlWaveOut wave;
    // One line says so; the audio library's own noise stays off the console.
    testing::internal::CaptureStderr();
    EXPECT_EQ(wave.Open(WaveFormat{}, nullptr, nullptr), platform::kWaveError);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("mirelo: no sound device (", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    uint8_t block[16] = {};
    WaveBuffer buffer{block, sizeof block, 0, 0};
    EXPECT_EQ(wave.Prepare(&buffer), platform::kWaveError);
    EXPECT_EQ(wave.Write(&buffer), platform::kWaveError);
    EXPECT_EQ(wave.Close(), platform::kWaveError);

    setenv("SDL_AUDIODRIVER", "dummy", 1);
    WaveFormat format;
    format.sampleRate = 44100;
    format.bytesPerSecond = 176400;
    EXPECT_EQ(wave.Open(format, nullptr, nullptr), platform::kWaveError);
    ASSERT_EQ(wave.Open(WaveFormat{}, nullptr, nullptr), platform::kWaveOk);
    EXPECT_EQ(wave.Open(WaveFormat{}, nullptr, nullptr), platform::kWaveError);
    EXPECT_EQ(wave.Close(), platform::kWaveOk);
}

}  // namespace
