#include "engine/codepage.h"
#include "engine/expr_parser.h"
#include "engine/table.h"

#include <algorithm>
#include <cstring>

namespace qorvel::engine {

namespace {

void collectConjuncts(const ExprNode& n, std::vector<const ExprNode*>& out) {
    if (n.kind == ExprNode::Kind::Binary && n.text == "AND") {
        collectConjuncts(*n.children[0], out);
        collectConjuncts(*n.children[1], out);
        return;
    }
    out.push_back(&n);
}

// The first term of a tag expression that joins pieces with '+', e.g. UPPER(LNAME)
// of UPPER(LNAME)+UPPER(FNAME).
const ExprNode& firstTerm(const ExprNode& n) {
    const ExprNode* p = &n;
    while (p->kind == ExprNode::Kind::Binary && p->text == "+")
        p = p->children[0].get();
    return *p;
}

bool isComparison(const std::string& op) {
    return op == "=" || op == ">=" || op == ">" || op == "<=" || op == "<";
}

}  // namespace

Status Table::setQuery(std::string_view condition) {
    if (pending()) {
        if (auto st = post(); !st)
            return st;
    }
    if (condition.find_first_not_of(" \t") == std::string_view::npos) {
        query_.reset();
        querySource_.clear();
        conditionBits_.clear();
        visibleCount_.reset();
        return Status::Ok();
    }
    auto e = compileCondition(condition);
    if (!e)
        return e.status();
    if (auto st = settleIndexes(); !st)
        return st;
    query_ = std::move(*e);
    querySource_ = std::string(condition);
    return computeConditionBits();
}

Status Table::computeConditionBits() {
    visibleCount_.reset();
    const uint32_t count = recordCount();
    conditionBits_.assign((size_t(count) + 63) / 64, 0);
    Expression& cond = *query_;
    EvalContext ctx = contextFor(nullptr, 0);
    const char* record = nullptr;
    if (fpt_)
        ctx.memo = [this, &record](int field) { return readMemoRaw(record, field); };
    uint32_t visibleNow = 0;
    auto test = [&](uint32_t r) {
        record = dbf_->record(r);
        ctx.record = record;
        ctx.recno = r;
        if (cond.evalLogical(ctx)) {
            conditionBits_[(r - 1) / 64] |= uint64_t(1) << ((r - 1) % 64);
            if (!deletedHidden_ || record[0] != '*')
                ++visibleNow;
        }
    };
    if (auto candidates = candidatesFromIndex(cond.ast())) {
        const std::vector<uint32_t>& c = *candidates;
        for (size_t i = 0; i < c.size(); ++i) {
            if (i + 8 < c.size())
                __builtin_prefetch(dbf_->record(c[i + 8]));
            test(c[i]);
        }
    } else {
        dbf_->adviseSequential(true);
        for (uint32_t r = 1; r <= count; ++r)
            test(r);
        dbf_->adviseSequential(false);
    }
    visibleCount_ = visibleNow;
    cursorValid_ = false;
    return Status::Ok();
}

std::optional<std::vector<uint32_t>> Table::candidatesFromIndex(const ExprNode& ast) {
    if (!production_)
        return std::nullopt;
    std::vector<const ExprNode*> conjuncts;
    collectConjuncts(ast, conjuncts);

    struct Plan {
        IndexTag* tag = nullptr;
        std::string low, high;  // prefixes; empty low = from the first key, empty high = to the last
        bool bounded = false;
        int priority = 0;
    } best;

    for (const ExprNode* c : conjuncts) {
        for (const auto& tagPtr : production_->tags()) {
            IndexTag* tag = tagPtr.get();
            if (!tag->maker || !tag->maintainable())
                continue;
            const ExprNode& tagAst = tag->maker->compiled().ast();
            const std::string tagText = tagAst.canonical();
            const KeyFormat fmt = tag->format();
            Plan p;
            p.tag = tag;
            if (c->kind == ExprNode::Kind::Binary && isComparison(c->text) &&
                c->children[1]->kind == ExprNode::Kind::StringLit && fmt.type == KeyType::Character) {
                const ExprNode& left = *c->children[0];
                const std::string leftText = left.canonical();
                int width = 0;
                if (leftText == tagText) {
                    width = fmt.length;
                } else if (firstTerm(tagAst).canonical() == leftText && &firstTerm(tagAst) != &tagAst) {
                    auto e = Expression::compile(leftText, fields());
                    if (!e || e->type() != ValueType::String)
                        continue;
                    width = e->maxLength();
                } else {
                    continue;
                }
                std::string s = c->children[1]->text;
                if (int(s.size()) > width)
                    continue;
                if (c->text == "=") {
                    if (exact_)
                        s.append(size_t(width) - s.size(), ' ');
                    p.low = p.high = s;
                    p.bounded = true;
                    p.priority = 3;
                } else if (c->text[0] == '>') {
                    p.low = s;
                    p.priority = 1;
                } else {
                    p.high = s;
                    p.bounded = true;
                    p.priority = 1;
                }
            } else if (fmt.type == KeyType::Logical) {
                const std::string text = c->canonical();
                if (text == tagText) {
                    p.low = p.high = "T";
                } else if ("!" + text == tagText || text == "!" + tagText) {
                    p.low = p.high = "F";
                } else {
                    continue;
                }
                p.bounded = true;
                p.priority = 2;
            } else {
                continue;
            }
            if (p.priority > best.priority)
                best = p;
        }
    }
    if (!best.tag)
        return std::nullopt;

    CdxTree& tree = *best.tag->tree;
    auto c = best.low.empty() ? tree.first() : tree.lowerBound(best.low);
    if (!c)
        return std::nullopt;
    std::vector<uint32_t> out;
    TreeCursor cur = *c;
    while (cur.valid()) {
        auto k = tree.key(cur);
        auto r = tree.recno(cur);
        if (!k || !r)
            return std::nullopt;
        if (best.bounded && std::memcmp(*k, best.high.data(), best.high.size()) > 0)
            break;
        if (*r >= 1 && *r <= recordCount())
            out.push_back(*r);
        auto n = tree.next(cur);
        if (!n)
            return std::nullopt;
    }
    // Reading the records in file order is kinder to the disk.
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

bool Table::conditionHolds(uint32_t recno) {
    if (!query_)
        return true;
    return query_->evalLogical(contextFor(dbf_->record(recno), recno));
}

void Table::updateVisibilityOf(uint32_t recno, bool wasVisible) {
    if (query_) {
        conditionBits_.resize((size_t(recordCount()) + 63) / 64, 0);
        const size_t i = recno - 1;
        if (conditionHolds(recno))
            conditionBits_[i / 64] |= uint64_t(1) << (i % 64);
        else
            conditionBits_[i / 64] &= ~(uint64_t(1) << (i % 64));
    }
    if (visibleCount_) {
        const bool now = visible(recno);
        if (now && !wasVisible)
            ++*visibleCount_;
        else if (!now && wasVisible)
            --*visibleCount_;
    }
}

uint32_t Table::queryRecordCount() {
    if (visibleCount_)
        return *visibleCount_;
    const uint32_t count = recordCount();
    uint32_t n = 0;
    if (!query_) {
        if (!deletedHidden_) {
            n = count;
        } else {
            if (!deletedCount_) {
                uint32_t d = 0;
                for (uint32_t r = 1; r <= count; ++r)
                    d += dbf_->record(r)[0] == '*';
                deletedCount_ = d;
            }
            n = count - *deletedCount_;
        }
    } else {
        for (size_t w = 0; w < conditionBits_.size(); ++w) {
            uint64_t bits = conditionBits_[w];
            if (!deletedHidden_) {
                n += uint32_t(__builtin_popcountll(bits));
                continue;
            }
            while (bits) {
                const int b = __builtin_ctzll(bits);
                bits &= bits - 1;
                const uint32_t r = uint32_t(w * 64 + size_t(b) + 1);
                if (r <= count && dbf_->record(r)[0] != '*')
                    ++n;
            }
        }
    }
    visibleCount_ = n;
    return n;
}

void Table::setDeletedHidden(bool hidden) {
    if (hidden == deletedHidden_)
        return;
    deletedHidden_ = hidden;
    visibleCount_.reset();
    cursorValid_ = false;
}

}  // namespace qorvel::engine
