#include <benchmark/benchmark.h>

#include <memory>

#include <nlohmann/json.hpp>

#include "model/AppModel.h"
#include "platform/sim/SimPlatform.h"
#include "SampleHistory.h"

// The key-press path of the model: rhythm, day count, throttled reaction, key achievements,
// milestone and the scheduling of the coalesced ledger write, over a history of
// `state.range(0)` days (three years is 1096).
namespace {

struct KeyPressFixture {
    platform::sim::SimPlatform sim;
    std::unique_ptr<model::AppModel> model;
    platform::Date at;

    explicit KeyPressFixture(int64_t days) {
        // A long-time user: every day typed on and spent together, every achievement earned.
        auto [ledger, record] = sampleHistory(sim.loop.now(), days);
        record.completedFocusSessions = days;
        sim.defaults.set(model::keys::keystrokeLedger, *model::coding::encode(ledger.toJson()));
        sim.defaults.set(model::keys::companionRecord, *model::coding::encode(record.toJson()));
        model = std::make_unique<model::AppModel>(sim.defaults, sim.loop);
        at = sim.loop.now();
    }
};

// Presses 0.1 s apart, so every one of them also publishes a reaction (the costlier case).
void BM_RecordKeystroke(benchmark::State& state) {
    KeyPressFixture f(state.range(0));
    for (auto _ : state) {
        f.at = f.at.addingTimeInterval(0.1);
        f.model->recordKeystroke(f.at);
    }
    benchmark::DoNotOptimize(f.model->ledger->allTimeCount);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordKeystroke)->Arg(0)->Arg(1096);

// Ten presses a second, with the coalesced write that follows each second: the cost per
// press with the store's share counted in.
void BM_TypingTenPressesASecondWithWrites(benchmark::State& state) {
    KeyPressFixture f(state.range(0));
    for (auto _ : state) {
        for (int i = 0; i < 10; ++i) {
            f.at = f.at.addingTimeInterval(0.1);
            f.model->recordKeystroke(f.at);
        }
        f.sim.loop.advance(1.0);
    }
    state.SetItemsProcessed(state.iterations() * 10);
}
BENCHMARK(BM_TypingTenPressesASecondWithWrites)->Arg(1096)->Unit(benchmark::kMicrosecond);

// What the coalescing saves on every press: encoding and storing the whole history.
void BM_StoreLedger(benchmark::State& state) {
    KeyPressFixture f(state.range(0));
    for (auto _ : state) f.model->persistLedger();
}
BENCHMARK(BM_StoreLedger)->Arg(1096)->Unit(benchmark::kMicrosecond);

// Loading three years of records at launch (decoding both, refreshing the achievements).
void BM_LaunchModel(benchmark::State& state) {
    KeyPressFixture f(state.range(0));
    for (auto _ : state) {
        model::AppModel launched(f.sim.defaults, f.sim.loop);
        benchmark::DoNotOptimize(launched.ledger->allTimeCount);
    }
}
BENCHMARK(BM_LaunchModel)->Arg(1096)->Unit(benchmark::kMillisecond);

}  // namespace
