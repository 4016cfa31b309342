#pragma once

#include "engine/dbf_header.h"
#include "engine/status.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qorvel::engine {

enum class OpenMode { Exclusive, SharedReadOnly };

// The records of one DBF file. Records are read through a shared memory mapping
// (no copy, no system call per record) and written with positioned writes. An
// exclusive open holds a write lock on the file, a shared one a read lock, so that
// no two handles, in this process or another, can open it for writing at once.
class DbfFile {
public:
    ~DbfFile();
    DbfFile(const DbfFile&) = delete;
    DbfFile& operator=(const DbfFile&) = delete;

    static Result<std::unique_ptr<DbfFile>> open(const std::string& path, OpenMode mode);
    // Takes over an open descriptor that already holds the write lock (a table file
    // just written and renamed into place).
    static Result<std::unique_ptr<DbfFile>> adopt(int fd, const std::string& path);
    // Opens and locks a file for writing without reading it.
    static Result<int> lockedDescriptor(const std::string& path, bool create);
    // Writes an empty table (header and end mark) at path; fails if it cannot.
    static Status create(const std::string& path, const DbfHeader& header);

    const std::string& path() const { return path_; }
    const std::string& name() const { return name_; }
    const DbfHeader& header() const { return header_; }
    DbfHeader& header() { return header_; }
    bool writable() const { return writable_; }

    uint32_t recordCount() const { return count_; }
    // True when the header's count disagreed with the file's length on open (the
    // table was left mid-change); the file is read by its length.
    bool countWasRepaired() const { return repaired_; }
    // The repaired count is written with the next header write.
    void acceptRepair() {
        if (repaired_) {
            repaired_ = false;
            headerDirty_ = true;
        }
    }

    // REQUIRES: 1 <= recno <= recordCount(). Valid until the next append or resize.
    const char* record(uint32_t recno) const {
        return map_ + header_.headerLength + uint64_t(recno - 1) * header_.recordLength;
    }

    Status writeRecord(uint32_t recno, const char* data);
    // Appends a record after the last one; returns its number.
    Result<uint32_t> appendRecord(const char* data);
    // Drops every record after count.
    Status truncate(uint32_t count);
    // Writes the record count and today's date into the header.
    Status writeHeader();
    void setFlags(uint8_t flags) {
        if (header_.flags != flags) {
            header_.flags = flags;
            headerDirty_ = true;
        }
    }
    Status sync();

    // Helps the kernel read ahead for a front-to-back scan.
    void adviseSequential(bool on) const;

private:
    DbfFile() = default;
    Status mapAtLeast(uint64_t bytes);
    Status readStructure();

    std::string path_, name_;
    int fd_ = -1;
    bool writable_ = false;
    DbfHeader header_;
    uint32_t count_ = 0;
    bool repaired_ = false;
    char* map_ = nullptr;
    uint64_t mapped_ = 0;
    bool headerDirty_ = false;
    std::string appendBuffer_;
};

}  // namespace qorvel::engine
