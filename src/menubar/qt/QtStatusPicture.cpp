#include "menubar/qt/QtStatusPicture.h"

#include "menubar/TuftleStatusView.h"
#include "menubar/qt/IconProvider.h"
#include "platform/qt/QtStatusBar.h"

namespace menubar::qt {
namespace {

QRectF toQ(const platform::Rect& r) {
    return {r.minX(), r.minY(), r.width(), r.height()};
}

}  // namespace

void installStatusPictureRenderer() {
    TuftleStatusView::setRenderer([](platform::StatusItem& item, const StatusPicture& picture) {
        auto* qtItem = dynamic_cast<platform::qt::QtStatusItem*>(&item);
        if (!qtItem) return;
        auto face = IconProvider::menuBarMealImage(picture.gaze, picture.mouth);
        auto divider = picture.pelletsHidden
                           ? nullptr
                           : IconProvider::menuBarMealDividerImage(picture.pelletProgress, picture.spitting);
        qtItem->setTemplatePainter([picture, face, divider](QPainter& p, const QRectF& r) {
            // Both rectangles are centred in the icon, so y-down space serves as well.
            const platform::Rect icon{r.x(), r.y(), r.width(), r.height()};
            face->draw(p, toQ(picture.faceRect(icon)));
            if (divider) divider->draw(p, toQ(picture.dividerRect(icon)));
        });
    });
}

}  // namespace menubar::qt
