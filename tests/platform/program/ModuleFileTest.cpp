#include "platform/program/ModuleFile.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <link.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "TestFiles.h"

// Written at build time by cmake/module-build-ids.sh, as for the program, for the test's modules.
namespace app::modules {
std::string_view builtModuleIdentity(std::string_view file);
}

namespace platform {
namespace {

namespace fs = std::filesystem;
using Answer = int (*)();

// The test's two builds of one module, and a stripped copy of the first, as a package has it.
const fs::path kThisBuild = TUFTLE_TEST_MODULE_A;
const fs::path kOtherBuild = TUFTLE_TEST_MODULE_B;
const fs::path kStripped = TUFTLE_TEST_MODULE_A_STRIPPED;
const std::string kThisBuildId(app::modules::builtModuleIdentity(kThisBuild.filename().string()));
const std::string kOtherBuildId(app::modules::builtModuleIdentity(kOtherBuild.filename().string()));

// Writes `bytes` into the file that is already there, as cp and cmake's own install do.
void writeInPlace(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

std::string problemOf(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    auto problem = fd < 0 ? "cannot be opened" : moduleFileProblem(fd, kThisBuildId).english();
    ::close(fd);
    return problem;
}

TEST(ModuleFile, onlyAWholeFileOfThisBuildPassesItsCheck) {
    ASSERT_FALSE(kThisBuildId.empty());
    testfiles::TemporaryFolder folder;
    const auto whole = testfiles::readFile(kThisBuild);
    const auto cut = [&](size_t size) { return whole.substr(0, size); };
    const std::vector<std::tuple<std::string, std::string, std::string>> files = {
        // what, bytes, what the check says ("" for a file that may be loaded)
        {"the module of this build", whole, ""},
        {"the same module stripped", testfiles::readFile(kStripped), ""},
        {"the module of another build", testfiles::readFile(kOtherBuild), "is from another build"},
        {"an empty file", "", "is cut short or damaged (0 bytes)"},
        {"a file cut within the ELF header", cut(20), "is cut short or damaged (20 bytes)"},
        {"a file of just the ELF header", cut(64), "is cut short or damaged (64 bytes)"},
        {"a file cut after its first page", cut(4096), "is cut short or damaged (4096 bytes)"},
        {"a file cut in half", cut(whole.size() / 2), "is cut short or damaged"},
        {"a file one byte short", cut(whole.size() - 1), "is cut short or damaged"},
        {"a text file", "not a module at all, but long enough to hold an ELF header if it were one",
         "is not a shared library for this system"},
    };
    for (const auto& [what, bytes, expected] : files) {
        const auto path = folder / "module.so";
        fs::remove(path);
        testfiles::writeFile(path, bytes);
        const auto problem = problemOf(path);
        EXPECT_EQ(problem.substr(0, expected.size()), expected) << what << ": " << problem;
        EXPECT_EQ(problem.empty(), expected.empty()) << what << ": " << problem;
    }
    EXPECT_EQ(problemOf(folder.path()), "is not a regular file");
}

// A file with more sections than the header's field holds keeps their count in the first
// section's size; a count read there may be anything.
TEST(ModuleFile, aSectionCountKeptInTheFirstSectionIsCheckedAgainstTheFile) {
    testfiles::TemporaryFolder folder;
    const auto whole = testfiles::readFile(kThisBuild);
    ElfW(Ehdr) header;
    std::memcpy(&header, whole.data(), sizeof header);
    const uint64_t realCount = header.e_shnum;
    const uint64_t fitting = (whole.size() - header.e_shoff) / sizeof(ElfW(Shdr));
    const auto countInFirstSection = [&](uint64_t count) {
        std::string bytes = whole;
        ElfW(Ehdr) changed = header;
        changed.e_shnum = 0;
        std::memcpy(bytes.data(), &changed, sizeof changed);
        ElfW(Shdr) first;
        std::memcpy(&first, bytes.data() + header.e_shoff, sizeof first);
        first.sh_size = count;
        std::memcpy(bytes.data() + header.e_shoff, &first, sizeof first);
        return bytes;
    };
    const std::vector<std::tuple<std::string, uint64_t, std::string>> counts = {
        // what, the count in the first section, what the check says
        {"the real count", realCount, ""},
        {"none", 0, "is cut short or damaged"},
        {"one more than the file holds", fitting + 1, "is cut short or damaged"},
        {"a count whose table size wraps to nothing", uint64_t{1} << 58, "is cut short or damaged"},
        {"a count whose table size wraps to a little", (uint64_t{1} << 58) + 1, "is cut short or damaged"},
        {"the largest count", UINT64_MAX, "is cut short or damaged"},
    };
    for (const auto& [what, count, expected] : counts) {
        SCOPED_TRACE(what);
        const auto path = folder / "module.so";
        fs::remove(path);
        testfiles::writeFile(path, countInFirstSection(count));
        const auto problem = problemOf(path);
        EXPECT_EQ(problem.substr(0, expected.size()), expected) << problem;
        EXPECT_EQ(problem.empty(), expected.empty()) << problem;
        ModuleFile module(path.string(), kThisBuildId, ModuleFile::Symbols::local);
        EXPECT_EQ(module.symbol("tuftleTestAnswer") != nullptr, expected.empty()) << module.error();
    }
}

TEST(ModuleFile, aRefusedFileIsNeverLoadedUntilItPasses) {
    testfiles::TemporaryFolder folder;
    const auto path = folder / "module.so";
    fs::copy_file(kOtherBuild, path);
    ModuleFile module(path.string(), kThisBuildId, ModuleFile::Symbols::local);
    EXPECT_EQ(module.symbol("tuftleTestAnswer"), nullptr);
    EXPECT_EQ(module.error().english(), path.string() + " is from another build");
    writeInPlace(path, testfiles::readFile(kThisBuild).substr(0, 4096));
    EXPECT_EQ(module.symbol("tuftleTestAnswer"), nullptr);
    EXPECT_EQ(module.error().english(), path.string() + " is cut short or damaged (4096 bytes)");
    writeInPlace(path, testfiles::readFile(kThisBuild));
    auto* answer = reinterpret_cast<Answer>(module.symbol("tuftleTestAnswer"));
    ASSERT_NE(answer, nullptr) << module.error();
    EXPECT_EQ(answer(), TUFTLE_TEST_ANSWER);
}

TEST(ModuleFile, aLoadedModuleRunsAsLoadedWhateverBecomesOfItsFile) {
    const auto thisBuild = testfiles::readFile(kThisBuild);
    const auto otherBuild = testfiles::readFile(kOtherBuild);
    const std::vector<std::tuple<std::string, std::function<void(const fs::path&)>, std::string>> changes = {
        // what happens to the loaded file, what a later call says of it ("" when it gives the module's code)
        {"nothing", [](const fs::path&) {}, ""},
        // Emptied, a mapped file's pages are read again from it, relocated ones included.
        {"the same build written over it", [&](const fs::path& path) { writeInPlace(path, thisBuild); }, ""},
        {"another build written over it", [&](const fs::path& path) { writeInPlace(path, otherBuild); },
         " is from another build"},
        {"a copy in progress", [&](const fs::path& path) { writeInPlace(path, thisBuild.substr(0, 100)); },
         " is cut short or damaged (100 bytes)"},
        {"another build renamed over it",
         [&](const fs::path& path) {
             testfiles::writeFile(path.string() + ".new", otherBuild);
             fs::rename(path.string() + ".new", path);
         },
         " is from another build"},
        {"removed", [](const fs::path& path) { fs::remove(path); }, " is missing"},
    };
    for (const auto& [what, change, said] : changes) {
        testfiles::TemporaryFolder folder;
        const auto path = folder / "module.so";
        fs::copy_file(kThisBuild, path);
        // In a process of its own: a module that runs what its file became faults.
        EXPECT_EXIT(
            {
                ModuleFile module(path.string(), kThisBuildId, ModuleFile::Symbols::local);
                auto* answer = reinterpret_cast<Answer>(module.symbol("tuftleTestAnswer"));
                if (!answer) std::_Exit(2);
                change(path);
                if (answer() != TUFTLE_TEST_ANSWER) std::_Exit(3);
                const bool given = module.symbol("tuftleTestAnswer") == reinterpret_cast<void*>(answer);
                std::fputs(module.error().english().c_str(), stderr);
                std::_Exit(given ? 0 : 1);
            },
            testing::ExitedWithCode(said.empty() ? 0 : 1), testing::StrEq(said.empty() ? "" : path.string() + said))
            << what;
    }
}

TEST(ModuleFile, nothingChangesTheCopyALoadedModuleRunsFrom) {
    testfiles::TemporaryFolder folder;
    const auto path = folder / "module.so";
    fs::copy_file(kThisBuild, path);
    ModuleFile module(path.string(), kThisBuildId, ModuleFile::Symbols::local);
    Dl_info loaded{};
    ASSERT_NE(::dladdr(module.symbol("tuftleTestAnswer"), &loaded), 0) << module.error();
    const int copy = ::open(loaded.dli_fname, O_RDWR);
    ASSERT_GE(copy, 0) << loaded.dli_fname;
    const std::vector<std::pair<std::string, std::function<bool()>>> changes = {
        {"a write", [&] { return ::pwrite(copy, "x", 1, 0) == 1; }},
        {"cutting it short", [&] { return ::ftruncate(copy, 4096) == 0; }},
        {"making it longer", [&] { return ::ftruncate(copy, 1 << 20) == 0; }},
        {"a shared writable mapping",
         [&] { return ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, copy, 0) != MAP_FAILED; }},
    };
    for (const auto& [what, change] : changes) EXPECT_FALSE(change()) << what << " changed " << loaded.dli_fname;
    ::close(copy);
}

TEST(ModuleFile, modulesLoadedOneAfterAnotherRunTheirOwnCode) {
    testfiles::TemporaryFolder folder;
    fs::copy_file(kThisBuild, folder / "a.so");
    fs::copy_file(kOtherBuild, folder / "b.so");
    ModuleFile first((folder / "a.so").string(), kThisBuildId, ModuleFile::Symbols::local);
    auto* firstAnswer = reinterpret_cast<Answer>(first.symbol("tuftleTestAnswer"));
    ModuleFile second((folder / "b.so").string(), kOtherBuildId, ModuleFile::Symbols::local);
    auto* secondAnswer = reinterpret_cast<Answer>(second.symbol("tuftleTestAnswer"));
    ASSERT_TRUE(firstAnswer && secondAnswer) << first.error() << second.error();
    EXPECT_EQ(firstAnswer(), TUFTLE_TEST_ANSWER);
    EXPECT_EQ(secondAnswer(), TUFTLE_TEST_ANSWER + 1);
}

}  // namespace
}  // namespace platform
