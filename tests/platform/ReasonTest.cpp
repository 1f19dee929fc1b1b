#include "platform/Reason.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace platform {
namespace {

// A language of the test's own: the templates it has words for, the others as they are.
std::string translated(std::string_view text) {
    static const std::map<std::string, std::string, std::less<>> words = {
        {"{0} holds {1}", "{1} 在 {0} 里"},
        {"no {0}-1 to {0}-{1}", "{0}-1 至 {0}-{1} 都没有"},
        {"in {0}", "在 {0} 中"},
        {"cannot: {0}", "不能：{0}"},
    };
    const auto it = words.find(text);
    return it == words.end() ? std::string(text) : it->second;
}

// Each place takes its part, in the order the language puts them, however deep the parts nest;
// a value is never read for places of its own.
TEST(Reason, fillsEachPlaceWithItsPartInEitherLanguage) {
    const struct {
        const char* what;
        Reason reason;
        const char* english;
        const char* worded;
    } cases[] = {
        {"places in another order", Reason("{0} holds {1}", {std::string("/a"), std::string("b")}), "/a holds b",
         "b 在 /a 里"},
        {"a place used twice, and a number", Reason("no {0}-1 to {0}-{1}", {std::string("t"), 9}), "no t-1 to t-9",
         "t-1 至 t-9 都没有"},
        {"a value with a place's text in it", Reason("in {0}", {std::string("/x/{0}")}), "in /x/{0}", "在 /x/{0} 中"},
        {"nested, the innermost without words of the language",
         Reason("cannot: {0}", {Reason("in {0}", {Reason("gone {0}", {std::string("/a")})})}), "cannot: in gone /a",
         "不能：在 gone /a 中"},
        {"braces that are no place of a part", Reason("{1} {x} {} {", {std::string("v")}), "{1} {x} {} {",
         "{1} {x} {} {"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.reason.english(), c.english);
        EXPECT_EQ(c.reason.worded(translated), c.worded);
    }
}

}  // namespace
}  // namespace platform
