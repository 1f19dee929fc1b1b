#include <gtest/gtest.h>

#include <fstream>

#include "app/AppController.h"
#include "model/AppModelTestSupport.h"
#include "updates/UpdateTestSupport.h"

using updates::UpdateCheckResult;
using updates::UpdateDownloadState;
using updates::UpdateFailure;
using Exchange = platform::sim::SimHttpClient::Exchange;

namespace {

struct UpdateCheckTest : model::testing::AppModelTest {
    updates::testing::FeedSigner signer;
    updates::UpdateEnvironment environment;
    std::optional<UpdateCheckResult> result;
    std::unique_ptr<updates::UpdateCheckTask> task;

    UpdateCheckTest() {
        environment.configuration = updates::UpdateConfiguration{"https://feed.example/feed.json", signer.publicKey};
        environment.currentBuild = 4;
        environment.system = {2, 36, 0};
        environment.architecture = "x86_64";
        environment.downloadFolder = std::filesystem::temp_directory_path() / ("tuftle-check-" + std::to_string(::getpid()));
    }
    std::string feed(std::function<void(nlohmann::json&)> change = {}) {
        auto manifest = updates::testing::manifestJson("image");
        if (change) change(manifest);
        return signer.feed(manifest);
    }
    void check() {
        task = updates::UpdateChecker::check(environment, sim.http, [this](UpdateCheckResult r) { result = r; });
    }
};

TEST_F(UpdateCheckTest, outcomes) {
    const auto failed = [](UpdateFailure f) { return UpdateCheckResult::failed(f); };
    const std::pair<std::function<void(Exchange&)>, std::optional<UpdateCheckResult>> cases[] = {
        {[&](Exchange& e) { e.reply(200, feed()); }, std::nullopt},
        {[&](Exchange& e) { e.reply(200, feed([](auto& m) { m["build"] = 4; })); }, UpdateCheckResult::current()},
        {[&](Exchange& e) { e.reply(200, feed([](auto& m) { m["build"] = 3; })); }, UpdateCheckResult::current()},
        {[&](Exchange& e) {
             e.reply(200, feed([](auto& m) {
                 m["architectures"] = {"arm64"};
                 m["minimumSystemVersion"] = "9.0";
             }));
         },
         failed(UpdateFailure::hardware)},
        {[&](Exchange& e) { e.reply(200, feed([](auto& m) { m["minimumSystemVersion"] = "2.37"; })); },
         failed(UpdateFailure::incompatible)},
        {[&](Exchange& e) { e.reply(404, feed()); }, failed(UpdateFailure::network)},
        {[&](Exchange& e) {
             e.respond(200, "http://feed.example/feed.json");
             e.send(feed());
             e.finish();
         },
         failed(UpdateFailure::network)},
        {[&](Exchange& e) {
             e.respond(200);
             e.send("{");
             e.finish("connection reset");
         },
         failed(UpdateFailure::network)},
        {[&](Exchange& e) { e.reply(200, std::string(65537, ' ')); }, failed(UpdateFailure::invalid)},
        {[&](Exchange& e) { e.reply(200, feed().replace(20, 4, "AAAA")); }, failed(UpdateFailure::untrusted)},
        {[&](Exchange& e) {  // a byte every 10 s keeps any idle timer quiet, not the deadline
             e.respond(200);
             for (int i = 0; i < 3; ++i) sim.loop.advance(10), e.send(" ");
         },
         failed(UpdateFailure::network)},
    };
    for (const auto& [answer, expected] : cases) {
        result.reset();
        check();
        ASSERT_EQ(sim.http.last().request.headers.at(0).second, "application/json");
        answer(sim.http.last());
        if (expected) {
            EXPECT_EQ(result, expected) << sim.http.exchanges.size();
            EXPECT_TRUE(sim.http.last().cancelled || !sim.http.last().handlers.onData);
        } else {
            ASSERT_TRUE(result && result->manifest) << sim.http.exchanges.size();
            EXPECT_EQ(result->manifest->build, 5);
        }
    }
}

TEST_F(UpdateCheckTest, notConfigured_sendsNothing) {
    environment.currentBuild.reset();  // an unreadable running build
    check();
    EXPECT_EQ(result, UpdateCheckResult::notConfigured());
    environment.currentBuild = 4;
    environment.configuration->feedURL = "http://feed.example/feed.json";
    check();
    EXPECT_EQ(result, UpdateCheckResult::notConfigured());
    EXPECT_TRUE(sim.http.exchanges.empty());
}

TEST_F(UpdateCheckTest, controller_oneCheckAtATimeNoneWhileDownloadingThenDownloadVerifyAndShow) {
    auto model = launch();
    app::AppController controller(*model);
    controller.setUpdateEnvironmentForTesting(environment);
    controller.checkForUpdates();
    controller.checkForUpdates();
    ASSERT_EQ(sim.http.exchanges.size(), 1u);
    sim.http.last().reply(200, feed());
    ASSERT_EQ(model->updateCheckResult.get()->kind, UpdateCheckResult::Kind::available);

    controller.downloadAvailableUpdate();
    controller.checkForUpdates();
    ASSERT_EQ(sim.http.exchanges.size(), 2u) << "no check while a download runs";
    sim.http.last().reply(200, "image");
    sim.loop.runPending();
    const auto ready = model->updateDownloadState.get();
    ASSERT_EQ(ready.kind, UpdateDownloadState::Kind::ready);

    controller.openDownloadedUpdate();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::verifying());
    sim.loop.runPending();
    EXPECT_EQ(model->updateDownloadState.get(), ready);
    EXPECT_EQ(sim.workspace.revealed, std::vector{ready.url});

    std::ofstream(ready.url, std::ios::binary) << "imagf";  // changed on disk, same size
    controller.openDownloadedUpdate();
    sim.loop.runPending();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::failed());
    EXPECT_EQ(sim.workspace.revealed.size(), 1u);
    EXPECT_TRUE(sim.workspace.opened.empty()) << "an image is shown, never run";

    controller.checkForUpdates();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::idle());
    std::filesystem::remove_all(environment.downloadFolder);
}

}  // namespace
