#include "menubar/stash/MenuBarMealStage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/Services.h"

namespace menubar::stash {
namespace {

constexpr int kFramesPerPhase = 6;
constexpr double kFrameInterval = 0.115;  // s
constexpr double kPhasePause = 0.43;      // s

}  // namespace

MenuBarMealStage::MenuBarMealStage(bool isCollapsed, std::optional<double> previewProgress, bool previewSpitting)
    : isCollapsed_(isCollapsed), previewProgress_(previewProgress), previewSpitting_(previewSpitting) {}

MenuBarMealStage::~MenuBarMealStage() = default;

void MenuBarMealStage::setCollapsed(bool collapsed) {
    if (collapsed == isCollapsed_) return;
    isCollapsed_ = collapsed;
    changed();
}

MenuBarMealStage::Frame MenuBarMealStage::frame() const {
    std::optional<double> progress = previewProgress_ ? previewProgress_ : demoProgress_;
    const bool spitting = previewProgress_ ? previewSpitting_ : demoSpitting_;
    Frame f;
    if (progress) {
        const double p = *progress;
        f.visibleFraction = spitting ? p : 1 - p;
        f.dividerProgress = p;
        f.mouth = std::max(0.0, std::sin(p * std::numbers::pi) * 0.92);
    } else {
        f.visibleFraction = isCollapsed_ ? 0 : 1;
        f.dividerProgress = isCollapsed_ ? 1 : 0;
        f.mouth = isCollapsed_ ? 0.12 : 0;
    }
    f.stageCollapsed = f.visibleFraction < 0.04;
    f.dividerProgress = std::clamp(f.dividerProgress, 0.0, 1.0);
    f.dividerSpitting = previewProgress_ ? previewSpitting_ : demoSpitting_;
    f.mouth = std::clamp(f.mouth, 0.0, 1.0);
    return f;
}

void MenuBarMealStage::playDemo() {
    const uint64_t generation = ++generation_;
    // A stashed stage spits first, an expanded one eats first.
    phases_[0] = isCollapsed_;
    phases_[1] = !isCollapsed_;
    if (reduceMotion_) {
        // Every frame, without pausing: the stage is back at the engine's state at once.
        for (bool spitting : phases_) {
            demoSpitting_ = spitting;
            for (int i = 0; i < kFramesPerPhase; ++i) demoProgress_ = i / double(kFramesPerPhase - 1);
        }
        demoProgress_.reset();
        changed();
        return;
    }
    runPhase(generation, 0);
}

void MenuBarMealStage::runPhase(uint64_t generation, size_t phase) {
    if (generation != generation_) return;
    if (phase == std::size(phases_)) {
        demoProgress_.reset();
        changed();
        return;
    }
    demoSpitting_ = phases_[phase];
    runFrame(generation, phase, 0);
}

void MenuBarMealStage::runFrame(uint64_t generation, size_t phase, int index) {
    demoProgress_ = index / double(kFramesPerPhase - 1);
    changed();
    const bool last = index == kFramesPerPhase - 1;
    const double delay = last ? kFrameInterval + kPhasePause : kFrameInterval;
    platform::mainLoop().after(delay, [this, alive = std::weak_ptr<char>(alive_), generation, phase, index, last] {
        if (alive.expired() || generation != generation_) return;
        if (last)
            runPhase(generation, phase + 1);
        else
            runFrame(generation, phase, index + 1);
    });
}

void MenuBarMealStage::changed() const {
    if (onChange) onChange();
}

}  // namespace menubar::stash
