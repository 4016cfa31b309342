#include "data/tag_id.h"

#include <gtest/gtest.h>

using namespace qorvel;

TEST(TagId, Base36) {
    EXPECT_EQ(ToBase36(0), "");
    EXPECT_EQ(ToBase36(35), "Z");
    EXPECT_EQ(ToBase36(36), "10");
    EXPECT_EQ(ToBase36(36LL * 36 * 36 * 36 * 36 * 36 - 1), "ZZZZZZ");
}

TEST(TagId, FromDateAndTime) {
    EXPECT_EQ(NewTagId(QDateTime(QDate(2026, 12, 8), QTime(20, 34, 0))), "VJZBZPK");
    // The latest moment of a year still fits the TAG field.
    EXPECT_LE(NewTagId(QDateTime(QDate(2030, 12, 31), QTime(23, 59, 59))).size(), 8);
    EXPECT_NE(NewTagId(QDateTime(QDate(2026, 12, 8), QTime(20, 34, 0))),
              NewTagId(QDateTime(QDate(2026, 12, 8), QTime(20, 34, 1))));
}
