#pragma once

#include <filesystem>

namespace platform {

// The desktop's handling of documents.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens the file with the program the desktop uses for its type; false when none could
    // be started.
    virtual bool openFile(const std::filesystem::path& file) = 0;
    // Shows the file selected in the file manager, or else opens its folder; never runs it.
    virtual void revealFile(const std::filesystem::path& file) = 0;
};

}  // namespace platform
