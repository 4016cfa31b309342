#pragma once

#include "engine/dates.h"
#include "engine/dbf_header.h"
#include "engine/expr_ast.h"
#include "engine/status.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel::engine {

// What an expression is evaluated against: one record of one table.
struct EvalContext {
    const char* record = nullptr;  // the whole record, deletion flag first
    uint32_t recno = 0;
    bool exact = false;            // SET EXACT: "=" compares whole strings
    // Reads a memo field of this record (empty when absent). May be left empty.
    std::function<std::string(int field)> memo;
};

// A compiled xBase expression. Compiled once; evaluating it allocates nothing once
// its buffers have grown to the longest values seen. Not for concurrent use: each
// thread compiles its own.
class Expression {
public:
    Expression();
    ~Expression();
    Expression(Expression&&) noexcept;
    Expression& operator=(Expression&&) noexcept;
    Expression(const Expression&) = delete;
    Expression& operator=(const Expression&) = delete;

    // Resolves names against the table's fields. Errors give the position and word.
    static Result<Expression> compile(std::string_view source, const std::vector<FieldInfo>& fields);

    const std::string& source() const;
    ValueType type() const;
    // Longest string the expression can produce (the key length of an index on it).
    int maxLength() const;
    const ExprNode& ast() const;

    bool evalLogical(const EvalContext& ctx);
    double evalNumber(const EvalContext& ctx);
    Date evalDate(const EvalContext& ctx);
    // Valid until the next evaluation.
    std::string_view evalString(const EvalContext& ctx);

    struct Program;

private:
    std::unique_ptr<Program> p_;
};

// Parses the leading number of a numeric field's text (blanks allowed around it).
double parseFieldNumber(const char* p, int width);

}  // namespace qorvel::engine
