#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/AppModel.h"
#include "model/L10nTestSupport.h"
#include "platform/sim/SimPlatform.h"

namespace model::testing {

// A model over the sim platform's in-memory defaults, with the system language fixed.
struct AppModelTest : ::testing::Test {
    platform::sim::SimPlatform sim;
    LanguageChoiceReset languageReset;
    EnvironmentOverride environment{{"LANG", "en_US.UTF-8"}};

    std::unique_ptr<AppModel> launch() {
        sim.defaults.clearWriteLog();
        return std::make_unique<AppModel>(sim.defaults, sim.loop);
    }
    platform::Date now() const { return sim.loop.now(); }

    void store(const std::string& key, platform::PlistValue value) { sim.defaults.set(key, std::move(value)); }
    static platform::PlistValue strings(std::vector<std::string> values) {
        return platform::PlistValue::Array(values.begin(), values.end());
    }
    static platform::Data bytes(const std::string& s) { return platform::Data(s.begin(), s.end()); }
    std::optional<platform::PlistValue> stored(const std::string& key) const { return sim.defaults.object(key); }
    std::optional<Json> storedJson(const std::string& key) const {
        auto data = sim.defaults.data(key);
        return data ? coding::decode(*data) : std::nullopt;
    }
};

}  // namespace model::testing
