#include "platform/qt/SniStatusItem.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QGuiApplication>
#include <QtEndian>

#include "platform/qt/QtColorScheme.h"

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

namespace {

constexpr const char* kWatcher = "org.kde.StatusNotifierWatcher";
constexpr const char* kPath = "/StatusNotifierItem";

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

SniStatusItem::SniStatusItem()
    : adaptor_(new SniAdaptor(&host_, *this)),
      watcher_(kWatcher, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForRegistration) {
    qDBusRegisterMetaType<SniIconPixmap>();
    qDBusRegisterMetaType<SniIconPixmaps>();
    qDBusRegisterMetaType<SniToolTip>();
    static int instances = 0;
    service_ = QString("org.kde.StatusNotifierItem-%1-%2").arg(QCoreApplication::applicationPid()).arg(++instances);
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.registerService(service_);
    bus.registerObject(kPath, &host_, QDBusConnection::ExportAdaptors);
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
    bus.unregisterService(service_);
}

void SniStatusItem::registerWithWatcher() {
    QDBusMessage message =
        QDBusMessage::createMethodCall(kWatcher, "/StatusNotifierWatcher", kWatcher, "RegisterStatusNotifierItem");
    message << service_;
    registered_ = QDBusConnection::sessionBus().send(message);
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

// Each size drawn for itself, so the host's pick is sharp at its own icon size.
const SniIconPixmaps& SniStatusItem::pixmaps() const {
    if (!pixmaps_.isEmpty() || !painter_) return pixmaps_;
    for (int size : {16, 22, 24, 32, 44, 48, 64}) {
        QImage image = renderTemplate(painter_, {size, size}, 1, templateTint()).convertToFormat(QImage::Format_ARGB32);
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
    StatusItemClick c;
    c.button = button;
    c.commandHeld = QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    // Hosts that do not know where the click was send 0, 0.
    if (x != 0 || y != 0) c.location = fromQtPoint(QPointF(x, y) / qGuiApp->devicePixelRatio());
    if (onClick_ && !clickDismissedPopup()) onClick_(c);
}

}  // namespace platform::qt
