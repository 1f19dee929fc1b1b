#pragma once

#include <QWidget>
#include <memory>

#include "platform/Subscription.h"
#include "platform/Window.h"
#include "windows/qt/HostedWindow.h"
#include "windows/SettingsActions.h"
#include "windows/SettingsSection.h"

class QAbstractButton;

namespace model {
class AppModel;
}
namespace platform::qt {
class QtWindow;
}

namespace windows::qt {

// The settings window's content: a sidebar with the brand mark, a live status line, the page
// list and a footer of the pets at home; beside it the selected page. A change of interface
// language rebuilds it all with fresh texts and keeps the selected page.
class SettingsView final : public QWidget {
public:
    SettingsView(model::AppModel& model, SettingsActions actions, SettingsSection selection);
    ~SettingsView() override;

    SettingsSection selection() const { return selection_; }
    // Shows the page, built afresh.
    void select(SettingsSection section);
    // The page list's rows, in order.
    QList<QAbstractButton*> pageButtons() const;
    QWidget* page() const { return page_; }

private:
    void rebuild();
    QWidget* sidebar();
    void showPage();

    model::AppModel& model_;
    SettingsActions actions_;
    SettingsSection selection_;
    QWidget* content_ = nullptr;
    QWidget* detail_ = nullptr;
    QWidget* page_ = nullptr;
    std::vector<platform::Subscription> contentSubscriptions_;
    platform::Subscription languageSubscription_;
};

// The settings window: one titled 920 x 640 window holding a SettingsView. Closing hides it.
class SettingsWindow final : public HostedWindow {
public:
    SettingsWindow(model::AppModel& model, SettingsActions actions, SettingsSection selection = SettingsSection::home);
    ~SettingsWindow() override;

    SettingsView* view() const { return view_; }

private:
    SettingsView* view_;
    platform::Subscription titleSubscription_;
};

}  // namespace windows::qt
