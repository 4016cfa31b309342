#include "engine/codepage.h"
#include "engine/expression_program.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace qorvel::engine {

namespace {

uint32_t trailingBlankStart(const char* s, uint32_t len) {
    while (len > 0 && s[len - 1] == ' ')
        --len;
    return len;
}

// Compares l with r as xBase does: exact off compares only as many characters as r
// has (l padded with blanks when shorter); exact on pads the shorter with blanks.
int compareStrings(const Value& l, const Value& r, bool exact) {
    const uint32_t n = exact ? std::max(l.len, r.len) : r.len;
    for (uint32_t i = 0; i < n; ++i) {
        const unsigned char a = i < l.len ? static_cast<unsigned char>(l.s[i]) : ' ';
        const unsigned char b = i < r.len ? static_cast<unsigned char>(r.s[i]) : ' ';
        if (a != b)
            return a < b ? -1 : 1;
    }
    return 0;
}

bool holds(Cmp c, int cmp) {
    switch (c) {
    case Cmp::Eq: return cmp == 0;
    case Cmp::Ne: return cmp != 0;
    case Cmp::Lt: return cmp < 0;
    case Cmp::Le: return cmp <= 0;
    case Cmp::Gt: return cmp > 0;
    case Cmp::Ge: return cmp >= 0;
    }
    return false;
}

double readLe(const char* p, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(p[i]);
    if (n == 4)
        return double(int32_t(uint32_t(v)));
    return double(int64_t(v));
}

void formatStr(std::string& out, double v, int len, int dec) {
    len = std::clamp(len, 1, 255);
    dec = std::clamp(dec, 0, 15);
    char buf[400];
    std::snprintf(buf, sizeof buf, "%*.*f", len, dec, v);
    if (int(std::strlen(buf)) > len)
        out.assign(size_t(len), '*');
    else
        out.assign(buf);
}

}  // namespace

double parseFieldNumber(const char* p, int width) {
    int i = 0;
    while (i < width && p[i] == ' ')
        ++i;
    bool neg = false;
    if (i < width && (p[i] == '-' || p[i] == '+')) {
        neg = p[i] == '-';
        ++i;
    }
    double v = 0;
    bool any = false;
    while (i < width && p[i] >= '0' && p[i] <= '9') {
        v = v * 10 + (p[i] - '0');
        ++i;
        any = true;
    }
    if (i < width && (p[i] == '.' || p[i] == ',')) {
        ++i;
        double scale = 0.1;
        while (i < width && p[i] >= '0' && p[i] <= '9') {
            v += (p[i] - '0') * scale;
            scale /= 10;
            ++i;
            any = true;
        }
    }
    if (!any)
        return 0;
    return neg ? -v : v;
}

Value Expression::Program::run(const EvalContext& ctx) {
    Value* st = stack.data();
    size_t sp = 0;  // number of values on the stack
    const size_t n = code.size();
    const char* rec = ctx.record;
    for (size_t pc = 0; pc < n; ++pc) {
        const Instr& in = code[pc];
        switch (in.op) {
        case Op::FieldC: {
            const FieldInfo& f = fields[in.a];
            st[sp++] = Value{rec + f.offset, uint32_t(f.width), 0};
            break;
        }
        case Op::FieldN: {
            const FieldInfo& f = fields[in.a];
            st[sp++] = Value{nullptr, 0, parseFieldNumber(rec + f.offset, f.width)};
            break;
        }
        case Op::FieldL: {
            const char c = rec[fields[in.a].offset];
            st[sp++] = Value{nullptr, 0, (c == 'T' || c == 't' || c == 'Y' || c == 'y') ? 1.0 : 0.0};
            break;
        }
        case Op::FieldD: {
            const FieldInfo& f = fields[in.a];
            st[sp++] = Value{nullptr, 0, double(Date::fromDtos(std::string_view(rec + f.offset, 8)).julian)};
            break;
        }
        case Op::FieldM: {
            std::string& b = buffers[pc];
            if (ctx.memo)
                b = ctx.memo(in.a);
            else
                b.clear();
            st[sp++] = Value{b.data(), uint32_t(b.size()), 0};
            break;
        }
        case Op::FieldI: {
            const FieldInfo& f = fields[in.a];
            st[sp++] = Value{nullptr, 0, readLe(rec + f.offset, 4)};
            break;
        }
        case Op::FieldY: {
            const FieldInfo& f = fields[in.a];
            st[sp++] = Value{nullptr, 0, readLe(rec + f.offset, 8) / 10000.0};
            break;
        }
        case Op::FieldB: {
            double d = 0;
            std::memcpy(&d, rec + fields[in.a].offset, 8);
            st[sp++] = Value{nullptr, 0, std::isfinite(d) ? d : 0.0};
            break;
        }
        case Op::FieldT:
            st[sp++] = Value{nullptr, 0, readLe(rec + fields[in.a].offset, 4)};
            break;
        case Op::ConstS: {
            const std::string& s = strings[in.a];
            st[sp++] = Value{s.data(), uint32_t(s.size()), 0};
            break;
        }
        case Op::ConstN:
            st[sp++] = Value{nullptr, 0, numbers[in.a]};
            break;
        case Op::ConstL:
            st[sp++] = Value{nullptr, 0, double(in.a)};
            break;
        case Op::Upper:
        case Op::Lower: {
            Value& v = st[sp - 1];
            std::string& b = buffers[pc];
            b.assign(v.s, v.len);
            if (in.op == Op::Upper)
                cp1252::upperInPlace(b.data(), b.size());
            else
                cp1252::lowerInPlace(b.data(), b.size());
            v = Value{b.data(), v.len, 0};
            break;
        }
        case Op::RTrim:
            st[sp - 1].len = trailingBlankStart(st[sp - 1].s, st[sp - 1].len);
            break;
        case Op::LTrim:
        case Op::AllTrim: {
            Value& v = st[sp - 1];
            while (v.len > 0 && *v.s == ' ') {
                ++v.s;
                --v.len;
            }
            if (in.op == Op::AllTrim)
                v.len = trailingBlankStart(v.s, v.len);
            break;
        }
        case Op::Left:
        case Op::Right: {
            const double k = st[--sp].n;
            Value& v = st[sp - 1];
            const uint32_t take = k <= 0 ? 0 : uint32_t(std::min<double>(k, v.len));
            if (in.op == Op::Right)
                v.s += v.len - take;
            v.len = take;
            break;
        }
        case Op::Substr2:
        case Op::Substr3: {
            double count = 1e18;
            if (in.op == Op::Substr3)
                count = st[--sp].n;
            const double start = st[--sp].n;
            Value& v = st[sp - 1];
            const uint32_t from = start <= 1 ? 0 : uint32_t(std::min<double>(start - 1, v.len));
            const uint32_t left = v.len - from;
            const uint32_t take = count <= 0 ? 0 : uint32_t(std::min<double>(count, left));
            v.s += from;
            v.len = take;
            break;
        }
        case Op::Len:
            st[sp - 1] = Value{nullptr, 0, double(st[sp - 1].len)};
            break;
        case Op::Str1:
        case Op::Str2:
        case Op::Str3: {
            int dec = 0, len = 10;
            if (in.op == Op::Str3)
                dec = int(st[--sp].n);
            if (in.op != Op::Str1)
                len = int(st[--sp].n);
            std::string& b = buffers[pc];
            formatStr(b, st[sp - 1].n, len, dec);
            st[sp - 1] = Value{b.data(), uint32_t(b.size()), 0};
            break;
        }
        case Op::Val: {
            Value& v = st[sp - 1];
            v = Value{nullptr, 0, parseFieldNumber(v.s, int(v.len))};
            break;
        }
        case Op::Dtos: {
            std::string& b = buffers[pc];
            b = Date{int32_t(st[sp - 1].n)}.toDtos();
            st[sp - 1] = Value{b.data(), uint32_t(b.size()), 0};
            break;
        }
        case Op::Ctod: {
            Value& v = st[sp - 1];
            v = Value{nullptr, 0, double(Date::fromAmerican(std::string_view(v.s, v.len)).julian)};
            break;
        }
        case Op::Today:
            st[sp++] = Value{nullptr, 0, double(Date::today().julian)};
            break;
        case Op::Deleted:
            st[sp++] = Value{nullptr, 0, rec[0] == '*' ? 1.0 : 0.0};
            break;
        case Op::Recno:
            st[sp++] = Value{nullptr, 0, double(ctx.recno)};
            break;
        case Op::EmptyS: {
            Value& v = st[sp - 1];
            bool blank = true;
            for (uint32_t i = 0; i < v.len && blank; ++i)
                blank = v.s[i] == ' ' || v.s[i] == '\0' || v.s[i] == '\t' || v.s[i] == '\r' || v.s[i] == '\n';
            v = Value{nullptr, 0, blank ? 1.0 : 0.0};
            break;
        }
        case Op::EmptyN:
        case Op::EmptyL:
            st[sp - 1].n = st[sp - 1].n == 0 ? 1.0 : 0.0;
            break;
        case Op::Concat:
        case Op::ConcatTrim: {
            const Value r = st[--sp];
            Value& l = st[sp - 1];
            std::string& b = buffers[pc];
            if (in.op == Op::Concat) {
                b.assign(l.s, l.len);
                b.append(r.s, r.len);
            } else {
                // a-b: a's trailing blanks move to the end of the result.
                const uint32_t kept = trailingBlankStart(l.s, l.len);
                b.assign(l.s, kept);
                b.append(r.s, r.len);
                b.append(l.len - kept, ' ');
            }
            l = Value{b.data(), uint32_t(b.size()), 0};
            break;
        }
        case Op::Add: --sp; st[sp - 1].n += st[sp].n; break;
        case Op::Sub: --sp; st[sp - 1].n -= st[sp].n; break;
        case Op::Mul: --sp; st[sp - 1].n *= st[sp].n; break;
        case Op::Div:
            --sp;
            st[sp - 1].n = st[sp].n == 0 ? 0 : st[sp - 1].n / st[sp].n;
            break;
        case Op::Mod:
            --sp;
            st[sp - 1].n = st[sp].n == 0 ? 0 : std::fmod(st[sp - 1].n, st[sp].n);
            break;
        case Op::Neg: st[sp - 1].n = -st[sp - 1].n; break;
        case Op::DateAddN:
            // The empty date stays empty whatever is added to it.
            --sp;
            st[sp - 1].n = st[sp - 1].n == 0 ? 0 : std::floor(st[sp - 1].n + st[sp].n);
            break;
        case Op::NumAddDate:
            --sp;
            st[sp - 1].n = st[sp].n == 0 ? 0 : std::floor(st[sp - 1].n + st[sp].n);
            break;
        case Op::DateSubN:
            --sp;
            st[sp - 1].n = st[sp - 1].n == 0 ? 0 : std::floor(st[sp - 1].n - st[sp].n);
            break;
        case Op::DateSubDate: --sp; st[sp - 1].n -= st[sp].n; break;
        case Op::CmpS: {
            const Value r = st[--sp];
            Value& l = st[sp - 1];
            l = Value{nullptr, 0, holds(Cmp(in.a), compareStrings(l, r, ctx.exact)) ? 1.0 : 0.0};
            break;
        }
        case Op::EqExactS: {
            const Value r = st[--sp];
            Value& l = st[sp - 1];
            const bool eq = l.len == r.len && std::memcmp(l.s, r.s, l.len) == 0;
            l = Value{nullptr, 0, eq ? 1.0 : 0.0};
            break;
        }
        case Op::CmpN: {
            const double r = st[--sp].n;
            const double l = st[sp - 1].n;
            st[sp - 1].n = holds(Cmp(in.a), l < r ? -1 : l > r ? 1 : 0) ? 1.0 : 0.0;
            break;
        }
        case Op::Contains: {
            const Value hay = st[--sp];
            Value& needle = st[sp - 1];
            bool found = false;
            if (needle.len > 0 && needle.len <= hay.len)
                found = std::string_view(hay.s, hay.len).find(std::string_view(needle.s, needle.len)) !=
                        std::string_view::npos;
            needle = Value{nullptr, 0, found ? 1.0 : 0.0};
            break;
        }
        case Op::Not: st[sp - 1].n = st[sp - 1].n == 0 ? 1.0 : 0.0; break;
        case Op::And:
        case Op::Or:
            // Reached only when the left operand did not decide: the right one does.
            --sp;
            st[sp - 1].n = st[sp].n;
            break;
        case Op::JumpIfFalseKeep:
            if (st[sp - 1].n == 0)
                pc = size_t(in.a) - 1;
            break;
        case Op::JumpIfTrueKeep:
            if (st[sp - 1].n != 0)
                pc = size_t(in.a) - 1;
            break;
        case Op::JumpIfFalse:
            if (st[--sp].n == 0)
                pc = size_t(in.a) - 1;
            break;
        case Op::Jump:
            pc = size_t(in.a) - 1;
            break;
        }
    }
    return sp > 0 ? st[sp - 1] : Value{};
}

}  // namespace qorvel::engine
