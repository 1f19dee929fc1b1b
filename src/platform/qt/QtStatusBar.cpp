#include "platform/qt/QtStatusBar.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace platform::qt {
namespace {

// A small black fluffy face, drawn so the entry never depends on an icon theme.
QIcon drawnFaceIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(28, 26, 30));
        p.drawEllipse(QRectF(s * 0.08, s * 0.12, s * 0.84, s * 0.80));
        p.setBrush(QColor(252, 245, 222));
        p.drawEllipse(QRectF(s * 0.28, s * 0.38, s * 0.16, s * 0.18));
        p.drawEllipse(QRectF(s * 0.56, s * 0.38, s * 0.16, s * 0.18));
        p.setBrush(QColor(20, 18, 22));
        p.drawEllipse(QRectF(s * 0.33, s * 0.44, s * 0.07, s * 0.09));
        p.drawEllipse(QRectF(s * 0.61, s * 0.44, s * 0.07, s * 0.09));
        icon.addPixmap(pixmap);
    }
    return icon;
}

class QtStatusItem final : public StatusItem {
public:
    QtStatusItem() {
        tray_.setIcon(drawnFaceIcon());
        tray_.setContextMenu(&menu_);
        QObject::connect(&tray_, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger && onActivate_) onActivate_();
        });
        tray_.show();
    }
    ~QtStatusItem() override { tray_.hide(); }

    void setToolTip(const std::string& text) override { tray_.setToolTip(QString::fromStdString(text)); }
    void setMenu(std::vector<MenuAction> actions) override {
        menu_.clear();
        for (auto& a : actions) {
            QAction* action = menu_.addAction(QString::fromStdString(a.title));
            QObject::connect(action, &QAction::triggered, [fn = a.action] {
                if (fn) fn();
            });
        }
    }
    void setOnActivate(std::function<void()> handler) override { onActivate_ = std::move(handler); }
    bool isVisible() const override { return tray_.isVisible(); }

private:
    QMenu menu_;
    QSystemTrayIcon tray_;
    std::function<void()> onActivate_;
};

}  // namespace

std::unique_ptr<StatusItem> QtStatusBar::createStatusItem() { return std::make_unique<QtStatusItem>(); }

}  // namespace platform::qt
