#include "windows/qt/WheelGuard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QWidget>

#include "windows/qt/SettingsBlocks.h"

namespace windows::qt {
namespace {

bool takesWheelWhenFocused(const QWidget* w) {
    // A scroll area hands the turn to its own scroll bar, a slider too: that one always takes it.
    if (qobject_cast<const QScrollBar*>(w)) return false;
    return qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSlider*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w);
}

bool inSegmentedRow(const QWidget* w) {
    for (; w; w = w->parentWidget())
        if (dynamic_cast<const SegmentedPicker*>(w)) return true;
    return false;
}

}  // namespace

WheelGuard::WheelGuard(QWidget* root) : QObject(root), root_(root) {
    // Controls made later (a page built anew) are met when they are shown.
    qApp->installEventFilter(this);
}

bool WheelGuard::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::Wheel && type != QEvent::Show) return false;
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || !root_->isAncestorOf(w)) return false;
    if (type == QEvent::Show) {
        if (takesWheelWhenFocused(w) && (w->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus)
            w->setFocusPolicy(Qt::StrongFocus);
        return false;
    }
    if ((takesWheelWhenFocused(w) && !w->hasFocus()) || inSegmentedRow(w)) {
        // Ignored, the turn goes on to the widgets around it, up to the page's scroll area.
        event->ignore();
        return true;
    }
    return false;
}

}  // namespace windows::qt
