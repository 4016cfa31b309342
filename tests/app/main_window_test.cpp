// The main window driven as a user would: record editing, search, filters, tags,
// browse and clipboard, with a screenshot of every window it opens.
#include "app/address_main.h"
#include "app/address_query_form.h"
#include "app/browse_window.h"
#include "app/clipboard_window.h"
#include "app/date_selector.h"
#include "app/field_editor.h"
#include "app/new_record_dialog.h"
#include "app/search_box.h"
#include "app/tag_all_window.h"
#include "data/address_table.h"
#include "data/settings_file.h"

#include "modal_closer.h"
#include "scripted_dialog_service.h"
#include "shots.h"
#include "temp_home.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

using namespace qorvel;

namespace {

struct Person {
    const char *last, *first, *middle, *prefix, *city, *state, *zip, *codes, *phone, *user1;
};

const Person kPeople[] = {
    {"Smith", "John", "Q", "Mr.", "Boston", "MA", "02134", "A,C", "555-1234", "Met at the fair"},
    {"Jones", "Mary", "", "", "Boston", "MA", "02140", "B", "", ""},
    {"Johnson", "Al", "", "", "Springfield", "MA", "01101", "", "", ""},
    {"Jones", "Bob", "", "", "Portland", "OR", "97201", "C", "", ""},
    {"Adams", "Zoe", "", "", "Chicago", "IL", "60601", "", "", ""},
};

// A home with one address table holding kPeople, remembered as the recent file.
QString makeHome(TempHome& home, const QString& prefs = {}) {
    const QString path = home.file("DATA/ADD0001.DBF");
    Dataset creation;
    defineAddressFields(creation);
    CreateAddressTable(path, creation, NewFieldWidths::load(settingsFile()));
    auto t = engine::Table::open(path.toStdString());
    for (const Person& p : kPeople) {
        (*t)->appendBlank();
        auto set = [&](const char* f, const char* v) { (*t)->setString((*t)->fieldIndex(f), v); };
        set("LNAME", p.last);
        set("FNAME", p.first);
        set("MIDDLE", p.middle);
        set("PREFIX", p.prefix);
        set("CITY", p.city);
        set("STATE", p.state);
        set("ZIP", p.zip);
        set("CODES", p.codes);
        set("PHONE", p.phone);
        set("USER1", p.user1);
        set("STREET", "1 Main St.");
        (*t)->post();
    }
    (*t)->close();
    home.write("QORVEL.ini", ("[Misc]\nGettingStarted=1\n[MRU]\nItem1=" + path + "\n" + prefs).toUtf8());
    return path;
}

// The main window after its first activation.
class Main {
public:
    Main() {
        QSignalSpy ready(&w, &TAddressMain::firstActivationDone);
        w.show();
        ready.wait(3000);
        w.activateWindow();
        (void)QTest::qWaitForWindowActive(&w);
    }
    TAddressMain w;
    Dataset& t() { return w.model().TableQVW(); }
    QString last() { return t().text("LNAME"); }
    bool shown(const char* button) { return w.button(button)->isVisible(); }
    bool enabled(const char* button) { return w.button(button)->isEnabled(); }
    void key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &w;
        QTest::keyClick(target, Qt::Key(key), mods);
    }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init() { QApplication::clipboard()->clear(); }
    void editingStateMachine();
    void keyboardWhileEditing();
    void addingWithPreferences();
    void memoLengthRule();
    void deletingTheOnlyVisibleRecord();
    void cloningGivesAnUntaggedCopy();
    void closingDiscardsAnEdit();
    void quickSearch();
    void filters();
    void filterFiles();
    void taggingAll();
    void clipboardText();
    void browseColumnOrderIsKept();
    void dateSelector();
    void memoSearch();
    void unavailableCommandsSaySo();
};

void MainWindowTest::editingStateMachine() {
    TempHome home;
    makeHome(home);
    Main m;
    QCOMPARE(m.w.size(), QSize(610, 450));
    QCOMPARE(m.w.sortStatusLabel()->text(), QString("Sorted by Last Name"));
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("5 records (no filter)"));
    QCOMPARE(m.last(), QString("Adams"));
    QVERIFY(m.shown("Add") && m.shown("Edit") && !m.shown("Save") && !m.shown("Cancel"));
    QVERIFY(!m.shown("ClearFilter"));
    QVERIFY(m.w.editor("LNAME")->isReadOnly());
    saveShot(&m.w, "record");

    QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
    QVERIFY(m.w.model().editing());
    QVERIFY(m.shown("Save") && m.shown("Cancel") && !m.shown("Add") && !m.shown("Exit"));
    QVERIFY(!m.w.editor("LNAME")->isReadOnly());
    QLineEdit* last = m.w.editor("LNAME");
    last->setFocus();
    last->selectAll();
    QTest::keyClicks(last, "Adamson");
    QCOMPARE(m.t().text("LNAME"), QString("Adamson"));
    saveShot(&m.w, "editing");
    QTest::mouseClick(m.w.button("Cancel"), Qt::LeftButton);
    QCOMPARE(m.last(), QString("Adams"));
    QVERIFY(!m.w.model().editing());

    // Typed text is cut at the width; characters the table cannot hold are refused.
    ScriptedDialogService dialogs;
    QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
    QCOMPARE(last->maxLength(), 30);
    last->setFocus();
    last->selectAll();
    QTest::keyClicks(last, QString(40, 'x'));
    QCOMPARE(last->text().size(), 30);
    m.w.editor("CITY")->setFocus();
    m.w.editor("CITY")->selectAll();
    QTest::sendKeyEvent(QTest::Click, m.w.editor("CITY"), Qt::Key_unknown, QString("Ω"), Qt::NoModifier);
    QVERIFY(dialogs.lastText().contains("U+03A9"));
    QVERIFY(!m.t().text("CITY").contains("Ω"));
    // The middle initial is kept in upper case.
    m.w.editor("MIDDLE")->setFocus();
    m.w.editor("MIDDLE")->selectAll();
    QTest::keyClicks(m.w.editor("MIDDLE"), "k");
    QCOMPARE(m.t().text("MIDDLE"), QString("K"));
    QTest::mouseClick(m.w.button("Save"), Qt::LeftButton);
    QVERIFY(!m.w.model().editing());
    QCOMPARE(m.t().text("LNAME"), QString(30, 'x'));

    // Moving: next at the end beeps and stays.
    QSignalSpy beeps(&m.w.model(), &AddressMainModel::beep);
    QTest::mouseClick(m.w.button("Last"), Qt::LeftButton);
    const QString lastName = m.last();
    QTest::mouseClick(m.w.button("Next"), Qt::LeftButton);
    QCOMPARE(beeps.count(), 1);
    QCOMPARE(m.last(), lastName);
    QTest::mouseClick(m.w.button("First"), Qt::LeftButton);
    QTest::mouseClick(m.w.button("Prior"), Qt::LeftButton);
    QCOMPARE(beeps.count(), 2);
}

void MainWindowTest::keyboardWhileEditing() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    // PgDn while editing asks and does not move.
    QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
    m.w.editor("FNAME")->setFocus();
    const uint32_t here = m.t().recNo();
    dialogs.answers = {false};
    m.key(Qt::Key_PageDown);
    QCOMPARE(dialogs.shown.back().title, QString("Save"));
    QCOMPARE(dialogs.lastText(), QString("Save changes?"));
    QCOMPARE(m.t().recNo(), here);
    QVERIFY(m.w.model().editing());
    // Ctrl+Enter saves only.
    m.key(Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!m.w.model().editing());
    QCOMPARE(dialogs.shown.size(), size_t(1));
    // Alt+Enter saves and offers another Add.
    QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
    m.w.editor("FNAME")->setFocus();
    dialogs.answers = {false};
    m.key(Qt::Key_Return, Qt::AltModifier);
    QVERIFY(!m.w.model().editing());
    QCOMPARE(dialogs.shown.back().title, QString("Add"));
    QCOMPARE(dialogs.lastText(), QString("Add another record?"));
    // Esc asks before cancelling.
    QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
    m.w.editor("FNAME")->setFocus();
    dialogs.answers = {true};
    m.key(Qt::Key_Escape);
    QCOMPARE(dialogs.lastText(), QString("Cancel changes?"));
    QVERIFY(!m.w.model().editing());
    // PgDn and PgUp move in browse.
    m.w.editor("FNAME")->setFocus();
    m.key(Qt::Key_PageDown);
    QCOMPARE(m.last(), QString("Johnson"));
    m.key(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(m.last(), QString("Smith"));
    m.key(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(m.last(), QString("Adams"));
}

void MainWindowTest::addingWithPreferences() {
    TempHome home;
    makeHome(home, "[Adding]\nAutoDupCheck=1\nPlugCityState=1\nCarryOrg=1\nDefaultCountry=USA\nPlugDate=1\n");
    Main m;
    ScriptedDialogService dialogs;
    QCOMPARE(m.last(), QString("Adams"));
    m.t().setText("ORG", "Acme");
    m.t().post();
    // A duplicate name (any letter case): No leaves the existing record current.
    {
        dialogs.answers = {false};
        ModalCloser closer([](QDialog* d) {
            if (auto* n = qobject_cast<TGetFirstLastZip*>(d)) {
                n->lastEdit()->setText("SMITH");
                n->firstEdit()->setText("john");
                n->zipEdit()->setText("02134");
                n->accept();
            }
        });
        QTest::mouseClick(m.w.button("Add"), Qt::LeftButton);
        QCOMPARE(closer.seen, QStringList{"TGetFirstLastZip"});
    }
    QCOMPARE(dialogs.shown.back().title, QString("Possible Duplicate"));
    QCOMPARE(dialogs.lastText(), QString("Possible duplicate: \n\nJohn Smith\n1 Main St.\nBoston,MA 02134\n\nContinue adding?"));
    QVERIFY(!m.w.model().editing());
    QCOMPARE(m.last(), QString("Smith"));
    QCOMPARE(m.t().table()->recordCount(), 5u);
    // A new name with a ZIP no record has: the ZIP only, carried and default values.
    QVERIFY(m.w.model().search("Last Name", "ADAMS"));
    {
        ModalCloser closer([](QDialog* d) {
            if (auto* n = qobject_cast<TGetFirstLastZip*>(d)) {
                n->lastEdit()->setText("Young");
                n->firstEdit()->setText("Ann");
                n->zipEdit()->setText("99999");
                n->accept();
            }
        });
        QTest::mouseClick(m.w.button("Add"), Qt::LeftButton);
    }
    QVERIFY(m.w.model().editing());
    QCOMPARE(m.t().text("ZIP"), QString("99999"));
    QCOMPARE(m.t().text("CITY"), QString(""));
    QCOMPARE(m.t().text("ORG"), QString("Acme"));
    QCOMPARE(m.t().text("COUNTRY"), QString("USA"));
    QCOMPARE(m.t().text("DATE"), QDate::currentDate().toString("yyyyMMdd"));
    QCOMPARE(m.t().text("LNAME"), QString("Young"));
    // Both names were typed: the focus goes on to the first editor not skipped.
    QCOMPARE(m.w.focusWidget(), m.w.editor("MIDDLE"));
    m.w.SaveButtonClick();
    QCOMPARE(m.t().table()->recordCount(), 6u);
    // A known ZIP fills city and state.
    {
        ModalCloser closer([](QDialog* d) {
            if (auto* n = qobject_cast<TGetFirstLastZip*>(d)) {
                n->lastEdit()->setText("Zeta");
                n->firstEdit()->setText("Zed");
                n->zipEdit()->setText("0214");
                n->accept();
            }
        });
        QTest::mouseClick(m.w.button("Add"), Qt::LeftButton);
    }
    QCOMPARE(m.t().text("CITY"), QString("Boston"));
    QCOMPARE(m.t().text("STATE"), QString("MA"));
    m.w.CancelButtonClick();
    QCOMPARE(m.t().table()->recordCount(), 6u);
}

void MainWindowTest::memoLengthRule() {
    TempHome home;
    makeHome(home);
    Main m;
    struct Case {
        const char* typed;
        int stored;
    } cases[] = {{"12345678", 9}, {"1234567", 7}, {"", 0}, {"ab\ncd", 6}};
    for (const Case& c : cases) {
        m.w.notebook()->setCurrentIndex(1);
        QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
        m.w.memoEditor()->setPlainText(c.typed);
        m.w.SaveButtonClick();
        QCOMPARE(m.t().memo("MEMO").size(), c.stored);
    }
    QCOMPARE(m.t().memo("MEMO"), QString("ab\r\ncd"));
}

void MainWindowTest::deletingTheOnlyVisibleRecord() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    m.w.model().criteria().texts[0] = "ADAMS";
    QCOMPARE(m.w.model().ApplyFilter(), 1);
    m.w.SetButtons();
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("1 filter matches"));
    QVERIFY(m.shown("ClearFilter"));
    saveShot(&m.w, "filtered");
    dialogs.answers = {true};
    QTest::mouseClick(m.w.button("Delete"), Qt::LeftButton);
    QCOMPARE(dialogs.shown.back().title, QString("DELETE"));
    QCOMPARE(dialogs.lastText(), QString("Delete this record?"));
    // Nothing matches any more: the filter is dropped; the others show.
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("4 records (no filter)"));
    // Delete the rest: no records, Edit and Delete off, Add on.
    for (int i = 0; i < 4; ++i) {
        dialogs.answers = {true};
        m.w.DeleteButtonClick();
    }
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("No records"));
    QVERIFY(!m.enabled("Edit") && !m.enabled("Delete") && !m.enabled("Browse"));
    QVERIFY(m.enabled("Add"));
    // Soft delete: the records are still in the file, marked and flagged.
    QCOMPARE(m.t().table()->recordCount(), 5u);
    saveShot(&m.w, "empty");
}

void MainWindowTest::cloningGivesAnUntaggedCopy() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    m.w.model().ToggleTag();
    QCOMPARE(m.t().text("Tagged"), QString("Yes"));
    QVERIFY(m.w.taggedBox()->isChecked());
    m.w.notebook()->setCurrentIndex(1);
    QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
    m.w.memoEditor()->setPlainText("Note");
    m.w.SaveButtonClick();
    dialogs.answers = {true};
    m.w.mnuCloneClick();
    QCOMPARE(dialogs.shown[0].title, QString("Clone"));
    QCOMPARE(dialogs.lastText(), QString("Clone completed. Current record is an exact copy"));
    QCOMPARE(m.t().recNo(), 6u);
    QCOMPARE(m.last(), QString("Adams"));
    QCOMPARE(m.t().memo("MEMO"), QString("Note "));  // saved with the blank a length of 4 gets
    QCOMPARE(m.t().text("Tagged"), QString("No"));
}

void MainWindowTest::closingDiscardsAnEdit() {
    TempHome home;
    const QString path = makeHome(home);
    {
        Main m;
        QTest::mouseClick(m.w.button("Edit"), Qt::LeftButton);
        m.t().setText("LNAME", "Changed");
        ScriptedDialogService dialogs;
        m.w.close();
        QVERIFY(dialogs.shown.empty());
    }
    auto t = engine::Table::open(path.toStdString(), engine::OpenMode::SharedReadOnly);
    QVERIFY(t.ok());
    (*t)->goTo(5);
    QCOMPARE(QString::fromStdString((*t)->getString(0)), QString("Adams"));
}

void MainWindowTest::quickSearch() {
    TempHome home;
    makeHome(home);
    Main m;
    {
        ModalCloser closer([](QDialog* d) {
            if (auto* s = qobject_cast<TSearchBox*>(d)) {
                QCOMPARE(s->prompt()->text(), QString("Search Last Name starting with..."));
                s->textEdit()->setText("JON");
                s->accept();
            }
        });
        QTest::mouseClick(m.w.button("Search"), Qt::LeftButton);
        QCOMPARE(closer.seen, QStringList{"TSearchBox"});
    }
    QCOMPARE(m.last(), QString("Jones"));
    QCOMPARE(m.t().text("FNAME"), QString("Bob"));  // the first Jones
    // The Zip order: 021 lands on the first ZIP starting with it.
    QVERIFY(m.w.model().search("Zip", "021"));
    QCOMPARE(m.t().text("ZIP"), QString("02134"));
    QCOMPARE(m.w.sortStatusLabel()->text(), QString("Sorted by Zip"));
    // Beyond every key: the record stays.
    QVERIFY(!m.w.model().search("Zip", "Z"));
    QCOMPARE(m.t().text("ZIP"), QString("02134"));
    // The City order searches city then state.
    QVERIFY(m.w.model().search("City", "PORT"));
    QCOMPARE(m.t().text("CITY"), QString("Portland"));
    QVERIFY(!m.w.model().search("City", ""));
}

void MainWindowTest::filters() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    AddressMainModel& model = m.w.model();
    // $C on Codes: every record whose codes contain C.
    model.criteria().texts[15] = "$C";
    QCOMPARE(model.ApplyFilter(), 2);
    QCOMPARE(m.t().query(), QString("\"C\"$UPPER(CODES).and. !ISDEL"));
    // Last and City together.
    model.ClearQueryVars();
    model.criteria().texts[0] = "jones";
    model.criteria().texts[7] = "boston";
    QCOMPARE(model.ApplyFilter(), 1);
    QCOMPARE(m.t().query(), QString("UPPER(LNAME)=\"JONES\" and UPPER(CITY+STATE)=\"BOSTON\".and. !ISDEL"));
    // Too complex: a message and no filter.
    for (QString& t : model.criteria().texts)
        t = "abcdefghijklm";
    QCOMPARE(model.ApplyFilter(), 0);
    QCOMPARE(dialogs.lastText(), QString("Sorry - filter is too complex.Please simplify it."));
    QVERIFY(model.criteria().isEmpty());
    QCOMPARE(m.t().query(), QString("!ISDEL"));
    // What the engine cannot read leaves the filter in force before it.
    model.criteria().texts[0] = "smith";
    QCOMPARE(model.ApplyFilter(), 1);
    model.criteria().texts[0] = "O\"Brien";
    QCOMPARE(model.ApplyFilter(), 1);
    QVERIFY(dialogs.lastText().startsWith("The filter cannot be used:"));
    QCOMPARE(model.filterExpression(), QString("UPPER(LNAME)=\"SMITH\""));
    // Tagged alone, then Clear Tags: the same filter matches nothing and is dropped.
    model.ClearQueryVars();
    model.ToggleTag();
    model.criteria().taggedOnly = true;
    QCOMPARE(model.ApplyFilter(), 1);
    QCOMPARE(m.t().query(), "(UPPER(TAG)=\"" + model.tagId() + "\").and. !ISDEL");
    QTest::qWait(1100);
    m.w.ClearTags1Click();
    QVERIFY(!model.filterSet());
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("5 records (no filter)"));

    // The filter window: Test, Clear, Ok and Cancel.
    model.criteria().texts[0] = "j";
    model.ApplyFilter();
    {
        ModalCloser closer([](QDialog* d) {
            if (auto* f = qobject_cast<TAddressQueryForm*>(d)) {
                QCOMPARE(f->box(0)->text(), QString("j"));
                f->box(7)->setText("boston");
                f->Test();
                QCOMPARE(f->matches()->text(), QString("1 matches"));
                saveShot(f, "tested");
                f->reject();
            }
        });
        m.w.FilterButtonClick();
        QCOMPARE(closer.seen, QStringList{"TAddressQueryForm"});
    }
    // Cancel restored the criteria the window found.
    QCOMPARE(model.criteria().texts[7], QString());
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("3 filter matches"));
    {
        ModalCloser closer([](QDialog* d) {
            if (auto* f = qobject_cast<TAddressQueryForm*>(d)) {
                f->Clear();
                QCOMPARE(f->matches()->text(), QString("No filter set"));
                f->box(10)->setText("555");
                QTest::mouseClick(f->okButton(), Qt::LeftButton);
            }
        });
        m.w.FilterButtonClick();
    }
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("1 filter matches"));
    QCOMPARE(model.criteria().texts[10], QString("555"));
    // Clear Filter.
    QTest::mouseClick(m.w.button("ClearFilter"), Qt::LeftButton);
    QCOMPARE(m.t().query(), QString("!ISDEL"));
    QVERIFY(!m.shown("ClearFilter"));
}

void MainWindowTest::filterFiles() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    m.w.model().criteria().texts[0] = "jones";
    m.w.model().ApplyFilter();
    dialogs.files = {home.file("MYFILTER")};
    m.w.mnuSaveFilterClick();
    QVERIFY(QFile::exists(home.file("MYFILTER.FLT")));
    QCOMPARE(home.read("MYFILTER.FLT").left(7), QByteArray("jones\r\n"));
    dialogs.files = {home.file("MY.TXT")};
    m.w.mnuSaveFilterClick();
    QCOMPARE(dialogs.lastText(), QString("Must have a .FLT extension"));
    QVERIFY(!QFile::exists(home.file("MY.TXT")));
    // Overwriting asks, No by default.
    dialogs.files = {home.file("MYFILTER.FLT")};
    dialogs.answers = {false};
    m.w.mnuSaveFilterClick();
    QCOMPARE(dialogs.shown.back().title, QString("Warning!"));
    QCOMPARE(dialogs.lastText(), home.file("MYFILTER.FLT") + " already exists.\nDo you want to overwrite it?");
    // Restoring.
    m.w.ClearfilterButtonClick();
    dialogs.files = {home.file("MYFILTER.FLT")};
    m.w.mnuRestoreFilterClick();
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("2 filter matches"));
    home.write("NOTES.TXT", "jones\r\n");
    dialogs.files = {home.file("NOTES.TXT")};
    m.w.mnuRestoreFilterClick();
    QCOMPARE(dialogs.lastText(), QString("Must be a Filter (.FLT) file"));
    home.write("BIN.FLT", QByteArray("\x00\x01\x02", 3));
    dialogs.files = {home.file("BIN.FLT")};
    m.w.mnuRestoreFilterClick();
    QCOMPARE(dialogs.lastText(), QString("Must be a Filter (.FLT) file"));
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("2 filter matches"));  // nothing changed
    home.write("SHORT.FLT", "smith\r\n");
    dialogs.files = {home.file("SHORT.FLT")};
    m.w.mnuRestoreFilterClick();
    QVERIFY(dialogs.lastText().contains("fewer than 18 lines"));
    QCOMPARE(m.w.filterStatusLabel()->text(), QString("1 filter matches"));
}

void MainWindowTest::taggingAll() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    m.w.model().criteria().texts[7] = "boston";
    m.w.model().ApplyFilter();
    dialogs.answers = {true};
    {
        ModalCloser closer([](QDialog* d) {
            if (auto* t = qobject_cast<TTagAllRecords*>(d); t && t->okButton()->isVisible()) {
                QCOMPARE(t->status()->text(), QString("Complete"));
                saveShot(t, "done");
                t->accept();
            }
        });
        m.w.mnuTagAllFilterMatchesClick();
        QCOMPARE(closer.seen, QStringList{"TTagAllRecords"});
    }
    QCOMPARE(dialogs.shown[0].title, QString("TAG ALL"));
    QCOMPARE(dialogs.lastText(), QString("Tag all records matching filter?"));
    m.w.model().criteria().clear();
    m.w.model().criteria().taggedOnly = true;
    QCOMPARE(m.w.model().ApplyFilter(), 2);
    // Cancelling half-way keeps what was tagged.
    m.w.ClearTags1Click();
    m.w.model().ClearQueryVars();
    m.w.model().criteria().texts[0] = "j";
    m.w.model().ApplyFilter();
    int tagged = -1;
    TTagAllRecords window(m.w.model());
    window.show();
    dialogs.answers = {true};
    connect(&m.t(), &Dataset::afterPost, &window, [&] {
        if (window.cancelButton()->isVisible())
            window.cancelButton()->click();
    });
    window.run();
    tagged = window.tagged();
    QCOMPARE(tagged, 1);
    QCOMPARE(window.status()->text(), QString("Cancelled before completion"));
    QVERIFY(window.okButton()->isVisible() && !window.cancelButton()->isVisible());
}

void MainWindowTest::clipboardText() {
    TempHome home;
    makeHome(home);
    Main m;
    ScriptedDialogService dialogs;
    QVERIFY(m.w.model().search("Last Name", "SMITH"));
    {
        ModalCloser closer([](QDialog* d) { d->accept(); });
        m.w.ToClipboard1Click();
        QCOMPARE(closer.seen, QStringList{"TCopyToClipBoard"});
    }
    QCOMPARE(QApplication::clipboard()->text(),
             QString("Mr. John Q. Smith \r\n1 Main St.\r\nBoston  MA 02134\r\nPhone  :555-1234\r\nCodes :A,C\r\n"
                     "Comment 1 :Met at the fair\r\n"));
    QCOMPARE(dialogs.lastText(), QString("Record copied to Windows Clipboard"));
    // No middle initial: no stray period. Only Codes, and empty codes: empty text.
    QVERIFY(m.w.model().search("Last Name", "ADAMS"));
    {
        ModalCloser closer([](QDialog* d) {
            auto* c = static_cast<TCopyToClipBoard*>(d);
            for (int i = 0; i < 5; ++i)
                c->box(i)->setChecked(i == 0);
            c->accept();
        });
        m.w.ToClipboard1Click();
    }
    QCOMPARE(QApplication::clipboard()->text(), QString("Zoe Adams \r\n"));
    {
        ModalCloser closer([](QDialog* d) {
            auto* c = static_cast<TCopyToClipBoard*>(d);
            for (int i = 0; i < 5; ++i)
                c->box(i)->setChecked(i == 3);
            c->accept();
        });
        m.w.ToClipboard1Click();
    }
    QCOMPARE(QApplication::clipboard()->text(), QString());
}

void MainWindowTest::browseColumnOrderIsKept() {
    TempHome home;
    makeHome(home);
    home.write("sysdata/FIELDS.LST", "NOSUCHFIELD\r\n");
    {
        Main m;
        ModalCloser closer([](QDialog* d) {
            auto* b = qobject_cast<TAddressBrowseForm*>(d);
            if (!b)
                return;
            QHeaderView* header = b->grid()->horizontalHeader();
            auto* model = b->grid()->model();
            int city = -1, last = -1;
            for (int c = 0; c < model->columnCount(); ++c) {
                const QString title = model->headerData(c, Qt::Horizontal).toString();
                if (title == "City")
                    city = c;
                if (title == "Last Name")
                    last = c;
            }
            header->moveSection(header->visualIndex(city), header->visualIndex(last));
            // Moving in the grid moves the main table.
            b->grid()->setCurrentIndex(model->index(2, 0));
            saveShot(b);
            b->accept();
        });
        m.w.BrowseButtonClick();
        QCOMPARE(closer.seen, QStringList{"TAddressBrowseForm"});
        QCOMPARE(m.last(), QString("Jones"));
    }
    QVERIFY2(home.read("sysdata/FIELDS.LST").startsWith("Tagged\r\nFullName\r\nFullNameWithPrefix\r\n"
                                                        "CityStateZip\r\nCITY\r\nLNAME\r\n"),
             home.read("sysdata/FIELDS.LST").constData());
    // After a restart the browse starts with City before Last Name.
    Main again;
    QStringList titles;
    ModalCloser closer([&titles](QDialog* d) {
        if (auto* b = qobject_cast<TAddressBrowseForm*>(d)) {
            auto* model = b->grid()->model();
            for (int c = 0; c < 3; ++c)
                titles << model->headerData(c, Qt::Horizontal).toString();
            b->accept();
        }
    });
    again.w.BrowseButtonClick();
    QCOMPARE(titles, (QStringList{"Tagged", "City", "Last Name"}));
}

void MainWindowTest::dateSelector() {
    TempHome home;
    makeHome(home);
    Main m;
    ModalCloser closer([](QDialog* d) {
        if (auto* s = qobject_cast<TDateSelector*>(d)) {
            QCOMPARE(s->calendar()->firstDayOfWeek(), Qt::Sunday);
            s->calendar()->setSelectedDate(QDate(2026, 12, 8));
            s->step(0, 1);
            for (auto* b : s->findChildren<QPushButton*>())
                if (b->text() == "Ok")
                    b->click();
        }
    });
    m.w.DateLabelClick();
    QVERIFY(m.w.model().editing());
    QCOMPARE(m.t().text("DATE"), QString("20270108"));
    m.w.SaveButtonClick();
    QCOMPARE(m.t().text("DisplayDate"), QString("01/08/2027"));
}

void MainWindowTest::memoSearch() {
    TempHome home;
    makeHome(home);
    Main m;
    Dataset& t = m.t();
    QVERIFY(m.w.model().search("Last Name", "JONES"));
    t.setMemo("MEMO", "Wants the newsletter");
    t.post();
    t.first();
    QVERIFY(m.w.model().FindTextInMemo("NEWS", true, [] { return false; }));
    QCOMPARE(m.last(), QString("Jones"));
    QSignalSpy beeps(&m.w.model(), &AddressMainModel::beep);
    const uint32_t here = t.recNo();
    QVERIFY(!m.w.model().FindTextInMemo("NEWS", false, [] { return false; }));
    QCOMPARE(t.recNo(), here);
    QCOMPARE(beeps.count(), 1);
    // Through the window: "Search Memo" asks for the text, "Find Next" shows while found.
    ScriptedDialogService dialogs;
    dialogs.inputs = {QString("letter")};
    t.first();
    m.w.notebook()->setCurrentIndex(1);
    {
        ModalCloser closer([](QDialog*) {});  // the search window closes itself
        m.w.SearchMemoButtonClick();
        QCOMPARE(closer.seen, QStringList{"TQVWSearching"});
    }
    QCOMPARE(dialogs.shown[0].title, QString("Memo Search"));
    QCOMPARE(dialogs.shown[0].text, QString("Search For"));
    QCOMPARE(m.last(), QString("Jones"));
    QVERIFY(m.w.button("FindNext")->isVisible());
    m.w.SearchMemoNextButtonClick();
    QVERIFY(!m.w.button("FindNext")->isVisible());
}

void MainWindowTest::unavailableCommandsSaySo() {
    TempHome home;
    makeHome(home);
    Main m;
    for (const char* caption : {"Print &Labels", "Import from &ASCII File", "Check && Repair &Duplicates"}) {
        QAction* a = m.w.menuAction(caption);
        QVERIFY2(a && !a->isEnabled() && !a->toolTip().isEmpty(), caption);
    }
    QVERIFY(!m.enabled("Labels"));
    QVERIFY(m.w.button("Labels")->toolTip().contains("Not available"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
