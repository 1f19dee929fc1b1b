#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "anim/Layer.h"
#include "pets/view/PetView.h"
#include "platform/sim/SimPlatform.h"

namespace pets::testing {

inline model::PetProfile energeticPet() {
    return {0, "Lili", true};
}
inline model::PetProfile calmPet() {
    return {1, "Wanwan", false};
}

// A sim platform and one view of the energetic pet.
struct PetViewTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    std::unique_ptr<PetView> view = std::make_unique<PetView>(energeticPet());

    const PetViewLayers& L() const { return view->layers(); }
    double now() const { return sim.loop.mediaTime(); }
    // Lets implicit and explicit animations run out.
    void settle() { sim.loop.advance(2); }
};

inline std::vector<std::string> names(const anim::Layer& layer) {
    std::vector<std::string> out;
    for (const auto& sub : layer.sublayers()) out.push_back(sub->name);
    return out;
}

inline PetHome home(model::PetHomeKind kind, model::HomeEdge edge, double boundaryOffset) {
    PetHome h;
    h.kind = kind;
    h.edge = edge;
    h.boundaryOffset = boundaryOffset;
    return h;
}

// The largest difference of any part of two poses (points, radians or scale).
inline double distance(const anim::Transform& a, const anim::Transform& b) {
    return std::max({std::abs(a.tx - b.tx), std::abs(a.ty - b.ty), std::abs(a.rotation - b.rotation),
                     std::abs(a.sx - b.sx), std::abs(a.sy - b.sy)});
}

// A move seen on screen from `start` for `seconds`: it begins at `from` (no jump as it starts),
// moves without a jump between frames a hundredth of a second apart, and ends at rest.
inline void expectSmoothMove(const anim::Layer& layer, double start, double seconds, const anim::Transform& from) {
    const anim::Transform rest = layer.transform();
    EXPECT_LT(distance(layer.presentation(start).transform, from), 1e-9) << layer.name << ": a jump as it starts";
    anim::Transform last = from;
    bool moved = false;
    for (double t = start; t <= start + seconds; t += 0.01) {
        const anim::Transform shown = layer.presentation(t).transform;
        EXPECT_LT(distance(shown, last), 1.0) << layer.name << ": a jump at " << t - start;
        moved = moved || distance(shown, rest) > 1e-3;
        last = shown;
    }
    EXPECT_TRUE(moved) << layer.name;
    EXPECT_LT(distance(layer.presentation(start + seconds).transform, rest), 1e-9) << layer.name << ": not at rest";
}

}  // namespace pets::testing
