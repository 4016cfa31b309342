#include "engine/expression.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace qorvel::engine;

namespace {

// A record of a small table, laid out by hand.
class Record {
public:
    Record() {
        std::vector<FieldInfo> in = {{"LNAME", 'C', 10}, {"FNAME", 'C', 8},   {"CODES", 'C', 6}, {"AMOUNT", 'N', 8, 2},
                                     {"ISDEL", 'L', 1},  {"BORN", 'D', 8},    {"MEMO", 'M', 10}, {"TAG", 'C', 8}};
        fields = DbfHeader::forNewTable(in)->fields;
        bytes.assign(1 + 10 + 8 + 6 + 8 + 1 + 8 + 10 + 8, ' ');
    }
    Record& set(const char* name, std::string_view value) {
        for (const FieldInfo& f : fields) {
            if (f.name == name) {
                std::memset(bytes.data() + f.offset, ' ', size_t(f.width));
                std::memcpy(bytes.data() + f.offset, value.data(), std::min<size_t>(value.size(), size_t(f.width)));
            }
        }
        return *this;
    }
    Record& mark() {
        bytes[0] = '*';
        return *this;
    }
    EvalContext context(bool exact = false) const {
        EvalContext c;
        c.record = bytes.data();
        c.recno = 7;
        c.exact = exact;
        c.memo = [](int) { return std::string("Call back in May"); };
        return c;
    }
    std::vector<FieldInfo> fields;
    std::string bytes;
};

Record sample() {
    Record r;
    r.set("LNAME", "Johnson").set("FNAME", "Mary").set("CODES", "A,C").set("AMOUNT", "   12.50").set("ISDEL", "F");
    r.set("BORN", "19970428").set("TAG", "VJZBZPK");
    return r;
}

struct Case {
    const char* expression;
    bool expected;
};

class LogicalExpression : public ::testing::TestWithParam<Case> {};

TEST_P(LogicalExpression, EvaluatesOnTheRecord) {
    const Case& c = GetParam();
    const Record r = sample();
    auto e = Expression::compile(c.expression, r.fields);
    ASSERT_TRUE(e.ok()) << c.expression << ": " << e.message();
    ASSERT_EQ(e->type(), ValueType::Logical);
    EXPECT_EQ(e->evalLogical(r.context()), c.expected) << c.expression;
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, LogicalExpression,
    ::testing::Values(
        // The filter builder's own conditions.
        Case{"UPPER(LNAME)=\"JOH\"", true}, Case{"UPPER(LNAME)=\"JON\"", false},
        Case{"\"SON\"$UPPER(LNAME)", true}, Case{"\"son\"$UPPER(LNAME)", false},
        Case{"((UPPER(LNAME)=\"A\").or.(UPPER(LNAME)=\"J\"))", true},
        Case{"((UPPER(LNAME)>=\"A\").and.(UPPER(LNAME)<=\"M\"))", true},
        Case{"((UPPER(LNAME)>=\"K\").and.(UPPER(LNAME)<=\"M\"))", false},
        Case{"((UPPER(LNAME)=\"J\").and..not.(UPPER(LNAME)=\"JO\"))", false},
        Case{"((UPPER(LNAME)=\"J\").and..not.(UPPER(LNAME)=\"JA\"))", true},
        Case{"UPPER(LNAME)=\"JOH\" and UPPER(FNAME)=\"MA\".and. !ISDEL", true},
        Case{"(UPPER(TAG)=\"VJZBZPK\")", true}, Case{"\"C\"$UPPER(CODES)", true}, Case{"\"B\"$UPPER(CODES)", false},
        Case{"NOT ISDEL", true}, Case{"not DELETED()", true}, Case{"Recno()=7", true}, Case{"RECNO() = 8", false},
        // Comparison rules with exact off: only the right operand's length counts.
        Case{"LNAME = \"\"", true}, Case{"LNAME == \"Johnson\"", false}, Case{"TRIM(LNAME) == \"Johnson\"", true},
        Case{"LNAME <> \"Jo\"", false}, Case{"LNAME # \"Ja\"", true}, Case{"LNAME != \"Ja\"", true},
        Case{"\"Jo\" = LNAME", false}, Case{"UPPER(LNAME) > \"JOHNSON\"", false}, Case{"LNAME >= \"Johnson\"", true},
        Case{"TRIM(LNAME) = \"Johnson   x\"", false}, Case{"TRIM(LNAME) = \"Johnson  \"", true},
        // Functions.
        Case{"LEN(TRIM(LNAME)) = 7", true}, Case{"LEFT(FNAME, 2) == \"Ma\"", true},
        Case{"RIGHT(TRIM(LNAME), 3) == \"son\"", true}, Case{"SUBSTR(LNAME, 2, 3) == \"ohn\"", true},
        Case{"SUBSTR(LNAME, 5) == \"son   \"", true}, Case{"LOWER(LNAME) = \"johnson\"", true},
        Case{"ALLTRIM(\"  x  \") == \"x\"", true}, Case{"LTRIM(\"  x \") == \"x \"", true},
        Case{"STR(AMOUNT, 8, 2) == \"   12.50\"", true}, Case{"STR(7) == \"         7\"", true},
        Case{"STR(123456, 3) == \"***\"", true}, Case{"VAL(\" 42.5x\") = 42.5", true},
        Case{"AMOUNT * 2 = 25", true}, Case{"AMOUNT / 0 = 0", true}, Case{"-AMOUNT < 0", true},
        Case{"DTOS(BORN) == \"19970428\"", true}, Case{"BORN = CTOD(\"04/28/1997\")", true},
        Case{"BORN + 3 = CTOD(\"05/01/97\")", true}, Case{"BORN - CTOD(\"04/01/1997\") = 27", true},
        Case{"DATE() > BORN", true}, Case{"EMPTY(TAG)", false}, Case{"EMPTY(\"   \")", true}, Case{"EMPTY(0)", true},
        Case{"EMPTY(ISDEL)", true}, Case{"IIF(ISDEL, \"a\", \"bb\") == \"bb\"", true},
        Case{"\"May\" $ MEMO", true}, Case{"LNAME-FNAME = \"JohnsonMary\"", true},
        Case{"LNAME+FNAME = \"Johnson   Mary\"", true}, Case{"len(LNAME-FNAME) = 18", true},
        Case{".T. .AND. .NOT. .F.", true}, Case{".t. and .f. or .t.", true}, Case{"!(.T.)", false},
        Case{"lname = 'Johnson'", true}, Case{"[Mary] $ FNAME", true}, Case{"x->LNAME = 'J'", true}));

TEST(Expression, ExactOnComparesWholeStrings) {
    const Record r = sample();
    auto e = Expression::compile("LNAME = \"Johnson\"", r.fields);
    ASSERT_TRUE(e.ok());
    EXPECT_TRUE(e->evalLogical(r.context(true)));
    auto prefix = Expression::compile("LNAME = \"John\"", r.fields);
    EXPECT_TRUE(prefix->evalLogical(r.context(false)));
    EXPECT_FALSE(prefix->evalLogical(r.context(true)));
}

TEST(Expression, DeletedReadsTheMark) {
    Record r = sample();
    auto e = Expression::compile("DELETED()", r.fields);
    EXPECT_FALSE(e->evalLogical(r.context()));
    r.mark();
    EXPECT_TRUE(e->evalLogical(r.context()));
}

TEST(Expression, UpperFollowsWindows1252) {
    Record r = sample();
    r.set("LNAME", "M\xFC" "ller \x9A" "a");
    auto e = Expression::compile("UPPER(LNAME)", r.fields);
    EXPECT_EQ(e->evalString(r.context()), std::string_view("M\xDCLLER \x8A" "A  ", 10));
    EXPECT_EQ(e->maxLength(), 10);
}

TEST(Expression, StringLengthsBoundTheKey) {
    const Record r = sample();
    struct Case {
        const char* expression;
        int length;
    } cases[] = {{"UPPER(LNAME-FNAME)", 18}, {"LNAME+FNAME", 18}, {"LEFT(LNAME, 4)", 4}, {"DTOS(BORN)", 8},
                 {"STR(AMOUNT, 5)", 5}, {"SUBSTR(LNAME, 2, 3)", 3}, {"IIF(ISDEL, LNAME, FNAME)", 10}};
    for (const auto& c : cases) {
        auto e = Expression::compile(c.expression, r.fields);
        ASSERT_TRUE(e.ok()) << c.expression;
        EXPECT_EQ(e->maxLength(), c.length) << c.expression;
    }
}

TEST(Expression, ErrorsNameThePositionAndWord) {
    const Record r = sample();
    struct Case {
        const char* expression;
        const char* expected;  // part of the message
    } cases[] = {
        {"UPPER(LNAM) = 'X'", "position 7 near \"LNAM\""},
        {"FOO(LNAME)", "Unknown field or function at position 1 near \"FOO\""},
        {"LNAME = ", "ends too early"},
        {"LNAME = 'abc", "Unterminated string at position 9"},
        {"LNAME = 1", "Type mismatch"},
        {"LNAME .AND. ISDEL", "logical value expected"},
        {"UPPER(LNAME, 2)", "Wrong number of arguments"},
        {"(LNAME = 'x'", "ends too early"},
        {"LNAME = 'x' )", "near \")\""},
        {"LNAME @ 'x'", "position 7 near \"@\""},
        {"", "empty"},
        {".X.", "near \"X\""},
    };
    for (const auto& c : cases) {
        auto e = Expression::compile(c.expression, r.fields);
        ASSERT_FALSE(e.ok()) << c.expression;
        EXPECT_NE(e.message().find(c.expected), std::string::npos) << c.expression << " -> " << e.message();
    }
}

TEST(Expression, HostileInputIsRefusedNotFollowed) {
    const Record r = sample();
    EXPECT_FALSE(Expression::compile(std::string(5000, '('), r.fields).ok());
    EXPECT_FALSE(Expression::compile(std::string(300, '(') + "1" + std::string(300, ')'), r.fields).ok());
    EXPECT_FALSE(Expression::compile(std::string(1000, '!') + ".T.", r.fields).ok());
    auto deep = Expression::compile(std::string(50, '(') + "1" + std::string(50, ')') + " = 1", r.fields);
    EXPECT_TRUE(deep.ok()) << deep.message();
}

}  // namespace
