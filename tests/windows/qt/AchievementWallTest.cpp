#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QGridLayout>
#include <QLabel>

#include "model/AppModelTestSupport.h"
#include "windows/qt/AchievementGalleryView.h"

using model::AppLanguageChoice;
using model::CompanionAchievementState;
using model::CompanionUnlock;
using windows::qt::AchievementBadgeTile;
using windows::qt::AchievementGalleryView;
using windows::qt::AchievementMedal;

namespace {

CompanionAchievementState state(CompanionUnlock badge, double progress, bool unlocked = false) {
    return {badge, progress, unlocked ? "10 / 10" : model::L10n::format("%d / 10", {int64_t(progress * 10)}), unlocked};
}

// How coloured the middle of a tile's medal is on average (0 grey ... 1 fully saturated).
double saturation(AchievementBadgeTile& tile, const QWidget& medal) {
    const QImage image = tile.grab(QRect(medal.geometry().center() - QPoint(26, 26), QSize(52, 52))).toImage();
    double sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) sum += image.pixelColor(x, y).hsvSaturationF();
    return sum / (image.width() * image.height());
}

struct AchievementWallTest : model::testing::AppModelTest {
    std::unique_ptr<model::AppModel> model = launch();
};

}  // namespace

TEST_F(AchievementWallTest, tilesGoOnAContactSheetAndOnlyLitMedalsCarryTheirColour) {
    const std::vector<CompanionAchievementState> states{
        state(CompanionUnlock::firstSteps, 1, true),      state(CompanionUnlock::keyboardFriend, 0),
        state(CompanionUnlock::oldFriend, 0.6),           state(CompanionUnlock::focusMaster, 1, true),
        state(CompanionUnlock::longCompanion, 0.3),       state(CompanionUnlock::typingMeteor, 1, true)};
    QWidget sheet;
    auto* grid = new QGridLayout(&sheet);
    int row = 0;
    for (auto language : {AppLanguageChoice::simplifiedChinese, AppLanguageChoice::english}) {
        model->setAppLanguage(language);
        for (size_t i = 0; i < states.size(); ++i) {
            auto* tile = new AchievementBadgeTile(states[i]);
            tile->setFixedWidth(196);
            grid->addWidget(tile, row, int(i));
        }
        ++row;
    }
    sheet.show();
    QApplication::processEvents();
    for (auto* medal : sheet.findChildren<QWidget*>("medal")) {
        auto* tile = static_cast<AchievementBadgeTile*>(medal->parentWidget());
        const double colour = saturation(*tile, *medal);
        if (tile->state().isUnlocked)
            EXPECT_GT(colour, 0.2) << model::title(tile->state().badge);
        else
            EXPECT_LT(colour, 0.08) << model::title(tile->state().badge);
    }
    const QString folder = QCoreApplication::applicationDirPath() + "/e2e-artifacts";
    QDir().mkpath(folder);
    EXPECT_TRUE(sheet.grab().save(folder + "/achievement-tiles.png"));
}

TEST_F(AchievementWallTest, detailTellsTheStoryAndWhereALockedOrLitBadgeStands) {
    model->setAppLanguage(AppLanguageChoice::english);
    AchievementGalleryView wall({state(CompanionUnlock::firstSteps, 1, true), state(CompanionUnlock::keyRhythm, 0.4)});
    wall.show();
    const std::pair<CompanionUnlock, std::string> cases[] = {
        {CompanionUnlock::firstSteps, "Lit · Tuftle remembers this moment"},
        {CompanionUnlock::keyRhythm, "Almost there · 4 / 10"},
    };
    for (const auto& [badge, status] : cases) {
        wall.selectBadge(badge);
        ASSERT_TRUE(wall.detail());
        EXPECT_EQ(wall.detail()->findChild<QLabel*>("detailStory")->text().toStdString(), model::story(badge));
        EXPECT_EQ(wall.detail()->findChild<QLabel*>("detailStatus")->text().toStdString(), status);
        wall.detail()->grab().save(QString("%1/e2e-artifacts/achievement-detail-%2.png")
                                       .arg(QCoreApplication::applicationDirPath(), QString::fromUtf8(rawValue(badge).data())));
    }
    EXPECT_EQ(wall.findChild<QLabel*>("nextBadge")->text().toStdString(), "Next · " + model::title(CompanionUnlock::keyRhythm));
    EXPECT_EQ(wall.findChild<QLabel*>("unlockedSummary")->text(), "1 / 2 lit");
}

TEST(AchievementWall, nextBadgeIsTheLockedOneWithMostProgressEarliestOnTies) {
    const std::pair<std::vector<CompanionAchievementState>, std::optional<CompanionUnlock>> cases[] = {
        {{state(CompanionUnlock::firstSteps, 0), state(CompanionUnlock::keyboardFriend, 0)}, CompanionUnlock::firstSteps},
        {{state(CompanionUnlock::firstSteps, 0.2), state(CompanionUnlock::keyRhythm, 0.7), state(CompanionUnlock::longDay, 0.7)},
         CompanionUnlock::keyRhythm},
        {{state(CompanionUnlock::firstSteps, 1, true), state(CompanionUnlock::longDay, 0.1)}, CompanionUnlock::longDay},
        {{state(CompanionUnlock::firstSteps, 1, true)}, std::nullopt},
        {{}, std::nullopt},
    };
    for (const auto& [states, expected] : cases) {
        const auto next = windows::nextBadge(states);
        EXPECT_EQ(next ? std::optional(next->badge) : std::nullopt, expected);
    }
}

TEST_F(AchievementWallTest, sparkleShowsAtOnceUnderReduceMotionAndHoverLightsOnlyALitTile) {
    sim.accessibility.setReduceMotion(true);
    AchievementMedal medal(state(CompanionUnlock::firstSteps, 1, true), 88);
    medal.show();
    EXPECT_EQ(medal.sparkleOpacity(), 1);

    for (bool unlocked : {true, false}) {
        AchievementBadgeTile tile(state(CompanionUnlock::longDay, unlocked ? 1 : 0.5, unlocked));
        tile.resize(200, 218);
        tile.show();
        const QImage before = tile.grab().toImage();
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(&tile, &enter);
        EXPECT_TRUE(tile.isHovering());
        // The border brightens only on a lit tile; any tile's border grows thicker.
        EXPECT_NE(tile.grab().toImage(), before) << unlocked;
    }
}
