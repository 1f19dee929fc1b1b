#pragma once

#include <QColor>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

namespace platform::qt {

// The colour a tray icon's template takes in the XEmbed tray holding it: the tray's own
// foreground where its manager announces one (_NET_SYSTEM_TRAY_COLORS), else a colour apart
// from the tray's background as it shows around the picture. Looked at each time the icon
// window is placed anew (docked, moved, resized), after it was painted there, and once more a
// second later; never otherwise.
class X11TrayInk final : public QObject {
public:
    // `drawnAlone` paints the picture alone into a transparent image of the given device pixels
    // and pixel ratio; `changed` runs when the ink changes.
    X11TrayInk(std::function<QImage(QSize, qreal)> drawnAlone, std::function<void()> changed);

    // Nothing until the tray was looked at.
    std::optional<QColor> ink() const { return ink_; }
    // The icon window `icon` has just painted the picture.
    void painted(QWidget* icon);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void look();

    std::function<QImage(QSize, qreal)> drawnAlone_;
    std::function<void()> changed_;
    QPointer<QWidget> icon_;
    bool due_ = true;
    bool lookPosted_ = false;
    bool checked_ = false;  // the second look of this placing is planned
    std::optional<QColor> ink_;
};

}  // namespace platform::qt
