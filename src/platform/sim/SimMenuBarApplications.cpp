#include "platform/sim/SimMenuBarApplications.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace platform::sim {

SimMenuBarProgram& SimMenuBarApplications::launch(std::optional<std::string> bundleIdentifier, std::vector<Item> items,
                                                  bool backgroundOnly) {
    auto program = std::make_unique<SimMenuBarProgram>();
    program->application = {nextPid_++, std::move(bundleIdentifier), backgroundOnly};
    const std::string base = "sim." + std::to_string(program->application.pid) + ".";
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string name = base + std::to_string(i);
        store_.set(statusItemPositionKey(name), items[i].position);
        auto item = bar_.createStatusItem();
        item->setLength(items[i].length);
        item->setAutosaveName(name);
        program->items.push_back(std::move(item));
        program->lengths.push_back(items[i].length);
    }
    programs.push_back(std::move(program));
    // The assertions in force hide a new program that they do not name.
    applyVisibility(allowedSets_);
    const RunningApplication launched = programs.back()->application;
    loop_.post([this, launched] { didLaunchApplication.emit(launched); });
    return *programs.back();
}

SimMenuBarProgram* SimMenuBarApplications::program(const std::string& bundleIdentifier) {
    for (auto& p : programs)
        if (p->application.bundleIdentifier == bundleIdentifier) return p.get();
    return nullptr;
}

void SimMenuBarApplications::applyVisibility(const std::vector<std::set<std::string>>& allowedSets) {
    allowedSets_ = allowedSets;
    for (auto& p : programs) {
        const auto& id = p->application.bundleIdentifier;
        const bool hide = id && std::any_of(allowedSets.begin(), allowedSets.end(),
                                            [&](const auto& allowed) { return !allowed.contains(*id); });
        if (hide == p->hidden) continue;
        p->hidden = hide;
        for (size_t i = 0; i < p->items.size(); ++i) p->items[i]->setLength(hide ? 0 : p->lengths[i]);
    }
}

std::vector<RunningApplication> SimMenuBarApplications::runningApplications() const {
    std::vector<RunningApplication> running;
    for (const auto& p : programs) running.push_back(p->application);
    return running;
}

double SimMenuBarApplications::primaryTop() const {
    const auto all = screens_.screens();
    return all.empty() ? 0 : all.front().frame.maxY();
}

void SimMenuBarApplications::readMenuBarItems(const RunningApplication& application, double stepTimeout,
                                              std::function<void(MenuBarItemsReading)> done) {
    ++reads;
    const auto it = std::find_if(programs.begin(), programs.end(),
                                 [&](const auto& p) { return p->application.pid == application.pid; });
    if (it == programs.end()) {
        loop_.after(stepTimeout, [done] { done({{}, false}); });
        return;
    }
    const SimMenuBarProgram& p = **it;
    if (p.reading.outcome == SimMenuBarReading::Outcome::timesOut) {
        loop_.after(stepTimeout, [done] { done({{}, false}); });
        return;
    }
    MenuBarItemsReading reading{{}, p.reading.outcome == SimMenuBarReading::Outcome::answers};
    // What the program reports is where its items stand when it answers.
    const long pid = p.application.pid;
    loop_.after(p.reading.delay, [this, pid, reading, done]() mutable {
        const auto program = std::find_if(programs.begin(), programs.end(),
                                          [&](const auto& q) { return q->application.pid == pid; });
        if (program == programs.end()) reading.complete = false;
        if (reading.complete)
            for (size_t i = 0; i < (*program)->items.size(); ++i) {
                const auto window = (*program)->items[i]->window();
                if ((*program)->reading.unreadableItems.contains(i) || !window) {
                    reading.complete = false;
                    continue;
                }
                if ((*program)->hidden) continue;
                const Rect& f = window->frame;
                reading.frames.push_back({f.minX(), primaryTop() - f.maxY(), f.width(), f.height()});
            }
        done(std::move(reading));
    });
}

std::optional<long> SimMenuBarApplications::processAt(Point axPoint, double) const {
    const Point p{axPoint.x, primaryTop() - axPoint.y};
    for (const auto& program : programs)
        for (const auto& item : program->items)
            if (auto window = item->window(); window && window->isVisible && window->frame.contains(p))
                return program->application.pid;
    const auto all = screens_.screens();
    if (all.empty()) return std::nullopt;
    const Rect& screen = all.front().frame;
    const Rect bar{screen.minX(), screen.maxY() - bar_.thickness(), screen.width(), bar_.thickness()};
    if (bar.contains(p)) return ownPid_;
    return std::nullopt;
}

struct SimMenuVisibility::Assertion final : MenuVisibilityAssertion {
    SimMenuVisibility* owner = nullptr;
    std::weak_ptr<char> ownerAlive;
    std::set<std::string> allowed;
    bool invalidated = false;
    void invalidate() override {
        invalidated = true;
        if (ownerAlive.expired()) return;
        std::erase_if(owner->active_, [this](const auto& a) { return a.get() == this; });
        owner->apply();
    }
};

std::shared_ptr<MenuVisibilityAssertion> SimMenuVisibility::activate(
    const std::vector<int>& allowedSystemItems, const std::vector<std::string>& allowedBundleIdentifiers,
    std::function<void(std::optional<MenuVisibilityError>)> done) {
    ++activations;
    lastSystemItems = allowedSystemItems;
    if (std::exchange(throwsOnActivate, false)) throw std::runtime_error("activation failed inside the desktop");
    auto assertion = std::make_shared<Assertion>();
    assertion->owner = this;
    assertion->ownerAlive = alive_;
    assertion->allowed = {allowedBundleIdentifiers.begin(), allowedBundleIdentifiers.end()};
    loop_.after(completionDelay, [this, alive = std::weak_ptr(alive_), weak = std::weak_ptr(assertion), refused = refusal, done] {
        if (alive.expired()) return;
        auto a = weak.lock();
        if (!refused && a && !a->invalidated) {
            active_.push_back(a);
            apply();
        }
        done(refused);
    });
    return assertion;
}

size_t SimMenuVisibility::activeCount() const { return active_.size(); }

void SimMenuVisibility::apply() {
    std::vector<std::set<std::string>> sets;
    for (const auto& a : active_) sets.push_back(a->allowed);
    programs_.applyVisibility(sets);
}

}  // namespace platform::sim
