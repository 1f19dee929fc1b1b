#include <gtest/gtest.h>

#include <QApplication>

#include "platform/qt/LayerHostWidget.h"
#include "platform/sim/SimPlatform.h"
#include "windows/qt/PetPreviewStage.h"

using windows::PreviewHomeEnvironment;
using windows::qt::PetPreviewStage;

namespace {

int brightness(QColor c) {
    return std::max({c.red(), c.green(), c.blue()});
}

}  // namespace

// The top edge is the stage's own: nothing is drawn below it in the middle (a cut-out in the
// screen would be), and the pets hang from it.
TEST(PetPreviewStage, theTopEdgeIsAPlainScreenEdgeThePetsHangFrom) {
    platform::sim::SimPlatform sim;
    const model::PetActivity poses[] = {model::PetActivity::home, model::PetActivity::peeking,
                                        model::PetActivity::idle};
    for (auto pose : poses) {
        SCOPED_TRACE(static_cast<int>(pose));
        PetPreviewStage stage;
        stage.resize(440, stage.height());
        PetPreviewStage::State state;
        state.activity = pose;
        state.environment = PreviewHomeEnvironment::notch;
        stage.setState(state);
        stage.show();
        QApplication::processEvents();
        const QImage shot = stage.grab().toImage();
        const int middle = shot.width() / 2;
        const int below = brightness(shot.pixelColor(middle, 70));
        for (int y = 2; y < 60; y += 4)
            EXPECT_NEAR(brightness(shot.pixelColor(middle, y)), below, 6) << "row " << y << " of the middle";
        for (int pet = 0; pet < 2; ++pet)
            EXPECT_LE(stage.renderer(pet)->widget()->y(), 10) << "pet " << pet + 1 << " hangs from the top";
    }
}
