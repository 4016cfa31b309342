#include "app/preferences_dialog.h"

#include "data/settings_file.h"
#include "scripted_dialog_service.h"
#include "shots.h"
#include "temp_home.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace qorvel;

class PreferencesDialogTest : public QObject {
    Q_OBJECT
private slots:
    void showsEveryCaption();
    void loadsBoxesFromFile();
    void okWritesAllKeys();
    void cancelWritesNothing();
};

void PreferencesDialogTest::showsEveryCaption() {
    TempHome home;
    TPreferences dlg;
    dlg.show();
    QCOMPARE(dlg.windowTitle(), QString("Preferences"));
    QStringList groups;
    for (auto* g : dlg.findChildren<QGroupBox*>())
        groups << g->title();
    QCOMPARE(groups, (QStringList{" When adding new records", "Carry forward the following fields:",
                                  "Skip through the following fields:"}));
    QStringList boxes;
    for (auto* c : dlg.findChildren<QCheckBox*>())
        boxes << c->text();
    QCOMPARE(boxes.size(), 3 + kCarryCount + kSkipCount);
    for (const char* caption : {"Enter today's date in the date field", "Automatically insert city and state/province",
                                "Automatically check for duplicate names", "Phone #1", "Comments #2", "E-Mail"})
        QVERIFY2(boxes.contains(caption), caption);
    QStringList buttons;
    for (auto* b : dlg.findChildren<QPushButton*>())
        buttons << b->text();
    QVERIFY(buttons.contains("Ok") && buttons.contains("Cancel") && buttons.contains("Help"));
    QCOMPARE(dlg.findChild<QLineEdit*>()->maxLength(), 30);
    saveShot(&dlg);
}

void PreferencesDialogTest::loadsBoxesFromFile() {
    TempHome home;
    home.write("QORVEL.ini", "[Adding]\nPlugDate=2\nAutoDupCheck=yes\nDefaultCountry=USA\nSkipfirstName=1\n");
    TPreferences dlg;
    const AddingPreferences shown = dlg.shownPreferences();
    QVERIFY(shown.plugDate);
    QVERIFY(!shown.autoDupCheck);
    QCOMPARE(shown.defaultCountry, QString("USA"));
    QVERIFY(shown.skips(SkipField::FirstName));
    QVERIFY(!shown.skips(SkipField::LastName));
}

void PreferencesDialogTest::okWritesAllKeys() {
    TempHome home;
    TPreferences dlg;
    dlg.show();
    auto* country = dlg.findChild<QLineEdit*>();
    QTest::keyClicks(country, "Canada");
    for (auto* c : dlg.findChildren<QCheckBox*>()) {
        if (c->text() == "Fax")
            c->setChecked(true);
    }
    QTest::mouseClick(dlg.okButton(), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    const QByteArray text = home.read("QORVEL.ini");
    QCOMPARE(text.count('\n'), 1 + AddingPreferences::kKeyCount);
    QVERIFY(text.contains("DefaultCountry=Canada\n"));
    QVERIFY(text.contains("SkipFax=1\n"));
    QVERIFY(text.contains("PlugDate=0\n"));
}

void PreferencesDialogTest::cancelWritesNothing() {
    TempHome home;
    const QByteArray before = "[Adding]\nPlugDate=1\n; note\n";
    home.write("QORVEL.ini", before);
    TPreferences dlg;
    dlg.show();
    dlg.findChildren<QCheckBox*>().first()->setChecked(false);
    QTest::mouseClick(dlg.cancelButton(), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
    QCOMPARE(home.read("QORVEL.ini"), before);
}

QTEST_MAIN(PreferencesDialogTest)
#include "preferences_dialog_test.moc"
