#include "platform/qt/QtMainLoop.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <memory>
#include <utility>

#include "platform/qt/TimerHub.h"

namespace platform::qt {
namespace {

// How late a step planned with after() may come: up to a frame at the pets' frame rate.
constexpr double frameLateness = 1.0 / 30;

class QtTimer final : public Timer {
public:
    QtTimer(double interval, double tolerance, bool repeats, std::function<void()> fire)
        : interval_(interval), tolerance_(tolerance), repeats_(repeats),
          fire_(std::make_shared<std::function<void()>>(std::move(fire))) {
        // On the hub even without tolerance: the wake-ups that may come late can then share its.
        if (interval > 0) {
            due_ = TimerHub::shared().now() + interval;
            arm();
            return;
        }
        timer_ = new QTimer;
        timer_->setSingleShot(!repeats);
        timer_->setTimerType(Qt::PreciseTimer);
        timer_->setInterval(static_cast<int>(std::lround(std::max(0.0, interval) * 1000.0)));
        QObject::connect(timer_, &QTimer::timeout, [this, fire = fire_] {
            if (timer_ && timer_->isSingleShot()) valid_ = false;
            (*fire)();  // may destroy this timer: touch nothing afterwards
        });
        timer_->start();
    }
    ~QtTimer() override {
        delete timer_;
        if (hubId_) TimerHub::shared().remove(hubId_);
    }
    void invalidate() override {
        valid_ = false;
        if (timer_) timer_->stop();
        if (hubId_) TimerHub::shared().remove(std::exchange(hubId_, 0));
    }
    bool isValid() const override { return valid_; }
    double interval() const override { return interval_; }
    double tolerance() const override { return tolerance_; }

private:
    void arm() {
        TimerHub& hub = TimerHub::shared();
        hubId_ = hub.add(due_ - hub.now(), tolerance_, [this] {
            hubId_ = 0;
            if (repeats_) {
                // On the original schedule: a late fire does not shift the ones after it.
                const double now = TimerHub::shared().now();
                do due_ += interval_;
                while (due_ <= now);
                arm();
            } else {
                valid_ = false;
            }
            auto fire = fire_;
            (*fire)();  // may destroy this timer: touch nothing afterwards
        });
    }

    double interval_;
    double tolerance_;
    bool repeats_;
    bool valid_ = true;
    std::shared_ptr<std::function<void()>> fire_;
    QTimer* timer_ = nullptr;
    uint64_t hubId_ = 0;
    double due_ = 0;  // on the hub's clock
};

}  // namespace

QtMainLoop::QtMainLoop() { monotonic_.start(); }

Date QtMainLoop::now() const {
    using namespace std::chrono;
    const double unix = duration<double>(system_clock::now().time_since_epoch()).count();
    return Date::fromUnix(unix);
}

double QtMainLoop::mediaTime() const { return static_cast<double>(monotonic_.nsecsElapsed()) / 1e9; }

void QtMainLoop::post(std::function<void()> work) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(work), Qt::QueuedConnection);
}

void QtMainLoop::after(double delay, std::function<void()> work) {
    // A step of a motion may come up to a frame late: it then shares the wake-up of a frame.
    if (delay > 0) {
        TimerHub::shared().add(delay, frameLateness, std::move(work));
        return;
    }
    const int ms = static_cast<int>(std::lround(std::max(0.0, delay) * 1000.0));
    QTimer::singleShot(ms, Qt::PreciseTimer, QCoreApplication::instance(), std::move(work));
}

std::unique_ptr<Timer> QtMainLoop::schedule(double interval, double tolerance, bool repeats,
                                            std::function<void()> fire) {
    return std::make_unique<QtTimer>(interval, tolerance, repeats, std::move(fire));
}

}  // namespace platform::qt
