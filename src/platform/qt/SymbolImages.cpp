#include "platform/qt/SymbolImages.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "platform/program/ResourceBundle.h"
#include "platform/qt/FileImages.h"

namespace platform::qt {
namespace {

// Symbol name -> freedesktop icon name. Filled names and their outline twins share an icon:
// symbolic icons carry no fill variants.
constexpr std::pair<std::string_view, const char*> kSymbols[]{
    {"house.fill", "go-home-symbolic"},
    {"house.and.flag.fill", "user-home-symbolic"},
    {"waveform.path", "media-playlist-shuffle-symbolic"},
    {"sparkles", "starred-symbolic"},
    {"keyboard", "input-keyboard-symbolic"},
    {"heart.fill", "emblem-favorite-symbolic"},
    {"seal.fill", "emblem-default-symbolic"},
    {"menubar.rectangle", "view-app-grid-symbolic"},
    {"hand.raised.fill", "security-high-symbolic"},
    {"info.circle", "help-about-symbolic"},
    {"info.circle.fill", "help-about-symbolic"},
    {"arrow.down.circle", "folder-download-symbolic"},
    {"exclamationmark.triangle", "dialog-warning-symbolic"},
    {"exclamationmark.triangle.fill", "dialog-warning-symbolic"},
    {"arrow.triangle.2.circlepath", "view-refresh-symbolic"},
    {"arrow.clockwise.circle.fill", "view-refresh-symbolic"},
    {"checkmark.circle", "object-select-symbolic"},
    {"checkmark.circle.fill", "object-select-symbolic"},
    {"checkmark.shield.fill", "security-high-symbolic"},
    {"exclamationmark.shield.fill", "security-low-symbolic"},
    {"arrow.up.and.down", "object-flip-vertical-symbolic"},
    {"pawprint.fill", "emoji-nature-symbolic"},
    {"aqi.medium", "weather-windy-symbolic"},
    {"eye.fill", "view-reveal-symbolic"},
    {"rotate.left", "object-rotate-left-symbolic"},
    {"arrow.up", "go-up-symbolic"},
    {"number.square.fill", "view-list-ordered-symbolic"},
    {"circle", "radio-symbolic"},
    {"text.cursor", "insert-text-symbolic"},
    {"rectangle.slash", "action-unavailable-symbolic"},
    {"calendar", "x-office-calendar-symbolic"},
    {"clock", "preferences-system-time-symbolic"},
    {"timer", "alarm-symbolic"},
    {"timer.circle.fill", "alarm-symbolic"},
    {"moon.stars.fill", "weather-clear-night-symbolic"},
    {"character.cursor.ibeam", "insert-text-symbolic"},
    {"macwindow.badge.plus", "video-display-symbolic"},
    {"rectangle.on.rectangle", "focus-windows-symbolic"},
    {"icloud.slash.fill", "network-offline-symbolic"},
    {"switch.2", "changes-allow-symbolic"},
    {"fork.knife", "emoji-food-symbolic"},
    {"moon.zzz.fill", "weather-clear-night-symbolic"},
    {"face.smiling.fill", "face-smile-big-symbolic"},
    {"figure.run", "emoji-activities-symbolic"},
    {"macwindow", "video-display-symbolic"},
    {"stop.fill", "media-playback-stop-symbolic"},
    {"play.fill", "media-playback-start-symbolic"},
    {"arrow.clockwise", "view-refresh-symbolic"},
    {"wind", "weather-windy-symbolic"},
    {"eyes", "view-reveal-symbolic"},
    {"figure.walk", "emoji-people-symbolic"},
    {"moon.zzz", "weather-clear-night-symbolic"},
    {"bed.double.fill", "night-light-symbolic"},
    {"cloud.moon.fill", "weather-few-clouds-night-symbolic"},
    {"hand.draw.fill", "input-touchpad-symbolic"},
    {"mappin.and.ellipse", "mark-location-symbolic"},
    {"hare.fill", "emoji-nature-symbolic"},
    {"magnifyingglass", "system-search-symbolic"},
    {"eye", "view-reveal-symbolic"},
    {"bell.fill", "preferences-system-notifications-symbolic"},
    {"tennisball.fill", "applications-games-symbolic"},
    {"scope", "find-location-symbolic"},
    {"figure.flexibility", "emoji-body-symbolic"},
    {"hand.wave.fill", "user-available-symbolic"},
    {"hands.clap.fill", "emote-love-symbolic"},
    {"person.2.fill", "system-users-symbolic"},
    {"eye.slash.fill", "view-conceal-symbolic"},
    {"circle.fill", "media-record-symbolic"},
    {"keyboard.fill", "input-keyboard-symbolic"},
    {"gearshape", "emblem-system-symbolic"},
    {"sparkle", "star-new-symbolic"},
    {"hourglass", "preferences-system-time-symbolic"},
    {"hands.sparkles.fill", "face-smile-symbolic"},
    {"star.fill", "starred-symbolic"},
    {"sun.max.fill", "weather-clear-symbolic"},
    {"calendar.badge.clock", "alarm-symbolic"},
    {"infinity", "media-playlist-repeat-symbolic"},
    {"medal.fill", "emblem-default-symbolic"},
    {"heart.circle.fill", "emblem-favorite-symbolic"},
    {"lock.fill", "changes-prevent-symbolic"},
    {"wifi", "network-wireless-signal-excellent-symbolic"},
    {"battery.100percent", "battery-level-100-symbolic"},
    {"speaker.wave.2.fill", "audio-volume-high-symbolic"},
    {"command", "preferences-desktop-keyboard-shortcuts-symbolic"},
    {"arrow.right", "go-next-symbolic"},
    {"arrow.uturn.backward", "edit-undo-symbolic"},
    {"circle.grid.2x2.fill", "view-app-grid-symbolic"},
};

// Symbols no theme icon fits (a water drop: the themes only have rain; a standing figure: theirs
// is the accessibility badge, a person in a circle) are SVG files of our own in the bundle.
QIcon bundledSymbol(std::string_view symbolName) {
    const auto bundle = ResourceBundle::find();
    if (!bundle) return {};
    // A symbol's drawing is a kilobyte or two.
    constexpr uint64_t kMaxSymbolSize = 1 << 20;
    return iconFromFiles({{0, bundle->root() / "Assets" / "Symbols" / (std::string(symbolName) + ".svg")}},
                         kMaxSymbolSize);
}

const char* iconName(std::string_view symbolName) {
    for (const auto& [symbol, icon] : kSymbols)
        if (symbol == symbolName) return icon;
    return nullptr;
}

// Draws the tinted symbol afresh for every size and ratio it is asked for, so a button's icon is
// as sharp and as large in points on a scaled screen as on a plain one.
class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(std::string symbolName, QColor tint) : name_(std::move(symbolName)), tint_(tint) {}
    QIconEngine* clone() const override { return new SymbolIconEngine(name_, tint_); }
    QString key() const override { return QStringLiteral("tuftle-symbol"); }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min(size.width(), size.height());
        return {std::max(size.width(), side), side};
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        // Asked in device pixels; the pixmap keeps its ratio so it is drawn at size / scale points.
        const int side = qRound(std::min(size.width(), size.height()) / scale);
        QColor tint = tint_;
        if (mode == QIcon::Disabled) tint.setAlphaF(tint.alphaF() * 0.4f);
        QPixmap symbol = symbolPixmap(name_, side, tint, scale);
        const int width = qRound(size.width() / scale);
        if (width <= side || symbol.isNull()) return symbol;
        // A box wider than tall holds the symbol at its start and leaves the rest empty: the
        // room between a button's symbol and its title.
        QPixmap boxed(size);
        boxed.setDevicePixelRatio(scale);
        boxed.fill(Qt::transparent);
        QPainter(&boxed).drawPixmap(QGuiApplication::isRightToLeft() ? width - side : 0, 0, symbol);
        return boxed;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        const QSize box = actualSize(rect.size(), mode, state);
        const QPixmap drawn = scaledPixmap(box * ratio, mode, state, ratio);
        const QPointF centre = QRectF(rect).center();
        painter->drawPixmap(
            QRectF(centre.x() - box.width() / 2.0, centre.y() - box.height() / 2.0, box.width(), box.height()), drawn,
            QRectF(drawn.rect()));
    }

private:
    std::string name_;
    QColor tint_;
};

}  // namespace

QIcon symbolImage(std::string_view symbolName) {
    static const bool themeReady = [] {
        // Without a desktop's platform theme Qt searches no system folder and names no theme.
        QStringList paths = QIcon::themeSearchPaths();
        const QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
        for (const QString& dir : dataDirs.split(':', Qt::SkipEmptyParts))
            if (!paths.contains(dir + "/icons")) paths << dir + "/icons";
        QIcon::setThemeSearchPaths(paths);
        QIcon::setFallbackThemeName("Adwaita");
        if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") QIcon::setThemeName("Adwaita");
        return true;
    }();
    (void)themeReady;
    const char* name = iconName(symbolName);
    return name ? QIcon::fromTheme(QString::fromLatin1(name)) : bundledSymbol(symbolName);
}

QPixmap symbolPixmap(std::string_view symbolName, int side, const QColor& tint, qreal devicePixelRatio) {
    const QIcon icon = symbolImage(symbolName);
    if (icon.isNull()) return {};
    const int pixels = qRound(side * devicePixelRatio);
    // Asked without a ratio, the icon answers at the application's ratio, which is not always
    // the one the pixmap is meant for; its own ratio says how large it is in points.
    const QPixmap shape = icon.pixmap(QSize(side, side), devicePixelRatio);
    if (shape.isNull()) return {};
    QPixmap tinted(pixels, pixels);
    tinted.setDevicePixelRatio(devicePixelRatio);
    tinted.fill(Qt::transparent);
    // An icon larger than asked is fitted into the box, a smaller one centred rather than left
    // in a corner.
    QSizeF drawn = shape.deviceIndependentSize();
    if (drawn.width() > side || drawn.height() > side) drawn.scale(side, side, Qt::KeepAspectRatio);
    QPainter p(&tinted);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawPixmap(QRectF(QPointF((side - drawn.width()) / 2, (side - drawn.height()) / 2), drawn), shape,
                 QRectF(shape.rect()));
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(QRectF(0, 0, side, side), tint);
    p.end();
    return tinted;
}

QIcon symbolIcon(std::string_view symbolName, const QColor& tint) {
    if (symbolImage(symbolName).isNull()) return {};
    return QIcon(new SymbolIconEngine(std::string(symbolName), tint));
}

}  // namespace platform::qt
