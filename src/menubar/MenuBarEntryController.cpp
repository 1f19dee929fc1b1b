#include "menubar/MenuBarEntryController.h"

#include <algorithm>

#include "menubar/stash/MenuBarMealController.h"
#include "model/L10n.h"
#include "model/LocalizedAlert.h"
#include "platform/ClosableAlerts.h"
#include "platform/Services.h"
#include "platform/desktop/TrayHostPoint.h"

namespace menubar {

using model::L10n;

namespace {
MenuBarEntryController::PanelHost& panelHost() {
    static MenuBarEntryController::PanelHost host;
    return host;
}
}  // namespace

void MenuBarEntryController::setPanelHost(PanelHost host) {
    panelHost() = std::move(host);
}

platform::Rect popoverFrame(platform::Size content, const platform::Rect& anchor,
                            const std::vector<platform::Screen>& screens,
                            const std::optional<platform::Rect>& hidingPanel) {
    if (screens.empty())
        return {anchor.midX() - content.width / 2, anchor.minY() - content.height, content.width, content.height};
    const platform::Screen* screen = &screens.front();
    for (const auto& s : screens)
        if (s.frame.contains(anchor.center())) screen = &s;
    const bool below = anchor.midY() >= screen->frame.midY();
    double x = anchor.midX() - content.width / 2;
    double y = below ? anchor.minY() - content.height : anchor.maxY();
    const platform::Rect area = hidingPanel ? platform::areaBesidePanel(*screen, *hidingPanel) : screen->visibleFrame;
    x = std::max(area.minX(), std::min(x, area.maxX() - content.width));
    y = std::max(area.minY(), std::min(y, area.maxY() - content.height));
    return {x, y, content.width, content.height};
}

std::optional<platform::Rect> trayCorner(const std::vector<platform::Screen>& screens) {
    if (screens.empty()) return std::nullopt;
    const platform::Screen& primary = screens.front();
    const platform::Rect& area = primary.visibleFrame;
    const double top = primary.frame.maxY() - area.maxY(), bottom = area.minY() - primary.frame.minY();
    // A point just inside the corner, so that it counts as on that screen.
    return platform::Rect{area.maxX() - 1, bottom > top ? area.minY() : area.maxY() - 1, 1, 1};
}

MenuBarEntryController& MenuBarEntryController::shared() {
    // Never destroyed: a static destructor would delete the popover's widget after the window
    // system is gone.
    static auto* controller = new MenuBarEntryController(stash::MenuBarMealController::shared().engine());
    return *controller;
}

MenuBarEntryController::MenuBarEntryController(stash::MenuBarMealEngine& engine)
    : engine_(engine), alive_(std::make_shared<MenuBarEntryController*>(this)) {}

MenuBarEntryController::~MenuBarEntryController() {
    *alive_ = nullptr;
}

void MenuBarEntryController::start() {
    if (item_) return;
    auto& engine = engine_;
    engine.prepareControlPosition();
    // The popover lives with the platform that made it, so it is made at start.
    if (!popover_) popover_ = platform::statusBar().createPopover();
    popover_->setContentSize(popoverContentSize);

    std::weak_ptr<MenuBarEntryController*> weak = alive_;
    auto self = [weak]() -> MenuBarEntryController* {
        auto p = weak.lock();
        return p ? *p : nullptr;
    };
    if (contentFactory_ && !content_) {
        content_ = contentFactory_([self] {
            if (auto* c = self(); c && c->popover_) c->popover_->close();
        });
        if (content_ && panelHost())
            panelHost()(*popover_, *content_, [self](double height) {
                if (auto* c = self()) c->panelContentHeightChanged(height);
            });
    }
    engine.onFaceChange = [self](const stash::MenuBarMealFaceState& state) {
        auto* c = self();
        if (!c) return;
        if (c->faceView_) c->faceView_->show(state);
        c->refreshLocalizedTooltip();
    };
    engine.onRecoveryPositionRepair = [self] {
        auto* c = self();
        if (!c) return;
        c->popover_->close();
        c->removeItemPreservingPosition();
        c->item_.reset();
        c->faceView_.reset();
        c->createItem();
    };
    engine.recoveryFaceFrame = [self]() -> std::optional<platform::Rect> {
        auto* c = self();
        if (!c || !c->faceView_) return std::nullopt;
        return c->faceView_->recoveryFaceScreenFrame();
    };
    createItem();
    // Checked once: a tray that comes later proves itself by a click, or, while the no-tray
    // notice is open, by holding the entry.
    platform::mainLoop().after(trayGrace, [self] {
        if (auto* c = self()) c->checkDocked();
    });
}

void MenuBarEntryController::checkDocked() {
    if (!item_) return;
    auto& defaults = platform::defaults();
    if (item_->isDocked()) return trayHeldItem();
    if (defaults.boolValue(noTrayNoticeShownKey).value_or(false)) return;
    noticeWaiting_ = noticeHold_ && noticeHold_();
    if (noticeWaiting_) return;
    defaults.set(noTrayNoticeShownKey, true);
    notice_ = model::localizedAlert(
        L10n::t("栗丸没有找到系统托盘"),
        secondStartOpensPanel_
            ? L10n::t("这个桌面没有可以放栗丸图标的托盘。要打开栗丸的面板（设置和退出都在里面），"
                      "请从应用启动器或终端再次启动栗丸。")
            : L10n::t("这个桌面没有可以放栗丸图标的托盘，这次运行中也无法打开栗丸的面板（设置和退出都在里面）。"));
    platform::alerts().show(*notice_, platform::AlertCause::program);
    watchForTray();
}

void MenuBarEntryController::watchForTray() {
    std::weak_ptr<MenuBarEntryController*> weak = alive_;
    platform::mainLoop().after(trayWatchInterval, [weak] {
        auto alive = weak.lock();
        auto* c = alive ? *alive : nullptr;
        auto* alerts = dynamic_cast<platform::ClosableAlerts*>(&platform::alerts());
        if (!c || !c->notice_ || !c->item_ || !alerts) return;
        if (!alerts->isShown(*c->notice_)) {
            c->notice_.reset();
        } else if (c->item_->isDocked()) {
            alerts->close(*c->notice_);
            c->notice_.reset();
            c->trayHeldItem();
        } else {
            c->watchForTray();
        }
    });
}

void MenuBarEntryController::noTrayNoticeMayShow() {
    if (!noticeWaiting_) return;
    noticeWaiting_ = false;
    checkDocked();
}

void MenuBarEntryController::trayHeldItem() {
    auto& defaults = platform::defaults();
    if (defaults.hasObject(noTrayNoticeShownKey)) defaults.remove(noTrayNoticeShownKey);
}

void MenuBarEntryController::stop() {
    if (popover_) popover_->close();
    notice_.reset();
    auto& engine = engine_;
    engine.onFaceChange = nullptr;
    engine.onRecoveryPositionRepair = nullptr;
    engine.recoveryFaceFrame = nullptr;
    removeItemPreservingPosition();
    item_.reset();
    faceView_.reset();
    // Made again by the next start, on the platform then in place.
    popover_.reset();
    content_.reset();
}

void MenuBarEntryController::createItem() {
    auto item = platform::statusBar().createStatusItem();
    if (!item) return;
    item->setLength(itemLength);
    item->setAutosaveName(autosaveName);
    std::weak_ptr<MenuBarEntryController*> weak = alive_;
    auto self = [weak]() -> MenuBarEntryController* {
        auto p = weak.lock();
        return p ? *p : nullptr;
    };
    item->setOnClick([self](const platform::StatusItemClick& click) {
        if (auto* c = self()) {
            c->trayHeldItem();
            c->clickLocation_ = click.location;
            c->clickPanel_ = click.hidingPanel;
            c->actions_.performClick(click);
        }
    });
    actions_.onPrimary = [self] {
        if (auto* c = self()) c->togglePanel();
    };
    actions_.onSecondary = [self] {
        if (auto* c = self()) c->secondaryAction();
    };
    faceView_ = std::make_unique<TuftleStatusView>(*item);
    item_ = std::move(item);
    engine_.attachControl(*item_);
}

void MenuBarEntryController::secondaryAction() {
    auto& engine = engine_;
    if (engine.isEnabled().get()) {
        popover_->close();
        engine.toggle();
    } else {
        togglePanel();
    }
}

void MenuBarEntryController::togglePanel() {
    if (!faceView_ || !item_) return;
    if (popover_->isShown()) {
        popover_->close();
        return;
    }
    if (auto icon = item_->geometry(); icon && !icon->isEmpty())
        showPanel(*icon);
    else
        showPanel({clickLocation_.value_or(platform::pointer().location()), {0, 0}}, clickPanel_);
}

void MenuBarEntryController::openPanel() {
    if (!popover_) return;
    const auto screens = platform::screenList().screens();
    if (item_ && item_->isDocked()) {
        if (auto icon = item_->geometry(); icon && !icon->isEmpty()) return showPanel(*icon);
        if (clickLocation_) return showPanel({*clickLocation_, {0, 0}}, clickPanel_);
    }
    if (auto corner = trayCorner(screens)) return showPanel(*corner);
    showPanel({platform::pointer().location(), {0, 0}});
}

void MenuBarEntryController::showPanel(const platform::Rect& anchor, const std::optional<platform::Rect>& hidingPanel) {
    anchor_ = anchor;
    anchorPanel_ = hidingPanel;
    popover_->show(popoverFrame(popover_->contentSize(), anchor, platform::screenList().screens(), hidingPanel));
    if (content_) content_->appeared();
}

void MenuBarEntryController::panelContentHeightChanged(double height) {
    if (!popover_) return;
    const platform::Size size{popoverContentSize.width, height};
    popover_->setContentSize(size);
    if (popover_->isShown())
        popover_->show(popoverFrame(size, anchor_, platform::screenList().screens(), anchorPanel_));
}

void MenuBarEntryController::removeItemPreservingPosition() {
    if (!item_) return;
    auto& defaults = platform::defaults();
    const auto position = defaults.object(positionKey);
    item_.reset();
    if (position) defaults.set(positionKey, *position);
}

void MenuBarEntryController::refreshLocalizedTooltip() {
    if (!item_) return;
    // A tray that places every icon itself can never run the stash: no right-click promise.
    const bool stash = engine_.canSwitchOn();
    const std::string hint = engine_.isCollapsed().get() ? L10n::t("右键吐出图标") : L10n::t("右键喂入左侧图标");
    item_->setToolTip(stash ? L10n::format(L10n::t("栗丸 · 左键打开面板 · %@"), {hint}) : L10n::t("栗丸 · 左键打开面板"));
    const std::string readBack = item_->toolTip();
    item_->setAccessibilityLabel(readBack.empty() ? L10n::t("栗丸") : readBack);
    item_->setSecondaryActionTitle(engine_.isEnabled().get() ? hint : L10n::t("打开栗丸面板"));
}

}  // namespace menubar
