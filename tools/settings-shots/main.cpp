// Draws every page of the settings window, the confirmations before erasing data, the welcome
// window and the achievement details in both interface languages, offscreen, one PNG per page and language, for people to look at.
// Fails when a text on any of them is cut where it must be read whole, when a symbol or other
// picture is drawn too small for its box or off its centre, or when a pet is missing from the
// actions page's stage; run it at every screen scale worth checking (QT_SCALE_FACTOR).
// Usage: settings_shots <folder>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <cstdio>
#include <cstdlib>

#include "CutTexts.h"
#include "DrawnPictures.h"
#include "model/AppModel.h"
#include "model/DataExport.h"
#include "platform/storage/PlistFileDefaults.h"
#include "platform/sim/SimPlatform.h"
#include "windows/ActionsScenes.h"
#include "windows/qt/AchievementGalleryView.h"
#include "windows/qt/OnboardingView.h"
#include "windows/qt/SettingsWindow.h"

namespace {

// A model showing every optional block: the recovery card, a login-item message and an
// update being downloaded.
void fillForShots(model::AppModel& model) {
    model.recoveredFromUnexpectedExit = true;
    model.launchAtLoginMessage = model::L10n::format(model::L10n::t("设置失败：%@"), {"Permission denied"});
    updates::UpdateManifest manifest;
    manifest.version = "1.4.0";
    manifest.size = 48'300'000;
    manifest.notesZH = "· 新的睡觉动作\n· 修正了多显示器下回家的位置";
    manifest.notesEN = "· A new sleeping pose\n· Homes on several displays are found correctly";
    model.updateCheckResult = updates::UpdateCheckResult::available(manifest);
    model.updateDownloadState = updates::UpdateDownloadState::downloading(0.42);
    model.setHomePreference(model::PetHomePreference::notch, 1);
    // A week of varied typing for the keyboard chart.
    model::KeystrokeLedger ledger;
    const int64_t week[] = {1840, 3205, 960, 4410, 2730, 0, 1275};
    for (int i = 0; i < 7; ++i) {
        const auto day = platform::calendar::startOfDayAdding(model.mainLoop().now(), i - 6);
        ledger.dailyCounts[platform::calendar::dayKey(day)] = week[i];
        ledger.allTimeCount += week[i];
    }
    ledger.allTimeCount += 52'000;
    model.ledger = ledger;
    model.keyCountingEnabled = true;
    model.keyboardPermissionGranted = true;
    model.keyboardMonitorState = model::KeyboardMonitorState::listening;
    // A few hours and sessions together: some medals lit, others on their way.
    auto record = model::CompanionRecord::startingAt(model.companionRecord.get().firstMetAt);
    record.addCompanion(3 * 3600, record.firstMetAt);
    record.completedFocusSessions = 4;
    record.refreshUnlocks(640);
    model.companionRecord = record;
}

// Nested layouts settle one level per pass.
void settle() {
    for (int pass = 0; pass < 4; ++pass) QApplication::processEvents();
}

// Saves the picture and reports every cut text, misdrawn picture and missing pet on it; false
// when anything went wrong.
bool shoot(QWidget* widget, const QString& name) {
    bool ok = widget->grab().save(name + ".png");
    const std::pair<const char*, QStringList> findings[] = {
        {"cut text", settingsshots::cutTexts(widget)},
        {"misdrawn", settingsshots::misplacedPictures(widget)},
        {"empty stage", settingsshots::emptyStages(widget)},
        {"faint pet", settingsshots::faintPets(widget)},
    };
    for (const auto& [kind, found] : findings)
        for (const QString& finding : found) {
            std::fprintf(stderr, "%s: %s: %s\n", qPrintable(QDir(name).dirName()), kind, qPrintable(finding));
            ok = false;
        }
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);

    platform::sim::SimPlatform sim;
    model::AppModel model(sim.defaults, sim.loop);
    fillForShots(model);
    windows::SettingsActions actions;
    actions.infoString = [](const std::string& key) -> std::optional<std::string> {
        return key == "CFBundleVersion" ? "1" : "0.1.0";
    };
    actions.defaultsFile = platform::PlistFileDefaults::standardPath().string();
    // An export that went where the save panel proposes, for the line that says so.
    actions.exportLocalData = [&sim] {
        return std::optional(std::filesystem::path(QDir::homePath().toStdString()) / "Documents" /
                             model::proposedExportFileName(sim.loop.now()));
    };
    int failures = 0;
    for (auto [language, tag] : {std::pair{model::AppLanguageChoice::simplifiedChinese, "zh"},
                                 std::pair{model::AppLanguageChoice::english, "en"}}) {
        model.setAppLanguage(language);
        fillForShots(model);
        windows::qt::SettingsWindow window(model, actions);
        window.makeKeyAndOrderFront();
        for (auto section : model::allCases<windows::SettingsSection>) {
            window.view()->select(section);
            if (auto* exportButton = window.view()->page()->findChild<QAbstractButton*>("exportData"))
                exportButton->click();
            settle();
            const QString name = QString("%1/settings-%2-%3").arg(folder, QString::fromUtf8(model::rawValue(section).data()), tag);
            bool ok = shoot(window.widget(), name);
            // The whole page as well, where it is taller than the window.
            QWidget* page = window.view()->page();
            if (page->height() > window.widget()->height() - 56) ok = shoot(page, name + "-full") && ok;
            // The actions page scrolls only its galleries.
            if (auto* inner = page->findChild<QScrollArea*>("actionsScroll"))
                ok = shoot(inner->widget(), name + "-galleries") && ok;
            // The stage once more with the pets whole: a pose beside the Dock along the bottom.
            if (auto* environment = page->findChild<QComboBox*>("environment")) {
                const int dock = static_cast<int>(windows::PreviewHomeEnvironment::dockBottom);
                environment->setCurrentIndex(dock);
                Q_EMIT environment->activated(dock);
                if (auto* pose = page->findChild<QAbstractButton*>("roaming")) pose->click();
                settle();
                ok = shoot(window.widget(), name + "-stage") && ok;
            }
            // Every achievement's detail.
            if (page->objectName() == "achievementWall") {
                auto* wall = static_cast<windows::qt::AchievementGalleryView*>(page);
                for (auto badge : model::allCases<model::CompanionUnlock>) {
                    wall->selectBadge(badge);
                    settle();
                    ok = shoot(wall->detail(), QString("%1/achievement-%2-%3").arg(folder, QString::fromUtf8(model::rawValue(badge).data()), tag)) && ok;
                    wall->detail()->close();
                }
            }
            // The confirmations before erasing data, each step.
            for (const char* opener : {"resetData", "clearToday"}) {
                auto* button = page->findChild<QAbstractButton*>(opener);
                if (!button) continue;
                button->click();
                for (;;) {
                    settle();
                    QMessageBox* box = nullptr;
                    for (auto* shown : page->findChildren<QMessageBox*>())
                        if (shown->isVisible()) box = shown;
                    if (!box) break;
                    ok = shoot(box, QString("%1/dialog-%2-%3").arg(folder, box->objectName(), tag)) && ok;
                    auto* onward = box->findChild<QAbstractButton*>("continue");
                    (onward ? onward : box->findChild<QAbstractButton*>("cancel"))->click();
                }
            }
            if (!ok) ++failures;
        }
        // With a tray and without one: the actions page after a tour, and the pages whose texts
        // point at the tray.
        for (bool tray : {true, false}) {
            windows::SettingsActions trayActions = actions;
            trayActions.trayShowsEntry = [tray] { return tray; };
            trayActions.demonstrateAll = [](model::DesktopDemoTarget) { return true; };
            const QString flavour = tray ? "tray" : "notray";
            for (auto section : {windows::SettingsSection::actions, windows::SettingsSection::home,
                                 windows::SettingsSection::menuBar}) {
                windows::qt::SettingsWindow window(model, trayActions, section);
                window.makeKeyAndOrderFront();
                settle();
                if (auto* tour = window.view()->page()->findChild<QAbstractButton*>("tour")) tour->click();
                settle();
                const QString name = QString("%1/settings-%2-%3-%4")
                                         .arg(folder, QString::fromUtf8(model::rawValue(section).data()), flavour, tag);
                bool ok = shoot(window.widget(), name);
                QWidget* page = window.view()->page();
                if (page->height() > window.widget()->height() - 56) ok = shoot(page, name + "-full") && ok;
                if (!ok) ++failures;
            }
        }
        windows::qt::OnboardingWindow welcome(model, "welcome", [] {});
        welcome.makeKeyAndOrderFront();
        for (int page = 0;; ++page) {
            settle();
            if (!shoot(welcome.widget(), QString("%1/welcome-%2-%3").arg(folder).arg(page).arg(tag))) ++failures;
            if (welcome.view()->page() != page) break;
            welcome.view()->forwardButton()->click();
            if (welcome.view()->page() == page) break;
        }
    }
    std::printf("settings_shots: wrote the pages to %s\n", qPrintable(folder));
    return failures == 0 ? 0 : 1;
}
