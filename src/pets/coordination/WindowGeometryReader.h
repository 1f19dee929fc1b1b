#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "pets/coordination/WindowWalkCandidate.h"
#include "platform/WindowList.h"

namespace pets {

// Finds the window a pet may walk on: the front-most ordinary window of another program.
class WindowGeometryReader final {
public:
    WindowGeometryReader() = delete;

    // From the desktop's window list as it is now; nothing when the list or the screens cannot
    // be read or no window qualifies.
    static std::optional<WindowWalkCandidate> frontWindow();

    // The first window of `windows` (front to back, top-left based) that does not belong to
    // `excludingPID` (a window that names no process counts as another program's), lies in
    // the normal layer and is large enough, in global y-up points; `mainScreenTop` is the top
    // of the primary screen.
    static std::optional<WindowWalkCandidate> firstOrdinaryWindow(const std::vector<platform::WindowInfo>& windows,
                                                                  int32_t excludingPID, double mainScreenTop);

    static constexpr double kMinimumWidth = 340;
    static constexpr double kMinimumHeight = 180;
};

}  // namespace pets
