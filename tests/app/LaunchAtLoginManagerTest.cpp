#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestFiles.h"
#include "app/LaunchAtLoginManager.h"
#include "model/L10nTestSupport.h"

using app::LaunchAtLoginError;
using app::LaunchAtLoginManager;
using app::LoginItemStatus;
namespace fs = std::filesystem;

namespace {

using testfiles::readFile;

// A home and a configuration folder of the test's own, found through the environment.
struct LaunchAtLoginManagerTest : ::testing::Test {
    testfiles::TemporaryFolder temporary{"tuftle-login"};
    fs::path root = temporary.path();
    fs::path config = root / "config";
    std::optional<model::testing::EnvironmentOverride> environment;

    void SetUp() override {
        fs::create_directories(root / "home");
        environment.emplace(std::initializer_list<std::pair<const char*, const char*>>{
            {"HOME", (root / "home").c_str()}, {"XDG_CONFIG_HOME", config.c_str()}});
    }
    void TearDown() override { environment.reset(); }
    fs::path entry() const { return config / "autostart" / "tuftle.desktop"; }
};

TEST_F(LaunchAtLoginManagerTest, enableAndDisable_createAndRemoveTheAutostartEntry) {
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::notRegistered);
    ASSERT_EQ(LaunchAtLoginManager::autostartFilePath(), entry());

    LaunchAtLoginManager::setEnabled(true);
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::enabled);
    const std::string text = readFile(entry());
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    const fs::path self = fs::read_symlink("/proc/self/exe");
    EXPECT_NE(text.find("\nExec=\"" + self.string() + "\"\n"), std::string::npos) << text;
    EXPECT_EQ(std::distance(fs::directory_iterator(entry().parent_path()), fs::directory_iterator()), 1)
        << "no temporary file is left beside the entry";

    LaunchAtLoginManager::setEnabled(false);
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(fs::exists(entry()));
}

TEST_F(LaunchAtLoginManagerTest, requestsMatchingTheState_leaveTheFileAlone) {
    fs::create_directories(entry().parent_path());
    std::ofstream(entry()) << "[Desktop Entry]\nType=Application\nExec=/opt/elsewhere/tuftle\n";
    LaunchAtLoginManager::setEnabled(true);
    EXPECT_NE(readFile(entry()).find("/opt/elsewhere/tuftle"), std::string::npos) << "already enabled: untouched";

    fs::remove(entry());
    EXPECT_NO_THROW(LaunchAtLoginManager::setEnabled(false));
    EXPECT_FALSE(fs::exists(entry()));
}

TEST_F(LaunchAtLoginManagerTest, entryTheDesktopSkips_isNotEnabledAndEnablingReplacesIt) {
    fs::create_directories(entry().parent_path());
    std::ofstream(entry()) << "[Desktop Entry]\nType=Application\nExec=tuftle\nHidden = true\n";
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::notRegistered);
    std::ofstream(entry()) << "[Desktop Entry]\nExec=tuftle\nX-GNOME-Autostart-enabled=false\n";
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::notRegistered);
    std::ofstream(entry()) << "[Desktop Entry]\nExec=tuftle\n[Desktop Action x]\nHidden=true\n";
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::enabled) << "another group's key means nothing";

    std::ofstream(entry()) << "[Desktop Entry]\nExec=tuftle\nHidden=true\n";
    LaunchAtLoginManager::setEnabled(true);
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::enabled);
    EXPECT_EQ(readFile(entry()).find("Hidden"), std::string::npos);
}

TEST_F(LaunchAtLoginManagerTest, configFolder_fallsBackToTheHomeWhenUnsetOrRelative) {
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(LaunchAtLoginManager::autostartFilePath(), root / "home" / ".config" / "autostart" / "tuftle.desktop");
    ::setenv("XDG_CONFIG_HOME", "relative/config", 1);
    EXPECT_EQ(LaunchAtLoginManager::autostartFilePath(), root / "home" / ".config" / "autostart" / "tuftle.desktop");
}

TEST_F(LaunchAtLoginManagerTest, failures_throwAReadableReasonAndChangeNothing) {
    fs::create_directories(config);
    std::ofstream(config / "autostart") << "a file where the folder belongs";
    try {
        LaunchAtLoginManager::setEnabled(true);
        FAIL() << "enabling succeeded without a folder to write to";
    } catch (const LaunchAtLoginError& error) {
        const std::string what = error.what();
        EXPECT_NE(what.find((config / "autostart").string()), std::string::npos) << what;
    }
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::notRegistered);

    fs::remove(config / "autostart");
    fs::create_directories(entry());
    EXPECT_EQ(LaunchAtLoginManager::status(), LoginItemStatus::notRegistered) << "a folder is no entry";
}

TEST(LaunchAtLoginDesktopEntry, execQuotesAndEscapesThePath) {
    const std::string text = LaunchAtLoginManager::desktopEntry("/opt/my apps/50%/tu\"f$tle\\x");
    // Quoted for the command line, then the backslashes doubled for the file, the percent sign
    // written twice so it is no field code.
    EXPECT_NE(text.find("\nExec=\"/opt/my apps/50%%/tu\\\\\"f\\\\$tle\\\\\\\\x\"\n"), std::string::npos) << text;
}

// The autostart entry is the installed launcher's program: same name, words and icon.
TEST(LaunchAtLoginDesktopEntry, namesTheProgramAsTheLauncherDoes) {
    const fs::path launcher = testfiles::sourceFile(__FILE__).parent_path().parent_path().parent_path() / "resources" /
                              "launcher" / "tuftle.desktop.in";
    std::istringstream template_(readFile(launcher));
    const std::string entry = LaunchAtLoginManager::desktopEntry("/usr/bin/tuftle");
    int shared = 0;
    for (std::string line; std::getline(template_, line);) {
        if (!line.starts_with("Name") && !line.starts_with("Comment") && !line.starts_with("Icon=") &&
            !line.starts_with("Type="))
            continue;
        ++shared;
        EXPECT_NE(entry.find("\n" + line + "\n"), std::string::npos) << line << " is not in:\n" << entry;
    }
    EXPECT_EQ(shared, 5) << launcher;
}

}  // namespace
