#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "model/RuntimeHealth.h"
#include "platform/Defaults.h"
#include "platform/PlistFileDefaults.h"
#include "platform/sim/SimMainLoop.h"

using model::RuntimeHealth;

TEST(RuntimeHealth, firstLaunchReportsNoRecoveryAndMarksTheRunUnclean) {
    platform::MemoryDefaults defaults;
    RuntimeHealth health(defaults);
    health.evaluateAtLaunch();
    EXPECT_FALSE(health.recoveredFromUnexpectedExit());
    EXPECT_EQ(defaults.boolValue("runtime.cleanExit"), false);
}

TEST(RuntimeHealth, launchAfterOrderlyQuitReportsNoRecovery) {
    platform::MemoryDefaults defaults;
    defaults.set("runtime.cleanExit", true);
    RuntimeHealth health(defaults);
    health.evaluateAtLaunch();
    EXPECT_FALSE(health.recoveredFromUnexpectedExit());
    EXPECT_EQ(defaults.boolValue("runtime.cleanExit"), false);
    health.markCleanExit();
    EXPECT_EQ(defaults.boolValue("runtime.cleanExit"), true);
}

TEST(RuntimeHealth, launchAfterARunThatNeverTerminatedReportsRecovery) {
    platform::MemoryDefaults defaults;
    defaults.set("runtime.cleanExit", false);
    RuntimeHealth health(defaults);
    health.evaluateAtLaunch();
    EXPECT_TRUE(health.recoveredFromUnexpectedExit());
}

TEST(RuntimeHealth, aMistypedRecordCountsAsUnclean) {
    platform::MemoryDefaults defaults;
    defaults.set("runtime.cleanExit", "yes");
    RuntimeHealth health(defaults);
    health.evaluateAtLaunch();
    EXPECT_TRUE(health.recoveredFromUnexpectedExit());
    EXPECT_EQ(defaults.boolValue("runtime.cleanExit"), false);
}

TEST(RuntimeHealth, theUncleanMarkIsOnDiskBeforeAnyCoalescedWrite) {
    const auto file = std::filesystem::temp_directory_path() / ("tuftle-health-" + std::to_string(::getpid())) / "d.plist";
    platform::sim::SimMainLoop loop;
    platform::PlistFileDefaults defaults(file, loop);
    defaults.set("runtime.cleanExit", true);
    ASSERT_TRUE(defaults.flush());
    RuntimeHealth(defaults).evaluateAtLaunch();
    EXPECT_EQ(platform::PlistFileDefaults(file, loop).boolValue("runtime.cleanExit"), false) << "a kill now is noticed";
    std::filesystem::remove_all(file.parent_path());
}
