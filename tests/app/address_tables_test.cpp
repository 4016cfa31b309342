// Opening, creating and rebuilding address tables through the main window's model,
// and the windows that go with it.
#include "app/address_main.h"
#include "app/address_main_model.h"
#include "app/new_database_dialogs.h"
#include "app/rebuild_windows.h"
#include "data/address_schema.h"
#include "data/address_table.h"
#include "data/settings_file.h"
#include "data/system_tables.h"

#include "scripted_dialog_service.h"
#include "shots.h"
#include "temp_home.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace qorvel;

namespace {

// Creates DATA/<name>.DBF with a few people; deleted ones carry the mark and ISDEL.
QString makeTable(TempHome& home, const QString& name, const QStringList& people, const QStringList& deleted = {}) {
    const QString path = home.file("DATA/" + name + ".DBF");
    Dataset creation;
    defineAddressFields(creation);
    if (!CreateAddressTable(path, creation, NewFieldWidths::load(settingsFile())))
        return {};
    auto t = engine::Table::open(path.toStdString());
    for (const QString& p : people + deleted) {
        (*t)->appendBlank();
        (*t)->setString((*t)->fieldIndex("LNAME"), p.toStdString());
        if (deleted.contains(p)) {
            (*t)->setLogical((*t)->fieldIndex("ISDEL"), true);
            (*t)->deleteRecord();
        } else {
            (*t)->post();
        }
    }
    (*t)->close();
    return path;
}

QString unableToOpen(const QString& path) {
    return "Unable to open " + path + "\n\n * May not be a Qorvel file.\n * May be in use by another program or user";
}

}  // namespace

class AddressTablesTest : public QObject {
    Q_OBJECT
private slots:
    void opensSortedByLastName();
    void missingIndexLeadsToRebuild();
    void decliningTheRebuildLeavesNoTable();
    void filesThatAreNotAddressTablesDoNotOpen();
    void aTableLockedElsewhereDoesNotOpen();
    void aTableCutShortIsOfferedARebuild();
    void allSoftDeletedShowsNoRecords();
    void clearTagsUntagsWithoutWriting();
    void newDatabaseNames();
    void newDatabaseDialog();
    void fieldLengthsDialog();
    void rebuildWindows();
};

void AddressTablesTest::opensSortedByLastName() {
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {"Zeller", "adams", "Miller"});
    AddressMainModel model;
    model.LoadPreferences();
    QVERIFY(model.OpenQVWDBF(path));
    QCOMPARE(model.currentFile(), path);
    QCOMPARE(model.caption(), "Qorvel - " + path);
    QCOMPARE(model.sortStatus(), QString("Sorted by Last Name"));
    QCOMPARE(model.TableQVW().text("LNAME"), QString("adams"));
    QCOMPARE(model.GetDatabasePath(), home.file("DATA/"));
    QCOMPARE(model.recentFiles().GetMRUFile(), path);
}

void AddressTablesTest::missingIndexLeadsToRebuild() {
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {"Zeller", "Adams", "Miller"}, {"Gone1", "Gone2", "Gone3"});
    QVERIFY(QFile::remove(home.file("DATA/ADD0001.CDX")));
    ScriptedDialogService dialogs;
    dialogs.answers = {true};
    AddressMainModel model;
    model.LoadPreferences();
    model.runRebuildWindow = [&] {
        TQVReindex window(model.TableQVW());
        window.show();
        QCOMPARE(window.windowTitle(), QString("Rebuild indexes for ADD0001.DBF"));
        saveShot(&window);
        window.Reindex();
        QVERIFY(window.succeeded());
    };
    QVERIFY(model.OpenQVWDBF(path));
    QCOMPARE(dialogs.shown.size(), size_t(1));
    QCOMPARE(dialogs.shown[0].title, QString("Warning"));
    QCOMPARE(dialogs.shown[0].text, "The index file for " + path + "\nis missing or invalid. Rebuild now?");
    QVERIFY(model.indexValid());
    // The three deleted records are gone, the rest sorted by last name.
    QCOMPARE(model.TableQVW().table()->recordCount(), 3u);
    QCOMPARE(model.TableQVW().text("LNAME"), QString("Adams"));
    QVERIFY(model.TableQVW().table()->checkIndexes().ok());
}

void AddressTablesTest::decliningTheRebuildLeavesNoTable() {
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {"Adams"});
    QVERIFY(QFile::remove(home.file("DATA/ADD0001.CDX")));
    const QByteArray before = home.read("DATA/ADD0001.DBF");
    ScriptedDialogService dialogs;
    dialogs.answers = {false};
    AddressMainModel model;
    QVERIFY(!model.OpenQVWDBF(path));
    QVERIFY(!model.isOpen());
    QVERIFY(model.noDataPanelShown());
    QCOMPARE(home.read("DATA/ADD0001.DBF"), before);
}

void AddressTablesTest::filesThatAreNotAddressTablesDoNotOpen() {
    TempHome home;
    // No TAG field.
    const QString noTag = home.file("DATA/NOTAG.DBF");
    std::vector<engine::FieldSpec> fields;
    for (const auto& f : address::fieldSpecs())
        if (f.name != "TAG")
            fields.push_back(f);
    QVERIFY(engine::Table::create(noTag.toStdString(), fields).ok());
    home.write("DATA/TEXT.DBF", "Hello, this is not a table at all, though it is long enough to look like one.");
    const QString cut = makeTable(home, "CUT", {"Adams"});
    home.write("DATA/CUT.DBF", home.read("DATA/CUT.DBF").left(100));
    const QString good = makeTable(home, "GOOD", {"Adams"});
    ScriptedDialogService dialogs;
    AddressMainModel model;
    QVERIFY(model.OpenQVWDBF(good));
    for (const QString& path : {noTag, home.file("DATA/TEXT.DBF"), cut}) {
        const QByteArray before = QFile(path).exists() ? home.read(path.mid(home.path().size())) : QByteArray();
        QVERIFY(!model.OpenQVWDBF(path));
        QCOMPARE(dialogs.lastText(), unableToOpen(path));
        QVERIFY(!model.isOpen());
        QVERIFY(model.currentFile().isEmpty());
        QCOMPARE(home.read(path.mid(home.path().size())), before);
    }
    const QString missing = home.file("DATA/NONE.DBF");
    QVERIFY(!model.OpenQVWDBF(missing));
    QCOMPARE(dialogs.texts().mid(dialogs.texts().size() - 2),
             (QStringList{"File " + missing + " not found", unableToOpen(missing)}));
}

void AddressTablesTest::aTableLockedElsewhereDoesNotOpen() {
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {"Adams"});
    int ready[2];
    QVERIFY(pipe(ready) == 0);
    const pid_t pid = fork();
    if (pid == 0) {
        auto t = engine::Table::open(path.toStdString());
        char c = t ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        sleep(5);
        _exit(0);
    }
    char c = 0;
    QVERIFY(read(ready[0], &c, 1) == 1 && c == 'y');
    ScriptedDialogService dialogs;
    AddressMainModel model;
    QVERIFY(!model.OpenQVWDBF(path));
    QCOMPARE(dialogs.lastText(), unableToOpen(path));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    QVERIFY(model.OpenQVWDBF(path));
}

void AddressTablesTest::aTableCutShortIsOfferedARebuild() {
    // Cut inside the last record (a crash while appending): the whole records are
    // kept and the index, which may lack some, is rebuilt.
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {"Adams", "Baker", "Clark"});
    const QByteArray full = home.read("DATA/ADD0001.DBF");
    home.write("DATA/ADD0001.DBF", full.left(full.size() - 100));
    ScriptedDialogService dialogs;
    dialogs.answers = {true};
    AddressMainModel model;
    QVERIFY(model.OpenQVWDBF(path));
    QVERIFY(dialogs.lastText().contains("is missing or invalid. Rebuild now?"));
    QCOMPARE(model.TableQVW().table()->recordCount(), 2u);
    QVERIFY(model.TableQVW().table()->checkIndexes().ok());
}

void AddressTablesTest::allSoftDeletedShowsNoRecords() {
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {}, {"Gone1", "Gone2"});
    TAddressMain w;
    QVERIFY(w.model().OpenQVWDBF(path));
    QCOMPARE(w.model().TableQVW().recordCount(), 0u);
    QVERIFY(w.model().TableQVW().isEmpty());
    w.show();
    QVERIFY(w.findChild<QLabel*>() != nullptr);
    bool shown = false;
    for (auto* l : w.findChildren<QLabel*>())
        shown = shown || (l->isVisible() && l->text() == "No records");
    QVERIFY(shown);
}

void AddressTablesTest::clearTagsUntagsWithoutWriting() {
    TempHome home;
    const QString path = makeTable(home, "ADD0001", {"Adams"});
    AddressMainModel model;
    model.LoadPreferences();
    QVERIFY(model.OpenQVWDBF(path));
    Dataset& t = model.TableQVW();
    QVERIFY(t.setText("TAG", model.tagId()));
    QVERIFY(t.post());
    QCOMPARE(t.text("Tagged"), QString("Yes"));
    const QString old = model.tagId();
    QTest::qWait(1100);  // a tag id changes every second
    model.ClearTags();
    QVERIFY(model.tagId() != old);
    QCOMPARE(settingsFile().readString("Misc", "GlobalTagId"), model.tagId());
    QCOMPARE(t.text("Tagged"), QString("No"));
    QCOMPARE(t.text("TAG"), old);
}

void AddressTablesTest::newDatabaseNames() {
    TempHome home;
    QCOMPARE(AddressMainModel::proposeNewDatabaseName(), QString("ADD0001"));
    home.write("DATA/ADD0001.DBF", "x");
    home.write("DATA/add0003.dbf", "x");
    QCOMPARE(AddressMainModel::proposeNewDatabaseName(), QString("ADD0002"));
    struct Case {
        const char* name;
        bool valid;
    } cases[] = {{"ADD0002", true}, {"_list", true}, {"a", true}, {"2LIST", false}, {"", false},
                 {"MY LIST", false}, {"née", false}, {"MY-LIST", false}};
    for (const Case& c : cases)
        QVERIFY2(AddressMainModel::validDatabaseName(c.name) == c.valid, c.name);
    ScriptedDialogService dialogs;
    AddressMainModel model;
    QVERIFY(!model.createNewDatabase("ADD0001", NewFieldWidths::defaults()));
    QCOMPARE(dialogs.lastText(), QString("That file already exists.Please select another name"));
    QVERIFY(model.createNewDatabase("_Mine", NewFieldWidths::defaults()));
    QCOMPARE(model.currentFile(), home.file("DATA/_Mine.DBF"));
    QVERIFY(model.indexValid());
}

void AddressTablesTest::newDatabaseDialog() {
    TempHome home;
    home.write("QORVEL.ini", "[NewFileFieldLengths]\nFieldLNAME=45\n");
    TNewDataBaseName dlg("ADD0002");
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Create new database"));
    QCOMPARE(dlg.nameEdit()->text(), QString("ADD0002"));
    QCOMPARE(dlg.nameEdit()->maxLength(), 8);
    QCOMPARE(dlg.okButton()->text(), QString("Ok [PgDn]"));
    QVERIFY(dlg.okButton()->isEnabled());
    QVERIFY(!dlg.invalidHint()->isVisible());
    QCOMPARE(dlg.widths().widthOf("LNAME"), 45);
    saveShot(&dlg);
    dlg.nameEdit()->setText("9LIVES");
    QVERIFY(!dlg.okButton()->isEnabled());
    QVERIFY(dlg.invalidHint()->isVisible());
    QCOMPARE(dlg.invalidHint()->text(),
             QString("Invalid name. Must start with A..Z, followed by A..Z,0..9 or \"_\" (underscore)"));
    saveShot(&dlg, "invalid");
    QTest::keyClick(&dlg, Qt::Key_PageDown);
    QVERIFY(dlg.isVisible());  // PgDn does nothing while the name is invalid
    dlg.nameEdit()->setText("_CLUB");
    QVERIFY(dlg.okButton()->isEnabled());
    // The field-length dialog's choice becomes this creation's widths.
    dlg.specifyFieldLengths = [](NewFieldWidths& w) { w.widths[0] = 60; };
    QTest::mouseClick(dlg.fieldLengthsButton(), Qt::LeftButton);
    QCOMPARE(dlg.widths().widthOf("LNAME"), 60);
    QTest::keyClick(&dlg, Qt::Key_PageDown);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.name(), QString("_CLUB"));
}

void AddressTablesTest::fieldLengthsDialog() {
    TempHome home;
    TSpecifyFieldLengths dlg(NewFieldWidths::load(settingsFile()));
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QCOMPARE(dlg.windowTitle(), QString("Specify Field Lengths"));
    QCOMPARE(dlg.box("FAX")->text(), QString("40"));  // no FieldFAX in the settings
    saveShot(&dlg);
    QLineEdit* last = dlg.box("LNAME");
    last->setFocus();
    last->selectAll();
    QTest::keyClicks(last, "5");
    dlg.box("FNAME")->setFocus();  // leaving the box checks it
    QCOMPARE(last->text(), QString("30"));
    last->setText("x1");
    dlg.checkBox(1);
    QCOMPARE(last->text(), QString("30"));
    last->setText("81");
    dlg.checkBox(1);
    QCOMPARE(last->text(), QString("30"));
    last->setText("80");
    dlg.checkBox(1);
    QCOMPARE(last->text(), QString("80"));
    QTest::mouseClick(dlg.defaultsButton(), Qt::LeftButton);
    QCOMPARE(dlg.box("FAX")->text(), QString("30"));
    QCOMPARE(dlg.box("LNAME")->text(), QString("30"));
    dlg.box("CITY")->setText("25");
    dlg.findChild<QCheckBox*>()->setChecked(true);
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
    QCOMPARE(dlg.widths().widthOf("CITY"), 25);
    QCOMPARE(settingsFile().readInteger("NewFileFieldLengths", "FieldCITY", 0), 25);
    QCOMPARE(settingsFile().readInteger("NewFileFieldLengths", "FieldFAX", 0), 30);
}

void AddressTablesTest::rebuildWindows() {
    TempHome home;
    for (auto open : {OpenLetterTable, OpenReportTable, OpenLabelTable}) {
        Dataset t;
        QVERIFY(open(t));
    }
    TSystemReindex system;
    system.show();
    QCOMPARE(system.windowTitle(), QString("Rebuild System Indexes"));
    saveShot(&system);
    QStringList steps;
    connect(system.gauge(), &QProgressBar::valueChanged, this, [&] {
        if (!system.statusLabel()->text().isEmpty() && !steps.contains(system.statusLabel()->text()))
            steps << system.statusLabel()->text();
        if (steps.size() == 2)
            saveShot(&system, "running");
    });
    system.Reindex();
    QCOMPARE(steps.first(), QString("Rebuilding Letters File indexes"));
    QVERIFY(steps.contains("Rebuilding Label File indexes"));
    QCOMPARE(system.statusLabel()->text(), QString("Rebuilding Report File indexes"));
    QCOMPARE(system.result(), int(QDialog::Accepted));
}

QTEST_MAIN(AddressTablesTest)
#include "address_tables_test.moc"
