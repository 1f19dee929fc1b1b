#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <fstream>

#include "model/AppModelTestSupport.h"
#include "updates/UpdateDownloadController.h"
#include "updates/UpdateTestSupport.h"

using updates::UpdateDownloadState;
using Exchange = platform::sim::SimHttpClient::Exchange;
namespace fs = std::filesystem;

namespace {

const std::string image(1000, 'i');

struct UpdateDownloadTest : model::testing::AppModelTest {
    fs::path folder = fs::temp_directory_path() / ("tuftle-download-" + std::to_string(::getpid())) / "Updates";
    std::unique_ptr<model::AppModel> model = launch();
    updates::UpdateDownloadController downloader{*model, sim.http, sim.background, {}, folder};
    updates::testing::FeedSigner signer;
    updates::UpdateManifest manifest =
        updates::UpdateChecker::verifiedManifest(signer.feed(updates::testing::manifestJson(image)), signer.publicKey);

    void TearDown() override { fs::remove_all(folder.parent_path()); }
    std::vector<fs::path> files() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::directory_iterator(folder)) out.push_back(entry.path());
        return out;
    }
};

TEST_F(UpdateDownloadTest, everyFailureEndsFailedAndLeavesNothing) {
    const std::function<void(Exchange&)> answers[] = {
        [](Exchange& e) { e.reply(200, std::string(1000, 'x')); },                 // another digest
        [](Exchange& e) { e.reply(200, image.substr(1)); },                        // short
        [](Exchange& e) { e.respond(200), e.send(image), e.send("+"); },           // oversize stream
        [](Exchange& e) { e.respond(200, {}, 1001); },                             // oversize announced
        [](Exchange& e) { e.reply(404, image); },                                  // status
        [](Exchange& e) { e.respond(200, "http://github.com/t.AppImage"); },       // insecure end
        [](Exchange& e) { e.respond(200), e.send("ii"), e.finish("timed out"); },  // transport
    };
    for (const auto& answer : answers) {
        downloader.start(manifest);
        answer(sim.http.last());
        sim.loop.runPending();
        EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::failed()) << sim.http.exchanges.size();
        EXPECT_TRUE(files().empty()) << sim.http.exchanges.size();
    }
}

TEST_F(UpdateDownloadTest, goodImage_reportsProgressThenLandsVerifiedWithItsOrigin) {
    fs::create_directories(folder);
    std::ofstream(folder / "Fernmote-1.0.0-Build1-OLD.AppImage") << "old";
    std::vector<UpdateDownloadState> states;
    auto subscription = model->updateDownloadState.subscribe([&](const auto& s) { states.push_back(s); }, false);
    downloader.start(manifest);
    downloader.start(manifest);
    ASSERT_EQ(sim.http.exchanges.size(), 1u);
    EXPECT_TRUE(files().size() == 1 && files()[0].extension() == ".part") << "old images are gone";
    sim.http.last().respond(200);
    for (size_t at = 0; at < image.size(); at += 3) sim.http.last().send(image.substr(at, 3));
    sim.http.last().finish();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::verifying());
    sim.loop.runPending();

    ASSERT_EQ(model->updateDownloadState->kind, UpdateDownloadState::Kind::ready);
    const fs::path file = model->updateDownloadState->url;
    EXPECT_EQ(files(), std::vector{file});
    EXPECT_EQ(updates::UpdateChecker::fileDigest(file), manifest.sha256);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    char origin[200] = {};
    EXPECT_EQ(::getxattr(file.c_str(), "user.xdg.origin.url", origin, sizeof origin), ssize_t(manifest.downloadURL.size()));
    EXPECT_EQ(origin, manifest.downloadURL);
    ASSERT_GE(states.size(), 3u);
    EXPECT_LE(states.size(), 104u) << "about one report per hundredth";
    EXPECT_EQ(states[states.size() - 3], UpdateDownloadState::downloading(1.0));
}

TEST_F(UpdateDownloadTest, cancel_isIdleAtOnceRemovesThePartAndLateBytesChangeNothing) {
    downloader.start(manifest);
    sim.http.last().respond(200);
    sim.http.last().send("iii");
    downloader.cancel();
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::idle());
    sim.http.last().send("iii");
    sim.http.last().finish();
    sim.loop.advance(700);
    EXPECT_EQ(model->updateDownloadState.get(), UpdateDownloadState::idle());
    EXPECT_TRUE(files().empty());
    EXPECT_FALSE(downloader.isRunning());
}

}  // namespace
