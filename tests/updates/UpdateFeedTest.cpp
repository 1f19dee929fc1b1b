#include <gtest/gtest.h>

#include "updates/UpdateTestSupport.h"

using nlohmann::json;
using updates::UpdateFailure;

namespace {

std::optional<UpdateFailure> verify(const std::string& document, const std::vector<unsigned char>& key) {
    try {
        updates::UpdateChecker::verifiedManifest(document, key);
    } catch (UpdateFailure f) {
        return f;
    }
    return std::nullopt;
}

TEST(UpdateFeed, manifestRules) {
    const auto invalid = std::optional(UpdateFailure::invalid), valid = std::optional<UpdateFailure>();
    std::string chinese4000;
    for (int i = 0; i < 4000; ++i) chinese4000 += "新";
    const std::string path = "/o/r/releases/download/v1/t.AppImage";
    const std::tuple<const char*, json, std::optional<UpdateFailure>> cases[] = {
        {"schemaVersion", 2, invalid}, {"product", "com.brontel.tuftle2", invalid}, {"build", 0, invalid},
        {"build", "5", invalid}, {"build", 18446744073709551615ull, invalid}, {"notesEN", nullptr, invalid},
        {"version", "1.2", invalid}, {"version", "1.2.12345", invalid}, {"version", "1.2.3\n", invalid},
        {"minimumSystemVersion", "2", invalid}, {"minimumSystemVersion", "2.36.1", valid},
        {"minimumSystemVersion", "2.36\n", invalid}, {"size", 0, invalid}, {"size", 536870912, valid},
        {"size", 536870913, invalid}, {"sha256", std::string(64, 'A'), invalid},
        {"sha256", std::string(63, 'a') + "\n", invalid}, {"downloadURL", "http://github.com" + path, invalid},
        {"downloadURL", "HTTPS://github.com" + path, invalid}, {"downloadURL", "https://me@github.com" + path, invalid},
        {"downloadURL", "https://" + path, invalid}, {"downloadURL", "https://GitHub.com" + path, invalid},
        {"downloadURL", "https://example.com" + path, invalid}, {"downloadURL", "https://github.com/v1/t.AppImage", invalid},
        {"downloadURL", "https://github.com/releases/download/t.appimage", invalid},
        {"downloadURL", "https://github.com:443" + path + "?x=1", valid}, {"notesZH", " \n\u3000\t", invalid},
        {"notesZH", chinese4000, valid}, {"notesEN", chinese4000 + "x", invalid},
        {"architectures", json::array(), invalid}, {"architectures", {"x86_64"}, valid},
        {"architectures", {"arm64", "ppc"}, invalid},
    };
    const updates::testing::FeedSigner signer;
    for (const auto& [key, value, expected] : cases) {
        json manifest = updates::testing::manifestJson("image");
        value.is_null() ? (void)manifest.erase(key) : (void)(manifest[key] = value);
        EXPECT_EQ(verify(signer.feed(manifest), signer.publicKey), expected) << key << " " << value;
    }
}

TEST(UpdateFeed, envelope) {
    const updates::testing::FeedSigner signer, other;
    const std::string good = signer.feed(updates::testing::manifestJson("image"));
    json tampered = json::parse(good), unreadable = tampered;
    tampered["payload"] = updates::testing::base64(updates::testing::manifestJson("other").dump());
    unreadable["payload"] = "not*base64";
    const std::pair<std::string, std::optional<UpdateFailure>> cases[] = {
        {good + std::string(65536 - good.size(), ' '), std::nullopt},
        {good + std::string(65537 - good.size(), ' '), UpdateFailure::invalid},
        {"{\"payload\": 1}", UpdateFailure::invalid}, {"not json", UpdateFailure::invalid},
        {unreadable.dump(), UpdateFailure::untrusted}, {tampered.dump(), UpdateFailure::untrusted},
        {other.feed(updates::testing::manifestJson("image")), UpdateFailure::untrusted},
    };
    for (const auto& [document, expected] : cases) EXPECT_EQ(verify(document, signer.publicKey), expected) << document;
}

TEST(UpdateFeed, configurationAndSystemVersions) {
    const auto key = [](size_t n) { return updates::testing::base64(std::string(n, 'k')); };
    for (const auto& [url, key, expected] : {std::tuple{"https://f.example/f", key(32), true}, {"", key(32), false},
                                             {"http://f.example/f", key(32), false}, {"https://f.example/f", key(31), false},
                                             {"https://f.example/f", key(33), false}}) {
        const auto info = [&](const std::string& name) { return std::optional<std::string>(name == "TuftleUpdateFeedURL" ? url : key); };
        EXPECT_EQ(updates::UpdateConfiguration::fromInfo(info).has_value(), expected) << url << key;
    }
    updates::UpdateManifest m;
    for (const auto& [minimum, system, expected] : {std::tuple{"2.36", updates::SystemVersion{2, 36, 0}, true},
                                                    {"2.36.1", {2, 36, 0}, false}, {"2.10", {2, 9, 0}, false}})
        EXPECT_EQ((m.minimumSystemVersion = minimum, m.supports(system)), expected) << minimum;
}

}  // namespace
