#include "platform/instance/LockHolder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>

namespace platform {
namespace {

std::string commandName(const std::string& process) {
    std::ifstream in("/proc/" + process + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

}  // namespace

std::optional<LockHolder> flockHolder(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return std::nullopt;
    // "1: FLOCK  ADVISORY  WRITE 1234 fe:00:5447681 0 EOF"; a waiter's line has "->" after the number.
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access;
        pid_t pid = 0;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        char colon1 = 0, colon2 = 0;
        fields >> number >> kind >> mode >> access >> pid >> std::hex >> major >> colon1 >> minor >> colon2 >>
            std::dec >> inode;
        if (!fields || kind != "FLOCK" || colon1 != ':' || colon2 != ':' || pid <= 0) continue;
        if (inode != st.st_ino || major != ::major(st.st_dev) || minor != ::minor(st.st_dev)) continue;
        return LockHolder{pid, commandName(std::to_string(pid))};
    }
    return std::nullopt;
}

std::string ownCommandName() {
    return commandName("self");
}

}  // namespace platform
