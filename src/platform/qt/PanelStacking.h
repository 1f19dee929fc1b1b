#pragma once

class QWidget;

namespace platform::qt {

// Raises the visible panels whenever a managed window is mapped or restacked, or a window that
// another program kept hidden above them is mapped, so a pet never ends up behind a window that
// comes up. Menus, tooltips, notifications and our own popups coming up raise nothing, and the
// panels stay below them while they are open. The X server is never held for it.
void keepPanelRaised(QWidget* panel);
void stopRaisingPanel(QWidget* panel);
// Brings a shown panel to the front, yet below what is open for the user to read or click: a
// menu or tooltip of any program, our own popup, and our own dialogs while they are in front.
void raisePanel(QWidget* panel);

}  // namespace platform::qt
