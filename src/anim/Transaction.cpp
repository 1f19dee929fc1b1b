#include "anim/Transaction.h"

#include <vector>

#include "anim/Animation.h"

namespace anim {
namespace {

struct Frame {
    std::optional<double> duration;
    std::optional<bool> disableActions;
    std::optional<TimingFunction> timing;
};

std::vector<Frame>& stack() {
    static std::vector<Frame> frames;
    return frames;
}

template <typename T>
std::optional<T> lookup(std::optional<T> Frame::*field) {
    auto& s = stack();
    for (auto it = s.rbegin(); it != s.rend(); ++it)
        if ((*it).*field) return (*it).*field;
    return std::nullopt;
}

// The frame a setter changes; none outside an explicit transaction.
Frame* current() {
    return stack().empty() ? nullptr : &stack().back();
}

}  // namespace

void Transaction::begin() {
    stack().emplace_back();
}

void Transaction::commit() {
    if (!stack().empty()) stack().pop_back();
}

int Transaction::depth() {
    return int(stack().size());
}

double Transaction::animationDuration() {
    return lookup(&Frame::duration).value_or(Animation::defaultDuration);
}

void Transaction::setAnimationDuration(double seconds) {
    if (Frame* frame = current()) frame->duration = seconds;
}

bool Transaction::disableActions() {
    return lookup(&Frame::disableActions).value_or(false);
}

void Transaction::setDisableActions(bool disable) {
    if (Frame* frame = current()) frame->disableActions = disable;
}

TimingFunction Transaction::animationTimingFunction() {
    return lookup(&Frame::timing).value_or(TimingFunction::defaultCurve());
}

void Transaction::setAnimationTimingFunction(TimingFunction f) {
    if (Frame* frame = current()) frame->timing = f;
}

}  // namespace anim
