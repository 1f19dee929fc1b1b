#pragma once

class QWidget;

namespace platform::qt {

// Raises the visible panels whenever a managed window is mapped or restacked, so a pet never
// ends up behind a window that comes up. Override-redirect windows (menus, tooltips, our own
// popups) are left alone.
void keepPanelRaised(QWidget* panel);
void stopRaisingPanel(QWidget* panel);

}  // namespace platform::qt
