#include <gtest/gtest.h>

#include "menubar/MenuBarContent.h"
#include "model/AppModelTestSupport.h"

using menubar::MenuBarContent;
using menubar::MenuFeedback;
using menubar::MenuTint;
using model::L10n;
using model::PetHomeCommandResult;

namespace {

struct MenuBarContentTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
    PetHomeCommandResult homeResult = PetHomeCommandResult::moved;
    std::vector<std::string> calls;
    std::unique_ptr<MenuBarContent> panel = make();

    std::unique_ptr<MenuBarContent> make(bool preview = false) {
        menubar::MenuPanelActions a;
        a.sendPetsHome = [this] { return calls.push_back("home"), homeResult; };
        a.refreshKeyboardCounter = [this] { calls.push_back("refresh"); };
        a.openInputMonitoringSettings = [this] { calls.push_back("look again"); };
        a.openSettings = [this] { calls.push_back("open"); };
        a.activateSettingsWindow = [this] { calls.push_back("activate"); };
        return std::make_unique<MenuBarContent>(
            *model, preview, [this] { calls.push_back("close"); }, a);
    }
    std::string feedbackText() const { return panel->feedback() ? panel->feedback()->message : "(none)"; }
};

TEST_F(MenuBarContentTest, eachActionAnswersWithItsFeedbackLine) {
    struct Case {
        std::function<void(MenuBarContentTest&)> act;
        MenuFeedback line;
        bool focusAfter;
    } cases[] = {
        {[](auto& t) { t.homeResult = PetHomeCommandResult::moved, t.panel->sendHome(); },
         {L10n::t("正在回到刘海或 Dock"), "house.fill", MenuTint::accent},
         false},
        {[](auto& t) { t.homeResult = PetHomeCommandResult::alreadyHome, t.panel->sendHome(); },
         {L10n::t("已经乖乖在家"), "checkmark.circle.fill", MenuTint::accent},
         false},
        {[](auto& t) { t.homeResult = PetHomeCommandResult::hidden, t.panel->sendHome(); },
         {L10n::t("已经回家藏好"), "eye.slash.fill", MenuTint::accent},
         false},
        {[](auto& t) { t.homeResult = PetHomeCommandResult::unavailable, t.panel->sendHome(); },
         {L10n::t("暂时找不到合适的家"), "exclamationmark.triangle.fill", MenuTint::orange},
         false},
        {[](auto& t) { t.panel->focusAction(); }, {L10n::t("栗丸开始陪你专注"), "timer", MenuTint::pink}, true},
        {[](auto& t) { t.model->startFocus(25), t.panel->focusAction(); },
         {L10n::t("本次专注已结束"), "checkmark.circle", MenuTint::secondary},
         false},
    };
    for (const auto& c : cases) {
        c.act(*this);
        EXPECT_EQ(panel->feedback(), c.line) << c.line.message;
        EXPECT_EQ(model->isFocusActive.get(), c.focusAfter) << c.line.message;
        EXPECT_EQ(panel->focusButton().primary, !c.focusAfter) << "the focus button follows the session";
    }
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "home"), 4);
}

TEST_F(MenuBarContentTest, aLaterLineIsNotClearedByAnEarlierTimer) {
    panel->sendHome();
    sim.loop.advance(1.5);
    homeResult = PetHomeCommandResult::alreadyHome;
    panel->sendHome();
    sim.loop.advance(1.0);  // the first line's time is up
    EXPECT_EQ(feedbackText(), L10n::t("已经乖乖在家"));
    EXPECT_GT(panel->feedbackTransition(), 0);
    sim.loop.advance(1.3);
    EXPECT_EQ(feedbackText(), "(none)") << "gone 2.2 s after the latest line";

    sim.accessibility.setReduceMotion(true);
    panel->sendHome();
    EXPECT_EQ(panel->feedbackTransition(), 0) << "no fade under Reduce Motion";
    model->setAppLanguage(model::AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(feedbackText(), "(none)") << "a change of language clears the line at once";
}

TEST_F(MenuBarContentTest, controlsWriteTheModelAndFollowIt) {
    int changes = 0;
    auto watch = panel->changed.subscribe([&] { ++changes; });
    panel->setPetCount(1);
    EXPECT_EQ(model->petCount.get(), 1);
    EXPECT_EQ(panel->companionLine(), L10n::format(L10n::t("%@正在陪你"), {model->name(0)}));
    panel->setActivityLevel(model::PetActivityLevel::lively);
    EXPECT_EQ(model->activityLevel.get(), model::PetActivityLevel::lively);
    panel->setWindowWalkingEnabled(true);
    EXPECT_EQ(panel->windowWalkStatus(), L10n::t("遇到合适窗口才会漫步"));
    panel->setPetsVisible(false);
    EXPECT_FALSE(model->petsVisible.get());
    EXPECT_EQ(panel->headerSubtitle(), L10n::t("在家里休息"));
    EXPECT_EQ(panel->headerDot(), MenuTint::muted);

    model->petCount = 2;
    model->petsVisible = true;
    model->isHiddenForFullScreen = true;
    EXPECT_EQ(panel->petCount(), 2);
    EXPECT_EQ(panel->headerSubtitle(), L10n::format(L10n::t("%@和%@正在陪你"), {model->name(0), model->name(1)}));
    EXPECT_EQ(panel->windowWalkStatus(), L10n::t("全屏期间暂时停下"));
    EXPECT_GE(changes, 7) << "every change reaches the view";
}

TEST_F(MenuBarContentTest, noticesShowWithTheirFlagsRecoveryFirst) {
    for (int flags = 0; flags < 4; ++flags) {
        model->recoveredFromUnexpectedExit = bool(flags & 1);
        model->isHiddenForFullScreen = bool(flags & 2);
        std::vector<std::string> symbols;
        for (const auto& n : panel->notices()) symbols.push_back(n.symbol);
        std::vector<std::string> expected;
        if (flags & 1) expected.push_back("arrow.clockwise.circle.fill");
        if (flags & 2) expected.push_back("rectangle.badge.checkmark");
        EXPECT_EQ(symbols, expected) << flags;
    }
}

TEST_F(MenuBarContentTest, keyboardCardFollowsCountingPermissionAndState) {
    using S = model::KeyboardMonitorState;
    struct Case {
        bool on, granted;
        S state;
        std::string summary;
        MenuTint dot;
        bool button, count;
    } cases[] = {
        {false, true, S::listening, L10n::t("本机统计已关闭"), MenuTint::green, false, false},
        {false, false, S::disabled, L10n::t("本机统计已关闭"), MenuTint::muted, false, false},
        {true, false, S::permissionRequired, L10n::t("需要允许“输入监控”"), MenuTint::orange, true, false},
        {true, true, S::failed, L10n::t("监听未启动"), MenuTint::muted, false, true},
        {true, true, S::listening, L10n::t("正在监听"), MenuTint::green, false, true},
        {true, true, S::disabled, L10n::t("已关闭"), MenuTint::muted, false, true},
    };
    for (const auto& c : cases) {
        model->keyCountingEnabled = c.on;
        model->keyboardMonitorState = c.state;
        model->keyboardPermissionGranted = c.granted;
        EXPECT_EQ(panel->keyboardSummary(), c.summary);
        EXPECT_EQ(panel->keyboardStatusColor(), c.dot) << c.summary;
        EXPECT_EQ(panel->showsPermissionButton(), c.button) << c.summary;
        EXPECT_EQ(panel->todayCountText().has_value(), c.count) << c.summary;
        if (c.button) {
            calls.clear();
            panel->grantPermission();
            EXPECT_EQ(calls, std::vector<std::string>{"look again"}) << "the button looks for key events again";
        }
    }
}

TEST_F(MenuBarContentTest, footerOpensSettingsAfterClosingAndQuitsInOrder) {
    EXPECT_EQ(panel->versionText(), L10n::format(L10n::t("v%@ · 第 %d 天"), {"dev", int64_t(1)}));
    panel->appeared();
    panel->openSettings();
    EXPECT_EQ(calls, (std::vector<std::string>{"refresh", "open", "close"}));
    sim.loop.advance(0);
    EXPECT_EQ(calls.back(), "activate") << "the window comes forward after the click";
    panel->quit();
    EXPECT_EQ(sim.application.terminateCount, 1);

    calls.clear();
    make(true)->appeared();
    EXPECT_TRUE(calls.empty()) << "a preview leaves the key counter alone";
}

}  // namespace
