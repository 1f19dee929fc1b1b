#include "platform/qt/QtColorScheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

#include "platform/qt/PortalSettings.h"

namespace platform::qt {

QtColorScheme& QtColorScheme::shared() {
    static QtColorScheme* scheme = new QtColorScheme;  // lives as long as the application
    return *scheme;
}

QtColorScheme::QtColorScheme() {
    if (qApp) qApp->installEventFilter(this);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        portal::followSettingChanged(this, SLOT(settingChanged(QString, QString, QDBusVariant)));
        // Read wraps the value once more than ReadOne, and every portal version has it.
        QDBusMessage message = QDBusMessage::createMethodCall(portal::service, portal::path, portal::settingsInterface, "Read");
        message << QString("org.freedesktop.appearance") << QString("color-scheme");
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, 3000), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            QDBusPendingReply<QVariant> reply = *call;
            if (!reply.isError()) take(darkFromPortal(reply.value()));
        });
    }
    last_ = isDark();
}

bool QtColorScheme::isDark() const {
    if (portal_) return *portal_;
    return QGuiApplication::palette().color(QPalette::Window).lightness() < 128;
}

std::optional<bool> QtColorScheme::darkFromPortal(const QVariant& value) {
    QVariant v = value;
    while (v.metaType() == QMetaType::fromType<QDBusVariant>()) v = v.value<QDBusVariant>().variant();
    bool ok = false;
    const uint n = v.toUInt(&ok);
    if (!ok || n > 2) return std::nullopt;
    if (n == 0) return std::nullopt;  // no preference: the palette decides
    return n == 1;
}

void QtColorScheme::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
    if (group == "org.freedesktop.appearance" && key == "color-scheme") take(darkFromPortal(value.variant()));
}

bool QtColorScheme::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qApp && event->type() == QEvent::ApplicationPaletteChange) take(portal_);
    return false;
}

void QtColorScheme::take(std::optional<bool> portal) {
    portal_ = portal;
    const bool now = isDark();
    if (now == last_) return;
    last_ = now;
    Q_EMIT changed();
}

}  // namespace platform::qt
