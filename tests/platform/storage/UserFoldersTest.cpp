#include "platform/storage/UserFolders.h"

#include <gtest/gtest.h>

#include <functional>

#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

bool there(const fs::path& p) {
    std::error_code ec;
    return fs::symlink_status(p, ec).type() != fs::file_type::not_found;
}

}  // namespace

// The folder is <home>/.config/tuftle; <home> is always there.
TEST(UserFoldersTest, foldersMadeForAStartThatEndsEarlyGoWhileEmptyAndNothingElseDoes) {
    using Step = std::function<void(const fs::path& folder)>;
    const Step nothing = [](const fs::path&) {};
    const Step makeIt = [](const fs::path& f) { fs::create_directories(f); };
    const Step makeParent = [](const fs::path& f) { fs::create_directories(f.parent_path()); };
    const struct {
        const char* situation;
        Step before;  // what is there as the start begins
        Step during;  // what the start and others do meanwhile
        bool folderRemains, parentRemains;
    } cases[] = {
        {"both made by a start that ends", nothing, makeIt, false, false},
        {"the folder made by a start that ends", makeParent, makeIt, false, true},
        {"there before a start that ends", makeIt, nothing, true, true},
        {"made, and a file put in the folder", nothing,
         [](const fs::path& f) { testfiles::writeFile(f / "defaults.plist", "kept"); }, true, true},
        {"made, and a file put beside the folder", nothing,
         [](const fs::path& f) {
             fs::create_directories(f);
             testfiles::writeFile(f.parent_path() / "other.conf", "kept");
         },
         false, true},
    };
    for (const auto& c : cases) {
        testfiles::TemporaryFolder home{"tuftle-folders"};
        const fs::path folder = home / ".config" / "tuftle";
        c.before(folder);
        const platform::FolderMadeForStart made(folder);
        c.during(folder);
        made.takeAway();
        EXPECT_EQ(there(folder), c.folderRemains) << c.situation;
        EXPECT_EQ(there(folder.parent_path()), c.parentRemains) << c.situation;
    }
}
