// The panel's glass hides what lies behind the panel: no blur does it on X11.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "menubar/qt/GlassMenuBackdrop.h"

using menubar::qt::GlassMenuBackdrop;

TEST(GlassMenuBackdrop, everyLookIsSolidInsideItsRoundedCorners) {
    const QRectF rect(0, 0, 382, 426);
    const double inset = GlassMenuBackdrop::cornerRadius;
    for (bool dark : {false, true}) {
        for (bool opaque : {false, true}) {
            QImage image(rect.size().toSize(), QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            GlassMenuBackdrop::paint(p, rect, dark, opaque);
            p.end();
            int seeThrough = 0;
            for (int y = int(inset); y < image.height() - inset; y += 3)
                for (int x = int(inset); x < image.width() - inset; x += 3)
                    if (qAlpha(image.pixel(x, y)) < 255) ++seeThrough;
            EXPECT_EQ(seeThrough, 0) << (dark ? "dark" : "light") << (opaque ? ", opaque" : ", glass");
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corner is rounded off";
        }
    }
}
