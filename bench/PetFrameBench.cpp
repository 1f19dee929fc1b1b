// What deciding on a frame costs for a real pet: its whole layer tree at home, breathing.
#include <benchmark/benchmark.h>

#include "anim/VisibleChange.h"
#include "pets/view/PetView.h"
#include "platform/sim/SimPlatform.h"

namespace {

struct PetAtHome {
    platform::sim::SimPlatform sim;
    pets::PetView view{model::PetProfile{0, "Lili", true}};
    PetAtHome() {
        pets::PetHome home;
        home.kind = model::PetHomeKind::dock;
        home.edge = model::HomeEdge::bottom;
        view.configureHome(home);
        view.setHomeAttached(true, false);
        sim.loop.advance(3);
    }
    double now() const { return sim.loop.mediaTime(); }
};

void BM_PetSignature(benchmark::State& state) {
    PetAtHome pet;
    double t = pet.now();
    for (auto _ : state) {
        auto sig = anim::FrameSignature::capture(*pet.view.layer(), t, 1);
        benchmark::DoNotOptimize(sig);
        t += 1.0 / 60;
    }
}
BENCHMARK(BM_PetSignature);

void BM_PetPlanNextFrame(benchmark::State& state) {
    PetAtHome pet;
    double t = pet.now();
    for (auto _ : state) {
        auto painted = anim::FrameSignature::capture(*pet.view.layer(), t, 1);
        auto next = anim::nextVisibleChange(*pet.view.layer(), painted, t, 1, 1.0 / 60);
        benchmark::DoNotOptimize(next);
        t = next ? *next : t + 0.1;
    }
}
BENCHMARK(BM_PetPlanNextFrame);

}  // namespace
