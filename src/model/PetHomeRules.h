#pragma once

#include <array>

#include "model/PetEnums.h"
#include "platform/Geometry.h"

namespace model {

// How a pet at home is deformed against its boundary, applied about the pet's centre.
struct HomeContactPose {
    double scaleX = 1;
    double scaleY = 1;
    double offsetX = 0;   // pt
    double offsetY = 0;   // pt
    double rotation = 0;  // radians

    static constexpr HomeContactPose neutral() { return {}; }
    friend bool operator==(const HomeContactPose&, const HomeContactPose&) = default;
};

// How a pet at home presses against the notch, the Dock or a screen edge.
struct HomeContactEngine {
    // The activities in which a pet at home leans on its boundary.
    static constexpr std::array homeContactActivities{
        PetActivity::home,     PetActivity::peeking,  PetActivity::perched, PetActivity::drowsy,
        PetActivity::sleeping, PetActivity::dreaming, PetActivity::typing,  PetActivity::focusing,
    };

    // Resting pets sag: a squashes along the boundary, b across it, c deepens the press.
    struct RestFactors {
        double a = 1;
        double b = 1;
        double c = 1;
        friend bool operator==(const RestFactors&, const RestFactors&) = default;
    };

    static bool isHomeContactActivity(PetActivity activity);
    static RestFactors restFactors(PetActivity activity);
    static HomeContactPose pose(PetHomeKind kind, HomeEdge edge, PetActivity activity);
};

// Three points of one grip paw, in the pet's own coordinates.
using GripStroke = std::array<platform::Point, 3>;
using GripStrokes = std::array<GripStroke, 2>;

// Where the grip paws hook over the home boundary and where the face sits.
struct HomeAttachmentLayout {
    // `boundaryOffset` is where the boundary lies in the pet's own coordinates (from its left
    // side for the left and right edges, from its bottom for top and bottom). The strokes are
    // mapped through the inverse of `pose` so they meet the boundary while the body is posed;
    // the stroke at 0.19 w (or 0.2 h) comes first.
    static GripStrokes gripStrokes(HomeEdge edge, double boundaryOffset, platform::Size size,
                                   const HomeContactPose& pose);
    static platform::Point faceOffset(PetHomeKind kind, HomeEdge edge);
};

// Which paws show: the two front paws, or the two hooked over the home boundary.
struct PetPawVisibility {
    bool showsFreePaws = false;
    bool showsGripPaws = false;

    static constexpr std::array freePawActivities{PetActivity::home, PetActivity::peeking, PetActivity::typing,
                                                  PetActivity::dragged, PetActivity::perched};
    static constexpr std::array gripHidingActivities{PetActivity::drowsy, PetActivity::sleeping, PetActivity::dreaming,
                                                     PetActivity::showingCount};

    static PetPawVisibility resolve(bool attached, bool gripping, bool travelling, PetActivity activity);

    friend bool operator==(const PetPawVisibility&, const PetPawVisibility&) = default;
};

// The poses shown docked in the home when one is played on demand (a desktop demonstration,
// the settings preview); every other pose is shown away from it. A perched pet leans on its
// boundary but is shown out.
struct PetHomePoses {
    static constexpr std::array activities{PetActivity::home,     PetActivity::peeking,  PetActivity::drowsy,
                                           PetActivity::sleeping, PetActivity::dreaming, PetActivity::typing,
                                           PetActivity::focusing};

    static bool contains(PetActivity activity);
};

// Whether a pet's gaze scans along the edge it clings to.
struct PetHomeMotionPolicy {
    static constexpr std::array edgeScanActivities{PetActivity::home, PetActivity::peeking, PetActivity::perched};

    static bool scansEdge(bool attached, bool manuallyPerched, PetActivity activity);
};

}  // namespace model
