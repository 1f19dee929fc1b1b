#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "menubar/MenuBarContent.h"
#include "menubar/MenuBarStatusActionRouter.h"
#include "menubar/TuftleStatusView.h"
#include "menubar/stash/MenuBarMealEngine.h"
#include "platform/Alert.h"
#include "platform/Screen.h"
#include "platform/StatusItem.h"

namespace menubar {

// Where the panel opens: centred below the anchor, or above it when the anchor lies in the
// lower half of its screen, and kept inside that screen's visible frame, and off a tray's
// `hidingPanel` there as off a panel that reserves its room.
platform::Rect popoverFrame(platform::Size content, const platform::Rect& anchor,
                            const std::vector<platform::Screen>& screens,
                            const std::optional<platform::Rect>& hidingPanel = std::nullopt);
// Where a tray would be without one: the top right corner of the first (primary) screen's
// visible frame, or its bottom right corner when a taskbar takes more room at the bottom than
// at the top. Nothing without a screen.
std::optional<platform::Rect> trayCorner(const std::vector<platform::Screen>& screens);

// The pet's tray entry: its face, its clicks, its tooltip, and the panel it opens.
class MenuBarEntryController final {
public:
    static constexpr double itemLength = 28.0;
    static constexpr const char* autosaveName = "TuftleMealControl";
    static inline const std::string positionKey = platform::statusItemPositionKey(autosaveName);
    static constexpr platform::Size popoverContentSize{382, 426};
    // No setting: set once the desktop was told that no tray shows the entry, removed once a
    // tray held it again.
    static constexpr const char* noTrayNoticeShownKey = "noTrayNoticeShown";
    // How long after start a tray may take to show the entry before the desktop is told.
    static constexpr double trayGrace = 8;
    // How often, while the no-tray notice is open, the entry is asked whether a tray that
    // started later holds it now.
    static constexpr double trayWatchInterval = 1;

    static MenuBarEntryController& shared();
    // Works beside `engine`; shared() uses the stash controller's.
    explicit MenuBarEntryController(stash::MenuBarMealEngine& engine);
    ~MenuBarEntryController();

    // Creates the tray entry when none exists.
    void start();
    // Closes the panel, unhooks the stash engine and removes the entry, keeping its position.
    void stop();
    // Sets the tooltip and the accessibility label again in the current language.
    void refreshLocalizedTooltip();
    // Opens the panel, or leaves it open, beside the tray icon; with no icon on screen, where a
    // tray would be (trayCorner). For a start of the program while it runs.
    void openPanel();

    // While `holding` answers true (a window the notice must not cover is open) the no-tray
    // notice waits; noTrayNoticeMayShow() then shows it if it was due.
    void holdNoTrayNotice(std::function<bool()> holding) { noticeHold_ = std::move(holding); }
    void noTrayNoticeMayShow();
    // Whether starting the program again opens this panel; the no-tray notice promises it only then.
    void setSecondStartOpensPanel(bool opens) { secondStartOpensPanel_ = opens; }
    // A tray on the desktop shows the entry now.
    bool trayShowsEntry() const { return item_ && item_->isDocked(); }

    // Makes the panel's content on start, given the closure that closes the panel.
    using ContentFactory = std::function<std::unique_ptr<MenuBarContent>(std::function<void()> closePanel)>;
    void setContentFactory(ContentFactory factory) { contentFactory_ = std::move(factory); }
    // Puts a content into a popover; a backend with real windows installs one. It reports
    // the height the content needs through the last argument.
    using PanelHost = std::function<void(platform::Popover&, MenuBarContent&, std::function<void(double)>)>;
    static void setPanelHost(PanelHost host);
    // The content needs another height: the open panel keeps its place beside the entry.
    void panelContentHeightChanged(double height);

    platform::StatusItem* item() const { return item_.get(); }
    MenuBarContent* content() const { return content_.get(); }
    TuftleStatusView* faceView() const { return faceView_.get(); }
    platform::Popover* popover() const { return popover_.get(); }

private:
    void createItem();
    void removeItemPreservingPosition();
    void togglePanel();
    void secondaryAction();
    void showPanel(const platform::Rect& anchor, const std::optional<platform::Rect>& hidingPanel = std::nullopt);
    // After the grace: tells the desktop, once, when no tray shows the entry.
    void checkDocked();
    void trayHeldItem();
    // While the notice is open: closes it once a tray holds the entry after all.
    void watchForTray();

    std::unique_ptr<platform::StatusItem> item_;
    std::function<bool()> noticeHold_;
    bool noticeWaiting_ = false;
    bool secondStartOpensPanel_ = true;
    std::optional<platform::Alert> notice_;
    std::unique_ptr<TuftleStatusView> faceView_;
    MenuBarStatusActionRouter actions_;
    std::unique_ptr<platform::Popover> popover_;
    stash::MenuBarMealEngine& engine_;
    std::optional<platform::Point> clickLocation_;
    std::optional<platform::Rect> clickPanel_;
    platform::Rect anchor_;
    std::optional<platform::Rect> anchorPanel_;
    ContentFactory contentFactory_;
    std::unique_ptr<MenuBarContent> content_;
    // The engine's callbacks hold this weakly: they do nothing once the controller is gone.
    std::shared_ptr<MenuBarEntryController*> alive_;
};

}  // namespace menubar
