#include "platform/qt/QtSystemEvents.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>

namespace platform::qt {
namespace {

constexpr const char* kLogindService = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kLogindManager = "org.freedesktop.login1.Manager";

}  // namespace

QtSystemEvents::QtSystemEvents(MainLoop& loop, NotificationCenter& center) : center_(center) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kLogindService).value()) {
        usesLogind_ = bus.connect(kLogindService, kLogindPath, kLogindManager, "PrepareForSleep", this,
                                  SLOT(prepareForSleep(bool)));
    }
    if (!usesLogind_) {
        fallback_ = std::make_unique<WallClockWakeDetector>(loop, center);
        fallback_->start();
    }

    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive) center_.post(notifications::applicationDidBecomeActive);
        });
    }
}

QtSystemEvents::~QtSystemEvents() = default;

void QtSystemEvents::prepareForSleep(bool sleeping) {
    // logind sends true just before the machine sleeps and false once it is back.
    if (!sleeping) center_.post(notifications::systemDidWake);
}

}  // namespace platform::qt
