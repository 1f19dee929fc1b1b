#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>

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

// Clicking Continue twice where it stood must reach the next page each time: the button row
// keeps its place however many lines each page's texts take.
TEST_F(OnboardingViewTest, theButtonsStayInPlaceOnEveryPageInBothLanguages) {
    for (auto language : {AppLanguageChoice::english, AppLanguageChoice::simplifiedChinese}) {
        SCOPED_TRACE(static_cast<int>(language));
        model->setAppLanguage(language);
        view.backButton()->click();
        view.backButton()->click();
        std::vector<QRect> forward, back;
        for (int page = 0; page < 3; ++page) {
            QApplication::processEvents();  // the layouts settle
            forward.emplace_back(view.forwardButton()->mapTo(&view, QPoint()), view.forwardButton()->size());
            if (page > 0) back.emplace_back(view.backButton()->mapTo(&view, QPoint()), view.backButton()->size());
            if (page < 2) view.forwardButton()->click();
        }
        EXPECT_EQ(view.page(), 2);
        EXPECT_EQ(forward[0], forward[1]);
        EXPECT_EQ(forward[1].topRight(), forward[2].topRight()) << "Get Started ends where Continue did";
        EXPECT_EQ(back[0], back[1]);
        EXPECT_TRUE(view.rect().contains(forward[2])) << "inside the window";
    }
}

namespace {

// The lines `label` lays its text out in, as it wraps at its width.
QStringList wrappedLines(const QLabel& label) {
    QTextLayout layout(label.text(), label.font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label.contentsRect().width());
        lines << label.text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

}  // namespace

TEST_F(OnboardingViewTest, namesStayWholeWhereChineseTextsWrap) {
    model->setAppLanguage(AppLanguageChoice::simplifiedChinese);
    const QString names = QString::fromUtf8("栗丸");
    int wrapped = 0;
    for (int page = 0; page < 3; ++page) {
        for (const char* name : {"onboardingTitle", "onboardingDetail"}) {
            auto* label = view.findChild<QLabel*>(name);
            const QStringList lines = wrappedLines(*label);
            wrapped += int(lines.size()) - 1;
            for (qsizetype i = 1; i < lines.size(); ++i) {
                const QString before = QString(lines[i - 1]).remove(QChar(0x2060)).trimmed();
                const QString after = QString(lines[i]).remove(QChar(0x2060));
                EXPECT_FALSE(!before.isEmpty() && !after.isEmpty() && names.contains(before.back()) &&
                             names.contains(after.front()))
                    << "page " << page << " breaks a name: " << lines.join(" | ").toStdString();
            }
        }
        view.forwardButton()->click();
    }
    EXPECT_GT(wrapped, 0) << "some text wraps";
}
