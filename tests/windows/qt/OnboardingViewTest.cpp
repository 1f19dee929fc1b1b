#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "model/AppModelTestSupport.h"
#include "windows/qt/OnboardingView.h"

using model::AppLanguageChoice;

namespace {

struct OnboardingViewTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
    int completions = 0;
    windows::qt::OnboardingWindow window{*model, "welcome", [this] { ++completions; }};
    windows::qt::OnboardingView& view = *window.view();

    OnboardingViewTest() {
        model->setAppLanguage(AppLanguageChoice::english);
        window.makeKeyAndOrderFront();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.window()));
    }
    std::string title() const { return view.findChild<QLabel*>("onboardingTitle")->text().toStdString(); }
};

}  // namespace

TEST_F(OnboardingViewTest, returnPressesTheForwardButtonOnEveryPageAndTheLastOneCompletes) {
    const std::tuple<std::string, std::string, bool> pages[] = {
        {"Meet Chestnut and Dumpling", "Continue", false},
        {"They Really Live on Your Desktop", "Continue", true},
        {"Your Privacy, Your Call", "Get Started", true},
    };
    for (const auto& [pageTitle, forward, back] : pages) {
        EXPECT_EQ(title(), pageTitle);
        EXPECT_EQ(view.forwardButton()->text().toStdString(), forward);
        EXPECT_EQ(view.backButton()->isVisible(), back);
        EXPECT_EQ(completions, 0);
        QTest::keyClick(view.window(), Qt::Key_Return);
    }
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(view.page(), 2);
}

TEST_F(OnboardingViewTest, backStepsOnePageAndALanguageChangeKeepsThePage) {
    view.forwardButton()->click();
    view.forwardButton()->click();
    view.backButton()->click();
    model->setAppLanguage(AppLanguageChoice::simplifiedChinese);
    EXPECT_EQ(title(), "它们真的住在你的桌面上");
}
