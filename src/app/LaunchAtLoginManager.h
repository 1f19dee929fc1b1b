#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace app {

// The state of this program's login item.
enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

// Why the login item could not be registered or unregistered; what() describes it to the user.
class LaunchAtLoginError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Starting this program when the user logs in, through an XDG autostart entry:
// "$XDG_CONFIG_HOME/autostart/tuftle.desktop" (~/.config when the variable is unset or not
// absolute) that runs this very executable. The entry is enabled while the file exists and
// the desktop was not told to skip it (Hidden=true, or GNOME's X-GNOME-Autostart-enabled=false).
class LaunchAtLoginManager final {
public:
    LaunchAtLoginManager() = delete;

    static constexpr const char* desktopFileName = "tuftle.desktop";
    // What the entry starts the program with, so that the start leaves one already running (by
    // the restored session) as it is.
    static constexpr const char* loginStartArgument = "--autostart";

    static LoginItemStatus status();
    // Registers or unregisters the login item unless it already is as asked; throws
    // LaunchAtLoginError when that fails. Enabling writes a fresh entry (also over one the
    // desktop hides); disabling removes the file.
    static void setEnabled(bool enabled);

    // When the entry names, by this program's file name, a program that is no longer there (the
    // installed tree was moved), rewrites it to start this program, every other byte and its
    // mode kept, and answers the program it named. Leaves alone a missing entry, one it cannot
    // read, one that is a link (symbolic or hard), one that starts anything else, one of another
    // user or made read-only, one in a folder this user may not write to, one cut mid-line, and
    // one another program changes while it is rewritten. Throws LaunchAtLoginError when the
    // rewrite fails otherwise.
    static std::optional<std::filesystem::path> followMovedProgram();
    // When the entry starts this very program without arguments, as entries written before the
    // login mark did, rewrites it to start it with the mark, every other byte and its mode kept;
    // answers whether it did. Leaves alone what followMovedProgram does. Throws
    // LaunchAtLoginError when the rewrite fails otherwise.
    static bool markLoginStart();

    // The entry's path, read from the environment at each call.
    static std::filesystem::path autostartFilePath();
    // The text of the entry that starts `executable`.
    static std::string desktopEntry(const std::filesystem::path& executable);

    // Tests keep their entries in a folder of their own; nullopt goes back to the user's.
    static void setAutostartDirectoryForTesting(std::optional<std::filesystem::path> directory);
    // A link to the file taken for this program, in place of /proc/self/exe: a test acting as
    // another user names one that user can reach; nullopt goes back to the real one.
    static void setProgramLinkForTesting(std::optional<std::filesystem::path> link);
    // Called as a rewrite is about to replace the entry, where another program could change it.
    static void setBeforeReplacingEntryForTesting(std::function<void()> hook);
};

}  // namespace app
