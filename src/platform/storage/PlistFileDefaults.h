#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/Defaults.h"
#include "platform/MainLoop.h"

namespace platform {

// The user defaults kept in one XML property list file. Changes reach the file about a
// second after the first of them, on flush() and on destruction, always through a temp file
// that is synced and renamed over the old one, so a crash never leaves a torn file. A failed
// write is tried again a second later. Whatever is found at the path, the store starts: an
// unreadable file is kept aside, and one it may not read or replace (no permission, a folder,
// a device) is left alone and never written in this run.
class PlistFileDefaults final : public Defaults {
public:
    // readOnly: another instance may be writing the file; this store reads it and writes, moves
    // or removes nothing.
    enum class Access { readWrite, readOnly };

    PlistFileDefaults(std::filesystem::path file, MainLoop& loop, Access access = Access::readWrite);
    ~PlistFileDefaults() override;
    PlistFileDefaults(const PlistFileDefaults&) = delete;
    PlistFileDefaults& operator=(const PlistFileDefaults&) = delete;

    // $XDG_CONFIG_HOME/tuftle/defaults.plist, or ~/.config/tuftle/defaults.plist.
    static std::filesystem::path standardPath();

    std::optional<PlistValue> object(const std::string& key) const override;
    void set(const std::string& key, PlistValue value) override;
    void remove(const std::string& key) override;
    bool flush() override;

    // The file written: the given path, or the file its symbolic links lead to.
    const std::filesystem::path& path() const { return file_; }
    // Where an unreadable file found at load was moved to.
    std::optional<std::filesystem::path> movedAsidePath() const { return movedAside_; }
    // False when the file found at load is left alone for this run.
    bool savesChanges() const { return writable_; }
    // Why changes do not reach the file: the file is left alone, or a write failed (until one
    // succeeds); empty otherwise, and in read-only access, whose reason is the caller's.
    const std::string& problem() const { return problem_; }
    // Called when a write fails after writes succeeded or were not tried yet.
    std::function<void()> onProblem;
    // Why the last write failed (an errno value), 0 after a success.
    int lastWriteError() const { return lastWriteError_; }
    // The keys changed since the file was last written, sorted.
    std::vector<std::string> unsavedKeys() const { return {unsaved_.begin(), unsaved_.end()}; }

    // Test hook: writes the temp file of a save and stops short of the rename, as a writer
    // killed at that moment would. Returns the temp file, or nullopt when it could not be written.
    std::optional<std::filesystem::path> writeTempFileOnlyForTesting() { return writeTempFile(); }

private:
    void load();
    void leaveAlone(const std::string& why);
    void keepAside();
    void removeStaleTempFiles() const;
    void changed();
    void scheduleWrite();
    std::optional<std::filesystem::path> writeTempFile();
    bool write();

    std::filesystem::path file_;
    MainLoop& loop_;
    PlistValue::Dictionary values_;
    std::optional<std::filesystem::path> movedAside_;
    bool writable_ = true;
    bool readOnly_ = false;
    std::set<std::string> unsaved_;
    bool dirty_ = false;
    bool failureReported_ = false;
    std::string problem_;
    int lastWriteError_ = 0;
    // The last failed write's cause, with the path it concerns.
    std::string writeFailure_;
    // Set while a delayed write is due; that write does nothing once flush() or the destructor drops it.
    std::shared_ptr<char> pendingWrite_;
};

}  // namespace platform
