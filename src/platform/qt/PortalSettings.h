#pragma once

#include <QObject>

namespace platform::qt::portal {

// The desktop portal's settings interface.
inline constexpr const char* service = "org.freedesktop.portal.Desktop";
inline constexpr const char* path = "/org/freedesktop/portal/desktop";
inline constexpr const char* settingsInterface = "org.freedesktop.portal.Settings";

// Connects the portal's SettingChanged(group, key, value) to `slot` of `receiver`, a slot
// taking (QString, QString, QDBusVariant). False when there is no session bus or the bus
// refuses the match; the first refusal is logged.
bool followSettingChanged(QObject* receiver, const char* slot);

}  // namespace platform::qt::portal
