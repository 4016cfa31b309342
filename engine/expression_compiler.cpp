#include "engine/expr_parser.h"
#include "engine/expression_program.h"

#include <algorithm>

namespace qorvel::engine {

namespace {

struct Typed {
    ValueType type;
    int maxLen = 0;  // strings only
};

const char* typeName(ValueType t) {
    switch (t) {
    case ValueType::String: return "character";
    case ValueType::Number: return "numeric";
    case ValueType::Logical: return "logical";
    case ValueType::Date: return "date";
    }
    return "";
}

class Compiler {
public:
    Compiler(Expression::Program& p, const std::vector<FieldInfo>& fields) : p_(p), fields_(fields) {}

    Result<Typed> compile(const ExprNode& n) {
        switch (n.kind) {
        case ExprNode::Kind::StringLit:
            p_.strings.push_back(n.text);
            emit(Op::ConstS, int(p_.strings.size() - 1));
            return Typed{ValueType::String, int(n.text.size())};
        case ExprNode::Kind::NumberLit:
            p_.numbers.push_back(n.number);
            emit(Op::ConstN, int(p_.numbers.size() - 1));
            return Typed{ValueType::Number};
        case ExprNode::Kind::LogicalLit:
            emit(Op::ConstL, n.logical ? 1 : 0);
            return Typed{ValueType::Logical};
        case ExprNode::Kind::Name:
            return field(n);
        case ExprNode::Kind::Call:
            return call(n);
        case ExprNode::Kind::Unary:
            return unary(n);
        case ExprNode::Kind::Binary:
            return binary(n);
        }
        return error(n, "Syntax error");
    }

private:
    size_t emit(Op op, int a = 0, int b = 0) {
        p_.code.push_back(Instr{op, a, b});
        return p_.code.size() - 1;
    }

    static Status error(const ExprNode& n, const std::string& what) {
        return Status::Error(what + " at position " + std::to_string(n.position) + " near \"" + n.text + "\"");
    }

    Result<Typed> field(const ExprNode& n) {
        for (size_t i = 0; i < fields_.size(); ++i) {
            if (fields_[i].name != n.text)
                continue;
            const FieldInfo& f = fields_[i];
            const int idx = int(i);
            switch (f.type) {
            case 'C': case 'V': case 'Q': case 'W': case '0':
                emit(Op::FieldC, idx);
                return Typed{ValueType::String, f.width};
            case 'N': case 'F':
                emit(Op::FieldN, idx);
                return Typed{ValueType::Number};
            case 'L':
                emit(Op::FieldL, idx);
                return Typed{ValueType::Logical};
            case 'D':
                emit(Op::FieldD, idx);
                return Typed{ValueType::Date};
            case 'M': case 'G': case 'P':
                emit(Op::FieldM, idx);
                return Typed{ValueType::String, 65535};
            case 'I': case '+':
                emit(Op::FieldI, idx);
                return Typed{ValueType::Number};
            case 'Y':
                emit(Op::FieldY, idx);
                return Typed{ValueType::Number};
            case 'B': case 'O':
                emit(Op::FieldB, idx);
                return Typed{ValueType::Number};
            case 'T': case '@':
                emit(Op::FieldT, idx);
                return Typed{ValueType::Date};
            default:
                return error(n, "Field of unsupported type");
            }
        }
        return error(n, "Unknown field or function");
    }

    Result<std::vector<Typed>> args(const ExprNode& n, size_t minCount, size_t maxCount) {
        if (n.children.size() < minCount || n.children.size() > maxCount)
            return error(n, "Wrong number of arguments for " + n.text + "()");
        std::vector<Typed> out;
        for (const auto& c : n.children) {
            auto t = compile(*c);
            if (!t)
                return t.status();
            out.push_back(*t);
        }
        return out;
    }

    Status expect(const ExprNode& n, const std::vector<Typed>& a, std::initializer_list<ValueType> types) {
        size_t i = 0;
        for (ValueType t : types) {
            if (i < a.size() && a[i].type != t)
                return error(*n.children[i], "Type mismatch: " + std::string(typeName(t)) + " value expected");
            ++i;
        }
        return Status::Ok();
    }

    // The value of a numeric constant argument, or -1 when it is not constant.
    static int constantInt(const ExprNode& n) {
        if (n.kind == ExprNode::Kind::NumberLit)
            return int(std::clamp(n.number, 0.0, 65535.0));
        return -1;
    }

    Result<Typed> call(const ExprNode& n) {
        const std::string& f = n.text;
        using VT = ValueType;
        auto unaryString = [&](Op op, bool keepsLength) -> Result<Typed> {
            auto a = args(n, 1, 1);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::String}); !st)
                return st;
            emit(op);
            return Typed{VT::String, keepsLength ? (*a)[0].maxLen : (*a)[0].maxLen};
        };
        if (f == "UPPER")
            return unaryString(Op::Upper, true);
        if (f == "LOWER")
            return unaryString(Op::Lower, true);
        if (f == "TRIM" || f == "RTRIM")
            return unaryString(Op::RTrim, true);
        if (f == "LTRIM")
            return unaryString(Op::LTrim, true);
        if (f == "ALLTRIM")
            return unaryString(Op::AllTrim, true);
        if (f == "LEFT" || f == "RIGHT") {
            auto a = args(n, 2, 2);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::String, VT::Number}); !st)
                return st;
            emit(f == "LEFT" ? Op::Left : Op::Right);
            const int k = constantInt(*n.children[1]);
            return Typed{VT::String, k >= 0 ? std::min(k, (*a)[0].maxLen) : (*a)[0].maxLen};
        }
        if (f == "SUBSTR") {
            auto a = args(n, 2, 3);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::String, VT::Number, VT::Number}); !st)
                return st;
            emit(a->size() == 2 ? Op::Substr2 : Op::Substr3);
            int len = (*a)[0].maxLen;
            if (a->size() == 3 && constantInt(*n.children[2]) >= 0)
                len = std::min(len, constantInt(*n.children[2]));
            return Typed{VT::String, len};
        }
        if (f == "LEN") {
            auto a = args(n, 1, 1);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::String}); !st)
                return st;
            emit(Op::Len);
            return Typed{VT::Number};
        }
        if (f == "STR") {
            auto a = args(n, 1, 3);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::Number, VT::Number, VT::Number}); !st)
                return st;
            emit(a->size() == 1 ? Op::Str1 : a->size() == 2 ? Op::Str2 : Op::Str3);
            int len = 10;
            if (a->size() >= 2)
                len = constantInt(*n.children[1]) >= 0 ? std::min(constantInt(*n.children[1]), 255) : 255;
            return Typed{VT::String, len};
        }
        if (f == "VAL") {
            auto a = args(n, 1, 1);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::String}); !st)
                return st;
            emit(Op::Val);
            return Typed{VT::Number};
        }
        if (f == "DTOS") {
            auto a = args(n, 1, 1);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::Date}); !st)
                return st;
            emit(Op::Dtos);
            return Typed{VT::String, 8};
        }
        if (f == "CTOD") {
            auto a = args(n, 1, 1);
            if (!a)
                return a.status();
            if (auto st = expect(n, *a, {VT::String}); !st)
                return st;
            emit(Op::Ctod);
            return Typed{VT::Date};
        }
        if (f == "DATE" || f == "DELETED" || f == "RECNO") {
            if (auto a = args(n, 0, 0); !a)
                return a.status();
            emit(f == "DATE" ? Op::Today : f == "DELETED" ? Op::Deleted : Op::Recno);
            return Typed{f == "DATE" ? VT::Date : f == "DELETED" ? VT::Logical : VT::Number};
        }
        if (f == "EMPTY") {
            auto a = args(n, 1, 1);
            if (!a)
                return a.status();
            const VT t = (*a)[0].type;
            emit(t == VT::String ? Op::EmptyS : t == VT::Logical ? Op::EmptyL : Op::EmptyN);
            return Typed{VT::Logical};
        }
        if (f == "IIF") {
            if (n.children.size() != 3)
                return error(n, "Wrong number of arguments for IIF()");
            auto c = compile(*n.children[0]);
            if (!c)
                return c.status();
            if (c->type != VT::Logical)
                return error(*n.children[0], "Type mismatch: logical value expected");
            const size_t jf = emit(Op::JumpIfFalse);
            auto t = compile(*n.children[1]);
            if (!t)
                return t.status();
            const size_t j = emit(Op::Jump);
            p_.code[jf].a = int(p_.code.size());
            auto e = compile(*n.children[2]);
            if (!e)
                return e.status();
            p_.code[j].a = int(p_.code.size());
            if (t->type != e->type)
                return error(n, "Type mismatch: IIF() branches differ");
            return Typed{t->type, std::max(t->maxLen, e->maxLen)};
        }
        return error(n, "Unknown field or function");
    }

    Result<Typed> unary(const ExprNode& n) {
        auto t = compile(*n.children[0]);
        if (!t)
            return t;
        if (n.text == "NOT") {
            if (t->type != ValueType::Logical)
                return error(n, "Type mismatch: logical value expected");
            emit(Op::Not);
            return Typed{ValueType::Logical};
        }
        if (t->type != ValueType::Number)
            return error(n, "Type mismatch: numeric value expected");
        if (n.text == "NEG")
            emit(Op::Neg);
        return Typed{ValueType::Number};
    }

    Result<Typed> binary(const ExprNode& n) {
        using VT = ValueType;
        const std::string& op = n.text;
        if (op == "AND" || op == "OR") {
            auto l = compile(*n.children[0]);
            if (!l)
                return l;
            if (l->type != VT::Logical)
                return error(*n.children[0], "Type mismatch: logical value expected");
            const size_t j = emit(op == "AND" ? Op::JumpIfFalseKeep : Op::JumpIfTrueKeep);
            auto r = compile(*n.children[1]);
            if (!r)
                return r;
            if (r->type != VT::Logical)
                return error(*n.children[1], "Type mismatch: logical value expected");
            emit(op == "AND" ? Op::And : Op::Or);
            p_.code[j].a = int(p_.code.size());
            return Typed{VT::Logical};
        }
        auto l = compile(*n.children[0]);
        if (!l)
            return l;
        auto r = compile(*n.children[1]);
        if (!r)
            return r;
        const VT lt = l->type, rt = r->type;
        if (op == "+" || op == "-") {
            if (lt == VT::String && rt == VT::String) {
                emit(op == "+" ? Op::Concat : Op::ConcatTrim);
                return Typed{VT::String, std::min(l->maxLen + r->maxLen, 65535)};
            }
            if (lt == VT::Number && rt == VT::Number) {
                emit(op == "+" ? Op::Add : Op::Sub);
                return Typed{VT::Number};
            }
            if (lt == VT::Date && rt == VT::Number) {
                emit(op == "+" ? Op::DateAddN : Op::DateSubN);
                return Typed{VT::Date};
            }
            if (op == "+" && lt == VT::Number && rt == VT::Date) {
                emit(Op::NumAddDate);
                return Typed{VT::Date};
            }
            if (op == "-" && lt == VT::Date && rt == VT::Date) {
                emit(Op::DateSubDate);
                return Typed{VT::Number};
            }
            return error(n, "Type mismatch");
        }
        if (op == "*" || op == "/" || op == "%") {
            if (lt != VT::Number || rt != VT::Number)
                return error(n, "Type mismatch: numeric values expected");
            emit(op == "*" ? Op::Mul : op == "/" ? Op::Div : Op::Mod);
            return Typed{VT::Number};
        }
        if (op == "$") {
            if (lt != VT::String || rt != VT::String)
                return error(n, "Type mismatch: character values expected");
            emit(Op::Contains);
            return Typed{VT::Logical};
        }
        // Comparisons.
        if (lt != rt)
            return error(n, "Type mismatch: cannot compare " + std::string(typeName(lt)) + " with " + typeName(rt));
        Cmp c = Cmp::Eq;
        if (op == "<>") c = Cmp::Ne;
        else if (op == "<") c = Cmp::Lt;
        else if (op == "<=") c = Cmp::Le;
        else if (op == ">") c = Cmp::Gt;
        else if (op == ">=") c = Cmp::Ge;
        if (lt == VT::String)
            emit(op == "==" ? Op::EqExactS : Op::CmpS, int(c));
        else
            emit(Op::CmpN, int(c));
        return Typed{VT::Logical};
    }

    Expression::Program& p_;
    const std::vector<FieldInfo>& fields_;
};

size_t stackDepth(const std::vector<Instr>& code) {
    // Every instruction's effect on the stack height is fixed, and jumps only skip
    // forward over code that leaves the height as it found it, so a straight count
    // gives an upper bound.
    long depth = 0, most = 0;
    for (const Instr& i : code) {
        switch (i.op) {
        case Op::FieldC: case Op::FieldN: case Op::FieldL: case Op::FieldD: case Op::FieldM:
        case Op::FieldI: case Op::FieldY: case Op::FieldB: case Op::FieldT:
        case Op::ConstS: case Op::ConstN: case Op::ConstL: case Op::Today: case Op::Deleted: case Op::Recno:
            ++depth;
            break;
        case Op::Left: case Op::Right: case Op::Substr2: case Op::Str2: case Op::Concat: case Op::ConcatTrim:
        case Op::Add: case Op::Sub: case Op::Mul: case Op::Div: case Op::Mod: case Op::DateAddN:
        case Op::NumAddDate: case Op::DateSubN: case Op::DateSubDate: case Op::CmpS: case Op::EqExactS:
        case Op::CmpN: case Op::Contains: case Op::And: case Op::Or:
            --depth;
            break;
        case Op::Substr3: case Op::Str3:
            depth -= 2;
            break;
        default:
            break;
        }
        most = std::max(most, depth);
    }
    return size_t(most) + 2;
}

}  // namespace

Expression::Expression() = default;
Expression::~Expression() = default;
Expression::Expression(Expression&&) noexcept = default;
Expression& Expression::operator=(Expression&&) noexcept = default;

Result<Expression> Expression::compile(std::string_view source, const std::vector<FieldInfo>& fields) {
    auto ast = parseExpression(source);
    if (!ast)
        return ast.status();
    Expression e;
    e.p_ = std::make_unique<Program>();
    Program& p = *e.p_;
    p.source = std::string(source);
    p.fields = fields;
    Compiler c(p, fields);
    auto t = c.compile(**ast);
    if (!t)
        return t.status();
    p.ast = std::move(*ast);
    p.type = t->type;
    p.maxLength = t->type == ValueType::String ? t->maxLen : 0;
    p.buffers.resize(p.code.size());
    p.maxStack = stackDepth(p.code);
    p.stack.resize(p.maxStack);
    return e;
}

const std::string& Expression::source() const { return p_->source; }
ValueType Expression::type() const { return p_->type; }
int Expression::maxLength() const { return p_->maxLength; }
const ExprNode& Expression::ast() const { return *p_->ast; }

bool Expression::evalLogical(const EvalContext& ctx) { return p_->run(ctx).n != 0; }
double Expression::evalNumber(const EvalContext& ctx) { return p_->run(ctx).n; }
Date Expression::evalDate(const EvalContext& ctx) { return Date{int32_t(p_->run(ctx).n)}; }
std::string_view Expression::evalString(const EvalContext& ctx) {
    const Value v = p_->run(ctx);
    return std::string_view(v.s ? v.s : "", v.len);
}

}  // namespace qorvel::engine
