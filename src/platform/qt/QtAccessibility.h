#pragma once

#include <QDBusVariant>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QVariant>
#include <optional>

#include "platform/Accessibility.h"
#include "platform/NotificationCenter.h"

namespace platform::qt {

// The desktop's wish for less motion: the XDG settings portal's "reduced-motion" appearance
// setting, GNOME's "enable-animations" (through the same portal), KDE's AnimationDurationFactor
// of 0 (through the portal, else kdeglobals); off when none of them asks for it.
// The portal is asked without blocking at start-up and followed through its change signal;
// kdeglobals is read at start and whenever it changes. A change of the answer is posted as
// reduceMotionChanged.
class QtAccessibility final : public QObject, public Accessibility {
    Q_OBJECT
public:
    explicit QtAccessibility(NotificationCenter& center);
    ~QtAccessibility() override;

    bool reduceMotion() const override;
    // No X11 desktop names this setting: a wish for higher contrast (the portal's appearance
    // "contrast", GNOME's "high-contrast") asks for opaque surfaces too; off otherwise.
    bool reduceTransparency() const override;
    // The answer of one portal setting about contrast, or nothing when it is not one of ours.
    static std::optional<bool> contrastFromPortal(const QString& group, const QString& key, const QVariant& value);

    // The answer one portal setting gives, or nothing when it is not one of ours or not usable.
    struct PortalAnswer {
        enum class Source { appearance, gnome, kde };
        Source source;
        bool reduce;
    };
    static std::optional<PortalAnswer> answerFromPortal(const QString& group, const QString& key,
                                                        const QVariant& value);
    // The answer of a kdeglobals text: its [KDE] AnimationDurationFactor, 0 meaning no animation.
    static std::optional<bool> answerFromKdeGlobals(const QString& text);
    // The answer of the kdeglobals file `file`; nothing when it is no regular file of a sane size.
    static std::optional<bool> answerFromKdeGlobalsFile(const QString& file);
    // $XDG_CONFIG_HOME/kdeglobals, else ~/.config/kdeglobals.
    static QString kdeGlobalsPath();

private Q_SLOTS:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void askPortal(const QString& group, const QString& key);
    void take(const PortalAnswer& answer);
    void takeContrast(const QString& group, bool high);
    void noteChange();
    void readKdeGlobals();

    NotificationCenter& center_;
    std::optional<bool> appearance_;
    std::optional<bool> gnome_;
    std::optional<bool> kde_;
    std::optional<bool> kdeGlobals_;
    bool lastAnswer_ = false;
    std::optional<bool> contrast_;
    std::optional<bool> gnomeHighContrast_;
    QFileSystemWatcher watcher_;
};

}  // namespace platform::qt
