// The tray's panel offscreen: its controls write the model and follow it, and its texts fit in
// English and Chinese (the contact sheet draws it for people to look at).
#include <gtest/gtest.h>

#include <QTest>

#include "menubar/MenuBarEntryController.h"
#include "menubar/qt/MenuBarContentView.h"
#include "menubar/qt/MenuPanelControls.h"
#include "model/AppModel.h"
#include "model/L10n.h"
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

TEST(MenuPanelView, textsFitInBothLanguagesAndTheHeightFollowsTheSections) {
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese})
        for (bool notices : {false, true}) {
            Panel p;
            p.model.setAppLanguage(language);
            p.model.keyCountingEnabled = true;
            p.model.recoveredFromUnexpectedExit = notices;
            p.model.isHiddenForFullScreen = notices;
            p.model.windowWalkingEnabled = notices;
            if (notices) {
                p.sim.accessibility.setReduceMotion(true);
                p.model.startFocus(25);
                p.content.sendHome();
            }
            p.settle();
            EXPECT_EQ(p.view.height(), notices ? 426 + 2 * 42 + 30 : MenuBarEntryController::popoverContentSize.height);
            p.view.grab();  // lays the sections out
            for (auto* text : p.view.texts())
                EXPECT_TRUE(text->fits()) << text->text().toStdString() << " does not fit";
        }
}

}  // namespace
