#include "platform/qt/QtWindow.h"

#include <malloc.h>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmapCache>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/qt/QtScreens.h"
#include "platform/qt/X11Display.h"

// Xlib last: its macros (None, Bool, Status...) would clash with Qt's headers.
#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace platform::qt {

namespace {

bool isFrameExtentsChange(const QByteArray& type, void* message) {
    if (type != "xcb_generic_event_t") return false;
    const auto* e = static_cast<const xcb_generic_event_t*>(message);
    if ((e->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    static const unsigned long atom = qtX11Display() ? XInternAtom(qtX11Display(), "_NET_FRAME_EXTENTS", False) : 0;
    return atom && reinterpret_cast<const xcb_property_notify_event_t*>(e)->atom == atom;
}

}  // namespace

class QtWindow::Widget final : public QWidget {
public:
    explicit Widget(QSize contentSize)
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
          content_(new QWidget),
          contentSize_(contentSize) {
        // The content keeps its size; a window that must be smaller than it scrolls it.
        auto* scroll = new QScrollArea;
        scroll->setFrameShape(QFrame::NoFrame);
        // Tab walks the content as before; a control it reaches is scrolled into view.
        scroll->setFocusPolicy(Qt::NoFocus);
        scroll->setWidget(content_);
        content_->setFixedSize(contentSize);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(scroll);
        setSize(contentSize);
    }

    std::function<void()> onClosed;
    QWidget* content() const { return content_; }
    QSize contentSize() const { return contentSize_; }

    void letContentFollowHeight() {
        followsHeight_ = true;
        // Its layout's minimum changes with what it shows.
        content_->installEventFilter(this);
        fitContent();
    }

    // Sizes the window for `screen`: the content's size, but no larger than the screen's work
    // area, title bar and borders included. Off X (the offscreen platform of the tests and the
    // screenshots) there is no monitor to fit, and the whole content is wanted.
    void fitTo(QScreen* screen) {
        if (!screen || !qtX11Display()) return setSize(contentSize_);
        // Qt's frame geometry keeps the margins of the last move; the window's own are read anew.
        const QMargins frame = windowHandle() ? windowHandle()->frameMargins() : QMargins();
        setSize(sizeWithin(workArea(screen).size().shrunkBy(frame)));
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        if (!event->isAccepted() || !onClosed) return;
        // A copy: the handler may let go of the window, and this widget's handler with it.
        auto handler = onClosed;
        handler();
    }

    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        // Qt hands a window moved onto a screen of another scale over with its size in device
        // pixels kept, and its size hints in the old screen's pixels: it is sized again once Qt
        // is done with the move.
        connect(windowHandle(), &QWindow::screenChanged, this, &Widget::refit,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        refit();
    }

    bool nativeEvent(const QByteArray& type, void* message, qintptr* result) override {
        // The window manager frames the window once it is shown, and a resizable one anew (with
        // a grip): its size is known after Qt has taken the event in.
        if (isFrameExtentsChange(type, message)) QMetaObject::invokeMethod(this, &Widget::refit, Qt::QueuedConnection);
        return QWidget::nativeEvent(type, message, result);
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        // Once the content has answered the new size: it may need less, or more, at that height.
        if (followsHeight_) QMetaObject::invokeMethod(this, &Widget::fitContent, Qt::QueuedConnection);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == content_ && event->type() == QEvent::LayoutRequest) fitContent();
        return QWidget::eventFilter(watched, event);
    }

private:
    // The least height the content's layout needs at its width (the scroll area's own resizing
    // would hold it to its preferred height instead).
    int leastContentHeight() const {
        int least = content_->minimumSizeHint().height();
        if (const auto* layout = content_->layout(); layout && layout->hasHeightForWidth())
            least = std::max(least, layout->totalMinimumHeightForWidth(contentSize_.width()));
        return least;
    }

    // The window's size less its scroll bars, but never below the content's width, nor the least
    // height it needs. Wider than that where the window kept room for a bar it does not show.
    void fitContent() {
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const int least = leastContentHeight();
        bool vertical = least > height();
        const bool horizontal = contentSize_.width() > width() - (vertical ? bar : 0);
        vertical = vertical || least > height() - (horizontal ? bar : 0);
        content_->setFixedSize(std::max(contentSize_.width(), width() - (vertical ? bar : 0)),
                               std::max(least, height() - (horizontal ? bar : 0)));
    }

    void refit() {
        if (isVisible()) fitTo(screen());
    }

    QSize sizeWithin(QSize room) const {
        // A scroll bar takes its width from the other side: the window grows by it where it can.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        QSize size = contentSize_;
        if (size.height() > room.height()) size.rwidth() += bar;
        if (size.width() > room.width()) size.rheight() += bar;
        return size.boundedTo(room).expandedTo(QSize(1, 1));
    }

    void setSize(QSize size) {
        setMinimumSize(size);
        setMaximumSize(contentSize_.expandedTo(size));
        resize(size);
    }

    QWidget* content_;
    QSize contentSize_;
    bool followsHeight_ = false;
};

QtWindow::QtWindow(const std::string& title, Size contentSize)
    : widget_(new Widget(
          QSize(static_cast<int>(std::lround(contentSize.width)), static_cast<int>(std::lround(contentSize.height))))) {
    widget_->setWindowTitle(QString::fromStdString(title));
}

QtWindow::~QtWindow() {
    // The owner may let go of the window from inside one of its own event handlers.
    if (widget_) {
        widget_->onClosed = nullptr;
        widget_->hide();
        // Qt's pixmap cache keeps what the window's icons and styles drew, under keys of icons
        // that are gone, until it is full (megabytes); glibc keeps the freed pages of a whole
        // window's widgets. Hand both back.
        QObject::connect(widget_, &QObject::destroyed, [] {
            QPixmapCache::clear();
            malloc_trim(0);
        });
        widget_->deleteLater();
    }
}

std::string QtWindow::title() const {
    return widget_ ? widget_->windowTitle().toStdString() : std::string();
}

void QtWindow::setTitle(const std::string& title) {
    if (widget_) widget_->setWindowTitle(QString::fromStdString(title));
}

Size QtWindow::contentSize() const {
    if (!widget_) return {};
    const QSize size = widget_->contentSize();
    return {static_cast<double>(size.width()), static_cast<double>(size.height())};
}

void QtWindow::center() {
    if (!widget_) return;
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    widget_->fitTo(screen);
    QRect frame = widget_->frameGeometry();
    frame.moveCenter(workArea(screen).center());
    widget_->move(frame.topLeft());
}

void QtWindow::makeKeyAndOrderFront() {
    if (!widget_) return;
    // Raising and activating leave a minimized window minimized on some window managers, and
    // a desktop without a task list would then offer no way back to it.
    if (widget_->windowState() & Qt::WindowMinimized)
        widget_->setWindowState(widget_->windowState() & ~Qt::WindowMinimized);
    widget_->show();
    widget_->raise();
    widget_->activateWindow();
}

void QtWindow::close() {
    if (widget_ && widget_->isVisible()) widget_->close();
}

void QtWindow::orderOut() {
    if (widget_) widget_->hide();
}

bool QtWindow::isVisible() const {
    return widget_ && widget_->isVisible();
}

void QtWindow::setOnClosed(std::function<void()> handler) {
    if (widget_) widget_->onClosed = std::move(handler);
}

void QtWindow::letContentFollowHeight() {
    if (widget_) widget_->letContentFollowHeight();
}

QWidget* QtWindow::contentWidget() const {
    return widget_ ? widget_->content() : nullptr;
}

std::unique_ptr<Window> QtWindowFactory::createWindow(const std::string& title, Size contentSize) {
    return std::make_unique<QtWindow>(title, contentSize);
}

}  // namespace platform::qt
