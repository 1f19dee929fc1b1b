#include "platform/InstanceHandover.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <future>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"
#include "platform/InstanceLock.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// Every start that would take the same lock finds the same socket, where the runtime folder is
// the same; without an absolute one there is none.
TEST(InstanceHandover, startsOfOneSettingsFolderMeetAtOneSocket) {
    testfiles::TemporaryFolder folder;
    const fs::path settings = folder / "config" / "tuftle" / "defaults.plist";
    const auto lock = InstanceLock::acquire(settings);
    fs::create_symlink(settings, folder / "settings-link");
    model::testing::EnvironmentOverride runtime{{"XDG_RUNTIME_DIR", folder.path().c_str()}};
    const auto socket = handoverSocketPath(settings);
    ASSERT_TRUE(socket);
    EXPECT_EQ(socket->parent_path(), folder.path());
    EXPECT_EQ(handoverSocketPath(folder / "settings-link"), socket);
    fs::create_directories(folder / "other" / "tuftle");
    EXPECT_NE(handoverSocketPath(folder / "other" / "tuftle" / "defaults.plist"), socket);
    for (const char* unusable : {"relative", ""}) {
        model::testing::EnvironmentOverride none{{"XDG_RUNTIME_DIR", unusable}};
        EXPECT_EQ(handoverSocketPath(settings), std::nullopt) << unusable;
    }
}

// A call reaches the listener, which answers it without blocking; a socket left by a killed
// instance is replaced, and is no one to call; a listener that never answers is given up on.
TEST(InstanceHandover, aSecondStartIsAnsweredByTheListenerOnly) {
    testfiles::TemporaryFolder folder;
    const fs::path socket = folder / "tuftle.socket";
    std::string problem;
    {
        const auto killed = HandoverListener::listen(socket, problem);
        ASSERT_TRUE(killed) << problem;
        ASSERT_EQ(::link(socket.c_str(), (folder / "left").c_str()), 0);
    }
    fs::rename(folder / "left", socket);
    EXPECT_NE(askRunningInstance(socket, 1), "") << "a killed instance's socket";

    const auto listener = HandoverListener::listen(socket, problem);
    ASSERT_TRUE(listener) << problem;
    EXPECT_FALSE(listener->answer()) << "no call yet";
    auto call = std::async(std::launch::async, [&] { return askRunningInstance(socket, 10); });
    pollfd ring{listener->fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&ring, 1, 10000), 1);
    EXPECT_TRUE(listener->answer());
    EXPECT_EQ(call.get(), "");

    EXPECT_NE(askRunningInstance(socket, 0.2), "") << "a listener that does not answer";
    EXPECT_TRUE(listener->answer()) << "the late call is answered, to a caller that left";
    EXPECT_FALSE(fs::exists(folder / "missing.socket"));
    EXPECT_NE(askRunningInstance(folder / "missing.socket", 1), "");
}

}  // namespace
}  // namespace platform
