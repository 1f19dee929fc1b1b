#pragma once

#include <QElapsedTimer>

#include "platform/MainLoop.h"

namespace platform::qt {

// The main loop on Qt's event loop: the TimerHub for timers and delays that may come late, a
// QTimer for the others, a queued call for post().
class QtMainLoop final : public MainLoop {
public:
    QtMainLoop();

    Date now() const override;
    double mediaTime() const override;
    void post(std::function<void()> work) override;
    void after(double delay, std::function<void()> work) override;
    std::unique_ptr<Timer> schedule(double interval, double tolerance, bool repeats,
                                    std::function<void()> fire) override;

private:
    QElapsedTimer monotonic_;
};

}  // namespace platform::qt
