#include "engine/sibling_file.h"
#include "engine/table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qorvel::engine {

namespace {

uint64_t bigEndianPrefix(const char* key, int length) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = v << 8 | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    return v;
}

Status syncDirectoryOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Status::Ok();
    ::fsync(fd);
    ::close(fd);
    return Status::Ok();
}

}  // namespace

Result<std::vector<CdxTree::Entry>> Table::sortedEntries(KeyMaker& maker, std::string& keyStore) {
    const uint32_t count = recordCount();
    const int len = maker.format().length;
    keyStore.assign(size_t(count) * size_t(len), ' ');
    struct Item {
        uint64_t prefix;
        uint32_t recno;
    };
    std::vector<Item> items(count);
    EvalContext ctx = contextFor(nullptr, 0);
    const char* record = nullptr;
    if (fpt_)
        ctx.memo = [this, &record](int field) { return readMemoRaw(record, field); };
    for (uint32_t r = 1; r <= count; ++r) {
        record = dbf_->record(r);
        ctx.record = record;
        ctx.recno = r;
        char* k = keyStore.data() + size_t(r - 1) * size_t(len);
        maker.make(ctx, k);
        items[r - 1] = Item{bigEndianPrefix(k, len), r};
    }
    const char* base = keyStore.data();
    // The first eight bytes decide most comparisons without touching the keys.
    std::sort(items.begin(), items.end(), [base, len](const Item& a, const Item& b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix;
        if (len > 8) {
            const int c = std::memcmp(base + size_t(a.recno - 1) * size_t(len) + 8,
                                      base + size_t(b.recno - 1) * size_t(len) + 8, size_t(len - 8));
            if (c != 0)
                return c < 0;
        }
        return a.recno < b.recno;
    });
    std::vector<CdxTree::Entry> entries(count);
    for (uint32_t i = 0; i < count; ++i)
        entries[i] = CdxTree::Entry{base + size_t(items[i].recno - 1) * size_t(len), items[i].recno};
    return entries;
}

Status Table::createTag(std::string_view name, std::string_view expression, const Progress& progress) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (auto st = ensureWritable(); !st)
        return st;
    if (!productionProblem_.empty())
        return Status::Error("The index of " + dbf_->name() + " must be rebuilt first: " + productionProblem_);
    auto maker = KeyMaker::create(expression, fields());
    if (!maker)
        return maker.status();
    if (!production_) {
        auto f = IndexFile::createCdx(productionIndexPath());
        if (!f)
            return f.status();
        production_ = std::move(*f);
        dbf_->setFlags(uint8_t(dbf_->header().flags | DbfHeader::kFlagProductionIndex));
        if (auto st = dbf_->writeHeader(); !st)
            return st;
    }
    std::string keys;
    auto entries = sortedEntries(*maker, keys);
    if (!entries)
        return entries.status();
    auto tag = production_->addTag(std::string(name), std::move(*maker), *entries);
    if (!tag)
        return tag.status();
    if (auto st = production_->flush(); !st)
        return st;
    rebuildOrders();
    if (progress)
        progress(1, 1);
    return Status::Ok();
}

Status Table::buildAllTags(const std::string& cdxPath, const std::vector<std::pair<std::string, std::string>>& tags,
                           const Progress& progress, uint64_t base, uint64_t total) {
    auto f = IndexFile::createCdx(cdxPath);
    if (!f)
        return f.status();
    uint64_t done = base;
    for (const auto& [name, expression] : tags) {
        auto maker = KeyMaker::create(expression, fields());
        if (!maker)
            return Status::Error("Tag " + name + ": " + maker.message());
        std::string keys;
        auto entries = sortedEntries(*maker, keys);
        if (!entries)
            return entries.status();
        auto tag = (*f)->addTag(name, std::move(*maker), *entries);
        if (!tag)
            return tag.status();
        if (progress)
            progress(++done, total);
    }
    if (auto st = (*f)->flush(); !st)
        return st;
    return (*f)->sync();
}

Status Table::reindex(const Progress& progress) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (!dbf_->writable())
        return Status::Error(dbf_->name() + " is open read-only");
    // The tag list comes from the index itself, even one left mid-update.
    std::vector<std::pair<std::string, std::string>> tags;
    const std::string cdxPath = productionIndexPath();
    if (production_) {
        for (const auto& t : production_->tags())
            tags.emplace_back(t->name, t->header.keyExpression);
    } else if (fileExists(cdxPath)) {
        auto old = IndexFile::openCdx(cdxPath, false, fields());
        if (!old)
            return Status::Error("The index " + cdxPath + " cannot be read to rebuild it: " + old.message());
        for (const auto& t : (*old)->tags())
            tags.emplace_back(t->name, t->header.keyExpression);
    }
    const int keepOrder = order_;
    const std::string keepName = orderName();
    production_.reset();
    rebuildOrders();
    const std::string temp = cdxPath + ".rebuild~";
    ::unlink(temp.c_str());
    if (auto st = buildAllTags(temp, tags, progress, 0, tags.size()); !st) {
        ::unlink(temp.c_str());
        openProductionIndex();
        return st;
    }
    if (::rename(temp.c_str(), cdxPath.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(temp.c_str());
        openProductionIndex();
        return Status::Error("Cannot replace " + cdxPath + ": " + why);
    }
    syncDirectoryOf(cdxPath);
    if (dbf_->countWasRepaired())
        dbf_->setFlags(dbf_->header().flags);  // the header is rewritten with the repaired count below
    if (!tags.empty())
        dbf_->setFlags(uint8_t(dbf_->header().flags | DbfHeader::kFlagProductionIndex));
    if (auto st = dbf_->writeHeader(); !st)
        return st;
    auto f = IndexFile::openCdx(cdxPath, true, fields());
    if (!f)
        return f.status();
    production_ = std::move(*f);
    productionProblem_.clear();
    rebuildOrders();
    order_ = keepOrder <= int(orders_.size()) ? tagArea(keepName) : 0;
    return Status::Ok();
}

Status Table::pack(const Progress& progress) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (auto st = ensureWritable(); !st)
        return st;
    const std::string path = dbf_->path();
    const std::string temp = path + ".pack~";
    ::unlink(temp.c_str());
    auto fd = DbfFile::lockedDescriptor(temp, true);
    if (!fd)
        return fd.status();
    const DbfHeader& h = dbf_->header();
    const uint32_t count = recordCount();
    const size_t rl = h.recordLength;
    uint64_t total = uint64_t(count) + (production_ ? production_->tags().size() : 0);
    auto fail = [&](const std::string& why) {
        ::close(*fd);
        ::unlink(temp.c_str());
        return Status::Error("Cannot pack " + dbf_->name() + ": " + why);
    };
    DbfHeader out = h;
    std::string chunk = out.serialize();
    uint64_t at = 0;
    uint32_t kept = 0;
    auto writeChunk = [&]() -> bool {
        size_t done = 0;
        while (done < chunk.size()) {
            const ssize_t w = ::pwrite(*fd, chunk.data() + done, chunk.size() - done, off_t(at + done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return false;
            done += size_t(w);
        }
        at += chunk.size();
        chunk.clear();
        return true;
    };
    dbf_->adviseSequential(true);
    for (uint32_t r = 1; r <= count; ++r) {
        const char* rec = dbf_->record(r);
        if (rec[0] != '*') {
            chunk.append(rec, rl);
            ++kept;
        }
        if (chunk.size() >= (size_t(4) << 20) && !writeChunk())
            return fail(std::strerror(errno));
        if (progress && (r % 4096 == 0 || r == count))
            progress(r, total);
    }
    dbf_->adviseSequential(false);
    chunk += '\x1A';
    if (!writeChunk())
        return fail(std::strerror(errno));
    out.recordCount = kept;
    const std::string fixed = out.serializeFixed();
    if (::pwrite(*fd, fixed.data(), fixed.size(), 0) != ssize_t(fixed.size()) || ::fdatasync(*fd) != 0)
        return fail(std::strerror(errno));
    // Until the tags are rebuilt, the index must read as unfinished.
    if (production_) {
        if (auto st = production_->beginUpdate(); !st)
            return fail(st.message());
        production_->sync();
    }
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(std::strerror(errno));
    syncDirectoryOf(path);
    auto reopened = DbfFile::adopt(*fd, path);
    if (!reopened)
        return reopened.status();
    dbf_ = std::move(*reopened);
    deletedCount_ = 0;
    visibleCount_.reset();
    recno_ = 0;
    cursorValid_ = false;
    Progress tagProgress;
    if (progress)
        tagProgress = [&](uint64_t d, uint64_t) { progress(count + d, total); };
    if (auto st = reindex(tagProgress); !st)
        return st;
    if (query_)
        computeConditionBits();
    return goTop();
}

Status Table::zap() {
    cancel();
    if (auto st = ensureWritable(); !st)
        return st;
    if (production_) {
        if (auto st = production_->beginUpdate(); !st)
            return st;
    }
    if (auto st = dbf_->truncate(0); !st)
        return st;
    if (fpt_) {
        const std::string fptPath = fpt_->path();
        const uint32_t block = fpt_->blockSize();
        fpt_.reset();
        auto f = FptFile::create(fptPath, block);
        if (!f)
            return f.status();
        fpt_ = std::move(*f);
    }
    deletedCount_ = 0;
    visibleCount_.reset();
    conditionBits_.clear();
    recno_ = 0;
    if (auto st = reindex(); !st)
        return st;
    return goTop();
}

Status Table::closeIndexes() {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    Status result = flush();
    production_.reset();
    productionProblem_.clear();
    extraIndexes_.clear();
    orders_.clear();
    order_ = 0;
    scope_.reset();
    cursorValid_ = false;
    return result;
}

Result<int> Table::createIndexFile(const std::string& path, std::string_view expression) {
    if (pending()) {
        if (auto st = post(); !st)
            return st.message().empty() ? Status::Error("post failed") : st;
    }
    auto f = IndexFile::createIdx(path, std::string(expression), fields());
    if (!f)
        return f.status();
    extraIndexes_.push_back(std::move(*f));
    rebuildOrders();
    order_ = int(orders_.size());
    scope_.reset();
    cursorValid_ = false;
    return order_;
}

Status Table::keyAdd() {
    Order* o = currentOrder();
    if (!o || o->file == production_.get())
        return Status::Error("The current order is not a separate index file");
    if (recno_ == 0)
        return Status::Error("There is no current record");
    std::string key(size_t(o->tag->tree->keyLength()), ' ');
    o->tag->maker->make(contextFor(dbf_->record(recno_), recno_), key.data());
    if (auto st = o->file->beginUpdate(); !st)
        return st;
    if (auto st = o->tag->tree->insert(key.data(), recno_); !st)
        return st;
    cursorValid_ = false;
    return bulk_ ? Status::Ok() : o->file->flush();
}

Status Table::closeIndexFile() {
    Order* o = currentOrder();
    if (!o || o->file == production_.get())
        return Status::Error("The current order is not a separate index file");
    IndexFile* file = o->file;
    Status result = file->flush();
    extraIndexes_.erase(std::remove_if(extraIndexes_.begin(), extraIndexes_.end(),
                                       [file](const auto& f) { return f.get() == file; }),
                        extraIndexes_.end());
    order_ = 0;
    rebuildOrders();
    order_ = 0;
    return result;
}

Status Table::checkIndexes() {
    if (!productionProblem_.empty())
        return Status::Error(productionProblem_);
    if (!production_)
        return Status::Ok();
    std::string expected;
    for (const auto& t : production_->tags()) {
        if (!t->maker)
            return Status::Error("Tag " + t->name + ": " + t->cannotMaintain);
        const int len = t->maker->format().length;
        expected.resize(size_t(len));
        uint64_t seen = 0;
        std::string previous;
        uint32_t previousRecno = 0;
        std::string problem;
        std::vector<bool> present(size_t(recordCount()) + 1, false);
        Status walk = t->tree->forEach([&](const char* key, uint32_t recno) {
            ++seen;
            if (recno < 1 || recno > recordCount()) {
                problem = "points to record " + std::to_string(recno) + ", which does not exist";
                return false;
            }
            if (present[recno]) {
                problem = "holds record " + std::to_string(recno) + " twice";
                return false;
            }
            present[recno] = true;
            t->maker->make(contextFor(dbf_->record(recno), recno), expected.data());
            if (std::memcmp(expected.data(), key, size_t(len)) != 0) {
                problem = "has a wrong key for record " + std::to_string(recno);
                return false;
            }
            const int c = previous.empty() ? -1 : std::memcmp(previous.data(), key, size_t(len));
            if (c > 0 || (c == 0 && previousRecno > recno)) {
                problem = "is out of order at record " + std::to_string(recno);
                return false;
            }
            previous.assign(key, size_t(len));
            previousRecno = recno;
            return true;
        });
        if (!walk)
            return walk;
        if (problem.empty() && seen != recordCount())
            problem = "holds " + std::to_string(seen) + " keys for " + std::to_string(recordCount()) + " records";
        if (!problem.empty())
            return Status::Error("Tag " + t->name + " " + problem);
    }
    return Status::Ok();
}

}  // namespace qorvel::engine
