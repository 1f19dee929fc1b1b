#pragma once

#include <QDBusVariant>
#include <QObject>
#include <optional>

namespace platform::qt {

// Whether the desktop is dark: the XDG settings portal's "color-scheme" where it states a
// preference, else the application palette's window colour. Followed live.
class QtColorScheme final : public QObject {
    Q_OBJECT
public:
    static QtColorScheme& shared();
    bool isDark() const;
    // 1 prefers dark, 2 prefers light, 0 no preference; nothing for an unusable value.
    static std::optional<bool> darkFromPortal(const QVariant& value);

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    QtColorScheme();
    bool eventFilter(QObject* watched, QEvent* event) override;
    void take(std::optional<bool> portal);

    std::optional<bool> portal_;
    bool last_ = false;
};

}  // namespace platform::qt
