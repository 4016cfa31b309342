#include "data/adding_preferences.h"
#include "data/misc_settings.h"
#include "data/new_field_widths.h"
#include "data/recent_files.h"
#include "data/settings_file.h"
#include "data/window_placement.h"

#include "temp_home.h"

#include <gtest/gtest.h>

using namespace qorvel;

namespace {

TEST(AddingPreferences, SaveWritesAllKeysWithExactSpelling) {
    TempHome home;
    auto file = settingsFile();
    AddingPreferences p;
    p.skip[size_t(SkipField::FirstName)] = true;
    p.carry[size_t(CarryField::Country)] = true;
    p.defaultCountry = "Canada";
    ASSERT_TRUE(p.save(file));
    const QByteArray text = home.read("QORVEL.ini");
    EXPECT_EQ(text,
              "[Adding]\nPlugDate=0\nPlugCityState=0\nAutoDupCheck=0\nDefaultCountry=Canada\nCarryOrg=0\n"
              "CarrySA1=0\nCarrySA2=0\nCarryCity=0\nCarryState=0\nCarryZip=0\nCarryCountry=1\nSkipLastName=0\n"
              "SkipfirstName=1\nSkipMiddleInitial=0\nSkipPrefix=0\nSkiptitle=0\nSkipOrganization=0\n"
              "SkipAddress2=0\nSkipState=0\nSkipZip=0\nSkipCountry=0\nSkipPhone1=0\nSkipPhone2=0\nSkipFax=0\n"
              "SkipEmail=0\nSkipCodes=0\nSkipComments1=0\nSkipcomments2=0\nSkipDate=0\n");
    EXPECT_EQ(text.count('\n'), 1 + AddingPreferences::kKeyCount);
    const AddingPreferences back = AddingPreferences::load(file);
    EXPECT_TRUE(back.skips(SkipField::FirstName));
    EXPECT_TRUE(back.carries(CarryField::Country));
    EXPECT_EQ(back.defaultCountry, "Canada");
}

TEST(AddingPreferences, LoadReadsLogicalsAsIntegersAndCutsCountry) {
    TempHome home;
    home.write("QORVEL.ini", "[ADDING]\nplugdate=yes\nPlugCityState=2\nSKIPFIRSTNAME=1\nDefaultCountry=" +
                                 QByteArray(40, 'x') + "\n");
    const AddingPreferences p = AddingPreferences::load(settingsFile());
    EXPECT_FALSE(p.plugDate);
    EXPECT_TRUE(p.plugCityState);
    EXPECT_FALSE(p.autoDupCheck);
    EXPECT_TRUE(p.skips(SkipField::FirstName));
    EXPECT_EQ(p.defaultCountry.size(), 30);
}

TEST(MiscSettings, TagIdIsMadeOnceAndWrittenBack) {
    TempHome home;
    auto file = settingsFile();
    const QDateTime when(QDate(2026, 12, 8), QTime(20, 34, 0));
    EXPECT_EQ(misc_settings::loadTagId(file, when), "VJZBZPK");
    // First start writes nothing but the tag id.
    EXPECT_EQ(home.read("QORVEL.ini"), "[Misc]\nGlobalTagId=VJZBZPK\n");
    // Later loads keep the stored id.
    EXPECT_EQ(misc_settings::loadTagId(file, when.addSecs(5)), "VJZBZPK");
}

TEST(MiscSettings, EmptyTagIdIsReplaced) {
    TempHome home;
    home.write("QORVEL.ini", "[Misc]\nGlobalTagId=\n");
    auto file = settingsFile();
    const QString id = misc_settings::loadTagId(file, QDateTime(QDate(2026, 12, 8), QTime(20, 34, 0)));
    EXPECT_EQ(id, "VJZBZPK");
    EXPECT_EQ(file.readString("Misc", "GlobalTagId"), "VJZBZPK");
}

TEST(MiscSettings, GettingStarted) {
    TempHome home;
    auto file = settingsFile();
    EXPECT_FALSE(misc_settings::gettingStartedDismissed(file));
    misc_settings::setGettingStartedDismissed(file, true);
    EXPECT_TRUE(misc_settings::gettingStartedDismissed(file));
    EXPECT_EQ(home.read("QORVEL.ini"), "[Misc]\nGettingStarted=1\n");
}

TEST(RecentFiles, SkipsEmptyKeysAndKeepsKeyOrder) {
    TempHome home;
    home.write("QORVEL.ini", "[MRU]\nItem3=/c.dbf\nItem1=/a.dbf\nItem2=\nItem4=/d.dbf\nItem5=/e.dbf\n");
    RecentFiles mru(settingsFile());
    mru.GetMRUList();
    EXPECT_EQ(mru.items(), (QStringList{"/a.dbf", "/c.dbf", "/d.dbf"}));
    EXPECT_EQ(mru.GetMRUFile(), "/a.dbf");
}

TEST(RecentFiles, ReopeningTheFirstOfFiveDropsTheOldest) {
    TempHome home;
    RecentFiles mru(settingsFile());
    mru.GetMRUList();
    EXPECT_EQ(mru.GetMRUFile(), "");
    for (const char* p : {"/d/1.dbf", "/d/2.dbf", "/d/3.dbf", "/d/4.dbf", "/d/1.dbf"})
        mru.UpdateMRUList(p);
    EXPECT_EQ(mru.items(), (QStringList{"/d/1.dbf", "/d/4.dbf", "/d/3.dbf", "/d/2.dbf"}));
    RecentFiles reread(settingsFile());
    reread.GetMRUList();
    EXPECT_EQ(reread.items(), mru.items());
}

TEST(RecentFiles, PathDifferingInCaseIsAnotherEntry) {
    TempHome home;
    RecentFiles mru(settingsFile());
    mru.UpdateMRUList("/d/ADD0001.DBF");
    mru.UpdateMRUList("/d/add0001.dbf");
    EXPECT_EQ(mru.items(), (QStringList{"/d/add0001.dbf", "/d/ADD0001.DBF"}));
}

TEST(NewFieldWidths, MissingKeysAndOutOfRangeValuesTakeDefaults) {
    TempHome home;
    home.write("QORVEL.ini", "[NewFileFieldLengths]\nFieldLNAME=45\nFieldFNAME=4\nFieldCITY=81\nFieldZIP=5\n"
                             "FieldORG=x\n");
    const NewFieldWidths w = NewFieldWidths::load(settingsFile());
    EXPECT_EQ(w.widthOf("LNAME"), 45);
    EXPECT_EQ(w.widthOf("FNAME"), 30);
    EXPECT_EQ(w.widthOf("CITY"), 30);
    EXPECT_EQ(w.widthOf("ZIP"), 5);
    EXPECT_EQ(w.widthOf("ORG"), 30);
    EXPECT_EQ(w.widthOf("FAX"), 40);
    EXPECT_EQ(NewFieldWidths::buttonDefaults().widthOf("FAX"), 30);
    EXPECT_EQ(w.widthOf("MIDDLE"), 0);
}

TEST(NewFieldWidths, SaveReplacesOutOfRangeValues) {
    TempHome home;
    NewFieldWidths w = NewFieldWidths::defaults();
    w.widths[0] = 3;
    w.widths[1] = 80;
    auto file = settingsFile();
    ASSERT_TRUE(w.save(file));
    EXPECT_EQ(file.readInteger("NewFileFieldLengths", "FieldLNAME", 0), 30);
    EXPECT_EQ(file.readInteger("NewFileFieldLengths", "FieldFNAME", 0), 80);
    EXPECT_EQ(file.readInteger("NewFileFieldLengths", "FieldUSER2", 0), 40);
}

TEST(WindowPlacement, RoundTripsAndRejectsNonsense) {
    TempHome home;
    auto file = settingsFile();
    EXPECT_FALSE(WindowPlacement::load(file, "TAddressBrowseForm"));
    WindowPlacement p{QRect(10, 20, 300, 200), true};
    ASSERT_TRUE(p.save(file, "TAddressBrowseForm"));
    EXPECT_EQ(file.readInteger("TAddressBrowseForm_Placement", "Right", 0), 310);
    EXPECT_EQ(file.readInteger("TAddressBrowseForm_Placement", "Bottom", 0), 220);
    const auto back = WindowPlacement::load(file, "TAddressBrowseForm");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->normal, p.normal);
    EXPECT_TRUE(back->maximized);

    home.write("QORVEL.ini", "[T_Placement]\nLeft=50\nTop=0\nRight=40\nBottom=100\n");
    EXPECT_FALSE(WindowPlacement::load(settingsFile(), "T"));
}

}  // namespace
