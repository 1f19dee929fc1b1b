#include "platform/storage/PlistFileDefaults.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/storage/PlistXml.h"
#include "platform/storage/RegularFile.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A settings file is a few kilobytes; years of history make it a few hundred.
constexpr uint64_t kMaxFileSize = 64 * 1024 * 1024;
constexpr double kWriteDelay = 1.0;  // s
constexpr const char* kTempInfix = ".tmp-";

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// Missing folders are made private (0700), as XDG asks of configuration folders. Answers the
// errno of the first folder that could not be made, and that folder in `failed`; 0 otherwise.
int makeFolders(const fs::path& dir, fs::path& failed) {
    std::error_code ec;
    if (fs::is_directory(dir, ec)) return 0;
    if (dir.has_parent_path() && dir.parent_path() != dir)
        if (const int error = makeFolders(dir.parent_path(), failed)) return error;
    if (::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) return 0;
    failed = dir;
    return errno;
}

// Writes and syncs `bytes` into a new file at `path`; answers 0 or the errno of the failure.
int writeSynced(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return errno;
    int error = 0;
    for (size_t done = 0; done < bytes.size() && !error;) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n >= 0)
            done += static_cast<size_t>(n);
        else if (errno != EINTR)
            error = errno;
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    return error;
}

void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems cannot sync a folder; the rename has happened either way
    ::close(fd);
}

fs::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return ".";
}

}  // namespace

PlistFileDefaults::PlistFileDefaults(std::filesystem::path file, MainLoop& loop, Access access)
    : file_(std::move(file)), loop_(loop), writable_(access == Access::readWrite), readOnly_(access == Access::readOnly) {
    load();
}

PlistFileDefaults::~PlistFileDefaults() {
    flush();
}

fs::path PlistFileDefaults::standardPath() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const fs::path base = xdg && *xdg && fs::path(xdg).is_absolute() ? fs::path(xdg) : homeFolder() / ".config";
    return base / "tuftle" / "defaults.plist";
}

void PlistFileDefaults::load() {
    // A user who keeps the file elsewhere through a link keeps it there: writes go to the target.
    const auto target = resolveLinks(file_);
    if (!target) {
        leaveAlone("is a loop of symbolic links");
        return;
    }
    file_ = *target;
    // A temp file of another instance may be in use when this one may not write.
    if (!readOnly_) removeStaleTempFiles();

    const FileRead found = readRegularFile(file_, kMaxFileSize, OversizedFile::refuse);
    switch (found.outcome) {
        case FileRead::Outcome::missing: return;  // nothing saved yet
        case FileRead::Outcome::read:
            if (auto values = plistxml::parse(found.bytes)) {
                values_ = std::move(*values);
                return;
            }
            break;
        case FileRead::Outcome::notRegular:
        case FileRead::Outcome::tooLarge: break;
        // What may still read fine another time, or is no file at all, stays where it is.
        case FileRead::Outcome::folder:
        case FileRead::Outcome::device:
        case FileRead::Outcome::failed: leaveAlone(found.why()); return;
    }
    keepAside();
}

void PlistFileDefaults::leaveAlone(const std::string& why) {
    // Writing would replace what the user may still want, or fail the same way each second.
    writable_ = false;
    if (readOnly_) return;  // the reason nothing is written was given already
    problem_ = file_.string() + " " + why;
    std::fprintf(stderr,
                 "tuftle: defaults file %s %s; it is left as it is and this run starts from defaults without saving\n",
                 file_.c_str(), why.c_str());
}

void PlistFileDefaults::keepAside() {
    if (readOnly_) {
        std::fprintf(stderr, "tuftle: defaults file %s is unreadable; this run starts from defaults\n", file_.c_str());
        return;
    }
    // Never overwrite what cannot be read: keep it beside the store under a name of its own.
    std::error_code ec;
    const auto c = calendar::localComponents(loop_.now());
    char stamp[96];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", c.year, c.month, c.day, c.hour, c.minute, c.second);
    const fs::path base = file_.string() + ".corrupt-" + stamp;
    fs::path aside = base;
    for (int n = 2; fs::exists(fs::symlink_status(aside, ec)); ++n) aside = base.string() + "-" + std::to_string(n);
    fs::rename(file_, aside, ec);
    if (ec) {
        leaveAlone("is unreadable and could not be kept aside (" + ec.message() + ")");
        return;
    }
    movedAside_ = aside;
    std::fprintf(stderr, "tuftle: defaults file %s is unreadable; kept as %s, starting from defaults\n", file_.c_str(),
                 aside.c_str());
}

void PlistFileDefaults::removeStaleTempFiles() const {
    // Only one instance runs at a time: a temp file found now is a killed writer's.
    const std::string prefix = file_.filename().string() + kTempInfix;
    DIR* dir = ::opendir(folderOf(file_).c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0) ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

std::optional<PlistValue> PlistFileDefaults::object(const std::string& key) const {
    auto it = values_.find(key);
    if (it == values_.end()) return std::nullopt;
    return it->second;
}

void PlistFileDefaults::set(const std::string& key, PlistValue value) {
    auto it = values_.find(key);
    if (it != values_.end() && it->second == value) return;
    values_.insert_or_assign(key, std::move(value));
    unsaved_.insert(key);
    changed();
}

void PlistFileDefaults::remove(const std::string& key) {
    if (values_.erase(key) == 0) return;
    unsaved_.insert(key);
    changed();
}

void PlistFileDefaults::changed() {
    dirty_ = true;
    scheduleWrite();
}

void PlistFileDefaults::scheduleWrite() {
    if (pendingWrite_ || !writable_) return;
    pendingWrite_ = std::make_shared<char>();
    loop_.after(kWriteDelay, [this, due = std::weak_ptr<char>(pendingWrite_)] {
        if (due.expired()) return;
        pendingWrite_.reset();
        if (write()) return;
        // Said once while it keeps failing; a full disk or a read-only folder may come back.
        if (!failureReported_) {
            std::fprintf(stderr, "tuftle: could not save defaults to %s: %s; trying again\n", file_.c_str(),
                         writeFailure_.c_str());
            problem_ = writeFailure_;
            if (onProblem) onProblem();
        }
        failureReported_ = true;
        scheduleWrite();
    });
}

bool PlistFileDefaults::flush() {
    pendingWrite_.reset();
    if (!dirty_ || !writable_) return true;
    if (write()) return true;
    scheduleWrite();
    return false;
}

std::optional<fs::path> PlistFileDefaults::writeTempFile() {
    // The cause is the folder's, not the file's it would hold.
    fs::path unmade;
    if (const int error = makeFolders(folderOf(file_), unmade)) {
        lastWriteError_ = error;
        writeFailure_ = "cannot make the folder " + unmade.string() + ": " + std::strerror(error);
        return std::nullopt;
    }
    fs::path temp = file_.string() + kTempInfix + std::to_string(::getpid());
    if (const int error = writeSynced(temp, plistxml::serialize(values_))) {
        ::unlink(temp.c_str());
        lastWriteError_ = error;
        writeFailure_ = file_.string() + ": " + std::strerror(error);
        return std::nullopt;
    }
    return temp;
}

bool PlistFileDefaults::write() {
    const auto temp = writeTempFile();
    if (!temp) return false;
    if (::rename(temp->c_str(), file_.c_str()) != 0) {
        lastWriteError_ = errno;
        writeFailure_ = file_.string() + ": " + std::strerror(lastWriteError_);
        ::unlink(temp->c_str());
        return false;
    }
    syncFolder(folderOf(file_));
    dirty_ = false;
    unsaved_.clear();
    failureReported_ = false;
    problem_.clear();
    lastWriteError_ = 0;
    return true;
}

}  // namespace platform
