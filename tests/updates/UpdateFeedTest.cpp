#include <gtest/gtest.h>

#include <functional>

#include "updates/UpdateTestSupport.h"

using nlohmann::json;
using updates::UpdateFailure;

namespace {

struct FeedCase {
    const char* name;
    std::function<void(json&)> manifest;
    std::optional<UpdateFailure> expected;
};

std::function<void(json&)> set(const char* key, json value) {
    return [=](json& m) { m[key] = value; };
}
std::function<void(json&)> url(const std::string& text) { return set("downloadURL", text); }

TEST(UpdateFeed, manifestRules) {
    const auto invalid = UpdateFailure::invalid;
    const std::string chinese4000 = [] {
        std::string s;
        for (int i = 0; i < 4000; ++i) s += "新";
        return s;
    }();
    const FeedCase cases[] = {
        {"valid", {}, std::nullopt},
        {"schema 2", set("schemaVersion", 2), invalid},
        {"other product", set("product", "com.brontel.tuftle2"), invalid},
        {"build 0", set("build", 0), invalid},
        {"build as text", set("build", "5"), invalid},
        {"build beyond int64", set("build", 18446744073709551615ull), invalid},
        {"member missing", [](json& m) { m.erase("notesEN"); }, invalid},
        {"version 1.2", set("version", "1.2"), invalid},
        {"version with 5 digits", set("version", "1.2.12345"), invalid},
        {"version with newline", set("version", "1.2.3\n"), invalid},
        {"system 2", set("minimumSystemVersion", "2"), invalid},
        {"system 2.36.1", set("minimumSystemVersion", "2.36.1"), std::nullopt},
        {"system with newline", set("minimumSystemVersion", "2.36\n"), invalid},
        {"size 0", set("size", 0), invalid},
        {"size 512 MiB", set("size", 536870912), std::nullopt},
        {"size above", set("size", 536870913), invalid},
        {"upper-case digest", [](json& m) { m["sha256"] = std::string(64, 'A'); }, invalid},
        {"digest with newline", [](json& m) { m["sha256"] = std::string(63, 'a') + "\n"; }, invalid},
        {"http", url("http://github.com/o/r/releases/download/v1/t.AppImage"), invalid},
        {"scheme upper case", url("HTTPS://github.com/o/r/releases/download/v1/t.AppImage"), invalid},
        {"user name", url("https://me@github.com/o/r/releases/download/v1/t.AppImage"), invalid},
        {"empty host", url("https:///o/r/releases/download/v1/t.AppImage"), invalid},
        {"host in other case", url("https://GitHub.com/o/r/releases/download/v1/t.AppImage"), invalid},
        {"other host", url("https://example.com/o/r/releases/download/v1/t.AppImage"), invalid},
        {"no releases path", url("https://github.com/o/r/v1/t.AppImage"), invalid},
        {"extension case", url("https://github.com/o/r/releases/download/v1/t.appimage"), invalid},
        {"port and query", url("https://github.com:443/o/r/releases/download/v1/t.AppImage?x=1"), std::nullopt},
        {"blank notes", set("notesZH", " \n\u3000\t"), invalid},
        {"notes of 12000 bytes", set("notesZH", chinese4000), std::nullopt},
        {"notes above", set("notesEN", chinese4000 + "x"), invalid},
        {"no architectures", set("architectures", json::array()), invalid},
        {"x86_64 only", set("architectures", {"x86_64"}), std::nullopt},
        {"unknown architecture", set("architectures", {"arm64", "ppc"}), invalid},
    };
    const updates::testing::FeedSigner signer;
    for (const auto& c : cases) {
        json manifest = updates::testing::manifestJson("image");
        if (c.manifest) c.manifest(manifest);
        std::optional<UpdateFailure> failure;
        try {
            updates::UpdateChecker::verifiedManifest(signer.feed(manifest), signer.publicKey);
        } catch (UpdateFailure f) {
            failure = f;
        }
        EXPECT_EQ(failure, c.expected) << c.name;
    }
}

TEST(UpdateFeed, envelope) {
    const updates::testing::FeedSigner signer, other;
    const std::string good = signer.feed(updates::testing::manifestJson("image"));
    json tampered = json::parse(good);
    tampered["payload"] = updates::testing::base64(updates::testing::manifestJson("other").dump());
    json unreadable = json::parse(good);
    unreadable["payload"] = "not*base64";
    const std::pair<std::string, std::optional<UpdateFailure>> cases[] = {
        {good + std::string(65536 - good.size(), ' '), std::nullopt},
        {good + std::string(65537 - good.size(), ' '), UpdateFailure::invalid},
        {"{\"payload\": 1}", UpdateFailure::invalid},
        {"not json", UpdateFailure::invalid},
        {unreadable.dump(), UpdateFailure::untrusted},
        {tampered.dump(), UpdateFailure::untrusted},
        {other.feed(updates::testing::manifestJson("image")), UpdateFailure::untrusted},
    };
    for (const auto& [document, expected] : cases) {
        std::optional<UpdateFailure> failure;
        try {
            updates::UpdateChecker::verifiedManifest(document, signer.publicKey);
        } catch (UpdateFailure f) {
            failure = f;
        }
        EXPECT_EQ(failure, expected) << document.substr(0, 40);
    }
}

TEST(UpdateFeed, configurationNeedsAnHttpsAddressAndA32ByteKey) {
    const auto configured = [](std::string url, std::string key) {
        return updates::UpdateConfiguration::fromInfo([&](const std::string& name) -> std::optional<std::string> {
                   return name == "TuftleUpdateFeedURL" ? url : key;
               })
            .has_value();
    };
    const std::string key32 = updates::testing::base64(std::string(32, 'k'));
    EXPECT_TRUE(configured("https://feed.example/f.json", key32));
    EXPECT_FALSE(configured("", ""));
    EXPECT_FALSE(configured("http://feed.example/f.json", key32));
    EXPECT_FALSE(configured("https://feed.example/f.json", updates::testing::base64(std::string(31, 'k'))));
    EXPECT_FALSE(configured("https://feed.example/f.json", updates::testing::base64(std::string(33, 'k'))));
    EXPECT_FALSE(configured("https://feed.example/f.json", key32 + "\n"));
}

TEST(UpdateFeed, supportsComparesVersionsByNumber) {
    const std::tuple<const char*, updates::SystemVersion, bool> cases[] = {
        {"2.36", {2, 36, 0}, true},   {"2.36.0", {2, 36, 0}, true}, {"2.36.1", {2, 36, 0}, false},
        {"2.10", {2, 9, 0}, false},   {"2.9", {2, 10, 0}, true},    {"3.0", {2, 99, 99}, false},
    };
    for (const auto& [minimum, system, expected] : cases) {
        updates::UpdateManifest manifest;
        manifest.minimumSystemVersion = minimum;
        EXPECT_EQ(manifest.supports(system), expected) << minimum;
    }
}

}  // namespace
