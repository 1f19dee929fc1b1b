#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Short one-line text records appended to a store. A kill loses at most the append under way:
// a record torn or garbled on disk, and whatever follows it, reads as absent.
class AppendJournal {
public:
    virtual ~AppendJournal() = default;
    // The intact records, oldest first.
    virtual std::vector<std::string> records() const = 0;
    // Adds the records (no line breaks inside) and waits until they are on disk.
    virtual bool append(const std::vector<std::string>& records) = 0;
    // Forgets every record.
    virtual bool clear() = 0;
};

// A journal in one file: each record a line with its checksum, synced on every append, so a
// few dozen bytes reach the disk where rewriting a whole file would take its whole size.
class FileJournal final : public AppendJournal {
public:
    explicit FileJournal(std::filesystem::path file);

    std::vector<std::string> records() const override;
    bool append(const std::vector<std::string>& records) override;
    bool clear() override;

    const std::filesystem::path& path() const { return file_; }

    // The line stored for a record.
    static std::string encodeLine(const std::string& record);

private:
    // The intact records and the length of the file they fill.
    std::vector<std::string> read(size_t& intactLength) const;

    std::filesystem::path file_;
    // The length of the file after this journal's last write: no tail to check then.
    long long knownLength_ = -1;
};

class MemoryJournal final : public AppendJournal {
public:
    std::vector<std::string> records() const override { return records_; }
    bool append(const std::vector<std::string>& records) override;
    bool clear() override;

    int appends = 0;
    int clears = 0;

private:
    std::vector<std::string> records_;
};

}  // namespace platform
