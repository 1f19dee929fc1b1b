#include <gtest/gtest.h>

#include "TestFiles.h"
#include "platform/AppendJournal.h"

using platform::FileJournal;

TEST(FileJournal, aTornOrGarbledTailReadsAsAbsentAndIsCutOffBeforeTheNextAppend) {
    const std::vector<std::pair<std::string, std::string>> tails = {
        {"torn line", "2026-01-0"},
        {"torn checksum", "2026-01-03 5 9 1f"},
        {"wrong checksum", "2026-01-03 5 9 00000000\n"},
        {"garbage then a good line", "\x01\x02\n" + FileJournal::encodeLine("2026-01-04 1 1")},
    };
    for (const auto& [name, tail] : tails) {
        testfiles::TemporaryFolder folder;
        const auto path = folder.path() / "journal";
        FileJournal journal(path);
        ASSERT_TRUE(journal.append({"2026-01-01 3 3", "2026-01-02 1 4"}));
        testfiles::writeFile(path, testfiles::readFile(path) + tail);
        FileJournal reopened(path);
        EXPECT_EQ(reopened.records(), (std::vector<std::string>{"2026-01-01 3 3", "2026-01-02 1 4"})) << name;
        ASSERT_TRUE(reopened.append({"2026-01-02 2 5"}));
        EXPECT_EQ(reopened.records().size(), 3u) << name;
        ASSERT_TRUE(reopened.clear());
        EXPECT_TRUE(FileJournal(path).records().empty()) << name;
    }
}
