#include "engine/byte_io.h"
#include "engine/page_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qorvel::engine {

namespace {

size_t g_cacheLimit = 1 << 16;  // decoded nodes kept before the less used half is dropped

Status ioError(const std::string& what, const std::string& name) {
    return Status::Error(what + " " + name + ": " + std::strerror(errno));
}

}  // namespace

PageFile::~PageFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

Result<std::unique_ptr<PageFile>> PageFile::open(const std::string& path, bool writable) {
    std::unique_ptr<PageFile> f(new PageFile);
    f->path_ = path;
    f->name_ = baseName(path);
    f->writable_ = writable;
    f->fd_ = ::open(path.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (f->fd_ < 0)
        return ioError("Cannot open", f->name_);
    struct stat st {};
    if (::fstat(f->fd_, &st) != 0)
        return ioError("Cannot read", f->name_);
    f->size_ = uint64_t(st.st_size);
    return f;
}

Result<std::unique_ptr<PageFile>> PageFile::create(const std::string& path) {
    std::unique_ptr<PageFile> f(new PageFile);
    f->path_ = path;
    f->name_ = baseName(path);
    f->writable_ = true;
    f->fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (f->fd_ < 0)
        return ioError("Cannot create", f->name_);
    return f;
}

Status PageFile::readBytes(uint64_t offset, char* out, size_t length) const {
    if (offset + length > size_)
        return Status::Error(name_ + " is damaged: it ends before offset " + std::to_string(offset + length));
    size_t done = 0;
    while (done < length) {
        const ssize_t r = ::pread(fd_, out + done, length - done, off_t(offset + done));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return ioError("Cannot read", name_);
        done += size_t(r);
    }
    return Status::Ok();
}

Status PageFile::writeBytes(uint64_t offset, const char* data, size_t length) {
    if (!writable_)
        return Status::Error(name_ + " is open read-only");
    size_t done = 0;
    while (done < length) {
        const ssize_t w = ::pwrite(fd_, data + done, length - done, off_t(offset + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return ioError("Cannot write", name_);
        done += size_t(w);
    }
    size_ = std::max(size_, offset + length);
    return Status::Ok();
}

Result<CdxNode*> PageFile::node(uint32_t offset, int keyLength, char pad) {
    auto it = cache_.find(offset);
    if (it != cache_.end()) {
        it->second.used = ++clock_;
        return it->second.node.get();
    }
    if (offset % CdxPageLayout::kPageSize != 0 || uint64_t(offset) + CdxPageLayout::kPageSize > size_)
        return Status::Error(name_ + " is damaged: a page offset lies outside the file");
    char page[CdxPageLayout::kPageSize];
    if (auto st = readBytes(offset, page, sizeof page); !st)
        return st;
    auto n = std::make_unique<CdxNode>();
    if (auto st = decodeCdxPage(page, offset, keyLength, pad, size_, name_, *n); !st)
        return st;
    CdxNode* raw = n.get();
    cache_[offset] = Entry{std::move(n), keyLength, pad, false, ++clock_};
    return raw;
}

uint32_t PageFile::reserve(size_t pages) {
    const uint32_t at = uint32_t(size_);
    size_ += pages * CdxPageLayout::kPageSize;
    return at;
}

CdxNode* PageFile::newNode(int keyLength, char pad, bool leaf) {
    uint32_t offset;
    if (!freePages_.empty()) {
        offset = freePages_.back();
        freePages_.pop_back();
    } else {
        offset = reserve(1);
    }
    auto n = std::make_unique<CdxNode>();
    n->offset = offset;
    n->leaf = leaf;
    CdxNode* raw = n.get();
    cache_[offset] = Entry{std::move(n), keyLength, pad, true, ++clock_};
    dirty_.push_back(offset);
    return raw;
}

void PageFile::markDirty(CdxNode* n, int keyLength, char pad) {
    Entry& e = cache_[n->offset];
    e.keyLength = keyLength;
    e.pad = pad;
    if (!e.dirty) {
        e.dirty = true;
        dirty_.push_back(n->offset);
    }
}

void PageFile::release(uint32_t offset) {
    cache_.erase(offset);
    freePages_.push_back(offset);
    toBlank_.push_back(offset);
}

uint32_t PageFile::appendRaw(const std::string& pages) {
    const uint32_t at = uint32_t(size_);
    size_ += pages.size();
    return at;
}

Status PageFile::flush() {
    if (dirty_.empty() && toBlank_.empty())
        return Status::Ok();
    // Freed pages still hold old content; blank them so that nothing stale remains.
    // Pages reused since are written again below.
    for (uint32_t off : toBlank_) {
        char empty[CdxPageLayout::kPageSize];
        CdxNode blank;
        blank.offset = off;
        encodeCdxLeaf(blank, 1, ' ', empty);
        if (auto st = writeBytes(off, empty, sizeof empty); !st)
            return st;
    }
    toBlank_.clear();
    char page[CdxPageLayout::kPageSize];
    for (uint32_t off : dirty_) {
        auto it = cache_.find(off);
        if (it == cache_.end() || !it->second.dirty)
            continue;  // released since, or listed twice
        Entry& e = it->second;
        if (e.node->leaf) {
            if (!encodeCdxLeaf(*e.node, e.keyLength, e.pad, page))
                return Status::Error(name_ + ": an index page overflowed (internal error)");
        } else {
            encodeCdxInterior(*e.node, e.keyLength, page);
        }
        if (auto st = writeBytes(off, page, sizeof page); !st)
            return st;
        e.dirty = false;
    }
    dirty_.clear();
    return Status::Ok();
}

void PageFile::setNodeCacheLimit(size_t nodes) { g_cacheLimit = std::max<size_t>(nodes, 16); }

Status PageFile::trim() {
    if (cache_.size() <= g_cacheLimit)
        return Status::Ok();
    if (auto st = flush(); !st)
        return st;
    // Keep the more recently used half: the upper levels of every tree stay.
    std::vector<uint64_t> stamps;
    stamps.reserve(cache_.size());
    for (const auto& [off, e] : cache_)
        stamps.push_back(e.used);
    auto middle = stamps.begin() + std::ptrdiff_t(stamps.size() / 2);
    std::nth_element(stamps.begin(), middle, stamps.end());
    const uint64_t cut = *middle;
    for (auto it = cache_.begin(); it != cache_.end();)
        it = it->second.used < cut ? cache_.erase(it) : std::next(it);
    return Status::Ok();
}

void PageFile::dropCache() {
    cache_.clear();
    freePages_.clear();
    toBlank_.clear();
    dirty_.clear();
}

Status PageFile::sync() {
    if (writable_ && ::fdatasync(fd_) != 0)
        return ioError("Cannot write", name_);
    return Status::Ok();
}

Status PageFile::truncate(uint64_t size) {
    dropCache();
    if (::ftruncate(fd_, off_t(size)) != 0)
        return ioError("Cannot write", name_);
    size_ = size;
    return Status::Ok();
}

}  // namespace qorvel::engine
