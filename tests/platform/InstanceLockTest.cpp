#include "platform/InstanceLock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

TEST(InstanceLock, secondAcquireFailsUntilTheFirstIsReleased) {
    const fs::path file = fs::temp_directory_path() / ("tuftle-lock-test-" + std::to_string(::getpid())) / "x.lock";
    auto first = platform::InstanceLock::acquire(file);
    ASSERT_TRUE(first);
    EXPECT_FALSE(platform::InstanceLock::acquire(file));
    first.reset();
    EXPECT_TRUE(platform::InstanceLock::acquire(file));
    fs::remove_all(file.parent_path());
}

TEST(InstanceLock, livesInTheRuntimeFolderElseBesideTheSettings) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved ? saved : "";
    const fs::path settings = "/home/pet/.config/tuftle/defaults.plist";
    const fs::path ours = fs::temp_directory_path() / ("tuftle-runtime-test-" + std::to_string(::getpid()));
    fs::create_directories(ours);
    ::setenv("XDG_RUNTIME_DIR", ours.c_str(), 1);
    EXPECT_EQ(platform::InstanceLock::standardPath(settings), ours / "tuftle.lock");
    fs::remove(ours);
    for (const char* unusable : {"", "relative", "/no/such/folder"}) {
        ::setenv("XDG_RUNTIME_DIR", unusable, 1);
        EXPECT_EQ(platform::InstanceLock::standardPath(settings), "/home/pet/.config/tuftle/tuftle.lock") << unusable;
    }
    saved ? ::setenv("XDG_RUNTIME_DIR", keep.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
