#include "app/address_main.h"
#include "app/startup.h"

#include "data/program_directory.h"
#include "modal_closer.h"
#include "scripted_dialog_service.h"
#include "shots.h"
#include "temp_home.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

using namespace qorvel;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void createsHomeFolders();
    void reportsHomeThatCannotBeCreated();
    void firstStartWritesOnlyTheTagId();
    void preferencesReloadAfterDialog();
};

void StartupTest::createsHomeFolders() {
    TempHome base;
    const QString home = base.path() + "x";
    QVERIFY(installProgramHome({"qorvel", "--home", home}));
    QCOMPARE(ProgramDirectory(), home + "/");
    QVERIFY(QDir(home + "/DATA").exists());
    QVERIFY(QDir(home + "/sysdata").exists());
}

void StartupTest::reportsHomeThatCannotBeCreated() {
    TempHome base;
    ScriptedDialogService dialogs;
    base.write("file", "not a folder");
    const QString home = base.path() + "file/home";
    QVERIFY(!installProgramHome({"qorvel", "--home", home}));
    QCOMPARE(dialogs.shown.size(), size_t(1));
    QVERIFY2(dialogs.lastText().contains(home), qPrintable(dialogs.lastText()));
}

void StartupTest::firstStartWritesOnlyTheTagId() {
    TempHome home;
    ModalCloser closer;
    TAddressMain w;
    QSignalSpy activated(&w, &TAddressMain::firstActivationDone);
    w.show();
    QVERIFY(activated.wait(2000));
    // Only the tag id, and the table the first start created and opened as the most
    // recent file; no preference is written merely because it was read.
    const QByteArray ini = home.read("QORVEL.ini");
    QVERIFY2(ini.startsWith("[Misc]\nGlobalTagId=" + w.tagId().toUtf8() + "\n"), ini.constData());
    QCOMPARE(ini.mid(ini.indexOf("\n\n")), "\n\n[MRU]\nItem1=" + home.file("DATA/add0001.DBF").toUtf8() + "\n");
    QVERIFY(QFile::exists(home.file("DATA/add0001.DBF")));
    QCOMPARE(w.size(), QSize(610, 450));
    // Without a settings file the first start shows the Getting Started window.
    QTRY_COMPARE(closer.seen, QStringList{"TGettingStarted"});
}

void StartupTest::preferencesReloadAfterDialog() {
    TempHome home;
    home.write("QORVEL.ini", "[Misc]\nGettingStarted=1\n");
    TAddressMain w;
    QSignalSpy activated(&w, &TAddressMain::firstActivationDone);
    w.show();
    QVERIFY(activated.wait(2000));
    QVERIFY(!w.preferences().plugDate);
    home.write("QORVEL.ini", home.read("QORVEL.ini") + "[Adding]\nPlugDate=1\n");
    // The dialog is modal: close it with Cancel as soon as it is up.
    QTimer::singleShot(0, [] {
        if (auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            dlg->reject();
    });
    w.mnuPreferencesClick();
    QVERIFY(w.preferences().plugDate);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
