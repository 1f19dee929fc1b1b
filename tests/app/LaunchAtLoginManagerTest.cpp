#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "TestFiles.h"
#include "app/AutostartExec.h"
#include "app/LaunchAtLoginManager.h"
#include "model/L10nTestSupport.h"

using app::LaunchAtLoginError;
using app::LaunchAtLoginManager;
using app::LoginItemStatus;
namespace fs = std::filesystem;

namespace {

using testfiles::readFile;

// An entry's text with its {exec} places filled in.
std::string filled(std::string text, const std::string& exec) {
    for (size_t at; (at = text.find("{exec}")) != std::string::npos;) text.replace(at, 6, exec);
    return text;
}

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
    EXPECT_NE(text.find("\nExec=\"" + self.string() + "\" " + LaunchAtLoginManager::loginStartArgument + "\n"),
              std::string::npos)
        << text;
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

// A start finds the entry naming its program where the installed tree was before it moved.
TEST_F(LaunchAtLoginManagerTest, followMovedProgram_rewritesOnlyOurEntryNamingAGoneProgram) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    // Written unquoted below, so a path without spaces, which the test's folder may have; never there.
    const fs::path gone = fs::path("/nonexistent/old-prefix") / self.filename();
    const fs::path goneQuoted = root / "old prefix 50%" / self.filename();
    const std::string execSelf = app::execArgument(self.string());
    std::string ours = LaunchAtLoginManager::desktopEntry(self);
    ours.replace(ours.find(execSelf), execSelf.size(), "{exec}");
    struct Case {
        const char* name;
        std::string entry;  // {exec} stands for the program named
        std::string exec;
        std::optional<fs::path> follows;  // the program the entry named, when it now names this one
    };
    const Case cases[] = {
        {"ours, program moved away", ours, app::execArgument(gone.string()), gone},
        {"quoted, spaces and a percent sign", "[Desktop Entry]\nExec={exec}\n", app::execArgument(goneQuoted.string()),
         goneQuoted},
        {"unquoted", "[Desktop Entry]\nExec={exec}\n", gone.string(), gone},
        {"edited: other keys, arguments, comments, CRLF kept",
         "# mine\r\n[Desktop Entry]\r\nName=My pets\r\nExec = {exec} --later\r\nX-GNOME-Autostart-Delay=30\r\n"
         "[Desktop Action x]\r\nExec=/elsewhere\r\n",
         app::execArgument(gone.string()), gone},
        {"hidden by the desktop", "[Desktop Entry]\nExec={exec}\nHidden=true\n", gone.string(), gone},
        {"naming this program", "[Desktop Entry]\nExec={exec}\n", execSelf, std::nullopt},
        {"naming another program that is there", "[Desktop Entry]\nExec={exec}\n", "/bin/true", std::nullopt},
        {"naming a gone program of another name", "[Desktop Entry]\nExec={exec}\n",
         (gone.parent_path() / "other").string(), std::nullopt},
        {"naming by name only, found on the PATH", "[Desktop Entry]\nExec={exec}\n", self.filename().string(),
         std::nullopt},
        {"no Exec", "[Desktop Entry]\nType=Application\n", "", std::nullopt},
        {"Exec only in another group", "[Desktop Action x]\nExec={exec}\n", gone.string(), std::nullopt},
        {"two Exec keys", "[Desktop Entry]\nExec={exec}\nExec={exec}\n", gone.string(), std::nullopt},
        {"quote never closed", "[Desktop Entry]\nExec=\"{exec}\n", gone.string(), std::nullopt},
        {"a field code in the program", "[Desktop Entry]\nExec={exec}%f\n", gone.string(), std::nullopt},
        {"not text",
         std::string("\x7f"
                     "ELF\0\x01[Desktop Entry]\0Exec=",
                     20) +
             "{exec}",
         gone.string(), std::nullopt},
    };
    fs::create_directories(entry().parent_path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testfiles::writeFile(entry(), filled(c.entry, c.exec));
        fs::permissions(entry(), fs::perms(0640));
        const auto before = LaunchAtLoginManager::followMovedProgram();
        EXPECT_EQ(readFile(entry()), filled(c.entry, c.follows ? execSelf : c.exec));
        EXPECT_EQ(before, c.follows);
        EXPECT_EQ(fs::status(entry()).permissions(), fs::perms(0640)) << "the file keeps its mode";
    }
}

// An entry that starts this program as entries did before they marked their starts gets the mark;
// one that starts anything else, or already with arguments, is the user's.
TEST_F(LaunchAtLoginManagerTest, markLoginStart_marksOnlyAnEntryStartingThisVeryProgramPlainly) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path link = root / "bin" / "linked";
    fs::create_directories(link.parent_path());
    fs::create_symlink(self, link);
    const std::string mark = LaunchAtLoginManager::loginStartArgument;
    const std::string execSelf = app::execArgument(self.string());
    std::string ours = LaunchAtLoginManager::desktopEntry(self);
    ours.replace(ours.find(execSelf + " " + mark), execSelf.size() + 1 + mark.size(), "{exec}");
    struct Case {
        const char* name;
        std::string entry;  // {exec} stands for the Exec value
        std::string exec;
        bool marked;
    };
    const Case cases[] = {
        {"ours, written before the mark", ours, execSelf, true},
        {"through a link to this program", "[Desktop Entry]\nExec={exec}\n", app::execArgument(link.string()), true},
        {"edited: other keys, comments, CRLF kept",
         "# mine\r\n[Desktop Entry]\r\nName=My pets\r\nExec = {exec}  \r\nX-GNOME-Autostart-Delay=30\r\n"
         "[Desktop Action x]\r\nExec=/elsewhere\r\n",
         execSelf, true},
        {"marked already", "[Desktop Entry]\nExec={exec}\n", execSelf + " " + mark, false},
        {"with other arguments", "[Desktop Entry]\nExec={exec}\n", execSelf + " --later", false},
        {"naming another program", "[Desktop Entry]\nExec={exec}\n", "/bin/true", false},
        {"naming a gone program of this name", "[Desktop Entry]\nExec={exec}\n",
         app::execArgument((root / "old-prefix" / self.filename()).string()), false},
        {"naming by name only, found on the PATH", "[Desktop Entry]\nExec={exec}\n", self.filename().string(), false},
    };
    fs::create_directories(entry().parent_path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testfiles::writeFile(entry(), filled(c.entry, c.exec));
        fs::permissions(entry(), fs::perms(0640));
        EXPECT_EQ(LaunchAtLoginManager::markLoginStart(), c.marked);
        EXPECT_EQ(readFile(entry()), filled(c.entry, c.marked ? c.exec + " " + mark : c.exec));
        EXPECT_EQ(fs::status(entry()).permissions(), fs::perms(0640)) << "the file keeps its mode";
    }
    fs::remove(entry());
    EXPECT_FALSE(LaunchAtLoginManager::markLoginStart());
    EXPECT_FALSE(fs::exists(entry())) << "an entry made where there was none";
}

// Only a regular file of our own is rewritten; nothing is made where there was no entry.
TEST_F(LaunchAtLoginManagerTest, followMovedProgram_leavesWhatIsNoEntryFileAlone) {
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const std::string stale = LaunchAtLoginManager::desktopEntry(root / "old-prefix" / self.filename());
    const fs::path kept = root / "dotfiles" / "tuftle.desktop";
    struct Case {
        const char* name;
        std::function<void()> make;
    };
    const Case cases[] = {
        {"no entry", [] {}},
        {"a link to an entry kept elsewhere",
         [&] {
             testfiles::writeFile(kept, stale);
             fs::create_symlink(kept, entry());
         }},
        {"a folder", [&] { fs::create_directory(entry()); }},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(entry().c_str(), 0600), 0); }},
        {"larger than any entry", [&] { testfiles::writeFile(entry(), stale + std::string(2 << 20, '#')); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(config);
        fs::create_directories(entry().parent_path());
        c.make();
        const auto type = fs::symlink_status(entry()).type();
        const auto size = type == fs::file_type::regular ? fs::file_size(entry()) : 0;
        EXPECT_EQ(LaunchAtLoginManager::followMovedProgram(), std::nullopt);
        EXPECT_EQ(fs::symlink_status(entry()).type(), type);
        if (type == fs::file_type::regular) {
            EXPECT_EQ(fs::file_size(entry()), size);
        }
    }
    EXPECT_EQ(readFile(kept), stale) << "the linked file is the user's";
}

TEST(LaunchAtLoginDesktopEntry, execQuotesAndEscapesThePath) {
    const std::string text = LaunchAtLoginManager::desktopEntry("/opt/my apps/50%/tu\"f$tle\\x");
    // Quoted for the command line, then the backslashes doubled for the file, the percent sign
    // written twice so it is no field code.
    EXPECT_NE(text.find("\nExec=\"/opt/my apps/50%%/tu\\\\\"f\\\\$tle\\\\\\\\x\" "), std::string::npos) << text;
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
