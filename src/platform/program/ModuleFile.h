#pragma once
// A shared object the program loads while it runs (see app/modules/ModuleLoader.h). dlopen maps
// the file and runs its code at once: a file cut short by a copy in progress faults inside dlopen,
// a module built from other sources than the program faults at its first call, and a file
// written over in place once loaded (cp does that) changes the very pages that run. So what
// dlopen reads of the file is copied into sealed memory of the program's own (the symbols and
// debug information of a build not stripped stay on disk), and that copy, checked to be whole
// and of the build identity the program was linked with, is what loads.

#include <string>
#include <string_view>

#include "platform/Reason.h"

namespace platform {

// Why the open file `fd` may not be loaded by a program linked with a module of build identity
// `buildId` (the hex of its GNU build id), to follow the file's name ("is from another build"),
// or empty when it may: every part of it that dlopen reads or maps lies within the file and reads
// without error.
Reason moduleFileProblem(int fd, std::string_view buildId);

class ModuleFile {
public:
    enum class Symbols { local, sharedWithLaterModules };

    // The module at `path`, loaded at the first call of symbol() its file passes. Never unloaded:
    // objects made by its code live on.
    ModuleFile(std::string path, std::string buildId, Symbols symbols);
    ModuleFile(const ModuleFile&) = delete;
    ModuleFile& operator=(const ModuleFile&) = delete;

    // `name` in the module, or null with error() set when the module lacks it or its file does
    // not pass the check now. Each call checks the file as it is, as the first did: what runs is
    // the copy loaded once, which nothing written to the file since reaches.
    void* symbol(const char* name);
    const Reason& error() const { return error_; }

private:
    bool load(int fd);
    // `problem` said of the module's file by its name.
    Reason about(Reason problem) const;

    std::string path_;
    std::string buildId_;
    Symbols symbols_;
    // Kept open while the copy is loaded: dlopen knows the copy by its number.
    int copy_ = -1;
    void* handle_ = nullptr;
    Reason error_;
};

}  // namespace platform
