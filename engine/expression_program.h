#pragma once

// The compiled form of an Expression: postfix instructions over a value stack.
// Private to expression_compiler.cpp and expression_vm.cpp.

#include "engine/expression.h"

#include <string>
#include <vector>

namespace qorvel::engine {

enum class Op : uint8_t {
    FieldC, FieldN, FieldL, FieldD, FieldM, FieldI, FieldY, FieldB, FieldT,
    ConstS, ConstN, ConstL,
    Upper, Lower, RTrim, LTrim, AllTrim, Left, Right, Substr2, Substr3, Len,
    Str1, Str2, Str3, Val, Dtos, Ctod, Today, Deleted, Recno,
    EmptyS, EmptyN, EmptyL,
    Concat, ConcatTrim,
    Add, Sub, Mul, Div, Mod, Neg,
    DateAddN, NumAddDate, DateSubN, DateSubDate,
    CmpS, EqExactS, CmpN, Contains,
    Not, And, Or,
    JumpIfFalseKeep, JumpIfTrueKeep, JumpIfFalse, Jump,
};

enum class Cmp : uint8_t { Eq, Ne, Lt, Le, Gt, Ge };

struct Instr {
    Op op;
    int32_t a = 0;  // field index, constant index, comparison, jump target
    int32_t b = 0;
};

struct Value {
    const char* s = nullptr;
    uint32_t len = 0;
    double n = 0;  // numbers; logicals as 0/1; dates as Julian day numbers
};

struct Expression::Program {
    std::string source;
    ExprPtr ast;
    ValueType type = ValueType::Logical;
    int maxLength = 0;
    std::vector<Instr> code;
    std::vector<std::string> strings;  // constants
    std::vector<double> numbers;
    std::vector<FieldInfo> fields;     // the fields referenced, by index in the table
    std::vector<std::string> buffers;  // one per instruction that builds a string
    std::vector<Value> stack;
    size_t maxStack = 0;

    Value run(const EvalContext& ctx);
};

}  // namespace qorvel::engine
