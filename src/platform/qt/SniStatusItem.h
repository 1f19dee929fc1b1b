#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QString>

#include "platform/qt/QtStatusBar.h"

namespace platform::qt {

// The StatusNotifierItem wire types: ARGB32 images in network byte order, and the tooltip.
struct SniIconPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;
};
using SniIconPixmaps = QList<SniIconPixmap>;
struct SniToolTip {
    QString iconName;
    SniIconPixmaps pixmaps;
    QString title;
    QString description;
};

class SniStatusItem;

// org.kde.StatusNotifierItem without a menu, so that hosts send right clicks as ContextMenu.
class SniAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category)
    Q_PROPERTY(QString Id READ id)
    Q_PROPERTY(QString Title READ title)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(int WindowId READ windowId)
    Q_PROPERTY(QString IconThemePath READ empty)
    Q_PROPERTY(QString IconName READ empty)
    Q_PROPERTY(platform::qt::SniIconPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(QString OverlayIconName READ empty)
    Q_PROPERTY(platform::qt::SniIconPixmaps OverlayIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionIconName READ empty)
    Q_PROPERTY(platform::qt::SniIconPixmaps AttentionIconPixmap READ noPixmaps)
    Q_PROPERTY(QString AttentionMovieName READ empty)
    Q_PROPERTY(platform::qt::SniToolTip ToolTip READ toolTip)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu)
public:
    SniAdaptor(QObject* host, SniStatusItem& item);

    QString category() const { return "ApplicationStatus"; }
    QString id() const { return "tuftle"; }
    QString title() const;
    QString status() const { return "Active"; }
    int windowId() const { return 0; }
    QString empty() const { return {}; }
    SniIconPixmaps iconPixmap() const;
    SniIconPixmaps noPixmaps() const { return {}; }
    SniToolTip toolTip() const;
    bool itemIsMenu() const { return false; }

public Q_SLOTS:
    void Activate(int x, int y);
    void SecondaryActivate(int x, int y);
    void ContextMenu(int x, int y);
    void Scroll(int delta, const QString& orientation);

Q_SIGNALS:
    void NewTitle();
    void NewIcon();
    void NewToolTip();
    void NewStatus(const QString& status);

private:
    SniStatusItem& item_;
};

class SniStatusItem final : public QtStatusItem {
public:
    SniStatusItem();
    ~SniStatusItem() override;

    void setTemplatePainter(TemplatePainter painter) override;
    void setToolTip(const std::string& text) override;
    std::string toolTip() const override { return toolTip_.toStdString(); }
    void setAccessibilityLabel(const std::string& label) override;
    void setOnClick(std::function<void(const StatusItemClick&)> handler) override { onClick_ = std::move(handler); }
    // Hosts do not say where the icon is.
    std::optional<Rect> geometry() const override { return std::nullopt; }
    bool isVisible() const override { return registered_; }

private:
    friend class SniAdaptor;
    void registerWithWatcher();
    void click(StatusItemClick::Button button, int x, int y);
    const SniIconPixmaps& pixmaps() const;

    QObject host_;
    SniAdaptor* adaptor_;
    QDBusServiceWatcher watcher_;
    QString service_;
    QString toolTip_;
    QString title_;
    TemplatePainter painter_;
    mutable SniIconPixmaps pixmaps_;
    bool registered_ = false;
    std::function<void(const StatusItemClick&)> onClick_;
};

}  // namespace platform::qt

Q_DECLARE_METATYPE(platform::qt::SniIconPixmap)
Q_DECLARE_METATYPE(platform::qt::SniToolTip)
