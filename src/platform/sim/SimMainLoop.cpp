#include "platform/sim/SimMainLoop.h"

namespace platform::sim {

struct SimMainLoop::Entry {
    double due = 0;
    double interval = 0;
    double tolerance = 0;
    bool repeats = false;
    bool valid = true;
    std::function<void()> work;
};

class SimMainLoop::SimTimer final : public Timer {
public:
    explicit SimTimer(std::shared_ptr<Entry> e) : entry_(std::move(e)) {}
    ~SimTimer() override { invalidate(); }
    void invalidate() override {
        if (entry_) entry_->valid = false;
    }
    bool isValid() const override { return entry_ && entry_->valid; }
    double interval() const override { return entry_->interval; }
    double tolerance() const override { return entry_->tolerance; }

private:
    std::shared_ptr<Entry> entry_;
};

SimMainLoop::SimMainLoop(Date start, double mediaStart) : wallStart_(start), mediaStart_(mediaStart) {}

SimMainLoop::~SimMainLoop() {
    for (auto& [key, e] : queue_) e->valid = false;
}

void SimMainLoop::enqueue(const std::shared_ptr<Entry>& e) { queue_.emplace(std::make_pair(e->due, ++sequence_), e); }

void SimMainLoop::post(std::function<void()> work) {
    auto e = std::make_shared<Entry>();
    e->due = elapsed_;
    e->work = std::move(work);
    enqueue(e);
}

void SimMainLoop::after(double delay, std::function<void()> work) {
    auto e = std::make_shared<Entry>();
    e->due = elapsed_ + std::max(0.0, delay);
    e->work = std::move(work);
    enqueue(e);
}

std::unique_ptr<Timer> SimMainLoop::schedule(double interval, double tolerance, bool repeats,
                                             std::function<void()> fire) {
    auto e = std::make_shared<Entry>();
    e->due = elapsed_ + std::max(0.0, interval);
    e->interval = interval;
    e->tolerance = tolerance;
    e->repeats = repeats && interval > 0;
    e->work = std::move(fire);
    enqueue(e);
    return std::make_unique<SimTimer>(e);
}

bool SimMainLoop::runNextDue(double limit) {
    while (!queue_.empty()) {
        auto it = queue_.begin();
        if (it->first.first > limit) return false;
        auto e = it->second;
        queue_.erase(it);
        if (!e->valid) continue;
        if (e->due > elapsed_) elapsed_ = e->due;
        if (e->repeats) {
            e->due += e->interval;
            enqueue(e);
        } else {
            e->valid = false;
        }
        auto work = e->work;  // the entry may be invalidated (and its closure kept) while it runs
        work();
        return true;
    }
    return false;
}

void SimMainLoop::runPending() {
    while (runNextDue(elapsed_)) {
    }
}

void SimMainLoop::advance(double seconds) {
    const double target = elapsed_ + std::max(0.0, seconds);
    while (runNextDue(target)) {
    }
    elapsed_ = target;
}

size_t SimMainLoop::pendingCount() const {
    size_t n = 0;
    for (auto& [key, e] : queue_) n += e->valid ? 1 : 0;
    return n;
}

size_t SimMainLoop::activeTimerCount() const { return pendingCount(); }

}  // namespace platform::sim
