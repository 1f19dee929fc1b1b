#pragma once

class QWidget;

namespace platform::qt {

// Raises the visible panels whenever a managed window is mapped or restacked, so a pet never
// ends up behind a window that comes up. Override-redirect windows (menus, tooltips, our own
// popups) coming up raise nothing, and the panels stay below them while they are open.
void keepPanelRaised(QWidget* panel);
void stopRaisingPanel(QWidget* panel);
// Brings a shown panel to the front, yet below what is open for the user to read or click: a
// menu or tooltip of any program, our own popup, and our own dialogs while they are in front.
void raisePanel(QWidget* panel);

}  // namespace platform::qt
