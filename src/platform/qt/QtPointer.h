#pragma once

#include <QPoint>
#include <chrono>
#include <memory>
#include <vector>

#include "platform/Pointer.h"

class QRect;

namespace platform::qt {

class OwnX11Connection;

// Where a pointer at device pixel `native` of the X screen lies in Qt's logical pixels, given
// each screen's logical geometry and pixel ratio. Qt keeps a screen's top-left corner where it
// is and scales the rest of it; a point on no screen is scaled about the first one's corner.
QPoint logicalPointerPosition(QPoint native, const std::vector<std::pair<QRect, double>>& screens);

// The pointer's position, turned into the design's y-up global space. Each ask is an X round
// trip on a connection of this program's own, so that Qt's event reader does not wake for it;
// asks within a few milliseconds of each other (both pets in one wake-up) share one.
class QtPointer final : public Pointer {
public:
    QtPointer();
    ~QtPointer() override;
    QtPointer(const QtPointer&) = delete;
    QtPointer& operator=(const QtPointer&) = delete;

    Point location() const override;
    // Buttons as far as this program has seen them; the modifier as the X server has it now.
    bool isAnyButtonPressed() const override;
    bool isCommandHeld() const override;

private:
    QPoint ask() const;

    mutable Point last_;
    mutable std::chrono::steady_clock::time_point asked_{};
    std::unique_ptr<OwnX11Connection> connection_;
};

}  // namespace platform::qt
