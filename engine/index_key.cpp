#include "engine/index_key.h"

#include "engine/codepage.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace qorvel::engine {

void encodeNumberKey(double v, char* out) {
    if (v == 0)
        v = 0;  // -0 and +0 make one key
    uint64_t bits = 0;
    std::memcpy(&bits, &v, 8);
    if (bits >> 63)
        bits = ~bits;
    else
        bits |= uint64_t(1) << 63;
    for (int i = 0; i < 8; ++i)
        out[i] = static_cast<char>(bits >> (56 - 8 * i));
}

double decodeNumberKey(const char* in) {
    uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits = bits << 8 | static_cast<unsigned char>(in[i]);
    if (bits >> 63)
        bits &= ~(uint64_t(1) << 63);
    else
        bits = ~bits;
    double v = 0;
    std::memcpy(&v, &bits, 8);
    return v;
}

Result<KeyMaker> KeyMaker::create(std::string_view expression, const std::vector<FieldInfo>& fields) {
    auto e = Expression::compile(expression, fields);
    if (!e)
        return e.status();
    KeyMaker k;
    k.expr_ = std::move(*e);
    switch (k.expr_.type()) {
    case ValueType::String:
        k.format_ = {KeyType::Character, k.expr_.maxLength()};
        if (k.format_.length < 1 || k.format_.length > 240)
            return Status::Error("Index key \"" + std::string(expression) + "\" must be 1 to 240 characters long");
        break;
    case ValueType::Number: k.format_ = {KeyType::Numeric, 8}; break;
    case ValueType::Date: k.format_ = {KeyType::Date, 8}; break;
    case ValueType::Logical: k.format_ = {KeyType::Logical, 1}; break;
    }
    k.detectFastPath(fields);
    // Which part of the record the key reads, for reading ahead during builds.
    int first = 1 << 30, last = 0;
    auto visit = [&](auto&& self, const ExprNode& n) -> void {
        if (n.kind == ExprNode::Kind::Name) {
            for (const auto& f : fields) {
                if (f.name == n.text) {
                    first = std::min(first, f.offset);
                    last = std::max(last, f.offset + f.width);
                }
            }
        } else if (n.kind == ExprNode::Kind::Call && n.text == "DELETED") {
            first = 0;
            last = std::max(last, 1);
        }
        for (const auto& c : n.children)
            self(self, *c);
    };
    visit(visit, k.expr_.ast());
    if (last > 0) {
        k.firstByte_ = first;
        k.lastByte_ = last;
    }
    return k;
}

void KeyMaker::detectFastPath(const std::vector<FieldInfo>& fields) {
    const ExprNode& root = expr_.ast();
    auto fieldOf = [&](const ExprNode& n) -> const FieldInfo* {
        if (n.kind != ExprNode::Kind::Name)
            return nullptr;
        for (const auto& f : fields) {
            if (f.name == n.text)
                return &f;
        }
        return nullptr;
    };
    if (format_.type == KeyType::Logical) {
        const bool negated = root.kind == ExprNode::Kind::Unary && root.text == "NOT";
        const ExprNode& inner = negated ? *root.children[0] : root;
        if (const FieldInfo* f = fieldOf(inner); f && f->type == 'L') {
            fast_ = negated ? Fast::NotLogicalField : Fast::LogicalField;
            logicalOffset_ = f->offset;
        } else if (inner.kind == ExprNode::Kind::Call && inner.text == "DELETED") {
            fast_ = negated ? Fast::NotDeleted : Fast::Deleted;
        }
        return;
    }
    if (format_.type != KeyType::Character)
        return;
    // Flattens a left-leaning chain of + and - over fields, optionally under UPPER().
    std::vector<Piece> pieces;
    bool ok = true;
    auto flatten = [&](auto&& self, const ExprNode& n, bool upper, bool trimJoin) -> void {
        if (!ok)
            return;
        if (const FieldInfo* f = fieldOf(n); f && f->type == 'C') {
            pieces.push_back(Piece{f->offset, f->width, upper, trimJoin});
            return;
        }
        if (n.kind == ExprNode::Kind::Call && n.text == "UPPER" && n.children.size() == 1) {
            // UPPER(a-b) is UPPER(a)-UPPER(b): case does not move blanks.
            self(self, *n.children[0], true, trimJoin);
            return;
        }
        if (n.kind == ExprNode::Kind::Binary && (n.text == "+" || n.text == "-")) {
            const ExprNode& r = *n.children[1];
            // Only a left-leaning chain keeps the join rule simple.
            if (r.kind == ExprNode::Kind::Binary) {
                ok = false;
                return;
            }
            self(self, *n.children[0], upper, trimJoin);
            self(self, r, upper, n.text == "-");
            return;
        }
        ok = false;
    };
    flatten(flatten, root, false, false);
    if (ok && !pieces.empty()) {
        pieces_ = std::move(pieces);
        fast_ = Fast::Pieces;
    }
}

void KeyMaker::make(const EvalContext& ctx, char* out) {
    const char* rec = ctx.record;
    switch (fast_) {
    case Fast::Pieces: {
        int pos = 0;
        for (const Piece& p : pieces_) {
            int moved = 0;
            if (p.trimJoin) {
                while (pos > 0 && out[pos - 1] == ' ') {
                    --pos;
                    ++moved;
                }
            }
            std::memcpy(out + pos, rec + p.offset, size_t(p.width));
            if (p.upper)
                cp1252::upperInPlace(out + pos, size_t(p.width));
            pos += p.width;
            std::memset(out + pos, ' ', size_t(moved));
            pos += moved;
        }
        return;
    }
    case Fast::LogicalField:
    case Fast::NotLogicalField: {
        const char c = rec[logicalOffset_];
        const bool v = c == 'T' || c == 't' || c == 'Y' || c == 'y';
        out[0] = (v != (fast_ == Fast::NotLogicalField)) ? 'T' : 'F';
        return;
    }
    case Fast::Deleted:
    case Fast::NotDeleted:
        out[0] = ((rec[0] == '*') != (fast_ == Fast::NotDeleted)) ? 'T' : 'F';
        return;
    case Fast::None:
        break;
    }
    switch (format_.type) {
    case KeyType::Character: {
        const std::string_view s = expr_.evalString(ctx);
        const size_t n = std::min<size_t>(s.size(), size_t(format_.length));
        std::memcpy(out, s.data(), n);
        std::memset(out + n, ' ', size_t(format_.length) - n);
        return;
    }
    case KeyType::Numeric:
        encodeNumberKey(expr_.evalNumber(ctx), out);
        return;
    case KeyType::Date:
        encodeNumberKey(double(expr_.evalDate(ctx).julian), out);
        return;
    case KeyType::Logical:
        out[0] = expr_.evalLogical(ctx) ? 'T' : 'F';
        return;
    }
}

bool KeyMaker::encodeSeek(std::string_view v, std::string& out) const {
    switch (format_.type) {
    case KeyType::Character:
        out.assign(v.substr(0, size_t(format_.length)));
        return true;
    case KeyType::Numeric: {
        const std::string s(v);
        char* end = nullptr;
        const double d = std::strtod(s.c_str(), &end);
        if (end == s.c_str())
            return false;
        out.assign(8, '\0');
        encodeNumberKey(d, out.data());
        return true;
    }
    case KeyType::Date: {
        Date d = Date::fromDtos(v);
        if (d.empty())
            d = Date::fromAmerican(v);
        out.assign(8, '\0');
        encodeNumberKey(double(d.julian), out.data());
        return true;
    }
    case KeyType::Logical: {
        std::string t(v);
        for (char& c : t)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (t == ".T." || t == "T" || t == "Y" || t == ".Y.")
            out = "T";
        else if (t == ".F." || t == "F" || t == "N" || t == ".N.")
            out = "F";
        else
            return false;
        return true;
    }
    }
    return false;
}

}  // namespace qorvel::engine
