#include "platform/qt/X11KeyEventTaps.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Points $DISPLAY at a server that does not exist for the length of a test.
class NoDisplay {
public:
    NoDisplay() {
        if (const char* d = std::getenv("DISPLAY")) saved_ = d;
        setenv("DISPLAY", ":987654", 1);
    }
    ~NoDisplay() {
        if (saved_)
            setenv("DISPLAY", saved_->c_str(), 1);
        else
            unsetenv("DISPLAY");
    }

private:
    std::optional<std::string> saved_;
};

TEST(X11KeyEventTaps, withoutAReachableDisplay_accessIsMissingAndNoTapIsMade) {
    NoDisplay noDisplay;
    platform::qt::X11KeyEventTapSystem taps;
    EXPECT_FALSE(taps.preflightListenEventAccess());
    EXPECT_FALSE(taps.preflightListenEventAccess()) << "asking again must not fail differently";
    EXPECT_FALSE(taps.requestListenEventAccess());
    EXPECT_EQ(taps.createKeyDownTap([](const platform::KeyTapEvent&) {}), nullptr);
}

}  // namespace
