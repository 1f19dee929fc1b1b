#include "platform/storage/PlistXml.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

// The dictionary {key: <string>text</string>} as read from the file, or nullopt when refused.
std::optional<PlistValue::Dictionary> readString(const std::string& key, const std::string& text) {
    return plistxml::parse("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>" + key + "</key><string>" + text +
                           "</string></dict></plist>");
}

// Character references read as XML readers read them; an ampersand that starts no reference
// makes the file damaged (kept aside by the store), never a shorter string.
TEST(PlistXml, referencesAreDecodedAndABareAmpersandIsDamage) {
    struct Case {
        std::string text;
        std::optional<std::string> read;  // nullopt: damaged
    };
    const std::vector<Case> cases = {
        {"a&#38;b", "a&b"},
        {"a&#x26;b", "a&b"},
        {"&#60;tag&#62; &#9;", "<tag> \t"},
        {"&#x4E2D;&#25991;&#x1F600;", "中文😀"},
        {"caf&#233; &#xA9;&#x7FF;&#x800;", "café ©\u07FF\u0800"},
        {"&amp;&lt;&gt;&quot;&apos;", "&<>\"'"},
        {"a & b", std::nullopt},
        {"AT&T", std::nullopt},
        {"Tom & Jerry &amp; co", std::nullopt},
        {"a&b;c", std::nullopt},
        {"a&nbsp;b", std::nullopt},
        {"a&#;b", std::nullopt},
        {"a&#x;b", std::nullopt},
        {"a&#38b", std::nullopt},
        {"a&#x26 ;b", std::nullopt},
        {"a&#0;b", std::nullopt},
        {"a&#xD800;b", std::nullopt},
        {"a&#1114112;b", std::nullopt},
        {"a&#99999999999;b", std::nullopt},
        {"a&", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto asValue = readString("k", c.text);
        const auto asKey = readString(c.text, "v");
        if (!c.read) {
            EXPECT_FALSE(asValue) << "read as " << *asValue->at("k").getIf<std::string>();
            EXPECT_FALSE(asKey);
            continue;
        }
        ASSERT_TRUE(asValue && asKey);
        EXPECT_EQ(asValue->at("k"), PlistValue(*c.read));
        EXPECT_EQ(asKey->count(*c.read), 1u);
        // What is read is written back so that it reads the same again.
        EXPECT_EQ(plistxml::parse(plistxml::serialize(*asValue)), asValue);
    }
}

}  // namespace
}  // namespace platform
