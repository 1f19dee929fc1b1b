#pragma once

#include <QByteArray>
#include <QTranslator>
#include <functional>
#include <string>

#include "platform/NotificationCenter.h"

namespace platform::qt {

// Qt's own texts (the save dialog's labels, standard buttons) in Chinese while the program
// speaks Chinese. The translation is read once, the first time it is needed, and stays in
// memory; without it Qt's texts stay English.
class QtToolkitTranslation {
public:
    // Applies `chinese()` now and again after each `languageDidChange`.
    QtToolkitTranslation(NotificationCenter& notifications, const std::string& languageDidChange,
                         std::function<bool()> chinese);
    ~QtToolkitTranslation();
    QtToolkitTranslation(const QtToolkitTranslation&) = delete;
    QtToolkitTranslation& operator=(const QtToolkitTranslation&) = delete;

    // Where Qt's translations are installed, and the one read.
    static QString translationsFolder();
    static constexpr const char* kChineseFile = "qtbase_zh_CN";

private:
    void apply();

    std::function<bool()> chinese_;
    QByteArray catalog_;  // what the translator reads from; outlives it
    QTranslator translator_;
    bool triedLoad_ = false;
    bool loaded_ = false;
    bool installed_ = false;
    Subscription languageObserver_;
};

}  // namespace platform::qt
