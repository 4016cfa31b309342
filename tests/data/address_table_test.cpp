#include "data/address_schema.h"
#include "data/address_table.h"
#include "data/settings_file.h"
#include "data/stored_date.h"
#include "data/text_trim.h"

#include "scripted_dialog_service.h"
#include "temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qorvel;

namespace {

// A new address table in the home's DATA folder, open in `table`.
class AddressTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        defineAddressFields(table);
        defineAddressFields(creation);
        path = home.file("DATA/ADD0001.DBF");
        ASSERT_TRUE(CreateAddressTable(path, creation, NewFieldWidths::load(settingsFile())));
        ASSERT_TRUE(OpenTableFile(path, table));
        table.setCalcFields([this](const RowReader& row, QHash<QString, QVariant>& out) {
            addressCalcFields(row, tagId, extra, out);
        });
    }

    void add(const QString& last, const QString& first, const QString& middle = {}, const QString& prefix = {}) {
        ASSERT_TRUE(table.insert());
        ASSERT_TRUE(table.setText("LNAME", last));
        ASSERT_TRUE(table.setText("FNAME", first));
        ASSERT_TRUE(table.setText("MIDDLE", middle));
        ASSERT_TRUE(table.setText("PREFIX", prefix));
        ASSERT_TRUE(table.post());
    }

    TempHome home;
    Dataset table, creation;
    QString path;
    QString tagId = "VJZBZPK";
    bool extra = true;
};

TEST(StoredDate, DisplayForms) {
    setShortDatePattern("MM/dd/yyyy");
    struct Case {
        const char* stored;
        const char* display;
    } cases[] = {
        {"20261208", "12/08/2026"}, {"20261208      ", "12/08/2026"}, {"", ""}, {"2026ab08", ""},
        {"20261308", ""},           {"20260230", ""},                 {"2026120", ""}, {"19000101", "01/01/1900"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoredDateToDisplay(c.stored), c.display) << c.stored;
    EXPECT_EQ(ToStoredDate("20261208"), "20261208");
    EXPECT_EQ(ToStoredDate("12/08/2026"), "20261208");
    EXPECT_EQ(ToStoredDate("12/08/26"), "20261208");
    EXPECT_EQ(ToStoredDate("13/40/2026"), "");
    EXPECT_EQ(ToStoredDate("soon"), "");
    EXPECT_EQ(ToStoredDate(""), "");
    setShortDatePattern("dd.MM.yyyy");
    EXPECT_EQ(StoredDateToDisplay("20261208"), "08.12.2026");
    setShortDatePattern("MM/dd/yyyy");
}

TEST(TextTrim, BlanksOnly) {
    EXPECT_EQ(TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(TrimRight("  a b  "), "  a b");
    EXPECT_EQ(TrimBoth("  a b  "), "a b");
    EXPECT_EQ(TrimBoth(""), "");
    EXPECT_EQ(TrimBoth("\ta\t"), "\ta\t");
}

TEST_F(AddressTableTest, CalculatedFields) {
    struct Case {
        const char* prefix;
        const char* first;
        const char* middle;
        const char* last;
        const char* city;
        const char* state;
        const char* zip;
        const char* fullName;
        const char* withPrefix;
        const char* cityStateZip;
    } cases[] = {
        {"", "John", "", "Smith", "Boston", "MA", "02134", "John Smith", "John Smith", "Boston MA 02134"},
        {"Mr.", "John", "Q", "Smith", "", "MA", "02134", "John Q Smith", "Mr. John Q Smith", "MA 02134"},
        // The formulas keep the blank between empty parts.
        {"Mr.", "", "", "Smith", "Boston", "", "", " Smith", "Mr. Smith", "Boston "},
        {"", "", "", "", "", "", "", " ", " ", ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(table.insert());
        table.setText("PREFIX", c.prefix);
        table.setText("FNAME", c.first);
        table.setText("MIDDLE", c.middle);
        table.setText("LNAME", c.last);
        table.setText("CITY", c.city);
        table.setText("STATE", c.state);
        table.setText("ZIP", c.zip);
        ASSERT_TRUE(table.post());
        EXPECT_EQ(table.text("FullName"), c.fullName);
        EXPECT_EQ(table.text("FullNameWithPrefix"), c.withPrefix);
        EXPECT_EQ(table.text("CityStateZip"), c.cityStateZip);
    }
    // The name and address fields are not computed while hidden.
    extra = false;
    table.refresh();
    EXPECT_EQ(table.text("FullName"), "");
}

TEST_F(AddressTableTest, TaggedFollowsTheCurrentTagIdAndDisplayDateTheStoredDate) {
    setShortDatePattern("MM/dd/yyyy");
    add("Smith", "John");
    table.setText("TAG", tagId);
    table.setText("DATE", "20261208");
    ASSERT_TRUE(table.post());
    EXPECT_EQ(table.text("Tagged"), "Yes");
    EXPECT_EQ(table.text("DisplayDate"), "12/08/2026");
    // A new id untags every record without touching it.
    tagId = "VK0000A";
    table.refresh();
    EXPECT_EQ(table.text("Tagged"), "No");
    EXPECT_EQ(table.text("TAG"), "VJZBZPK");
}

TEST_F(AddressTableTest, FieldOrderAndHiddenFields) {
    QStringList names, hidden;
    for (const DatasetField& f : table.fields()) {
        names << f.name;
        if (!f.visible)
            hidden << f.name;
    }
    EXPECT_EQ(names.join(","), "Tagged,FullName,FullNameWithPrefix,CityStateZip,LNAME,FNAME,MIDDLE,PREFIX,TITLE,ORG,"
                               "STREET,STREET2,CITY,STATE,ZIP,COUNTRY,PHONE,PHONE2,FAX,EMAIL,CODES,USER1,USER2,MEMO,"
                               "ISDEL,DATE,DisplayDate,TAG");
    EXPECT_EQ(hidden.join(","), "FullName,FullNameWithPrefix,CityStateZip,MEMO,ISDEL,DATE,TAG");
    SetExtraFields(table, true);
    EXPECT_TRUE(table.field("CityStateZip")->visible);
    EXPECT_EQ(table.field("STREET")->displayLabel, "Address 1");
    EXPECT_EQ(table.field("DisplayDate")->displayLabel, "Date");
}

TEST_F(AddressTableTest, WidthsComeFromTheSettingsAndTheFile) {
    home.write("QORVEL.ini", "[NewFileFieldLengths]\nFieldLNAME=45\nFieldCITY=3\n");
    const QString wide = home.file("DATA/WIDE.DBF");
    ASSERT_TRUE(CreateAddressTable(wide, creation, NewFieldWidths::load(settingsFile())));
    Dataset t;
    defineAddressFields(t);
    ASSERT_TRUE(OpenTableFile(wide, t));
    EXPECT_EQ(t.field("LNAME")->size, 45);
    EXPECT_EQ(t.field("CITY")->size, 30);  // 3 is out of range: the default
    const QString name = QString(45, QChar('W'));
    ASSERT_TRUE(t.insert());
    ASSERT_TRUE(t.setText("LNAME", name + "XYZ"));
    ASSERT_TRUE(t.post());
    EXPECT_EQ(t.text("LNAME"), name);
    // The ordinary table keeps 30.
    EXPECT_EQ(table.field("LNAME")->size, 30);
}

TEST_F(AddressTableTest, AFileWithoutAnAddressFieldDoesNotOpen) {
    table.close();
    const QString other = home.file("DATA/OTHER.DBF");
    std::vector<engine::FieldSpec> fields;
    for (const auto& f : address::fieldSpecs()) {
        if (f.name != "TAG")
            fields.push_back(f);
    }
    ASSERT_TRUE(engine::Table::create(other.toStdString(), fields));
    const QByteArray before = home.read("DATA/OTHER.DBF");
    ScriptedDialogService dialogs;
    EXPECT_FALSE(OpenTableFile(other, table));
    EXPECT_FALSE(table.isOpen());
    EXPECT_EQ(home.read("DATA/OTHER.DBF"), before);
    EXPECT_FALSE(OpenTableFile(home.file("DATA/MISSING.DBF"), table));
    EXPECT_EQ(dialogs.lastText(), "File " + home.file("DATA/MISSING.DBF") + " not found");
}

TEST_F(AddressTableTest, BuildAddressIndexesReplacesTheIndex) {
    add("Zeller", "Kim");
    add("Adams", "Zoë");
    ASSERT_TRUE(BuildAddressIndexes(table));
    EXPECT_EQ(table.table()->orderCount(), 26);
    EXPECT_TRUE(table.table()->checkIndexes().ok());
    ASSERT_TRUE(table.setOrderByName("LNAME"));
    ASSERT_TRUE(table.first());
    EXPECT_EQ(table.text("LNAME"), "Adams");
}

}  // namespace
