#include <benchmark/benchmark.h>

#include "platform/Published.h"
#include "platform/sim/SimMainLoop.h"

// Publishing a value to a handful of observers happens on every key press.
static void BM_PublishToFourObservers(benchmark::State& state) {
    platform::Published<int> value(0);
    int sink = 0;
    std::vector<platform::Subscription> subs;
    for (int i = 0; i < 4; ++i) subs.push_back(value.subscribe([&](const int& v) { sink += v; }, false));
    int n = 0;
    for (auto _ : state) {
        value = ++n;
        benchmark::DoNotOptimize(sink);
    }
}
BENCHMARK(BM_PublishToFourObservers);

static void BM_ScheduleAndRunOneShot(benchmark::State& state) {
    platform::sim::SimMainLoop loop;
    int fired = 0;
    for (auto _ : state) {
        loop.after(0.01, [&] { ++fired; });
        loop.advance(0.01);
    }
    benchmark::DoNotOptimize(fired);
}
BENCHMARK(BM_ScheduleAndRunOneShot);
