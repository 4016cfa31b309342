#include "engine/sibling_file.h"
#include "engine/table.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
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

namespace {

using SortItem = Table::SortItem;

// Stable sort by prefix: least significant byte first, one counting pass per byte,
// skipping bytes every item shares. Items arrive in record order, so equal keys stay
// in record-number order as the index wants them.
void radixSortByPrefix(std::vector<SortItem>& items) {
    std::vector<SortItem> scratch(items.size());
    for (int shift = 0; shift < 64; shift += 8) {
        size_t counts[256] = {};
        for (const SortItem& it : items)
            ++counts[(it.prefix >> shift) & 0xFF];
        if (std::any_of(std::begin(counts), std::end(counts), [&](size_t c) { return c == items.size(); }))
            continue;
        size_t pos[256];
        size_t sum = 0;
        for (int b = 0; b < 256; ++b) {
            pos[b] = sum;
            sum += counts[b];
        }
        for (const SortItem& it : items)
            scratch[pos[(it.prefix >> shift) & 0xFF]++] = it;
        items.swap(scratch);
    }
}

}  // namespace

Status Table::computeKeys(std::vector<TagBuild>& group, size_t from, size_t to) {
    const uint32_t count = recordCount();
    for (size_t g = from; g < to; ++g) {
        TagBuild& b = group[g];
        b.keys.assign(size_t(count) * size_t(b.maker.format().length), ' ');
        b.items.resize(count);
    }
    EvalContext ctx = contextFor(nullptr, 0);
    const char* record = nullptr;
    if (fpt_)
        ctx.memo = [this, &record](int field) { return readMemoRaw(record, field); };
    // One pass over the records for the whole group: each record is read once while
    // it is in the cache, whatever the number of tags. The records a few steps ahead
    // are asked for early, as the pass is bound by memory, not by work.
    int first = 1 << 30, last = 0;
    for (size_t g = from; g < to; ++g) {
        first = std::min(first, group[g].maker.firstByteRead());
        last = std::max(last, group[g].maker.lastByteRead());
    }
    constexpr uint32_t kAhead = 8;
    for (uint32_t r = 1; r <= count; ++r) {
        if (r + kAhead <= count) {
            const char* ahead = dbf_->record(r + kAhead);
            for (int b = first; b < last; b += 64)
                __builtin_prefetch(ahead + b);
            __builtin_prefetch(ahead + last - 1);
        }
        record = dbf_->record(r);
        ctx.record = record;
        ctx.recno = r;
        for (size_t g = from; g < to; ++g) {
            TagBuild& b = group[g];
            const int len = b.maker.format().length;
            char* k = b.keys.data() + size_t(r - 1) * size_t(len);
            b.maker.make(ctx, k);
            b.items[r - 1] = SortItem{bigEndianPrefix(k, len), r};
        }
    }
    return Status::Ok();
}

void Table::sortKeys(TagBuild& b) {
    std::vector<SortItem>& items = b.items;
    const int len = b.maker.format().length;
    radixSortByPrefix(items);
    const char* base = b.keys.data();
    auto keyOf = [base, len](const SortItem& it) { return base + size_t(it.recno - 1) * size_t(len); };
    if (len > 8) {
        // Runs that share the first eight bytes are ordered by the rest; a run of one
        // repeated key is already in order.
        size_t i = 0;
        while (i < items.size()) {
            size_t j = i + 1;
            bool allSame = true;
            while (j < items.size() && items[j].prefix == items[i].prefix) {
                allSame = allSame && std::memcmp(keyOf(items[i]) + 8, keyOf(items[j]) + 8, size_t(len - 8)) == 0;
                ++j;
            }
            if (j - i > 1 && !allSame) {
                std::stable_sort(items.begin() + std::ptrdiff_t(i), items.begin() + std::ptrdiff_t(j),
                                 [&](const SortItem& a, const SortItem& c) {
                                     return std::memcmp(keyOf(a) + 8, keyOf(c) + 8, size_t(len - 8)) < 0;
                                 });
            }
            i = j;
        }
    }
    // Copy the keys into key order once, so that writing the pages reads memory front
    // to back instead of jumping around for every key.
    b.sorted.resize(b.keys.size());
    b.entries.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        char* to = b.sorted.data() + i * size_t(len);
        std::memcpy(to, keyOf(items[i]), size_t(len));
        b.entries[i] = CdxTree::Entry{to, items[i].recno};
    }
    std::vector<SortItem>().swap(items);
    std::string().swap(b.keys);
}

Status Table::settleIndexes() {
    if (unindexedFrom_ == 0)
        return Status::Ok();
    const uint32_t from = unindexedFrom_;
    unindexedFrom_ = 0;
    if (!production_)
        return Status::Ok();
    const uint32_t count = recordCount();
    const uint64_t waiting = uint64_t(count) - from + 1;
    // Many new records: building every tag afresh beats inserting key by key.
    if (waiting * 4 >= count)
        return reindex();
    std::string key;
    std::vector<std::pair<std::string, uint32_t>> keys;
    for (const auto& t : production_->tags()) {
        KeyMaker& maker = *t->maker;
        keys.clear();
        keys.reserve(size_t(waiting));
        key.resize(size_t(maker.format().length));
        for (uint32_t r = from; r <= count; ++r) {
            maker.make(contextFor(dbf_->record(r), r), key.data());
            keys.emplace_back(key, r);
        }
        // In key order, consecutive inserts land in the same pages.
        std::sort(keys.begin(), keys.end());
        for (const auto& [k, r] : keys) {
            if (auto st = t->tree->insert(k.data(), r); !st)
                return st;
        }
    }
    cursorValid_ = false;
    return production_->flush();
}

Status Table::createTag(std::string_view name, std::string_view expression, const Progress& progress) {
    return createTags({TagDefinition(std::string(name), std::string(expression))}, progress);
}

Status Table::createTags(const std::vector<TagDefinition>& tags, const Progress& progress) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (auto st = settleIndexes(); !st)
        return st;
    if (auto st = ensureWritable(); !st)
        return st;
    if (!productionProblem_.empty())
        return Status::Error("The index of " + dbf_->name() + " must be rebuilt first: " + productionProblem_);
    if (!production_) {
        auto f = IndexFile::createCdx(productionIndexPath());
        if (!f)
            return f.status();
        production_ = std::move(*f);
        dbf_->setFlags(uint8_t(dbf_->header().flags | DbfHeader::kFlagProductionIndex));
        if (auto st = dbf_->writeHeader(); !st)
            return st;
    }
    Status st = addTags(*production_, tags, progress);
    rebuildOrders();
    return st;
}

Status Table::addTags(IndexFile& file, const std::vector<TagDefinition>& tags, const Progress& progress) {
    std::vector<TagBuild> builds;
    for (const auto& [name, expression] : tags) {
        auto maker = KeyMaker::create(expression, fields());
        if (!maker)
            return Status::Error("Tag " + name + ": " + maker.message());
        builds.push_back(TagBuild{name, std::move(*maker), {}, {}, {}, {}});
    }
    // Tags are built in groups whose keys fit the budget together; a group shares one
    // pass over the records.
    // More memory for larger tables means fewer passes over them.
    const uint64_t kKeyBudget = std::clamp<uint64_t>(uint64_t(recordCount()) * 256, uint64_t(96) << 20,
                                                     uint64_t(512) << 20);
    constexpr uint32_t kParallelFrom = 20000;  // below this a second thread costs more than it saves
    const uint64_t perRecord = sizeof(SortItem);
    uint64_t done = 0;
    size_t from = 0;
    while (from < builds.size()) {
        size_t to = from;
        uint64_t bytes = 0;
        while (to < builds.size()) {
            const uint64_t need = uint64_t(recordCount()) * (uint64_t(builds[to].maker.format().length) + perRecord);
            if (to > from && bytes + need > kKeyBudget)
                break;
            bytes += need;
            ++to;
        }
        // Two cores: the keys of half the group each, then one thread sorts tags while
        // this one writes the pages of those already sorted. Progress is reported from
        // this thread only.
        const bool parallel = recordCount() >= kParallelFrom;
        if (parallel && to - from >= 2) {
            const size_t mid = from + (to - from) / 2;
            Status other;
            std::thread helper([&] { other = computeKeys(builds, from, mid); });
            Status mine = computeKeys(builds, mid, to);
            helper.join();
            if (!other)
                return other;
            if (!mine)
                return mine;
        } else if (auto st = computeKeys(builds, from, to); !st) {
            return st;
        }
        std::mutex lock;
        std::condition_variable ready;
        size_t sortedUpTo = from;
        bool stop = false;
        std::thread sorter;
        if (parallel) {
            sorter = std::thread([&] {
                for (size_t g = from; g < to; ++g) {
                    {
                        std::lock_guard<std::mutex> guard(lock);
                        if (stop)
                            return;
                    }
                    sortKeys(builds[g]);
                    std::lock_guard<std::mutex> guard(lock);
                    sortedUpTo = g + 1;
                    ready.notify_one();
                }
            });
        }
        Status result = Status::Ok();
        for (size_t g = from; g < to && result; ++g) {
            TagBuild& b = builds[g];
            if (parallel) {
                std::unique_lock<std::mutex> guard(lock);
                ready.wait(guard, [&] { return sortedUpTo > g; });
            } else {
                sortKeys(b);
            }
            auto tag = file.addTag(b.name, std::move(b.maker), b.entries);
            std::vector<CdxTree::Entry>().swap(b.entries);
            std::string().swap(b.sorted);
            if (!tag)
                result = tag.status();
            else
                result = file.flush();
            if (result && progress)
                progress(++done, tags.size());
        }
        if (sorter.joinable()) {
            {
                std::lock_guard<std::mutex> guard(lock);
                stop = true;
            }
            sorter.join();
        }
        if (!result)
            return result;
        from = to;
    }
    return Status::Ok();
}

Status Table::reindex(const Progress& progress) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (!dbf_->writable())
        return Status::Error(dbf_->name() + " is open read-only");
    unindexedFrom_ = 0;  // every record is indexed afresh
    // The tag list comes from the index itself, even one left mid-update.
    std::vector<TagDefinition> tags;
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
    if (tags.empty())
        return Status::Ok();  // no index to rebuild
    const int keepOrder = order_;
    const std::string keepName = orderName();
    production_.reset();
    rebuildOrders();
    const std::string temp = cdxPath + ".rebuild~";
    ::unlink(temp.c_str());
    Status built = [&]() -> Status {
        auto f = IndexFile::createCdx(temp);
        if (!f)
            return f.status();
        if (auto st = addTags(**f, tags, progress); !st)
            return st;
        return (*f)->sync();
    }();
    if (!built) {
        ::unlink(temp.c_str());
        openProductionIndex();
        return built;
    }
    if (::rename(temp.c_str(), cdxPath.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        ::unlink(temp.c_str());
        openProductionIndex();
        return Status::Error("Cannot replace " + cdxPath + ": " + why);
    }
    syncDirectoryOf(cdxPath);
    dbf_->acceptRepair();
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
    return Status::Ok();
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
    if (auto st = settleIndexes(); !st)
        return st;
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
