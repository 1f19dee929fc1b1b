#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "TestFiles.h"
#include "model/L10n.h"

namespace model::testing {

// Sets or clears environment variables for one test and puts the old values back.
class EnvironmentOverride {
public:
    EnvironmentOverride(std::initializer_list<std::pair<const char*, const char*>> values) {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            ::unsetenv(name);
        }
        for (auto [name, value] : values) {
            if (!saved_.count(name)) {
                const char* old = std::getenv(name);
                saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
            }
            if (value)
                ::setenv(name, value, 1);
            else
                ::unsetenv(name);
        }
    }
    ~EnvironmentOverride() {
        for (const auto& [name, value] : saved_) {
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
        }
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

// A resource bundle of the test's own in a temporary folder: "<lang>.lproj/Localizable.json"
// for each table given. The lookup uses it while the object lives.
class TemporaryBundle {
public:
    explicit TemporaryBundle(std::initializer_list<std::pair<const std::string, std::string>> tables) {
        for (const auto& [language, json] : tables) {
            auto folder = root() / (language + ".lproj");
            std::filesystem::create_directories(folder);
            if (!json.empty()) std::ofstream(folder / "Localizable.json") << json;
        }
        L10n::setBundleRootForTesting(root());
    }
    ~TemporaryBundle() { L10n::setBundleRootForTesting(std::nullopt); }
    const std::filesystem::path& root() const { return folder_.path(); }

private:
    testfiles::TemporaryFolder folder_{"tuftle-l10n"};
};

// Puts the cached language choice back to "not loaded" when the test ends.
struct LanguageChoiceReset {
    ~LanguageChoiceReset() { L10n::setAppLanguageChoice(std::nullopt); }
};

}  // namespace model::testing
