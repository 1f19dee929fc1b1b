#include <gtest/gtest.h>

#include <fstream>

#include "app/AppController.h"
#include "model/AppModelTestSupport.h"
#include "updates/UpdateTestSupport.h"

using nlohmann::json;
using updates::UpdateCheckResult;
using updates::UpdateDownloadState;
using updates::UpdateFailure;
using Exchange = platform::sim::SimHttpClient::Exchange;
namespace fs = std::filesystem;

namespace {

const std::string image(1000, 'i');

struct UpdatesTest : model::testing::AppModelTest {
    updates::testing::FeedSigner signer;
    updates::UpdateEnvironment environment;
    std::optional<UpdateCheckResult> result;
    std::unique_ptr<updates::UpdateCheckTask> task;
    std::unique_ptr<model::AppModel> model = launch();
    fs::path folder = fs::temp_directory_path() / ("tuftle-updates-" + std::to_string(::getpid()));
    updates::UpdateDownloadController downloader{*model, sim.http, sim.background, {}, folder};
    updates::UpdateManifest manifest = updates::UpdateChecker::verifiedManifest(feed(), signer.publicKey);

    UpdatesTest() {
        environment = {updates::UpdateConfiguration{"https://feed.example/f", signer.publicKey}, 4, {2, 36, 0}, "x86_64",
                       {}, folder};
    }
    void TearDown() override { fs::remove_all(folder); }
    std::string feed(std::function<void(json&)> change = {}) {
        auto m = updates::testing::manifestJson(image);
        if (change) change(m);
        return signer.feed(m);
    }
    void check() { task = updates::UpdateChecker::check(environment, sim.http, [&](auto r) { result = r; }); }
    std::vector<fs::path> files() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(folder)) out.push_back(entry.path());
        return out;
    }
};

TEST_F(UpdatesTest, checkOutcomes) {
    const auto failed = [](UpdateFailure f) { return UpdateCheckResult::failed(f); };
    const auto current = UpdateCheckResult::current(), available = UpdateCheckResult::available(manifest);
    const auto body = [](std::string text) { return [=](Exchange& e) { e.reply(200, text); }; };
    const std::pair<std::function<void(Exchange&)>, UpdateCheckResult> cases[] = {
        {body(feed()), available},
        {body(feed([](json& m) { m["build"] = 4; })), current},
        {body(feed([](json& m) { m["build"] = 3, m["architectures"] = {"arm64"}; })), current},
        {body(feed([](json& m) { m["architectures"] = {"arm64"}, m["minimumSystemVersion"] = "9.0"; })),
         failed(UpdateFailure::hardware)},
        {body(feed([](json& m) { m["minimumSystemVersion"] = "2.37"; })), failed(UpdateFailure::incompatible)},
        {[&](Exchange& e) { e.reply(404, feed()); }, failed(UpdateFailure::network)},
        {[&](Exchange& e) { e.respond(200, "http://feed.example/f"), e.send(feed()), e.finish(); },
         failed(UpdateFailure::network)},
        {[&](Exchange& e) { e.respond(200), e.send("{"), e.finish("connection reset"); }, failed(UpdateFailure::network)},
        {body(std::string(65537, ' ')), failed(UpdateFailure::invalid)},
        {body(feed([](json& m) { m["build"] = "5"; })), failed(UpdateFailure::invalid)},  // signed, malformed
        {body(feed().replace(20, 4, "AAAA")), failed(UpdateFailure::untrusted)},
        // A byte every 10 s keeps any idle timer quiet, but not the deadline.
        {[&](Exchange& e) { e.respond(200), sim.loop.advance(15), e.send(" "), sim.loop.advance(15); },
         failed(UpdateFailure::network)},
    };
    for (const auto& [answer, expected] : cases) {
        result.reset();
        check();
        answer(sim.http.last());
        EXPECT_EQ(sim.http.last().request.headers, (decltype(platform::HttpRequest::headers){{"Accept", "application/json"}}));
        EXPECT_EQ(result, expected) << sim.http.exchanges.size();
    }
    // The first release checking a feed that still offers only itself.
    environment.currentBuild = 1;
    check();
    body(feed([](json& m) { m["build"] = 1; }))(sim.http.last());
    EXPECT_EQ(result, current);
    environment.currentBuild.reset();  // an unreadable running build is no build 0
    check();
    EXPECT_EQ(result, UpdateCheckResult::notConfigured());
    EXPECT_EQ(sim.http.exchanges.size(), std::size(cases) + 1);
}

TEST_F(UpdatesTest, downloadFailuresAndCancelLeaveNothing) {
    const std::function<void(Exchange&)> answers[] = {
        [](Exchange& e) { e.reply(200, std::string(1000, 'x')); },                 // another digest
        [](Exchange& e) { e.reply(200, image.substr(1)); },                        // short
        [](Exchange& e) { e.respond(200), e.send(image), e.send("+"); },           // oversize stream
        [](Exchange& e) { e.respond(200, {}, 1001); },                             // oversize announced
        [](Exchange& e) { e.reply(404, image); },                                  // status
        [](Exchange& e) { e.respond(200, "http://github.com/t.AppImage"); },       // insecure end
        [](Exchange& e) { e.respond(200), e.send("ii"), e.finish("timed out"); },  // transport
        [&](Exchange& e) { e.respond(200), e.send("ii"), downloader.cancel(), e.send(image), sim.loop.advance(700); },
    };
    for (const auto& answer : answers) {
        downloader.start(manifest);
        answer(sim.http.last());
        sim.loop.runPending();
        const bool cancelled = &answer == std::end(answers) - 1;
        EXPECT_EQ(model->updateDownloadState.get(), cancelled ? UpdateDownloadState::idle() : UpdateDownloadState::failed())
            << sim.http.exchanges.size();
        EXPECT_TRUE(files().empty()) << sim.http.exchanges.size();
    }
}

TEST_F(UpdatesTest, controller_checksOnceDownloadsWithProgressAndVerifiesBeforeShowing) {
    app::AppController controller(*model);
    environment.runningImage = folder / "Fernmote-1.1.0-Build4-5D0E3C4F-0000-4000-8000-000000000002.AppImage";
    controller.setUpdateEnvironmentForTesting(environment);
    fs::create_directories(folder);
    std::ofstream(folder / "Fernmote-1.0.0-Build1-5D0E3C4F-0000-4000-8000-000000000001.AppImage") << "old";
    std::ofstream(folder / "Fernmote-notes.txt") << "the user's own";
    std::ofstream(environment.runningImage) << "this program";
    std::vector<UpdateDownloadState> states;
    auto subscription = model->updateDownloadState.subscribe([&](const auto& s) { states.push_back(s); }, false);
    controller.checkForUpdates();
    controller.checkForUpdates();
    sim.http.last().reply(200, feed());
    controller.downloadAvailableUpdate();
    controller.downloadAvailableUpdate();
    controller.checkForUpdates();
    ASSERT_EQ(sim.http.exchanges.size(), 2u) << "one check, one download, no check while downloading";
    std::vector<std::string> left;
    for (const auto& file : files()) left.push_back(file.extension() == ".part" ? "part" : file.filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{environment.runningImage.filename(), "Fernmote-notes.txt", "part"}))
        << "old images are gone, not the running one, nothing else";
    sim.http.last().respond(200);
    for (size_t at = 0; at < image.size(); at += 3) sim.http.last().send(image.substr(at, 3));
    sim.http.last().finish();
    sim.loop.runPending();
    const auto ready = model->updateDownloadState.get();
    ASSERT_EQ(ready.kind, UpdateDownloadState::Kind::ready);
    EXPECT_TRUE(fs::exists(ready.url));
    fs::remove(folder / "Fernmote-notes.txt");
    fs::remove(environment.runningImage);

    {  // The next start offers the verified image again, without a new check.
        auto restarted = launch();
        app::AppController again(*restarted);
        again.setUpdateEnvironmentForTesting(environment);
        again.restoreVerifiedUpdate();
        sim.loop.runPending();
        EXPECT_EQ(restarted->updateCheckResult.get(), UpdateCheckResult::available(manifest));
        EXPECT_EQ(restarted->updateDownloadState.get(), ready);
        EXPECT_EQ(sim.http.exchanges.size(), 2u);
    }
    EXPECT_EQ(fs::status(ready.url).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_LE(states.size(), 105u) << "about one report per hundredth";
    EXPECT_EQ(std::vector(states.end() - 3, states.end() - 1),
              (std::vector{UpdateDownloadState::downloading(1.0), UpdateDownloadState::verifying()}));

    controller.openDownloadedUpdate();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::verifying());
    sim.loop.runPending();
    EXPECT_EQ(model->updateDownloadState.get(), ready);
    std::ofstream(ready.url, std::ios::binary) << image.substr(1) << "x";  // changed on disk, same size
    controller.openDownloadedUpdate();
    sim.loop.runPending();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::failed());
    EXPECT_TRUE(files().empty()) << "a refused image does not stay";
    EXPECT_EQ(sim.workspace.revealed, std::vector{ready.url}) << "shown once, when it still matched";
    EXPECT_TRUE(sim.workspace.opened.empty()) << "never run";
    controller.checkForUpdates();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::idle());
}

// What earlier runs left in the Updates folder, here a link to the user's own folder: only the
// download's own files go, and only when they cannot be offered again.
TEST_F(UpdatesTest, startKeepsVerifiedNewerImagesAndTheUsersFiles) {
    const fs::path own = folder.string() + "-own";
    fs::create_directories(own);
    fs::create_directory_symlink(own, folder);
    const std::string name = "Fernmote-1.2.0-Build5-5D0E3C4F-0000-4000-8000-00000000000";
    const auto with = [](json object, const json& changes) {
        object.update(changes);
        return object.dump();
    };
    const json recorded = json::parse(manifest.json());
    const std::string tampered = std::string(image.size() - 1, 'i') + "x";
    const fs::path running = folder / "Fernmote-1.1.0-Build4-5D0E3C4F-0000-4000-8000-000000000009.AppImage";
    struct Entry {
        std::string file, bytes;
        bool stays;
    };
    const Entry entries[] = {
        {name + "1.AppImage", image, true},  // verified, newer: offered
        {name + "1.AppImage.manifest", manifest.json(), true},
        {name + "2.AppImage", tampered, false},  // changed since
        {name + "2.AppImage.manifest", manifest.json(), false},
        {name + "3.AppImage", image, false},  // never verified
        {name + "4.AppImage.part", image.substr(9), false},
        {name + "5.AppImage.manifest", manifest.json(), false},  // its image is gone
        {"Fernmote-1.1.0-Build4-5D0E3C4F-0000-4000-8000-000000000006.AppImage", "older", false},  // not newer
        {"Fernmote-1.1.0-Build4-5D0E3C4F-0000-4000-8000-000000000006.AppImage.manifest",
         with(updates::testing::manifestJson("older"), {{"build", 4}, {"version", "1.1.0"}}), false},
        {name + "7.AppImage", image, false},  // its manifest names another build
        {name + "7.AppImage.manifest", with(recorded, {{"build", 6}}), false},
        {running.filename().string(), "running", true},
        {"Fernmote-notes.txt", "mine", true},
        {"Fernmote-1.2.0-Build5-OLD.AppImage", image, true},
        {name + "8.AppImage.bak", image, true},
        {"Fernmote-1.2.0-Build5-5d0e3c4f-0000-4000-8000-000000000008.AppImage", image, true},
        {"fernmote-1.2.0-Build5-5D0E3C4F-0000-4000-8000-000000000008.AppImage", image, true},
        {name + "8.AppImage.part.txt", image, true},
        {"Fernmote-1..0-Build5-5D0E3C4F-0000-4000-8000-000000000008.AppImage", image, true},
        {"Fernmote-1.2.0-Build05-5D0E3C4F-0000-4000-8000-000000000008.AppImage", image, true},
    };
    for (const auto& entry : entries) std::ofstream(folder / entry.file, std::ios::binary) << entry.bytes;
    fs::create_directory(folder / (name + "9.AppImage"));

    environment.runningImage = running;
    app::AppController controller(*model);
    controller.setUpdateEnvironmentForTesting(environment);
    controller.restoreVerifiedUpdate();
    sim.loop.runPending();
    for (const auto& entry : entries) EXPECT_EQ(fs::exists(own / entry.file), entry.stays) << entry.file;
    EXPECT_TRUE(fs::is_directory(own / (name + "9.AppImage")));
    const fs::path kept = folder / (name + "1.AppImage");
    EXPECT_EQ(model->updateCheckResult.get(), UpdateCheckResult::available(manifest));
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::ready(kept));

    // A check naming the same update offers the same image; one naming another does not.
    controller.checkForUpdates();
    sim.http.last().reply(200, feed());
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::ready(kept));
    controller.checkForUpdates();
    sim.http.last().reply(200, feed([](json& m) { m["build"] = 6; }));
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::idle());
    EXPECT_EQ(sim.http.exchanges.size(), 2u) << "no download";
    fs::remove(folder);
    fs::remove_all(own);
}

}  // namespace
