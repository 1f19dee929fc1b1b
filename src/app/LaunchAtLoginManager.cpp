#include "app/LaunchAtLoginManager.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <string>
#include <system_error>

#include "app/AutostartExec.h"
#include "platform/storage/AtomicFile.h"
#include "platform/storage/FileAsRead.h"
#include "platform/storage/RegularFile.h"

namespace app {
namespace fs = std::filesystem;
namespace {

// Our entry is ten lines; one edited by hand is still a few hundred bytes.
constexpr uint64_t kMaxEntrySize = 1 << 20;

std::optional<fs::path>& directoryOverride() {
    static std::optional<fs::path> directory;
    return directory;
}

std::optional<fs::path>& programLinkOverride() {
    static std::optional<fs::path> link;
    return link;
}

// The link that names this program's file.
fs::path programLink() {
    return programLinkOverride().value_or("/proc/self/exe");
}

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

fs::path autostartDirectory() {
    if (directoryOverride()) return *directoryOverride();
    // XDG base-directory rules ignore relative values.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return fs::path(config) / "autostart";
    return homeFolder() / ".config" / "autostart";
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Whether the [Desktop Entry] group tells the session to skip the entry.
bool isSkipped(std::istream& in) {
    bool inEntryGroup = false;
    std::string line;
    while (std::getline(in, line)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inEntryGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntryGroup) continue;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = trimmed(line.substr(0, eq));
        const std::string value = trimmed(line.substr(eq + 1));
        if (key == "Hidden" && value == "true") return true;
        if (key == "X-GNOME-Autostart-enabled" && value == "false") return true;
    }
    return false;
}

std::string describe(const std::string& what, const fs::path& path, const std::error_code& error) {
    return what + " " + path.string() + ": " + error.message();
}

fs::path runningExecutable() {
    std::error_code error;
    fs::path executable = fs::read_symlink(programLink(), error);
    if (error)
        throw LaunchAtLoginError(
            describe("Cannot tell where this program is installed: reading", programLink(), error));
    // A program file replaced or removed while it runs shows up as "... (deleted)".
    if (!fs::is_regular_file(executable, error))
        throw LaunchAtLoginError("This program's file " + executable.string() +
                                 " no longer exists; start the installed program and try again");
    return executable;
}

// Whether nothing is at `path` any more; a path that cannot be looked at may still be there.
bool isGone(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

void registerItem() {
    const fs::path executable = runningExecutable();
    const fs::path file = LaunchAtLoginManager::autostartFilePath();
    std::error_code error;
    fs::create_directories(file.parent_path(), error);
    if (error) throw LaunchAtLoginError(describe("Could not create the autostart folder", file.parent_path(), error));
    error = platform::writeFileAtomically(file, LaunchAtLoginManager::desktopEntry(executable));
    if (error) throw LaunchAtLoginError(describe("Could not write the autostart entry", file, error));
}

std::function<void()>& beforeReplacingEntry() {
    static std::function<void()> hook;
    return hook;
}

// Replaces the entry with `text`, same mode, unless it is not ours to change or changed since it
// was read; answers whether it did.
bool rewriteEntry(const platform::FileAsRead& entry, const std::string& text) {
    // A text cut mid-line is another program's still being written where no lease shows it, or
    // an odd one: the next start tries again.
    if (!entry.isOursToChange() || !entry.text()->ends_with('\n')) return false;
    const auto error = entry.replaceIfUnchanged(text, beforeReplacingEntry());
    if (error == std::errc::operation_canceled) return false;
    if (error) throw LaunchAtLoginError(describe("Could not rewrite the autostart entry", entry.path(), error));
    return true;
}

void unregisterItem() {
    const fs::path file = LaunchAtLoginManager::autostartFilePath();
    std::error_code error;
    fs::remove(file, error);
    if (error) throw LaunchAtLoginError(describe("Could not remove the autostart entry", file, error));
}

}  // namespace

fs::path LaunchAtLoginManager::autostartFilePath() {
    return autostartDirectory() / desktopFileName;
}

std::string LaunchAtLoginManager::desktopEntry(const fs::path& executable) {
    std::ostringstream out;
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Version=1.4\n"
        << "Name=Tuftle\n"
        << "Name[zh_CN]=栗丸\n"
        << "Comment=Two small pets that keep you company on the desktop\n"
        << "Exec=" << execArgument(executable.string()) << " " << loginStartArgument << "\n"
        << "Icon=tuftle\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    return out.str();
}

LoginItemStatus LaunchAtLoginManager::status() {
    // What is no readable entry starts nothing at login.
    const auto found = platform::readRegularFile(autostartFilePath(), kMaxEntrySize, platform::OversizedFile::refuse);
    if (!found.ok()) return LoginItemStatus::notRegistered;
    std::istringstream in(found.bytes);
    return isSkipped(in) ? LoginItemStatus::notRegistered : LoginItemStatus::enabled;
}

void LaunchAtLoginManager::setEnabled(bool enabled) {
    const bool isEnabled = status() == LoginItemStatus::enabled;
    if (enabled == isEnabled) return;
    if (enabled)
        registerItem();
    else
        unregisterItem();
}

std::optional<fs::path> LaunchAtLoginManager::followMovedProgram() {
    const platform::FileAsRead entry(autostartFilePath(), kMaxEntrySize);
    if (!entry.text()) return std::nullopt;
    const auto named = execProgram(*entry.text());
    if (!named) return std::nullopt;
    const fs::path program = *named;
    std::error_code error;
    const fs::path self = fs::read_symlink(programLink(), error);
    // Only an entry that started this program by its own name: any other is the user's.
    if (error || !program.is_absolute() || program.filename() != self.filename() || !isGone(program) || isGone(self))
        return std::nullopt;
    if (!rewriteEntry(entry, *withExecProgram(*entry.text(), self))) return std::nullopt;
    return program;
}

bool LaunchAtLoginManager::markLoginStart() {
    const platform::FileAsRead entry(autostartFilePath(), kMaxEntrySize);
    if (!entry.text()) return false;
    const auto named = execProgram(*entry.text());
    std::error_code error;
    // Only this very program knows the mark: an older one elsewhere would refuse to start.
    if (!named || !fs::path(*named).is_absolute() || !fs::equivalent(*named, programLink(), error)) return false;
    const auto marked = withOnlyArgument(*entry.text(), loginStartArgument);
    return marked && rewriteEntry(entry, *marked);
}

void LaunchAtLoginManager::setAutostartDirectoryForTesting(std::optional<fs::path> directory) {
    directoryOverride() = std::move(directory);
}

void LaunchAtLoginManager::setProgramLinkForTesting(std::optional<fs::path> link) {
    programLinkOverride() = std::move(link);
}

void LaunchAtLoginManager::setBeforeReplacingEntryForTesting(std::function<void()> hook) {
    beforeReplacingEntry() = std::move(hook);
}

}  // namespace app
