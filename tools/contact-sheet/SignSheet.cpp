// The reminder signs for every reminder in English (top) and Chinese (bottom), with their soft
// shadow over a desktop-like backdrop; a sign whose drawing reaches its cell's edge is cut.
#include <QLinearGradient>
#include <QPainter>

#include "ContactSheet.h"
#include "model/L10n.h"
#include "pets/view/ReminderSignView.h"

namespace contactsheet {

QImage signSheet(Sheet& sheet) {
    using pets::ReminderSignView;
    using model::WellbeingAction;
    constexpr double margin = platform::qt::PetPanelWindow::drawingMargin;
    const QSizeF cell(ReminderSignView::width + 2 * margin, ReminderSignView::height + 2 * margin);
    const int w = int(cell.width() * Sheet::scale), h = int(cell.height() * Sheet::scale);
    QImage image(w * 4, h * 2, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient desktop(0, 0, image.width(), image.height());
    desktop.setColorAt(0, QColor(58, 96, 115));
    desktop.setColorAt(1, QColor(190, 120, 90));
    painter.fillRect(image.rect(), desktop);
    platform::qt::LayerRenderer renderer;
    int row = 0;
    for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese}) {
        model::L10n::setAppLanguageChoice(language);
        int column = 0;
        for (auto action : {WellbeingAction::drink, WellbeingAction::lookFar, WellbeingAction::standStretch,
                            WellbeingAction::stretch}) {
            ReminderSignView sign(action);
            auto root = anim::Layer::make();
            sign.layer()->setFrame({margin, margin, ReminderSignView::width, ReminderSignView::height});
            root->addSublayer(sign.layer());
            QImage picture = renderer.render(*root, sheet.sim.loop.mediaTime(), cell, Sheet::scale);
            for (int x = 0; x < picture.width(); ++x)
                if (qAlpha(picture.pixel(x, 0)) + qAlpha(picture.pixel(x, picture.height() - 1)) > 0) {
                    sheet.cut.push_back(QString::fromStdString(sign.accessibilityLabel()));
                    break;
                }
            picture.setDevicePixelRatio(1);
            painter.drawImage(column++ * w, row * h, picture);
        }
        ++row;
    }
    model::L10n::setAppLanguageChoice(std::nullopt);
    return image;
}

}  // namespace contactsheet
