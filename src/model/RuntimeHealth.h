#pragma once

#include <string>
#include <string_view>

#include "platform/Defaults.h"

namespace model {

// The clean-exit record: false is written at every start, true at every orderly
// termination, so the next start can tell whether the previous run ended unexpectedly.
class RuntimeHealth final {
public:
    static constexpr std::string_view defaultCleanExitKey = "runtime.cleanExit";

    explicit RuntimeHealth(platform::Defaults& defaults) : defaults_(defaults) {}

    // Reads the previous run's record, then marks this run as not yet ended cleanly, on disk
    // at once.
    void evaluateAtLaunch();
    // Records an orderly termination.
    void markCleanExit();

    bool recoveredFromUnexpectedExit() const { return recoveredFromUnexpectedExit_; }
    const std::string& cleanExitKey() const { return cleanExitKey_; }

private:
    platform::Defaults& defaults_;
    std::string cleanExitKey_{defaultCleanExitKey};
    bool recoveredFromUnexpectedExit_ = false;
};

}  // namespace model
