#include "engine/byte_io.h"
#include "engine/dbf_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorvel::engine {

namespace {

bool lockFile(int fd, bool exclusive) {
    struct flock fl {};
    fl.l_type = exclusive ? F_WRLCK : F_RDLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

}  // namespace

DbfFile::~DbfFile() {
    if (map_)
        ::munmap(map_, mapped_);
    if (fd_ >= 0)
        ::close(fd_);
}

Result<std::unique_ptr<DbfFile>> DbfFile::open(const std::string& path, OpenMode mode) {
    std::unique_ptr<DbfFile> f(new DbfFile);
    f->path_ = path;
    f->name_ = baseName(path);
    f->writable_ = mode == OpenMode::Exclusive;
    f->fd_ = ::open(path.c_str(), (f->writable_ ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (f->fd_ < 0) {
        if (errno == ENOENT)
            return Status::Error("File " + path + " not found");
        return Status::Error("Cannot open " + f->name_ + ": " + std::strerror(errno));
    }
    if (!lockFile(f->fd_, f->writable_))
        return Status::Error(f->name_ + " is in use by another program or user");
    if (auto st = f->readStructure(); !st)
        return st;
    return f;
}

Result<int> DbfFile::lockedDescriptor(const std::string& path, bool create) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | (create ? O_CREAT | O_EXCL : 0), 0644);
    if (fd < 0)
        return Status::Error("Cannot open " + path + ": " + std::strerror(errno));
    if (!lockFile(fd, true)) {
        ::close(fd);
        return Status::Error(baseName(path) + " is in use by another program or user");
    }
    return fd;
}

Result<std::unique_ptr<DbfFile>> DbfFile::adopt(int fd, const std::string& path) {
    std::unique_ptr<DbfFile> f(new DbfFile);
    f->path_ = path;
    f->name_ = baseName(path);
    f->writable_ = true;
    f->fd_ = fd;
    if (auto st = f->readStructure(); !st)
        return st;
    return f;
}

Status DbfFile::readStructure() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
        return Status::Error(name_ + " is not a DBF table");
    const uint64_t size = uint64_t(st.st_size);

    char fixed[32];
    if (size < 32 || !preadAll(fd_, fixed, 32, 0))
        return Status::Error(name_ + " is not a DBF table: it is shorter than a table header");
    auto h = DbfHeader::parse(std::string_view(fixed, 32), name_);
    if (!h)
        return h.status();
    header_ = *h;
    if (header_.headerLength > size)
        return Status::Error(name_ + " is damaged: the file ends inside its header");
    std::string descriptors(header_.headerLength - 32, '\0');
    if (!preadAll(fd_, descriptors.data(), descriptors.size(), 32))
        return Status::Error("Cannot read " + name_ + ": " + std::strerror(errno));
    if (auto fs = header_.parseFields(descriptors, name_); !fs)
        return fs;

    // Reconcile the count with the length: a crash can leave either behind the other.
    const uint64_t inFile = (size - header_.headerLength) / header_.recordLength;
    uint32_t count = header_.recordCount;
    if (count > inFile) {
        count = uint32_t(std::min<uint64_t>(inFile, 0xFFFFFFFFu));
        repaired_ = true;
    } else if (count < inFile) {
        // Whole records past the count are kept unless the end mark sits right after
        // the counted records (then what follows is not ours).
        char mark = 0;
        const uint64_t at = header_.headerLength + uint64_t(count) * header_.recordLength;
        const bool endMarkFirst = preadAll(fd_, &mark, 1, at) && mark == 0x1A;
        if (!endMarkFirst) {
            count = uint32_t(std::min<uint64_t>(inFile, 0xFFFFFFFFu));
            repaired_ = true;
        }
    }
    count_ = count;
    header_.recordCount = count;
    return mapAtLeast(size);
}

Status DbfFile::create(const std::string& path, const DbfHeader& header) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return Status::Error("Cannot create " + path + ": " + std::strerror(errno));
    std::string bytes = header.serialize();
    bytes += '\x1A';
    const bool ok = pwriteAll(fd, bytes.data(), bytes.size(), 0) && ::fdatasync(fd) == 0;
    const int err = errno;
    ::close(fd);
    if (!ok) {
        ::unlink(path.c_str());
        return Status::Error("Cannot write " + path + ": " + std::strerror(err));
    }
    return Status::Ok();
}

Status DbfFile::mapAtLeast(uint64_t bytes) {
    if (map_ && bytes <= mapped_)
        return Status::Ok();
    // Map well beyond the file so appends rarely need a new mapping; pages past the
    // end of the file are never touched.
    uint64_t want = std::max<uint64_t>(bytes + bytes / 2, bytes + (uint64_t(16) << 20));
    const uint64_t page = uint64_t(::sysconf(_SC_PAGESIZE));
    want = (want + page - 1) / page * page;
    void* m = ::mmap(nullptr, want, PROT_READ, MAP_SHARED, fd_, 0);
    if (m == MAP_FAILED)
        return Status::Error("Cannot map " + name_ + ": " + std::strerror(errno));
    if (map_)
        ::munmap(map_, mapped_);
    map_ = static_cast<char*>(m);
    mapped_ = want;
    return Status::Ok();
}

void DbfFile::adviseSequential(bool on) const {
    if (map_)
        ::madvise(map_, mapped_, on ? MADV_SEQUENTIAL : MADV_NORMAL);
}

Status DbfFile::writeRecord(uint32_t recno, const char* data) {
    if (!writable_)
        return Status::Error(name_ + " is open read-only");
    if (recno < 1 || recno > count_)
        return Status::Error(name_ + ": record " + std::to_string(recno) + " does not exist");
    const uint64_t at = header_.headerLength + uint64_t(recno - 1) * header_.recordLength;
    if (!pwriteAll(fd_, data, header_.recordLength, at))
        return Status::Error("Cannot write " + name_ + ": " + std::strerror(errno));
    headerDirty_ = true;
    return Status::Ok();
}

Result<uint32_t> DbfFile::appendRecord(const char* data) {
    if (!writable_)
        return Status::Error(name_ + " is open read-only");
    if (count_ == 0xFFFFFFFEu)
        return Status::Error(name_ + " is full");
    const uint64_t at = header_.headerLength + uint64_t(count_) * header_.recordLength;
    std::string& buf = appendBuffer_;
    buf.assign(data, header_.recordLength);
    buf += '\x1A';
    if (auto st = mapAtLeast(at + buf.size()); !st)
        return st;
    if (!pwriteAll(fd_, buf.data(), buf.size(), at))
        return Status::Error("Cannot write " + name_ + ": " + std::strerror(errno));
    ++count_;
    header_.recordCount = count_;
    headerDirty_ = true;
    return count_;
}

Status DbfFile::truncate(uint32_t count) {
    if (!writable_)
        return Status::Error(name_ + " is open read-only");
    const uint64_t end = header_.headerLength + uint64_t(count) * header_.recordLength;
    const char mark = 0x1A;
    if (::ftruncate(fd_, off_t(end)) != 0 || !pwriteAll(fd_, &mark, 1, end))
        return Status::Error("Cannot write " + name_ + ": " + std::strerror(errno));
    count_ = count;
    header_.recordCount = count;
    headerDirty_ = true;
    return writeHeader();
}

Status DbfFile::writeHeader() {
    if (!writable_ || !headerDirty_)
        return Status::Ok();
    header_.stampToday();
    const std::string fixed = header_.serializeFixed();
    if (!pwriteAll(fd_, fixed.data(), fixed.size(), 0))
        return Status::Error("Cannot write " + name_ + ": " + std::strerror(errno));
    headerDirty_ = false;
    return Status::Ok();
}

Status DbfFile::sync() {
    if (auto st = writeHeader(); !st)
        return st;
    if (writable_ && ::fdatasync(fd_) != 0)
        return Status::Error("Cannot write " + name_ + ": " + std::strerror(errno));
    return Status::Ok();
}

}  // namespace qorvel::engine
