#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>

class QWidget;

namespace platform::qt {

// The X server's time at a moment of the program's choosing, learned without waiting: an empty
// change to a property of one of our windows comes back with the server's time on it. Input
// stamped earlier was made before that moment, though a busy program may handle it after.
// Without X11 nothing is marked and all input counts as made after.
class X11TimeMark final : public QAbstractNativeEventFilter {
public:
    X11TimeMark() = default;
    ~X11TimeMark() override;
    X11TimeMark(const X11TimeMark&) = delete;
    X11TimeMark& operator=(const X11TimeMark&) = delete;

    // Marks the server's time now through `window`, which must have a native window; until the
    // answer is in, all input counts as made before the mark.
    void set(QWidget& window);
    // Whether input stamped `timestamp` (the server's milliseconds, as Qt's input events carry
    // them) was made after the mark. Input of the mark's own millisecond counts as made before:
    // no one answers what the mark stands for within a millisecond.
    bool madeAfter(unsigned long timestamp) const;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

private:
    enum class State { none, asked, known };

    void stopListening();

    State state_ = State::none;
    uint32_t window_ = 0;
    uint32_t watched_ = 0;  // the window whose property changes we were told of
    uint32_t atom_ = 0;
    uint32_t time_ = 0;
    bool listening_ = false;
};

}  // namespace platform::qt
