#pragma once

#include <functional>
#include <memory>

namespace platform {

// What a key tap reports. Deliberately nothing about which key: key codes and characters never
// leave the backend.
enum class KeyTapEventType {
    keyDown,
    // The system stopped the tap (a lost connection, a time-out); the tap reports not enabled.
    tapDisabledByTimeout,
    tapDisabledByUserInput,
};

struct KeyTapEvent {
    KeyTapEventType type = KeyTapEventType::keyDown;
    // A key-down of a key that was already down.
    bool isAutoRepeat = false;
    // Seconds between the press and the callback: presses may be read a little later, together.
    double waited = 0;
};

// A listen-only tap on the key-down events of the whole session. It never changes or swallows
// an event. Its callback runs on the main loop's thread, straight from the event source.
class KeyEventTap {
public:
    virtual ~KeyEventTap() = default;
    // False once the tap lost its event source or was invalidated; such a tap never comes back.
    virtual bool isPortValid() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    // Whether key-downs are delivered now. The system can turn this off on its own.
    virtual bool isEnabled() const = 0;
    // Detaches the tap for good; no callback runs afterwards.
    virtual void invalidate() = 0;
    // Reports every key-down the system already holds for the tap, before returning: for the
    // end of the program, when presses waiting to be read would otherwise be lost. A tap whose
    // source is gone reports what it had already taken in; one whose source does not answer
    // within about a second reports what came until then.
    virtual void readPending() = 0;
};

// The system side: the listen-event access ("Input Monitoring") and the making of taps.
class KeyEventTapSystem {
public:
    virtual ~KeyEventTapSystem() = default;
    // Whether a tap could see other programs' key presses now. Asks afresh every time.
    virtual bool preflightListenEventAccess() = 0;
    // Asks for the access where the system can grant it; answers whether it is granted.
    virtual bool requestListenEventAccess() = 0;
    // A new tap, attached to the main loop; nullptr when it cannot be made.
    virtual std::unique_ptr<KeyEventTap> createKeyDownTap(std::function<void(const KeyTapEvent&)> callback) = 0;
};

}  // namespace platform
