#include "platform/program/ModuleFile.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

#include "platform/HexString.h"
#include "platform/storage/RegularFile.h"

namespace platform {
namespace {

using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);
using Section = ElfW(Shdr);

constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kNativeOrder = __BYTE_ORDER == __LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
// Notes hold a few ids; more than this is no note segment the linker wrote.
constexpr uint64_t kMaxNotesSize = 1 << 16;
// What a copy reads and writes at a time; the first holds a module's headers.
constexpr uint64_t kCopyChunk = 1 << 16;
// Our modules are a few megabytes, tens unstripped; a larger file is no module of ours, and its
// copy would take as much memory.
constexpr uint64_t kMaxModuleSize = uint64_t{1} << 30;
// Linux 6.3 and later: a memory file that can never be made executable (those before refuse the flag).
constexpr unsigned kNoExecSeal = 0x0008U;

bool within(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

// Whether a table of `count` entries of `entrySize` bytes at `offset` lies within `size`; a count
// read from the file may be anything, so the table's length is never multiplied out first.
bool tableWithin(uint64_t offset, uint64_t count, uint64_t entrySize, uint64_t size) {
    return offset <= size && count <= (size - offset) / entrySize;
}

// Reads `length` bytes at `offset` into `into` (null: reads and drops them); 0 or the errno, EIO
// for a file that ends early.
int readAt(int fd, void* into, uint64_t length, uint64_t offset) {
    std::vector<char> scratch(into ? 0 : 1 << 16);
    auto* out = static_cast<char*>(into);
    while (length > 0) {
        const size_t chunk = out ? length : std::min<uint64_t>(length, scratch.size());
        const ssize_t n = ::pread(fd, out ? out : scratch.data(), chunk, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        length -= static_cast<uint64_t>(n);
        offset += static_cast<uint64_t>(n);
        if (out) out += n;
    }
    return 0;
}

template <typename T>
int readTable(int fd, std::vector<T>& table, uint64_t count, uint64_t offset) {
    table.resize(count);
    return readAt(fd, table.data(), count * sizeof(T), offset);
}

// The GNU build id among the notes of one note segment, or empty.
std::string buildIdIn(const std::vector<unsigned char>& notes, uint64_t alignment) {
    const auto align = [alignment](uint64_t n) { return (n + alignment - 1) / alignment * alignment; };
    for (uint64_t at = 0; within(at, sizeof(ElfW(Nhdr)), notes.size());) {
        ElfW(Nhdr) note;
        std::memcpy(&note, notes.data() + at, sizeof note);
        const uint64_t name = at + sizeof note;
        const uint64_t desc = name + align(note.n_namesz);
        if (!within(desc, note.n_descsz, notes.size())) return {};
        if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && std::memcmp(notes.data() + name, "GNU", 4) == 0)
            return hexString(notes.data() + desc, note.n_descsz);
        at = desc + align(note.n_descsz);
    }
    return {};
}

Reason unreadable(int error) {
    return FileRead::reasonNotRead(FileRead::Outcome::failed, error);
}

Reason notRegular() {
    return FileRead::reasonNotRead(FileRead::Outcome::notRegular, 0);
}

Reason incomplete(uint64_t size) {
    return Reason("is cut short or damaged ({0} bytes)", {static_cast<long long>(size)});
}

// What dlopen reads first: the ELF header and the segment table.
struct Layout {
    uint64_t size = 0;
    Header header{};
    std::vector<Segment> segments;
};

Reason readLayout(int fd, Layout& layout) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return unreadable(errno);
    if (!S_ISREG(st.st_mode)) return notRegular();
    const auto size = layout.size = static_cast<uint64_t>(st.st_size);
    auto& header = layout.header;
    if (size < sizeof header) return incomplete(size);
    if (const int error = readAt(fd, &header, sizeof header, 0)) return unreadable(error);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != kNativeClass ||
        header.e_ident[EI_DATA] != kNativeOrder || header.e_type != ET_DYN)
        return Reason("is not a shared library for this system");
    if (header.e_phentsize != sizeof(Segment) || header.e_phnum == 0 ||
        !tableWithin(header.e_phoff, header.e_phnum, sizeof(Segment), size))
        return incomplete(size);
    if (const int error = readTable(fd, layout.segments, header.e_phnum, header.e_phoff)) return unreadable(error);
    for (const auto& segment : layout.segments)
        if (!within(segment.p_offset, segment.p_filesz, size)) return incomplete(size);
    return {};
}

// The file's build id, or empty.
std::string buildIdOf(int fd, const Layout& layout) {
    for (const auto& segment : layout.segments) {
        if (segment.p_type != PT_NOTE || segment.p_filesz > kMaxNotesSize) continue;
        std::vector<unsigned char> notes;
        if (readTable(fd, notes, segment.p_filesz, segment.p_offset) != 0) return {};
        if (auto id = buildIdIn(notes, segment.p_align == 8 ? 8 : 4); !id.empty()) return id;
    }
    return {};
}

Reason notCopied(int error) {
    return Reason("cannot be copied into memory ({0})", {std::string(std::strerror(error))});
}

// Copies bytes `at` to `end` of `in` to the same place in `out`, or up to where `in` ends: `at`
// says how far. Empty, or the problem.
Reason copyRange(int in, int out, uint64_t& at, uint64_t end) {
    std::vector<char> buffer(std::min<uint64_t>(end - at, kCopyChunk));
    while (at < end) {
        const ssize_t n =
            ::pread(in, buffer.data(), std::min<uint64_t>(end - at, buffer.size()), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return unreadable(errno);
        if (n == 0) return {};
        for (ssize_t written = 0; written < n;) {
            const ssize_t w = ::pwrite(out, buffer.data() + written, static_cast<size_t>(n - written),
                                       static_cast<off_t>(at) + written);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return notCopied(w < 0 ? errno : EIO);
            written += w;
        }
        at += static_cast<uint64_t>(n);
    }
    return {};
}

// What of a module's file of `size` bytes neither dlopen nor the check reads, by the headers in
// the first `copied` bytes of its copy `copy`: what lies between the end of its segments and its
// section table (the symbols and debug information of a build not stripped). From `size` to
// `size` where the headers lie further; all after the headers when they fail the check already.
std::pair<uint64_t, uint64_t> unreadPart(int copy, uint64_t copied, uint64_t size) {
    Layout layout;
    if (!readLayout(copy, layout).empty()) return {copied, size};
    if (layout.header.e_phoff + layout.segments.size() * sizeof(Segment) > copied) return {size, size};
    uint64_t from = copied;
    for (const auto& segment : layout.segments)
        if (segment.p_type == PT_LOAD || segment.p_type == PT_NOTE)
            from = std::max(from, segment.p_offset + segment.p_filesz);
    return {from, std::clamp<uint64_t>(layout.header.e_shoff, from, size)};
}

// Copies what dlopen and the check read of the open file `in` into `out`, the rest reading as
// zeros; a file that ends early as it is read gives a copy as short. Empty, or the problem.
Reason copyModule(int in, int out, uint64_t size) {
    if (::ftruncate(out, static_cast<off_t>(size)) != 0) return notCopied(errno);
    // The headers first, which tell what of the rest is read.
    const uint64_t head = std::min(size, kCopyChunk);
    uint64_t at = 0;
    auto problem = copyRange(in, out, at, head);
    if (problem.empty() && at == head) {
        const auto [unreadFrom, unreadTo] = unreadPart(out, head, size);
        problem = copyRange(in, out, at, unreadFrom);
        if (problem.empty() && at == unreadFrom) {
            at = unreadTo;
            problem = copyRange(in, out, at, size);
        }
    }
    if (problem.empty() && at < size && ::ftruncate(out, static_cast<off_t>(at)) != 0) problem = notCopied(errno);
    return problem;
}

// The open file `fd` copied into sealed memory of this process, named `name` there, so that what
// is checked is what loads and no later write reaches it; -1 with `problem` set when it cannot
// be made.
int privateCopy(int fd, const char* name, Reason& problem) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        problem = unreadable(errno);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        problem = notRegular();
        return -1;
    }
    if (static_cast<uint64_t>(st.st_size) > kMaxModuleSize) {
        problem = FileRead::reasonNotRead(FileRead::Outcome::tooLarge, 0);
        return -1;
    }
    // Loading maps the copy; nothing runs it as a program.
    int copy = ::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING | kNoExecSeal);
    if (copy < 0 && errno == EINVAL) copy = ::memfd_create(name, MFD_CLOEXEC | MFD_ALLOW_SEALING);
    if (copy < 0) {
        problem = notCopied(errno);
        return -1;
    }
    problem = copyModule(fd, copy, static_cast<uint64_t>(st.st_size));
    // Written meanwhile, the copy may hold parts of two files.
    struct stat after {};
    if (problem.empty() && (::fstat(fd, &after) != 0 || after.st_size != st.st_size ||
                            after.st_mtim.tv_sec != st.st_mtim.tv_sec || after.st_mtim.tv_nsec != st.st_mtim.tv_nsec))
        problem = incomplete(static_cast<uint64_t>(after.st_size));
    if (problem.empty() && ::fcntl(copy, F_ADD_SEALS, F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE) != 0)
        problem = notCopied(errno);
    if (problem.empty()) return copy;
    ::close(copy);
    return -1;
}

}  // namespace

Reason moduleFileProblem(int fd, std::string_view buildId) {
    Layout layout;
    if (auto problem = readLayout(fd, layout); !problem.empty()) return problem;
    const auto& header = layout.header;
    const auto size = layout.size;

    // The section table comes last in the file: a copy cut anywhere before its end loses it.
    if (header.e_shoff == 0 || header.e_shentsize != sizeof(Section)) return incomplete(size);
    std::vector<Section> sections;
    if (!within(header.e_shoff, sizeof(Section), size)) return incomplete(size);
    if (const int error = readTable(fd, sections, 1, header.e_shoff)) return unreadable(error);
    // Too many sections for the header's field: the count is kept in the first section instead.
    const uint64_t sectionCount = header.e_shnum != 0 ? header.e_shnum : sections[0].sh_size;
    if (sectionCount == 0 || !tableWithin(header.e_shoff, sectionCount, sizeof(Section), size)) return incomplete(size);
    if (const int error = readTable(fd, sections, sectionCount, header.e_shoff)) return unreadable(error);
    for (const auto& section : sections)
        if (section.sh_type != SHT_NOBITS && !within(section.sh_offset, section.sh_size, size)) return incomplete(size);

    // Every page dlopen maps must read: a bad block would fault the first time it runs.
    for (const auto& segment : layout.segments)
        if (segment.p_type == PT_LOAD)
            if (const int error = readAt(fd, nullptr, segment.p_filesz, segment.p_offset)) return unreadable(error);
    if (buildId.empty() || buildIdOf(fd, layout) != buildId) return Reason("is from another build");
    return {};
}

namespace {

// The dynamic loader's own words, which name the file themselves.
Reason systemSays(std::string words) {
    return Reason("{0}", {std::move(words)});
}

}  // namespace

ModuleFile::ModuleFile(std::string path, std::string buildId, Symbols symbols)
    : path_(std::move(path)), buildId_(std::move(buildId)), symbols_(symbols) {}

bool ModuleFile::load(int fd) {
    Reason problem;
    const int copy = privateCopy(fd, std::filesystem::path(path_).filename().c_str(), problem);
    if (copy >= 0) problem = moduleFileProblem(copy, buildId_);
    if (!problem.empty()) {
        error_ = about(problem);
        if (copy >= 0) ::close(copy);
        return false;
    }
    // Bound at once, so a module that does not fit this program fails here and not midway.
    const auto name = "/proc/self/fd/" + std::to_string(copy);
    handle_ = ::dlopen(name.c_str(), RTLD_NOW | (symbols_ == Symbols::local ? RTLD_LOCAL : RTLD_GLOBAL));
    if (!handle_) {
        std::string said = ::dlerror();
        if (said.starts_with(name)) said.replace(0, name.size(), path_);
        error_ = systemSays(std::move(said));
        ::close(copy);
        return false;
    }
    copy_ = copy;
    return true;
}

Reason ModuleFile::about(Reason problem) const {
    return Reason("{0} {1}", {path_, std::move(problem)});
}

void* ModuleFile::symbol(const char* name) {
    error_ = {};
    // A FIFO put in the module's place must not hang the window that asked for it.
    const OpenedFile file(path_, kMaxModuleSize);
    if (!file.ok()) {
        error_ = about(file.outcome() == FileRead::Outcome::missing ? Reason("is missing") : file.reason());
        return nullptr;
    }
    bool usable = handle_ != nullptr;
    if (!usable) {
        usable = load(file.fd());
    } else if (auto problem = moduleFileProblem(file.fd(), buildId_); !problem.empty()) {
        error_ = about(problem);
        usable = false;
    }
    if (!usable) return nullptr;
    void* found = ::dlsym(handle_, name);
    if (!found) error_ = systemSays(::dlerror());
    return found;
}

}  // namespace platform
