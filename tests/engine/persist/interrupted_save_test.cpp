// A save killed at any moment leaves the slot file whole: the old record or
// the new one, never a mix or a part.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <random>
#include <string>

#include "engine/persist/save_files.h"
#include "platform/device_path.h"
#include "test_support.h"

namespace {

persist::SlotRecord RecordOfKind(int32_t kind, const char* scenario) {
    persist::SlotRecord record;
    record.kind = kind;
    record.scenarioPath = scenario;
    record.stateWords[0] = 99;
    for (int i = 0; i < persist::kSlotVariables; ++i) record.variables[i] = kind * 100 + i;
    record.flags.fill(static_cast<uint8_t>(kind));
    record.window.exists = true;
    for (int i = 0; i < persist::kWindowCells; ++i) {
        record.window.cells.push_back({static_cast<uint16_t>(kind), i, i, i + 1, i + 1, 0, true});
    }
    return record;
}

TEST(InterruptedSave, EverySlotFileIsTheOldOrTheNewRecord) {
    testing_support::TempDir dir;
    const std::string folder = platform::HostToDevicePath(dir.path().string() + "/");
    const persist::SlotRecord first = RecordOfKind(1, "a.MES");
    const persist::SlotRecord second = RecordOfKind(2, "b.MES");
    const formats::ByteVector firstBytes = persist::EncodeSlotRecord(first);
    const formats::ByteVector secondBytes = persist::EncodeSlotRecord(second);
    ASSERT_TRUE(persist::WriteSlotRecord(folder, 4, first));
    const std::filesystem::path slot = dir / persist::SlotFileName(4);

    std::minstd_rand random(1208);
    int firstSeen = 0, secondSeen = 0;
    for (int round = 0; round < 200; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves back and forth until it is killed.
            for (int i = 0;; ++i) persist::WriteSlotRecord(folder, 4, i % 2 ? first : second);
        }
        ::usleep(random() % 4000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));

        formats::ByteVector bytes = testing_support::ReadHostFile(slot);
        ASSERT_TRUE(bytes == firstBytes || bytes == secondBytes)
            << "round " << round << ": " << bytes.size() << " bytes";
        (bytes == firstBytes ? firstSeen : secondSeen)++;
        // A killed save may leave its temporary file; it is not the slot.
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path() != slot) std::filesystem::remove(entry.path());
        }
    }
    // The kills fell at different moments of the saves.
    EXPECT_GT(firstSeen, 0);
    EXPECT_GT(secondSeen, 0);
}

}  // namespace
