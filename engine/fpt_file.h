#pragma once

#include "engine/status.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qorvel::engine {

// FoxPro memo file (.FPT). Integers big-endian.
//   0..3  next free block number
//   6..7  block size in bytes (64 unless set otherwise)
//   the header fills the first 512 bytes; blocks are counted from the file start
// A memo at block b: 4 bytes type (1 text, 0 picture), 4 bytes length, the data.
// The table's memo field holds the block number (0 or blank: no memo).
class FptFile {
public:
    static constexpr uint32_t kDefaultBlockSize = 64;
    static constexpr uint32_t kHeaderSize = 512;

    ~FptFile();
    FptFile(const FptFile&) = delete;
    FptFile& operator=(const FptFile&) = delete;

    static Result<std::unique_ptr<FptFile>> open(const std::string& path, bool writable);
    static Result<std::unique_ptr<FptFile>> create(const std::string& path, uint32_t blockSize = kDefaultBlockSize);

    uint32_t blockSize() const { return blockSize_; }
    const std::string& path() const { return path_; }

    // The memo at block; block 0 is the empty memo.
    Result<std::string> read(uint32_t block) const;
    // Stores text for a field that held oldBlock (0 if none) and returns the block
    // to put in the field (0 for an empty text). Rewrites in place when the new text
    // fits the old blocks, else appends.
    Result<uint32_t> write(uint32_t oldBlock, const std::string& text);
    Status sync();

private:
    FptFile() = default;
    Status writeHeader();
    Result<uint32_t> storedLength(uint32_t block) const;

    std::string path_, name_;
    int fd_ = -1;
    bool writable_ = false;
    uint32_t blockSize_ = kDefaultBlockSize;
    uint32_t nextFree_ = 0;
    uint64_t size_ = 0;
};

}  // namespace qorvel::engine
