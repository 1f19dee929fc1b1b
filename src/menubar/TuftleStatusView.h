#pragma once

#include <functional>
#include <optional>

#include "menubar/stash/MenuBarMealEngine.h"
#include "platform/StatusItem.h"

namespace menubar {

// What the tray entry shows: the pet's face and, left of it, the divider of three beans.
struct StatusPicture {
    static constexpr platform::Size faceSize{22, 22};
    static constexpr platform::Size dividerSize{18, 22};
    // Between the divider and the face, as the two sit side by side in a widened entry.
    static constexpr double gap = 6;

    int gaze = 0;
    double mouth = 0;
    double pelletProgress = 0;  // 0 ... 1
    bool spitting = false;
    bool pelletsHidden = true;

    // Trays show square icons: the face, with the divider beside it when shown, is fitted
    // into the icon and centred. Rectangles share the icon's coordinate space.
    platform::Rect faceRect(const platform::Rect& icon) const;
    platform::Rect dividerRect(const platform::Rect& icon) const;

    friend bool operator==(const StatusPicture&, const StatusPicture&) = default;
};

// The face laid over the pet's tray entry.
class TuftleStatusView {
public:
    // Draws a picture onto an entry; each backend with real trays installs one.
    using Renderer = std::function<void(platform::StatusItem&, const StatusPicture&)>;
    static void setRenderer(Renderer renderer);

    explicit TuftleStatusView(platform::StatusItem& item) : item_(item) {}

    // Puts the state's face and pellets on screen.
    void show(const stash::MenuBarMealFaceState& state);
    const std::optional<StatusPicture>& picture() const { return picture_; }

    // The face's rectangle on screen while it is wholly visible, else nothing.
    std::optional<platform::Rect> recoveryFaceScreenFrame() const;

private:
    platform::StatusItem& item_;
    std::optional<StatusPicture> picture_;
};

}  // namespace menubar
