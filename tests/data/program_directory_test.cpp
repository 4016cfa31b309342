#include "data/program_directory.h"

#include "temp_home.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace qorvel;

namespace {

TEST(ProgramDirectory, ChoosesHomeInOrder) {
    TempHome portable;
    TempHome plain;
    HomeSources s{"/tmp/cli", "/tmp/env", plain.path(), "/tmp/user"};
    EXPECT_EQ(chooseHome(s), "/tmp/cli/");
    s.commandLineHome.clear();
    EXPECT_EQ(chooseHome(s), "/tmp/env/");
    s.environmentHome.clear();
    // plain holds DATA/ (TempHome makes it), so it is a portable home.
    EXPECT_EQ(chooseHome(s), plain.path());
    QDir(plain.path()).rmdir("DATA");
    EXPECT_EQ(chooseHome(s), "/tmp/user/");
    portable.write("qorvel.INI", "");
    QDir(portable.path()).rmdir("DATA");
    s.executableDir = portable.path();
    EXPECT_EQ(chooseHome(s), portable.path());
}

TEST(ProgramDirectory, HomeArgument) {
    EXPECT_EQ(homeArgument({"qorvel", "--home", "/x"}), "/x");
    EXPECT_EQ(homeArgument({"qorvel", "--home=/y"}), "/y");
    EXPECT_EQ(homeArgument({"qorvel", "--home"}), "");
    EXPECT_EQ(homeArgument({"qorvel"}), "");
}

TEST(ProgramDirectory, AlwaysHasTrailingSeparator) {
    TempHome home;
    setProgramDirectory(home.path().chopped(1));
    EXPECT_TRUE(ProgramDirectory().endsWith('/'));
    EXPECT_EQ(ProgramDirectory(), home.path());
}

TEST(ProgramDirectory, ResolvesIgnoringCaseWithEitherSeparator) {
    TempHome home;
    home.write("DATA/Add0001.dbf", "x");
    home.write("sysdata/LABEL.DBF", "x");
    struct Case {
        const char* relative;
        const char* expected;
    } cases[] = {
        {"DATA\\add0001.DBF", "DATA/Add0001.dbf"},
        {"data/ADD0001.DBF", "DATA/Add0001.dbf"},
        {"SYSDATA\\label.dbf", "sysdata/LABEL.DBF"},
        {"sysdata/new.dbf", "sysdata/new.dbf"},         // missing: spelled as asked
        {"Data\\Sub\\X.DBF", "DATA/Sub/X.DBF"},          // existing part resolved, rest as spelled
        {"QORVEL.ini", "QORVEL.ini"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(homePath(c.relative), home.path() + c.expected) << c.relative;
}

TEST(ProgramDirectory, ExactSpellingWinsOverOtherCase) {
    TempHome home;
    home.write("DATA/a.dbf", "1");
    home.write("DATA/A.dbf", "2");
    EXPECT_EQ(homePath("DATA/A.dbf"), home.path() + "DATA/A.dbf");
    EXPECT_EQ(homePath("DATA/a.dbf"), home.path() + "DATA/a.dbf");
}

TEST(ProgramDirectory, PrepareCreatesFoldersOnce) {
    TempHome base;
    const QString home = base.path() + "fresh/";
    HomeFolders first = prepareHomeFolders(home);
    ASSERT_TRUE(first.ok) << first.error.toStdString();
    EXPECT_TRUE(first.sysdataCreated);
    EXPECT_TRUE(QDir(home + "DATA").exists());
    EXPECT_TRUE(QDir(home + "sysdata").exists());
    EXPECT_FALSE(prepareHomeFolders(home).sysdataCreated);
    // Folders spelled in another case are the same folders.
    const QString other = base.path() + "other/";
    QDir().mkpath(other + "data");
    QDir().mkpath(other + "SYSDATA");
    HomeFolders again = prepareHomeFolders(other);
    EXPECT_TRUE(again.ok);
    EXPECT_FALSE(again.sysdataCreated);
    EXPECT_FALSE(QDir(other + "DATA").exists() && !QDir(other + "data").exists());
    EXPECT_EQ(QDir(other).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 2);
}

TEST(ProgramDirectory, PrepareNamesTheFolderItCannotCreate) {
    TempHome base;
    base.write("blocker", "a file where a folder should be");
    const HomeFolders r = prepareHomeFolders(base.path() + "blocker/home");
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(base.path() + "blocker/home")) << r.error.toStdString();
}

}  // namespace
