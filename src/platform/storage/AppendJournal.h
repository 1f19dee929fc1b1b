#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Short one-line text records appended to a store. A kill of the program loses at most the
// append under way: a record torn or garbled on disk reads as absent, and the intact ones
// around it stay.
class AppendJournal {
public:
    virtual ~AppendJournal() = default;
    // The intact records, oldest first.
    virtual std::vector<std::string> records() const = 0;
    // False once records() could not read the store: it answered none, though some may be there.
    virtual bool recordsReadable() const = 0;
    // Adds the records (no line breaks inside). Once it returns they outlive the program, and
    // after sync() a crash of the whole system too.
    virtual bool append(const std::vector<std::string>& records) = 0;
    // Waits until everything appended is on disk.
    virtual bool sync() = 0;
    // Forgets every record, on disk at once.
    virtual bool clear() = 0;
};

// A journal in one file: each record a line with its checksum, so a few dozen bytes reach the
// disk where rewriting a whole file would take its whole size. Syncing costs the disk a whole
// page each time: appends that come often are synced together. A
// link at the path is followed once: the journal lives where it leads. Whatever else is found
// there (a folder, a device, a file that cannot be read) is left as it is, said once, and the
// journal refuses every append and clear in this run.
class FileJournal final : public AppendJournal {
public:
    explicit FileJournal(std::filesystem::path file);
    ~FileJournal() override;
    FileJournal(const FileJournal&) = delete;
    FileJournal& operator=(const FileJournal&) = delete;

    std::vector<std::string> records() const override;
    bool recordsReadable() const override { return usable_; }
    bool append(const std::vector<std::string>& records) override;
    bool sync() override;
    bool clear() override;

    // The file written: the given path, or the file its links lead to.
    const std::filesystem::path& path() const { return file_; }

    // The line stored for a record.
    static std::string encodeLine(const std::string& record);

private:
    // The intact records and where the last of them ends in the file.
    std::vector<std::string> read(long long& intactEnd) const;
    void refuse(const std::string& why) const;
    // The file open for writing, opened (with `create`, created) when it is not; -1 on failure.
    int openFile(bool create);
    void closeFile();

    std::filesystem::path file_;
    mutable bool usable_ = true;
    // The length of the file after this journal's last write: no tail to check then.
    long long knownLength_ = -1;
    int fd_ = -1;
};

class MemoryJournal final : public AppendJournal {
public:
    std::vector<std::string> records() const override { return unreadable ? std::vector<std::string>{} : records_; }
    bool recordsReadable() const override { return !unreadable; }
    bool append(const std::vector<std::string>& records) override;
    bool sync() override { return !failing && !unreadable; }
    bool clear() override;

    int appends = 0;
    int clears = 0;
    // A full disk: appends and clears fail and change nothing.
    bool failing = false;
    // A read error, as a file journal meets it: no records, and every write refused.
    bool unreadable = false;

private:
    std::vector<std::string> records_;
};

}  // namespace platform
