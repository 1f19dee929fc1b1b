#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "TestFiles.h"
#include "app/AutostartExec.h"
#include "app/LaunchAtLoginManager.h"
#include "app/ProgramStandIn.h"
#include "model/L10nTestSupport.h"
#include "platform/instance/InstanceTestSupport.h"

using app::LaunchAtLoginError;
using app::LaunchAtLoginManager;
using app::LoginItemStatus;
using platform::testing::kNobody;
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

// The two rewrites a start makes, each with an entry it would rewrite.
struct StartRewrite {
    const char* name;
    std::string entry;
    std::function<bool()> run;
};

// `self` is the file taken for this program.
std::vector<StartRewrite> startRewrites(const fs::path& root,
                                        const fs::path& self = fs::read_symlink("/proc/self/exe")) {
    std::string unmarked = LaunchAtLoginManager::desktopEntry(self);
    const std::string mark = std::string(" ") + LaunchAtLoginManager::loginStartArgument;
    unmarked.erase(unmarked.find(mark), mark.size());
    return {{"marking its start", unmarked, [] { return LaunchAtLoginManager::markLoginStart(); }},
            {"following a moved program", LaunchAtLoginManager::desktopEntry(root / "old-prefix" / self.filename()),
             [] { return LaunchAtLoginManager::followMovedProgram().has_value(); }}};
}

// A rewrite keeps the entry's mode as it was, not as the umask would make a new file's.
TEST_F(LaunchAtLoginManagerTest, startRewrites_keepTheModeExactlyWhateverTheUmask) {
    const std::pair<mode_t, mode_t> modesAndUmasks[] = {{0666, 022}, {0644, 077}, {0600, 022}, {0664, 027}};
    fs::create_directories(entry().parent_path());
    const mode_t umask = ::umask(022);
    for (const StartRewrite& rewrite : startRewrites(root)) {
        for (const auto& [mode, mask] : modesAndUmasks) {
            SCOPED_TRACE(std::string(rewrite.name) + ", mode " + std::to_string(mode) + " (octal " +
                         (std::ostringstream() << std::oct << mode).str() + ")");
            ::umask(mask);
            testfiles::writeFile(entry(), rewrite.entry);
            ASSERT_EQ(::chmod(entry().c_str(), mode), 0);
            EXPECT_TRUE(rewrite.run());
            struct stat after {};
            ASSERT_EQ(::stat(entry().c_str(), &after), 0);
            EXPECT_EQ(after.st_mode & 07777, mode);
        }
    }
    ::umask(umask);
}

// An entry of another user, one made read-only, or one another program changes while a start
// rewrites it stays exactly as they left it, and the start says nothing.
TEST_F(LaunchAtLoginManagerTest, startRewrites_leaveAnEntryThatIsNotTheirsToChangeAlone) {
    const bool root = ::geteuid() == 0;
    const std::string theirs = "[Desktop Entry]\nType=Application\n";
    int writer = -1;  // another program's, open on the entry through the start
    // Another program may act before the start reads the entry, or just before it replaces it.
    struct Case {
        const char* name;
        mode_t mode;
        bool anotherUsers;  // only root can give a file away
        std::function<void()> meanwhile;
        std::function<void(const std::string& entry)> before;
    };
    const auto writeFirstLinesAndPause = [&](const std::string& text) {
        writer = ::open(entry().c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        const std::string firstLines = text.substr(0, text.find("\nIcon=") + 1);
        ASSERT_EQ(::write(writer, firstLines.data(), firstLines.size()), ssize_t(firstLines.size()));
    };
    // Where no lease shows the writer, only the text tells: it stops part way through a line.
    const auto cutInTheLineAfterExec = [&](const std::string& text) {
        testfiles::writeFile(entry(), text.substr(0, text.find("\nIcon=") + 3));
    };
    // A rewrite would be a new file, leaving the other name on the old one.
    const fs::path otherName = this->root / "dotfiles" / "tuftle.desktop";
    const auto linkedElsewhere = [&](const std::string&) {
        fs::remove_all(otherName.parent_path());
        fs::create_directories(otherName.parent_path());
        fs::create_hard_link(entry(), otherName);
    };
    const Case cases[] = {
        {"made read-only by its owner", 0444, false, {}, {}},
        {"only its owner's to read", 0400, false, {}, {}},
        {"another user's", 0644, true, {}, {}},
        {"another user's, open to all", 0666, true, {}, {}},
        {"written in place meanwhile, its first lines so far",
         0644,
         false,
         [&] { testfiles::writeFile(entry(), theirs); },
         {}},
        {"replaced meanwhile",
         0644,
         false,
         [&] {
             testfiles::writeFile(entry().parent_path() / "theirs", theirs);
             fs::rename(entry().parent_path() / "theirs", entry());
         },
         {}},
        {"made read-only meanwhile", 0644, false, [&] { fs::permissions(entry(), fs::perms(0444)); }, {}},
        {"being written in place when read, paused after its Exec line", 0644, false, {}, writeFirstLinesAndPause},
        {"cut mid-line by a writer no lease shows", 0644, false, {}, cutInTheLineAfterExec},
        {"a hard link, with another name elsewhere", 0644, false, {}, linkedElsewhere},
    };
    for (const StartRewrite& rewrite : startRewrites(this->root)) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(rewrite.name) + ", " + c.name);
            if (c.anotherUsers && !root) continue;
            fs::remove_all(entry().parent_path());
            testfiles::writeFile(entry(), rewrite.entry);
            ASSERT_EQ(::chmod(entry().c_str(), c.mode), 0);
            if (c.anotherUsers) {
                ASSERT_EQ(::chown(entry().c_str(), kNobody, kNobody), 0);
            }
            if (c.before) c.before(rewrite.entry);
            // The entry as the user or the other program left it.
            struct stat left {};
            std::string leftText;
            const auto lookAtEntry = [&] {
                ASSERT_EQ(::lstat(entry().c_str(), &left), 0);
                leftText = readFile(entry());
            };
            lookAtEntry();
            if (c.meanwhile) {
                LaunchAtLoginManager::setBeforeReplacingEntryForTesting([&] {
                    c.meanwhile();
                    lookAtEntry();
                });
            }
            EXPECT_NO_THROW(EXPECT_FALSE(rewrite.run()));
            LaunchAtLoginManager::setBeforeReplacingEntryForTesting(nullptr);
            if (writer >= 0) ::close(std::exchange(writer, -1));
            EXPECT_EQ(readFile(entry()), leftText);
            struct stat after {};
            ASSERT_EQ(::lstat(entry().c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, left.st_ino) << "the very file left there";
            EXPECT_EQ(after.st_mode, left.st_mode);
            EXPECT_EQ(after.st_uid, left.st_uid);
            EXPECT_EQ(std::distance(fs::directory_iterator(entry().parent_path()), fs::directory_iterator()), 1)
                << "no temporary file is left beside the entry";
        }
    }
}

// Nothing can be done in a folder this user may not write to: the entry is left as it is, and
// each try says why (the start says it once).
TEST_F(LaunchAtLoginManagerTest, startRewrites_leaveAnEntryInAFolderTheyCannotWriteToAndSayWhy) {
    const app::testing::ProgramStandIn program(root);
    const fs::path folder = entry().parent_path();
    fs::create_directories(folder);
    // Whatever the umask: the user the child becomes passes through to the entry.
    for (const fs::path& above : {root, config}) ASSERT_EQ(::chmod(above.c_str(), 0711), 0);
    for (const StartRewrite& rewrite : startRewrites(root, program.path())) {
        SCOPED_TRACE(rewrite.name);
        ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
        testfiles::writeFile(entry(), rewrite.entry);
        // Root writes to any folder: the starts run as another user, whose entry it is.
        if (::geteuid() == 0) {
            for (const fs::path& owned : {folder, entry()}) ASSERT_EQ(::chown(owned.c_str(), kNobody, kNobody), 0);
        }
        ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        const std::string said = platform::testing::inChild([&] {
            if (::access(entry().c_str(), R_OK | W_OK) != 0 || ::access(program.path().c_str(), R_OK) != 0)
                return std::string("the entry or this program is out of reach");
            std::string said;
            for (int start = 0; start < 2; ++start) {
                try {
                    if (rewrite.run()) said += "rewritten\n";
                } catch (const LaunchAtLoginError& error) {
                    said += error.what() + std::string("\n");
                }
            }
            return said;
        });
        const std::string why = "Could not rewrite the autostart entry " + entry().string() + ": Permission denied\n";
        EXPECT_EQ(said, why + why);
        EXPECT_EQ(readFile(entry()), rewrite.entry);
    }
    ::chmod(folder.c_str(), 0755);
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
#include <atomic>
