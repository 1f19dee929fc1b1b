#pragma once

#include "platform/Pointer.h"

namespace platform::qt {

// QCursor's position, turned into the design's y-up global space.
class QtPointer final : public Pointer {
public:
    Point location() const override;
};

}  // namespace platform::qt
