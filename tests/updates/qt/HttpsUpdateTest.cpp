// The update check and download over the real network backend, against the local HTTPS
// server that test_https_updates.sh starts; skipped when run without it.
#include <QSslCertificate>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include <fstream>

#include "model/AppModel.h"
#include "platform/qt/QtHttpClient.h"
#include "platform/qt/QtMainLoop.h"
#include "platform/sim/SimPlatform.h"
#include "updates/UpdateDownloadController.h"
#include "updates/UpdateTestSupport.h"

using updates::UpdateCheckResult;
using updates::UpdateFailure;
namespace fs = std::filesystem;

namespace {

TEST(HttpsUpdate, checkAndDownloadAgainstALocalServer) {
    const char* origin = std::getenv("TUFTLE_TEST_HTTPS_ORIGIN");
    if (!origin) GTEST_SKIP() << "needs the server of test_https_updates.sh";
    const fs::path root = std::getenv("TUFTLE_TEST_HTTPS_ROOT");
    platform::sim::SimPlatform sim;
    platform::qt::QtMainLoop loop;
    platform::qt::QtHttpClient http;
    platform::qt::QtBackgroundQueue background;
    http.trustAuthoritiesForTesting(QSslCertificate::fromPath(std::getenv("TUFTLE_TEST_CA")));
    platform::services().mainLoop = &loop;

    const std::string image(300000, 'u');
    const updates::testing::FeedSigner signer;
    const auto manifest = updates::testing::manifestJson(image, origin);
    fs::create_directories(root / "o/r/releases/download/v1");
    std::ofstream(root / "o/r/releases/download/v1/t.AppImage", std::ios::binary) << image;
    std::ofstream(root / "feed.json") << signer.feed(manifest);
    auto tampered = nlohmann::json::parse(signer.feed(manifest));
    tampered["payload"] = updates::testing::base64(updates::testing::manifestJson("other", origin).dump());
    std::ofstream(root / "tampered.json") << tampered.dump();

    updates::UpdateEnvironment environment{updates::UpdateConfiguration{{}, signer.publicKey}, 4, {2, 36, 0}, "x86_64",
                                           {"127.0.0.1"}, root.parent_path() / "Updates", 1.5};
    const auto check = [&](const std::string& path) {
        environment.configuration->feedURL = origin + path;
        std::optional<UpdateCheckResult> result;
        auto task = updates::UpdateChecker::check(environment, http, [&](UpdateCheckResult r) { result = r; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 10000)) << path;
        return result.value_or(UpdateCheckResult::checking());
    };
    const auto available = check("/feed.json");
    ASSERT_EQ(available.kind, UpdateCheckResult::Kind::available);
    EXPECT_EQ(check("/tampered.json"), UpdateCheckResult::failed(UpdateFailure::untrusted));
    EXPECT_EQ(check("/redirect"), UpdateCheckResult::failed(UpdateFailure::network));
    // The server sends a byte every 0.3 s for ever: only the check's deadline ends it.
    EXPECT_EQ(check("/stall"), UpdateCheckResult::failed(UpdateFailure::network));

    model::AppModel model(sim.defaults, loop);
    updates::UpdateDownloadController downloader(model, http, background, environment.rules, environment.downloadFolder);
    downloader.start(*available.manifest);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !downloader.isRunning(); }, 10000));
    ASSERT_EQ(model.updateDownloadState->kind, updates::UpdateDownloadState::Kind::ready);
    const fs::path file = model.updateDownloadState->url;
    EXPECT_EQ(updates::UpdateChecker::fileDigest(file), available.manifest->sha256);
    char url[300] = {};
    ::getxattr(file.c_str(), "user.xdg.origin.url", url, sizeof url);
    EXPECT_EQ(url, available.manifest->downloadURL);
}

}  // namespace
