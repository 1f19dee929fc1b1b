#include "platform/program/ResourceBundle.h"

#include <plist/plist.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/storage/RegularFile.h"

namespace platform {
namespace fs = std::filesystem;

namespace {

// A bundle's Info.plist names a few strings.
constexpr uint64_t kMaxInfoSize = 1 << 20;

}  // namespace

std::vector<fs::path> ResourceBundle::candidateDirectories() {
    std::vector<fs::path> dirs;
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return dirs;
    // Beside the program in the build tree; in the share folder of an installed tree, wherever
    // the tree was installed or moved to.
    dirs.push_back(exe.parent_path());
    dirs.push_back((exe.parent_path() / TUFTLE_BUNDLE_FROM_BINDIR).lexically_normal());
    return dirs;
}

std::optional<ResourceBundle> ResourceBundle::find(std::vector<fs::path>* searched) {
    for (const auto& dir : candidateDirectories()) {
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) continue;
        fs::path candidate = dir / bundleName;
        if (searched) searched->push_back(candidate);
        if (fs::is_directory(candidate, ec)) return ResourceBundle(candidate);
    }
    return std::nullopt;
}

const ResourceBundle& ResourceBundle::module() {
    static const ResourceBundle bundle = [] {
        std::vector<fs::path> searched;
        if (auto found = find(&searched)) return *found;
        std::fprintf(stderr, "tuftle: unable to find bundle named Tuftle_Tuftle (searched:");
        for (const auto& p : searched) std::fprintf(stderr, " %s", p.c_str());
        std::fprintf(stderr, ")\n");
        std::fflush(stderr);
        // A broken installation: leave quietly, without a crash dump or exit handlers of a
        // half-started program.
        std::_Exit(3);
    }();
    return bundle;
}

std::optional<fs::path> ResourceBundle::path(const std::string& relative) const {
    fs::path p = root_ / relative;
    std::error_code ec;
    if (fs::is_regular_file(p, ec)) return p;
    return std::nullopt;
}

std::vector<std::string> ResourceBundle::localizations() const {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root_, ec)) {
        const std::string name = entry.path().filename().string();
        const std::string suffix = ".lproj";
        if (entry.is_directory() && name.size() > suffix.size() && name.ends_with(suffix))
            out.push_back(name.substr(0, name.size() - suffix.size()));
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::optional<std::string> ResourceBundle::infoString(const std::string& key) const {
    const auto found = readRegularFile(root_ / "Info.plist", kMaxInfoSize, OversizedFile::refuse);
    if (!found.ok()) return std::nullopt;
    const std::string& xml = found.bytes;
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &root);
    if (!root) return std::nullopt;
    std::optional<std::string> result;
    if (plist_get_node_type(root) == PLIST_DICT) {
        plist_t node = plist_dict_get_item(root, key.c_str());
        if (node && plist_get_node_type(node) == PLIST_STRING) {
            char* s = nullptr;
            plist_get_string_val(node, &s);
            if (s) {
                result = std::string(s);
                std::free(s);
            }
        }
    }
    plist_free(root);
    return result;
}

}  // namespace platform
