#include "data/profile_file.h"

#include "temp_home.h"

#include <QDir>
#include <gtest/gtest.h>

using qorvel::ProfileFile;

namespace {

struct ReadCase {
    const char* name;
    QByteArray content;
    const char* section;
    const char* key;
    int fallback;
    int expected;
};

class ProfileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ProfileRead, ReadsIntegerAsWindowsWould) {
    const ReadCase& c = GetParam();
    TempHome home;
    home.write("p.ini", c.content);
    ProfileFile f(home.file("p.ini"));
    EXPECT_EQ(f.readInteger(c.section, c.key, c.fallback), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProfileRead,
    ::testing::Values(
        ReadCase{"plain", "[Adding]\nPlugDate=1\n", "Adding", "PlugDate", 0, 1},
        ReadCase{"sectionAndKeyIgnoreCase", "[adding]\nplugdate=1\n", "Adding", "PlugDate", 0, 1},
        ReadCase{"notANumberGivesDefault", "[Adding]\nPlugDate=yes\n", "Adding", "PlugDate", 0, 0},
        ReadCase{"trailingLettersGiveDefault", "[A]\nk=12abc\n", "A", "k", 5, 5},
        ReadCase{"emptyGivesDefault", "[A]\nk=\n", "A", "k", 5, 5},
        ReadCase{"blanksAroundKeyAndValue", "  [ A ]  \n  k  =  7  \r\n", "A", "k", 0, 7},
        ReadCase{"negative", "[A]\nk=-3\n", "A", "k", 0, -3},
        ReadCase{"hex", "[A]\nk=$1F\n", "A", "k", 0, 31},
        ReadCase{"overflowGivesDefault", "[A]\nk=99999999999\n", "A", "k", 4, 4},
        ReadCase{"firstDuplicateKeyWins", "[A]\nk=1\nk=2\n", "A", "k", 0, 1},
        ReadCase{"firstDuplicateSectionWins", "[A]\nk=1\n[B]\nk=5\n[a]\nk=2\nj=3\n", "A", "k", 0, 1},
        ReadCase{"keyOnlyInLaterDuplicateSectionIsMissing", "[A]\nk=1\n[a]\nj=3\n", "A", "j", 9, 9},
        ReadCase{"keyInOtherSectionIsMissing", "[B]\nk=1\n[A]\n", "A", "k", 9, 9},
        ReadCase{"commentIsNoKey", "[A]\n;k=1\n", "A", "k", 9, 9},
        ReadCase{"keysBeforeAnySectionIgnored", "k=1\n[A]\n", "A", "k", 9, 9},
        ReadCase{"binaryGarbage", QByteArray("\x00\xff\xfe[\x01=\x02\n\x7f", 9), "A", "k", 6, 6},
        ReadCase{"garbageBeforeGoodSection", QByteArray("\x00\xff\n[A]\nk=4\n", 11), "A", "k", 0, 4}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(ProfileFile, MissingFileGivesDefaults) {
    TempHome home;
    ProfileFile f(home.file("none.ini"));
    EXPECT_EQ(f.readString("A", "k", "def"), "def");
    EXPECT_TRUE(f.readBool("A", "k", true));
    EXPECT_FALSE(f.value("A", "k").has_value());
}

TEST(ProfileFile, LogicalsReadAsIntegers) {
    TempHome home;
    home.write("p.ini", "[A]\nyes=yes\ntwo=2\nzero=0\nminus=-1\n");
    ProfileFile f(home.file("p.ini"));
    EXPECT_FALSE(f.readBool("A", "yes", false));
    EXPECT_TRUE(f.readBool("A", "yes", true));
    EXPECT_TRUE(f.readBool("A", "two", false));
    EXPECT_FALSE(f.readBool("A", "zero", true));
    EXPECT_TRUE(f.readBool("A", "minus", false));
}

TEST(ProfileFile, TextValuesAreTrimmedAndUnquoted) {
    TempHome home;
    home.write("p.ini", "[A]\nq=\"  two words \"\ns='x'\nplain=  a=b  \nhalf=\"x\n");
    ProfileFile f(home.file("p.ini"));
    EXPECT_EQ(f.readString("A", "q"), "  two words ");
    EXPECT_EQ(f.readString("A", "s"), "x");
    EXPECT_EQ(f.readString("A", "plain"), "a=b");
    EXPECT_EQ(f.readString("A", "half"), "\"x");
}

TEST(ProfileFile, WriteCreatesFile) {
    TempHome home;
    ProfileFile f(home.file("new.ini"));
    ASSERT_TRUE(f.writeString("Misc", "GlobalTagId", "VJZBZPK"));
    EXPECT_EQ(home.read("new.ini"), "[Misc]\nGlobalTagId=VJZBZPK\n");
    ASSERT_TRUE(f.writeBool("Adding", "PlugDate", true));
    EXPECT_EQ(home.read("new.ini"), "[Misc]\nGlobalTagId=VJZBZPK\n\n[Adding]\nPlugDate=1\n");
}

TEST(ProfileFile, WriteKeepsEveryLineItDoesNotOwn) {
    TempHome home;
    const QByteArray before = "; my notes\r\n[Other]\r\nX = 1 \r\n\r\n[misc]\r\nglobaltagid = OLD\r\nKeep=me\r\n"
                              "\r\n[Misc]\r\nGlobalTagId=SECOND\r\n";
    home.write("p.ini", before);
    ProfileFile f(home.file("p.ini"));
    ASSERT_TRUE(f.writeString("Misc", "GlobalTagId", "NEW"));
    ASSERT_TRUE(f.writeInteger("MISC", "Count", 3));
    // The key keeps its spelling, the first section of the name is the one written,
    // the new key goes after the section's last line and CRLF stays CRLF.
    EXPECT_EQ(home.read("p.ini"), "; my notes\r\n[Other]\r\nX = 1 \r\n\r\n[misc]\r\nglobaltagid=NEW\r\nKeep=me\r\n"
                                  "Count=3\r\n\r\n[Misc]\r\nGlobalTagId=SECOND\r\n");
    EXPECT_EQ(f.readString("Misc", "GlobalTagId"), "NEW");
}

TEST(ProfileFile, WriteKeepsBinaryGarbage) {
    TempHome home;
    const QByteArray garbage("\x00\xff\xfe\x01zz\x7f\x80", 8);
    home.write("p.ini", garbage);
    ProfileFile f(home.file("p.ini"));
    ASSERT_TRUE(f.writeString("Misc", "GlobalTagId", "ID"));
    const QByteArray after = home.read("p.ini");
    EXPECT_TRUE(after.startsWith(garbage));
    EXPECT_EQ(f.readString("Misc", "GlobalTagId"), "ID");
}

TEST(ProfileFile, ValueWithLineBreakStaysOneLine) {
    TempHome home;
    ProfileFile f(home.file("p.ini"));
    ASSERT_TRUE(f.writeString("A", "k", "one\ntwo"));
    ASSERT_TRUE(f.writeString("A", "j", "x"));
    EXPECT_EQ(f.readString("A", "k"), "one two");
    EXPECT_EQ(f.readString("A", "j"), "x");
}

TEST(ProfileFile, UnreadableFileIsNeverOverwritten) {
    TempHome home;
    // A directory where the file should be cannot be read as a file.
    QDir(home.path()).mkpath("p.ini");
    ProfileFile f(home.file("p.ini"));
    EXPECT_FALSE(f.writeString("A", "k", "v"));
    EXPECT_EQ(f.readString("A", "k", "def"), "def");
}

TEST(ProfileFile, WriteLeavesNoTemporaryFiles) {
    TempHome home;
    ProfileFile f(home.file("p.ini"));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(f.writeInteger("A", "k", i));
    const QStringList entries = QDir(home.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(entries, QStringList{"p.ini"});
}

}  // namespace
