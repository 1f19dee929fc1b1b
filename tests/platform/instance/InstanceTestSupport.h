// Folders and users for instance tests: every runtime folder, temporary folder and home the
// code may look at lies in the test's own folder, and "another user" is a real one.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "TestFiles.h"
#include "model/L10nTestSupport.h"

namespace platform::testing {

// The user a test run as root becomes, so that folder modes count and root is "another user".
inline constexpr uid_t kNobody = 65534;

// A test folder with a private runtime folder, a temporary folder and a home, and the
// environment pointing at them while it lives.
struct InstanceFolders {
    testfiles::TemporaryFolder folder{"instance"};
    std::filesystem::path runtime = folder / "runtime";
    std::filesystem::path tmp = folder / "tmp";
    std::filesystem::path home = folder / "home";
    std::filesystem::path settings = home / ".config" / "tuftle" / "defaults.plist";
    model::testing::EnvironmentOverride environment{{"XDG_RUNTIME_DIR", runtime.c_str()},
                                                    {"TMPDIR", tmp.c_str()},
                                                    {"HOME", home.c_str()},
                                                    {"XDG_CONFIG_HOME", (home / ".config").c_str()}};
    InstanceFolders() {
        std::filesystem::create_directories(runtime);
        std::filesystem::create_directories(tmp);
        std::filesystem::create_directories(settings.parent_path());
        ::chmod(runtime.c_str(), 0700);
        ::chmod(folder.path().c_str(), 0711);
    }
    // Hands the runtime folder, the home and the settings folder to `user`; the temporary
    // folder is shared, as /tmp is.
    void giveTo(uid_t user) const {
        for (const auto& owned : {runtime, home, home / ".config", settings.parent_path()})
            [[maybe_unused]] const int changed = ::chown(owned.c_str(), user, user);
        ::chmod(tmp.c_str(), 01777);
    }
};

// Runs `body` in a child process, as nobody when the test runs as root (then folder modes count
// and root's files are another user's); answers what `body` answered (empty: all went well),
// or how the child ended.
inline std::string inChild(const std::function<std::string()>& body) {
    int pipe[2];
    if (::pipe(pipe) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        std::string answer;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            answer = "cannot become nobody";
        else
            answer = body();
        [[maybe_unused]] const auto written = ::write(pipe[1], answer.data(), answer.size());
        std::_Exit(0);
    }
    ::close(pipe[1]);
    std::string answer;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the child ended with status " + std::to_string(status);
    return answer;
}

// Another program, named "other-program", that holds a lock on `folder` while it lives.
class OtherProgramLock {
public:
    explicit OtherProgramLock(const std::filesystem::path& folder) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::prctl(PR_SET_NAME, "other-program");
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
            if (::flock(fd, LOCK_EX) != 0) std::_Exit(1);
            [[maybe_unused]] const auto told = ::write(ready[1], "1", 1);
            ::pause();
            std::_Exit(0);
        }
        ::close(ready[1]);
        char told = 0;
        locked_ = pid_ > 0 && ::read(ready[0], &told, 1) == 1;
        ::close(ready[0]);
    }
    ~OtherProgramLock() { end(); }
    OtherProgramLock(const OtherProgramLock&) = delete;
    OtherProgramLock& operator=(const OtherProgramLock&) = delete;

    bool locked() const { return locked_; }
    pid_t pid() const { return pid_; }
    void end() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

private:
    pid_t pid_ = -1;
    bool locked_ = false;
};

}  // namespace platform::testing
