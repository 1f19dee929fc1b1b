#include "platform/qt/PortalSettings.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusVariant>
#include <QMetaType>
#include <QtDebug>

namespace platform::qt::portal {

bool followSettingChanged(QObject* receiver, const char* slot) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    // QtDBus matches the slot's argument types by meta type: an unregistered QDBusVariant
    // makes the connection fail without a word.
    qRegisterMetaType<QDBusVariant>();
    if (bus.connect(service, path, settingsInterface, "SettingChanged", receiver, slot)) return true;
    static bool logged = false;
    if (!logged) {
        logged = true;
        const QString why = bus.lastError().isValid() ? bus.lastError().message() : QString("the match was refused");
        qWarning("tuftle: cannot follow the desktop portal's setting changes: %s", qPrintable(why));
    }
    return false;
}

}  // namespace platform::qt::portal
