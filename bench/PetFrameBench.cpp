// What deciding on a frame costs for a real pet: its whole layer tree at home, breathing.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdlib>
#include <ctime>

#include "GuiApplication.h"
#include "anim/FramePacer.h"
#include "anim/VisibleChange.h"
#include "pets/view/PetView.h"
#include "platform/ThreadWaits.h"
#include "platform/qt/LayerRenderer.h"
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

// Painting a breathing pet at home into its panel image, at a device pixel ratio of 1 and 2:
// the CPU of the whole process, as the raster engine may hand work to helper threads.
void BM_PetPaint(benchmark::State& state) {
    ensureGuiApplication();
    PetAtHome pet;
    platform::qt::LayerRenderer renderer;
    const auto& root = *pet.view.layer();
    const QSizeF size(root.bounds().width() + 48, root.bounds().height() + 48);
    QImage frame;
    double t = pet.now();
    auto cpu = [] {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
    };
    // The main thread's waits: each is a hand-off to a helper thread.
    auto waits = [] { return double(platform::threadWaits()); };
    const double before = cpu(), waitsBefore = waits();
    for (auto _ : state) {
        renderer.renderInto(frame, root, t += 1.0 / 8, size, double(state.range(0)), std::nullopt, QPointF(24, 24));
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.counters["processCpuPerFrame_us"] = (cpu() - before) * 1e6 / double(state.iterations());
    state.counters["waitsPerFrame"] = (waits() - waitsBefore) / double(state.iterations());
}
BENCHMARK(BM_PetPaint)->Arg(1)->Arg(2)->ArgName("scale");

// A whole frame of a breathing pet as its panel makes it: the pacer's look and plan, the paint
// into the panel's two images in turn, and the wait for the next frame the pacer asks for.
// Per painted frame, at a device pixel ratio of 1 and 2.
void BM_PetFrame(benchmark::State& state) {
    ensureGuiApplication();
    PetAtHome pet;
    platform::qt::LayerRenderer renderer;
    const auto& root = *pet.view.layer();
    const QSizeF size(root.bounds().width() + 48, root.bounds().height() + 48);
    const double scale = double(state.range(0));
    QImage images[2];
    int painted = 0;
    std::optional<double> wake;
    anim::FramePacer pacer({.planFrame = [&](double at, double) { wake = at; },
                            .cancelFrame = [&] { wake.reset(); },
                            .paint =
                                [&](double t) {
                                    renderer.renderInto(images[painted++ % 2], root, t, size, scale, std::nullopt,
                                                        QPointF(24, 24));
                                },
                            .nextChange = [](std::optional<double>) {}});
    pacer.setFrameInterval(1.0 / 60);
    // Looks are judged in points, as the panel judges them, whatever the scale painted at.
    const double start = pet.now();
    pacer.refresh(root, start, 1.0);
    for (auto _ : state) {
        const int before = painted;
        while (painted == before) {
            pet.sim.loop.advance(wake ? std::max(0.0, *wake - pet.now()) : 0.1);
            pacer.frameCame();
            pacer.refresh(root, pet.now(), 1.0);
        }
        benchmark::DoNotOptimize(images[0].constBits());
    }
    state.counters["framesPerSecond"] = double(painted) / (pet.now() - start);
}
BENCHMARK(BM_PetFrame)->Arg(1)->Arg(2)->ArgName("scale");

}  // namespace
