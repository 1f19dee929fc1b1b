#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <regex>
#include <string>

#include "model/L10n.h"
#include "model/LocalizedAlert.h"
#include "platform/instance/InstanceLock.h"
#include "platform/instance/InstanceTestSupport.h"

namespace {

namespace fs = std::filesystem;
using model::AppLanguageChoice;
using model::L10n;

// A start that can take no lock at all: a file where the settings folder's parent belongs, and
// every runtime folder name in TMPDIR taken by a file. Its reason nests three deep, with paths,
// a name, a number and the system's message in it. In English it reads as standard error has
// it; in Chinese every word of it is Chinese but those values, which stay as they are.
TEST(StartFailureAlert, saysWhyInOneLanguageAroundValuesKeptAsTheyAre) {
    const platform::testing::InstanceFolders folders;
    model::testing::LanguageChoiceReset reset;
    testfiles::writeFile(folders.folder / "config", "a file where the folder belongs");
    const fs::path settingsFolder = folders.folder / "config" / "tuftle";
    const std::string first = "tuftle-" + std::to_string(::geteuid());
    for (int i = 0; i < 10; ++i) testfiles::writeFile(folders.tmp / (i ? first + "-" + std::to_string(i) : first), "");
    model::testing::EnvironmentOverride noRuntime{{"XDG_RUNTIME_DIR", nullptr}};
    const auto attempt = platform::InstanceLock::acquire(settingsFolder / "defaults.plist");
    ASSERT_FALSE(attempt.lock);

    const std::string systemMessage = std::strerror(ENOTDIR);
    const std::string runtimeProblem = (folders.tmp / first).string() + " is not a folder, and no folder named " +
                                       first + "-1 to " + first + "-9 beside it is this user's alone";
    const std::string english = "it can lock neither the settings folder " + settingsFolder.string() + " (" +
                                systemMessage + ") nor a file in a runtime folder of its own (" + runtimeProblem +
                                "), so it cannot make sure that only one copy runs";
    EXPECT_EQ(attempt.problem.english(), english);
    L10n::setAppLanguageChoice(AppLanguageChoice::english);
    EXPECT_EQ(model::startFailureAlert(attempt.problem).informativeText, "I" + english.substr(1));

    L10n::setAppLanguageChoice(AppLanguageChoice::simplifiedChinese);
    const auto alert = model::startFailureAlert(attempt.problem);
    EXPECT_EQ(alert.messageText, "栗丸无法启动");
    std::string words = alert.informativeText;
    for (const std::string& value :
         {(folders.tmp / first).string(), settingsFolder.string(), systemMessage, first + "-9", first + "-1"}) {
        const auto at = words.find(value);
        ASSERT_NE(at, std::string::npos) << value << " in " << alert.informativeText;
        words.erase(at, value.size());
    }
    EXPECT_FALSE(std::regex_search(words, std::regex("[A-Za-z]"))) << alert.informativeText;
}

}  // namespace
