#pragma once

#include <functional>
#include <utility>

#include "platform/Signal.h"

namespace platform {

// A published value. Assignment stores the new value first, then notifies subscribers
// synchronously, then calls the owner's persistence hook: a subscriber that reads the
// property back sees the new value, and the store is written once the observers are done.
template <typename T>
class Published {
public:
    Published() = default;
    explicit Published(T initial) : value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const T* operator->() const { return &value_; }

    // Every assignment publishes, even an equal value, as a publisher does.
    void set(T newValue) {
        if (willChange_) willChange_();
        value_ = std::move(newValue);
        changed_.emit(value_);
        if (persist_) persist_(value_);
    }
    Published& operator=(T newValue) {
        set(std::move(newValue));
        return *this;
    }
    // Changes the stored value in place, then publishes it.
    template <typename F>
    void modify(F&& f) {
        T copy = value_;
        f(copy);
        set(std::move(copy));
    }
    // The same without the copy, for large values changed often (the key-count history on
    // every key press). Publishes and persists exactly as set() does.
    template <typename F>
    void modifyInPlace(F&& f) {
        if (willChange_) willChange_();
        f(value_);
        changed_.emit(value_);
        if (persist_) persist_(value_);
    }

    // With replayCurrent the handler is first called with the current value, as a
    // publisher replays it to a new subscriber; otherwise only later changes arrive.
    [[nodiscard]] Subscription subscribe(std::function<void(const T&)> handler, bool replayCurrent = true) {
        if (replayCurrent) handler(value_);
        return changed_.subscribe(std::move(handler));
    }

    // Set by the owner: the hook that writes the value to its store after observers ran.
    void setPersistence(std::function<void(const T&)> persist) { persist_ = std::move(persist); }
    // Set by the owner: called before every change (the model's one "will change" signal).
    void setWillChange(std::function<void()> willChange) { willChange_ = std::move(willChange); }
    // Replaces the value without notifying or persisting: for loading at creation only.
    void setSilently(T newValue) { value_ = std::move(newValue); }

private:
    T value_{};
    Signal<T> changed_;
    std::function<void(const T&)> persist_;
    std::function<void()> willChange_;
};

}  // namespace platform
