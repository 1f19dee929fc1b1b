#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <memory>

#include "platform/qt/QtToolkitTranslation.h"

namespace {

constexpr const char* kLanguageDidChange = "LanguageDidChange";

// A text Qt supplies itself, in a widget made fresh (before the switch) and read after it.
struct ToolkitText {
    const char* what;
    std::function<std::unique_ptr<QWidget>()> make;
    std::function<QString(QWidget&)> read;
    const char* english;
    const char* chinese;
};

std::unique_ptr<QWidget> saveDialog() {
    auto dialog = std::make_unique<QFileDialog>();
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    return dialog;
}

QString label(QWidget& w, const char* name) {
    auto* found = w.findChild<QLabel*>(name);
    return found ? found->text() : QStringLiteral("<no %1>").arg(name);
}

}  // namespace

// Qt's own dialog texts follow the program's language, also in a dialog already open.
TEST(QtToolkitTranslation, qtsOwnTextsFollowTheLanguage) {
    using platform::qt::QtToolkitTranslation;
    if (!QFile::exists(QtToolkitTranslation::translationsFolder() + "/" + QtToolkitTranslation::kChineseFile + ".qm"))
        GTEST_SKIP() << "Qt's Chinese translation is not installed";

    const ToolkitText texts[] = {
        {"standard Cancel button", [] { return std::make_unique<QDialogButtonBox>(QDialogButtonBox::Cancel); },
         [](QWidget& w) { return static_cast<QDialogButtonBox&>(w).button(QDialogButtonBox::Cancel)->text(); },
         "Cancel", "取消"},
        {"save dialog's file name label", saveDialog, [](QWidget& w) { return label(w, "fileNameLabel"); },
         "File &name:", "文件名称(&N)："},
        {"save dialog's folder label", saveDialog, [](QWidget& w) { return label(w, "lookInLabel"); },
         "Look in:", "查找范围："},
    };
    platform::NotificationCenter notifications;
    bool chinese = true;
    for (const auto& t : texts) {
        chinese = true;
        QtToolkitTranslation translation(notifications, kLanguageDidChange, [&] { return chinese; });
        auto widget = t.make();
        EXPECT_EQ(t.read(*widget), QString::fromUtf8(t.chinese)) << t.what;

        chinese = false;
        notifications.post(kLanguageDidChange);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(t.read(*widget), QString::fromUtf8(t.english)) << t.what << " after switching to English";

        chinese = true;
        notifications.post(kLanguageDidChange);
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(t.read(*widget), QString::fromUtf8(t.chinese)) << t.what << " after switching back";
    }
}
