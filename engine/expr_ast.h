#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qorvel::engine {

enum class ValueType { String, Number, Logical, Date };

// A parsed xBase expression, before names are resolved.
struct ExprNode {
    enum class Kind {
        StringLit, NumberLit, LogicalLit,
        Name,      // a field (text = upper-case name)
        Call,      // a function (text = upper-case name, children = arguments)
        Unary,     // text: "NOT", "NEG", "POS"
        Binary,    // text: "+", "-", "*", "/", "%", "=", "==", "<>", "<", "<=", ">", ">=", "$", "AND", "OR"
    };
    Kind kind;
    std::string text;
    double number = 0;
    bool logical = false;
    int position = 1;  // 1-based character position in the source
    std::vector<std::unique_ptr<ExprNode>> children;

    // The canonical text: upper case, no blanks, NOT written "!", so that two
    // spellings of one expression compare equal.
    std::string canonical() const;
};

using ExprPtr = std::unique_ptr<ExprNode>;

}  // namespace qorvel::engine
