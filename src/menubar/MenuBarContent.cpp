#include "menubar/MenuBarContent.h"

#include <algorithm>

#include "model/AppModel.h"
#include "model/L10n.h"
#include "platform/Services.h"

namespace menubar {

using model::L10n;

MenuBarContent::MenuBarContent(model::AppModel& model, bool visualPreview, std::function<void()> closePanel,
                               MenuPanelActions actions)
    : model_(model), visualPreview_(visualPreview), closePanel_(std::move(closePanel)), actions_(std::move(actions)) {
    // The model announces a change before it is stored: the view redraws on a later turn.
    subscriptions_.push_back(model_.objectWillChange.subscribe([this] { changed.emit(); }));
    subscriptions_.push_back(model_.appLanguage.subscribe(
        [this](const model::AppLanguageChoice&) {
            if (feedback_) setFeedback(std::nullopt, 0);
        },
        false));
}

void MenuBarContent::appeared() {
    if (visualPreview_) return;
    if (actions_.refreshKeyboardCounter) actions_.refreshKeyboardCounter();
}

std::string MenuBarContent::productName() const {
    return L10n::t("栗丸");
}

std::string MenuBarContent::companionLine() const {
    if (model_.petCount.get() == 1) return L10n::format(L10n::t("%@正在陪你"), {model_.name(0)});
    return L10n::format(L10n::t("%@和%@正在陪你"), {model_.name(0), model_.name(1)});
}

std::string MenuBarContent::headerSubtitle() const {
    return model_.petsVisible.get() ? companionLine() : L10n::t("在家里休息");
}

MenuTint MenuBarContent::headerDot() const {
    return model_.petsVisible.get() ? MenuTint::green : MenuTint::muted;
}

std::string MenuBarContent::visibilityLabel() const {
    return L10n::t("显示栗丸");
}
bool MenuBarContent::petsVisible() const {
    return model_.petsVisible.get();
}
void MenuBarContent::setPetsVisible(bool visible) {
    model_.petsVisible = visible;
}

std::vector<MenuNotice> MenuBarContent::notices() const {
    std::vector<MenuNotice> shown;
    if (model_.recoveredFromUnexpectedExit.get())
        shown.push_back({L10n::t("已从上次意外退出中恢复"), "arrow.clockwise.circle.fill", MenuTint::orange});
    if (model_.isHiddenForFullScreen.get())
        shown.push_back({L10n::t("全屏期间已自动藏好"), "rectangle.badge.checkmark", MenuTint::secondary});
    return shown;
}

std::string MenuBarContent::petCountTitle() const {
    return L10n::t("陪伴数量");
}

std::vector<std::pair<int, std::string>> MenuBarContent::petCountChoices() const {
    return {{1, L10n::t("一只")}, {2, L10n::t("两只")}};
}

int MenuBarContent::petCount() const {
    return model_.petCount.get();
}
void MenuBarContent::setPetCount(int count) {
    model_.petCount = count;
}

std::string MenuBarContent::activityTitle() const {
    return L10n::t("生活节奏");
}

std::vector<std::pair<model::PetActivityLevel, std::string>> MenuBarContent::activityChoices() const {
    using model::PetActivityLevel;
    return {{PetActivityLevel::quiet, L10n::t("安静")},
            {PetActivityLevel::natural, L10n::t("自然")},
            {PetActivityLevel::lively, L10n::t("活泼")}};
}

model::PetActivityLevel MenuBarContent::activityLevel() const {
    return model_.activityLevel.get();
}
void MenuBarContent::setActivityLevel(model::PetActivityLevel level) {
    model_.activityLevel = level;
}

std::string MenuBarContent::windowWalkTitle() const {
    return L10n::t("窗口漫步");
}

std::string MenuBarContent::windowWalkStatus() const {
    const bool walking = model_.windowWalkingEnabled.get();
    if (walking && model_.isHiddenForFullScreen.get()) return L10n::t("全屏期间暂时停下");
    if (walking) return L10n::t("遇到合适窗口才会漫步");
    return L10n::t("已关闭 · 不读取窗口位置");
}

bool MenuBarContent::windowWalkingEnabled() const {
    return model_.windowWalkingEnabled.get();
}
void MenuBarContent::setWindowWalkingEnabled(bool enabled) {
    model_.windowWalkingEnabled = enabled;
}

MenuActionButtonContent MenuBarContent::homeButton() const {
    return {L10n::t("让栗丸回家"), "house.fill", false};
}

MenuActionButtonContent MenuBarContent::focusButton() const {
    if (model_.isFocusActive.get())
        return {L10n::format(L10n::t("结束专注 · %@"), {model_.focusRemainingText()}), "stop.fill", false};
    return {L10n::t("开始专注 · 25 分钟"), "timer", true};
}

void MenuBarContent::sendHome() {
    const auto result = actions_.sendPetsHome ? actions_.sendPetsHome() : model::PetHomeCommandResult::unavailable;
    switch (result) {
        case model::PetHomeCommandResult::moved:
            return showFeedback(L10n::t("正在回到刘海或 Dock"), "house.fill", MenuTint::accent);
        case model::PetHomeCommandResult::alreadyHome:
            return showFeedback(L10n::t("已经乖乖在家"), "checkmark.circle.fill", MenuTint::accent);
        case model::PetHomeCommandResult::hidden:
            return showFeedback(L10n::t("已经回家藏好"), "eye.slash.fill", MenuTint::accent);
        case model::PetHomeCommandResult::unavailable:
            return showFeedback(L10n::t("暂时找不到合适的家"), "exclamationmark.triangle.fill", MenuTint::orange);
    }
}

void MenuBarContent::focusAction() {
    if (model_.isFocusActive.get()) {
        model_.stopFocus();
        showFeedback(L10n::t("本次专注已结束"), "checkmark.circle", MenuTint::secondary);
    } else {
        model_.startFocus(focusMinutes);
        showFeedback(L10n::t("栗丸开始陪你专注"), "timer", MenuTint::pink);
    }
}

std::string MenuBarContent::keyboardTitle() const {
    return L10n::t("按键陪伴");
}

std::optional<std::string> MenuBarContent::todayCountText() const {
    if (!model_.keyCountingEnabled.get() || !model_.keyboardPermissionGranted.get()) return std::nullopt;
    return L10n::format(L10n::t("今日 %@"), {L10n::number(model_.todayKeyCount())});
}

bool MenuBarContent::showsPermissionButton() const {
    return model_.keyCountingEnabled.get() && !model_.keyboardPermissionGranted.get();
}

std::string MenuBarContent::permissionButtonTitle() const {
    return L10n::t("去授权");
}

void MenuBarContent::grantPermission() {
    if (actions_.openInputMonitoringSettings) actions_.openInputMonitoringSettings();
}

MenuTint MenuBarContent::keyboardStatusColor() const {
    if (showsPermissionButton()) return MenuTint::orange;
    if (model_.keyboardMonitorState.get() == model::KeyboardMonitorState::listening) return MenuTint::green;
    return MenuTint::muted;
}

std::string MenuBarContent::keyboardSummary() const {
    using model::KeyboardMonitorState;
    if (!model_.keyCountingEnabled.get()) return L10n::t("本机统计已关闭");
    if (!model_.keyboardPermissionGranted.get()) return L10n::t("需要允许“输入监控”");
    switch (model_.keyboardMonitorState.get()) {
        case KeyboardMonitorState::disabled:
            return L10n::t("已关闭");
        case KeyboardMonitorState::permissionRequired:
            return L10n::t("等待系统允许");
        case KeyboardMonitorState::listening:
            return L10n::t("正在监听");
        case KeyboardMonitorState::failed:
            break;
    }
    return L10n::t("监听未启动");
}

bool MenuBarContent::keyCountingEnabled() const {
    return model_.keyCountingEnabled.get();
}
void MenuBarContent::setKeyCountingEnabled(bool enabled) {
    model_.keyCountingEnabled = enabled;
}

std::string MenuBarContent::settingsTitle() const {
    return L10n::t("设置");
}

std::string MenuBarContent::appVersion() const {
    if (actions_.shortVersion)
        if (auto version = actions_.shortVersion()) return *version;
    return "dev";
}

std::string MenuBarContent::versionText() const {
    const int days = std::max(1, model_.companionRecord.get().companionDays());
    return L10n::format(L10n::t("v%@ · 第 %d 天"), {appVersion(), int64_t(days)});
}

std::string MenuBarContent::quitTitle() const {
    return L10n::t("退出");
}

void MenuBarContent::openSettings() {
    if (actions_.openSettings) actions_.openSettings();
    if (closePanel_) closePanel_();
    // After the click that closed the panel, so that nothing of this event comes up above it.
    auto activate = actions_.activateSettingsWindow;
    platform::mainLoop().post([activate, alive = std::weak_ptr<char>(alive_)] {
        if (!alive.expired() && activate) activate();
    });
}

void MenuBarContent::quit() {
    platform::application().terminate();
}

void MenuBarContent::showFeedback(const std::string& message, const std::string& symbol, MenuTint tint) {
    const uint64_t generation = ++feedbackGeneration_;
    const bool still = platform::accessibility().reduceMotion();
    setFeedback(MenuFeedback{message, symbol, tint}, still ? 0 : feedbackInDuration);
    platform::mainLoop().after(feedbackDuration, [this, generation, alive = std::weak_ptr<char>(alive_)] {
        if (alive.expired() || generation != feedbackGeneration_ || !feedback_) return;
        setFeedback(std::nullopt, platform::accessibility().reduceMotion() ? 0 : feedbackOutDuration);
    });
}

void MenuBarContent::setFeedback(std::optional<MenuFeedback> feedback, double transition) {
    feedback_ = std::move(feedback);
    feedbackTransition_ = transition;
    changed.emit();
}

}  // namespace menubar
