#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/Subscription.h"
#include "platform/Window.h"
#include "windows/SettingsActions.h"
#include "windows/SettingsSection.h"
#include "windows/qt/HostedWindow.h"

class QAbstractButton;
class QAbstractScrollArea;
class QScrollArea;

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

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();
    QWidget* sidebar();
    void showPage();
    // The page scrolls by itself, unless the window is too short even for the page list and
    // scrolls the whole view: then the page is laid out whole, so that one scroll bar scrolls it.
    void placePage();
    QAbstractScrollArea* windowScroll() const;

    model::AppModel& model_;
    SettingsActions actions_;
    SettingsSection selection_;
    QWidget* content_ = nullptr;
    QWidget* detail_ = nullptr;
    QWidget* page_ = nullptr;
    QPointer<QWidget> pageHolder_;
    QPointer<QScrollArea> pageScroll_;
    bool pageWhole_ = false;
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
