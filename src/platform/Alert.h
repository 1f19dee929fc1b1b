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

// Why an alert comes up, which decides whether it may take the keyboard.
enum class AlertCause {
    // The program shows it on its own (a check at start, a save that failed meanwhile): it comes
    // up over the other windows and leaves the keyboard where it is, so keys typed for other work
    // never dismiss it unread.
    program,
    // It answers what the user just did in one of the program's windows, and takes the keyboard.
    user,
};

class AlertRunner {
public:
    virtual ~AlertRunner() = default;
    // Shows the alert and returns once the user dismissed it; one the user asked for keeps the
    // program's other windows from input meanwhile.
    virtual void runModal(const Alert& alert, AlertCause cause) = 0;
    // Shows the alert and returns at once; the program goes on in every other window meanwhile.
    virtual void show(const Alert& alert, AlertCause cause) = 0;
};

}  // namespace platform
