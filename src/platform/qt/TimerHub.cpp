#include "platform/qt/TimerHub.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::qt {

TimerHub& TimerHub::shared() {
    static auto* hub = new TimerHub;  // lives as long as the process
    return *hub;
}

TimerHub::TimerHub() {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
}

double TimerHub::now() const { return double(clock_.nsecsElapsed()) / 1e9; }

uint64_t TimerHub::add(double delay, double tolerance, std::function<void()> fire) {
    const double due = now() + std::max(0.0, delay);
    return insert({0, due, due, due + std::max(0.0, tolerance), std::move(fire)});
}

uint64_t TimerHub::addAtNextWake(double within, std::function<void()> fire) {
    const double now = this->now();
    const double latest = now + std::max(0.0, within);
    return insert({0, now, latest, latest, std::move(fire)});
}

uint64_t TimerHub::insert(Entry entry) {
    entry.id = nextId_++;
    entries_.push_back(std::move(entry));
    arm();
    return entries_.back().id;
}

void TimerHub::remove(uint64_t id) {
    if (firing_) std::erase(*firing_, id);
    if (std::erase_if(entries_, [id](const Entry& e) { return e.id == id; })) arm();
}

void TimerHub::arm() {
    if (entries_.empty()) {
        timer_.stop();
        return;
    }
    // As late as the most pressing deadline allows, so that as many as possible come along.
    double deadline = entries_.front().latest;
    for (const Entry& e : entries_) deadline = std::min(deadline, e.latest);
    double wake = 0;
    for (const Entry& e : entries_)
        if (e.due <= deadline) wake = std::max(wake, e.due);
    // Re-arming a Qt timer costs more than the rest of a wake-up's bookkeeping: keep one that
    // already rings at that millisecond.
    const auto deadline_ms = qint64(std::ceil(wake * 1000));
    wake_ = wake;
    if (timer_.isActive() && deadline_ms == armedAt_) return;
    armedAt_ = deadline_ms;
    timer_.start(std::max(0, int(deadline_ms - qint64(std::floor(now() * 1000)))));
}

void TimerHub::fire() {
    const double upTo = std::max(wake_, now());
    std::vector<std::pair<uint64_t, std::function<void()>>> due;
    std::erase_if(entries_, [&](Entry& e) {
        if (e.earliest > upTo + 0.0005) return false;
        due.emplace_back(e.id, std::move(e.fire));
        return true;
    });
    std::sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<uint64_t> pending;
    for (const auto& [id, f] : due) pending.push_back(id);
    auto* outer = std::exchange(firing_, &pending);
    for (auto& [id, f] : due) {
        // An earlier one may have taken this one back.
        if (std::find(pending.begin(), pending.end(), id) == pending.end()) continue;
        f();
    }
    firing_ = outer;
    arm();
}

}  // namespace platform::qt
