#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/Signal.h"

namespace platform {

// Process-wide notifications keyed by name, delivered synchronously on the posting thread
// (always the main thread here).
class NotificationCenter {
public:
    [[nodiscard]] Subscription addObserver(const std::string& name, std::function<void()> handler) {
        return signal(name).subscribe([h = std::move(handler)] { h(); });
    }
    void post(const std::string& name) {
        auto it = signals_.find(name);
        if (it != signals_.end()) it->second->emit();
    }

private:
    Signal<>& signal(const std::string& name) {
        auto& slot = signals_[name];
        if (!slot) slot = std::make_unique<Signal<>>();
        return *slot;
    }
    std::map<std::string, std::unique_ptr<Signal<>>> signals_;
};

// Names of the system notifications the backends post.
namespace notifications {
inline constexpr const char* screenParametersChanged = "ScreenParametersChanged";
inline constexpr const char* systemDidWake = "SystemDidWake";
inline constexpr const char* applicationDidBecomeActive = "ApplicationDidBecomeActive";
inline constexpr const char* reduceMotionChanged = "ReduceMotionChanged";
inline constexpr const char* reduceTransparencyChanged = "ReduceTransparencyChanged";
inline constexpr const char* activeApplicationChanged = "ActiveApplicationChanged";
// The user switched to another virtual desktop.
inline constexpr const char* activeSpaceDidChange = "ActiveSpaceDidChange";
}  // namespace notifications

}  // namespace platform
