#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/PetEnums.h"
#include "model/PetModels.h"
#include "platform/Geometry.h"

namespace model {

// The lean toward the mouse pointer. The view applies the offsets, the rotation and the scales,
// in that order, to its attention layer, and the opacity to its fur echo layer.
struct CursorAttentionPose {
    double strength = 0;  // 0...1
    double offsetX = 0;   // pt toward the cursor
    double offsetY = 0;
    double rotation = 0;  // radians
    double scaleX = 1;
    double scaleY = 1;
    float furEchoOpacity = 0.16f;

    static constexpr CursorAttentionPose neutral() { return {}; }
    friend bool operator==(const CursorAttentionPose&, const CursorAttentionPose&) = default;
};

struct CursorAttentionEngine {
    static constexpr std::array eligibleActivities{PetActivity::home, PetActivity::idle, PetActivity::peeking,
                                                   PetActivity::perched};
    // Nothing from this far on; full strength from `fullStrengthDistance` and nearer.
    static constexpr double reach = 200;
    static constexpr double fullStrengthDistance = 50;

    static bool isEligible(PetActivity activity);
    // `delta` is the cursor position minus the pet's centre.
    static CursorAttentionPose pose(platform::Vector delta, PetActivity activity);
};

// The easing of a walk: a gentle start and stop around a steady middle.
struct PetTravelInterpolation {
    // The eased fraction of the way for a progress; 0 before the start (or for no number), 1 after the end.
    static double easedProgress(double progress);
    static platform::Point position(platform::Point from, platform::Point to, double progress);
};

// Where a dropped pet clings to a screen edge.
struct PetDragPhysics {
    // How much of the pet stays on screen at the left, right and bottom edges.
    static constexpr double visibleDepth = 30;

    // `at` and `petSize` are the pet window's origin and size; the nearest of `visibleFrames`
    // (by the pet's centre, the earlier one on a tie) is the screen considered. Nil when no frame
    // is usable, when the nearest edge is farther than `threshold`, or when an input is not a
    // finite number.
    static std::optional<ScreenEdgePerch> edgePerch(platform::Point at, platform::Size petSize,
                                                    const std::vector<platform::Rect>& visibleFrames,
                                                    double topVisibleDepth, double threshold);

private:
    static std::optional<platform::Rect> nearestFrame(platform::Point to, platform::Size petSize,
                                                      const std::vector<platform::Rect>& visibleFrames);
};

}  // namespace model
