#include "windows/qt/HostedWindow.h"

#include <QVBoxLayout>

#include "platform/qt/QtWindow.h"

namespace windows::qt {

HostedWindow::HostedWindow(const std::string& title, platform::Size contentSize)
    : window_(std::make_unique<platform::qt::QtWindow>(title, contentSize)) {}

HostedWindow::~HostedWindow() = default;

void HostedWindow::host(QWidget* view) {
    auto* layout = new QVBoxLayout(window_->contentWidget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

void HostedWindow::letViewFollowHeight() {
    window_->letContentFollowHeight();
}

std::string HostedWindow::title() const {
    return window_->title();
}
void HostedWindow::setTitle(const std::string& title) {
    window_->setTitle(title);
}
platform::Size HostedWindow::contentSize() const {
    return window_->contentSize();
}
void HostedWindow::center() {
    window_->center();
}
void HostedWindow::makeKeyAndOrderFront() {
    window_->makeKeyAndOrderFront();
}
void HostedWindow::close() {
    window_->close();
}
void HostedWindow::orderOut() {
    window_->orderOut();
}
bool HostedWindow::isVisible() const {
    return window_->isVisible();
}
void HostedWindow::setOnClosed(std::function<void()> handler) {
    window_->setOnClosed(std::move(handler));
}
QWidget* HostedWindow::widget() const {
    return window_->contentWidget();
}

}  // namespace windows::qt
