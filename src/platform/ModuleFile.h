#pragma once
// A shared object the program loads while it runs (see app/modules/ModuleLoader.h). dlopen maps
// the file and runs its code at once: a file cut short by a copy in progress faults inside dlopen,
// and a module built from other sources than the program faults at its first call. So before
// any of it runs, the file is read and must be whole and carry the build identity the program
// was linked with; a file written over in place while loaded is noticed before the next call.

#include <sys/types.h>

#include <ctime>
#include <string>
#include <string_view>

namespace platform {

// Why the open file `fd` may not be loaded by a program linked with a module of build identity
// `buildId` (the hex of its GNU build id), or empty when it may: every part of it that dlopen
// reads or maps lies within the file and reads without error.
std::string moduleFileProblem(int fd, std::string_view buildId);

class ModuleFile {
public:
    enum class Symbols { local, sharedWithLaterModules };

    // Opens and checks `path`, then loads it; on failure error() says why. Never unloaded:
    // objects made by its code live on.
    ModuleFile(std::string path, std::string buildId, Symbols symbols);
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    // `name` in the module, or null with error() set when the module did not load, lacks it, or
    // may no longer be called: its file was written over in place (a rename leaves the loaded
    // file as it was).
    void* symbol(const char* name);
    const std::string& error() const { return error_; }
    // Whether the module was loaded and its file since written over in place: what is mapped
    // of it is no longer its code as loaded, its own exit-time code included.
    bool writtenOver() { return handle_ && !stillAsLoaded(); }

private:
    struct Stamp {
        off_t size = 0;
        timespec modified{};
    };
    bool stillAsLoaded();

    std::string path_;
    std::string buildId_;
    int fd_ = -1;  // kept open: the loaded file, even once another is renamed over its name
    Stamp stamp_;
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace platform
