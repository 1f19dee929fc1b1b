#include "platform/qt/SniStatusItem.h"

#include <QCursor>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QTimer>
#include <QtEndian>

#include "platform/desktop/TrayHostPoint.h"
#include "platform/qt/QtColorScheme.h"
#include "platform/qt/QtScreens.h"
#include "platform/qt/TrayTint.h"
#include "platform/qt/X11DockAreas.h"

namespace platform::qt {

QDBusArgument& operator<<(QDBusArgument& arg, const SniIconPixmap& p) {
    arg.beginStructure();
    arg << p.width << p.height << p.bytes;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, SniIconPixmap& p) {
    arg.beginStructure();
    arg >> p.width >> p.height >> p.bytes;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const SniToolTip& t) {
    arg.beginStructure();
    arg << t.iconName << t.pixmaps << t.title << t.description;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, SniToolTip& t) {
    arg.beginStructure();
    arg >> t.iconName >> t.pixmaps >> t.title >> t.description;
    arg.endStructure();
    return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayout& l) {
    arg.beginStructure();
    arg << l.id << l.properties;
    arg.beginArray(QMetaType::fromType<QDBusVariant>());
    for (const auto& child : l.children) arg << QDBusVariant(QVariant::fromValue(child));
    arg.endArray();
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayout& l) {
    arg.beginStructure();
    arg >> l.id >> l.properties;
    arg.beginArray();
    l.children.clear();
    while (!arg.atEnd()) {
        QDBusVariant child;
        arg >> child;
        l.children.append(qdbus_cast<DBusMenuLayout>(child.variant()));
    }
    arg.endArray();
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItem& i) {
    arg.beginStructure();
    arg << i.id << i.properties;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItem& i) {
    arg.beginStructure();
    arg >> i.id >> i.properties;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemKeys& k) {
    arg.beginStructure();
    arg << k.id << k.names;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemKeys& k) {
    arg.beginStructure();
    arg >> k.id >> k.names;
    arg.endStructure();
    return arg;
}
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& e) {
    arg.beginStructure();
    arg << e.id << e.eventId << e.data << e.timestamp;
    arg.endStructure();
    return arg;
}
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& e) {
    arg.beginStructure();
    arg >> e.id >> e.eventId >> e.data >> e.timestamp;
    arg.endStructure();
    return arg;
}

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kWatcherPath = "/StatusNotifierWatcher";
constexpr const char* kPath = "/StatusNotifierItem";
constexpr const char* kMenuPath = "/MenuBar";
// The one entry under the menu's root (id 0).
constexpr int kEntry = 1;

// The dock windows shown now, in global y-up points.
std::vector<Rect> shownDocks(const PixelSpace& space) {
    std::vector<Rect> out;
    for (const Rect& r : readShownDocks()) out.push_back(space.toGlobal(r));
    return out;
}

// Where the pointer is on the X screen.
Point pointerPixels(const PixelSpace& space) {
    const QPoint p = QCursor::pos();
    return space.toPixels(Point{double(p.x()), double(p.y())});
}

QVariantMap only(const QVariantMap& properties, const QStringList& names) {
    if (names.isEmpty()) return properties;
    QVariantMap kept;
    for (const auto& name : names)
        if (properties.contains(name)) kept.insert(name, properties.value(name));
    return kept;
}

}  // namespace

SniAdaptor::SniAdaptor(QObject* host, SniStatusItem& item) : QDBusAbstractAdaptor(host), item_(item) {}

QString SniAdaptor::title() const {
    return item_.title_.isEmpty() ? QString("tuftle") : item_.title_;
}
SniIconPixmaps SniAdaptor::iconPixmap() const {
    return item_.pixmaps();
}
SniToolTip SniAdaptor::toolTip() const {
    return {{}, {}, item_.toolTip_, {}};
}
void SniAdaptor::Activate(int x, int y) {
    item_.click(StatusItemClick::Button::primary, x, y);
}
void SniAdaptor::SecondaryActivate(int x, int y) {
    item_.click(StatusItemClick::Button::middle, x, y);
}
void SniAdaptor::ContextMenu(int x, int y) {
    item_.click(StatusItemClick::Button::secondary, x, y);
}
void SniAdaptor::Scroll(int, const QString&) {}
QDBusObjectPath SniAdaptor::menu() const {
    return QDBusObjectPath(kMenuPath);
}

SniMenuAdaptor::SniMenuAdaptor(QObject* host, SniStatusItem& item) : QDBusAbstractAdaptor(host), item_(item) {}

QString SniMenuAdaptor::textDirection() const {
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? "rtl" : "ltr";
}

DBusMenuLayout SniMenuAdaptor::layout() const {
    QString label = item_.secondaryTitle_.isEmpty() ? item_.adaptor_->title() : item_.secondaryTitle_;
    label.replace('_', "__");  // a single underscore marks a mnemonic
    DBusMenuLayout entry{kEntry, {{"label", label}, {"enabled", true}, {"visible", true}}, {}};
    return {0, {{"children-display", QString("submenu")}}, {entry}};
}

std::optional<DBusMenuLayout> SniMenuAdaptor::node(int id) const {
    DBusMenuLayout root = layout();
    if (id == root.id) return root;
    for (const auto& child : root.children)
        if (child.id == id) return child;
    return std::nullopt;
}

void SniMenuAdaptor::titleChanged() {
    ++revision_;
    Q_EMIT LayoutUpdated(revision_, 0);
}

uint SniMenuAdaptor::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                               DBusMenuLayout& layout) {
    layout = node(parentId).value_or(DBusMenuLayout{parentId, {}, {}});
    layout.properties = only(layout.properties, propertyNames);
    if (recursionDepth == 0) layout.children.clear();
    for (auto& child : layout.children) child.properties = only(child.properties, propertyNames);
    return revision_;
}

DBusMenuItems SniMenuAdaptor::GetGroupProperties(const QList<int>& ids, const QStringList& propertyNames) {
    DBusMenuItems items;
    for (int id : ids.isEmpty() ? QList<int>{0, kEntry} : ids)
        if (auto n = node(id)) items.append({id, only(n->properties, propertyNames)});
    return items;
}

QDBusVariant SniMenuAdaptor::GetProperty(int id, const QString& name) {
    // An empty text for what the menu does not have: an invalid value cannot go on the wire.
    auto n = node(id);
    return QDBusVariant(n ? n->properties.value(name, QString()) : QString());
}

void SniMenuAdaptor::Event(int id, const QString& eventId, const QDBusVariant&, uint) {
    if (id != kEntry || eventId != "clicked") return;
    // After the reply: the host's menu lets the pointer go before the panel wants it.
    QTimer::singleShot(0, this, [this] { item_.menuEntryClicked(); });
}

QList<int> SniMenuAdaptor::EventGroup(const QList<DBusMenuEvent>& events) {
    QList<int> unknown;
    for (const auto& e : events) {
        if (node(e.id))
            Event(e.id, e.eventId, e.data, e.timestamp);
        else
            unknown.append(e.id);
    }
    return unknown;
}

bool SniMenuAdaptor::AboutToShow(int id) {
    if (id == 0) item_.menuAboutToShow();
    return false;
}

QList<int> SniMenuAdaptor::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
    for (int id : ids)
        if (!node(id)) idErrors.append(id);
    if (ids.contains(0)) item_.menuAboutToShow();
    return {};
}

SniHostPresence::SniHostPresence() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kWatcher, kWatcherPath, kWatcher, "StatusNotifierHostRegistered", this, SLOT(hostRegistered()));
    // Only some watchers say when a host leaves.
    bus.connect(kWatcher, kWatcherPath, kWatcher, "StatusNotifierHostUnregistered", this, SLOT(hostUnregistered()));
}

void SniHostPresence::ask() {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kWatcher, kWatcherPath, "org.freedesktop.DBus.Properties", "Get");
    message << QString(kWatcher) << QString("IsStatusNotifierHostRegistered");
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), this);
    QObject::connect(call, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        const QDBusMessage reply = answered->reply();
        const QVariant value = reply.arguments().value(0).value<QDBusVariant>().variant();
        present_ = answered->isError() || value.typeId() != QMetaType::Bool || value.toBool();
        answered->deleteLater();
    });
}

SniStatusItem::SniStatusItem()
    : adaptor_(new SniAdaptor(&host_, *this)),
      menu_(new SniMenuAdaptor(&menuHost_, *this)),
      watcher_(kWatcher, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration) {
    qDBusRegisterMetaType<SniIconPixmap>();
    qDBusRegisterMetaType<SniIconPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    qDBusRegisterMetaType<DBusMenuLayout>();
    qDBusRegisterMetaType<DBusMenuItem>();
    qDBusRegisterMetaType<DBusMenuItems>();
    qDBusRegisterMetaType<DBusMenuItemKeys>();
    qDBusRegisterMetaType<DBusMenuItemKeysList>();
    qDBusRegisterMetaType<DBusMenuEvent>();
    qDBusRegisterMetaType<DBusMenuEvents>();
    qDBusRegisterMetaType<QList<int>>();
    static int instances = 0;
    service_ = QString("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(++instances);
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.registerService(service_);
    bus.registerObject(kPath, &host_, QDBusConnection::ExportAdaptors);
    bus.registerObject(kMenuPath, &menuHost_, QDBusConnection::ExportAdaptors);
    // A watcher that starts again (the panel restarted) forgets its items.
    QObject::connect(&watcher_, &QDBusServiceWatcher::serviceRegistered, &host_, [this] { registerWithWatcher(); });
    QObject::connect(&QtColorScheme::shared(), &QtColorScheme::changed, &host_, [this] {
        pixmaps_.clear();
        Q_EMIT adaptor_->NewIcon();
    });
    registerWithWatcher();
}

SniStatusItem::~SniStatusItem() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kPath);
    bus.unregisterObject(kMenuPath);
    bus.unregisterService(service_);
}

void SniStatusItem::registerWithWatcher() {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher, "RegisterStatusNotifierItem");
    message << service_;
    registered_ = false;
    hostPresence_.ask();
    auto* call = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message), &host_);
    QObject::connect(call, &QDBusPendingCallWatcher::finished, &host_, [this](QDBusPendingCallWatcher* answered) {
        registered_ = !answered->isError();
        answered->deleteLater();
    });
}

void SniStatusItem::setTemplatePainter(TemplatePainter painter) {
    painter_ = std::move(painter);
    pixmaps_.clear();
    Q_EMIT adaptor_->NewIcon();
}

void SniStatusItem::setToolTip(const std::string& text) {
    toolTip_ = QString::fromStdString(text);
    Q_EMIT adaptor_->NewToolTip();
}

void SniStatusItem::setAccessibilityLabel(const std::string& label) {
    title_ = QString::fromStdString(label);
    Q_EMIT adaptor_->NewTitle();
}

void SniStatusItem::setSecondaryActionTitle(const std::string& title) {
    const QString now = QString::fromStdString(title);
    if (now == secondaryTitle_) return;
    secondaryTitle_ = now;
    menu_->titleChanged();
}

// Each size drawn for itself, so the host's pick is sharp at its own icon size. The host says
// nothing of its colours: the face takes a rim and eyes of the opposite colour, which read on a
// dark and on a light panel whatever the desktop's scheme.
const SniIconPixmaps& SniStatusItem::pixmaps() const {
    if (!pixmaps_.isEmpty() || !painter_) return pixmaps_;
    const QColor ink = templateTint(), contrast = templateTintOn(ink);
    for (int size : {16, 22, 24, 32, 44, 48, 64}) {
        const QImage image = withContrastRim(renderTemplate(painter_, {size, size}, 1, ink), ink, contrast, size / 14.0)
                                 .convertToFormat(QImage::Format_ARGB32);
        QByteArray bytes(size * size * 4, Qt::Uninitialized);
        auto* out = reinterpret_cast<quint32*>(bytes.data());
        for (int y = 0; y < size; ++y) {
            const auto* row = reinterpret_cast<const quint32*>(image.constScanLine(y));
            for (int x = 0; x < size; ++x) out[y * size + x] = qToBigEndian(row[x]);
        }
        pixmaps_.append({size, size, bytes});
    }
    return pixmaps_;
}

void SniStatusItem::click(StatusItemClick::Button button, int x, int y) {
    // Hosts that do not know where the click was send 0, 0: the pointer is on the icon then.
    std::optional<Point> location;
    std::optional<Rect> panel;
    if (x != 0 || y != 0) {
        const PixelSpace space = currentPixelSpace();
        const Point pixels = trayHostPointInPixels({double(x), double(y)}, pointerPixels(space), space);
        iconPoint_ = location = space.toGlobal(pixels);
        iconPanel_ = panel = hidingTrayPanel(*location, currentScreens(), shownDocks(space));
    }
    send(button, location, panel);
}

void SniStatusItem::send(StatusItemClick::Button button, std::optional<Point> location,
                         std::optional<Rect> hidingPanel) {
    StatusItemClick c;
    c.button = button;
    c.commandHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    c.location = location;
    c.hidingPanel = hidingPanel;
    if (onClick_ && !clickDismissedPopup()) onClick_(c);
}

void SniStatusItem::menuAboutToShow() {
    // A host asks as its menu opens for a right click, without waiting for the answer.
    const auto screens = currentScreens();
    const PixelSpace space = currentPixelSpace();
    iconPoint_ = trayIconPointFromMenuPointer(space.toGlobal(pointerPixels(space)), screens);
    iconPanel_ = hidingTrayPanel(*iconPoint_, screens, shownDocks(space));
}

void SniStatusItem::menuEntryClicked() {
    send(StatusItemClick::Button::secondary, iconPoint_, iconPanel_);
}

}  // namespace platform::qt
