// The tray's panel offscreen: its controls write the model and follow it, and its texts fit in
// English and Chinese. Writes menu-panel-sheet.png (light and dark, both languages, with and
// without the notices) to $TUFTLE_E2E_ARTIFACTS for people to look at.
#include <gtest/gtest.h>

#include <QDir>
#include <QPainter>
#include <QTest>

#include "menubar/MenuBarEntryController.h"
#include "menubar/qt/MenuBarContentView.h"
#include "menubar/qt/MenuPanelControls.h"
#include "model/AppModel.h"
#include "platform/sim/SimPlatform.h"

using namespace menubar;
using menubar::qt::MenuBarContentView;

namespace {

struct Panel {
    platform::sim::SimPlatform sim;
    model::AppModel model{sim.defaults, sim.loop};
    MenuBarContent content{model, true, nullptr};
    MenuBarContentView view{content};
    void settle() {
        QCoreApplication::processEvents();
        view.refresh();
    }
};

TEST(MenuPanelView, controlsWriteTheModelAndFollowIt) {
    Panel p;
    QTest::mouseClick(p.view.visibilitySwitch(), Qt::LeftButton);
    EXPECT_FALSE(p.model.petsVisible.get());
    auto* count = p.view.petCountControl();
    QTest::mouseClick(count, Qt::LeftButton, {}, count->segmentRect(0).center().toPoint());
    EXPECT_EQ(p.model.petCount.get(), 1);
    auto* level = p.view.activityControl();
    QTest::mouseClick(level, Qt::LeftButton, {}, level->segmentRect(2).center().toPoint());
    EXPECT_EQ(p.model.activityLevel.get(), model::PetActivityLevel::lively);

    p.model.petsVisible = true;
    p.model.windowWalkingEnabled = true;
    p.settle();
    EXPECT_TRUE(p.view.visibilitySwitch()->isChecked());
    EXPECT_TRUE(p.view.windowWalkSwitch()->isChecked());
    EXPECT_TRUE(count->isSelected(0) && !count->isSelected(1));
}

TEST(MenuPanelView, sheetInBothSchemesAndLanguagesWithTextsThatFit) {
    std::vector<QImage> panels;
    for (bool dark : {false, true})
        for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese})
            for (bool notices : {false, true}) {
                Panel p;
                qt::setMenuSchemeOverride(dark);
                p.model.setAppLanguage(language);
                p.model.keyCountingEnabled = true;
                p.model.keyboardPermissionGranted = true;
                p.model.keyboardMonitorState = model::KeyboardMonitorState::listening;
                p.model.recoveredFromUnexpectedExit = notices;
                p.model.isHiddenForFullScreen = notices;
                p.model.windowWalkingEnabled = notices;
                if (notices) {
                    p.sim.accessibility.setReduceMotion(true);  // the line at once, without a fade
                    p.model.startFocus(25);
                    p.content.showFeedback(model::L10n::t("暂时找不到合适的家"), "exclamationmark.triangle.fill",
                                           MenuTint::orange);
                }
                p.view.setSeeThrough(true);
                p.view.setAttribute(Qt::WA_TranslucentBackground);
                p.settle();
                EXPECT_EQ(p.view.height(), notices ? 426 + 2 * 42 + 30 : 426);
                panels.push_back(p.view.grab().toImage());  // lays the sections out
                for (auto* text : p.view.texts())
                    EXPECT_TRUE(text->fits()) << text->text().toStdString() << " does not fit";
            }
    qt::setMenuSchemeOverride(std::nullopt);
    EXPECT_EQ(MenuBarEntryController::popoverContentSize.height, 426) << "the popup opens at the panel's height";

    const int w = MenuBarContentView::panelWidth + 24, h = 426 + 2 * 42 + 30 + 24;
    QImage sheet(w * 4, h * 2, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&sheet);
    // A desktop behind the see-through glass.
    QLinearGradient desktop(0, 0, sheet.width(), sheet.height());
    desktop.setColorAt(0, QColor(58, 96, 115));
    desktop.setColorAt(1, QColor(190, 120, 90));
    painter.fillRect(sheet.rect(), desktop);
    for (size_t i = 0; i < panels.size(); ++i)
        painter.drawImage(int(i % 4) * w + 12, int(i / 4) * h + 12, panels[i]);
    painter.end();
    const QString dir = qEnvironmentVariable("TUFTLE_E2E_ARTIFACTS", QDir::currentPath());
    QDir().mkpath(dir);
    EXPECT_TRUE(sheet.save(dir + "/menu-panel-sheet.png"));
}

}  // namespace
