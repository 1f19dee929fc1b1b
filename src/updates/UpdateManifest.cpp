#include <sodium.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>

#include "model/L10n.h"
#include "updates/UpdateChecker.h"

namespace updates {
namespace {

using model::L10n;
using nlohmann::json;

constexpr std::string_view kProduct = "com.brontel.tuftle";
constexpr int64_t kMaximumImageBytes = 536870912;  // 512 MiB
constexpr size_t kMaximumNotesBytes = 12000;

[[noreturn]] void fail(UpdateFailure failure) { throw failure; }

// An address split as written: nothing is lower-cased, decoded or completed.
struct UrlParts {
    std::string_view scheme;
    bool hasAuthority = false;
    bool hasUserInfo = false;
    std::string_view host;
    std::string_view path;
};

bool isSchemeCharacter(char c, bool first) {
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return alpha || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

std::optional<UrlParts> parseUrl(std::string_view text) {
    for (unsigned char c : text)
        if (c <= 0x20 || c >= 0x7f || std::string_view("\"<>\\^`{|}").find(static_cast<char>(c)) != std::string_view::npos)
            return std::nullopt;
    const size_t colon = text.find(':');
    if (colon == 0 || colon == std::string_view::npos) return std::nullopt;
    UrlParts parts;
    parts.scheme = text.substr(0, colon);
    for (size_t i = 0; i < parts.scheme.size(); ++i)
        if (!isSchemeCharacter(parts.scheme[i], i == 0)) return std::nullopt;
    std::string_view rest = text.substr(colon + 1);
    if (rest.substr(0, 2) == "//") {
        parts.hasAuthority = true;
        rest.remove_prefix(2);
        const size_t end = std::min(rest.find_first_of("/?#"), rest.size());
        std::string_view authority = rest.substr(0, end);
        rest.remove_prefix(end);
        if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
            parts.hasUserInfo = true;
            authority.remove_prefix(at + 1);
        }
        size_t hostEnd = authority.size();
        if (!authority.empty() && authority.front() == '[') {
            hostEnd = authority.find(']');
            if (hostEnd == std::string_view::npos) return std::nullopt;
            ++hostEnd;
        } else if (const size_t portColon = authority.find(':'); portColon != std::string_view::npos) {
            hostEnd = portColon;
        }
        parts.host = authority.substr(0, hostEnd);
        std::string_view port = authority.substr(hostEnd);
        if (!port.empty() && (port.front() != ':' ||
                              !std::all_of(port.begin() + 1, port.end(), [](char c) { return c >= '0' && c <= '9'; })))
            return std::nullopt;
    }
    parts.path = rest.substr(0, std::min(rest.find_first_of("?#"), rest.size()));
    return parts;
}

// `minParts` to `maxParts` runs of 1 to `digits` ASCII digits joined by single dots, and nothing
// else: no sign, space or line break anywhere.
bool isDottedNumber(std::string_view text, int minParts, int maxParts, size_t digits) {
    int parts = 0;
    size_t start = 0;
    while (true) {
        const size_t dot = std::min(text.find('.', start), text.size());
        const std::string_view part = text.substr(start, dot - start);
        if (part.empty() || part.size() > digits || ++parts > maxParts ||
            !std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return false;
        if (dot == text.size()) return parts >= minParts;
        start = dot + 1;
    }
}

// Whether valid UTF-8 text holds nothing but Unicode white space and line breaks.
bool isBlank(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xe0 ? 2 : lead < 0xf0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7f >> length);
        for (size_t k = 1; k < length && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3f);
        i += length;
        const bool space = (c >= 0x09 && c <= 0x0d) || c == 0x20 || c == 0x85 || c == 0xa0 || c == 0x1680 ||
                           (c >= 0x2000 && c <= 0x200a) || c == 0x2028 || c == 0x2029 || c == 0x202f ||
                           c == 0x205f || c == 0x3000;
        if (!space) return false;
    }
    return true;
}

std::optional<std::vector<unsigned char>> decodeBase64(std::string_view text) {
    std::vector<unsigned char> bytes(text.size() / 4 * 3 + 3);
    size_t length = 0;
    const char* end = nullptr;
    if (sodium_base642bin(bytes.data(), bytes.size(), text.data(), text.size(), nullptr, &length, &end,
                          sodium_base64_VARIANT_ORIGINAL) != 0 ||
        end != text.data() + text.size())
        return std::nullopt;
    bytes.resize(length);
    return bytes;
}

const json& member(const json& object, const char* key) {
    const auto it = object.find(key);
    if (it == object.end()) fail(UpdateFailure::invalid);
    return *it;
}

std::string stringMember(const json& object, const char* key) {
    const json& value = member(object, key);
    if (!value.is_string()) fail(UpdateFailure::invalid);
    return value.get<std::string>();
}

int64_t integerMember(const json& object, const char* key) {
    const json& value = member(object, key);
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(std::numeric_limits<int64_t>::max())))
        fail(UpdateFailure::invalid);
    return value.get<int64_t>();
}

json parseObject(std::string_view bytes) {
    json document = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (!document.is_object()) fail(UpdateFailure::invalid);
    return document;
}

UpdateManifest decodeManifest(std::string_view bytes) {
    const json object = parseObject(bytes);
    UpdateManifest m;
    m.schemaVersion = integerMember(object, "schemaVersion");
    m.product = stringMember(object, "product");
    m.version = stringMember(object, "version");
    m.build = integerMember(object, "build");
    m.minimumSystemVersion = stringMember(object, "minimumSystemVersion");
    m.downloadURL = stringMember(object, "downloadURL");
    if (!parseUrl(m.downloadURL)) fail(UpdateFailure::invalid);
    m.sha256 = stringMember(object, "sha256");
    m.size = integerMember(object, "size");
    m.notesZH = stringMember(object, "notesZH");
    m.notesEN = stringMember(object, "notesEN");
    const json& architectures = member(object, "architectures");
    if (!architectures.is_array()) fail(UpdateFailure::invalid);
    for (const json& name : architectures) {
        if (!name.is_string()) fail(UpdateFailure::invalid);
        m.architectures.push_back(name.get<std::string>());
    }
    return m;
}

}  // namespace

std::string UpdateManifest::json() const {
    return nlohmann::json{{"schemaVersion", schemaVersion},
                          {"product", product},
                          {"version", version},
                          {"build", build},
                          {"minimumSystemVersion", minimumSystemVersion},
                          {"downloadURL", downloadURL},
                          {"sha256", sha256},
                          {"size", size},
                          {"notesZH", notesZH},
                          {"notesEN", notesEN},
                          {"architectures", architectures}}
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

UpdateManifest UpdateManifest::fromJSON(std::string_view bytes) {
    return decodeManifest(bytes);
}

bool UpdateManifest::isHTTPS(std::string_view url) {
    const auto parts = parseUrl(url);
    return parts && parts->scheme == "https" && parts->hasAuthority && !parts->host.empty() && !parts->hasUserInfo;
}

void UpdateManifest::validate(const UpdateRules& rules) const {
    const auto check = [](bool holds) {
        if (!holds) fail(UpdateFailure::invalid);
    };
    check(schemaVersion == 1);
    check(product == kProduct);
    check(build >= 1);
    check(isDottedNumber(version, 3, 3, 4));
    check(isDottedNumber(minimumSystemVersion, 2, 3, 3));
    check(size >= 1 && size <= kMaximumImageBytes);
    check(sha256.size() == 64 && std::all_of(sha256.begin(), sha256.end(), [](char c) {
              return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
          }));
    check(isHTTPS(downloadURL));
    const auto url = parseUrl(downloadURL);
    check(url->host == rules.downloadHost);
    check(url->path.find("/releases/download/") != std::string_view::npos);
    const std::string_view name = url->path.substr(url->path.rfind('/') + 1);
    const size_t dot = name.rfind('.');
    check(dot != std::string_view::npos && dot > 0 && name.substr(dot + 1) == rules.artifactExtension);
    check(notesZH.size() <= kMaximumNotesBytes && notesEN.size() <= kMaximumNotesBytes);
    check(!isBlank(notesZH) && !isBlank(notesEN));
    check(!architectures.empty() && std::all_of(architectures.begin(), architectures.end(), [](const std::string& a) {
              return a == "arm64" || a == "x86_64";
          }));
}

bool UpdateManifest::supports(SystemVersion system) const {
    const std::string text =
        std::to_string(system.major) + "." + std::to_string(system.minor) + "." + std::to_string(system.patch);
    return compareNumerically(minimumSystemVersion, text) <= 0;
}

int compareNumerically(std::string_view a, std::string_view b) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            while (i < a.size() && a[i] == '0' && i + 1 < a.size() && isDigit(a[i + 1])) ++i;
            while (j < b.size() && b[j] == '0' && j + 1 < b.size() && isDigit(b[j + 1])) ++j;
            size_t ie = i, je = j;
            while (ie < a.size() && isDigit(a[ie])) ++ie;
            while (je < b.size() && isDigit(b[je])) ++je;
            if (ie - i != je - j) return ie - i < je - j ? -1 : 1;
            if (const int c = a.substr(i, ie - i).compare(b.substr(j, je - j)); c != 0) return c < 0 ? -1 : 1;
            i = ie;
            j = je;
        } else {
            if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            ++i;
            ++j;
        }
    }
    return i < a.size() ? 1 : j < b.size() ? -1 : 0;
}

UpdateManifest UpdateChecker::verifiedManifest(std::string_view data, const std::vector<unsigned char>& publicKey,
                                               const UpdateRules& rules) {
    if (data.size() > maximumFeedBytes) fail(UpdateFailure::invalid);
    const json envelope = parseObject(data);
    const std::string payloadText = stringMember(envelope, "payload");
    const std::string signatureText = stringMember(envelope, "signature");
    const auto payload = decodeBase64(payloadText);
    const auto signature = decodeBase64(signatureText);
    if (!payload || !signature || sodium_init() < 0) fail(UpdateFailure::untrusted);
    if (publicKey.size() != crypto_sign_PUBLICKEYBYTES || signature->size() != crypto_sign_BYTES ||
        crypto_sign_verify_detached(signature->data(), payload->data(), payload->size(), publicKey.data()) != 0)
        fail(UpdateFailure::untrusted);
    UpdateManifest manifest = UpdateManifest::fromJSON({reinterpret_cast<const char*>(payload->data()), payload->size()});
    manifest.validate(rules);
    return manifest;
}

std::optional<UpdateConfiguration> UpdateConfiguration::fromInfo(const InfoLookup& info) {
    const auto url = info("TuftleUpdateFeedURL");
    const auto key = info("TuftleUpdatePublicKey");
    if (!url || !UpdateManifest::isHTTPS(*url) || !key) return std::nullopt;
    auto bytes = decodeBase64(*key);
    if (!bytes || bytes->size() != crypto_sign_PUBLICKEYBYTES) return std::nullopt;
    return UpdateConfiguration{*url, std::move(*bytes)};
}

std::string title(UpdateFailure failure) {
    switch (failure) {
        case UpdateFailure::network: return L10n::t("检查失败，请稍后重试");
        case UpdateFailure::untrusted: return L10n::t("更新验证未通过，请稍后重试。");
        case UpdateFailure::invalid: return L10n::t("更新信息暂时不可用，请稍后重试。");
        case UpdateFailure::incompatible: return L10n::t("此更新需要更新版本的系统。");
        case UpdateFailure::hardware: return L10n::t("此安装包不支持这台电脑的处理器。");
        case UpdateFailure::download: return L10n::t("下载未完成或验证失败，请重新下载。");
    }
    return {};
}

std::string title(const UpdateCheckResult& result) {
    using Kind = UpdateCheckResult::Kind;
    switch (result.kind) {
        case Kind::available:
            return L10n::format(L10n::t("发现新版本 %@"), {result.manifest ? result.manifest->version : std::string()});
        case Kind::failed: return title(result.failure.value_or(UpdateFailure::network));
        case Kind::checking: return L10n::t("正在检查更新…");
        case Kind::current: return L10n::t("已是最新版");
        case Kind::notConfigured: return L10n::t("尚未配置公开更新源");
    }
    return {};
}

}  // namespace updates
