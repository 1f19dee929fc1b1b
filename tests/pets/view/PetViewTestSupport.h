#pragma once

#include <gtest/gtest.h>

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

}  // namespace pets::testing
