// This program as a user the test becomes meets it. Run as root, the test program may lie where
// only root can enter (a clone in /root), out of that user's reach, so the autostart code takes a
// stand-in of the same name, in a folder of the test's own that every user can pass, for it.
#pragma once

#include <filesystem>
#include <optional>

#include "TestFiles.h"
#include "app/LaunchAtLoginManager.h"

namespace app::testing {

class ProgramStandIn {
public:
    // `folder` is the test's own and open to pass through.
    explicit ProgramStandIn(const std::filesystem::path& folder) {
        namespace fs = std::filesystem;
        const fs::path bin = folder / "bin";
        path_ = bin / fs::read_symlink("/proc/self/exe").filename();
        testfiles::writeFile(path_, "#!/bin/sh\n");
        // Whatever the umask: the user the test becomes reads it and passes through.
        fs::permissions(bin, fs::perms(0755));
        fs::permissions(path_, fs::perms(0755));
        fs::create_symlink(path_, folder / "exe");
        LaunchAtLoginManager::setProgramLinkForTesting(folder / "exe");
    }
    ~ProgramStandIn() { LaunchAtLoginManager::setProgramLinkForTesting(std::nullopt); }
    ProgramStandIn(const ProgramStandIn&) = delete;
    ProgramStandIn& operator=(const ProgramStandIn&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace app::testing
