#include "platform/qt/QtAccessibility.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>

#include "platform/storage/RegularFile.h"
#include "platform/qt/PortalSettings.h"

namespace platform::qt {
namespace {

using portal::path;
using portal::service;
using portal::settingsInterface;

// A desktop's kdeglobals holds a few hundred lines.
constexpr uint64_t kMaxKdeGlobalsSize = 4 << 20;

// Portal values arrive wrapped in one or two D-Bus variants.
QVariant unwrap(QVariant v) {
    while (v.metaType() == QMetaType::fromType<QDBusVariant>()) v = v.value<QDBusVariant>().variant();
    return v;
}

}  // namespace

QtAccessibility::QtAccessibility(NotificationCenter& center) : center_(center) {
    if (QDBusConnection::sessionBus().isConnected()) {
        portal::followSettingChanged(this, SLOT(settingChanged(QString, QString, QDBusVariant)));
        askPortal("org.freedesktop.appearance", "reduced-motion");
        askPortal("org.gnome.desktop.interface", "enable-animations");
        askPortal("org.kde.kdeglobals.KDE", "AnimationDurationFactor");
        askPortal("org.freedesktop.appearance", "contrast");
        askPortal("org.gnome.desktop.a11y.interface", "high-contrast");
    }
    readKdeGlobals();
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
        readKdeGlobals();
        noteChange();
    });
    lastAnswer_ = reduceMotion();
}

QtAccessibility::~QtAccessibility() = default;

bool QtAccessibility::reduceMotion() const {
    // "No preference" from the portal leaves the word to the desktop's own setting.
    if (appearance_.value_or(false) || gnome_.value_or(false)) return true;
    if (kde_) return *kde_;
    return kdeGlobals_.value_or(false);
}

bool QtAccessibility::reduceTransparency() const {
    return contrast_.value_or(false) || gnomeHighContrast_.value_or(false);
}

std::optional<bool> QtAccessibility::contrastFromPortal(const QString& group, const QString& key,
                                                        const QVariant& value) {
    QVariant v = unwrap(value);
    bool ok = false;
    if (group == "org.freedesktop.appearance" && key == "contrast") {
        // 0: no preference, 1: higher contrast.
        uint n = v.toUInt(&ok);
        if (ok) return n == 1;
    } else if (group == "org.gnome.desktop.a11y.interface" && key == "high-contrast") {
        if (v.metaType() == QMetaType::fromType<bool>()) return v.toBool();
    }
    return std::nullopt;
}

void QtAccessibility::takeContrast(const QString& group, bool high) {
    const bool before = reduceTransparency();
    (group == "org.freedesktop.appearance" ? contrast_ : gnomeHighContrast_) = high;
    if (reduceTransparency() != before) center_.post(notifications::reduceTransparencyChanged);
}

std::optional<QtAccessibility::PortalAnswer> QtAccessibility::answerFromPortal(const QString& group, const QString& key,
                                                                               const QVariant& value) {
    QVariant v = unwrap(value);
    bool ok = false;
    if (group == "org.freedesktop.appearance" && key == "reduced-motion") {
        // 0: no preference, 1: reduce.
        uint n = v.toUInt(&ok);
        if (ok) return PortalAnswer{PortalAnswer::Source::appearance, n == 1};
    } else if (group == "org.gnome.desktop.interface" && key == "enable-animations") {
        if (v.metaType() == QMetaType::fromType<bool>()) return PortalAnswer{PortalAnswer::Source::gnome, !v.toBool()};
    } else if (group == "org.kde.kdeglobals.KDE" && key == "AnimationDurationFactor") {
        double factor = v.toDouble(&ok);
        if (ok) return PortalAnswer{PortalAnswer::Source::kde, factor == 0};
    }
    return std::nullopt;
}

std::optional<bool> QtAccessibility::answerFromKdeGlobals(const QString& text) {
    bool inKde = false;
    for (QString line : text.split('\n')) {
        line = line.trimmed();
        if (line.startsWith('[')) {
            inKde = line == "[KDE]";
            continue;
        }
        if (!inKde) continue;
        int eq = line.indexOf('=');
        if (eq < 0 || line.left(eq).trimmed() != "AnimationDurationFactor") continue;
        bool ok = false;
        double factor = line.mid(eq + 1).trimmed().toDouble(&ok);
        if (ok) return factor == 0;
    }
    return std::nullopt;
}

std::optional<bool> QtAccessibility::answerFromKdeGlobalsFile(const QString& file) {
    // Anything but a plain file of a sane size is no setting: a FIFO there must not hang the start.
    const auto found =
        readRegularFile(QFile::encodeName(file).toStdString(), kMaxKdeGlobalsSize, OversizedFile::refuse);
    return found.ok() ? answerFromKdeGlobals(QString::fromStdString(found.bytes)) : std::nullopt;
}

QString QtAccessibility::kdeGlobalsPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) config = QDir::homePath() + "/.config";
    return config + "/kdeglobals";
}

void QtAccessibility::askPortal(const QString& group, const QString& key) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, settingsInterface, "ReadOne");
    message << group << key;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, 3000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, group, key](QDBusPendingCallWatcher* call) {
        call->deleteLater();
        QDBusPendingReply<QVariant> reply = *call;
        if (reply.isError()) {
            // Portals before version 2 only know Read, which wraps the value once more.
            if (reply.error().type() == QDBusError::UnknownMethod) {
                QDBusMessage old =
                    QDBusMessage::createMethodCall(service, path, settingsInterface, "Read");
                old << group << key;
                auto* again = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(old, 3000), this);
                connect(again, &QDBusPendingCallWatcher::finished, this,
                        [this, group, key](QDBusPendingCallWatcher* c) {
                            c->deleteLater();
                            QDBusPendingReply<QVariant> r = *c;
                            if (r.isError()) return;
                            if (auto answer = answerFromPortal(group, key, r.value())) take(*answer);
                            if (auto high = contrastFromPortal(group, key, r.value())) takeContrast(group, *high);
                        });
            }
            return;
        }
        if (auto answer = answerFromPortal(group, key, reply.value())) take(*answer);
        if (auto high = contrastFromPortal(group, key, reply.value())) takeContrast(group, *high);
    });
}

void QtAccessibility::settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
    if (auto answer = answerFromPortal(group, key, value.variant())) take(*answer);
    if (auto high = contrastFromPortal(group, key, value.variant())) takeContrast(group, *high);
}

void QtAccessibility::take(const PortalAnswer& answer) {
    switch (answer.source) {
        case PortalAnswer::Source::appearance:
            appearance_ = answer.reduce;
            break;
        case PortalAnswer::Source::gnome:
            gnome_ = answer.reduce;
            break;
        case PortalAnswer::Source::kde:
            kde_ = answer.reduce;
            break;
    }
    noteChange();
}

void QtAccessibility::noteChange() {
    bool now = reduceMotion();
    if (now == lastAnswer_) return;
    lastAnswer_ = now;
    center_.post(notifications::reduceMotionChanged);
}

// Read when the file changes, never at a query: the answer is asked for at every frame.
void QtAccessibility::readKdeGlobals() {
    const QString file = kdeGlobalsPath();
    kdeGlobals_ = answerFromKdeGlobalsFile(file);
    // An editor that replaces the file drops the watch; take the new file up again.
    if (QFileInfo::exists(file) && !watcher_.files().contains(file)) watcher_.addPath(file);
}

}  // namespace platform::qt
