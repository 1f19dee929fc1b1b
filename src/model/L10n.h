#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "model/RawEnum.h"

namespace model {

// The user's choice of interface language.
enum class AppLanguageChoice { system, simplifiedChinese, english };

std::string_view rawValue(AppLanguageChoice v);
// The picker title: the system entry in the current language, the others never translated.
std::string title(AppLanguageChoice v);

template <>
struct EnumCases<AppLanguageChoice> {
    static constexpr std::array values{AppLanguageChoice::system, AppLanguageChoice::simplifiedChinese,
                                       AppLanguageChoice::english};
};

// Text lookup by its Simplified Chinese key in the "Localizable" table of the interface
// language, and formatting of numbers and units. Formatting never consults the process's
// C or C++ locale: separators and plural rules are written out here.
class L10n {
public:
    enum class ProgressUnit { minutes, hours, days, keyPresses, sessions };

    // Posted (no object) after the interface language changed and is already in effect.
    static constexpr const char* tuftleLanguageDidChange = "TuftleLanguageDidChange";

    // The cached choice; nullopt until the model has loaded it. While it is unset each call
    // reads "appLanguageChoice" from the installed defaults store again.
    static std::optional<AppLanguageChoice> appLanguageChoice();
    static void setAppLanguageChoice(std::optional<AppLanguageChoice> choice);

    // The lproj code in effect, normally "zh-Hans" or "en".
    static std::string language();
    // The text for a Simplified Chinese key; the key itself when no translation is found.
    static std::string t(std::string_view key);
    // Marks a key kept in a table for a later t(); the key check of the tests finds it.
    static constexpr std::string_view key(std::string_view k) { return k; }

    static std::string minutes(int64_t n);
    static std::string hours(int64_t n);
    // The integer with "," between groups of three digits ("12,345").
    static std::string number(int64_t n);
    // "1,500 / 5,000 key presses".
    static std::string progress(int64_t value, int64_t target, ProgressUnit unit);
    // "zh_CN" when the language is "zh-Hans", "en_US" otherwise.
    static std::string formattingLocale();

    // Fills a printf-style format: %d %i %u (with l/ll/h/q/z length and 0-padded width) take
    // an integer, %@ and %s a text, %% is a percent sign, and "%2$@" picks an argument by
    // position. Integers are not grouped; an integer specifier given a text takes it as it
    // is, for a number the caller wrote out as the page beside it shows it. A specifier
    // without a matching argument is kept as written: a translated format can never read past
    // its arguments.
    using FormatArg = std::variant<int64_t, std::string>;
    static std::string format(std::string_view format, std::initializer_list<FormatArg> args);
    static std::string format(std::string_view format, const std::vector<FormatArg>& args);

    // The system rule: the first of the desktop's preferred languages that one of the
    // `available` localisations serves, else "en". The first Chinese preference decides for
    // Chinese: one the bundle does not serve (Traditional) gives "en", whatever follows it.
    static std::string systemLanguage(const std::vector<std::string>& available);
    // LANGUAGE (a colon list), then LC_ALL, LC_MESSAGES and LANG, as the desktop sets them.
    static std::vector<std::string> preferredLanguages();
    // The localisation of `available` that serves one preference such as "zh_CN.UTF-8",
    // "en_GB" or "zh-Hans"; nullopt when none does.
    static std::optional<std::string> matchLocalization(std::string_view preference,
                                                        const std::vector<std::string>& available);

    // Tests point the lookup at a bundle folder of their own; nullopt restores the process's.
    static void setBundleRootForTesting(std::optional<std::filesystem::path> root);
};

}  // namespace model
