#include "platform/qt/QtMainLoop.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cmath>

namespace platform::qt {
namespace {

class QtTimer final : public Timer {
public:
    QtTimer(double interval, double tolerance, bool repeats, std::function<void()> fire)
        : interval_(interval), tolerance_(tolerance), timer_(new QTimer) {
        timer_->setSingleShot(!repeats);
        // A tolerance of at least 5 % lets Qt batch wake-ups; below that the timer is precise.
        timer_->setTimerType(tolerance >= 0.05 * interval ? Qt::CoarseTimer : Qt::PreciseTimer);
        timer_->setInterval(static_cast<int>(std::lround(std::max(0.0, interval) * 1000.0)));
        QObject::connect(timer_, &QTimer::timeout, [this, fire = std::move(fire)] {
            if (timer_ && timer_->isSingleShot()) valid_ = false;
            fire();  // may destroy this timer: touch nothing afterwards
        });
        timer_->start();
    }
    ~QtTimer() override { delete timer_; }
    void invalidate() override {
        valid_ = false;
        if (timer_) timer_->stop();
    }
    bool isValid() const override { return valid_; }
    double interval() const override { return interval_; }
    double tolerance() const override { return tolerance_; }

private:
    double interval_;
    double tolerance_;
    bool valid_ = true;
    QTimer* timer_;
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
    const int ms = static_cast<int>(std::lround(std::max(0.0, delay) * 1000.0));
    QTimer::singleShot(ms, Qt::PreciseTimer, QCoreApplication::instance(), std::move(work));
}

std::unique_ptr<Timer> QtMainLoop::schedule(double interval, double tolerance, bool repeats,
                                            std::function<void()> fire) {
    return std::make_unique<QtTimer>(interval, tolerance, repeats, std::move(fire));
}

}  // namespace platform::qt
