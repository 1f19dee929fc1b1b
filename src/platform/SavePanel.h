#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What a save panel asks the user.
struct SavePanelRequest {
    std::string title;
    std::string proposedFileName;
    // File name extensions without the dot ("json"); empty allows any file.
    std::vector<std::string> allowedExtensions;
};

// The desktop's modal "save as" dialog.
class SavePanelRunner {
public:
    virtual ~SavePanelRunner() = default;
    // Runs the panel until the user decides: the chosen file, or nullopt when they cancelled.
    virtual std::optional<std::filesystem::path> runModal(const SavePanelRequest& request) = 0;
};

}  // namespace platform
