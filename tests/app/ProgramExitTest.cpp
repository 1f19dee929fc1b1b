#include "app/ProgramExit.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <vector>

#include "TestFiles.h"
#include "app/AppController.h"
#include "app/AppDelegate.h"
#include "app/FileDescriptors.h"
#include "model/AppModelTestSupport.h"
#include "platform/storage/PlistFileDefaults.h"

namespace {

namespace fs = std::filesystem;
namespace keys = model::keys;

// Lowers the soft descriptor limit to what is open now and takes every number left below it,
// as a limit lowered on a running program does; all given back when it goes.
class DescriptorsUsedUp {
public:
    DescriptorsUsedUp() {
        ::getrlimit(RLIMIT_NOFILE, &before_);
        int highest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(highest);
        for (int fd = highest; fd < 4096; ++fd)
            if (::fcntl(fd, F_GETFD) >= 0) highest = fd;
        const rlimit lowered{static_cast<rlim_t>(highest + 1), before_.rlim_max};
        ::setrlimit(RLIMIT_NOFILE, &lowered);
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) taken_.push_back(fd);
    }
    ~DescriptorsUsedUp() {
        for (int fd : taken_) ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &before_);
    }
    DescriptorsUsedUp(const DescriptorsUsedUp&) = delete;
    DescriptorsUsedUp& operator=(const DescriptorsUsedUp&) = delete;

private:
    rlimit before_{};
    std::vector<int> taken_;
};

// A running program over the sim backend with its settings file in a folder of its own, and a
// window system that answers as each case says.
struct ProgramExitTest : model::testing::AppModelTest {
    testfiles::TemporaryFolder folder{"tuftle-exit"};
    std::unique_ptr<model::AppModel> model;
    std::unique_ptr<app::AppController> controller;
    std::unique_ptr<app::TuftleAppDelegate> delegate;
    std::unique_ptr<platform::PlistFileDefaults> settings;
    std::unique_ptr<app::ProgramExit> exit;

    bool takenOver = true, stalls = false, cut = false, terminated = false;
    std::optional<int> leftWith;

    int runs = 0;

    void run() {
        exit.reset(), delegate.reset(), controller.reset(), model.reset();
        sim.defaults.remove(keys::keystrokeLedger);
        store(keys::keyCountingEnabled, true);
        sim.keyTaps.accessGranted = true;
        model = launch();
        controller = std::make_unique<app::AppController>(*model);
        controller->start();
        delegate = std::make_unique<app::TuftleAppDelegate>(*controller);
        settings = std::make_unique<platform::PlistFileDefaults>(folder.path() / std::to_string(++runs) / "defaults.plist",
                                                                 sim.loop);
        exit = std::make_unique<app::ProgramExit>(
            *delegate,
            app::ProgramExit::WindowSystem{[this] { return takenOver; }, [this](double) { return stalls; },
                                           [this] { return cut; }},
            [this](int status) { leftWith = status; });
        exit->running(*controller, *settings, [this] { return terminated; });
        // What is still on its way at quit: presses the tap holds and a changed setting.
        sim.keyTaps.holdPresses = true;
        for (int i = 0; i < 4; ++i) sim.keyTaps.pressKey();
        settings->set("petName", std::string("Mochi"));
        model->updateDownloadState = updates::UpdateDownloadState::ready("/tmp/update.AppImage");
    }
    // Whether the delegate's shutdown ran: it cancels the download, among the window work.
    bool delegateRan() const { return model->updateDownloadState.get() == updates::UpdateDownloadState::idle(); }
    void expectOrderlyEndRecorded(const char* why) {
        EXPECT_EQ(sim.defaults.boolValue("runtime.cleanExit"), true) << why;
        const auto ledger = storedJson(keys::keystrokeLedger);
        ASSERT_TRUE(ledger) << why;
        EXPECT_EQ(ledger->at("allTimeCount"), 4) << why;
        EXPECT_NE(testfiles::readFile(settings->path()).find("Mochi"), std::string::npos) << why;
    }
    void breakSettingsFolder() {
        // A file where the folder should be: no write can succeed, even as root.
        const fs::path dir = settings->path().parent_path();
        fs::remove_all(dir);
        testfiles::writeFile(dir, "not a folder");
        settings->set("petName", std::string("Kuro"));
    }
};

TEST_F(ProgramExitTest, quit_closesInOrderWhileTheServerAnswersElseLeavesAtOnceWithoutWindows) {
    const struct {
        const char* situation;
        bool takenOver, stalls;
        std::optional<int> leftWith;
    } cases[] = {
        {"the server answers", true, false, std::nullopt},
        {"the server stalls", true, true, EXIT_SUCCESS},
        {"the connections were cut for the quit", false, false, EXIT_SUCCESS},
    };
    for (const auto& c : cases) {
        run();
        takenOver = c.takenOver, stalls = c.stalls;
        ::testing::internal::CaptureStderr();
        exit->willTerminate();
        ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(leftWith, c.leftWith) << c.situation;
        EXPECT_EQ(delegateRan(), !c.leftWith) << c.situation;
        expectOrderlyEndRecorded(c.situation);
        leftWith.reset();
    }
}

TEST_F(ProgramExitTest, exitWithoutTerminate_endsAsTheQuitAskedForOrAsAFailure) {
    const struct {
        const char* situation;
        bool cut, terminated;
        std::optional<int> leftWith;
    } cases[] = {
        {"connections cut for a signalled quit", true, false, EXIT_SUCCESS},
        {"the X connection broke by itself", false, false, EXIT_FAILURE},
        {"after the orderly quit", false, true, std::nullopt},
    };
    for (const auto& c : cases) {
        run();
        cut = c.cut, terminated = c.terminated;
        exit->exitingWithoutTerminate();
        EXPECT_EQ(leftWith, c.leftWith) << c.situation;
        EXPECT_FALSE(delegateRan()) << c.situation;
        if (c.leftWith) expectOrderlyEndRecorded(c.situation);
        leftWith.reset();
    }
}

TEST_F(ProgramExitTest, quitWithNoDescriptorLeft_savesWithThoseHeldBackForIt) {
    const struct {
        const char* situation;
        bool cut;
        void (app::ProgramExit::*quit)();
    } cases[] = {
        {"the orderly quit", false, &app::ProgramExit::willTerminate},
        {"leaving after the connections were cut", true, &app::ProgramExit::exitingWithoutTerminate},
    };
    for (const auto& c : cases) {
        run();
        cut = c.cut;
        app::DescriptorReserve reserve(4);
        exit->holdForQuit(reserve);
        ::testing::internal::CaptureStderr();
        {
            DescriptorsUsedUp usedUp;
            EXPECT_LT(::open("/dev/null", O_RDONLY | O_CLOEXEC), 0) << "every descriptor is taken";
            (*exit.*c.quit)();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << c.situation;
        EXPECT_EQ(leftWith.value_or(EXIT_SUCCESS), EXIT_SUCCESS) << c.situation;
        expectOrderlyEndRecorded(c.situation);
        leftWith.reset();
    }
}

TEST_F(ProgramExitTest, settingsThatCannotBeSaved_makeTheExitAFailure) {
    run();
    EXPECT_EQ(exit->finished(EXIT_SUCCESS), EXIT_SUCCESS);

    run();
    breakSettingsFolder();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(exit->finished(EXIT_SUCCESS), EXIT_FAILURE);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("could not save the settings to " + settings->path().string()), std::string::npos) << said;

    run();
    breakSettingsFolder();
    stalls = true;
    ::testing::internal::CaptureStderr();
    exit->willTerminate();
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(leftWith, EXIT_FAILURE) << "leaving at once says so too";
}

}  // namespace