#include "platform/ModuleFile.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/HexString.h"

namespace platform {
namespace {

using Header = ElfW(Ehdr);
using Segment = ElfW(Phdr);
using Section = ElfW(Shdr);

constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
constexpr unsigned char kNativeOrder = __BYTE_ORDER == __LITTLE_ENDIAN ? ELFDATA2LSB : ELFDATA2MSB;
// Notes hold a few ids; more than this is no note segment the linker wrote.
constexpr uint64_t kMaxNotesSize = 1 << 16;

bool within(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
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

std::string unreadable(int error) {
    return std::string("cannot be read (") + std::strerror(error) + ")";
}

std::string incomplete(uint64_t size) {
    return "is cut short or damaged (" + std::to_string(size) + " bytes)";
}

// What dlopen reads first: the ELF header and the segment table.
struct Layout {
    uint64_t size = 0;
    Header header{};
    std::vector<Segment> segments;
};

std::string readLayout(int fd, Layout& layout) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return unreadable(errno);
    if (!S_ISREG(st.st_mode)) return "is not a regular file";
    const auto size = layout.size = static_cast<uint64_t>(st.st_size);
    auto& header = layout.header;
    if (size < sizeof header) return incomplete(size);
    if (const int error = readAt(fd, &header, sizeof header, 0)) return unreadable(error);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 || header.e_ident[EI_CLASS] != kNativeClass ||
        header.e_ident[EI_DATA] != kNativeOrder || header.e_type != ET_DYN)
        return "is not a shared library for this system";
    if (header.e_phentsize != sizeof(Segment) || header.e_phnum == 0 ||
        !within(header.e_phoff, uint64_t{header.e_phnum} * sizeof(Segment), size))
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

}  // namespace

std::string moduleFileProblem(int fd, std::string_view buildId) {
    Layout layout;
    if (auto problem = readLayout(fd, layout); !problem.empty()) return problem;
    const auto& header = layout.header;
    const auto size = layout.size;

    // The section table comes last in the file: a copy cut anywhere before its end loses it.
    if (header.e_shoff == 0 || header.e_shentsize != sizeof(Section)) return incomplete(size);
    std::vector<Section> sections;
    if (!within(header.e_shoff, sizeof(Section), size)) return incomplete(size);
    if (const int error = readTable(fd, sections, 1, header.e_shoff)) return unreadable(error);
    const uint64_t sectionCount = header.e_shnum != 0 ? header.e_shnum : sections[0].sh_size;
    if (!within(header.e_shoff, sectionCount * sizeof(Section), size)) return incomplete(size);
    if (const int error = readTable(fd, sections, sectionCount, header.e_shoff)) return unreadable(error);
    for (const auto& section : sections)
        if (section.sh_type != SHT_NOBITS && !within(section.sh_offset, section.sh_size, size)) return incomplete(size);

    // Every page dlopen maps must read: a bad block would fault the first time it runs.
    for (const auto& segment : layout.segments)
        if (segment.p_type == PT_LOAD)
            if (const int error = readAt(fd, nullptr, segment.p_filesz, segment.p_offset)) return unreadable(error);
    if (buildId.empty() || buildIdOf(fd, layout) != buildId) return "is from another build";
    return {};
}

ModuleFile::ModuleFile(std::string path, std::string buildId, Symbols symbols)
    : path_(std::move(path)), buildId_(std::move(buildId)) {
    fd_ = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
        error_ = path_ + ": " + std::strerror(errno);
        return;
    }
    if (auto problem = moduleFileProblem(fd_, buildId_); !problem.empty()) {
        error_ = path_ + " " + problem;
        return;
    }
    struct stat checked {};
    ::fstat(fd_, &checked);
    stamp_ = {checked.st_size, checked.st_mtim};
    // Bound at once, so a module that does not fit this program fails here and not midway.
    void* handle = ::dlopen(path_.c_str(), RTLD_NOW | (symbols == Symbols::local ? RTLD_LOCAL : RTLD_GLOBAL));
    if (!handle) {
        error_ = ::dlerror();
        return;
    }
    struct stat loaded {};
    if (::stat(path_.c_str(), &loaded) != 0 || loaded.st_dev != checked.st_dev || loaded.st_ino != checked.st_ino) {
        error_ = path_ + " was replaced while it loaded";
        return;
    }
    handle_ = handle;
}

bool ModuleFile::stillAsLoaded() {
    // Written over in place (cp empties the file, then writes it), the module's mapped pages,
    // those its relocation made its own included, are read again from what the file holds now:
    // even the same build then runs unrelocated. The time a write leaves moves in clock ticks,
    // so a copy of another build made within the tick of the load shows by its build id.
    struct stat now {};
    Layout layout;
    return ::fstat(fd_, &now) == 0 && now.st_size == stamp_.size && now.st_mtim.tv_sec == stamp_.modified.tv_sec &&
           now.st_mtim.tv_nsec == stamp_.modified.tv_nsec && readLayout(fd_, layout).empty() &&
           buildIdOf(fd_, layout) == buildId_;
}

void* ModuleFile::symbol(const char* name) {
    if (!handle_) return nullptr;
    if (!stillAsLoaded()) {
        error_ = path_ + " was written over while loaded";
        return nullptr;
    }
    error_.clear();
    void* found = ::dlsym(handle_, name);
    if (!found) error_ = ::dlerror();
    return found;
}

}  // namespace platform
