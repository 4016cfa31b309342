#include "data/address_table.h"
#include "data/printer_presence.h"
#include "data/program_directory.h"
#include "data/settings_file.h"
#include "data/supplied/supplied_tables.h"
#include "data/system_tables.h"
#include "data/table_rebuild.h"

#include "scripted_dialog_service.h"
#include "temp_home.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace qorvel;

namespace {

TEST(SystemTables, CreatableTablesAreMadeWithTheirFieldsAndTag) {
    TempHome home;
    struct Case {
        SystemTable table;
        const char* file;
        const char* fields;
    } cases[] = {
        {SystemTable::Letter, "LETTER.DBF", "DESCRIPT C50,RTF M10"},
        {SystemTable::Report, "REPORT.DBF", "DESCRIPT C60,LAYOUT C60,BINARY C12"},
        {SystemTable::Envelope, "ENVELOPE.DBF", "DESCRIPT C60,NUMBER N5,BINARY C12"},
        {SystemTable::Label, "LABEL.DBF",
         "DESCRIPT C60,PRINTER C2,LBLHEIGHT N6,LBLWIDTH N6,NBRACROSS N2,NBRDOWN N2,TOPMARG N6,LEFTMARG N6,"
         "HORIZPITCH N6,VERTPITCH N6,SHEETWIDTH N6,SHEETDEPTH N6,PAPERSIZE C5,LBLSHAPE C2,TPLDESCRIP C60,"
         "MANUFAC C10,PRODTYPE C25,MIDEXTRAX N6,MIDEXTRAY N6,ART C12,DELETED L1,BINARY C12"},
    };
    for (const Case& c : cases) {
        Dataset t;
        ASSERT_TRUE(OpenSystemTable(c.table, t)) << c.file;
        QStringList fields;
        for (const auto& f : t.table()->fields())
            fields << QString("%1 %2%3").arg(QString::fromStdString(f.name)).arg(f.type).arg(f.width);
        EXPECT_EQ(fields.join(","), c.fields);
        EXPECT_EQ(t.table()->tagInfo(1).name, "DESCRIPT");
        EXPECT_EQ(t.table()->tagInfo(1).expression, "UPPER(descript)");
        EXPECT_TRUE(QFile::exists(home.file(QString("sysdata/") + c.file)));
    }
}

TEST(SystemTables, AMissingTableOrIndexIsMadeAgain) {
    TempHome home;
    {
        Dataset t;
        ASSERT_TRUE(OpenLetterTable(t));
        ASSERT_TRUE(t.insert());
        t.setText("DESCRIPT", "Welcome letter");
        ASSERT_TRUE(t.post());
    }
    {
        Dataset t;
        ASSERT_TRUE(OpenReportTable(t));
    }
    ASSERT_TRUE(QFile::remove(home.file("sysdata/LETTER.DBF")));
    ASSERT_TRUE(QFile::remove(home.file("sysdata/REPORT.CDX")));
    Dataset letters;
    ASSERT_TRUE(OpenLetterTable(letters));
    EXPECT_EQ(letters.table()->recordCount(), 0u);
    EXPECT_EQ(letters.table()->tagArea("DESCRIPT"), 1);
    Dataset reports;
    ASSERT_TRUE(OpenReportTable(reports));
    EXPECT_TRUE(QFile::exists(home.file("sysdata/REPORT.CDX")));
    EXPECT_EQ(reports.table()->tagArea("DESCRIPT"), 1);
}

TEST(SystemTables, SuppliedTablesAreNotMadeButReported) {
    TempHome home;
    ScriptedDialogService dialogs;
    Dataset t;
    EXPECT_FALSE(OpenLabelTemplateTable(t));
    EXPECT_FALSE(OpenStateZipTable(t));
    EXPECT_EQ(dialogs.texts(), (QStringList{"Unable to Open LBLTPL.DBF", "Unable to Open or Create CSZ.DBF"}));
    // A damaged table is never replaced by an empty one.
    home.write("sysdata/LETTER.DBF", "not a table");
    EXPECT_FALSE(OpenLetterTable(t));
    EXPECT_EQ(dialogs.lastText(), "Unable to Open or Create LETTER.DBF");
    EXPECT_EQ(home.read("sysdata/LETTER.DBF"), "not a table");
}

TEST(SystemTables, SuppliedTablesComeWithTheProgram) {
    TempHome home;
    ASSERT_TRUE(installSuppliedTables(home.file("sysdata")));
    Dataset templates;
    ASSERT_TRUE(OpenLabelTemplateTable(templates));
    EXPECT_GT(templates.recordCount(), 500u);
    ASSERT_TRUE(templates.table()->seek("AVERY 5160"));
    EXPECT_EQ(templates.text("DESCRIPT"), "Avery 5160  Address");
    EXPECT_EQ(templates.text("NBRACROSS"), "3");
    EXPECT_EQ(templates.text("LEFTMARG"), "0.188");
    Dataset states;
    ASSERT_TRUE(OpenStateZipTable(states));
    EXPECT_EQ(states.recordCount(), 72u);
    ASSERT_TRUE(*states.table()->seek("MA"));
    EXPECT_EQ(states.text("LOW_ZIP"), "01000");
    EXPECT_EQ(states.text("HIGH_ZIP"), "02799-9999");
    EXPECT_TRUE(states.table()->checkIndexes().ok());
    // Installing again leaves the files as they are.
    templates.close();
    home.write("sysdata/LBLTPL.DBF", "mine");
    EXPECT_TRUE(installSuppliedTables(home.file("sysdata")));
    EXPECT_EQ(home.read("sysdata/LBLTPL.DBF"), "mine");
}

TEST(Rebuild, DeletedRecordsAreGoneAndTagsRebuilt) {
    TempHome home;
    Dataset table, creation;
    defineAddressFields(table);
    defineAddressFields(creation);
    const QString path = home.file("DATA/ADD0001.DBF");
    ASSERT_TRUE(CreateAddressTable(path, creation, NewFieldWidths::load(settingsFile())));
    ASSERT_TRUE(OpenTableFile(path, table));
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(table.insert());
        table.setText("LNAME", QString("Name%1").arg(i));
        ASSERT_TRUE(table.post());
    }
    for (uint32_t r : {2u, 5u, 9u}) {
        ASSERT_TRUE(table.goToRecord(r));
        table.table()->setDeletedHidden(false);
        ASSERT_TRUE(table.deleteMark());
        table.table()->setDeletedHidden(true);
    }
    QStringList steps;
    int lastPercent = -1;
    ASSERT_TRUE(rebuildAddressTable(table, [&](const QString& step, int percent) {
        if (!step.isEmpty())
            steps << step;
        lastPercent = percent;
    }));
    EXPECT_EQ(steps, (QStringList{"Cleaning out old deleted records", "Rebuilding indexes"}));
    EXPECT_EQ(lastPercent, 100);
    EXPECT_EQ(table.table()->recordCount(), 7u);
    EXPECT_EQ(table.table()->orderCount(), 26);
    EXPECT_TRUE(table.table()->checkIndexes().ok());
}

TEST(Rebuild, SystemTablesAreRebuiltOneAfterAnother) {
    TempHome home;
    installSuppliedTables(home.file("sysdata"));
    {
        Dataset t;
        ASSERT_TRUE(OpenLabelTable(t));
    }
    QFile::remove(home.file("sysdata/CSZ.CDX"));
    QStringList steps;
    rebuildSystemTables([&](const QString& step, int) {
        if (!step.isEmpty())
            steps << step;
    });
    EXPECT_EQ(steps, (QStringList{"Rebuilding Letters File indexes", "Rebuilding Label File indexes",
                                  "Rebuilding State/Province File indexes", "Rebuilding Label Setup File indexes",
                                  "Rebuilding Envelope File indexes", "Rebuilding Report File indexes"}));
    EXPECT_TRUE(QFile::exists(home.file("sysdata/CSZ.CDX")));
    Dataset states;
    ASSERT_TRUE(OpenStateZipTable(states));
    EXPECT_TRUE(states.table()->checkIndexes().ok());
}

TEST(PrinterPresence, MessagesWhenPrintingCannotGoAhead) {
    struct FakePrinters : PrinterSystem {
        int count = 0;
        bool ready = false;
        int reselected = 0;
        int printerCount() const override { return count; }
        bool currentPrinterReady() override { return ready; }
        void reselectCurrentPrinter() override { ++reselected; }
    } fake;
    setPrinterSystem(&fake);
    ScriptedDialogService dialogs;
    EXPECT_FALSE(PrinterPresenceCheck());
    EXPECT_EQ(dialogs.lastText(), "There are no installed printers.\nUnable to perform printer related operations");
    fake.count = 2;
    EXPECT_FALSE(PrinterPresenceCheck());
    EXPECT_EQ(fake.reselected, 1);
    EXPECT_EQ(dialogs.lastText(), "There is no default printer selected.\nUnable to perform printer related operations");
    fake.ready = true;
    EXPECT_TRUE(PrinterPresenceCheck());
    setPrinterSystem(nullptr);
    EXPECT_TRUE(PrinterPresenceCheck());  // the built-in PDF printer
}

}  // namespace
