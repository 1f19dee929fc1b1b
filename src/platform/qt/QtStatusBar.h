#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <functional>

#include "platform/StatusItem.h"

namespace platform::qt {

// A tray entry of the Qt backend. Its picture is a template painted by code above this layer
// in black with alpha; the entry colours it so that it reads on the tray it sits in and draws
// it at whatever pixel size the tray asks for.
class QtStatusItem : public StatusItem {
public:
    using TemplatePainter = std::function<void(QPainter&, const QRectF&)>;
    virtual void setTemplatePainter(TemplatePainter painter) = 0;
};

// A tray click that arrives just after a popup of ours closed for a click outside it is that
// same click, reaching the tray after the popup let the pointer go: it must not open it again.
bool clickDismissedPopup();
// The colour a template takes in a tray of the current scheme, where the tray's own is unknown.
QColor templateTint();
// A template painted into an image of `pixels` and coloured with `tint`.
QImage renderTemplate(const QtStatusItem::TemplatePainter& painter, QSize pixels, qreal devicePixelRatio,
                      const QColor& tint);

// The popup window of a popover made by QtStatusBar, for the content shown in it; nothing for
// any other popover.
QWidget* popoverWidget(Popover& popover);

// Tray entries: our own StatusNotifierItem while a watcher runs on the session bus (it hears
// right clicks and says where a click was), else QSystemTrayIcon on the XEmbed tray.
class QtStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> createStatusItem() override;
    std::unique_ptr<Popover> createPopover() override;
    // The tray host sizes and places every icon itself: no item can widen itself to push
    // others aside, nor keep a position of its own.
    bool supportsItemLayout() const override { return false; }
};

}  // namespace platform::qt
