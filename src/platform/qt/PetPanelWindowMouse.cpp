// How a pet panel window routes the mouse: a left press where the panel takes it starts a
// sequence; its drags and its release follow.
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

#include "platform/desktop/PanelPress.h"
#include "platform/qt/PetPanelWindow.h"
#include "platform/qt/QtScreens.h"

namespace platform::qt {

Point PetPanelWindow::toPanel(QPointF p) const {
    const QPointF origin = contentOrigin();
    return {p.x() - origin.x(), height() - p.y() - origin.y()};
}

void PetPanelWindow::deliver(PanelMouseEvent::Type type, QMouseEvent* e) {
    PanelMouseEvent event{type, toPanel(e->position()), fromQtPoint(e->globalPosition()),
                          double(e->timestamp()) / 1000.0};
    if (onEvent_) onEvent_(event);
}

void PetPanelWindow::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !panelTakesPress(toPanel(e->position()), ignoresMouse_, clip_, hitTest_)) {
        e->ignore();
        return;
    }
    pressed_ = true;
    deliver(PanelMouseEvent::Type::down, e);
}

void PetPanelWindow::mouseMoveEvent(QMouseEvent* e) {
    if (pressed_) deliver(PanelMouseEvent::Type::dragged, e);
}

void PetPanelWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (!pressed_ || e->button() != Qt::LeftButton) return;
    pressed_ = false;
    deliver(PanelMouseEvent::Type::up, e);
}

}  // namespace platform::qt
