#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextLayout>
#include <memory>

#include "model/L10nTestSupport.h"
#include "model/LocalizedAlert.h"
#include "platform/qt/QtDialogs.h"

namespace {

QMessageBox* shownBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
    return nullptr;
}

}  // namespace

// The alert's one button carries the title it was given, in the program's language.
TEST(QtAlertRunner, theButtonTakesTheAlertsTitle) {
    struct Case {
        const char* title;
        bool own;
    } cases[] = {{"好", true}, {"", false}};
    for (const auto& c : cases) {
        platform::qt::QtAlertRunner runner;
        runner.show({"message", "more", c.title}, platform::AlertCause::user);
        QMessageBox* box = shownBox();
        ASSERT_NE(box, nullptr) << c.title;
        const QString text = box->button(QMessageBox::Ok)->text();
        if (c.own)
            EXPECT_EQ(text, QString::fromUtf8(c.title));
        else
            EXPECT_FALSE(text.isEmpty()) << "the toolkit's own title";
        delete box;
    }
}

namespace {

// The texts a shown box reads out, its buttons' aside.
QStringList shownTexts(QMessageBox& box) {
    QStringList texts;
    for (auto* label : box.findChildren<QLabel*>())
        if (label->isVisible() && !label->text().isEmpty()) texts << label->text().remove(QChar(0x2060));
    return texts;
}

}  // namespace

// The title bar names the notice, and the box says the rest without the title again; a start
// that cannot go on says why as a sentence of its own. In both languages.
TEST(QtAlertRunner, aNoticeSaysItsTitleOnceAndItsReasonAsASentence) {
    using model::L10n;
    model::testing::LanguageChoiceReset reset;
    // A template no table words: the same sentence in both languages.
    const platform::Reason stopped("something holds a lock on {0}", {std::string("/home/ann/.config/tuftle")});
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        L10n::setAppLanguageChoice(language);
        const std::string noTray =
            L10n::t("这个桌面没有可以放栗丸图标的托盘，这次运行中也无法打开栗丸的面板（设置和退出都在里面）。");
        const struct {
            const char* what;
            platform::Alert alert;
            QString body;
        } cases[] = {
            {"no tray", model::localizedAlert(L10n::t("栗丸没有找到系统托盘"), noTray), QString::fromStdString(noTray)},
            {"cannot start", model::startFailureAlert(stopped), "Something holds a lock on /home/ann/.config/tuftle"},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " in " + std::string(model::rawValue(language)));
            platform::qt::QtAlertRunner runner;
            runner.show(c.alert, platform::AlertCause::program);
            std::unique_ptr<QMessageBox> box(shownBox());
            ASSERT_TRUE(box);
            const QString title = QString::fromStdString(c.alert.messageText);
            EXPECT_EQ(box->windowTitle(), title);
            const QStringList shown = shownTexts(*box);
            EXPECT_FALSE(shown.contains(title)) << shown.join(" | ").toStdString();
            EXPECT_TRUE(shown.contains(c.body)) << shown.join(" | ").toStdString();
        }
    }
}

// A path in a notice may wrap between its folders, never right after the slash it begins with,
// which would stand alone at the end of a line; wherever the line ends, in a narrow box and a
// wide one.
TEST(QtAlertRunner, aPathInANoticeNeverWrapsRightAfterItsFirstSlash) {
    int lineEnds = 0;
    for (const char* path :
         {"/home/ann/.config/tuftle", "/tmp/user/1000/a folder with spaces/and-a-long-name.d/tuftle"})
        for (int words = 0; words < 40; ++words) {
            QString reason = "another program holds a lock on";
            for (int i = 0; i < words; ++i) reason.insert(0, i % 3 ? "lock " : "a ");
            reason += QString(" ") + path;
            platform::qt::QtAlertRunner runner;
            runner.show({"Tuftle cannot start", reason.toStdString(), ""}, platform::AlertCause::program);
            std::unique_ptr<QMessageBox> box(shownBox());
            ASSERT_TRUE(box);
            QLabel* shown = nullptr;
            for (auto* label : box->findChildren<QLabel*>())
                if (label->isVisible() && label->text().remove(QChar(0x2060)) == reason) shown = label;
            ASSERT_TRUE(shown) << reason.toStdString();
            // Laid out at the label's width as the label lays it out.
            const QString text = shown->text();
            QTextLayout layout(text, shown->font());
            QTextOption option;
            option.setWrapMode(QTextOption::WordWrap);
            layout.setTextOption(option);
            const int indent = shown->indent() > 0 ? shown->indent() : 0;
            const int width = shown->contentsRect().width() - 2 * (shown->frameWidth() + shown->margin()) - indent;
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                const QString shownLine = text.mid(line.textStart(), line.textLength()).trimmed();
                const bool last = line.textStart() + line.textLength() >= text.size();
                if (!last) ++lineEnds;
                EXPECT_FALSE(shownLine == "/" || shownLine.endsWith(" /")) << shownLine.toStdString();
            }
            layout.endLayout();
        }
    EXPECT_GT(lineEnds, 40) << "the reasons wrap";
}
