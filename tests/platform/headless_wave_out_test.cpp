#include "platform/headless/headless_wave_out.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "formats/byte_io.h"
#include "platform/headless/headless_backend.h"
#include "test_support.h"

namespace {

using platform::HeadlessWaveOut;
using platform::WaveBuffer;
using platform::WaveFormat;

constexpr uint32_t kBufferBytes = 8192;

// Plays four buffers the way the mixer does: each finished buffer is filled
// with fresh bytes and written again from inside the buffer-done routine.
// Everything written is kept in order, so a recording can be checked.
struct Player {
    platform::WaveOutDevice* device = nullptr;
    uint64_t now = 0;                  // the test's idea of the virtual time
    platform::Clock* clock = nullptr;  // when set, the time comes from it
    bool requeue = true;
    std::vector<uint64_t> doneTimes;
    std::vector<uintptr_t> doneUsers;
    std::vector<uint32_t> doneFlags;
    std::vector<int> rewriteResults;
    std::vector<uint8_t> written;
    uint32_t fills = 0;
    std::vector<uint8_t> blocks[4];
    WaveBuffer buffers[4];

    static void Done(void* user, WaveBuffer* buffer) {
        auto* player = static_cast<Player*>(user);
        player->doneTimes.push_back(player->clock ? player->clock->TickCount() : player->now);
        player->doneUsers.push_back(buffer->user);
        player->doneFlags.push_back(buffer->flags);
        if (player->requeue) player->Queue(buffer);
    }

    int Open() { return device->Open(WaveFormat{}, &Player::Done, this); }

    void Start() {
        for (uintptr_t index = 0; index < 4; ++index) {
            blocks[index].resize(kBufferBytes);
            buffers[index].data = blocks[index].data();
            buffers[index].length = kBufferBytes;
            buffers[index].user = index;
            ASSERT_EQ(device->Prepare(&buffers[index]), platform::kWaveOk);
            Queue(&buffers[index]);
        }
    }

    void Queue(WaveBuffer* buffer) {
        std::vector<uint8_t> bytes = testing_support::RandomBytes(buffer->length, ++fills);
        std::memcpy(buffer->data, bytes.data(), bytes.size());
        int result = device->Write(buffer);
        rewriteResults.push_back(result);
        if (result == platform::kWaveOk) written.insert(written.end(), bytes.begin(), bytes.end());
    }
};

// The first millisecond at which buffer k (0-based) of a gapless queue that
// started at frame startFrame has finished: its last frame lies in the past.
uint64_t FinishMs(uint64_t startFrame, uint64_t k) {
    uint64_t frame = startFrame + (k + 1) * 2048;
    return (frame * 1000 + 22049) / 22050;
}

// Buffers finish on the exact frame count, in queue order, each handed to
// the routine, which writes it again; over a minute the position is still
// the frame count of the elapsed time, to the byte.
TEST(HeadlessWaveOut, BuffersFinishOnTheFrameCountWithoutDrift) {
    HeadlessWaveOut wave;
    Player player;
    player.device = &wave;
    ASSERT_EQ(player.Open(), platform::kWaveOk);
    player.Start();
    for (uint64_t ms = 1; ms <= 2000; ++ms) {
        player.now = ms;
        wave.AdvanceTo(ms);
        // Part of the playing buffer counts as soon as it is heard.
        if (ms == 50) {
            EXPECT_EQ(wave.PositionBytes(), 1102u * 4);
        }
    }
    ASSERT_EQ(player.doneTimes.size(), 21u);  // 44100 frames hold 21 whole buffers
    for (size_t k = 0; k < player.doneTimes.size(); ++k) {
        EXPECT_EQ(player.doneTimes[k], FinishMs(0, k)) << k;
        EXPECT_EQ(player.doneUsers[k], k % 4) << k;
        EXPECT_EQ(player.doneFlags[k] & (platform::kWaveBufferDone | platform::kWaveInQueue),
                  platform::kWaveBufferDone);
    }
    EXPECT_EQ(wave.PositionBytes(), 44100u * 4);

    // A long sleep finishes every buffer it passes, in one call.
    player.now = 60000;
    wave.AdvanceTo(60000);
    ASSERT_EQ(player.doneTimes.size(), 645u);  // 1323000 frames / 2048
    for (size_t k = 21; k < player.doneUsers.size(); ++k)
        EXPECT_EQ(player.doneUsers[k], k % 4) << k;
    EXPECT_EQ(wave.PositionBytes(), 1323000u * 4);
    for (int result : player.rewriteResults) EXPECT_EQ(result, platform::kWaveOk);

    // Time never goes back.
    wave.AdvanceTo(100);
    EXPECT_EQ(wave.PositionBytes(), 1323000u * 4);
}

// An empty queue lets time pass without a sound or a callback; a buffer
// written later plays from the moment it arrives.
TEST(HeadlessWaveOut, IdleDeviceFinishesNothingAndPlaysFromTheWrite) {
    HeadlessWaveOut wave;
    Player player;
    player.device = &wave;
    player.requeue = false;
    wave.AdvanceTo(300);  // not open yet
    ASSERT_EQ(player.Open(), platform::kWaveOk);
    wave.AdvanceTo(1000);
    EXPECT_TRUE(player.doneTimes.empty());
    EXPECT_EQ(wave.PositionBytes(), 0u);

    uint8_t block[kBufferBytes] = {};
    WaveBuffer buffer{block, kBufferBytes, 7, 0};
    ASSERT_EQ(wave.Prepare(&buffer), platform::kWaveOk);
    ASSERT_EQ(wave.Write(&buffer), platform::kWaveOk);
    uint64_t finish = FinishMs(22050, 0);
    ASSERT_EQ(finish, 1093u);
    for (uint64_t ms = 1001; ms <= 1200; ++ms) {
        player.now = ms;
        wave.AdvanceTo(ms);
    }
    ASSERT_EQ(player.doneTimes.size(), 1u);
    EXPECT_EQ(player.doneTimes[0], finish);
    EXPECT_EQ(player.doneUsers[0], 7u);
    EXPECT_EQ(wave.PositionBytes(), kBufferBytes);
}

// The shutdown path: a paused device holds its buffers and its position,
// Close refuses while buffers are queued, Reset hands them all back in
// order and refuses the routine's writes, after which Close succeeds.
TEST(HeadlessWaveOut, PauseHoldsResetHandsBackAndCloseWaitsForTheQueue) {
    HeadlessWaveOut wave;
    Player player;
    player.device = &wave;
    ASSERT_EQ(player.Open(), platform::kWaveOk);
    player.Start();
    player.rewriteResults.clear();
    wave.AdvanceTo(50);
    ASSERT_EQ(wave.Pause(), platform::kWaveOk);
    wave.AdvanceTo(1000);
    EXPECT_TRUE(player.doneTimes.empty());
    EXPECT_EQ(wave.PositionBytes(), 1102u * 4);

    EXPECT_EQ(wave.Close(), platform::kWaveStillPlaying);
    EXPECT_EQ(wave.Unprepare(&player.buffers[0]), platform::kWaveStillPlaying);
    // A buffer queued twice would play twice and come back twice.
    EXPECT_EQ(wave.Write(&player.buffers[1]), platform::kWaveError);
    ASSERT_EQ(wave.Reset(), platform::kWaveOk);
    EXPECT_EQ(player.doneUsers, (std::vector<uintptr_t>{0, 1, 2, 3}));
    for (uint32_t flags : player.doneFlags)
        EXPECT_EQ(flags & (platform::kWaveBufferDone | platform::kWaveInQueue),
                  platform::kWaveBufferDone);
    EXPECT_EQ(player.rewriteResults, std::vector<int>(4, platform::kWaveError));

    // A reset device is empty, unpaused and usable again.
    wave.AdvanceTo(2000);
    EXPECT_EQ(player.doneUsers.size(), 4u);
    player.requeue = false;
    player.Queue(&player.buffers[0]);
    wave.AdvanceTo(2000 + 93);
    EXPECT_EQ(player.doneUsers.size(), 5u);

    EXPECT_EQ(wave.Unprepare(&player.buffers[0]), platform::kWaveOk);
    EXPECT_EQ(wave.Close(), platform::kWaveOk);
    EXPECT_EQ(wave.Write(&player.buffers[1]), platform::kWaveError);
    EXPECT_EQ(wave.Close(), platform::kWaveError);
}

struct WavFile {
    uint32_t riffSize, fmtSize, rate, bytesPerSecond, dataSize;
    uint16_t tag, channels, blockAlign, bits;
    std::vector<uint8_t> data;  // everything after the header
};

WavFile ReadWav(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(path);
    WavFile wav{};
    EXPECT_GE(bytes.size(), 44u);
    if (bytes.size() < 44) return wav;
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(std::string(bytes.begin() + 36, bytes.begin() + 40), "data");
    wav.riffSize = formats::ReadLe32(bytes, 4);
    wav.fmtSize = formats::ReadLe32(bytes, 16);
    wav.tag = formats::ReadLe16(bytes, 20);
    wav.channels = formats::ReadLe16(bytes, 22);
    wav.rate = formats::ReadLe32(bytes, 24);
    wav.bytesPerSecond = formats::ReadLe32(bytes, 28);
    wav.blockAlign = formats::ReadLe16(bytes, 32);
    wav.bits = formats::ReadLe16(bytes, 34);
    wav.dataSize = formats::ReadLe32(bytes, 40);
    wav.data.assign(bytes.begin() + 44, bytes.end());
    return wav;
}

// --audio-out through the backend: the clock's Sleep drives the device, and
// the file holds exactly the bytes played, with a header that is valid
// during the run (up to the last finished buffer) and exact at the end.
TEST(HeadlessWaveOut, BackendRecordsExactlyWhatWasPlayed) {
    testing_support::TempDir dir;
    platform::BackendOptions options;
    options.audioOutPath = (dir / "out.wav").string();
    std::string error;
    Player player;
    uint32_t played = 0;
    {
        platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
        ASSERT_TRUE(backend.audio) << error;
        player.device = backend.audio.get();
        // The routine runs inside Sleep, with the clock already at its new time.
        player.clock = backend.clock.get();
        ASSERT_EQ(player.Open(), platform::kWaveOk);
        player.Start();
        while (backend.clock->TickCount() < 500) backend.clock->Sleep(16);
        ASSERT_EQ(player.doneTimes.size(), 5u);  // 11289 frames by 512 ms
        EXPECT_EQ(player.doneTimes[0], 96u);     // the first 16 ms step past 92.9 ms

        WavFile during = ReadWav(dir / "out.wav");
        EXPECT_EQ(during.dataSize, 5 * kBufferBytes);
        EXPECT_EQ(during.riffSize, 36 + during.dataSize);
        ASSERT_GE(during.data.size(), during.dataSize);
        EXPECT_TRUE(std::equal(during.data.begin(), during.data.begin() + during.dataSize,
                               player.written.begin()));

        player.requeue = false;
        ASSERT_EQ(backend.audio->Pause(), platform::kWaveOk);
        ASSERT_EQ(backend.audio->Reset(), platform::kWaveOk);
        ASSERT_EQ(backend.audio->Close(), platform::kWaveOk);
        played = backend.audio->PositionBytes();
        backend.clock->Sleep(1000);  // a closed device plays nothing more
    }
    EXPECT_EQ(played, 11289u * 4);
    WavFile wav = ReadWav(dir / "out.wav");
    EXPECT_EQ(wav.riffSize, 36 + played);
    EXPECT_EQ(wav.fmtSize, 16u);
    EXPECT_EQ(wav.tag, 1u);
    EXPECT_EQ(wav.channels, 2u);
    EXPECT_EQ(wav.rate, 22050u);
    EXPECT_EQ(wav.bytesPerSecond, 88200u);
    EXPECT_EQ(wav.blockAlign, 4u);
    EXPECT_EQ(wav.bits, 16u);
    EXPECT_EQ(wav.dataSize, played);
    ASSERT_EQ(wav.data.size(), played);
    EXPECT_TRUE(std::equal(wav.data.begin(), wav.data.end(), player.written.begin()));
}

// The device volume scales what is heard, each side on its own, truncating
// toward zero; full volume leaves the bytes alone.
TEST(HeadlessWaveOut, VolumeScalesTheRecordedSides) {
    testing_support::TempDir dir;
    {
        HeadlessWaveOut wave;
        std::string error;
        ASSERT_TRUE(wave.RecordTo((dir / "v.wav").string(), &error)) << error;
        ASSERT_EQ(wave.Open(WaveFormat{}, nullptr, nullptr), platform::kWaveOk);
        ASSERT_EQ(wave.SetVolume(0xFFFF0000u | 0x8000u), platform::kWaveOk);
        const int16_t samples[4] = {-32768, 32767, 1000, -1000};
        uint8_t block[8];
        std::memcpy(block, samples, sizeof block);
        WaveBuffer buffer{block, sizeof block, 0, 0};
        ASSERT_EQ(wave.Prepare(&buffer), platform::kWaveOk);
        ASSERT_EQ(wave.Write(&buffer), platform::kWaveOk);
        wave.AdvanceTo(10);
        // The buffer itself is not touched.
        EXPECT_EQ(std::memcmp(block, samples, sizeof block), 0);
    }
    WavFile wav = ReadWav(dir / "v.wav");
    ASSERT_EQ(wav.data.size(), 8u);
    int16_t heard[4];
    std::memcpy(heard, wav.data.data(), sizeof heard);
    EXPECT_EQ(heard[0], -16384);  // -32768 * 32768 / 65535 = -16384.25
    EXPECT_EQ(heard[1], 32767);
    EXPECT_EQ(heard[2], 500);
    EXPECT_EQ(heard[3], -1000);
}

TEST(HeadlessWaveOut, UnwritableRecordingIsAStartUpError) {
    testing_support::TempDir dir;
    platform::BackendOptions options;
    options.audioOutPath = (dir / "no-such-folder" / "out.wav").string();
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    EXPECT_FALSE(backend.window);
    EXPECT_FALSE(backend.audio);
    EXPECT_NE(error.find("out.wav"), std::string::npos) << error;
}

}  // namespace
