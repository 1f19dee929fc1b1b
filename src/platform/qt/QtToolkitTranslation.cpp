#include "platform/qt/QtToolkitTranslation.h"

#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>

#include "platform/storage/RegularFile.h"

namespace platform::qt {
namespace {

// Qt's Chinese catalogue is some 200 kilobytes.
constexpr uint64_t kMaxCatalogSize = 16 << 20;

}  // namespace

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
        const QString file = translationsFolder() + "/" + QString::fromLatin1(kChineseFile) + ".qm";
        const auto found =
            readRegularFile(QFile::encodeName(file).toStdString(), kMaxCatalogSize, OversizedFile::refuse);
        if (found.ok()) {
            catalog_ = QByteArray(found.bytes.data(), static_cast<qsizetype>(found.bytes.size()));
            loaded_ = translator_.load(reinterpret_cast<const uchar*>(catalog_.constData()),
                                       static_cast<int>(catalog_.size()), translationsFolder());
        }
    }
    const bool wanted = chinese && loaded_;
    if (wanted == installed_) return;
    // Either way Qt re-labels its open dialogs and buttons.
    installed_ =
        wanted ? QCoreApplication::installTranslator(&translator_) : !QCoreApplication::removeTranslator(&translator_);
}

}  // namespace platform::qt
