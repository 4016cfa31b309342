#include "engine/codepage.h"
#include "engine/table.h"

#include <cstring>

namespace qorvel::engine {

Status Table::beforeMove() {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (order_ > 0)
        return settleIndexes();
    return Status::Ok();
}

Table::Order* Table::currentOrder() {
    if (order_ <= 0 || order_ > int(orders_.size()))
        return nullptr;
    return &orders_[size_t(order_ - 1)];
}

int Table::tagArea(std::string_view name) const {
    std::string n(name);
    for (char& c : n)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t i = 0; i < orders_.size(); ++i) {
        if (orders_[i].tag->name == n)
            return int(i + 1);
    }
    return 0;
}

TagInfo Table::tagInfo(int order) const {
    if (order <= 0 || order > int(orders_.size()))
        return {};
    const Order& o = orders_[size_t(order - 1)];
    return TagInfo{o.tag->name, o.tag->header.keyExpression, o.file->path(), o.tag->maintainable()};
}

std::string Table::orderName() const { return order_ > 0 ? tagInfo(order_).name : std::string(); }
std::string Table::orderFile() const { return order_ > 0 ? tagInfo(order_).file : std::string(); }

Status Table::setOrder(int order) {
    if (order < 0 || order > int(orders_.size()))
        return Status::Error("There is no order " + std::to_string(order));
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    order_ = order;
    cursorValid_ = false;
    scope_.reset();
    return Status::Ok();
}

Status Table::placeAtEnd() {
    recno_ = 0;
    eof_ = true;
    cursorValid_ = false;
    return Status::Ok();
}

Status Table::placeOn(uint32_t recno, const TreeCursor* cursor) {
    recno_ = recno;
    eof_ = bof_ = false;
    cursorValid_ = cursor != nullptr;
    if (cursor)
        cursor_ = *cursor;
    return Status::Ok();
}

bool Table::visible(uint32_t recno) {
    if (recno < 1 || recno > recordCount())
        return false;
    if (deletedHidden_ && dbf_->record(recno)[0] == '*')
        return false;
    if (query_) {
        const size_t i = recno - 1;
        if (i / 64 >= conditionBits_.size() || !(conditionBits_[i / 64] >> (i % 64) & 1))
            return false;
    }
    return true;
}

bool Table::inScopeTop(const char* key) const {
    if (!scope_ || scope_->top.empty())
        return true;
    return std::memcmp(key, scope_->top.data(), scope_->top.size()) >= 0;
}

bool Table::inScopeBottom(const char* key) const {
    if (!scope_ || scope_->bottom.empty())
        return true;
    return std::memcmp(key, scope_->bottom.data(), scope_->bottom.size()) <= 0;
}

Result<TreeCursor> Table::cursorForCurrent() {
    if (cursorValid_)
        return cursor_;
    Order* o = currentOrder();
    if (!o || recno_ == 0)
        return TreeCursor{};
    CdxTree& tree = *o->tag->tree;
    if (o->tag->maker) {
        std::string key(size_t(tree.keyLength()), ' ');
        o->tag->maker->make(contextFor(dbf_->record(recno_), recno_), key.data());
        auto c = tree.lowerBoundEntry(key.data(), recno_);
        if (!c)
            return c.status();
        if (c->valid()) {
            auto r = tree.recno(*c);
            if (r && *r == recno_) {
                cursor_ = *c;
                cursorValid_ = true;
                return *c;
            }
        }
    }
    // The key on file differs from the record (an index built elsewhere, or a
    // single index file whose entries were added by hand): find the entry itself.
    auto c = tree.first();
    if (!c)
        return c.status();
    TreeCursor cur = *c;
    while (cur.valid()) {
        auto r = tree.recno(cur);
        if (!r)
            return r.status();
        if (*r == recno_) {
            cursor_ = cur;
            cursorValid_ = true;
            return cur;
        }
        auto n = tree.next(cur);
        if (!n)
            return n.status();
    }
    return TreeCursor{};
}

Status Table::scanForward(TreeCursor c, bool fromTop) {
    CdxTree& tree = *currentOrder()->tag->tree;
    while (c.valid()) {
        auto k = tree.key(c);
        if (!k)
            return k.status();
        if (!inScopeBottom(*k))
            break;
        auto r = tree.recno(c);
        if (!r)
            return r.status();
        if (visible(*r)) {
            // Walking an order jumps around the file: ask for the next records early.
            uint32_t ahead[8];
            const size_t known = tree.recnosAfter(c, ahead, 8);
            for (size_t i = 0; i < known; ++i) {
                if (ahead[i] >= 1 && ahead[i] <= recordCount())
                    __builtin_prefetch(dbf_->record(ahead[i]));
            }
            return placeOn(*r, &c);
        }
        auto n = tree.next(c);
        if (!n)
            return n.status();
    }
    if (fromTop)
        bof_ = true;
    return placeAtEnd();
}

Status Table::scanBackward(TreeCursor c) {
    CdxTree& tree = *currentOrder()->tag->tree;
    while (c.valid()) {
        auto k = tree.key(c);
        if (!k)
            return k.status();
        if (!inScopeTop(*k))
            break;
        auto r = tree.recno(c);
        if (!r)
            return r.status();
        if (visible(*r))
            return placeOn(*r, &c);
        auto p = tree.prev(c);
        if (!p)
            return p.status();
    }
    // Before the first record: stay on the first one with BOF set.
    if (auto st = goTop(); !st)
        return st;
    bof_ = true;
    return Status::Ok();
}

Status Table::naturalForward(uint32_t from) {
    for (uint32_t r = from; r <= recordCount(); ++r) {
        if (visible(r))
            return placeOn(r, nullptr);
    }
    return placeAtEnd();
}

Status Table::naturalBackward(uint32_t from) {
    for (uint32_t r = from; r >= 1; --r) {
        if (visible(r))
            return placeOn(r, nullptr);
    }
    if (auto st = goTop(); !st)
        return st;
    bof_ = true;
    return Status::Ok();
}

Status Table::goTop() {
    if (auto st = beforeMove(); !st)
        return st;
    bof_ = false;
    found_ = false;
    Order* o = currentOrder();
    if (!o) {
        if (auto st = naturalForward(1); !st)
            return st;
    } else {
        auto c = scope_ && !scope_->top.empty() ? o->tag->tree->lowerBound(scope_->top) : o->tag->tree->first();
        if (!c)
            return c.status();
        if (auto st = scanForward(*c, true); !st)
            return st;
    }
    if (eof_)
        bof_ = true;
    return Status::Ok();
}

Status Table::goBottom() {
    if (auto st = beforeMove(); !st)
        return st;
    bof_ = false;
    found_ = false;
    Order* o = currentOrder();
    if (!o)
        return naturalBackward(recordCount());
    auto c = scope_ && !scope_->bottom.empty() ? o->tag->tree->upperBoundLast(scope_->bottom) : o->tag->tree->last();
    if (!c)
        return c.status();
    return scanBackward(*c);
}

Status Table::skip(int64_t count) {
    if (auto st = beforeMove(); !st)
        return st;
    found_ = false;
    Order* o = currentOrder();
    for (int64_t i = 0; i < count; ++i) {
        if (recno_ == 0)
            return placeAtEnd();
        bof_ = false;
        if (!o) {
            if (auto st = naturalForward(recno_ + 1); !st)
                return st;
            continue;
        }
        auto c = cursorForCurrent();
        if (!c)
            return c.status();
        TreeCursor cur = *c;
        if (cur.valid()) {
            auto n = o->tag->tree->next(cur);
            if (!n)
                return n.status();
        }
        if (auto st = scanForward(cur, false); !st)
            return st;
    }
    for (int64_t i = 0; i > count; --i) {
        if (recno_ == 0) {
            if (auto st = goBottom(); !st)
                return st;
            continue;
        }
        if (!o) {
            if (recno_ <= 1) {
                bof_ = true;
                return Status::Ok();
            }
            if (auto st = naturalBackward(recno_ - 1); !st)
                return st;
            if (bof_)
                return Status::Ok();
            continue;
        }
        auto c = cursorForCurrent();
        if (!c)
            return c.status();
        TreeCursor cur = *c;
        if (cur.valid()) {
            auto p = o->tag->tree->prev(cur);
            if (!p)
                return p.status();
        }
        if (auto st = scanBackward(cur); !st)
            return st;
        if (bof_)
            return Status::Ok();
    }
    return Status::Ok();
}

Result<bool> Table::goTo(uint32_t recno) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    found_ = false;
    bof_ = false;
    if (!visible(recno)) {
        placeAtEnd();
        return false;
    }
    placeOn(recno, nullptr);
    return true;
}

Result<bool> Table::seek(std::string_view value, bool last) {
    if (auto st = beforeMove(); !st)
        return st;
    Order* o = currentOrder();
    if (!o)
        return Status::Error("A seek needs an index order");
    auto bytes = cp1252::fromUtf8(value);
    if (!bytes)
        return bytes.status();
    std::string key = *bytes;
    const KeyFormat fmt = o->tag->format();
    if (o->tag->maker && !o->tag->maker->encodeSeek(*bytes, key))
        return Status::Error("\"" + std::string(value) + "\" does not fit the key of tag " + o->tag->name);
    if (exact_ && fmt.type == KeyType::Character && int(key.size()) < fmt.length)
        key.append(size_t(fmt.length) - key.size(), ' ');
    CdxTree& tree = *o->tag->tree;
    const auto matches = [&](const TreeCursor& c) -> bool {
        if (!c.valid())
            return false;
        auto k = tree.key(c);
        return k && std::memcmp(*k, key.data(), std::min(key.size(), size_t(fmt.length))) == 0;
    };
    bof_ = false;
    if (last) {
        auto c = tree.upperBoundLast(key);
        if (!c)
            return c.status();
        for (TreeCursor cur = *c; matches(cur);) {
            auto k = tree.key(cur);
            auto r = tree.recno(cur);
            if (!k || !r)
                return k ? r.status() : k.status();
            if (inScopeTop(*k) && inScopeBottom(*k) && visible(*r)) {
                placeOn(*r, &cur);
                found_ = true;
                return true;
            }
            auto p = tree.prev(cur);
            if (!p)
                return p.status();
        }
    }
    auto c = tree.lowerBound(key);
    if (!c)
        return c.status();
    if (auto st = scanForward(*c, false); !st)
        return st;
    found_ = !eof_ && cursorValid_ && matches(cursor_);
    if (!found_ && !softSeek_)
        placeAtEnd();
    return found_;
}

Status Table::setScope(std::string_view top, std::string_view bottom) {
    if (top.empty() && bottom.empty()) {
        scope_.reset();
        return Status::Ok();
    }
    Order* o = currentOrder();
    if (!o)
        return Status::Error("A scope needs an index order");
    Scope s;
    for (auto [in, out] : {std::pair{top, &s.top}, std::pair{bottom, &s.bottom}}) {
        auto bytes = cp1252::fromUtf8(in);
        if (!bytes)
            return bytes.status();
        *out = *bytes;
        if (!in.empty() && o->tag->maker && !o->tag->maker->encodeSeek(*bytes, *out))
            return Status::Error("\"" + std::string(in) + "\" does not fit the key of tag " + o->tag->name);
    }
    scope_ = s;
    cursorValid_ = false;
    return Status::Ok();
}

Result<uint32_t> Table::keyNo() {
    if (auto st = settleIndexes(); !st)
        return st;
    Order* o = currentOrder();
    if (!o || recno_ == 0)
        return uint32_t(0);
    auto c = cursorForCurrent();
    if (!c)
        return c.status();
    if (!c->valid())
        return uint32_t(0);
    CdxTree& tree = *o->tag->tree;
    auto first = tree.first();
    if (!first)
        return first.status();
    TreeCursor cur = *first;
    uint32_t n = 1;
    while (cur.valid() && !(cur.leaf == c->leaf && cur.index == c->index)) {
        auto nx = tree.next(cur);
        if (!nx)
            return nx.status();
        ++n;
    }
    return cur.valid() ? n : 0;
}

Result<std::string> Table::currentKey() {
    if (auto st = settleIndexes(); !st)
        return st;
    Order* o = currentOrder();
    if (!o || recno_ == 0)
        return std::string();
    auto c = cursorForCurrent();
    if (!c)
        return c.status();
    if (!c->valid())
        return std::string();
    auto k = o->tag->tree->key(*c);
    if (!k)
        return k.status();
    return std::string(*k, size_t(o->tag->tree->keyLength()));
}

}  // namespace qorvel::engine

namespace qorvel::engine {

Status Table::visibleRecords(std::vector<uint32_t>& out) {
    out.clear();
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    Order* o = currentOrder();
    if (!o) {
        for (uint32_t r = 1; r <= recordCount(); ++r) {
            if (visible(r))
                out.push_back(r);
        }
        return Status::Ok();
    }
    if (auto st = settleIndexes(); !st)
        return st;
    CdxTree& tree = *o->tag->tree;
    auto c = scope_ && !scope_->top.empty() ? tree.lowerBound(scope_->top) : tree.first();
    if (!c)
        return c.status();
    for (TreeCursor cur = *c; cur.valid();) {
        auto k = tree.key(cur);
        auto r = tree.recno(cur);
        if (!k || !r)
            return k ? r.status() : k.status();
        if (!inScopeBottom(*k))
            break;
        if (visible(*r))
            out.push_back(*r);
        auto n = tree.next(cur);
        if (!n)
            return n.status();
    }
    return Status::Ok();
}

}  // namespace qorvel::engine
