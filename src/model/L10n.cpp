#include "model/L10n.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <set>

#include <nlohmann/json.hpp>

#include "platform/Services.h"
#include "platform/program/ResourceBundle.h"
#include "platform/storage/RegularFile.h"

namespace model {
namespace fs = std::filesystem;

namespace {

// A language's table is some ten kilobytes.
constexpr uint64_t kMaxTableSize = 16 << 20;

struct State {
    std::mutex mutex;
    std::optional<AppLanguageChoice> choice;
    std::optional<fs::path> bundleOverride;

    struct Table {
        fs::file_time_type modified;
        std::uintmax_t size = 0;
        std::shared_ptr<const nlohmann::json> strings;  // null when the file is no JSON object
    };
    std::map<fs::path, Table> tables;
    std::set<fs::path> unusableTablesSaid;
};

State& state() {
    static State s;
    return s;
}

std::optional<fs::path> bundleRoot() {
    {
        std::lock_guard lock(state().mutex);
        if (state().bundleOverride) return state().bundleOverride;
    }
    // Looked up once: the bundle does not move while the program runs. Without one every
    // text shows its key rather than ending the program over a missing translation.
    static const std::optional<platform::ResourceBundle> bundle = platform::ResourceBundle::find();
    if (!bundle) return std::nullopt;
    return bundle->root();
}

std::vector<std::string> bundleLocalizations() {
    auto root = bundleRoot();
    if (!root) return {};
    return platform::ResourceBundle(*root).localizations();
}

// Said once per file: the interface then shows the texts as the code has them, in Chinese,
// which is what the lookup answers for every key without a table.
void sayTableUnusable(const fs::path& file, const std::string& why) {
    {
        std::lock_guard lock(state().mutex);
        if (!state().unusableTablesSaid.insert(file).second) return;
    }
    std::fprintf(stderr, "tuftle: the texts file %s %s; the interface shows its built-in Chinese texts instead\n",
                 file.c_str(), why.c_str());
}

// The table is read again only when the file changed; the lookup itself stays uncached,
// so a changed language or bundle is honoured on the very next call.
std::shared_ptr<const nlohmann::json> loadTable(const fs::path& file) {
    std::error_code ec;
    const bool regular = fs::is_regular_file(file, ec);
    const auto modified = regular ? fs::last_write_time(file, ec) : fs::file_time_type{};
    const auto size = regular && !ec ? fs::file_size(file, ec) : 0;
    if (regular && !ec) {
        std::lock_guard lock(state().mutex);
        auto it = state().tables.find(file);
        if (it != state().tables.end() && it->second.modified == modified && it->second.size == size)
            return it->second.strings;
    } else {
        // Looked at once to say why; every text asks again.
        std::lock_guard lock(state().mutex);
        if (state().unusableTablesSaid.count(file)) return nullptr;
    }

    std::shared_ptr<const nlohmann::json> strings;
    const auto found = platform::readRegularFile(file, kMaxTableSize, platform::OversizedFile::refuse);
    std::string why = found.outcome == platform::FileRead::Outcome::missing ? "is missing" : found.why();
    if (found.ok()) {
        auto parsed = nlohmann::json::parse(found.bytes, nullptr, /*allow_exceptions=*/false);
        if (parsed.is_object())
            strings = std::make_shared<const nlohmann::json>(std::move(parsed));
        else
            why = "holds no JSON object of texts";
    }
    if (regular && !ec) {
        std::lock_guard lock(state().mutex);
        state().tables[file] = {modified, size, strings};
    }
    if (!strings) sayTableUnusable(file, why);
    return strings;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::optional<std::string> findIgnoringCase(const std::vector<std::string>& available, std::string_view code) {
    for (const auto& a : available)
        if (equalsIgnoringCase(a, code)) return a;
    return std::nullopt;
}

std::vector<std::string> splitTag(std::string_view tag) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= tag.size()) {
        size_t end = tag.find('-', start);
        if (end == std::string_view::npos) end = tag.size();
        parts.emplace_back(tag.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// "zh_TW.UTF-8@euro" as the tag "zh-TW".
std::string languageTag(std::string_view preference) {
    std::string tag(preference.substr(0, preference.find_first_of(".@")));
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

std::string_view unitWord(L10n::ProgressUnit unit, bool chinese, bool singular) {
    using U = L10n::ProgressUnit;
    switch (unit) {
        case U::minutes:
            return chinese ? "分钟" : singular ? "minute" : "minutes";
        case U::hours:
            return chinese ? "小时" : singular ? "hour" : "hours";
        case U::days:
            return chinese ? "天" : singular ? "day" : "days";
        case U::keyPresses:
            return chinese ? "次" : singular ? "key press" : "key presses";
        case U::sessions:
            return chinese ? "次" : singular ? "session" : "sessions";
    }
    return "";
}

std::string decimal(uint64_t magnitude) {
    std::string digits;
    do {
        digits.push_back(static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    std::reverse(digits.begin(), digits.end());
    return digits;
}

uint64_t magnitudeOf(int64_t n) {
    return n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
}

}  // namespace

std::string_view rawValue(AppLanguageChoice v) {
    switch (v) {
        case AppLanguageChoice::system:
            return "system";
        case AppLanguageChoice::simplifiedChinese:
            return "simplifiedChinese";
        case AppLanguageChoice::english:
            return "english";
    }
    return "";
}

std::string title(AppLanguageChoice v) {
    switch (v) {
        case AppLanguageChoice::system:
            return L10n::t("跟随系统");
        case AppLanguageChoice::simplifiedChinese:
            return "简体中文";
        case AppLanguageChoice::english:
            return "English";
    }
    return {};
}

std::optional<AppLanguageChoice> L10n::appLanguageChoice() {
    std::lock_guard lock(state().mutex);
    return state().choice;
}

void L10n::setAppLanguageChoice(std::optional<AppLanguageChoice> choice) {
    std::lock_guard lock(state().mutex);
    state().choice = choice;
}

void L10n::setBundleRootForTesting(std::optional<fs::path> root) {
    std::lock_guard lock(state().mutex);
    state().bundleOverride = std::move(root);
}

std::string L10n::language() {
    auto choice = appLanguageChoice();
    if (!choice) {
        // Before the model exists: the stored choice, read afresh on every call.
        choice = AppLanguageChoice::system;
        if (auto* defaults = platform::services().defaults)
            if (auto raw = defaults->string("appLanguageChoice"))
                choice = fromRaw<AppLanguageChoice>(*raw).value_or(AppLanguageChoice::system);
    }
    switch (*choice) {
        case AppLanguageChoice::simplifiedChinese:
            return "zh-Hans";
        case AppLanguageChoice::english:
            return "en";
        case AppLanguageChoice::system:
            break;
    }
    return systemLanguage(bundleLocalizations());
}

std::string L10n::formattingLocale() {
    return language() == "zh-Hans" ? "zh_CN" : "en_US";
}

std::string L10n::t(std::string_view key) {
    auto root = bundleRoot();
    if (!root) return std::string(key);
    auto strings = loadTable(*root / (language() + ".lproj") / "Localizable.json");
    if (!strings) return std::string(key);
    auto it = strings->find(key);
    // An empty translation would blank the interface: the key reads better.
    if (it == strings->end() || !it->is_string() || it->get_ref<const std::string&>().empty()) return std::string(key);
    return it->get<std::string>();
}

std::string L10n::minutes(int64_t n) {
    std::string fmt = language() == "zh-Hans" ? L10n::t("%d 分钟")
                      : n == 1                ? L10n::t("%d minute")
                                              : L10n::t("%d minutes");
    return format(fmt, {n});
}

std::string L10n::hours(int64_t n) {
    std::string fmt = language() == "zh-Hans" ? L10n::t("%d 小时") : n == 1 ? L10n::t("%d hour") : L10n::t("%d hours");
    return format(fmt, {n});
}

std::string L10n::number(int64_t n) {
    const std::string digits = decimal(magnitudeOf(n));
    std::string out = n < 0 ? "-" : "";
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out.push_back(',');
        out.push_back(digits[i]);
    }
    return out;
}

std::string L10n::progress(int64_t value, int64_t target, ProgressUnit unit) {
    const bool chinese = language() == "zh-Hans";
    return number(value) + " / " + number(target) + " " + std::string(unitWord(unit, chinese, target == 1));
}

std::string L10n::format(std::string_view fmt, std::initializer_list<FormatArg> args) {
    return format(fmt, std::vector<FormatArg>(args));
}

std::string L10n::format(std::string_view fmt, const std::vector<FormatArg>& args) {
    std::string out;
    size_t nextArg = 0;
    size_t i = 0;
    while (i < fmt.size()) {
        if (fmt[i] != '%') {
            out.push_back(fmt[i++]);
            continue;
        }
        const size_t start = i++;
        if (i < fmt.size() && fmt[i] == '%') {
            out.push_back('%');
            ++i;
            continue;
        }
        // %[n$][0][width][length]conversion
        std::optional<size_t> position;
        size_t j = i;
        size_t n = 0;
        while (j < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j]))) n = n * 10 + (fmt[j++] - '0');
        if (j > i && j < fmt.size() && fmt[j] == '$' && n > 0) {
            position = n - 1;
            i = j + 1;
        }
        bool zeroPad = false;
        if (i < fmt.size() && fmt[i] == '0') {
            zeroPad = true;
            ++i;
        }
        size_t width = 0;
        while (i < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[i])) && width < 1000)
            width = width * 10 + (fmt[i++] - '0');
        while (i < fmt.size() && (fmt[i] == 'l' || fmt[i] == 'h' || fmt[i] == 'q' || fmt[i] == 'z')) ++i;
        if (i >= fmt.size()) {
            out.append(fmt.substr(start));
            break;
        }
        const char conversion = fmt[i++];
        const size_t argIndex = position ? *position : nextArg;
        const bool isInteger = conversion == 'd' || conversion == 'i' || conversion == 'u';
        const bool isText = conversion == '@' || conversion == 's';
        const FormatArg* arg = argIndex < args.size() ? &args[argIndex] : nullptr;
        std::string piece;
        if (isInteger && arg && std::holds_alternative<int64_t>(*arg)) {
            const int64_t v = std::get<int64_t>(*arg);
            const std::string sign = v < 0 ? "-" : "";
            std::string digits = decimal(magnitudeOf(v));
            const size_t length = sign.size() + digits.size();
            if (length >= width)
                piece = sign + digits;
            else if (zeroPad)
                piece = sign + std::string(width - length, '0') + digits;
            else
                piece = std::string(width - length, ' ') + sign + digits;
        } else if ((isText || isInteger) && arg && std::holds_alternative<std::string>(*arg)) {
            piece = std::get<std::string>(*arg);
            if (piece.size() < width) piece.insert(0, width - piece.size(), ' ');
        } else {
            out.append(fmt.substr(start, i - start));
            continue;
        }
        out.append(piece);
        if (!position) ++nextArg;
    }
    return out;
}

std::vector<std::string> L10n::preferredLanguages() {
    std::vector<std::string> out;
    if (const char* language = std::getenv("LANGUAGE")) {
        std::string_view list(language);
        size_t start = 0;
        while (start <= list.size()) {
            size_t end = list.find(':', start);
            if (end == std::string_view::npos) end = list.size();
            if (end > start) out.emplace_back(list.substr(start, end - start));
            start = end + 1;
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* value = std::getenv(name); value && *value) out.emplace_back(value);
    return out;
}

std::optional<std::string> L10n::matchLocalization(std::string_view preference,
                                                   const std::vector<std::string>& available) {
    const std::string tag = languageTag(preference);
    if (tag.empty() || tag == "C" || tag == "POSIX") return std::nullopt;
    if (auto exact = findIgnoringCase(available, tag)) return exact;

    const auto parts = splitTag(tag);
    const std::string& lang = parts.front();
    if (equalsIgnoringCase(lang, "zh")) {
        bool traditional = false;
        bool scriptGiven = false;
        for (size_t k = 1; k < parts.size(); ++k) {
            if (equalsIgnoringCase(parts[k], "Hant"))
                traditional = scriptGiven = true;
            else if (equalsIgnoringCase(parts[k], "Hans"))
                scriptGiven = true;
        }
        if (!scriptGiven)
            for (size_t k = 1; k < parts.size(); ++k)
                if (equalsIgnoringCase(parts[k], "TW") || equalsIgnoringCase(parts[k], "HK") ||
                    equalsIgnoringCase(parts[k], "MO"))
                    traditional = true;
        // Traditional readers are not handed the simplified table: they get the fallback.
        return findIgnoringCase(available, traditional ? "zh-Hant" : "zh-Hans");
    }
    if (auto plain = findIgnoringCase(available, lang)) return plain;
    for (const auto& a : available)
        if (equalsIgnoringCase(splitTag(a).front(), lang)) return a;
    return std::nullopt;
}

std::string L10n::systemLanguage(const std::vector<std::string>& available) {
    for (const auto& preference : preferredLanguages()) {
        if (auto match = matchLocalization(preference, available)) return *match;
        // A script the bundle lacks is still the reader's choice: a vaguer "zh" after it, as
        // desktops add, must not hand a Traditional reader the simplified table.
        if (equalsIgnoringCase(splitTag(languageTag(preference)).front(), "zh")) break;
    }
    return "en";
}

}  // namespace model
