#pragma once

#include <string>

namespace platform {

// A warning with one OK button.
struct Alert {
    std::string messageText;
    std::string informativeText;
    // The button's title; the toolkit's own "OK" when empty.
    std::string buttonTitle;

    friend bool operator==(const Alert&, const Alert&) = default;
};

class AlertRunner {
public:
    virtual ~AlertRunner() = default;
    // Shows the alert and returns once the user dismissed it.
    virtual void runModal(const Alert& alert) = 0;
    // Shows the alert and returns at once; the program goes on in every other window meanwhile.
    virtual void show(const Alert& alert) = 0;
};

}  // namespace platform
