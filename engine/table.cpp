#include "engine/table.h"

#include "engine/codepage.h"
#include "engine/sibling_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace qorvel::engine {

namespace {

std::string trimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0'))
        --n;
    return std::string(s.substr(0, n));
}

std::string trimBoth(std::string_view s) {
    size_t b = 0;
    while (b < s.size() && s[b] == ' ')
        ++b;
    return trimRight(s.substr(b));
}

bool memoType(char t) { return t == 'M' || t == 'G' || t == 'P'; }

}  // namespace

Table::~Table() {
    if (dbf_)
        close();
}

Status Table::create(const std::string& path, const std::vector<FieldSpec>& specs) {
    std::vector<FieldInfo> fields;
    for (const FieldSpec& s : specs)
        fields.push_back(FieldInfo{s.name, s.type, s.width, s.decimals, 0, false});
    auto header = DbfHeader::forNewTable(fields);
    if (!header)
        return header.status();
    if (fileExists(path))
        return Status::Error("Cannot create " + path + ": the file exists");
    if (header->hasMemoFields()) {
        auto fpt = FptFile::create(siblingFile(path, ".FPT"));
        if (!fpt)
            return fpt.status();
    }
    return DbfFile::create(path, *header);
}

Result<std::unique_ptr<Table>> Table::open(const std::string& path, OpenMode mode) {
    auto dbf = DbfFile::open(path, mode);
    if (!dbf)
        return dbf.status();
    std::unique_ptr<Table> t(new Table);
    t->dbf_ = std::move(*dbf);
    const DbfHeader& h = t->dbf_->header();
    if (h.hasMemoFields()) {
        bool exists = false;
        const std::string fptPath = siblingFile(path, ".FPT", &exists);
        if (!exists)
            return Status::Error("The memo file of " + t->dbf_->name() + " is missing");
        auto fpt = FptFile::open(fptPath, mode == OpenMode::Exclusive);
        if (!fpt)
            return fpt.status();
        t->fpt_ = std::move(*fpt);
    }
    // A new record is blank, with logical fields false, as FoxPro makes them.
    t->blank_.assign(h.recordLength, ' ');
    for (const FieldInfo& f : h.fields) {
        if (f.type == 'L')
            t->blank_[size_t(f.offset)] = 'F';
    }
    t->buffer_ = t->blank_;
    if (auto st = t->openProductionIndex(); !st)
        return st;
    if (auto st = t->goTop(); !st)
        return st;
    return t;
}

std::string Table::productionIndexPath() const { return siblingFile(dbf_->path(), ".CDX"); }

Status Table::openProductionIndex() {
    bool exists = false;
    const std::string cdx = siblingFile(dbf_->path(), ".CDX", &exists);
    production_.reset();
    productionProblem_.clear();
    if (exists) {
        auto f = IndexFile::openCdx(cdx, dbf_->writable(), fields());
        if (!f) {
            productionProblem_ = f.message();
        } else if ((*f)->leftMidUpdate()) {
            productionProblem_ = (*f)->pages().name() + " was left unfinished while the table changed";
        } else if (dbf_->countWasRepaired()) {
            productionProblem_ = dbf_->name() + " was left unfinished; its index may miss records";
        } else {
            production_ = std::move(*f);
        }
    }
    rebuildOrders();
    return Status::Ok();
}

void Table::rebuildOrders() {
    const IndexTag* current = order_ > 0 && order_ <= int(orders_.size()) ? orders_[size_t(order_ - 1)].tag : nullptr;
    orders_.clear();
    if (production_) {
        for (const auto& t : production_->tags())
            orders_.push_back(Order{t.get(), production_.get()});
    }
    for (const auto& f : extraIndexes_) {
        for (const auto& t : f->tags())
            orders_.push_back(Order{t.get(), f.get()});
    }
    order_ = 0;
    for (size_t i = 0; i < orders_.size(); ++i) {
        if (orders_[i].tag == current)
            order_ = int(i + 1);
    }
    cursorValid_ = false;
}

Status Table::close() {
    if (!dbf_)
        return Status::Ok();
    Status result = Status::Ok();
    if (pending() && dbf_->writable())
        result = post();
    bulk_ = false;
    if (dbf_->writable()) {
        if (Status st = flush(); !st && result)
            result = st;
        for (auto* f : {production_.get()}) {
            if (f)
                f->sync();
        }
        if (fpt_)
            fpt_->sync();
        if (Status st = dbf_->sync(); !st && result)
            result = st;
    }
    extraIndexes_.clear();
    production_.reset();
    orders_.clear();
    fpt_.reset();
    dbf_.reset();
    return result;
}

int Table::fieldIndex(std::string_view name) const {
    const auto& f = fields();
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i].name.size() != name.size())
            continue;
        bool same = true;
        for (size_t k = 0; k < name.size() && same; ++k)
            same = std::toupper(static_cast<unsigned char>(name[k])) == static_cast<unsigned char>(f[i].name[k]);
        if (same)
            return int(i);
    }
    return -1;
}

uint32_t Table::recNo() const {
    if (appending_)
        return recordCount() + 1;
    return recno_ == 0 ? recordCount() + 1 : recno_;
}

const char* Table::currentBytes() const {
    if (dirty_ || appending_)
        return buffer_.data();
    if (recno_ == 0)
        return blank_.data();
    return dbf_->record(recno_);
}

std::string_view Table::rawField(int field) const {
    if (field < 0 || field >= int(fields().size()))
        return {};
    const FieldInfo& f = fields()[size_t(field)];
    return std::string_view(currentBytes() + f.offset, size_t(f.width));
}

std::string Table::getString(int field) const {
    if (field >= 0 && field < int(fields().size()) && memoType(fields()[size_t(field)].type)) {
        auto m = getMemo(field);
        return m ? *m : std::string();
    }
    return stringFrom(currentBytes(), field);
}

std::string Table::stringAt(uint32_t recno, int field) const {
    if (recno < 1 || recno > recordCount())
        return {};
    if (field >= 0 && field < int(fields().size()) && memoType(fields()[size_t(field)].type)) {
        auto m = memoFrom(dbf_->record(recno), field);
        return m ? *m : std::string();
    }
    return stringFrom(dbf_->record(recno), field);
}

Result<std::string> Table::memoAt(uint32_t recno, int field) const {
    if (recno < 1 || recno > recordCount())
        return Status::Error("Record " + std::to_string(recno) + " does not exist");
    return memoFrom(dbf_->record(recno), field);
}

std::string Table::stringFrom(const char* record, int field) const {
    if (field < 0 || field >= int(fields().size()))
        return {};
    const FieldInfo& f = fields()[size_t(field)];
    const std::string_view raw(record + f.offset, size_t(f.width));
    switch (f.type) {
    case 'N': case 'F': case 'D':
        return trimBoth(raw);
    case 'L': {
        const char c = raw.empty() ? ' ' : raw[0];
        if (c == 'T' || c == 't' || c == 'Y' || c == 'y')
            return "T";
        if (c == 'F' || c == 'f' || c == 'N' || c == 'n')
            return "F";
        return {};
    }
    case 'I': case 'Y': case 'B': case '+': case 'O': {
        double v = 0;
        if (f.type == 'I' || f.type == '+') {
            int32_t i;
            std::memcpy(&i, raw.data(), 4);
            v = i;
        } else if (f.type == 'Y') {
            int64_t y;
            std::memcpy(&y, raw.data(), 8);
            v = double(y) / 10000.0;
        } else {
            std::memcpy(&v, raw.data(), 8);
        }
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.10g", std::isfinite(v) ? v : 0.0);
        return buf;
    }
    case 'T': case '@': {
        int32_t j;
        std::memcpy(&j, raw.data(), 4);
        return j > 0 ? Date{j}.toDtos() : std::string();
    }
    default:
        return cp1252::toUtf8(trimRight(raw));
    }
}

double Table::getNumber(int field) const {
    if (field < 0 || field >= int(fields().size()))
        return 0;
    const FieldInfo& f = fields()[size_t(field)];
    const char* p = currentBytes() + f.offset;
    switch (f.type) {
    case 'I': case '+': {
        int32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    case 'Y': {
        int64_t v;
        std::memcpy(&v, p, 8);
        return double(v) / 10000.0;
    }
    case 'B': case 'O': {
        double v;
        std::memcpy(&v, p, 8);
        return std::isfinite(v) ? v : 0;
    }
    default:
        return parseFieldNumber(p, f.width);
    }
}

bool Table::getLogical(int field) const { return getString(field) == "T"; }

Date Table::getDate(int field) const {
    if (field < 0 || field >= int(fields().size()))
        return {};
    const FieldInfo& f = fields()[size_t(field)];
    const char* p = currentBytes() + f.offset;
    if (f.type == 'T' || f.type == '@') {
        int32_t j;
        std::memcpy(&j, p, 4);
        return Date{j > 0 ? j : 0};
    }
    return Date::fromDtos(std::string_view(p, size_t(std::min(f.width, 8))));
}

bool Table::deleted() const { return currentBytes()[0] == '*'; }

uint32_t Table::memoBlock(const char* record, int field) const {
    const FieldInfo& f = fields()[size_t(field)];
    const char* p = record + f.offset;
    if (f.width == 4) {
        uint32_t v = 0;
        std::memcpy(&v, p, 4);
        return v;
    }
    uint64_t v = 0;
    for (int i = 0; i < f.width; ++i) {
        if (p[i] >= '0' && p[i] <= '9')
            v = v * 10 + uint64_t(p[i] - '0');
        else if (p[i] != ' ' && p[i] != '\0')
            return 0;
    }
    return v > 0xFFFFFFFFu ? 0 : uint32_t(v);
}

std::string Table::readMemoRaw(const char* record, int field) const {
    if (!fpt_)
        return {};
    auto m = fpt_->read(memoBlock(record, field));
    return m ? *m : std::string();
}

Result<std::string> Table::getMemo(int field) const {
    auto pending = pendingMemos_.find(field);
    if (pending != pendingMemos_.end())
        return cp1252::toUtf8(pending->second);
    return memoFrom(currentBytes(), field);
}

Result<std::string> Table::memoFrom(const char* record, int field) const {
    if (field < 0 || field >= int(fields().size()) || !memoType(fields()[size_t(field)].type))
        return Status::Error("Field " + std::to_string(field + 1) + " is not a memo field");
    if (!fpt_)
        return std::string();
    auto m = fpt_->read(memoBlock(record, field));
    if (!m)
        return m.status();
    return cp1252::toUtf8(*m);
}

bool Table::memoEmpty(int field) const {
    if (field < 0 || field >= int(fields().size()))
        return true;
    auto pending = pendingMemos_.find(field);
    if (pending != pendingMemos_.end())
        return pending->second.empty();
    return memoBlock(currentBytes(), field) == 0;
}

EvalContext Table::contextFor(const char* record, uint32_t recno) const {
    EvalContext ctx;
    ctx.record = record;
    ctx.recno = recno;
    ctx.exact = exact_;
    if (fpt_)
        ctx.memo = [this, record](int field) { return readMemoRaw(record, field); };
    return ctx;
}

Status Table::ensureWritable() const {
    if (!dbf_->writable())
        return Status::Error(dbf_->name() + " is open read-only");
    if (production_) {
        for (const auto& t : production_->tags()) {
            if (!t->maintainable())
                return Status::Error("The table cannot be changed: tag " + t->name + " of " +
                                     production_->pages().name() + " cannot be kept up to date (" +
                                     t->cannotMaintain + ")");
        }
    }
    return Status::Ok();
}

Status Table::prepareEdit() {
    if (auto st = ensureWritable(); !st)
        return st;
    if (dirty_ || appending_)
        return Status::Ok();
    if (recno_ == 0)
        return Status::Error("There is no current record to change");
    std::memcpy(buffer_.data(), dbf_->record(recno_), buffer_.size());
    dirty_ = true;
    return Status::Ok();
}

Status Table::writeFieldBytes(int field, std::string_view bytes) {
    if (field < 0 || field >= int(fields().size()))
        return Status::Error("There is no field " + std::to_string(field + 1));
    if (auto st = prepareEdit(); !st)
        return st;
    const FieldInfo& f = fields()[size_t(field)];
    const size_t n = std::min(bytes.size(), size_t(f.width));
    std::memcpy(buffer_.data() + f.offset, bytes.data(), n);
    std::memset(buffer_.data() + f.offset + n, ' ', size_t(f.width) - n);
    return Status::Ok();
}

Status Table::setString(int field, std::string_view utf8) {
    if (field < 0 || field >= int(fields().size()))
        return Status::Error("There is no field " + std::to_string(field + 1));
    const FieldInfo& f = fields()[size_t(field)];
    switch (f.type) {
    case 'C': case 'V': {
        auto bytes = cp1252::fromUtf8(utf8);
        if (!bytes)
            return Status::Error(bytes.message() + " (field " + f.name + ")");
        return writeFieldBytes(field, *bytes);
    }
    case 'N': case 'F': {
        const std::string t = trimBoth(utf8);
        if (t.empty())
            return writeFieldBytes(field, "");
        char* end = nullptr;
        const double v = std::strtod(t.c_str(), &end);
        if (end == t.c_str() || *end != '\0')
            return Status::Error("\"" + t + "\" is not a number (field " + f.name + ")");
        return setNumber(field, v);
    }
    case 'L': {
        std::string t = trimBoth(utf8);
        for (char& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (t.empty())
            return writeFieldBytes(field, " ");
        const bool v = t == "T" || t == ".T." || t == "Y" || t == ".Y." || t == "1" || t == "TRUE" || t == "YES";
        return setLogical(field, v);
    }
    case 'D': {
        const std::string t = trimBoth(utf8);
        if (t.empty())
            return writeFieldBytes(field, "");
        Date d = Date::fromDtos(t);
        if (d.empty())
            d = Date::fromAmerican(t);
        if (d.empty())
            return Status::Error("\"" + t + "\" is not a date (field " + f.name + ")");
        return setDate(field, d);
    }
    case 'M':
        return setMemo(field, utf8);
    default:
        return Status::Error("Field " + f.name + " has a type that cannot be written");
    }
}

Status Table::setNumber(int field, double value) {
    if (field < 0 || field >= int(fields().size()))
        return Status::Error("There is no field " + std::to_string(field + 1));
    const FieldInfo& f = fields()[size_t(field)];
    if (f.type != 'N' && f.type != 'F')
        return Status::Error("Field " + f.name + " is not numeric");
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*.*f", f.width, f.decimals, value);
    if (int(std::strlen(buf)) > f.width || !std::isfinite(value))
        return Status::Error("The number is too large for field " + f.name);
    return writeFieldBytes(field, buf);
}

Status Table::setLogical(int field, bool value) {
    if (field < 0 || field >= int(fields().size()) || fields()[size_t(field)].type != 'L')
        return Status::Error("Field " + std::to_string(field + 1) + " is not logical");
    return writeFieldBytes(field, value ? "T" : "F");
}

Status Table::setDate(int field, Date value) {
    if (field < 0 || field >= int(fields().size()) || fields()[size_t(field)].type != 'D')
        return Status::Error("Field " + std::to_string(field + 1) + " is not a date");
    return writeFieldBytes(field, value.toDtos());
}

Status Table::setMemo(int field, std::string_view utf8) {
    if (field < 0 || field >= int(fields().size()) || !memoType(fields()[size_t(field)].type))
        return Status::Error("Field " + std::to_string(field + 1) + " is not a memo field");
    if (!fpt_)
        return Status::Error("The table has no memo file");
    auto bytes = cp1252::fromUtf8(utf8);
    if (!bytes)
        return Status::Error(bytes.message() + " (field " + fields()[size_t(field)].name + ")");
    if (auto st = prepareEdit(); !st)
        return st;
    pendingMemos_[field] = std::move(*bytes);
    return Status::Ok();
}

Status Table::appendBlank() {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (auto st = ensureWritable(); !st)
        return st;
    buffer_.assign(blank_);
    appending_ = true;
    dirty_ = false;
    eof_ = bof_ = false;
    found_ = false;
    return Status::Ok();
}

void Table::cancel() {
    dirty_ = false;
    pendingMemos_.clear();
    if (appending_) {
        appending_ = false;
        if (recno_ == 0)
            eof_ = true;
    }
}

Status Table::maintainIndexes(const char* oldRecord, const char* newRecord, uint32_t recno) {
    if (!production_)
        return Status::Ok();
    std::string oldKey, newKey;
    for (const auto& t : production_->tags()) {
        KeyMaker& maker = *t->maker;
        const int len = maker.format().length;
        newKey.resize(size_t(len));
        maker.make(contextFor(newRecord, recno), newKey.data());
        if (oldRecord) {
            oldKey.resize(size_t(len));
            maker.make(contextFor(oldRecord, recno), oldKey.data());
            if (oldKey == newKey)
                continue;
            if (auto st = t->tree->erase(oldKey.data(), recno); !st)
                return st;
        }
        if (auto st = t->tree->insert(newKey.data(), recno); !st)
            return st;
    }
    return Status::Ok();
}

Status Table::post() {
    if (!dirty_ && !appending_)
        return Status::Ok();
    if (auto st = ensureWritable(); !st)
        return st;
    // Memos first: the record then points at text that is already stored.
    for (auto& [field, text] : pendingMemos_) {
        // Only a stored record owns its memo blocks; a new record always gets new ones.
        const uint32_t old = appending_ || recno_ == 0 ? 0 : memoBlock(dbf_->record(recno_), field);
        auto block = fpt_->write(old, text);
        if (!block)
            return block.status();
        const FieldInfo& f = fields()[size_t(field)];
        char digits[32];
        if (f.width == 4) {
            std::memcpy(buffer_.data() + f.offset, &*block, 4);
        } else {
            if (*block == 0)
                std::memset(digits, ' ', size_t(f.width));
            else
                std::snprintf(digits, sizeof digits, "%*u", f.width, *block);
            std::memcpy(buffer_.data() + f.offset, digits, size_t(f.width));
        }
    }
    pendingMemos_.clear();
    if (production_) {
        if (auto st = production_->beginUpdate(); !st)
            return st;
    }
    uint32_t recno = recno_;
    bool wasVisible = false;
    if (appending_) {
        auto r = dbf_->appendRecord(buffer_.data());
        if (!r)
            return r.status();
        recno = *r;
        conditionBits_.resize((recordCount() + 63) / 64, 0);
        if (bulk_ && production_) {
            if (unindexedFrom_ == 0)
                unindexedFrom_ = recno;
        } else if (auto st = maintainIndexes(nullptr, buffer_.data(), recno); !st) {
            return st;
        }
        if (deletedCount_ && buffer_[0] == '*')
            ++*deletedCount_;
    } else {
        wasVisible = visible(recno);
        const std::string old(dbf_->record(recno), dbf_->header().recordLength);
        if (auto st = dbf_->writeRecord(recno, buffer_.data()); !st)
            return st;
        // A record still waiting to join the indexes gets its keys when it does.
        if (unindexedFrom_ == 0 || recno < unindexedFrom_) {
            if (auto st = maintainIndexes(old.data(), buffer_.data(), recno); !st)
                return st;
        }
        if (deletedCount_ && (old[0] == '*') != (buffer_[0] == '*'))
            *deletedCount_ += buffer_[0] == '*' ? 1 : uint32_t(-1);
    }
    appending_ = dirty_ = false;
    recno_ = recno;
    eof_ = bof_ = false;
    cursorValid_ = false;
    updateVisibilityOf(recno, wasVisible);
    return afterChange();
}

Status Table::afterChange() {
    // The record is on disk; index pages follow at flush() or close(). Until then the
    // index file carries its open-for-update mark, so a crash in between leaves an
    // index that reads as unfinished and is rebuilt, never one that silently lacks keys.
    return Status::Ok();
}

Status Table::flush() {
    if (!dbf_ || !dbf_->writable())
        return Status::Ok();
    if (auto st = settleIndexes(); !st)
        return st;
    if (auto st = dbf_->writeHeader(); !st)
        return st;
    if (production_) {
        if (auto st = production_->flush(); !st)
            return st;
    }
    for (const auto& f : extraIndexes_) {
        if (auto st = f->flush(); !st)
            return st;
    }
    return Status::Ok();
}

Status Table::endBulk() {
    bulk_ = false;
    return flush();
}

Status Table::deleteRecord() {
    if (auto st = prepareEdit(); !st)
        return st;
    buffer_[0] = '*';
    return post();
}

Status Table::recall() {
    if (auto st = prepareEdit(); !st)
        return st;
    buffer_[0] = ' ';
    return post();
}

Result<Expression> Table::compileCondition(std::string_view utf8) const {
    auto bytes = cp1252::fromUtf8(utf8);
    if (!bytes)
        return bytes.status();
    auto e = Expression::compile(*bytes, fields());
    if (!e)
        return e.status();
    if (e->type() != ValueType::Logical)
        return Status::Error("The condition \"" + std::string(utf8) + "\" is not a logical expression");
    return e;
}

Result<bool> Table::evalLogical(std::string_view expression) {
    auto e = compileCondition(expression);
    if (!e)
        return e.status();
    return e->evalLogical(contextFor(currentBytes(), recNo()));
}

Status Table::copyStructure(const std::string& path) const {
    if (fileExists(path))
        return Status::Error("Cannot create " + path + ": the file exists");
    DbfHeader h = dbf_->header();
    h.recordCount = 0;
    h.flags = uint8_t(h.flags & ~DbfHeader::kFlagProductionIndex);
    if (h.hasMemoFields()) {
        auto fpt = FptFile::create(siblingFile(path, ".FPT"), fpt_ ? fpt_->blockSize() : FptFile::kDefaultBlockSize);
        if (!fpt)
            return fpt.status();
    }
    return DbfFile::create(path, h);
}

}  // namespace qorvel::engine
