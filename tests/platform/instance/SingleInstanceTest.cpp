#include "platform/instance/SingleInstance.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/instance/InstanceTestSupport.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing::InstanceFolders;

// A listener of the test's own user that answers every call as the program does: to the
// starts under test (run as nobody when the test is root), another user's.
class ForeignListener {
public:
    explicit ForeignListener(const fs::path& socket) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        bound_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                 ::chmod(socket.c_str(), 0777) == 0 && ::listen(fd_, 8) == 0;
        thread_ = std::thread([this] {
            pollfd ring{fd_, POLLIN, 0};
            while (!stop_) {
                if (::poll(&ring, 1, 20) <= 0) continue;
                const int call = ::accept(fd_, nullptr, nullptr);
                if (call < 0) continue;
                ++calls_;
                [[maybe_unused]] const auto sent = ::send(call, "k", 1, MSG_NOSIGNAL);
                ::close(call);
            }
        });
    }
    ~ForeignListener() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    bool bound() const { return bound_; }
    int calls() const { return calls_; }

private:
    int fd_;
    bool bound_ = false;
    std::atomic<bool> stop_ = false;
    std::atomic<int> calls_ = 0;
    std::thread thread_;
};

// What runs before the start under test, in the same process: a start that answers its calls,
// one that listens and never answers (a stopped program), one that holds the lock and does not
// listen, one that holds it and listens only a moment after the start under test began (it is
// still starting), or another program that locks the settings folder.
enum class First { instance, stoppedInstance, silentHolder, lateInstance, otherProgram, nothing };

// Another user's things, put in place before the starts.
enum class Planted {
    nothing,
    fallbackFolder,         // $TMPDIR/tuftle-<uid> made by another user
    filesInOpenedFallback,  // the user's own $TMPDIR/tuftle-<uid> left at 0777, with another user's
                            // lock file (locked) and socket (answering) in it
    socketElsewhere,        // another user's socket of the same name, listening in a folder of theirs
    socketsInOpenFolders,   // sockets of the same name, listening in folders anyone may write to
    everyFallbackFolder,    // tuftle-<uid> and tuftle-<uid>-1 to -9 in $TMPDIR, each taken by another
                            // user (by things that are no folders, where the test is not root)
};

struct Row {
    const char* what;
    Planted planted;
    mode_t settingsMode;
    First first;
    bool firstWithRuntimeFolder;
    bool secondWithRuntimeFolder;
    bool secondWithoutTemporaryFolder;  // $TMPDIR that the user cannot write to
    int status;
    const char* failureHas;  // empty: no failure
    int answered;            // calls the first start took to open its panel
    HandoverRequest request = HandoverRequest::openPanel;
};

// Runs the first start and then the second of `row` (in a child process), and answers what
// went otherwise than the row says.
std::string runStarts(const Row& row, const InstanceFolders& folders) {
    const auto useRuntimeFolder = [&](bool use) {
        if (use)
            ::setenv("XDG_RUNTIME_DIR", folders.runtime.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    };
    std::unique_ptr<SingleInstance> first;
    std::unique_ptr<InstanceLock> silent;
    std::unique_ptr<testing::OtherProgramLock> other;
    // Made before the first start's socket and after it: /proc/net/unix lists sockets of later
    // files mostly later.
    std::vector<std::unique_ptr<ForeignListener>> open;
    const auto plantInOpenFolders = [&] {
        for (int i = 0; i < 4 && row.planted == Planted::socketsInOpenFolders; ++i) {
            const fs::path folder = folders.tmp / ("open-" + std::to_string(open.size()));
            fs::create_directories(folder);
            ::chmod(folder.c_str(), 0777);
            open.push_back(
                std::make_unique<ForeignListener>(folder / (InstanceLock::runtimeName(folders.settings) + ".socket")));
        }
    };
    plantInOpenFolders();
    useRuntimeFolder(row.firstWithRuntimeFolder);
    if (row.first == First::instance || row.first == First::stoppedInstance) {
        auto start = SingleInstance::begin(folders.settings, 1, HandoverRequest::openPanel);
        if (!start.instance) return "the first start did not run: " + start.failure.english();
        first = std::move(start.instance);
    } else if (row.first == First::silentHolder || row.first == First::lateInstance) {
        silent = InstanceLock::acquire(folders.settings).lock;
        if (!silent) return "the first start took no lock";
    } else if (row.first == First::otherProgram) {
        other = std::make_unique<testing::OtherProgramLock>(folders.settings.parent_path());
        if (!other->locked()) return "the other program took no lock";
    }
    plantInOpenFolders();
    Reason noSocket;
    const auto lateSocket =
        row.first == First::lateInstance ? handoverSocketPath(folders.settings, noSocket) : std::nullopt;
    if (row.first == First::lateInstance && !lateSocket) return "the first start has no socket: " + noSocket.english();
    std::atomic<bool> stop = false;
    std::atomic<int> answered = 0;
    std::thread answering([&] {
        std::unique_ptr<HandoverListener> late;
        if (lateSocket) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            Reason problem;
            late = HandoverListener::listen(*lateSocket, problem);
        }
        while (((first && row.first == First::instance) || late) && !stop) {
            pollfd ring{late ? late->fd() : first->callDescriptor(), POLLIN, 0};
            if (::poll(&ring, 1, 20) > 0 && (late ? late->answer() : first->answerCalls())) ++answered;
        }
    });
    useRuntimeFolder(row.secondWithRuntimeFolder);
    if (row.secondWithoutTemporaryFolder) ::setenv("TMPDIR", (folders.folder / "closed").c_str(), 1);
    const auto second = SingleInstance::begin(folders.settings, 0.5, row.request);
    stop = true;
    answering.join();
    if (other) other->end();

    std::ostringstream wrong;
    if (second.instance) wrong << "the second start runs; ";
    if (second.exitStatus != row.status) wrong << "status " << second.exitStatus << "; ";
    const std::string expected = row.failureHas;
    const std::string failure = second.failure.english();
    if (expected.empty() != failure.empty() || failure.find(expected) == std::string::npos)
        wrong << "it said '" << failure << "'; ";
    if (answered != row.answered) wrong << "the first took " << answered << " calls; ";
    const bool ours = row.first == First::instance || row.first == First::stoppedInstance ||
                      row.first == First::silentHolder || row.first == First::lateInstance;
    if (second.exitStatus != 0 && second.foundRunning != ours)
        wrong << "found running: " << second.foundRunning << "; ";
    for (const auto& listener : open) {
        if (!listener->bound() || listener->calls() != 0) wrong << "a listener in an open folder was believed; ";
    }
    return wrong.str();
}

// Every way a second start can end, and the starts that must run, with the runtime folders,
// settings folder modes and other users' files a desktop, su or ssh can give it. A start ends
// with 0 only once a running instance of this user's opened its panel, and says why otherwise.
TEST(SingleInstance, aSecondStartEndsWithZeroOnlyWhenItsOwnRunningInstanceOpensThePanel) {
    const bool root = ::geteuid() == 0;
    const Row rows[] = {
        {"both in one runtime folder", Planted::nothing, 0700, First::instance, true, true, false, 0, "", 1},
        {"the second without XDG_RUNTIME_DIR", Planted::nothing, 0700, First::instance, true, false, false, 0, "", 1},
        {"the first without XDG_RUNTIME_DIR", Planted::nothing, 0700, First::instance, false, true, false, 0, "", 1},
        {"settings folder 0300, two runtime folders", Planted::nothing, 0300, First::instance, true, false, false, 0,
         "", 1},
        {"settings folder 0100, two runtime folders", Planted::nothing, 0100, First::instance, true, false, false, 0,
         "", 1},
        {"settings folder 0100 and the fallback folder another user's", Planted::fallbackFolder, 0100, First::instance,
         false, false, false, 0, "", 1},
        {"another user's lock and socket in the opened fallback folder", Planted::filesInOpenedFallback, 0700,
         First::instance, false, false, false, 0, "", 1},
        {"another user's socket of the same name elsewhere", Planted::socketElsewhere, 0700, First::instance, true,
         false, false, 0, "", 1},
        {"listening a moment late, in one runtime folder", Planted::nothing, 0700, First::lateInstance, true, true,
         false, 0, "", 1},
        {"listening a moment late, the second without XDG_RUNTIME_DIR", Planted::nothing, 0700, First::lateInstance,
         true, false, false, 0, "", 1},
        {"the instance never answers", Planted::nothing, 0700, First::silentHolder, true, true, false, 1,
         "already running, but its panel could not be opened", 0},
        {"held elsewhere, and only another user's socket answers", Planted::socketElsewhere, 0700, First::silentHolder,
         true, false, false, 1, "already running, but its panel could not be opened", 0},
        {"settings folder 0300, held in another runtime folder, never answering", Planted::nothing, 0300,
         First::silentHolder, true, false, false, 1, "already running, but its panel could not be opened", 0},
        {"another program locks the settings folder", Planted::nothing, 0700, First::otherProgram, true, true, false, 1,
         "another program, other-program (process ", 0},
        {"no lock anywhere", Planted::nothing, 0100, First::nothing, false, false, true, 1,
         "it can lock neither the settings folder ", 0},
        {"stopped, with sockets of the same name in open folders", Planted::socketsInOpenFolders, 0700,
         First::stoppedInstance, true, false, false, 1,
         "already running, but its panel could not be opened: it did not answer within 0.5 s", 0},
        {"stopped, in one runtime folder", Planted::nothing, 0700, First::stoppedInstance, true, true, false, 1,
         "already running, but its panel could not be opened: it did not answer within 0.5 s", 0},
        {"every fallback runtime folder taken", Planted::everyFallbackFolder, 0700, First::instance, false, false,
         false, 1, "its panel could not be opened: it has no runtime folder to listen in, as ", 0},
        // The user did not ask for these (the session manager's and the login's).
        {"unasked, both in one runtime folder", Planted::nothing, 0700, First::instance, true, true, false, 0, "", 0,
         HandoverRequest::onlyAnswer},
        {"unasked, the first without XDG_RUNTIME_DIR", Planted::nothing, 0700, First::instance, false, true, false, 0,
         "", 0, HandoverRequest::onlyAnswer},
        {"unasked, settings folder 0100, two runtime folders", Planted::nothing, 0100, First::instance, true, false,
         false, 0, "", 0, HandoverRequest::onlyAnswer},
        {"unasked, the instance never answers", Planted::nothing, 0700, First::silentHolder, true, true, false, 1,
         "already running, but it could not be reached: it does not listen", 0, HandoverRequest::onlyAnswer},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const bool anyUser =
            row.planted == Planted::socketsInOpenFolders || row.planted == Planted::everyFallbackFolder;
        if (row.planted != Planted::nothing && !anyUser && !root) {
            std::printf("[ SKIPPED  ] %s: another user's files need a run as root\n", row.what);
            continue;
        }
        InstanceFolders folders;
        const uid_t user = root ? testing::kNobody : ::getuid();
        folders.giveTo(user);
        fs::create_directories(folders.folder / "closed");
        ::chmod((folders.folder / "closed").c_str(), 0555);
        const std::string name = InstanceLock::runtimeName(folders.settings);
        const fs::path fallback = folders.tmp / ("tuftle-" + std::to_string(user));
        std::vector<std::unique_ptr<ForeignListener>> planted;
        int plantedLock = -1;
        if (row.planted == Planted::fallbackFolder) {
            fs::create_directories(fallback);
            ::chmod(fallback.c_str(), 0777);
        } else if (row.planted == Planted::filesInOpenedFallback) {
            fs::create_directories(fallback);
            ASSERT_EQ(::chown(fallback.c_str(), user, user), 0);
            ::chmod(fallback.c_str(), 0777);
            plantedLock = ::open((fallback / (name + ".lock")).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
            ASSERT_EQ(::flock(plantedLock, LOCK_EX), 0);
            planted.push_back(std::make_unique<ForeignListener>(fallback / (name + ".socket")));
        } else if (row.planted == Planted::socketElsewhere) {
            fs::create_directories(folders.folder / "elsewhere");
            planted.push_back(std::make_unique<ForeignListener>(folders.folder / "elsewhere" / (name + ".socket")));

        } else if (row.planted == Planted::everyFallbackFolder) {
            for (int i = 0; i < 10; ++i) {
                const fs::path taken = fallback.string() + (i ? "-" + std::to_string(i) : "");
                if (root) {
                    fs::create_directories(taken);
                    ::chmod(taken.c_str(), 0755);
                } else {
                    testfiles::writeFile(taken, "");
                }
            }
        }
        for (const auto& listener : planted) {
            ASSERT_TRUE(listener->bound());
        }
        ::chmod(folders.settings.parent_path().c_str(), row.settingsMode);
        EXPECT_EQ(testing::inChild([&] { return runStarts(row, folders); }), "");
        for (const auto& listener : planted) {
            EXPECT_EQ(listener->calls(), 0) << "another user's listener was believed";
        }
        if (plantedLock >= 0) ::close(plantedLock);
        ::chmod(folders.settings.parent_path().c_str(), 0700);
    }
}

}  // namespace
}  // namespace platform
