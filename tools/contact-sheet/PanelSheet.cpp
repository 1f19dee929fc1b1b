// The tray's panel in light and dark, English and Chinese, without and with the notices (and a
// running focus session and a feedback line), side by side over a desktop-like backdrop that
// shows through the glass.
#include <QLinearGradient>
#include <QPainter>

#include "ContactSheet.h"
#include "menubar/MenuBarContent.h"
#include "menubar/qt/MenuBarContentView.h"
#include "menubar/qt/MenuPanelControls.h"
#include "model/AppModel.h"

namespace contactsheet {

QImage panelSheet(Sheet& sheet) {
    using menubar::qt::MenuBarContentView;
    std::vector<QImage> panels;
    int tallest = 0;
    for (bool dark : {false, true})
        for (auto language : {model::AppLanguageChoice::english, model::AppLanguageChoice::simplifiedChinese})
            for (bool notices : {false, true}) {
                model::AppModel model(sheet.sim.defaults, sheet.sim.loop);
                menubar::MenuBarContent content(model, true, nullptr);
                menubar::qt::setMenuSchemeOverride(dark);
                model.setAppLanguage(language);
                model.keyCountingEnabled = true;
                model.keyboardPermissionGranted = true;
                model.keyboardMonitorState = model::KeyboardMonitorState::listening;
                model.recoveredFromUnexpectedExit = notices;
                model.isHiddenForFullScreen = notices;
                model.windowWalkingEnabled = notices;
                sheet.sim.accessibility.setReduceMotion(true);  // the feedback line without a fade
                if (notices) {
                    model.startFocus(25);
                    content.showFeedback(model::L10n::t("暂时找不到合适的家"), "exclamationmark.triangle.fill",
                                         menubar::MenuTint::orange);
                } else {
                    model.stopFocus();
                }
                MenuBarContentView view(content);
                view.setAttribute(Qt::WA_TranslucentBackground);
                view.setSeeThrough(true);
                view.refresh();
                panels.push_back(view.grab().toImage());
                tallest = std::max(tallest, panels.back().height());
            }
    menubar::qt::setMenuSchemeOverride(std::nullopt);

    const int w = MenuBarContentView::panelWidth + 24, h = tallest + 24;
    QImage image(w * 4, h * 2, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    QLinearGradient desktop(0, 0, image.width(), image.height());
    desktop.setColorAt(0, QColor(58, 96, 115));
    desktop.setColorAt(1, QColor(190, 120, 90));
    painter.fillRect(image.rect(), desktop);
    for (size_t i = 0; i < panels.size(); ++i) painter.drawImage(int(i % 4) * w + 12, int(i / 4) * h + 12, panels[i]);
    return image;
}

}  // namespace contactsheet
