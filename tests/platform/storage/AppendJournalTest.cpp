#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <functional>
#include <tuple>

#include "TestFiles.h"
#include "platform/storage/AppendJournal.h"

using platform::FileJournal;
namespace fs = std::filesystem;

using Records = std::vector<std::string>;

TEST(FileJournal, aTornOrGarbledRecordReadsAsAbsentAndATornTailIsCutOffBeforeTheNextAppend) {
    const std::vector<std::tuple<std::string, std::string, Records>> tails = {
        {"torn line", "2026-01-0", {}},
        {"torn checksum", "2026-01-03 5 9 1f", {}},
        {"wrong checksum", "2026-01-03 5 9 00000000\n", {}},
        {"garbage then a good line", "\x01\x02\n" + FileJournal::encodeLine("2026-01-04 1 1"), {"2026-01-04 1 1"}},
        {"a good line then a torn one", FileJournal::encodeLine("2026-01-04 2 2") + "2026-01-04 3", {"2026-01-04 2 2"}},
    };
    for (const auto& [name, tail, after] : tails) {
        testfiles::TemporaryFolder folder;
        const auto path = folder.path() / "journal";
        FileJournal journal(path);
        ASSERT_TRUE(journal.append({"2026-01-01 3 3", "2026-01-02 1 4"}));
        testfiles::writeFile(path, testfiles::readFile(path) + tail);
        Records expected{"2026-01-01 3 3", "2026-01-02 1 4"};
        expected.insert(expected.end(), after.begin(), after.end());
        FileJournal reopened(path);
        EXPECT_EQ(reopened.records(), expected) << name;
        ASSERT_TRUE(reopened.append({"2026-01-02 2 5"}));
        expected.push_back("2026-01-02 2 5");
        EXPECT_EQ(reopened.records(), expected) << name;
        ASSERT_TRUE(reopened.clear());
        EXPECT_TRUE(FileJournal(path).records().empty()) << name;
    }
}

TEST(FileJournal, aWriteThatFailsHalfWayIsCutOffByTheNextAppend) {
    testfiles::TemporaryFolder folder;
    const auto path = folder.path() / "journal";
    FileJournal journal(path);
    ASSERT_TRUE(journal.append({"2026-01-01 3 3"}));
    // The file may grow by a few bytes only: the next write stops in the middle of its line.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = fs::file_size(path) + 5;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = journal.append({"2026-01-02 4 7"});
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    ASSERT_FALSE(written);
    ASSERT_GT(fs::file_size(path), FileJournal::encodeLine("2026-01-01 3 3").size()) << "a torn line is on disk";

    ASSERT_TRUE(journal.append({"2026-01-02 5 8"}));
    EXPECT_EQ(FileJournal(path).records(), (Records{"2026-01-01 3 3", "2026-01-02 5 8"}));
}

TEST(FileJournal, aLinkedJournalIsWrittenWhereTheLinkLeadsAndStaysALink) {
    testfiles::TemporaryFolder folder;
    const auto target = folder.path() / "dotfiles" / "keys.journal";
    const auto link = folder.path() / "config" / "journal";
    fs::create_directories(target.parent_path());
    fs::create_directories(link.parent_path());
    fs::create_symlink(target, link);
    for (const char* record : {"2026-01-01 1 1", "2026-01-01 2 2"}) {
        FileJournal journal(link);
        ASSERT_TRUE(journal.append({record})) << record;
    }
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(FileJournal(link).records(), (Records{"2026-01-01 1 1", "2026-01-01 2 2"}));
    ASSERT_TRUE(FileJournal(link).clear());
    EXPECT_EQ(fs::file_size(target), 0u);
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST(FileJournal, whateverLiesAtItsPathTheJournalAnswersAtOnceAndLeavesWhatIsNoFileAlone) {
    const std::string last = FileJournal::encodeLine("2026-01-02 5 9");
    // Larger than what is read: only its end is, and its last record counts.
    const auto huge = [&](const fs::path& path) {
        testfiles::writeFile(path, FileJournal::encodeLine("2026-01-01 1 1"));
        fs::resize_file(path, (2ull << 30) - 100);
        std::ofstream(path, std::ios::app | std::ios::binary) << "\n" << last;
    };
    const std::vector<std::tuple<std::string, std::function<void(const fs::path&)>, Records, bool>> cases = {
        {"folder", [](const fs::path& p) { fs::create_directories(p); }, {}, false},
        {"FIFO", [](const fs::path& p) { ::mkfifo(p.c_str(), 0600); }, {}, false},
        {"link to a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, {}, false},
        {"read error", [](const fs::path& p) { fs::create_symlink("/proc/self/mem", p); }, {}, false},
        {"2 GB, sparse", huge, {"2026-01-02 5 9"}, true},
    };
    for (const auto& [what, make, records, usable] : cases) {
        SCOPED_TRACE(what);
        testfiles::TemporaryFolder folder;
        const auto path = folder.path() / "journal";
        make(path);
        const auto before = fs::symlink_status(path).type();
        ::testing::internal::CaptureStderr();
        FileJournal journal(path);
        EXPECT_EQ(journal.records(), records);
        EXPECT_EQ(journal.recordsReadable(), usable) << "no records is not the same as none read";
        EXPECT_EQ(journal.append({"2026-01-03 1 10"}), usable);
        EXPECT_EQ(journal.clear(), usable);
        journal.records();
        const std::string said = ::testing::internal::GetCapturedStderr();
        if (usable) {
            EXPECT_EQ(said, "");
            continue;
        }
        EXPECT_EQ(said.find("left as it is"), said.rfind("left as it is")) << "said once: " << said;
        EXPECT_NE(said.find(journal.path().string()), std::string::npos) << said;
        EXPECT_EQ(fs::symlink_status(path).type(), before);
    }
}

TEST(FileJournal, aJournalFileRemovedOrReplacedBetweenAppendsGetsTheNextRecords) {
    // The journal keeps its file open between writes: records must reach the file at the path.
    const Records first{"2026-01-01 4 4"}, next{"2026-01-02 1 5"}, both{"2026-01-01 4 4", "2026-01-02 1 5"};
    const std::vector<std::tuple<std::string, std::function<void(const fs::path&)>, Records>> cases = {
        {"removed", [](const fs::path& p) { fs::remove(p); }, next},
        {"replaced", [](const fs::path& p) { fs::copy_file(p, p.string() + ".new"), fs::rename(p.string() + ".new", p); },
         both},
        {"left alone", [](const fs::path&) {}, both},
    };
    for (const auto& [what, change, expected] : cases) {
        testfiles::TemporaryFolder folder;
        const auto path = folder.path() / "journal";
        FileJournal journal(path);
        ASSERT_TRUE(journal.append(first) && journal.sync()) << what;
        change(path);
        ASSERT_TRUE(journal.append(next) && journal.sync()) << what;
        EXPECT_EQ(FileJournal(path).records(), expected) << what;
    }
}
