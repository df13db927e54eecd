#include <gtest/gtest.h>

#include "platform/backend.h"
#include "test_support.h"

namespace {

void AddSupply(const testing_support::TempDir& dir, const std::string& name,
               const std::string& type, const std::string& capacity,
               const std::string& scope = "") {
    testing_support::WriteHostFile(dir / (name + "/type"), type + "\n");
    if (!capacity.empty())
        testing_support::WriteHostFile(dir / (name + "/capacity"), capacity + "\n");
    if (!scope.empty()) testing_support::WriteHostFile(dir / (name + "/scope"), scope + "\n");
}

TEST(Battery, ReadsTheFirstSystemBattery) {
    testing_support::TempDir dir;
    AddSupply(dir, "AC", "Mains", "");
    AddSupply(dir, "BAT1", "Battery", "40");
    AddSupply(dir, "BAT0", "Battery", "75");
    // A game pad's battery says nothing about the machine's charge.
    AddSupply(dir, "0-hid-pad", "Battery", "5", "Device");
    EXPECT_EQ(platform::ReadBatteryPercent(dir.path().string()), 75);
}

TEST(Battery, SkipsUnreadableBatteriesAndClampsTheCharge) {
    testing_support::TempDir dir;
    AddSupply(dir, "BAT0", "Battery", "unknown");
    AddSupply(dir, "BAT1", "Battery", "");
    AddSupply(dir, "BAT2", "Battery", "104");
    EXPECT_EQ(platform::ReadBatteryPercent(dir.path().string()), 100);

    testing_support::TempDir other;
    AddSupply(other, "BAT3", "Battery", "");
    AddSupply(other, "BAT4", "Battery", "12");
    EXPECT_EQ(platform::ReadBatteryPercent(other.path().string()), 12);
}

// A desktop has no battery: the game must show a full one, not an empty one.
TEST(Battery, FullWhenThereIsNoBattery) {
    testing_support::TempDir dir;
    AddSupply(dir, "AC", "Mains", "");
    EXPECT_EQ(platform::ReadBatteryPercent(dir.path().string()), 100);
    EXPECT_EQ(platform::ReadBatteryPercent((dir / "absent").string()), 100);
}

}  // namespace
