#include "pets/coordination/ReminderPresentationPlan.h"

#include <algorithm>

namespace pets {
namespace {

constexpr double kInset = 12;
constexpr double kStepOut = 12;
constexpr double kGap = 10;

// Lower bound first: in a frame too small for the object the upper bound wins.
double clampInto(double value, double low, double high) {
    return std::min(std::max(value, low), high);
}

}  // namespace

ReminderPresentationPlan ReminderPresentationPlan::make(const PetHome& home, const platform::Rect& v,
                                                        platform::Size p, platform::Size c) {
    using model::HomeEdge;
    platform::Point pet = home.approachOrigin;
    switch (home.edge) {
        case HomeEdge::top: pet.y = std::min(pet.y - kStepOut, v.maxY() - p.height - kInset); break;
        case HomeEdge::bottom: pet.y = std::max(pet.y + kStepOut, v.minY() + kInset); break;
        case HomeEdge::left: pet.x = std::max(pet.x + kStepOut, v.minX() + kInset); break;
        case HomeEdge::right: pet.x = std::min(pet.x - kStepOut, v.maxX() - p.width - kInset); break;
    }
    pet.x = clampInto(pet.x, v.minX() + kInset, v.maxX() - p.width - kInset);
    pet.y = clampInto(pet.y, v.minY() + kInset, v.maxY() - p.height - kInset);

    platform::Point card;
    switch (home.edge) {
        case HomeEdge::left: card.x = pet.x + p.width + kGap; break;
        case HomeEdge::right: card.x = pet.x - c.width - kGap; break;
        default: card.x = pet.x + (p.width - c.width) / 2; break;
    }
    switch (home.edge) {
        case HomeEdge::bottom: card.y = pet.y + p.height + kGap; break;
        case HomeEdge::top: card.y = pet.y - c.height - kGap; break;
        default: card.y = pet.y - (c.height - p.height) / 2; break;
    }
    card.x = clampInto(card.x, v.minX() + kInset, v.maxX() - c.width - kInset);
    card.y = clampInto(card.y, v.minY() + kInset, v.maxY() - c.height - kInset);
    return {pet, card};
}

}  // namespace pets
