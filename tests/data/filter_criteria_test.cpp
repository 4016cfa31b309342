#include "data/filter_criteria.h"

#include <gtest/gtest.h>

using namespace qorvel;

namespace {

TEST(FilterCriteria, FieldConditionsAsTheBuilderWritesThem) {
    struct Case {
        const char* typed;
        const char* condition;
    } cases[] = {
        {"jon", "UPPER(LNAME)=\"JON\""},
        {"$son", "\"SON\"$UPPER(LNAME)"},
        {"a;b", "((UPPER(LNAME)=\"A\").or.(UPPER(LNAME)=\"B\"))"},
        {">=a+<=m", "((UPPER(LNAME)>=\"A\").and.(UPPER(LNAME)<=\"M\"))"},
        {"j^jo", "((UPPER(LNAME)=\"J\").and..not.(UPPER(LNAME)=\"JO\"))"},
        {">b", "UPPER(LNAME)>\"B\""},
        {"<c", "UPPER(LNAME)<\"C\""},
        {"a;b+c", "((UPPER(LNAME)=\"A\").or.(((UPPER(LNAME)=\"B\").and.(UPPER(LNAME)=\"C\"))))"},
        {"a;", "((UPPER(LNAME)=\"A\").or.(UPPER(LNAME)=\"\"))"},
        {" x ", "UPPER(LNAME)=\" X \""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(buildFieldCondition("LNAME", c.typed), c.condition) << c.typed;
    EXPECT_EQ(buildFieldCondition("LNAME", "$" + QString(120, 'x')).size(), QString("\"\"$UPPER(LNAME)").size() + 99);
}

TEST(FilterCriteria, ExpressionOrderJoinersAndTag) {
    FilterCriteria c;
    c.texts[0] = "jones";   // Last
    c.texts[7] = "boston";  // City
    EXPECT_EQ(BuildQueryString(c, "ID"), "UPPER(LNAME)=\"JONES\" and UPPER(CITY+STATE)=\"BOSTON\"");
    // Comment boxes come before Date and Codes; blank boxes are left out.
    c.clear();
    c.texts[15] = "$C";     // Codes, position 18
    c.texts[14] = "2026";   // Date, 17
    c.texts[16] = "x";      // Comment 1, 15
    c.texts[1] = "   ";
    EXPECT_EQ(BuildQueryString(c, "ID"), "UPPER(USER1)=\"X\" and UPPER(DATE)=\"2026\" and \"C\"$UPPER(CODES)");
    c.clear();
    c.taggedOnly = true;
    EXPECT_EQ(BuildQueryString(c, "VJZBZPK"), "(UPPER(TAG)=\"VJZBZPK\")");
    c.texts[10] = "555";  // Phone 1
    c.texts[11] = "444";  // Phone 2
    EXPECT_EQ(BuildQueryString(c, "T"),
              "UPPER(PHONE)=\"555\" and UPPER(PHONE2)=\"444\" and (UPPER(TAG)=\"T\")");
    EXPECT_FALSE(c.isEmpty());
    c.clear();
    EXPECT_TRUE(c.isEmpty());
    EXPECT_EQ(BuildQueryString(c, "T"), "");
}

TEST(FilterCriteria, FilterFiles) {
    FilterCriteria c;
    c.texts[0] = "smith";
    c.texts[17] = "last";
    const QByteArray text = filterFileText(c);
    EXPECT_EQ(text.count("\r\n"), 18);
    EXPECT_TRUE(text.startsWith("smith\r\n\r\n"));
    auto back = parseFilterFile(text);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->complete);
    EXPECT_EQ(back->texts, c.texts);
    // Fewer lines fill the rest with empty criteria and say so.
    auto shorter = parseFilterFile("jones\nboston\n");
    ASSERT_TRUE(shorter);
    EXPECT_FALSE(shorter->complete);
    EXPECT_EQ(shorter->texts[0], "jones");
    EXPECT_EQ(shorter->texts[17], "");
    // Windows text of the earlier program reads too.
    EXPECT_EQ(parseFilterFile("M\xFCller\r\n")->texts[0], "Müller");
    EXPECT_FALSE(parseFilterFile(QByteArray("\x00\x01binary", 8)));
    EXPECT_FALSE(parseFilterFile(QByteArray(100000, 'x')));
}

}  // namespace
