#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/Defaults.h"
#include "platform/MainLoop.h"

namespace platform {

// The user defaults kept in one XML property list file. Changes reach the file about a
// second after the first of them, on flush() and on destruction, always through a temp file
// that is synced and renamed over the old one, so a crash never leaves a torn file.
class PlistFileDefaults final : public Defaults {
public:
    PlistFileDefaults(std::filesystem::path file, MainLoop& loop);
    ~PlistFileDefaults() override;
    PlistFileDefaults(const PlistFileDefaults&) = delete;
    PlistFileDefaults& operator=(const PlistFileDefaults&) = delete;

    // $XDG_CONFIG_HOME/tuftle/defaults.plist, or ~/.config/tuftle/defaults.plist.
    static std::filesystem::path standardPath();

    std::optional<PlistValue> object(const std::string& key) const override;
    void set(const std::string& key, PlistValue value) override;
    void remove(const std::string& key) override;
    bool flush() override;

    // Where an unreadable file found at load was moved to.
    std::optional<std::filesystem::path> movedAsidePath() const { return movedAside_; }

    // Test hook: writes the temp file of a save and stops short of the rename, as a writer
    // killed at that moment would. Returns the temp file, or nullopt when it could not be written.
    std::optional<std::filesystem::path> writeTempFileOnlyForTesting() const { return writeTempFile(); }

private:
    void load();
    void changed();
    std::optional<std::filesystem::path> writeTempFile() const;
    bool write();

    std::filesystem::path file_;
    MainLoop& loop_;
    PlistValue::Dictionary values_;
    std::optional<std::filesystem::path> movedAside_;
    bool dirty_ = false;
    // Set while a delayed write is due; that write does nothing once flush() or the destructor drops it.
    std::shared_ptr<char> pendingWrite_;
};

}  // namespace platform
