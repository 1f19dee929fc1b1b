#include "platform/ModuleFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
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

// Writes `bytes` into the file that is already there, as cp and cmake's own install do.
void writeInPlace(const fs::path& path, const std::string& bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(fd);
}

std::string problemOf(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    auto problem = fd < 0 ? "cannot be opened" : moduleFileProblem(fd, kThisBuildId);
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

TEST(ModuleFile, aRefusedFileIsNeverLoaded) {
    testfiles::TemporaryFolder folder;
    const auto path = folder / "module.so";
    fs::copy_file(kOtherBuild, path);
    ModuleFile module(path.string(), kThisBuildId, ModuleFile::Symbols::local);
    EXPECT_EQ(module.symbol("tuftleTestAnswer"), nullptr);
    EXPECT_EQ(module.error(), path.string() + " is from another build");
}

TEST(ModuleFile, aLoadedModuleIsNoLongerCalledOnceItsFileIsWrittenOverInPlace) {
    const auto thisBuild = testfiles::readFile(kThisBuild);
    const auto otherBuild = testfiles::readFile(kOtherBuild);
    const std::vector<std::tuple<std::string, std::function<void(const fs::path&)>, bool>> changes = {
        // what happens to the loaded file, whether the module may still be called
        {"nothing", [](const fs::path&) {}, true},
        {"another build renamed over it",
         [&](const fs::path& path) {
             testfiles::writeFile(path.string() + ".new", otherBuild);
             fs::rename(path.string() + ".new", path);
         },
         true},
        {"another build written over it", [&](const fs::path& path) { writeInPlace(path, otherBuild); }, false},
        // Emptied, its relocated pages are read again from the file: the same bytes are no longer the same code.
        {"the same build written over it", [&](const fs::path& path) { writeInPlace(path, thisBuild); }, false},
        {"a copy in progress", [&](const fs::path& path) { writeInPlace(path, thisBuild.substr(0, 100)); }, false},
    };
    for (const auto& [what, change, callable] : changes) {
        // A file of its own each time (one that was loaded stays loaded), installed a while ago.
        testfiles::TemporaryFolder folder;
        const auto path = folder / "module.so";
        fs::copy_file(kThisBuild, path);
        fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
        // In a process of its own that ends at once, as the program does after a module was
        // written over: what is mapped of the module must not run, its exit-time code included.
        EXPECT_EXIT(
            {
                ModuleFile module(path.string(), kThisBuildId, ModuleFile::Symbols::local);
                if (!module.symbol("tuftleTestAnswer")) std::_Exit(2);
                change(path);
                const bool writtenOver = module.writtenOver();
                auto* answer = reinterpret_cast<Answer>(module.symbol("tuftleTestAnswer"));
                std::fputs(module.error().c_str(), stderr);
                if (answer && !writtenOver) std::_Exit(answer() == TUFTLE_TEST_ANSWER ? 0 : 4);
                std::_Exit(!answer && writtenOver ? 1 : 3);
            },
            testing::ExitedWithCode(callable ? 0 : 1),
            callable ? "^$" : "^" + path.string() + " was written over while loaded$")
            << what;
    }
}

}  // namespace
}  // namespace platform
