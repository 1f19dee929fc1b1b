#include "platform/PlistFileDefaults.h"

#include <fcntl.h>
#include <plist/plist.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>
#include <type_traits>

namespace platform {
namespace {

namespace fs = std::filesystem;

// XML <date> keeps whole seconds only, so a Date is written as {"$date": <real seconds since 2001>}.
constexpr const char* dateKey = "$date";

struct PlistFree {
    void operator()(void* node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

plist_t toPlist(const PlistValue& value);

plist_t toPlistDictionary(const PlistValue::Dictionary& dictionary) {
    plist_t node = plist_new_dict();
    for (const auto& [key, item] : dictionary) plist_dict_set_item(node, key.c_str(), toPlist(item));
    return node;
}

plist_t toPlist(const PlistValue& value) {
    return std::visit(
        [](const auto& v) -> plist_t {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                return plist_new_bool(v ? 1 : 0);
            } else if constexpr (std::is_same_v<T, int64_t>) {
                return plist_new_uint(static_cast<uint64_t>(v));  // libplist writes it back signed
            } else if constexpr (std::is_same_v<T, double>) {
                return plist_new_real(v);
            } else if constexpr (std::is_same_v<T, std::string>) {
                return plist_new_string(v.c_str());
            } else if constexpr (std::is_same_v<T, Data>) {
                return plist_new_data(reinterpret_cast<const char*>(v.data()), v.size());
            } else if constexpr (std::is_same_v<T, Date>) {
                plist_t node = plist_new_dict();
                plist_dict_set_item(node, dateKey, plist_new_real(v.secondsSinceReferenceDate));
                return node;
            } else if constexpr (std::is_same_v<T, PlistValue::Array>) {
                plist_t node = plist_new_array();
                for (const auto& item : v) plist_array_append_item(node, toPlist(item));
                return node;
            } else {
                return toPlistDictionary(v);
            }
        },
        value.storage);
}

std::optional<PlistValue> fromPlist(plist_t node, size_t& keyCount);

std::optional<PlistValue::Dictionary> fromPlistDictionary(plist_t node, size_t& keyCount) {
    PlistValue::Dictionary out;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    bool ok = true;
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!item) {
            std::free(key);
            break;
        }
        ++keyCount;
        auto value = fromPlist(item, keyCount);
        if (value && key) out.insert_or_assign(key, std::move(*value));
        ok = ok && value && key;
        std::free(key);
    }
    std::free(it);
    if (!ok) return std::nullopt;
    return out;
}

// Counts the dictionary keys it meets, so a caller can tell whether the parser dropped any.
std::optional<PlistValue> fromPlist(plist_t node, size_t& keyCount) {
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            return PlistValue(b != 0);
        }
        case PLIST_UINT: {
            uint64_t u = 0;
            plist_get_uint_val(node, &u);
            return PlistValue(static_cast<int64_t>(u));
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            return PlistValue(d);
        }
        case PLIST_STRING: {
            char* s = nullptr;
            plist_get_string_val(node, &s);
            std::string out = s ? s : "";
            std::free(s);
            return PlistValue(std::move(out));
        }
        case PLIST_DATA: {
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &bytes, &length);
            Data out(bytes, bytes + (bytes ? length : 0));
            std::free(bytes);
            return PlistValue(std::move(out));
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            return PlistValue(Date{sec + usec / 1e6});
        }
        case PLIST_ARRAY: {
            PlistValue::Array out;
            for (uint32_t i = 0, n = plist_array_get_size(node); i < n; ++i) {
                auto item = fromPlist(plist_array_get_item(node, i), keyCount);
                if (!item) return std::nullopt;
                out.push_back(std::move(*item));
            }
            return PlistValue(std::move(out));
        }
        case PLIST_DICT: {
            auto out = fromPlistDictionary(node, keyCount);
            if (!out) return std::nullopt;
            if (out->size() == 1 && out->begin()->first == dateKey) {
                if (auto seconds = out->begin()->second.getIf<double>()) return PlistValue(Date{*seconds});
            }
            return std::optional<PlistValue>(std::in_place, std::move(*out));
        }
        default:
            return std::nullopt;
    }
}

std::string_view trimmed(std::string_view s) {
    const auto space = " \t\r\n";
    const auto first = s.find_first_not_of(space);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(space) - first + 1);
}

template <typename T>
bool parsesWhole(std::string_view s) {
    if (s.starts_with('+')) s.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    return !s.empty() && ec == std::errc() && end == s.data() + s.size();
}

// "2026-12-06T21:33:01Z", optionally with a fraction of a second.
bool isDateText(std::string_view s) {
    constexpr std::string_view shape = "dddd-dd-ddTdd:dd:dd";
    if (s.size() < shape.size() + 1 || !s.ends_with('Z')) return false;
    for (size_t i = 0; i < s.size() - 1; ++i) {
        const char want = i < shape.size() ? shape[i] : (i == shape.size() ? '.' : 'd');
        const bool ok = want == 'd' ? (s[i] >= '0' && s[i] <= '9') : s[i] == want;
        if (!ok) return false;
    }
    return s.size() != shape.size() + 2;  // a '.' needs digits after it
}

bool isBase64Text(std::string_view s) {
    for (char c : s) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                        c == '/' || c == '=' || c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!ok) return false;
    }
    return true;
}

// libplist reads a malformed integer or real as 0, a malformed date as 1970 and bad base64 as
// garbage, so the texts of those elements are checked before it parses. Counts <key> elements.
bool scalarTextsAreWellFormed(std::string_view xml, size_t& keyCount) {
    size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string_view::npos) {
        const auto rest = xml.substr(pos);
        const auto skipTo = [&](std::string_view end) {
            const auto found = xml.find(end, pos);
            return found == std::string_view::npos ? xml.size() : found + end.size();
        };
        if (rest.starts_with("<!--")) {
            pos = skipTo("-->");
            continue;
        }
        if (rest.starts_with("<![CDATA[")) {
            pos = skipTo("]]>");
            continue;
        }
        const auto close = xml.find('>', pos);
        if (close == std::string_view::npos) return true;  // truncated: the parser rejects it
        const auto tag = xml.substr(pos + 1, close - pos - 1);
        const auto name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
        pos = close + 1;
        if (name == "key") ++keyCount;
        if (name != "integer" && name != "real" && name != "date" && name != "data") continue;
        const auto text = tag.ends_with('/') ? std::string_view{} : trimmed(xml.substr(pos, xml.find('<', pos) - pos));
        const bool ok = name == "integer" ? parsesWhole<int64_t>(text)
                        : name == "real"  ? parsesWhole<double>(text)
                        : name == "date"  ? isDateText(text)
                                          : isBase64Text(text);
        if (!ok) return false;
    }
    return true;
}

// The stored dictionary, or nullopt when the text is not a sound property list holding one.
std::optional<PlistValue::Dictionary> parseDefaults(const std::string& xml) {
    size_t textKeys = 0;
    if (xml.empty() || xml.size() > UINT32_MAX || !scalarTextsAreWellFormed(xml, textKeys)) return std::nullopt;
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    PlistPtr owner(root);
    if (!root || plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
    size_t treeKeys = 0;
    auto out = fromPlistDictionary(root, treeKeys);
    if (treeKeys != textKeys) return std::nullopt;  // a key without a value, or a repeated key
    return out;
}

std::string toXml(const PlistValue::Dictionary& values) {
    PlistPtr root(toPlistDictionary(values));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    std::string out(xml ? xml : "", xml ? length : 0);
    plist_to_xml_free(xml);
    return out;
}

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Missing folders are made private (0700), as XDG asks of configuration folders.
void makeFolders(const fs::path& dir) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return;
    if (dir.has_parent_path() && dir.parent_path() != dir) makeFolders(dir.parent_path());
    ::mkdir(dir.c_str(), 0700);  // a failure shows when the temp file cannot be created
}

// Writes and syncs `bytes` into a new file at `path`; answers 0 or the errno of the failure.
int writeSynced(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return errno;
    int error = 0;
    for (size_t done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n >= 0)
            done += static_cast<size_t>(n);
        else if (errno != EINTR)
            error = errno;
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    return error;
}

void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems cannot sync a folder; the rename has happened either way
    ::close(fd);
}

void reportWriteFailure(const fs::path& file, int error) {
    std::fprintf(stderr, "tuftle: could not save defaults to %s: %s\n", file.c_str(), std::strerror(error));
}

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

}  // namespace

PlistFileDefaults::PlistFileDefaults(std::filesystem::path file, MainLoop& loop) : file_(std::move(file)), loop_(loop) {
    load();
}

PlistFileDefaults::~PlistFileDefaults() {
    flush();
}

fs::path PlistFileDefaults::standardPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const fs::path base = xdg && *xdg && fs::path(xdg).is_absolute() ? fs::path(xdg) : homeFolder() / ".config";
    return base / "tuftle" / "defaults.plist";
}

void PlistFileDefaults::load() {
    std::error_code ec;
    if (!fs::exists(file_, ec) && !ec) return;  // nothing saved yet
    std::ifstream in(file_, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.is_open() && !in.bad()) {
        if (auto values = parseDefaults(bytes)) {
            values_ = std::move(*values);
            return;
        }
    }
    in.close();

    // Never overwrite what cannot be read: keep it beside the store under a name of its own.
    const auto c = calendar::localComponents(loop_.now());
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", c.year, c.month, c.day, c.hour, c.minute, c.second);
    const fs::path base = file_.string() + ".corrupt-" + stamp;
    fs::path aside = base;
    for (int n = 2; fs::exists(aside, ec); ++n) aside = base.string() + "-" + std::to_string(n);
    fs::rename(file_, aside, ec);
    if (ec) {
        std::fprintf(
            stderr, "tuftle: defaults file %s is unreadable and could not be kept aside (%s); starting from defaults\n",
            file_.c_str(), ec.message().c_str());
        return;
    }
    movedAside_ = aside;
    std::fprintf(stderr, "tuftle: defaults file %s is unreadable; kept as %s, starting from defaults\n", file_.c_str(),
                 aside.c_str());
}

std::optional<PlistValue> PlistFileDefaults::object(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void PlistFileDefaults::set(const std::string& key, PlistValue value) {
    auto it = values_.find(key);
    if (it != values_.end() && it->second == value) return;
    values_.insert_or_assign(key, std::move(value));
    changed();
}

void PlistFileDefaults::remove(const std::string& key) {
    if (values_.erase(key) > 0) changed();
}

void PlistFileDefaults::changed() {
    dirty_ = true;
    if (pendingWrite_) return;
    pendingWrite_ = std::make_shared<char>();
    loop_.after(1.0, [this, due = std::weak_ptr<char>(pendingWrite_)] {
        if (due.expired()) return;
        pendingWrite_.reset();
        write();
    });
}

bool PlistFileDefaults::flush() {
    pendingWrite_.reset();
    return !dirty_ || write();
}

std::optional<fs::path> PlistFileDefaults::writeTempFile() const {
    makeFolders(folderOf(file_));
    fs::path temp = file_.string() + ".tmp-" + std::to_string(::getpid());
    if (const int error = writeSynced(temp, toXml(values_))) {
        ::unlink(temp.c_str());
        reportWriteFailure(file_, error);
        return std::nullopt;
    }
    return temp;
}

bool PlistFileDefaults::write() {
    const auto temp = writeTempFile();
    if (!temp) return false;
    if (::rename(temp->c_str(), file_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp->c_str());
        reportWriteFailure(file_, error);
        return false;
    }
    syncFolder(folderOf(file_));
    dirty_ = false;
    return true;
}

}  // namespace platform
