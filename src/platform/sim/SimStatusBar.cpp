#include "platform/sim/SimStatusBar.h"

#include <algorithm>
#include <tuple>

namespace platform::sim {

namespace {
constexpr double kBarHeight = 24;
}

struct SimMenuBarLayout {
    Defaults& store;
    const ScreenList& screens;
    std::vector<SimStatusItem*> items;
    uint64_t order = 0;

    void relayout() {
        auto placed = items;
        auto rank = [](const SimStatusItem* i) {
            return std::tuple(i->position_ ? 0 : 1, i->position_.value_or(0), i->order_);
        };
        std::stable_sort(placed.begin(), placed.end(), [&](auto* a, auto* b) { return rank(a) < rank(b); });
        const auto all = screens.screens();
        double x = all.empty() ? 0 : all.front().frame.maxX();
        struct Change {
            SimStatusItem* item;
            std::weak_ptr<const void> lifetime;
            bool moved, shown;
        };
        std::vector<Change> changes;
        for (auto* item : placed) {
            std::optional<StatusItemWindow> window;
            if (!all.empty()) {
                const Rect& screen = all.front().frame;
                Rect frame{x - item->length_, screen.maxY() - kBarHeight, item->length_, kBarHeight};
                x -= item->length_;
                const bool onScreen = frame.minX() >= screen.minX() && frame.maxX() <= screen.maxX();
                window = StatusItemWindow{frame, onScreen, all.front()};
            }
            const bool visible = window && window->isVisible;
            const bool moved =
                window.has_value() != item->window_.has_value() || (window && window->frame != item->window_->frame);
            const bool shown = visible != item->visible_;
            item->window_ = window;
            item->visible_ = visible;
            if (moved || shown) changes.push_back({item, item->lifetime(), moved, shown});
        }
        // Observers may remove items; each is told only while it still exists.
        for (auto& c : changes) {
            if (c.moved && !c.lifetime.expired()) c.item->windowDidChange.emit();
            if (c.shown && !c.lifetime.expired()) c.item->visibilityDidChange.emit();
        }
    }
};

SimStatusItem::~SimStatusItem() {
    if (auto layout = layout_.lock()) {
        if (!name_.empty()) layout->store.remove(statusItemPositionKey(name_));
        std::erase(layout->items, this);
        layout->relayout();
    }
}

void SimStatusItem::setLength(double points) {
    length_ = std::max(0.0, points);
    if (auto layout = layout_.lock()) layout->relayout();
}

void SimStatusItem::setAutosaveName(const std::string& name) {
    name_ = name;
    if (auto layout = layout_.lock()) {
        position_ = layout->store.integer(statusItemPositionKey(name));
        order_ = ++layout->order;
        layout->relayout();
    }
}

SimStatusBar::SimStatusBar(Defaults& store, const ScreenList& screens, NotificationCenter& center)
    : layout_(std::make_shared<SimMenuBarLayout>(SimMenuBarLayout{store, screens, {}, 0})) {
    screenChanges_ = center.addObserver(notifications::screenParametersChanged, [layout = std::weak_ptr(layout_)] {
        if (auto l = layout.lock()) l->relayout();
    });
}

std::unique_ptr<StatusItem> SimStatusBar::createStatusItem() {
    auto item = std::make_unique<SimStatusItem>(layout_, ++layout_->order);
    layout_->items.push_back(item.get());
    layout_->relayout();
    lastItem = item.get();
    ++created;
    return item;
}

}  // namespace platform::sim
