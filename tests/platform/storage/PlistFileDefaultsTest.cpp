#include "platform/storage/PlistFileDefaults.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"
#include "platform/sim/SimMainLoop.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using Array = PlistValue::Array;
using Dictionary = PlistValue::Dictionary;

using testfiles::readFile;
using testfiles::writeFile;

// "defaults.plist.corrupt-yyyyMMdd-HHmmss", with "-n" after it when that name was taken.
bool isCorruptCopyName(const std::string& name) {
    const std::string prefix = "defaults.plist.corrupt-";
    if (!name.starts_with(prefix)) return false;
    const std::string stamp = name.substr(prefix.size(), 15);
    const std::string rest = name.substr(std::min(name.size(), prefix.size() + 15));
    const auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    return stamp.size() == 15 && stamp[8] == '-' && digits(stamp.substr(0, 8)) && digits(stamp.substr(9)) &&
           (rest.empty() || (rest[0] == '-' && digits(rest.substr(1))));
}

bool hasTempFile(const fs::path& dir) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec))
        if (entry.path().filename().string().find(".tmp-") != std::string::npos) return true;
    return false;
}

class PlistFileDefaultsTest : public ::testing::Test {
protected:
    void TearDown() override {
        std::error_code ec;
        fs::permissions(file_.parent_path(), fs::perms::owner_all, ec);
    }
    std::optional<PlistValue> storedValue(const std::string& key) {
        return PlistFileDefaults(file_, loop_).object(key);
    }

    sim::SimMainLoop loop_;
    testfiles::TemporaryFolder folder_{"tuftle-defaults"};
    fs::path dir_ = folder_.path();
    fs::path file_ = dir_ / "tuftle" / "defaults.plist";
};

TEST_F(PlistFileDefaultsTest, everyValueType_roundTripsThroughTheFile) {
    const Dictionary values{
        {"yes", true},
        {"no", false},
        {"count", 42},
        {"negative", int64_t{-7}},
        {"min", std::numeric_limits<int64_t>::min()},
        {"max", std::numeric_limits<int64_t>::max()},
        {"real", 0.1},
        {"hugeReal", -1.5e300},
        {"infinite", -std::numeric_limits<double>::infinity()},
        {"chinese", "两只小毛球 & <标签>"},
        {"empty", ""},
        {"<key>&]]>", "<!-- -->"},
        {"bytes", Data{0, 1, 0xff, '<'}},
        {"noBytes", Data{}},
        {"subSecondDate", Date{786123456.789123}},
        {"distantPast", Date::distantPast()},
        {"$date", 12.5},  // the name a nested date uses, as a plain key of the store
        {"nested", Array{1, "二", Array{Date{-0.25}, Dictionary{}}, Dictionary{{"$date", "not a date"}}}},
        {"dict", Dictionary{{"inner", Dictionary{{"x", 1.25}, {"list", Array{}}}}}},
    };
    {
        PlistFileDefaults store(file_, loop_);
        for (const auto& [key, value] : values) store.set(key, value);
        ASSERT_TRUE(store.flush());
    }
    PlistFileDefaults reread(file_, loop_);
    EXPECT_FALSE(reread.movedAsidePath());
    for (const auto& [key, value] : values) EXPECT_EQ(reread.object(key), value) << key;
    EXPECT_EQ(reread.integer("negative"), -7);
    EXPECT_EQ(reread.date("subSecondDate"), Date{786123456.789123});
}

TEST_F(PlistFileDefaultsTest, changes_reachDiskOneSecondAfterTheFirstAndAtOnceOnFlush) {
    PlistFileDefaults store(file_, loop_);
    EXPECT_TRUE(store.flush()) << "nothing to write is no failure";
    EXPECT_FALSE(fs::exists(file_));

    store.set("a", 1);
    loop_.advance(0.5);
    store.set("b", 2);
    EXPECT_EQ(loop_.pendingCount(), 1u) << "one write for both changes";
    loop_.advance(0.49);
    EXPECT_FALSE(fs::exists(file_));
    loop_.advance(0.02);
    EXPECT_EQ(storedValue("a"), PlistValue(1));
    EXPECT_EQ(storedValue("b"), PlistValue(2));

    store.set("a", 3);
    loop_.advance(1.01);
    EXPECT_EQ(storedValue("a"), PlistValue(3)) << "a later change schedules a write of its own";

    store.set("a", 4);
    store.remove("b");
    EXPECT_TRUE(store.flush());
    EXPECT_EQ(storedValue("a"), PlistValue(4));
    EXPECT_FALSE(storedValue("b"));
}

TEST_F(PlistFileDefaultsTest, destroyedStore_savesItsChangesAndItsTimerDoesNothing) {
    { PlistFileDefaults(file_, loop_).set("a", "kept"); }
    EXPECT_EQ(storedValue("a"), PlistValue("kept"));
    loop_.advance(5);
    EXPECT_EQ(storedValue("a"), PlistValue("kept"));
}

TEST_F(PlistFileDefaultsTest, unreadableFile_isKeptAsideAndTheStoreStartsEmpty) {
    const std::string head = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
    const std::vector<std::string> unreadable{
        std::string("\x00\x01garbage <<", 12),
        "",
        head + "<array><string>a</string></array></plist>",
        head + "<dict><key>a</key><integer>x12</integer></dict></plist>",
        head + "<dict><key>a</key><integer>99999999999999999999</integer></dict></plist>",
        head + "<dict><key>a</key><date>yesterday</date></dict></plist>",
        head + "<dict><key>a</key><data>!!not base64!!</data></dict></plist>",
        head + "<dict><key>a</key><true/><key>b</key></dict></plist>",
        head + "<dict><key>a</key><string>AT&T</string></dict></plist>",
    };
    std::vector<std::pair<fs::path, std::string>> asides;
    for (const auto& bytes : unreadable) {
        SCOPED_TRACE(bytes);
        writeFile(file_, bytes);
        ::testing::internal::CaptureStderr();
        PlistFileDefaults store(file_, loop_);
        const std::string said = ::testing::internal::GetCapturedStderr();

        ASSERT_TRUE(store.movedAsidePath());
        const fs::path aside = *store.movedAsidePath();
        EXPECT_TRUE(isCorruptCopyName(aside.filename().string())) << aside;
        EXPECT_EQ(said, "tuftle: defaults file " + file_.string() + " is unreadable; kept as " + aside.string() +
                            ", starting from defaults\n");
        EXPECT_FALSE(store.object("a"));
        EXPECT_FALSE(fs::exists(file_));
        asides.emplace_back(aside, bytes);

        store.set("a", 5);
        EXPECT_TRUE(store.flush());
        EXPECT_EQ(storedValue("a"), PlistValue(5));
    }
    // All in the same second: none of the copies replaced another.
    for (const auto& [aside, bytes] : asides) EXPECT_EQ(readFile(aside), bytes) << aside;
}

TEST_F(PlistFileDefaultsTest, handWrittenFile_isReadWithoutBeingMistakenForACorruptOne) {
    writeFile(file_, R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<!-- <key>commented</key> -->
<dict>
    <key>when</key> <date>2001-01-02T00:00:00Z</date>
    <key>count</key> <integer> -3 </integer>
    <key>far</key> <real>+infinity</real>
    <key>note</key> <string><![CDATA[<key>x</key>]]></string>
    <key>blob</key> <data>AAEC
        /w==</data>
</dict>
</plist>
)");
    PlistFileDefaults store(file_, loop_);
    EXPECT_FALSE(store.movedAsidePath());
    EXPECT_EQ(store.date("when"), Date{86400});
    EXPECT_EQ(store.integer("count"), -3);
    EXPECT_EQ(store.real("far"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(store.string("note"), "<key>x</key>");
    EXPECT_EQ(store.data("blob"), (Data{0, 1, 2, 0xff}));
}

// Base64 text of every digit, letter and sign, in each of the three places a byte can start.
TEST_F(PlistFileDefaultsTest, dataOfEveryBase64Digit_isReadBackWhole) {
    const struct {
        const char* name;
        std::string text;
        Data bytes;
    } written[] = {
        {"digits", "0123456789+/", {0xd3, 0x5d, 0xb7, 0xe3, 0x9e, 0xbb, 0xf3, 0xdf, 0xbf}},
        {"zeroInside", "AB0CD9ef", {0x00, 0x1d, 0x02, 0x0f, 0xd7, 0x9f}},
        {"zeroFirst", "0A==", {0xd0}},
    };
    std::string file = R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)";
    for (const auto& w : written) file += "<key>" + std::string(w.name) + "</key><data>" + w.text + "</data>";
    writeFile(file_, file + "</dict></plist>");
    {
        PlistFileDefaults store(file_, loop_);
        EXPECT_FALSE(store.movedAsidePath());
        for (const auto& w : written) EXPECT_EQ(store.data(w.name), w.bytes) << w.name;
    }

    // A record as the program stores it (JSON, full of digits), and every byte value at each offset.
    const std::string record = R"({"firstLaunch":"2026-01-01T00:00:00Z","days":[0,10,20,30],"keys":1000000})";
    std::vector<std::pair<std::string, Data>> values{{"record", Data(record.begin(), record.end())}};
    for (int offset : {0, 1, 2}) {
        Data all(size_t(256 + offset), 0);
        for (size_t i = 0; i < 256; ++i) all[i + size_t(offset)] = uint8_t(i);
        values.emplace_back("all" + std::to_string(offset), all);
    }
    {
        PlistFileDefaults store(file_, loop_);
        for (const auto& [key, bytes] : values) store.set(key, bytes);
        ASSERT_TRUE(store.flush());
    }
    PlistFileDefaults reread(file_, loop_);
    EXPECT_FALSE(reread.movedAsidePath());
    for (const auto& [key, bytes] : values) EXPECT_EQ(reread.data(key), bytes) << key;
}

TEST_F(PlistFileDefaultsTest, writerKilledBeforeItsRename_leavesThePreviousFileIntact) {
    {
        PlistFileDefaults store(file_, loop_);
        store.set("a", "old");
        ASSERT_TRUE(store.flush());
    }
    const std::string before = readFile(file_);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sim::SimMainLoop loop;
        PlistFileDefaults store(file_, loop);
        store.set("a", "new");
        store.set("b", Data(100000, 7));
        if (!store.writeTempFileOnlyForTesting()) ::_exit(3);
        ::kill(::getpid(), SIGKILL);
        ::_exit(4);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child stopped early: " << status;

    EXPECT_EQ(readFile(file_), before);
    EXPECT_TRUE(fs::exists(file_.string() + ".tmp-" + std::to_string(child))) << "the write had reached its temp file";
    EXPECT_EQ(storedValue("a"), PlistValue("old"));
    EXPECT_FALSE(hasTempFile(file_.parent_path())) << "the next start removes what the killed writer left";
}

TEST_F(PlistFileDefaultsTest, flushIntoUnwritableFolder_failsKeepsTheOldFileAndRetriesLater) {
    PlistFileDefaults store(file_, loop_);
    store.set("a", 1);
    ASSERT_TRUE(store.flush());

    // Root ignores folder permissions: make the folder a regular file instead.
    const bool root = ::geteuid() == 0;
    const fs::path folder = file_.parent_path();
    const fs::path moved = dir_ / "real-folder";
    if (root) {
        fs::rename(folder, moved);
        writeFile(folder, "not a folder");
    } else {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    }
    int problems = 0;
    store.onProblem = [&] { ++problems; };
    store.set("a", 2);
    store.set("b", 3);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(store.flush());
    EXPECT_EQ(store.unsavedKeys(), (std::vector<std::string>{"a", "b"}));
    loop_.advance(2.5);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("could not save defaults"), std::string::npos);
    EXPECT_EQ(said.find("could not save defaults"), said.rfind("could not save defaults")) << "said once: " << said;
    EXPECT_EQ(problems, 1) << "told once while it keeps failing";
    EXPECT_TRUE(store.problem().starts_with(file_.string() + ": ")) << store.problem();
    if (root) {
        fs::remove(folder);
        fs::rename(moved, folder);
    } else {
        fs::permissions(folder, fs::perms::owner_all);
    }
    EXPECT_FALSE(hasTempFile(folder));
    EXPECT_EQ(storedValue("a"), PlistValue(1));

    loop_.advance(1.0);
    EXPECT_EQ(storedValue("a"), PlistValue(2)) << "tried again on the next tick, without a new change";
    EXPECT_TRUE(store.unsavedKeys().empty());
    EXPECT_EQ(store.problem(), "");
}

TEST_F(PlistFileDefaultsTest, failedRename_removesItsTempFile) {
    PlistFileDefaults store(file_, loop_);
    store.set("a", 1);
    writeFile(file_ / "blocker", "a folder where the file belongs");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(store.flush());
    ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(hasTempFile(file_.parent_path()));
    EXPECT_EQ(readFile(file_ / "blocker"), "a folder where the file belongs");
    fs::remove_all(file_);  // lets the closing flush succeed
}

// --- Whatever lies at the path, the store starts; what it may not replace, it never writes.

TEST_F(PlistFileDefaultsTest, hostileFile_neverStopsTheStartAndIsKeptAsideOrLeftAlone) {
    const std::string head = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>";
    std::string deep = head;
    for (int i = 0; i < 31000; ++i) deep += "<array>";
    const auto folder = [this] { fs::create_directories(file_.parent_path()); };
    const std::vector<std::tuple<std::string, std::function<void()>, bool>> cases{
        {"NUL in a string",
         [&] { writeFile(file_, head + "<string>" + std::string(1, '\0') + "</string></dict></plist>"); }, true},
        {"31,000 nested arrays", [&] { writeFile(file_, deep); }, true},
        {"FIFO", [&] { folder(), ::mkfifo(file_.c_str(), 0600); }, true},
        {"65 MB", [&] { writeFile(file_, ""), fs::resize_file(file_, 65 << 20); }, true},
        {"folder", [&] { fs::create_directories(file_); }, false},
        {"link to a device", [&] { folder(), fs::create_symlink("/dev/zero", file_); }, false},
        // The kernel answers a read of this file with EIO, as a failing disk would.
        {"read error", [&] { folder(), fs::create_symlink("/proc/self/mem", file_); }, false},
        {"no permission", [&] { writeFile(file_, "<plist/>"), fs::permissions(file_, fs::perms::none); }, false},
    };
    for (const auto& [what, make, keptAside] : cases) {
        SCOPED_TRACE(what);
        if (what == "no permission" && ::geteuid() == 0) continue;  // root reads anything
        make();
        const auto before = fs::symlink_status(file_).type();
        ::testing::internal::CaptureStderr();
        PlistFileDefaults store(file_, loop_);
        store.set("a", 1);
        const bool flushed = store.flush();
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(store.movedAsidePath().has_value(), keptAside) << said;
        EXPECT_EQ(storedValue("a") == PlistValue(1), keptAside) << "written only over what was kept aside";
        if (!keptAside) {
            EXPECT_TRUE(flushed && said.find("left as it is") != std::string::npos) << said;
            EXPECT_EQ(fs::symlink_status(file_).type(), before);
            EXPECT_TRUE(store.problem().starts_with(store.path().string() + " ")) << store.problem();
        }
        fs::remove_all(file_.parent_path());
    }
}

TEST_F(PlistFileDefaultsTest, readOnlyStore_readsTheFileAndWritesMovesOrRemovesNothing) {
    const std::string saved = "<plist><dict><key>a</key><integer>1</integer></dict></plist>";
    const fs::path othersTemp = file_.string() + ".tmp-99999";
    for (const std::string& found : {saved, std::string("not a property list")}) {
        SCOPED_TRACE(found);
        writeFile(file_, found);
        writeFile(othersTemp, "another instance's save under way");
        ::testing::internal::CaptureStderr();
        {
            PlistFileDefaults store(file_, loop_, PlistFileDefaults::Access::readOnly);
            EXPECT_EQ(store.integer("a"), found == saved ? std::optional<int64_t>(1) : std::nullopt);
            EXPECT_FALSE(store.savesChanges());
            store.set("a", 2);
            EXPECT_TRUE(store.flush());
            loop_.advance(2);
        }
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(readFile(file_), found);
        EXPECT_TRUE(fs::exists(othersTemp));
        EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), fs::directory_iterator()), 2);
    }
}

TEST_F(PlistFileDefaultsTest, linkedFile_staysALinkAndItsTargetIsWritten) {
    const fs::path target = dir_ / "elsewhere" / "mine.plist";
    writeFile(target, "<plist><dict><key>a</key><integer>1</integer></dict></plist>");
    fs::create_directories(file_.parent_path());
    fs::create_symlink(target, file_);
    PlistFileDefaults store(file_, loop_);
    store.set("a", 2);
    ASSERT_TRUE(store.flush());
    EXPECT_TRUE(fs::is_symlink(file_));
    EXPECT_EQ(PlistFileDefaults(target, loop_).object("a"), PlistValue(2));
}

TEST(PlistFileDefaults, standardPath_usesAnAbsoluteXdgConfigHomeElseHomeConfig) {
    const char* savedXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = savedXdg ? savedXdg : "";
    const char* savedHome = std::getenv("HOME");
    const std::string home = savedHome ? savedHome : "";
    ::setenv("HOME", "/home/pet", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(PlistFileDefaults::standardPath(), fs::path("/cfg/tuftle/defaults.plist"));
    for (const char* ignored : {"", "relative/cfg"}) {
        ::setenv("XDG_CONFIG_HOME", ignored, 1);
        EXPECT_EQ(PlistFileDefaults::standardPath(), fs::path("/home/pet/.config/tuftle/defaults.plist")) << ignored;
    }
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(PlistFileDefaults::standardPath(), fs::path("/home/pet/.config/tuftle/defaults.plist"));
    if (savedXdg) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    if (savedHome)
        ::setenv("HOME", home.c_str(), 1);
    else
        ::unsetenv("HOME");
}

// --- a value set again, and the store's place without HOME

TEST_F(PlistFileDefaultsTest, settingTheValueItHolds_leavesTheFileAlone) {
    PlistFileDefaults(file_, loop_).set("a", 1);
    struct stat before {};
    ASSERT_EQ(::stat(file_.c_str(), &before), 0);
    PlistFileDefaults store(file_, loop_);
    store.set("a", 1);
    loop_.advance(2);
    store.flush();
    struct stat after {};
    ASSERT_EQ(::stat(file_.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was written again";
}

TEST(PlistFileDefaults, standardPath_withoutHomeFollowsThePasswdEntryNotTheWorkingFolder) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    const fs::path expected = fs::path(user->pw_dir) / ".config" / "tuftle" / "defaults.plist";
    model::testing::EnvironmentOverride noHome{{"HOME", nullptr}, {"XDG_CONFIG_HOME", nullptr}};
    EXPECT_EQ(PlistFileDefaults::standardPath(), expected) << "HOME unset";
    ::setenv("HOME", "", 1);
    EXPECT_EQ(PlistFileDefaults::standardPath(), expected) << "HOME empty";
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

// A settings folder that cannot be made is named with its own cause, not the file's. Root makes
// any folder: the check then runs in a child that is root no more.
TEST(PlistFileDefaultsDeathTest, aSettingsFolderThatCannotBeMadeIsNamedWithItsCause) {
    constexpr uid_t kNobody = 65534;
    testfiles::TemporaryFolder folder;
    const std::filesystem::path home = folder / "home";
    std::filesystem::create_directories(home);
    ::chmod(folder.path().c_str(), 0711);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(home.c_str(), kNobody, kNobody), 0);
    }
    ::chmod(home.c_str(), 0500);
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) std::_Exit(2);
            sim::SimMainLoop loop;
            PlistFileDefaults store(home / ".config" / "tuftle" / "defaults.plist", loop);
            store.set("a", 1);
            store.flush();
            loop.advance(2);
            std::fprintf(stderr, "[%s]\n", store.problem().c_str());
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "\\[cannot make the folder .*/home/\\.config: Permission denied\\]");
    ::chmod(home.c_str(), 0700);
}

}  // namespace
}  // namespace platform
