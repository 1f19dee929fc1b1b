#include "platform/qt/QtWindow.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QPixmapCache>
#include <QScreen>
#include <QWidget>
#include <cmath>
#include <malloc.h>

namespace platform::qt {

class QtWindow::Widget final : public QWidget {
public:
    Widget()
        : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {}
    std::function<void()> onClosed;

protected:
    void closeEvent(QCloseEvent* event) override {
        QWidget::closeEvent(event);
        if (!event->isAccepted() || !onClosed) return;
        // A copy: the handler may let go of the window, and this widget's handler with it.
        auto handler = onClosed;
        handler();
    }
};

QtWindow::QtWindow(const std::string& title, Size contentSize) : widget_(new Widget) {
    widget_->setWindowTitle(QString::fromStdString(title));
    widget_->setFixedSize(static_cast<int>(std::lround(contentSize.width)),
                          static_cast<int>(std::lround(contentSize.height)));
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
    return {static_cast<double>(widget_->width()), static_cast<double>(widget_->height())};
}

void QtWindow::center() {
    if (!widget_) return;
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = widget_->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
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

QWidget* QtWindow::contentWidget() const {
    return widget_;
}

std::unique_ptr<Window> QtWindowFactory::createWindow(const std::string& title, Size contentSize) {
    return std::make_unique<QtWindow>(title, contentSize);
}

}  // namespace platform::qt
