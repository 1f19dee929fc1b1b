#pragma once

#include <functional>

#include "platform/Application.h"

class QSocketNotifier;

namespace platform::qt {

// The running Qt application: the orderly terminate path and the signals routed into it.
class QtApplication final : public Application {
public:
    // `willTerminate` runs once, on the main loop, before the event loop exits.
    explicit QtApplication(std::function<void()> willTerminate);
    ~QtApplication() override;

    void terminate() override;
    bool isActive() const override;
    long processId() const override;

    // SIGTERM, SIGINT and SIGHUP, and the end of the desktop session, go through terminate().
    void routeTerminationSignals();
    // Each time a session manager saves the session, tells it to start the program again with the
    // session, unless `startsAtLogin` says something else starts it at login anyway: a second
    // start then would only find the first one running.
    void tellSessionHowToComeBack(std::function<bool()> startsAtLogin);
    bool hasTerminated() const { return terminated_; }

private:
    std::function<void()> willTerminate_;
    bool terminated_ = false;
    QSocketNotifier* signalNotifier_ = nullptr;
};

}  // namespace platform::qt
