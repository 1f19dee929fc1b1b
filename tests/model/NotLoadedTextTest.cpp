#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <string>

#include "TestFiles.h"
#include "model/L10n.h"
#include "model/L10nTestSupport.h"
#include "model/LocalizedAlert.h"
#include "platform/program/ModuleFile.h"

// Written at build time for the test's modules, as for the program's.
namespace app::modules {
std::string_view builtModuleIdentity(std::string_view file);
}

namespace {

namespace fs = std::filesystem;
using model::AppLanguageChoice;
using model::L10n;

// Each way a module's file is refused, said in the window in its place: in English as standard
// error has it, in Chinese with no English word but the file's name.
TEST(NotLoadedText, aRefusedModuleIsExplainedInTheInterfaceLanguage) {
    model::testing::LanguageChoiceReset reset;
    const fs::path thisBuild = TUFTLE_TEST_MODULE_A;
    const std::string thisBuildId(app::modules::builtModuleIdentity(thisBuild.filename().string()));
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* english;
    } cases[] = {
        {"another build", [](const fs::path& f) { fs::copy_file(TUFTLE_TEST_MODULE_B, f); }, "is from another build"},
        {"cut short",
         [&](const fs::path& f) { testfiles::writeFile(f, testfiles::readFile(thisBuild).substr(0, 4096)); },
         "is cut short or damaged (4096 bytes)"},
        {"a folder", [](const fs::path& f) { fs::create_directory(f); }, "is a folder, not a file"},
        {"a FIFO", [](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }, "is not a regular file"},
        {"missing", [](const fs::path&) {}, "is missing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testfiles::TemporaryFolder folder;
        const fs::path file = folder / "tuftle-windows.so";
        c.make(file);
        platform::ModuleFile module(file.string(), thisBuildId, platform::ModuleFile::Symbols::local);
        ASSERT_EQ(module.symbol("tuftleTestAnswer"), nullptr);
        EXPECT_EQ(module.error().english(), file.string() + " " + c.english);

        L10n::setAppLanguageChoice(AppLanguageChoice::english);
        EXPECT_EQ(model::notLoadedText("Settings", module.error()),
                  "Settings could not be loaded: " + file.string() + " " + c.english +
                      ". If Tuftle was just updated, restart it to finish the update.");

        L10n::setAppLanguageChoice(AppLanguageChoice::simplifiedChinese);
        std::string words = model::notLoadedText(L10n::t("设置窗口"), module.error());
        const auto at = words.find(file.string());
        ASSERT_NE(at, std::string::npos) << words;
        words.erase(at, file.string().size());
        EXPECT_FALSE(std::regex_search(words, std::regex("[A-Za-z]"))) << words;
    }
}

}  // namespace
