#include "ModuleLoader.h"

#include <filesystem>
#include <vector>

#include "model/L10n.h"

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

std::string notLoadedText(const std::string& shownPart, const std::string& error) {
    // A module missing, cut short or of another build is what an update under a running program leaves.
    return model::L10n::format(model::L10n::t("%@无法载入：%@。如果栗丸刚刚更新过，请重新启动它以完成更新。"),
                               {shownPart, error});
}

}  // namespace app::modules
