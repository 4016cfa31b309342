#include "engine/expr_parser.h"

#include <cctype>
#include <cstdlib>

namespace qorvel::engine {

namespace {

enum class Tok { End, Number, String, Name, Dotted, Op, LParen, RParen, Comma };

struct Token {
    Tok kind = Tok::End;
    std::string text;  // upper case for names and dotted words; raw for strings
    double number = 0;
    int position = 1;
};

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool nameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool nameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

class Lexer {
public:
    explicit Lexer(std::string_view s) : s_(s) {}

    Result<Token> next() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n'))
            ++i_;
        Token t;
        t.position = static_cast<int>(i_) + 1;
        if (i_ >= s_.size())
            return t;
        const char c = s_[i_];
        if (std::isdigit(static_cast<unsigned char>(c)) ||
            (c == '.' && i_ + 1 < s_.size() && std::isdigit(static_cast<unsigned char>(s_[i_ + 1])))) {
            size_t j = i_;
            while (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j])))
                ++j;
            if (j < s_.size() && s_[j] == '.' && !(j + 1 < s_.size() && std::isalpha(static_cast<unsigned char>(s_[j + 1])))) {
                ++j;
                while (j < s_.size() && std::isdigit(static_cast<unsigned char>(s_[j])))
                    ++j;
            }
            t.kind = Tok::Number;
            t.text = std::string(s_.substr(i_, j - i_));
            t.number = std::strtod(t.text.c_str(), nullptr);
            i_ = j;
            return t;
        }
        if (c == '\'' || c == '"' || c == '[') {
            const char close = c == '[' ? ']' : c;
            const size_t end = s_.find(close, i_ + 1);
            if (end == std::string_view::npos)
                return Status::Error("Unterminated string at position " + std::to_string(t.position));
            t.kind = Tok::String;
            t.text = std::string(s_.substr(i_ + 1, end - i_ - 1));
            i_ = end + 1;
            return t;
        }
        if (nameStart(c)) {
            size_t j = i_;
            while (j < s_.size() && nameChar(s_[j]))
                ++j;
            t.kind = Tok::Name;
            t.text = upperAscii(s_.substr(i_, j - i_));
            i_ = j;
            // alias->field: the alias is ignored, as every expression has one table.
            if (i_ + 1 < s_.size() && s_[i_] == '-' && s_[i_ + 1] == '>') {
                i_ += 2;
                return next();
            }
            return t;
        }
        if (c == '.') {
            size_t j = i_ + 1;
            while (j < s_.size() && std::isalpha(static_cast<unsigned char>(s_[j])))
                ++j;
            if (j < s_.size() && s_[j] == '.' && j > i_ + 1) {
                t.kind = Tok::Dotted;
                t.text = upperAscii(s_.substr(i_ + 1, j - i_ - 1));
                i_ = j + 1;
                return t;
            }
            return Status::Error("Syntax error at position " + std::to_string(t.position) + " near \".\"");
        }
        if (c == '(' || c == ')' || c == ',') {
            t.kind = c == '(' ? Tok::LParen : c == ')' ? Tok::RParen : Tok::Comma;
            t.text = std::string(1, c);
            ++i_;
            return t;
        }
        static const char* const kTwo[] = {"==", "<>", "<=", ">=", "!=", "**"};
        for (const char* op : kTwo) {
            if (s_.substr(i_, 2) == op) {
                t.kind = Tok::Op;
                t.text = op;
                i_ += 2;
                return t;
            }
        }
        if (std::string_view("+-*/%=<>#$!^").find(c) != std::string_view::npos) {
            t.kind = Tok::Op;
            t.text = std::string(1, c);
            ++i_;
            return t;
        }
        return Status::Error("Syntax error at position " + std::to_string(t.position) + " near \"" +
                             std::string(1, c) + "\"");
    }

private:
    std::string_view s_;
    size_t i_ = 0;
};

class Parser {
public:
    explicit Parser(std::string_view s) : lexer_(s) {}
    static constexpr int kMaxDepth = 256;

    Result<ExprPtr> parseAll() {
        if (auto st = advance(); !st)
            return st;
        if (tok_.kind == Tok::End)
            return Status::Error("The expression is empty");
        auto e = parseOr();
        if (!e)
            return e;
        if (tok_.kind != Tok::End)
            return unexpected();
        return e;
    }

private:
    Status advance() {
        auto t = lexer_.next();
        if (!t)
            return t.status();
        tok_ = std::move(*t);
        return Status::Ok();
    }

    Status unexpected() const {
        if (tok_.kind == Tok::End)
            return Status::Error("Syntax error at position " + std::to_string(tok_.position) +
                                 ": the expression ends too early");
        std::string word = tok_.kind == Tok::String ? "\"" + tok_.text + "\"" : tok_.text;
        return Status::Error("Syntax error at position " + std::to_string(tok_.position) + " near \"" + word + "\"");
    }

    bool isWord(const char* dotted) const {
        return (tok_.kind == Tok::Dotted || tok_.kind == Tok::Name) && tok_.text == dotted;
    }

    static ExprPtr node(ExprNode::Kind k, std::string text, int pos) {
        auto n = std::make_unique<ExprNode>();
        n->kind = k;
        n->text = std::move(text);
        n->position = pos;
        return n;
    }

    static ExprPtr binary(std::string op, int pos, ExprPtr l, ExprPtr r) {
        auto n = node(ExprNode::Kind::Binary, std::move(op), pos);
        n->children.push_back(std::move(l));
        n->children.push_back(std::move(r));
        return n;
    }

    Result<ExprPtr> parseOr() {
        auto left = parseAnd();
        if (!left)
            return left;
        ExprPtr l = std::move(*left);
        while (isWord("OR")) {
            const int pos = tok_.position;
            if (auto st = advance(); !st)
                return st;
            auto right = parseAnd();
            if (!right)
                return right;
            l = binary("OR", pos, std::move(l), std::move(*right));
        }
        return l;
    }

    Result<ExprPtr> parseAnd() {
        auto left = parseNot();
        if (!left)
            return left;
        ExprPtr l = std::move(*left);
        while (isWord("AND")) {
            const int pos = tok_.position;
            if (auto st = advance(); !st)
                return st;
            auto right = parseNot();
            if (!right)
                return right;
            l = binary("AND", pos, std::move(l), std::move(*right));
        }
        return l;
    }

    Result<ExprPtr> parseNot() {
        DepthGuard guard(depth_);
        if (depth_ > kMaxDepth)
            return tooDeep();
        if (isWord("NOT") || (tok_.kind == Tok::Op && tok_.text == "!")) {
            const int pos = tok_.position;
            if (auto st = advance(); !st)
                return st;
            auto operand = parseNot();
            if (!operand)
                return operand;
            auto n = node(ExprNode::Kind::Unary, "NOT", pos);
            n->children.push_back(std::move(*operand));
            return n;
        }
        return parseComparison();
    }

    Result<ExprPtr> parseComparison() {
        auto left = parseAdditive();
        if (!left)
            return left;
        if (tok_.kind == Tok::Op) {
            std::string op = tok_.text;
            if (op == "#" || op == "!=")
                op = "<>";
            if (op == "=" || op == "==" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=" ||
                op == "$") {
                const int pos = tok_.position;
                if (auto st = advance(); !st)
                    return st;
                auto right = parseAdditive();
                if (!right)
                    return right;
                return binary(op, pos, std::move(*left), std::move(*right));
            }
        }
        return left;
    }

    Result<ExprPtr> parseAdditive() {
        auto left = parseMultiplicative();
        if (!left)
            return left;
        ExprPtr l = std::move(*left);
        while (tok_.kind == Tok::Op && (tok_.text == "+" || tok_.text == "-")) {
            const std::string op = tok_.text;
            const int pos = tok_.position;
            if (auto st = advance(); !st)
                return st;
            auto right = parseMultiplicative();
            if (!right)
                return right;
            l = binary(op, pos, std::move(l), std::move(*right));
        }
        return l;
    }

    Result<ExprPtr> parseMultiplicative() {
        auto left = parseUnary();
        if (!left)
            return left;
        ExprPtr l = std::move(*left);
        while (tok_.kind == Tok::Op && (tok_.text == "*" || tok_.text == "/" || tok_.text == "%")) {
            const std::string op = tok_.text;
            const int pos = tok_.position;
            if (auto st = advance(); !st)
                return st;
            auto right = parseUnary();
            if (!right)
                return right;
            l = binary(op, pos, std::move(l), std::move(*right));
        }
        return l;
    }

    Result<ExprPtr> parseUnary() {
        DepthGuard guard(depth_);
        if (depth_ > kMaxDepth)
            return tooDeep();
        if (tok_.kind == Tok::Op && (tok_.text == "-" || tok_.text == "+")) {
            const bool neg = tok_.text == "-";
            const int pos = tok_.position;
            if (auto st = advance(); !st)
                return st;
            auto operand = parseUnary();
            if (!operand)
                return operand;
            auto n = node(ExprNode::Kind::Unary, neg ? "NEG" : "POS", pos);
            n->children.push_back(std::move(*operand));
            return n;
        }
        return parsePrimary();
    }

    Result<ExprPtr> parsePrimary() {
        const int pos = tok_.position;
        switch (tok_.kind) {
        case Tok::Number: {
            auto n = node(ExprNode::Kind::NumberLit, tok_.text, pos);
            n->number = tok_.number;
            if (auto st = advance(); !st)
                return st;
            return n;
        }
        case Tok::String: {
            auto n = node(ExprNode::Kind::StringLit, tok_.text, pos);
            if (auto st = advance(); !st)
                return st;
            return n;
        }
        case Tok::Dotted: {
            const std::string w = tok_.text;
            if (w == "T" || w == "F" || w == "Y" || w == "N") {
                auto n = node(ExprNode::Kind::LogicalLit, w, pos);
                n->logical = w == "T" || w == "Y";
                if (auto st = advance(); !st)
                    return st;
                return n;
            }
            return unexpected();
        }
        case Tok::Name: {
            std::string name = tok_.text;
            if (name == "AND" || name == "OR")
                return unexpected();
            if (auto st = advance(); !st)
                return st;
            if (tok_.kind != Tok::LParen)
                return node(ExprNode::Kind::Name, name, pos);
            auto call = node(ExprNode::Kind::Call, name, pos);
            if (auto st = advance(); !st)
                return st;
            if (tok_.kind != Tok::RParen) {
                while (true) {
                    auto arg = parseOr();
                    if (!arg)
                        return arg;
                    call->children.push_back(std::move(*arg));
                    if (tok_.kind == Tok::Comma) {
                        if (auto st = advance(); !st)
                            return st;
                        continue;
                    }
                    break;
                }
            }
            if (tok_.kind != Tok::RParen)
                return unexpected();
            if (auto st = advance(); !st)
                return st;
            return call;
        }
        case Tok::LParen: {
            if (auto st = advance(); !st)
                return st;
            auto inner = parseOr();
            if (!inner)
                return inner;
            if (tok_.kind != Tok::RParen)
                return unexpected();
            if (auto st = advance(); !st)
                return st;
            return inner;
        }
        default:
            return unexpected();
        }
    }

    // Bounds the recursion so hostile input cannot exhaust the stack.
    struct DepthGuard {
        explicit DepthGuard(int& d) : depth(d) { ++depth; }
        ~DepthGuard() { --depth; }
        int& depth;
    };
    Status tooDeep() const {
        return Status::Error("The expression is nested too deeply at position " + std::to_string(tok_.position));
    }

    Lexer lexer_;
    Token tok_;
    int depth_ = 0;
};

}  // namespace

Result<ExprPtr> parseExpression(std::string_view source) {
    if (source.size() > 4096)
        return Status::Error("The expression is too long");
    Parser p(source);
    return p.parseAll();
}

std::string ExprNode::canonical() const {
    switch (kind) {
    case Kind::StringLit: return "\"" + text + "\"";
    case Kind::NumberLit: return text;
    case Kind::LogicalLit: return logical ? ".T." : ".F.";
    case Kind::Name: return text;
    case Kind::Call: {
        std::string s = text + "(";
        for (size_t i = 0; i < children.size(); ++i) {
            if (i)
                s += ",";
            s += children[i]->canonical();
        }
        return s + ")";
    }
    case Kind::Unary:
        if (text == "NOT")
            return "!" + children[0]->canonical();
        return (text == "NEG" ? "-" : "+") + children[0]->canonical();
    case Kind::Binary:
        return "(" + children[0]->canonical() + text + children[1]->canonical() + ")";
    }
    return {};
}

}  // namespace qorvel::engine
