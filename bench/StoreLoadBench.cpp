#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include <nlohmann/json.hpp>

#include "model/AppModel.h"
#include "platform/storage/PlistFileDefaults.h"
#include "platform/sim/SimPlatform.h"
#include "SampleHistory.h"

// What a start costs before any window: reading the settings file and loading the model from
// it, with `state.range(0)` days of key counts and companion time (three years is 1096).
namespace {

namespace fs = std::filesystem;

fs::path writeHistoryFile(int64_t days) {
    platform::sim::SimPlatform sim;
    const fs::path file = fs::temp_directory_path() / ("tuftle-bench-" + std::to_string(::getpid())) / "defaults.plist";
    fs::remove_all(file.parent_path());
    const auto [ledger, record] = sampleHistory(sim.loop.now(), days);
    platform::PlistFileDefaults store(file, sim.loop);
    store.set(model::keys::keystrokeLedger, *model::coding::encode(ledger.toJson()));
    store.set(model::keys::companionRecord, *model::coding::encode(record.toJson()));
    store.set(model::keys::petNames, platform::PlistValue::Array{"Mochi", "Bean"});
    store.flush();
    return file;
}

void BM_LoadSettingsAndModel(benchmark::State& state) {
    const fs::path file = writeHistoryFile(state.range(0));
    platform::sim::SimPlatform sim;
    for (auto _ : state) {
        auto store = std::make_unique<platform::PlistFileDefaults>(file, sim.loop);
        auto model = std::make_unique<model::AppModel>(*store, sim.loop);
        benchmark::DoNotOptimize(model->ledger->allTimeCount);
        state.PauseTiming();  // the closing write of the loaded values is no part of a start
        model.reset();
        store.reset();
        state.ResumeTiming();
    }
    fs::remove_all(file.parent_path());
}
BENCHMARK(BM_LoadSettingsAndModel)->Arg(1096)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
