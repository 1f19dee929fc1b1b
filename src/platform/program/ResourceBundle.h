#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The resource bundle "Tuftle_Tuftle.bundle": localisation tables, images, Info.plist.
class ResourceBundle {
public:
    static constexpr const char* bundleName = "Tuftle_Tuftle.bundle";

    explicit ResourceBundle(std::filesystem::path root) : root_(std::move(root)) {}

    // The process's bundle, looked up once on first use: beside the executable, then in the
    // share folder of the tree the executable is installed in. Ends the program with
    // "unable to find bundle named Tuftle_Tuftle" when none exists.
    static const ResourceBundle& module();
    // The lookup without the fatal end: the bundle, or nullopt and the folders searched.
    static std::optional<ResourceBundle> find(std::vector<std::filesystem::path>* searched = nullptr);
    // The candidate folders, in lookup order.
    static std::vector<std::filesystem::path> candidateDirectories();

    const std::filesystem::path& root() const { return root_; }
    // The path of a resource inside the bundle, when that file exists.
    std::optional<std::filesystem::path> path(const std::string& relative) const;
    // The "<lang>.lproj" folder names present, without the suffix ("en", "zh-Hans").
    std::vector<std::string> localizations() const;
    // A string of Info.plist; nullopt when the file or the key is missing or not a string.
    std::optional<std::string> infoString(const std::string& key) const;

private:
    std::filesystem::path root_;
};

}  // namespace platform
