#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "menubar/MenuBarContent.h"
#include "platform/Subscription.h"

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace menubar::qt {

class Hairline;
class MenuActionButton;
class MenuCard;
class MenuSegmentedControl;
class MenuSwitch;
class MenuSymbolView;
class MenuText;
class MenuTextButton;

// The tray's panel, drawn from a MenuBarContent: header, notices, controls, quick actions,
// keyboard card, feedback line and footer over the glass backdrop, 382 points wide and as high
// as its sections. Redraws on the turn after the content changed, and when it is shown.
class MenuBarContentView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 382;

    explicit MenuBarContentView(MenuBarContent& content, QWidget* parent = nullptr);
    ~MenuBarContentView() override;

    // Called with the new height whenever the sections shown need another one.
    std::function<void(double)> onHeightChange;
    // See-through glass, or the opaque backdrop; the popup's window decides at each showing.
    void setSeeThrough(bool on);
    // Reads everything from the content again now.
    void refresh();

    // The pieces, for tests and previews.
    MenuSwitch* visibilitySwitch() const { return visibility_; }
    MenuSegmentedControl* petCountControl() const { return petCount_; }
    MenuSegmentedControl* activityControl() const { return activity_; }
    MenuSwitch* windowWalkSwitch() const { return walkSwitch_; }
    MenuActionButton* homeButton() const { return home_; }
    MenuActionButton* focusButton() const { return focus_; }
    MenuSwitch* keyCountingSwitch() const { return keySwitch_; }
    MenuTextButton* permissionButton() const { return permission_; }
    MenuTextButton* settingsButton() const { return settings_; }
    MenuTextButton* quitButton() const { return quit_; }
    QWidget* feedbackRow() const { return feedbackRow_; }
    // Every line of text the panel shows now.
    std::vector<MenuText*> texts() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    // The footer's right end, from halfway up to the hairline down to the panel's edges: a click
    // anywhere on it quits, as on a menu's row, not only one on the word.
    QRect quitRow() const;
    void build();
    void refreshSoon();
    void updateFeedback();
    void fitHeight();

    MenuBarContent& content_;
    bool seeThrough_ = false;
    bool refreshPending_ = false;
    std::optional<MenuFeedback> shownFeedback_;
    std::vector<platform::Subscription> subscriptions_;

    MenuText* name_ = nullptr;
    MenuSymbolView* dot_ = nullptr;
    MenuText* subtitle_ = nullptr;
    MenuSwitch* visibility_ = nullptr;
    std::vector<MenuCard*> noticeCards_;
    std::vector<MenuSymbolView*> noticeSymbols_;
    std::vector<MenuText*> noticeTexts_;
    MenuText* petCountTitle_ = nullptr;
    MenuSegmentedControl* petCount_ = nullptr;
    MenuText* activityTitle_ = nullptr;
    MenuSegmentedControl* activity_ = nullptr;
    MenuText* walkTitle_ = nullptr;
    MenuText* walkStatus_ = nullptr;
    MenuSwitch* walkSwitch_ = nullptr;
    MenuActionButton* home_ = nullptr;
    MenuActionButton* focus_ = nullptr;
    MenuText* keyTitle_ = nullptr;
    MenuText* todayCount_ = nullptr;
    MenuSymbolView* keyDot_ = nullptr;
    MenuText* keySummary_ = nullptr;
    MenuTextButton* permission_ = nullptr;
    MenuSwitch* keySwitch_ = nullptr;
    QWidget* feedbackRow_ = nullptr;
    MenuSymbolView* feedbackSymbol_ = nullptr;
    MenuText* feedbackText_ = nullptr;
    QGraphicsOpacityEffect* feedbackOpacity_ = nullptr;
    QPropertyAnimation* feedbackFade_ = nullptr;
    MenuTextButton* settings_ = nullptr;
    MenuText* version_ = nullptr;
    MenuTextButton* quit_ = nullptr;
    QWidget* footer_ = nullptr;
};

// Lets the tray entry of the Qt backend show this panel in its popup.
void installMenuPanel();

}  // namespace menubar::qt
