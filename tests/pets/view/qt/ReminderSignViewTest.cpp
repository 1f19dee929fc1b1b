#include <gtest/gtest.h>

#include <QImage>

#include "model/L10n.h"
#include "pets/view/ReminderSignView.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/sim/SimPlatform.h"

using pets::ReminderSignView;

namespace {

constexpr double kMargin = 24, kScale = 2;

// Points (y up, card origin at 0, 0) for which `test` holds.
int countPixels(const QImage& image, double x0, double y0, double x1, double y1, auto test) {
    int n = 0;
    for (double y = y0; y < y1; y += 0.5)
        for (double x = x0; x < x1; x += 0.5)
            n += test(image.pixelColor(int((kMargin + x) * kScale), int(image.height() - (kMargin + y) * kScale)));
    return n;
}

bool isCard(const QColor& c) {
    return std::abs(c.red() - 245) < 6 && std::abs(c.green() - 242) < 6 && std::abs(c.blue() - 224) < 6;
}

}  // namespace

TEST(ReminderSignView, everySignFitsItsCardInEnglishAndChinese) {
    platform::sim::SimPlatform sim;
    platform::qt::LayerRenderer renderer;
    using model::WellbeingAction;
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        model::L10n::setAppLanguageChoice(language);
        for (auto action : {WellbeingAction::drink, WellbeingAction::lookFar, WellbeingAction::standStretch,
                            WellbeingAction::stretch}) {
            SCOPED_TRACE(ReminderSignView::content(action).title);
            ReminderSignView sign(action);
            auto root = anim::Layer::make();
            sign.layer()->setFrame({kMargin, kMargin, ReminderSignView::width, ReminderSignView::height});
            root->addSublayer(sign.layer());
            const QImage image = renderer.render(
                *root, 0, QSizeF(ReminderSignView::width + 2 * kMargin, ReminderSignView::height + 2 * kMargin), kScale);
            const auto ink = [](const QColor& c) { return !isCard(c) && c.alpha() == 255; };
            // Nothing but card between the texts and the right padding, or above and below them.
            EXPECT_EQ(countPixels(image, 183, 17, 194, 56, ink), 0);
            EXPECT_EQ(countPixels(image, 55, 2, 181, 8, ink), 0);
            EXPECT_EQ(countPixels(image, 55, 64, 181, 70, ink), 0);
            // Title, line and the tinted symbol are drawn.
            EXPECT_GT(countPixels(image, 55, 40, 181, 58, [](const QColor& c) { return c.lightness() < 90; }), 40);
            EXPECT_GT(countPixels(image, 55, 14, 181, 30, ink), 20);
            EXPECT_GT(countPixels(image, 15, 20, 45, 52,
                                  [](const QColor& c) { return c.blue() > c.red() + 30 && c.lightness() < 150; }),
                      20);
            // The shadow is faint enough to be masked away where nothing composites.
            EXPECT_EQ(countPixels(image, -20, -20, 216, -2, [](const QColor& c) { return c.alpha() >= 128; }), 0);
        }
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}
