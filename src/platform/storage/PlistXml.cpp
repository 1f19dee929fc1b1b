#include "platform/storage/PlistXml.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

namespace platform::plistxml {
namespace {

// A nested Date, since <date> keeps whole seconds only.
constexpr std::string_view dateKey = "$date";
constexpr std::string_view space = " \t\r\n";

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

template <typename T>
std::optional<T> wholeNumber(std::string_view s) {
    if (s.starts_with('+')) s.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

// Days from 1970-01-01 to a proleptic Gregorian date.
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// "2026-12-06T21:33:01Z", optionally with a fraction of a second.
std::optional<Date> dateFromText(std::string_view s) {
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:dd";
    if (s.size() < shape.size() + 1 || !s.ends_with('Z') || s.size() == shape.size() + 2) return std::nullopt;
    for (size_t i = 0; i + 1 < s.size(); ++i) {
        const char want = i < shape.size() ? shape[i] : (i == shape.size() ? '.' : 'd');
        if (want == 'd' ? (s[i] < '0' || s[i] > '9') : s[i] != want) return std::nullopt;
    }
    const auto field = [&](size_t at, size_t n) { return *wholeNumber<int>(s.substr(at, n)); };
    const int month = field(5, 2), day = field(8, 2), hour = field(11, 2), minute = field(14, 2), second = field(17, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) return std::nullopt;
    double fraction = 0;
    if (s.size() > shape.size() + 1) fraction = *wholeNumber<double>("0" + std::string(s.substr(19, s.size() - 20)));
    const int64_t days = daysFromCivil(field(0, 4), month, day);
    const double unix = static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second) + fraction;
    return Date::fromUnix(unix);
}

int base64Digit(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

std::optional<Data> base64Decoded(std::string_view s) {
    Data out;
    out.reserve(s.size() * 3 / 4);
    uint32_t bits = 0;
    int count = 0, digits = 0;
    bool padding = false;
    for (char c : s) {
        if (space.find(c) != std::string_view::npos) continue;
        if (c == '=') {
            padding = true;
            continue;
        }
        const int digit = base64Digit(c);
        if (digit < 0 || padding) return std::nullopt;
        bits = (bits << 6) | static_cast<uint32_t>(digit);
        ++digits;
        if ((count += 6) >= 8) {
            count -= 8;
            out.push_back(static_cast<uint8_t>(bits >> count));
        }
    }
    if (digits % 4 == 1) return std::nullopt;
    return out;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Text with its entity references replaced; false for an unknown reference or a character
// no string may hold (NUL among them).
bool appendUnescaped(std::string& out, std::string_view text) {
    for (size_t pos = 0; pos < text.size();) {
        const size_t amp = text.find('&', pos);
        out.append(text.substr(pos, amp - pos));
        if (amp == std::string_view::npos) break;
        const size_t semi = text.find(';', amp);
        if (semi == std::string_view::npos) return false;
        const std::string_view name = text.substr(amp + 1, semi - amp - 1);
        pos = semi + 1;
        static constexpr std::pair<std::string_view, char> named[] = {
            {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
        const auto known = std::find_if(std::begin(named), std::end(named), [&](auto& n) { return n.first == name; });
        if (known != std::end(named)) {
            out.push_back(known->second);
        } else if (name.starts_with('#')) {
            const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
            const std::string_view digits = name.substr(hex ? 2 : 1);
            uint32_t cp = 0;
            auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) return false;
            if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
            appendUtf8(out, cp);
        } else {
            return false;
        }
    }
    return true;
}

class Parser {
public:
    explicit Parser(std::string_view xml) : s_(xml) {}

    std::optional<PlistValue::Dictionary> document() {
        if (s_.find('\0') != std::string_view::npos) return std::nullopt;
        if (s_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
        if (!skipMisc()) return std::nullopt;
        Tag tag;
        const size_t start = pos_;
        if (!openTag(tag)) return std::nullopt;
        const bool wrapped = tag.name == "plist";
        if (wrapped) {
            if (tag.selfClosing || !skipMisc()) return std::nullopt;
        } else {
            pos_ = start;
        }
        auto root = value(0);
        if (!root || !root->is<PlistValue::Dictionary>()) return std::nullopt;
        if (wrapped && !(skipMisc() && closeTag("plist"))) return std::nullopt;
        if (!skipMisc() || pos_ != s_.size()) return std::nullopt;
        return std::move(std::get<PlistValue::Dictionary>(root->storage));
    }

private:
    struct Tag {
        std::string_view name;
        bool selfClosing = false;
    };

    bool at(std::string_view what) const { return s_.substr(pos_).starts_with(what); }

    bool skipPast(std::string_view end) {
        const size_t found = s_.find(end, pos_);
        if (found == std::string_view::npos) return false;
        pos_ = found + end.size();
        return true;
    }

    // Whitespace, comments, the XML declaration and the document type.
    bool skipMisc() {
        for (;;) {
            pos_ = std::min(s_.find_first_not_of(space, pos_), s_.size());
            if (at("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (at("<?")) {
                if (!skipPast("?>")) return false;
            } else if (at("<!DOCTYPE")) {
                if (!skipPast(">")) return false;
            } else {
                return true;
            }
        }
    }

    bool openTag(Tag& tag) {
        if (!at("<") || at("</")) return false;
        const size_t nameStart = pos_ + 1;
        const size_t nameEnd = std::min(s_.find_first_of(" \t\r\n/>", nameStart), s_.size());
        tag.name = s_.substr(nameStart, nameEnd - nameStart);
        pos_ = nameEnd;
        char quote = 0;
        for (; pos_ < s_.size(); ++pos_) {
            const char c = s_[pos_];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                tag.selfClosing = s_[pos_ - 1] == '/';
                ++pos_;
                return !tag.name.empty();
            }
        }
        return false;
    }

    bool closeTag(std::string_view name) {
        if (!at("</") || !s_.substr(pos_ + 2).starts_with(name)) return false;
        pos_ += 2 + name.size();
        pos_ = std::min(s_.find_first_not_of(space, pos_), s_.size());
        if (!at(">")) return false;
        ++pos_;
        return true;
    }

    // The character data of an element up to its end tag, which it consumes.
    std::optional<std::string> text(const Tag& tag) {
        std::string out;
        if (tag.selfClosing) return out;
        for (;;) {
            const size_t lt = s_.find('<', pos_);
            if (lt == std::string_view::npos || !appendUnescaped(out, s_.substr(pos_, lt - pos_))) return std::nullopt;
            pos_ = lt;
            if (at("<![CDATA[")) {
                const size_t end = s_.find("]]>", pos_);
                if (end == std::string_view::npos) return std::nullopt;
                out.append(s_.substr(pos_ + 9, end - pos_ - 9));
                pos_ = end + 3;
            } else if (at("<!--")) {
                if (!skipPast("-->")) return std::nullopt;
            } else {
                if (!closeTag(tag.name)) return std::nullopt;
                return out;
            }
        }
    }

    std::optional<PlistValue> value(int depth) {
        Tag tag;
        if (!openTag(tag)) return std::nullopt;
        const std::string_view name = tag.name;
        if (name == "dict" || name == "array") {
            if (depth >= maxDepth) return std::nullopt;
            return name == "dict" ? dictionary(tag, depth + 1) : array(tag, depth + 1);
        }
        if (name == "true" || name == "false") {
            if (!tag.selfClosing && !closeTag(name)) return std::nullopt;
            return PlistValue(name == "true");
        }
        auto content = text(tag);
        if (!content) return std::nullopt;
        if (name == "string") return std::optional<PlistValue>(std::in_place, std::move(*content));
        if (name == "data") {
            if (auto bytes = base64Decoded(*content))
                return std::optional<PlistValue>(std::in_place, std::move(*bytes));
            return std::nullopt;
        }
        const std::string_view number = trimmed(*content);
        if (name == "integer") {
            if (auto i = wholeNumber<int64_t>(number)) return PlistValue(*i);
        } else if (name == "real") {
            if (auto d = wholeNumber<double>(number)) return PlistValue(*d);
        } else if (name == "date") {
            if (auto d = dateFromText(number)) return PlistValue(*d);
        }
        return std::nullopt;
    }

    std::optional<PlistValue> dictionary(const Tag& tag, int depth) {
        std::vector<std::pair<std::string, PlistValue>> items;
        while (!tag.selfClosing) {
            if (!skipMisc()) return std::nullopt;
            if (closeTag("dict")) break;
            Tag keyTag;
            if (!openTag(keyTag) || keyTag.name != "key") return std::nullopt;
            auto key = text(keyTag);
            if (!key || !skipMisc()) return std::nullopt;
            auto item = value(depth);
            if (!item) return std::nullopt;
            items.emplace_back(std::move(*key), std::move(*item));
        }
        // Sorted first, then appended in order: files we write are sorted already, and any
        // other order costs one sort rather than a tree search per key.
        const auto byKey = [](const auto& a, const auto& b) { return a.first < b.first; };
        if (!std::is_sorted(items.begin(), items.end(), byKey)) std::sort(items.begin(), items.end(), byKey);
        PlistValue::Dictionary out;
        for (auto& [key, item] : items) {
            if (!out.empty() && out.rbegin()->first == key) return std::nullopt;  // which one was meant is unknown
            out.emplace_hint(out.end(), std::move(key), std::move(item));
        }
        if (out.size() == 1 && out.begin()->first == dateKey) {
            if (auto seconds = out.begin()->second.getIf<double>()) return PlistValue(Date{*seconds});
        }
        return std::optional<PlistValue>(std::in_place, std::move(out));
    }

    std::optional<PlistValue> array(const Tag& tag, int depth) {
        PlistValue::Array out;
        while (!tag.selfClosing) {
            if (!skipMisc()) return std::nullopt;
            if (closeTag("array")) break;
            auto item = value(depth);
            if (!item) return std::nullopt;
            out.push_back(std::move(*item));
        }
        return std::optional<PlistValue>(std::in_place, std::move(out));
    }

    std::string_view s_;
    size_t pos_ = 0;
};

void appendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out.push_back(c);
        }
    }
}

void appendBase64(std::string& out, const Data& bytes) {
    static constexpr char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = (uint32_t{bytes[i]} << 16) | (i + 1 < bytes.size() ? uint32_t{bytes[i + 1]} << 8 : 0) |
                           (i + 2 < bytes.size() ? uint32_t{bytes[i + 2]} : 0);
        out.push_back(digits[(n >> 18) & 63]);
        out.push_back(digits[(n >> 12) & 63]);
        out.push_back(i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=');
        out.push_back(i + 2 < bytes.size() ? digits[n & 63] : '=');
    }
}

void appendReal(std::string& out, double d) {
    if (std::isnan(d)) {
        out += "nan";
    } else if (std::isinf(d)) {
        out += d > 0 ? "+infinity" : "-infinity";
    } else {
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);  // the shortest text that reads back exactly
        out.append(buf, end);
    }
}

void appendValue(std::string& out, const PlistValue& value, int indent);

void appendDictionary(std::string& out, const PlistValue::Dictionary& dictionary, int indent) {
    out.append(indent, '\t');
    out += "<dict>\n";
    for (const auto& [key, item] : dictionary) {
        out.append(indent + 1, '\t');
        out += "<key>";
        appendEscaped(out, key);
        out += "</key>\n";
        appendValue(out, item, indent + 1);
    }
    out.append(indent, '\t');
    out += "</dict>\n";
}

void appendValue(std::string& out, const PlistValue& value, int indent) {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, PlistValue::Dictionary>) {
                appendDictionary(out, v, indent);
                return;
            } else if constexpr (std::is_same_v<T, Date>) {
                appendDictionary(out, {{std::string(dateKey), v.secondsSinceReferenceDate}}, indent);
                return;
            }
            out.append(indent, '\t');
            if constexpr (std::is_same_v<T, bool>) {
                out += v ? "<true/>" : "<false/>";
            } else if constexpr (std::is_same_v<T, int64_t>) {
                out += "<integer>" + std::to_string(v) + "</integer>";
            } else if constexpr (std::is_same_v<T, double>) {
                out += "<real>";
                appendReal(out, v);
                out += "</real>";
            } else if constexpr (std::is_same_v<T, std::string>) {
                out += "<string>";
                appendEscaped(out, v);
                out += "</string>";
            } else if constexpr (std::is_same_v<T, Data>) {
                out += "<data>";
                appendBase64(out, v);
                out += "</data>";
            } else if constexpr (std::is_same_v<T, PlistValue::Array>) {
                out += "<array>\n";
                for (const auto& item : v) appendValue(out, item, indent + 1);
                out.append(indent, '\t');
                out += "</array>";
            }
            out += "\n";
        },
        value.storage);
}

}  // namespace

std::optional<PlistValue::Dictionary> parse(std::string_view xml) {
    return Parser(xml).document();
}

std::string serialize(const PlistValue::Dictionary& values) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n";
    appendDictionary(out, values, 0);
    out += "</plist>\n";
    return out;
}

}  // namespace platform::plistxml
