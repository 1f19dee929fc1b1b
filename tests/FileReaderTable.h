// One table for every reader of a file of the program's own: it takes a good file, and answers
// what it answers of an unreadable one, without waiting, for what may be found at its path instead.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace testfiles {

struct FileReader {
    std::string name;
    std::filesystem::path file;                                   // where it reads, under the test's folder
    std::function<void(const std::filesystem::path&)> writeGood;  // a file it takes
    std::function<std::string()> read;  // what it made of the file; "" as of a missing one
};

inline void expectOnlyRegularFilesOfASaneSizeRead(const std::vector<FileReader>& readers) {
    namespace fs = std::filesystem;
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> found = {
        {"a FIFO", [](const fs::path& f) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }},
        {"a folder", [](const fs::path& f) { fs::create_directory(f); }},
        {"a link to /dev/zero", [](const fs::path& f) { fs::create_symlink("/dev/zero", f); }},
        // Sparse: far beyond any file of ours, yet no disk space.
        {"a huge file",
         [](const fs::path& f) {
             writeFile(f, "");
             fs::resize_file(f, uint64_t{8} << 30);
         }},
    };
    for (const auto& reader : readers) {
        SCOPED_TRACE(reader.name);
        fs::create_directories(reader.file.parent_path());
        reader.writeGood(reader.file);
        EXPECT_NE(reader.read(), "") << "a file as written takes";
        for (const auto& [what, make] : found) {
            SCOPED_TRACE(what);
            fs::remove_all(reader.file);
            make(reader.file);
            ::testing::internal::CaptureStderr();
            EXPECT_EQ(readWithoutWaiting(reader.file, reader.read), "") << "nothing if it waited";
            ::testing::internal::GetCapturedStderr();
        }
        fs::remove_all(reader.file);
    }
}

}  // namespace testfiles
