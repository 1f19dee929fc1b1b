#include "app/FileDescriptors.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>

namespace app {
namespace {

// Linux's own default for fs.nr_open, the most any process may have open.
constexpr uint64_t kDefaultKernelCeiling = 1 << 20;

uint64_t kernelCeiling() {
    uint64_t ceiling = 0;
    std::ifstream("/proc/sys/fs/nr_open") >> ceiling;
    return ceiling > 0 ? ceiling : kDefaultKernelCeiling;
}

std::vector<int> openDescriptors() {
    DIR* dir = ::opendir("/proc/self/fd");
    // Without /proc, or without a descriptor to read it with: the standard three.
    if (!dir) return {0, 1, 2};
    std::vector<int> open;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && fd != ::dirfd(dir)) open.push_back(static_cast<int>(fd));
    }
    ::closedir(dir);
    return open;
}

std::string countText(uint64_t n) {
    return n == std::numeric_limits<uint64_t>::max() ? "unlimited" : std::to_string(n);
}

// The limit the program was started with, for the programs it starts in turn.
rlimit startedWith{};

void restoreInChild() {
    ::setrlimit(RLIMIT_NOFILE, &startedWith);
}

}  // namespace

uint64_t raisedSoftLimit(DescriptorLimit limit, uint64_t ceiling) {
    return std::max(limit.soft, std::min(limit.hard, ceiling));
}

uint64_t descriptorsLeft(uint64_t soft, const std::vector<int>& open) {
    const auto taken = static_cast<uint64_t>(std::count_if(
        open.begin(), open.end(), [soft](int fd) { return fd >= 0 && static_cast<uint64_t>(fd) < soft; }));
    return soft > taken ? soft - taken : 0;
}

std::string descriptorShortage(uint64_t left, uint64_t needed, DescriptorLimit limit) {
    if (left >= needed) return {};
    return "too few file descriptors: " + std::to_string(left) + " more can be opened under the limit of " +
           countText(limit.soft) + " (ulimit -n; hard limit " + countText(limit.hard) + "), and a run needs " +
           std::to_string(needed) + "; start it with a higher limit";
}

std::string raiseDescriptorLimit(uint64_t needed) {
    rlimit now{};
    if (::getrlimit(RLIMIT_NOFILE, &now) != 0) return {};
    DescriptorLimit limit{now.rlim_cur, now.rlim_max};
    const uint64_t wanted = raisedSoftLimit(limit, kernelCeiling());
    if (wanted > limit.soft) {
        rlimit raised = now;
        raised.rlim_cur = wanted;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) {
            startedWith = now;
            limit.soft = wanted;
            // Run in the child of every fork, before it starts another program (the file
            // manager through xdg-open, dbus-launch).
            static const bool restoring = ::pthread_atfork(nullptr, nullptr, restoreInChild) == 0;
            (void)restoring;
        }
    }
    return descriptorShortage(descriptorsLeft(limit.soft, openDescriptors()), needed, limit);
}

DescriptorReserve::DescriptorReserve(int count) {
    for (int i = 0; i < count; ++i) {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (fd < 0) break;
        held_.push_back(fd);
    }
}

DescriptorReserve::~DescriptorReserve() {
    release();
}

void DescriptorReserve::release() {
    for (int fd : held_) ::close(fd);
    held_.clear();
}

}  // namespace app
