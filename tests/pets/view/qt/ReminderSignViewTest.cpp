#include <gtest/gtest.h>

#include <QImage>

#include "model/L10n.h"
#include "pets/view/ReminderSignView.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/sim/SimPlatform.h"

using pets::ReminderSignView;

TEST(ReminderSignView, everySignFitsItsCardInEnglishAndChinese) {
    platform::sim::SimPlatform sim;
    platform::qt::LayerRenderer renderer;
    constexpr double m = 24, k = 2;  // margin for the shadow; pixels per point
    QImage image;
    // Pixels in a rectangle of points (y up from the card's corner) for which `test` holds.
    const auto count = [&](double x0, double y0, double x1, double y1, auto test) {
        int n = 0;
        for (double y = y0; y < y1; y += 0.5)
            for (double x = x0; x < x1; x += 0.5)
                n += test(image.pixelColor(int((m + x) * k), int(image.height() - (m + y) * k)));
        return n;
    };
    const auto ink = [](const QColor& c) {  // neither the card's fill nor see-through
        return c.alpha() == 255 && std::abs(c.red() - 245) + std::abs(c.green() - 242) + std::abs(c.blue() - 224) > 12;
    };
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        model::L10n::setAppLanguageChoice(language);
        for (auto action : {model::WellbeingAction::drink, model::WellbeingAction::lookFar,
                            model::WellbeingAction::standStretch, model::WellbeingAction::stretch}) {
            SCOPED_TRACE(ReminderSignView::content(action).title);
            ReminderSignView sign(action);
            auto root = anim::Layer::make();
            sign.layer()->setFrame({m, m, ReminderSignView::width, ReminderSignView::height});
            root->addSublayer(sign.layer());
            image = renderer.render(*root, 0, QSizeF(196 + 2 * m, 72 + 2 * m), k);
            // Nothing but card right of the texts and above and below them.
            EXPECT_EQ(count(183, 17, 194, 56, ink) + count(55, 2, 181, 8, ink) + count(55, 64, 181, 70, ink), 0);
            // Title, line and the tinted symbol are drawn.
            EXPECT_GT(count(55, 40, 181, 58, [](const QColor& c) { return c.lightness() < 90; }), 40);
            EXPECT_GT(count(55, 14, 181, 30, ink), 20);
            EXPECT_GT(count(15, 20, 45, 52, [](const QColor& c) { return c.blue() > c.red() + 30 && c.lightness() < 150; }), 20);
            // The shadow is faint enough to be masked away where nothing composites.
            EXPECT_EQ(count(-20, -20, 216, -2, [](const QColor& c) { return c.alpha() >= 128; }), 0);
        }
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
}
