#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "TestFiles.h"

namespace fs = std::filesystem;

namespace {

const fs::path sourceFile = testfiles::sourceFile(__FILE__);
const fs::path repositoryRoot = sourceFile.parent_path().parent_path().parent_path();

using testfiles::readFile;

void skipSpace(const std::string& text, size_t& i) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
}

// The string literal that begins at `i`, which then stands past it and the space after it;
// nothing when no literal begins there or it does not end.
std::optional<std::string> literalAt(const std::string& text, size_t& i) {
    if (i >= text.size() || text[i] != '"') return std::nullopt;
    std::string literal;
    for (++i; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            literal.push_back(c == 'n' ? '\n' : c == 't' ? '\t' : c);
        } else if (text[i] == '"') {
            skipSpace(text, ++i);
            return literal;
        } else {
            literal.push_back(text[i]);
        }
    }
    return std::nullopt;
}

// The literal keys of every `L10n::t("...")` and `L10n::key("...")` call in the text. A call
// with any other argument (a variable, a concatenation) is not a key and is skipped.
std::set<std::string> literalKeys(const std::string& text) {
    std::set<std::string> keys;
    const std::string call = "L10n::";
    for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
        size_t i = at + call.size();
        const size_t name = text.compare(i, 2, "t(") == 0 ? 2 : text.compare(i, 4, "key(") == 0 ? 4 : 0;
        if (name == 0) continue;
        skipSpace(text, i += name);
        const auto key = literalAt(text, i);
        if (key && i < text.size() && text[i] == ')') keys.insert(*key);
    }
    return keys;
}

// The template text of every `Reason("...", ...)` in the text, its literal pieces joined as the
// compiler joins them: the reasons the program gives for not starting, in English.
std::set<std::string> reasonTemplates(const std::string& text) {
    std::set<std::string> templates;
    const std::string call = "Reason(";
    for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
        if (at > 0 && (std::isalnum(static_cast<unsigned char>(text[at - 1])) || text[at - 1] == '_')) continue;
        size_t i = at + call.size();
        skipSpace(text, i);
        std::string joined;
        bool any = false;
        while (const auto piece = literalAt(text, i)) {
            joined += *piece;
            any = true;
        }
        if (any) templates.insert(joined);
    }
    return templates;
}

// What `find` finds in the sources, each with a file it is in.
std::map<std::string, fs::path> inSources(const std::function<std::set<std::string>(const std::string&)>& find) {
    std::map<std::string, fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(repositoryRoot / "src")) {
        const auto ext = entry.path().extension();
        if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
        for (const auto& text : find(readFile(entry.path()))) found.emplace(text, entry.path());
    }
    return found;
}

nlohmann::json table(const std::string& language) {
    auto parsed = nlohmann::json::parse(
        readFile(repositoryRoot / "resources" / (language + ".lproj") / "Localizable.json"), nullptr, false);
    return parsed;
}

}  // namespace

TEST(LocalizationTables, scannerFindsLiteralKeysOnly) {
    auto keys = literalKeys(R"(L10n::t("在家") + L10n::t( "a \"b\"" ) + L10n::t(key) + L10n::t("x" "y") +
                               L10n::key("z") + L10n::tr("w"))");
    EXPECT_EQ(keys, (std::set<std::string>{"在家", "a \"b\"", "z"}));
}

TEST(LocalizationTables, englishTableTranslatesEveryKeyTheSourcesUse) {
    const auto english = table("en");
    ASSERT_TRUE(english.is_object()) << "en.lproj/Localizable.json is not a JSON object";

    ASSERT_TRUE(fs::is_directory(repositoryRoot / "src")) << repositoryRoot;
    const auto used = inSources(literalKeys);
    ASSERT_FALSE(used.empty());

    for (const auto& [key, file] : used) {
        auto it = english.find(key);
        EXPECT_TRUE(it != english.end() && it->is_string() && !it->get<std::string>().empty())
            << "\"" << key << "\" (used in " << fs::relative(file, repositoryRoot).string()
            << ") has no English text in resources/en.lproj/Localizable.json";
    }
}

TEST(LocalizationTables, everyTableIsAnObjectOfTexts) {
    for (const char* language : {"en", "zh-Hans"}) {
        const auto strings = table(language);
        ASSERT_TRUE(strings.is_object()) << language;
        for (const auto& [key, value] : strings.items()) EXPECT_TRUE(value.is_string()) << language << ": " << key;
    }
}

// Every text a user can be shown, in both languages, is written for this desktop: none names
// the other platform's machines, system, settings app, dock, notch, modifier keys, menu bar
// or privacy permissions, nor promises a gesture or menu this desktop's tray does not have.
TEST(LocalizationTables, noShownTextNamesAnotherPlatform) {
    const auto english = table("en");
    const auto chinese = table("zh-Hans");
    ASSERT_TRUE(english.is_object() && chinese.is_object());
    // The keys are the Chinese texts unless the Chinese table words them afresh.
    std::set<std::string> keys;
    for (const auto& [key, value] : english.items()) keys.insert(key);
    for (const auto& [key, file] : inSources(literalKeys)) keys.insert(key);
    const std::regex foreign(
        R"((^|[^A-Za-z])(mac|macbook|macos|dock|notch(ed)?|command|option key|finder|input monitoring|accessibility access|system settings|menu bar|top bar|tray menu|modifier key)([^A-Za-z]|$)|right-click: |刘海|程序坞|访达|输入监控|辅助功能|系统设置|菜单栏|顶栏|托盘菜单|修饰键|“应用程序”|^右键(喂入|吐出)$|⌘|⌥)",
        std::regex::icase);
    for (const auto& key : keys) {
        const auto zh = chinese.find(key);
        const std::string shownZh = zh != chinese.end() ? zh->get<std::string>() : key;
        EXPECT_FALSE(std::regex_search(shownZh, foreign)) << "Chinese for \"" << key << "\": " << shownZh;
        const auto en = english.find(key);
        if (en != english.end()) {
            EXPECT_FALSE(std::regex_search(en->get<std::string>(), foreign)) << "English for \"" << key << "\": " << *en;
        }
    }
}

TEST(LocalizationTables, scannerFindsEveryReasonTemplate) {
    const auto found = reasonTemplates(R"(Reason("a {0}", {x}) + Reason(
        "b "
        "c") + Reason(text) + notAReason("d") + Reason::failed(Reason("e"), 1) + Reason())");
    EXPECT_EQ(found, (std::set<std::string>{"a {0}", "b c", "e"}));
}

// Every reason the program can give for not starting has its Chinese words, with the places of
// its English and no English word left (the values that fill the places are another matter).
TEST(LocalizationTables, chineseTableWordsEveryReasonTheProgramGives) {
    const auto chinese = table("zh-Hans");
    ASSERT_TRUE(chinese.is_object());
    const auto templates = inSources(reasonTemplates);
    ASSERT_FALSE(templates.empty());
    const std::regex place(R"(\{[0-9]\})");
    const auto places = [&](const std::string& text) {
        std::set<std::string> found;
        for (std::sregex_iterator it(text.begin(), text.end(), place), end; it != end; ++it) found.insert(it->str());
        return found;
    };
    for (const auto& [english, file] : templates) {
        SCOPED_TRACE("\"" + english + "\" in " + fs::relative(file, repositoryRoot).string());
        const auto it = chinese.find(english);
        ASSERT_TRUE(it != chinese.end() && it->is_string()) << "no Chinese words in zh-Hans.lproj/Localizable.json";
        const std::string words = it->get<std::string>();
        EXPECT_EQ(places(words), places(english)) << words;
        EXPECT_FALSE(std::regex_search(std::regex_replace(words, place, ""), std::regex("[a-z]"))) << words;
    }
}
