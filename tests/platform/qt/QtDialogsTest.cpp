#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
