#include "ModuleLoader.h"

#include <filesystem>
#include <vector>

namespace app::modules {

namespace {

std::vector<std::unique_ptr<platform::ModuleFile>>& loadedModules() {
    static std::vector<std::unique_ptr<platform::ModuleFile>> modules;
    return modules;
}

}  // namespace

platform::ModuleFile& loadModule(const char* file, platform::ModuleFile::Symbols symbols) {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto path = (ec ? std::filesystem::path() : exe.parent_path()) / file;
    return *loadedModules().emplace_back(
        std::make_unique<platform::ModuleFile>(path.string(), std::string(builtModuleIdentity(file)), symbols));
}

}  // namespace app::modules
