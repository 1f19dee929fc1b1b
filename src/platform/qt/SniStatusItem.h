#pragma once

#include <QByteArray>
#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <optional>

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

// The com.canonical.dbusmenu wire types: a layout node (id, properties, children), the
// properties of one item, and one event.
struct DBusMenuLayout {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayout> children;
};
struct DBusMenuItem {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItems = QList<DBusMenuItem>;
struct DBusMenuItemKeys {
    int id = 0;
    QStringList names;
};
using DBusMenuItemKeysList = QList<DBusMenuItemKeys>;
struct DBusMenuEvent {
    int id = 0;
    QString eventId;
    QDBusVariant data;
    uint timestamp = 0;
};
using DBusMenuEvents = QList<DBusMenuEvent>;

class SniStatusItem;

// org.kde.StatusNotifierItem. Hosts that draw a menu of their own call ContextMenu for a right
// click only while the item has no menu, and some never call it: the item therefore offers a
// one-entry menu (see SniMenuAdaptor) and still answers ContextMenu where a host calls it.
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
    Q_PROPERTY(QDBusObjectPath Menu READ menu)
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
    QDBusObjectPath menu() const;

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

// The item's menu: one entry that runs the secondary click.
class SniMenuAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version)
    Q_PROPERTY(QString TextDirection READ textDirection)
    Q_PROPERTY(QString Status READ status)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath)
public:
    SniMenuAdaptor(QObject* host, SniStatusItem& item);

    uint version() const { return 3; }
    QString textDirection() const;
    QString status() const { return "normal"; }
    QStringList iconThemePath() const { return {}; }
    // The whole menu as hosts fetch it.
    DBusMenuLayout layout() const;
    // Bumped whenever the entry's title changes.
    uint revision() const { return revision_; }
    void titleChanged();

public Q_SLOTS:
    uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                   platform::qt::DBusMenuLayout& layout);
    platform::qt::DBusMenuItems GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames);
    QDBusVariant GetProperty(int id, const QString& name);
    void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    // Spelled out: QtDBus finds a slot's argument types by their names, typedefs unknown.
    QList<int> EventGroup(const QList<platform::qt::DBusMenuEvent>& events);
    bool AboutToShow(int id);
    QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

Q_SIGNALS:
    void ItemsPropertiesUpdated(const QList<platform::qt::DBusMenuItem>& updated,
                                const QList<platform::qt::DBusMenuItemKeys>& removed);
    void LayoutUpdated(uint revision, int parent);
    void ItemActivationRequested(int id, uint timestamp);

private:
    // The node `id` and its children, or nothing for an id the menu does not have.
    std::optional<DBusMenuLayout> node(int id) const;

    SniStatusItem& item_;
    uint revision_ = 1;
};

// Whether the watcher has a host that shows its items: a watcher runs without one where a
// panel's tray is gone but a daemon keeps the name. Read from the watcher's property and kept
// by its signals, so nothing asks again while idle.
class SniHostPresence final : public QObject {
    Q_OBJECT
public:
    SniHostPresence();
    bool present() const { return present_; }
    // Reads the watcher's property again. A watcher that does not answer it counts as hosted.
    void ask();

private Q_SLOTS:
    void hostRegistered() { present_ = true; }
    void hostUnregistered() { ask(); }

private:
    bool present_ = false;
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
    void setSecondaryActionTitle(const std::string& title) override;
    // Hosts do not say where the icon is.
    std::optional<Rect> geometry() const override { return std::nullopt; }
    bool isVisible() const override { return registered_; }
    bool isDocked() const override { return registered_ && hostPresence_.present(); }
    // The item and its menu as hosts reach them on the bus.
    SniAdaptor& adaptor() { return *adaptor_; }
    SniMenuAdaptor& menu() { return *menu_; }

private:
    friend class SniAdaptor;
    friend class SniMenuAdaptor;
    void registerWithWatcher();
    void click(StatusItemClick::Button button, int x, int y);
    void send(StatusItemClick::Button button, std::optional<Point> location, std::optional<Rect> hidingPanel);
    // The host is about to show the menu, for a right click on the icon.
    void menuAboutToShow();
    void menuEntryClicked();
    const SniIconPixmaps& pixmaps() const;

    QObject host_;
    QObject menuHost_;
    SniAdaptor* adaptor_;
    SniMenuAdaptor* menu_;
    QDBusServiceWatcher watcher_;
    SniHostPresence hostPresence_;
    QString service_;
    QString toolTip_;
    QString title_;
    QString secondaryTitle_;
    TemplatePainter painter_;
    mutable SniIconPixmaps pixmaps_;
    bool registered_ = false;
    // Where the icon was last seen: a host's click position, or the pointer as the host's menu
    // opened. A panel opened from the menu belongs there, not where the menu entry was.
    std::optional<Point> iconPoint_;
    // The panel that hides it was then on (see hidingTrayPanel).
    std::optional<Rect> iconPanel_;
    std::function<void(const StatusItemClick&)> onClick_;
};

}  // namespace platform::qt

Q_DECLARE_METATYPE(platform::qt::SniIconPixmap)
Q_DECLARE_METATYPE(platform::qt::SniToolTip)
Q_DECLARE_METATYPE(platform::qt::DBusMenuLayout)
Q_DECLARE_METATYPE(platform::qt::DBusMenuItem)
Q_DECLARE_METATYPE(platform::qt::DBusMenuItemKeys)
Q_DECLARE_METATYPE(platform::qt::DBusMenuEvent)
