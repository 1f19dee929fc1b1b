// Draws every page of the settings window in both interface languages, offscreen, one PNG
// per page and language, for people to look at.
// Usage: settings_shots <folder>
#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <cstdio>
#include <cstdlib>

#include "model/AppModel.h"
#include "platform/PlistFileDefaults.h"
#include "platform/sim/SimPlatform.h"
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
    int failures = 0;
    for (auto [language, tag] : {std::pair{model::AppLanguageChoice::simplifiedChinese, "zh"},
                                 std::pair{model::AppLanguageChoice::english, "en"}}) {
        model.setAppLanguage(language);
        fillForShots(model);
        windows::qt::SettingsWindow window(model, actions);
        window.makeKeyAndOrderFront();
        for (auto section : model::allCases<windows::SettingsSection>) {
            window.view()->select(section);
            // Nested layouts settle one level per pass.
            for (int pass = 0; pass < 4; ++pass) QApplication::processEvents();
            const QString name = QString("%1/settings-%2-%3").arg(folder, QString::fromUtf8(model::rawValue(section).data()), tag);
            bool ok = window.widget()->grab().save(name + ".png");
            // The whole page as well, where it is taller than the window.
            QWidget* page = window.view()->page();
            if (page->height() > window.widget()->height() - 56) ok = page->grab().save(name + "-full.png") && ok;
            // The actions page scrolls only its galleries.
            if (auto* inner = page->findChild<QScrollArea*>("actionsScroll"))
                ok = inner->widget()->grab().save(name + "-galleries.png") && ok;
            if (!ok) ++failures;
        }
    }
    std::printf("settings_shots: wrote the pages to %s\n", qPrintable(folder));
    return failures == 0 ? 0 : 1;
}
