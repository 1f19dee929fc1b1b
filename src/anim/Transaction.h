#pragma once

#include <optional>
#include <utility>

#include "anim/TimingFunction.h"

namespace anim {

// Groups model changes and says how they animate. Outside any transaction, and inside one that
// sets nothing, a change of opacity, transform, position or bounds on a layer that has a
// superlayer animates implicitly from the value on screen to the new value over 0.25 s with the
// default curve. Transactions nest: a setting made in an inner transaction lasts until its commit,
// settings it does not make are inherited from the outer ones. Setters outside any
// transaction change nothing: begin one first. Main thread only.
class Transaction {
public:
    static void begin();
    static void commit();

    static double animationDuration();
    static void setAnimationDuration(double seconds);
    static bool disableActions();
    static void setDisableActions(bool disable);
    static TimingFunction animationTimingFunction();
    static void setAnimationTimingFunction(TimingFunction f);
    // Nesting depth of explicit transactions.
    static int depth();

    // Runs `body` in a transaction of the given duration (0 applies every change at once).
    template <typename F>
    static void animate(double duration, F&& body) {
        begin();
        setAnimationDuration(duration);
        std::forward<F>(body)();
        commit();
    }
    // Runs `body` in a transaction with actions disabled.
    template <typename F>
    static void withoutActions(F&& body) {
        begin();
        setDisableActions(true);
        std::forward<F>(body)();
        commit();
    }
};

}  // namespace anim
