#include <gtest/gtest.h>

#include "model/RuntimeHealth.h"
#include "platform/Defaults.h"

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
