#include "platform/qt/QtScreens.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "platform/qt/X11DockWatcher.h"

namespace platform::qt {
namespace {

QGuiApplication* guiApplication() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance());
}

Screen screenFrom(QScreen* qs, const QRect& primaryGeometry, const QRect& available) {
    Screen s;
    s.frame = fromQtGeometry(qs->geometry(), primaryGeometry);
    s.visibleFrame = fromQtGeometry(available, primaryGeometry);
    s.outputName = qs->name().toStdString();
    s.displayID = displayIDForOutputName(qs->name());
    const QString maker = qs->manufacturer().trimmed();
    const QString model = qs->model().trimmed();
    const QString person = (maker + QLatin1Char(' ') + model).trimmed();
    s.localizedName = person.isEmpty() ? s.outputName : person.toStdString();
    s.isBuiltIn = isBuiltInOutputName(qs->name());
    s.backingScaleFactor = qs->devicePixelRatio();
    // X11 has no camera housings: no top safe area and no auxiliary areas.
    return s;
}

// The primary screen first, then the others in Qt's order; empty without a display.
QList<QScreen*> orderedScreens() {
    if (!guiApplication()) return {};
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return {};
    QList<QScreen*> screens = QGuiApplication::screens();
    screens.removeAll(primary);
    screens.prepend(primary);
    return screens;
}

PixelSpace pixelSpaceOf(const QList<QScreen*>& screens) {
    std::vector<std::pair<Rect, double>> monitors;
    for (QScreen* qs : screens) {
        const QRect g = qs->geometry();
        monitors.emplace_back(Rect(g.x(), g.y(), g.width(), g.height()), qs->devicePixelRatio());
    }
    return PixelSpace::fromPoints(monitors);
}

// What each of `screens` leaves to windows, in Qt's global space.
std::vector<QRect> availableAreas(const QList<QScreen*>& screens, const std::optional<X11DockAreas>& docks) {
    std::vector<QRect> out;
    if (!docks) {
        for (QScreen* qs : screens) out.push_back(qs->availableGeometry());
        return out;
    }
    const PixelSpace space = pixelSpaceOf(screens);
    std::vector<Rect> monitors;
    for (const PixelMonitor& m : space.monitors()) monitors.push_back(m.pixels);
    const std::vector<Rect> visible = visibleMonitorAreas(monitors, docks->screen, docks->struts, docks->workArea);
    for (size_t i = 0; i < visible.size(); ++i) {
        const Rect r = space.toPoints(visible[i], i);
        out.emplace_back(int(std::lround(r.minX())), int(std::lround(r.minY())), int(std::lround(r.width())),
                         int(std::lround(r.height())));
    }
    return out;
}

Rect fromQRect(const QRect& r) {
    return {double(r.x()), double(r.y()), double(r.width()), double(r.height())};
}

}  // namespace

Rect fromQtGeometry(const QRect& r, const QRect& primary) {
    return globalFromToolkit(fromQRect(r), fromQRect(primary));
}

QRect primaryGeometry() {
    QScreen* primary = guiApplication() ? QGuiApplication::primaryScreen() : nullptr;
    return primary ? primary->geometry() : QRect();
}

Point fromQtPoint(QPointF p) {
    return globalFromToolkit({p.x(), p.y(), 0, 0}, fromQRect(primaryGeometry())).origin;
}

QRect toQtGeometry(const Rect& r) {
    const Rect q = toolkitFromGlobal(r, fromQRect(primaryGeometry()));
    return QRect(qRound(q.minX()), qRound(q.minY()), qRound(q.width()), qRound(q.height()));
}

uint32_t displayIDForOutputName(const QString& name) {
    // FNV-1a over the UTF-8 name: stable across runs, unlike Qt's screen order.
    uint32_t hash = 2166136261u;
    for (const char c : name.toUtf8()) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 16777619u;
    }
    return hash == 0 ? 1 : hash;
}

bool isBuiltInOutputName(const QString& name) {
    for (const char* prefix : {"eDP", "LVDS", "DSI"})
        if (name.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) return true;
    return false;
}

std::vector<Screen> currentScreens() {
    return currentScreens(X11DockWatcher::shared().areas());
}

std::vector<Screen> currentScreens(const std::optional<X11DockAreas>& docks) {
    std::vector<Screen> out;
    const QList<QScreen*> screens = orderedScreens();
    if (screens.isEmpty()) return out;
    const QRect primaryGeometry = screens.front()->geometry();
    const std::vector<QRect> available = availableAreas(screens, docks);
    for (qsizetype i = 0; i < screens.size(); ++i) {
        QScreen* qs = screens[i];
        Screen s = screenFrom(qs, primaryGeometry, available[size_t(i)]);
        // Output names are unique, their hashes almost surely; keep the numbers apart anyway.
        while (std::any_of(out.begin(), out.end(), [&](const Screen& o) { return o.displayID == s.displayID; }))
            s.displayID = s.displayID == UINT32_MAX ? 1 : s.displayID + 1;
        out.push_back(std::move(s));
    }
    return out;
}

PixelSpace currentPixelSpace() {
    return pixelSpaceOf(orderedScreens());
}

std::optional<size_t> pixelMonitorIndex(QScreen* screen) {
    const qsizetype index = orderedScreens().indexOf(screen);
    return index < 0 ? std::nullopt : std::optional(size_t(index));
}

QScreen* screenOfPixelMonitor(size_t index) {
    const QList<QScreen*> screens = orderedScreens();
    return index < size_t(screens.size()) ? screens[qsizetype(index)] : nullptr;
}

QRect workArea(QScreen* screen) {
    const QList<QScreen*> screens = orderedScreens();
    const qsizetype index = screens.indexOf(screen);
    if (index < 0) return screen ? screen->availableGeometry() : QRect();
    return availableAreas(screens, X11DockWatcher::shared().areas())[size_t(index)];
}

QtScreenList::QtScreenList(MainLoop& loop, NotificationCenter& center)
    : changes_(loop, center), docksChanged_(X11DockWatcher::shared().onAreasChange([this] { changes_.noteChange(); })) {
    QGuiApplication* app = guiApplication();
    if (!app) return;
    QObject::connect(app, &QGuiApplication::screenAdded, &context_, [this](QScreen* screen) {
        watch(screen);
        changes_.noteChange();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, &context_, [this] { changes_.noteChange(); });
    QObject::connect(app, &QGuiApplication::primaryScreenChanged, &context_, [this] { changes_.noteChange(); });
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
}

QtScreenList::~QtScreenList() = default;

void QtScreenList::watch(QScreen* screen) {
    auto note = [this] { changes_.noteChange(); };
    QObject::connect(screen, &QScreen::geometryChanged, &context_, note);
    QObject::connect(screen, &QScreen::availableGeometryChanged, &context_, note);
    QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, &context_, note);
}

std::optional<Screen> QtScreenList::mainScreen() const {
    const QList<QScreen*> ordered = orderedScreens();
    const auto all = currentScreens();
    if (all.empty()) return std::nullopt;
    QWindow* focus = QGuiApplication::focusWindow();
    const qsizetype index = focus ? ordered.indexOf(focus->screen()) : -1;
    return index >= 0 && static_cast<size_t>(index) < all.size() ? all[static_cast<size_t>(index)] : all.front();
}

}  // namespace platform::qt
