#include "platform/qt/QtStatusBar.h"

#include <xcb/xcb.h>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QIconEngine>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintDevice>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cmath>

#include "platform/qt/QtColorScheme.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/SniStatusItem.h"
#include "platform/qt/TrayTint.h"
#include "platform/qt/X11Display.h"
#include "platform/qt/X11StackLook.h"
#include "platform/qt/X11TimeMark.h"
#include "platform/qt/X11TrayInk.h"

namespace platform::qt {
namespace {

QElapsedTimer& popupDismissal() {
    static QElapsedTimer timer;
    return timer;
}

// The scale of the monitor that holds `window` on the X screen.
qreal monitorScaleOf(QWidget* window) {
    xcb_connection_t* c = qtXcbConnection();
    const PixelSpace space = currentPixelSpace();
    if (!c || space.monitors().empty()) return window->devicePixelRatioF();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const auto origin = xcbReply(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, xcb_window_t(window->winId()), root, 0, 0), nullptr));
    if (!origin) return window->devicePixelRatioF();
    const QSizeF pixels = QSizeF(window->size()) * window->devicePixelRatioF();
    const Point centre{origin->dst_x + pixels.width() / 2, origin->dst_y + pixels.height() / 2};
    for (const PixelMonitor& monitor : space.monitors())
        if (monitor.pixels.contains(centre)) return monitor.ratio;
    return window->devicePixelRatioF();
}

// Asks the tray holding `window` for `side` pixels square, by the window's size hints, the
// others kept. Qt asks for the icon's side at the scale the window had when it was made and
// does not ask again when the window's scale changes; Qt's own minimum size is left alone, since
// setting it resizes the window, which the tray sizes.
void askSide(QWidget* window, int side) {
    xcb_connection_t* c = qtXcbConnection();
    if (!c || !window) return;
    const auto w = xcb_window_t(window->winId());
    constexpr uint32_t count = 18, minSizeFlag = 1 << 4;  // WM_SIZE_HINTS: flags, x, y, w, h, min w, min h...
    const auto reply = xcbReply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 0, count), nullptr));
    std::array<uint32_t, count> hints{};
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
        const auto length = std::min<size_t>(count, size_t(xcb_get_property_value_length(reply.get()) / 4));
        std::copy(values, values + length, hints.begin());
    }
    if ((hints[0] & minSizeFlag) && hints[5] == uint32_t(side) && hints[6] == uint32_t(side)) return;
    hints[0] |= minSizeFlag;
    hints[5] = hints[6] = uint32_t(side);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS, 32, count,
                        hints.data());
    xcb_flush(c);
}

// Paints the current template at the size and pixel ratio of each request, in `tint`; tells
// `painted` which icon window it painted.
class TemplateIconEngine final : public QIconEngine {
public:
    TemplateIconEngine(QtStatusItem::TemplatePainter painter, QColor tint, std::function<void(QWidget*)> painted)
        : painter_(std::move(painter)), tint_(tint), painted_(std::move(painted)) {}
    void paint(QPainter* p, const QRect& rect, QIcon::Mode, QIcon::State) override {
        const qreal dpr = p->device() ? p->device()->devicePixelRatioF() : 1.0;
        p->drawImage(rect, renderTemplate(painter_, rect.size() * dpr, dpr, tint_));
        if (painted_) painted_(dynamic_cast<QWidget*>(p->device()));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override {
        return QPixmap::fromImage(renderTemplate(painter_, size, 1, tint_));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        return {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {44, 44}, {48, 48}, {64, 64}};
    }
    QIconEngine* clone() const override { return new TemplateIconEngine(painter_, tint_, painted_); }

private:
    QtStatusItem::TemplatePainter painter_;
    QColor tint_;
    std::function<void(QWidget*)> painted_;
};

// The entry on an XEmbed tray. Qt reports its place there, and docks it by itself when a
// tray appears later. Its template takes the tray's colours, not the desktop's scheme: a dark
// tray under a light scheme is common.
class XEmbedStatusItem final : public QtStatusItem {
public:
    XEmbedStatusItem()
        : ink_([this](QSize pixels, qreal dpr) { return renderTemplate(painter_, pixels, dpr, Qt::black); },
               [this] { refreshIcon(); }) {
        QObject::connect(&tray_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
            StatusItemClick click;
            // Qt reports a press soon after the last one as a double click instead: a click
            // all the same (the panel opened, closed by Escape and opened again at once).
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                click.button = StatusItemClick::Button::primary;
            else if (reason == QSystemTrayIcon::Context)
                click.button = StatusItemClick::Button::secondary;
            else if (reason == QSystemTrayIcon::MiddleClick)
                click.button = StatusItemClick::Button::middle;
            else
                return;
            // As the press found them: a busy program may get to it after Control was let go.
            click.commandHeld = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
            if (onClick_ && !clickDismissedPopup()) onClick_(click);
        });
        QObject::connect(&QtColorScheme::shared(), &QtColorScheme::changed, &tray_, [this] { refreshIcon(); });
        followMonitors();
        refreshIcon();
    }
    ~XEmbedStatusItem() override { tray_.hide(); }

    void setTemplatePainter(TemplatePainter painter) override {
        painter_ = std::move(painter);
        refreshIcon();
    }
    void setToolTip(const std::string& text) override { tray_.setToolTip(QString::fromStdString(text)); }
    std::string toolTip() const override { return tray_.toolTip().toStdString(); }
    // The XEmbed icon window is Qt's own and takes no accessible name; its tooltip speaks.
    void setAccessibilityLabel(const std::string&) override {}
    void setOnClick(std::function<void(const StatusItemClick&)> handler) override { onClick_ = std::move(handler); }
    std::optional<Rect> geometry() const override {
        const QRect g = tray_.geometry();
        if (g.isEmpty()) return std::nullopt;
        return fromQtGeometry(g, primaryGeometry());
    }
    bool isVisible() const override { return tray_.isVisible(); }
    // Without a tray Qt keeps the icon shown, nowhere.
    bool isDocked() const override {
        return tray_.isVisible() && QSystemTrayIcon::isSystemTrayAvailable() && !tray_.geometry().isEmpty();
    }

private:
    void refreshIcon() {
        if (!painter_) return;
        tray_.setIcon(
            QIcon(new TemplateIconEngine(painter_, ink_.ink().value_or(templateTint()), [this](QWidget* icon) {
                ink_.painted(icon);
                noteIcon(icon);
            })));
        tray_.show();  // only with a picture: an icon without one would dock empty
    }

    // Asked of the server only for a window new or placed anew (docked, or moved by its tray, as
    // when the monitors change under it): the picture is painted far more often.
    void noteIcon(QWidget* icon) {
        if (!icon || (icon == icon_ && icon->geometry() == placed_)) return;
        icon_ = icon;
        placed_ = icon->geometry();
        askSideAtItsMonitor();
    }

    void askSideAtItsMonitor() {
        if (icon_) askSide(icon_, int(std::lround(kIconSide * monitorScaleOf(icon_))));
    }

    // The monitors can change under a tray that stays where it is on the X screen, and its icon
    // may be painted anew before the toolkit has the new monitors: it asks again once they are in.
    void followMonitors() {
        const auto changed = [this] { QTimer::singleShot(0, &tray_, [this] { askSideAtItsMonitor(); }); };
        const auto watch = [this, changed](QScreen* screen) {
            QObject::connect(screen, &QScreen::geometryChanged, &tray_, changed);
        };
        for (QScreen* screen : QGuiApplication::screens()) watch(screen);
        QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &tray_, [watch, changed](QScreen* screen) {
            watch(screen);
            changed();
        });
        QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &tray_, changed);
    }

    static constexpr int kIconSide = 22;  // points: what Qt and GNOME's trays take as standard

    QSystemTrayIcon tray_;
    TemplatePainter painter_;
    X11TrayInk ink_;
    QPointer<QWidget> icon_;  // Qt's icon window, once painted
    QRect placed_;            // where Qt had it then
    std::function<void(const StatusItemClick&)> onClick_;
};

// Notes a press outside it, which makes Qt close it. Qt's pointer grab for a popup fails
// unnoticed while another client holds the pointer (a tray host's menu, whose entry opened the
// panel); a click on the tray icon would then reach the host and open its menu again. So the
// grab is taken again for a moment after the popup shows.
//
// Qt closes every popup when the program stops being the active one, and on X11 it learns that
// 400 ms after its last window lost the focus, unless one of its windows takes the focus first.
// A panel opened in between (the tray clicked right after one of our windows was minimized or
// closed, on a busy desktop where the panel takes the focus late) would shut as it opens. Right
// after it shows, only the user closes it: by a press outside, by Escape, or as the program
// hides it.
//
// A busy program may open it, for a second start, before it handles a press or key made just
// before on one of its windows; Qt would hand that on to the panel as a press outside it. Only
// input made after the panel opened closes it.
class PopupWidget final : public QWidget {
public:
    PopupWidget() : QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint) {
        regrab_.setInterval(100);
        QObject::connect(&regrab_, &QTimer::timeout, this, [this] {
            if (++regrabs_ > 20 || QApplication::activePopupWidget() != this || !windowHandle())
                regrab_.stop();
            else
                windowHandle()->setMouseGrabEnabled(true);
        });
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (!opened_.madeAfter(event->timestamp())) return event->accept();
        if (!rect().contains(event->position().toPoint())) {
            popupDismissal().start();
            dismissedByUser_ = true;
        }
        QWidget::mousePressEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (!opened_.madeAfter(event->timestamp())) return event->accept();
        if (event->matches(QKeySequence::Cancel)) dismissedByUser_ = true;
        QWidget::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        // Qt asks a refusing popup again, a bounded number of times in one go, and then leaves it.
        if (!dismissedByUser_ && shown_.isValid() && shown_.elapsed() < kLateDeactivation &&
            QGuiApplication::applicationState() != Qt::ApplicationActive)
            return event->ignore();
        QWidget::closeEvent(event);
    }
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        opened_.set(*this);
        dismissedByUser_ = false;
        shown_.start();
        regrabs_ = 0;
        regrab_.start();
    }
    void hideEvent(QHideEvent* event) override {
        regrab_.stop();
        QWidget::hideEvent(event);
    }

private:
    // Past Qt's 400 ms wait, with room for a program slowed down by a busy desktop.
    static constexpr qint64 kLateDeactivation = 1500;  // ms

    QTimer regrab_;
    int regrabs_ = 0;
    QElapsedTimer shown_;
    X11TimeMark opened_;
    bool dismissedByUser_ = false;
};

// The panel's popup: frameless, closed by a click outside or Escape. A click that closes it is
// not passed on, so a second click on the tray icon only closes it.
class QtPopover final : public Popover {
public:
    QtPopover() {
        widget_.setAttribute(Qt::WA_NoMouseReplay);
        widget_.setAutoFillBackground(true);
        widget_.setWindowTitle("tuftle");
    }
    void setContentSize(Size size) override {
        size_ = size;
        widget_.setFixedSize(int(size.width), int(size.height));
    }
    Size contentSize() const override { return size_; }
    void show(const Rect& frame) override {
        widget_.setGeometry(toQtGeometry(frame));
        widget_.show();
        widget_.raise();
        widget_.activateWindow();
    }
    void close() override { widget_.hide(); }
    bool isShown() const override { return widget_.isVisible(); }
    QWidget& widget() { return widget_; }

private:
    PopupWidget widget_;
    Size size_;
};

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";

bool watcherRuns() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(kWatcher).value();
}

// The entry on whichever tray there is: our own StatusNotifierItem while a watcher runs on the
// session bus, else the XEmbed icon. A watcher that appears takes the entry at once; one that
// goes away is given a few seconds to come back (a panel restarting) before the entry returns
// to XEmbed, where Qt docks it in whatever tray starts later. What was set is handed on.
class TrayStatusItem final : public QtStatusItem {
public:
    TrayStatusItem() : watcher_(kWatcher, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange) {
        fallback_.setSingleShot(true);
        fallback_.setInterval(kWatcherGrace);
        QObject::connect(&fallback_, &QTimer::timeout, &watcher_, [this] { replace(false); });
        QObject::connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, &watcher_, [this] {
            fallback_.stop();
            if (!onSni()) replace(true);
        });
        QObject::connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, &watcher_, [this] {
            if (onSni()) fallback_.start();
        });
        current_ = make(watcherRuns());
        current_->setOnClick(forward());
    }

    void setTemplatePainter(TemplatePainter painter) override {
        painter_ = painter;
        current_->setTemplatePainter(std::move(painter));
    }
    void setToolTip(const std::string& text) override { current_->setToolTip(text); }
    std::string toolTip() const override { return current_->toolTip(); }
    void setAccessibilityLabel(const std::string& label) override {
        label_ = label;
        current_->setAccessibilityLabel(label);
    }
    void setSecondaryActionTitle(const std::string& title) override {
        secondaryTitle_ = title;
        current_->setSecondaryActionTitle(title);
    }
    void setOnClick(std::function<void(const StatusItemClick&)> handler) override { onClick_ = std::move(handler); }
    std::optional<Rect> geometry() const override { return current_->geometry(); }
    bool isVisible() const override { return current_->isVisible(); }
    bool isDocked() const override { return current_->isDocked(); }

private:
    // Long enough for a panel that restarts to own the watcher's name again.
    static constexpr int kWatcherGrace = 3000;

    static std::unique_ptr<QtStatusItem> make(bool sni) {
        if (sni) return std::make_unique<SniStatusItem>();
        return std::make_unique<XEmbedStatusItem>();
    }
    bool onSni() const { return dynamic_cast<SniStatusItem*>(current_.get()) != nullptr; }
    std::function<void(const StatusItemClick&)> forward() {
        return [this](const StatusItemClick& click) {
            if (onClick_) onClick_(click);
        };
    }
    // The old entry leaves its tray before the new one shows, so no tray ever holds both.
    void replace(bool sni) {
        const std::string tip = current_->toolTip();
        current_.reset();
        current_ = make(sni);
        current_->setOnClick(forward());
        if (painter_) current_->setTemplatePainter(painter_);
        current_->setToolTip(tip);
        current_->setAccessibilityLabel(label_);
        current_->setSecondaryActionTitle(secondaryTitle_);
    }

    QDBusServiceWatcher watcher_;
    QTimer fallback_;
    std::unique_ptr<QtStatusItem> current_;
    TemplatePainter painter_;
    std::string label_;
    std::string secondaryTitle_;
    std::function<void(const StatusItemClick&)> onClick_;
};

}  // namespace

bool clickDismissedPopup() {
    return popupDismissal().isValid() && popupDismissal().elapsed() < 400;
}

QColor templateTint() {
    return templateTintOn(QtColorScheme::shared().isDark() ? Qt::black : Qt::white);
}

QImage renderTemplate(const QtStatusItem::TemplatePainter& painter, QSize pixels, qreal dpr, const QColor& tint) {
    QImage image(pixels.expandedTo({1, 1}), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!painter) return image;
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    p.scale(dpr, dpr);
    painter(p, QRectF(0, 0, pixels.width() / dpr, pixels.height() / dpr));
    p.resetTransform();
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), tint);
    p.end();
    image.setDevicePixelRatio(dpr);
    return image;
}

std::unique_ptr<StatusItem> QtStatusBar::createStatusItem() {
    // Qt would speak StatusNotifierItem itself where a watcher runs, but then right clicks
    // never reach the program, clicks carry no position, and a watcher that comes later is
    // never used.
    return std::make_unique<TrayStatusItem>();
}

QWidget* popoverWidget(Popover& popover) {
    auto* qt = dynamic_cast<QtPopover*>(&popover);
    return qt ? &qt->widget() : nullptr;
}

std::unique_ptr<Popover> QtStatusBar::createPopover() {
    return std::make_unique<QtPopover>();
}

}  // namespace platform::qt
