#include "engine/codepage.h"

#include <gtest/gtest.h>

using namespace qorvel::engine;

TEST(Codepage, RoundTripsEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    auto back = cp1252::fromUtf8(cp1252::toUtf8(all));
    ASSERT_TRUE(back.ok()) << back.message();
    EXPECT_EQ(*back, all);
}

TEST(Codepage, ConvertsTheSpecialCharacters) {
    struct Case {
        const char* utf8;
        const char* bytes;
    } cases[] = {
        {"€", "\x80"}, {"Š", "\x8A"}, {"œ", "\x9C"}, {"Ÿ", "\x9F"}, {"ü", "\xFC"}, {"Müller", "M\xFCller"},
        {"“quoted”", "\x93quoted\x94"},
    };
    for (const Case& c : cases) {
        auto b = cp1252::fromUtf8(c.utf8);
        ASSERT_TRUE(b.ok()) << c.utf8;
        EXPECT_EQ(*b, c.bytes) << c.utf8;
        EXPECT_EQ(cp1252::toUtf8(c.bytes), c.utf8);
    }
}

TEST(Codepage, RefusesWhatItCannotHold) {
    for (const char* s : {"Ω", "日本", "😀", "\xC3", "\xE2\x82", "\xC0\x80", "\xED\xA0\x80", "a\xFFz"}) {
        auto b = cp1252::fromUtf8(s);
        EXPECT_FALSE(b.ok()) << s;
        EXPECT_FALSE(b.message().empty());
    }
    auto omega = cp1252::fromUtf8("Ωmega");
    EXPECT_NE(omega.message().find("U+03A9"), std::string::npos) << omega.message();
}

TEST(Codepage, LetterCase) {
    const std::string lower = "abcz\xE0\xE9\xFC\xFE\x9A\x9C\x9E\xFF\xF7\xDF\xB5";
    std::string up = lower;
    cp1252::upperInPlace(up.data(), up.size());
    // ÷, ß and µ have no upper-case partner in 1252 and stay.
    EXPECT_EQ(up, "ABCZ\xC0\xC9\xDC\xDE\x8A\x8C\x8E\x9F\xF7\xDF\xB5");
    std::string down = up;
    cp1252::lowerInPlace(down.data(), down.size());
    EXPECT_EQ(down, lower);
    EXPECT_EQ(cp1252::upper('\xD7'), static_cast<unsigned char>('\xD7'));  // × stays
}
