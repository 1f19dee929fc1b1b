#include "platform/qt/QtToolkitTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace platform::qt {

QtToolkitTranslation::QtToolkitTranslation(NotificationCenter& notifications, const std::string& languageDidChange,
                                           std::function<bool()> chinese)
    : chinese_(std::move(chinese)) {
    apply();
    languageObserver_ = notifications.addObserver(languageDidChange, [this] { apply(); });
}

QtToolkitTranslation::~QtToolkitTranslation() {
    if (installed_) QCoreApplication::removeTranslator(&translator_);
}

QString QtToolkitTranslation::translationsFolder() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

void QtToolkitTranslation::apply() {
    const bool chinese = chinese_();
    if (chinese && !triedLoad_) {
        triedLoad_ = true;
        loaded_ = translator_.load(QString::fromLatin1(kChineseFile), translationsFolder());
    }
    const bool wanted = chinese && loaded_;
    if (wanted == installed_) return;
    // Either way Qt re-labels its open dialogs and buttons.
    installed_ =
        wanted ? QCoreApplication::installTranslator(&translator_) : !QCoreApplication::removeTranslator(&translator_);
}

}  // namespace platform::qt
