// Evaluating and painting one pet's layer tree (about 40 layers) with its idle loops running.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <ctime>

#include "GuiApplication.h"
#include "SampleTree.h"
#include "anim/VisibleChange.h"
#include "platform/qt/LayerRenderer.h"
#include "platform/sim/SimPlatform.h"

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

void presentWholeTree(const anim::Layer& l, double t, double& sink) {
    sink += l.presentation(t).transform.ty;
    for (const auto& s : l.sublayers()) presentWholeTree(*s, t, sink);
}

void BM_PresentTree(benchmark::State& state) {
    platform::sim::SimPlatform sim;
    auto tree = bench::makeSampleTree();
    bench::startBreathing(tree);
    double t = sim.loop.mediaTime(), sink = 0;
    for (auto _ : state) {
        presentWholeTree(*tree.root, t += 1.0 / 60, sink);
        benchmark::DoNotOptimize(sink);
    }
    state.counters["layers"] = tree.layerCount;
}
BENCHMARK(BM_PresentTree);

void BM_FrameSignature(benchmark::State& state) {
    platform::sim::SimPlatform sim;
    auto tree = bench::makeSampleTree();
    bench::startBreathing(tree);
    double t = sim.loop.mediaTime();
    for (auto _ : state) benchmark::DoNotOptimize(anim::FrameSignature::capture(*tree.root, t += 1.0 / 60, 2));
}
BENCHMARK(BM_FrameSignature);

// Deciding when a breathing pet next needs a frame, as the panel does after each paint.
void BM_PlanNextFrame(benchmark::State& state) {
    platform::sim::SimPlatform sim;
    auto tree = bench::makeSampleTree();
    bench::startBreathing(tree);
    double t = sim.loop.mediaTime();
    for (auto _ : state) {
        auto painted = anim::FrameSignature::capture(*tree.root, t, 2);
        auto next = anim::nextVisibleChange(*tree.root, painted, t, 2, 1.0 / 60);
        t = next ? *next : t + 1;
        benchmark::DoNotOptimize(next);
    }
}
BENCHMARK(BM_PlanNextFrame);

void BM_PaintTree(benchmark::State& state) {
    ensureGuiApplication();
    platform::sim::SimPlatform sim;
    auto tree = bench::makeSampleTree();
    bench::startBreathing(tree);
    if (state.range(0)) tree.sparkles->setBirthRate(1);
    platform::qt::LayerRenderer renderer;
    double t = sim.loop.mediaTime();
    double cpuBefore = processCpuSeconds();
    for (auto _ : state) {
        QImage frame = renderer.render(*tree.root, t += 1.0 / 60, QSizeF(52, 52), 2);
        benchmark::DoNotOptimize(frame.constBits());
    }
    // Painting may use helper threads: count the whole process.
    state.counters["processCpuPerFrame_us"] = (processCpuSeconds() - cpuBefore) * 1e6 / double(state.iterations());
}
BENCHMARK(BM_PaintTree)->Arg(0)->Arg(1)->ArgName("sparkles");

}  // namespace
