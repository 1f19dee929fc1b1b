#include "platform/qt/X11KeyEventTaps.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSocketNotifier>
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include <poll.h>

#include "platform/qt/TimerHub.h"
#include "platform/qt/X11Display.h"

// Xlib's macros (None, Bool, KeyPress, ...) break Qt headers: X11 comes last and stays here.
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace platform::qt {
namespace {

class Connection;

// Our own connections by display, for the process-wide Xlib handlers. Never destroyed: a tap
// is still read out while the process exits, after the static destructors.
std::unordered_map<Display*, Connection*>& ownConnections() {
    static auto* connections = new std::unordered_map<Display*, Connection*>;
    return *connections;
}

XIOErrorHandler previousIOErrorHandler = nullptr;
XErrorHandler previousErrorHandler = nullptr;

// A raw key press or release as the server sent it.
struct RawKey {
    bool press;
    int detail;    // the key code
    int sourceid;  // the keyboard
    bool repeatFlag;
    Time time;
};

// An X connection of ours. Xlib's default handlers end the process on a broken connection or
// a protocol error; for our connections both are recorded instead. Once lost, a connection
// only hands out the keys Xlib had read and is closed: any other Xlib call on it may block or
// crash.
class Connection {
public:
    static std::unique_ptr<Connection> open() {
        auto own = OwnX11Connection::open();
        if (!own) return nullptr;
        return std::unique_ptr<Connection>(new Connection(std::move(own)));
    }

    ~Connection() {
        ownConnections().erase(display_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display() const { return display_; }
    bool isLost() const { return lost_; }
    // Whether the server refused a request since the last call.
    bool takeProtocolError() {
        const bool seen = protocolError_;
        protocolError_ = false;
        return seen;
    }

    // XInput 2.2, the first version whose raw events reach every client regardless of grabs.
    // The extension's opcode on this connection, or nullopt when the display does not offer it.
    std::optional<int> rawKeyEventsOpcode() {
        if (lost_) return std::nullopt;
        int opcode = 0, firstEvent = 0, firstError = 0;
        if (!XQueryExtension(display_, "XInputExtension", &opcode, &firstEvent, &firstError) || lost_)
            return std::nullopt;
        int major = 2, minor = 2;
        if (XIQueryVersion(display_, &major, &minor) != Success || lost_) return std::nullopt;
        if (major < 2 || (major == 2 && minor < 2)) return std::nullopt;
        xiOpcode_ = opcode;
        return opcode;
    }

    // The raw key event in `event`, taken from Xlib's queue; nullopt for any other event.
    std::optional<RawKey> rawKey(XEvent& event) {
        XGenericEventCookie* cookie = &event.xcookie;
        if (!xiOpcode_ || cookie->type != GenericEvent || cookie->extension != *xiOpcode_) return std::nullopt;
        if (!XGetEventData(display_, cookie)) return std::nullopt;
        std::optional<RawKey> key;
        if (cookie->evtype == XI_RawKeyPress || cookie->evtype == XI_RawKeyRelease) {
            const auto& raw = *static_cast<const XIRawEvent*>(cookie->data);
            key = RawKey{cookie->evtype == XI_RawKeyPress, raw.detail, raw.sourceid, (raw.flags & XIKeyRepeat) != 0,
                         raw.time};
        }
        XFreeEventData(display_, cookie);
        return key;
    }

    // The key events Xlib had read when the connection broke, once.
    std::vector<RawKey> takeKeysReadBeforeLoss() { return std::exchange(keysReadBeforeLoss_, {}); }

    // Drops whatever the server sent unasked (MappingNotify reaches every client).
    void discardEvents() {
        while (!lost_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
        }
    }

private:
    explicit Connection(std::unique_ptr<OwnX11Connection> own) : own_(std::move(own)), display_(own_->display()) {
        installHandlers();
        ownConnections()[display_] = this;
        XSetIOErrorExitHandler(display_, &Connection::onIOErrorExit, this);
    }

    // Xlib reads a cut or closed connection to its end before it sees the loss, and empties its
    // queue once this returns: the keys it read on the way are taken out first.
    static void onIOErrorExit(Display*, void* self) {
        auto* connection = static_cast<Connection*>(self);
        connection->lost_ = true;
        while (XEventsQueued(connection->display_, QueuedAlready) > 0) {
            XEvent event;
            XNextEvent(connection->display_, &event);
            if (auto key = connection->rawKey(event)) connection->keysReadBeforeLoss_.push_back(*key);
        }
    }

    static int onIOError(Display* display) {
        // Returning lets Xlib call the connection's exit handler, which records the loss.
        if (ownConnections().count(display)) return 0;
        return previousIOErrorHandler ? previousIOErrorHandler(display) : 0;
    }

    static int onError(Display* display, XErrorEvent* error) {
        auto it = ownConnections().find(display);
        if (it != ownConnections().end()) {
            it->second->protocolError_ = true;
            std::fprintf(stderr, "tuftle: key tap: X error %d on request %d\n", int(error->error_code),
                         int(error->request_code));
            return 0;
        }
        return previousErrorHandler ? previousErrorHandler(display, error) : 0;
    }

    // Once, after Qt has set up its own: the handlers pass everything not ours on to them.
    static void installHandlers() {
        static const bool installed = [] {
            previousIOErrorHandler = XSetIOErrorHandler(&Connection::onIOError);
            previousErrorHandler = XSetErrorHandler(&Connection::onError);
            return true;
        }();
        (void)installed;
    }

    std::unique_ptr<OwnX11Connection> own_;
    Display* display_;
    bool lost_ = false;
    bool protocolError_ = false;
    std::optional<int> xiOpcode_;
    std::vector<RawKey> keysReadBeforeLoss_;
};

void disposeNotifier(std::unique_ptr<QSocketNotifier>& notifier) {
    if (!notifier) return;
    notifier->setEnabled(false);
    // It may be the notifier whose signal is running right now.
    if (QCoreApplication::instance())
        notifier.release()->deleteLater();
    else
        notifier.reset();
}

class X11KeyEventTap final : public KeyEventTap {
public:
    X11KeyEventTap(std::unique_ptr<Connection> connection, Window markWindow,
                   std::function<void(const KeyTapEvent&)> callback)
        : connection_(std::move(connection)), markWindow_(markWindow), callback_(std::move(callback)) {
        notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(connection_->display()), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(true); });
        clock_.start();
    }
    ~X11KeyEventTap() override { invalidate(); }

    bool isPortValid() const override { return connection_ && !connection_->isLost(); }
    // The selection stays while disabled, so keys held across a pause are still known.
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_ && isPortValid(); }
    void invalidate() override {
        stopReadingAtNextWake();
        *alive_ = false;
        alive_ = std::make_shared<bool>(false);
        disposeNotifier(notifier_);
        connection_.reset();
        enabled_ = false;
    }
    void readPending() override {
        if (!connection_) return;
        const auto alive = alive_;
        // What came already, before anything is sent: a send to a server that has gone breaks
        // the connection, and the events read before are then never handed out.
        readEvents(false);
        if (!*alive || !connection_) return;
        // The server handles requests in order: an event we send ourselves comes after every
        // event it sent us before. Unlike a reply it can be waited for with a limit, so a
        // stopped or hung server holds the quit up for a moment only.
        const long mark = ++lastMark_;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = markWindow_;
        event.xclient.format = 32;
        event.xclient.data.l[0] = mark;
        XSendEvent(connection_->display(), markWindow_, False, NoEventMask, &event);
        XFlush(connection_->display());
        QElapsedTimer waiting;
        waiting.start();
        while (connection_ && !connection_->isLost() && seenMark_ != mark) {
            const qint64 left = kServerAnswerLimitMs - waiting.elapsed();
            if (left <= 0) {
                std::fprintf(stderr,
                             "tuftle: key tap: the X server did not answer within %lld ms; "
                             "presses it still holds are not counted\n",
                             static_cast<long long>(kServerAnswerLimitMs));
                return;
            }
            pollfd socket{ConnectionNumber(connection_->display()), POLLIN, 0};
            if (XEventsQueued(connection_->display(), QueuedAlready) == 0 &&
                ::poll(&socket, 1, static_cast<int>(left)) <= 0)
                continue;
            readEvents(false);
            if (!*alive) return;
        }
        // Broken by the send: what Xlib had read by then is still handed out.
        if (connection_ && connection_->isLost()) readEvents(false);
    }

private:
    // While keys come, they are read when the program wakes anyway (a pet moving, a frame)
    // and this long after a read at the latest, rather than each press and release waking it
    // once more. The first key after a pause (nothing for kTypingPause) wakes it at once.
    static constexpr double kReadWithin = 0.1;
    static constexpr qint64 kTypingPauseMs = 300;
    static constexpr qint64 kServerAnswerLimitMs = 1000;

    // `atOnce` when woken by the keys themselves.
    void drain(bool atOnce) {
        if (!connection_) return;
        const auto alive = alive_;
        const bool read = readEvents(atOnce);
        if (!*alive || !connection_) return;
        if (read) lastReadAt_ = clock_.elapsed();
        const bool typing = clock_.elapsed() - lastReadAt_ < kTypingPauseMs;
        if (typing && !readAtNextWake_) {
            readAtNextWake_ = TimerHub::shared().addAtNextWake(kReadWithin, [this] {
                readAtNextWake_ = 0;
                drain(false);
            });
        }
        if (notifier_) notifier_->setEnabled(readAtNextWake_ == 0);
    }

    void stopReadingAtNextWake() {
        if (readAtNextWake_) TimerHub::shared().remove(std::exchange(readAtNextWake_, 0));
    }

    // Whether any event came. Read `atOnce` after they came, they set the server's clock against ours.
    bool readEvents(bool atOnce) {
        Display* display = connection_->display();
        // Looked at without a key having come: one look at the socket, where Xlib would try
        // to read from it several times.
        if (!atOnce && !connection_->isLost() && XEventsQueued(display, QueuedAlready) == 0) {
            pollfd socket{ConnectionNumber(display), POLLIN, 0};
            if (::poll(&socket, 1, 0) == 0) return false;
        }
        bool read = false;
        while (!connection_->isLost() && XPending(display) > 0) {
            read = true;
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == ClientMessage && event.xclient.window == markWindow_) {
                seenMark_ = event.xclient.data.l[0];
                continue;
            }
            if (const auto key = connection_->rawKey(event); key && !hand(*key, atOnce)) return read;
        }
        if (!connection_->isLost()) return read;
        for (const RawKey& key : connection_->takeKeysReadBeforeLoss()) {
            read = true;
            if (!hand(key, atOnce)) return read;
        }
        loseConnection();
        return read;
    }

    // False when the callback invalidated or destroyed the tap.
    bool hand(const RawKey& key, bool atOnce) {
        const auto alive = alive_;
        auto report = track(key);
        if (!report) return true;
        report->waited = waitedSince(key.time, atOnce);
        if (enabled_) callback_(*report);
        return *alive;
    }

    // The server stamps events in milliseconds of its own clock (wrapping at 2^32): the gap to
    // ours is taken from events read as they came, and a press read later waited that much
    // longer than one read at once.
    double waitedSince(Time serverTime, bool atOnce) {
        const auto ours = static_cast<uint32_t>(clock_.elapsed());
        const uint32_t server = static_cast<uint32_t>(serverTime);
        if (atOnce || !serverToOurs_) {
            serverToOurs_ = ours - server;
            return 0;
        }
        const auto waitedMs = static_cast<int32_t>(ours - (server + *serverToOurs_));
        return std::clamp(waitedMs / 1000.0, 0.0, kReadWithin);
    }

    // Raw events carry no repeat flag: a press of a key that is already down is a repeat.
    // Keys are tracked per source device, so two keyboards pressing the same key both count.
    std::optional<KeyTapEvent> track(const RawKey& key) {
        if (key.detail < 0 || key.detail >= kKeyCodes) return std::nullopt;
        auto& down = keysDown_[key.sourceid];
        if (!key.press) {
            down.reset(static_cast<size_t>(key.detail));
            return std::nullopt;
        }
        const bool repeat = down.test(static_cast<size_t>(key.detail)) || key.repeatFlag;
        down.set(static_cast<size_t>(key.detail));
        return KeyTapEvent{KeyTapEventType::keyDown, repeat};
    }

    // The connection broke (the server went away or killed our client): the tap is dead, and
    // says so as a tap the system disabled.
    void loseConnection() {
        stopReadingAtNextWake();
        disposeNotifier(notifier_);
        connection_.reset();
        enabled_ = false;
        callback_(KeyTapEvent{KeyTapEventType::tapDisabledByTimeout, false});
    }

    static constexpr int kKeyCodes = 256;

    std::unique_ptr<Connection> connection_;
    // An unmapped window of the tap's connection, which the events marking a read-out go to.
    Window markWindow_;
    long lastMark_ = 0;
    long seenMark_ = 0;
    std::function<void(const KeyTapEvent&)> callback_;
    std::unique_ptr<QSocketNotifier> notifier_;
    uint64_t readAtNextWake_ = 0;  // the hub's id while keys wait for the next wake-up
    QElapsedTimer clock_;
    qint64 lastReadAt_ = 0;  // on clock_
    std::optional<uint32_t> serverToOurs_;
    bool enabled_ = true;
    std::unordered_map<int, std::bitset<kKeyCodes>> keysDown_;
    // Cleared when the tap goes away, so a drain that called out knows to stop.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

// The connection the preflight asks over, kept open between calls.
struct X11KeyEventTapSystem::Probe {
    std::unique_ptr<Connection> connection;
};

X11KeyEventTapSystem::X11KeyEventTapSystem() : probe_(std::make_unique<Probe>()) {}

X11KeyEventTapSystem::~X11KeyEventTapSystem() = default;

bool X11KeyEventTapSystem::preflightListenEventAccess() {
    auto& connection = probe_->connection;
    if (connection && connection->isLost()) connection.reset();
    if (!connection) connection = Connection::open();
    if (!connection) return false;
    const bool offered = connection->rawKeyEventsOpcode().has_value();
    connection->discardEvents();
    if (connection->isLost()) {
        connection.reset();
        return false;
    }
    return offered;
}

bool X11KeyEventTapSystem::requestListenEventAccess() {
    return preflightListenEventAccess();
}

std::unique_ptr<KeyEventTap> X11KeyEventTapSystem::createKeyDownTap(std::function<void(const KeyTapEvent&)> callback) {
    auto connection = Connection::open();
    if (!connection) return nullptr;
    const auto opcode = connection->rawKeyEventsOpcode();
    if (!opcode) return nullptr;

    Display* display = connection->display();
    // One mask with both bits: a second selection for the same window and devices replaces the first.
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask;
    mask.deviceid = XIAllMasterDevices;
    mask.mask_len = sizeof bits;
    mask.mask = bits;
    XISelectEvents(display, DefaultRootWindow(display), &mask, 1);
    const Window markWindow = XCreateWindow(display, DefaultRootWindow(display), -1, -1, 1, 1, 0, CopyFromParent,
                                            InputOnly, CopyFromParent, 0, nullptr);
    XSync(display, False);
    if (connection->isLost() || connection->takeProtocolError()) return nullptr;
    return std::make_unique<X11KeyEventTap>(std::move(connection), markWindow, std::move(callback));
}

}  // namespace platform::qt
