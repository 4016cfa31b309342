#include "engine/byte_io.h"
#include "engine/fpt_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorvel::engine {

FptFile::~FptFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

Result<std::unique_ptr<FptFile>> FptFile::open(const std::string& path, bool writable) {
    std::unique_ptr<FptFile> f(new FptFile);
    f->path_ = path;
    f->name_ = baseName(path);
    f->writable_ = writable;
    f->fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (f->fd_ < 0)
        return Status::Error("Cannot open the memo file " + f->name_ + ": " + std::strerror(errno));
    struct stat st {};
    ::fstat(f->fd_, &st);
    f->size_ = uint64_t(st.st_size);
    char h[8];
    if (f->size_ < kHeaderSize || !preadAll(f->fd_, h, sizeof h, 0))
        return Status::Error(f->name_ + " is damaged: the memo file header is missing");
    f->nextFree_ = be32(h);
    f->blockSize_ = uint32_t(static_cast<unsigned char>(h[6])) << 8 | static_cast<unsigned char>(h[7]);
    if (f->blockSize_ == 0)
        return Status::Error(f->name_ + " is damaged: the memo block size is zero");
    // Never hand out blocks inside the header or below data already in the file.
    const uint64_t firstFree = (std::max<uint64_t>(f->size_, kHeaderSize) + f->blockSize_ - 1) / f->blockSize_;
    if (f->nextFree_ < firstFree && firstFree < 0xFFFFFFFFull)
        f->nextFree_ = uint32_t(firstFree);
    return f;
}

Result<std::unique_ptr<FptFile>> FptFile::create(const std::string& path, uint32_t blockSize) {
    std::unique_ptr<FptFile> f(new FptFile);
    f->path_ = path;
    f->name_ = baseName(path);
    f->writable_ = true;
    f->blockSize_ = blockSize;
    f->fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (f->fd_ < 0)
        return Status::Error("Cannot create the memo file " + f->name_ + ": " + std::strerror(errno));
    f->nextFree_ = (kHeaderSize + blockSize - 1) / blockSize;
    if (auto st = f->writeHeader(); !st)
        return st;
    return f;
}

Status FptFile::writeHeader() {
    char h[kHeaderSize] = {};
    putBe32(h, nextFree_);
    h[6] = static_cast<char>(blockSize_ >> 8);
    h[7] = static_cast<char>(blockSize_);
    if (!pwriteAll(fd_, h, sizeof h, 0))
        return Status::Error("Cannot write the memo file " + name_ + ": " + std::strerror(errno));
    size_ = std::max<uint64_t>(size_, kHeaderSize);
    return Status::Ok();
}

Result<uint32_t> FptFile::storedLength(uint32_t block) const {
    const uint64_t at = uint64_t(block) * blockSize_;
    char h[8];
    if (block == 0 || at < kHeaderSize || at + 8 > size_ || !preadAll(fd_, h, 8, at))
        return Status::Error(name_ + " is damaged: memo block " + std::to_string(block) + " lies outside the file");
    const uint32_t length = be32(h + 4);
    if (at + 8 + length > size_)
        return Status::Error(name_ + " is damaged: the memo at block " + std::to_string(block) +
                             " runs past the end of the file");
    return length;
}

Result<std::string> FptFile::read(uint32_t block) const {
    if (block == 0)
        return std::string();
    auto length = storedLength(block);
    if (!length)
        return length.status();
    std::string text(*length, '\0');
    if (*length > 0 && !preadAll(fd_, text.data(), text.size(), uint64_t(block) * blockSize_ + 8))
        return Status::Error("Cannot read the memo file " + name_ + ": " + std::strerror(errno));
    return text;
}

Result<uint32_t> FptFile::write(uint32_t oldBlock, const std::string& text) {
    if (!writable_)
        return Status::Error(name_ + " is open read-only");
    if (text.empty())
        return uint32_t(0);
    const auto blocksFor = [this](uint64_t bytes) { return (bytes + 8 + blockSize_ - 1) / blockSize_; };
    uint32_t block = 0;
    if (oldBlock != 0) {
        auto oldLength = storedLength(oldBlock);
        if (oldLength && blocksFor(text.size()) <= blocksFor(*oldLength))
            block = oldBlock;
    }
    const bool append = block == 0;
    if (append) {
        block = nextFree_;
        if (uint64_t(block) + blocksFor(text.size()) >= 0xFFFFFFFFull)
            return Status::Error(name_ + " is full");
    }
    std::string data(8, '\0');
    putBe32(data.data(), 1);
    putBe32(data.data() + 4, uint32_t(text.size()));
    data += text;
    // Pad to whole blocks so the next memo starts on a block boundary.
    data.append(blocksFor(text.size()) * blockSize_ - data.size(), '\0');
    if (!pwriteAll(fd_, data.data(), data.size(), uint64_t(block) * blockSize_))
        return Status::Error("Cannot write the memo file " + name_ + ": " + std::strerror(errno));
    size_ = std::max<uint64_t>(size_, uint64_t(block) * blockSize_ + data.size());
    if (append) {
        nextFree_ = block + uint32_t(blocksFor(text.size()));
        if (auto st = writeHeader(); !st)
            return st;
    }
    return block;
}

Status FptFile::sync() {
    if (writable_ && ::fdatasync(fd_) != 0)
        return Status::Error("Cannot write the memo file " + name_ + ": " + std::strerror(errno));
    return Status::Ok();
}

}  // namespace qorvel::engine
