#include "ModuleLoader.h"

#include <dlfcn.h>

#include <filesystem>

namespace app::modules {

LoadedEntry loadEntry(const char* file, const char* entry, Sharing sharing) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto path = (ec ? std::filesystem::path() : exe.parent_path()) / file;
    // Bound at once, so a module that does not fit this program fails here and not midway.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | (sharing == Sharing::none ? RTLD_LOCAL : RTLD_GLOBAL));
    if (!handle) return {nullptr, ::dlerror()};
    void* symbol = ::dlsym(handle, entry);
    if (!symbol) return {nullptr, ::dlerror()};
    return {symbol, {}};  // never unloaded: objects made by it live on
}

}  // namespace app::modules
