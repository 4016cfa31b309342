// Against a real print server: a private cupsd with one cups-pdf queue. Skipped,
// with the reason, where cupsd or the cups-pdf backend is not installed.
#include "print/printer_device.h"
#include "print/report_printer.h"
#include "scripted_dialog_service.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cups/cups.h>
#include <gtest/gtest.h>

using namespace qorvel::print;

namespace {

const QString kCupsd = QStringLiteral("/usr/sbin/cupsd");
const QString kBackend = QStringLiteral("/usr/lib/cups/backend/cups-pdf");
const QString kPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kLpadmin = QStringLiteral("/usr/sbin/lpadmin");
const QString kDisable = QStringLiteral("/usr/sbin/cupsdisable");

// A cupsd of the test's own, listening on a socket in a temporary folder, with the
// queue "QorvelTest" (cups-pdf) as its default. The queue accepts jobs but is
// stopped, so they wait in the test's spool folder instead of being printed.
class PrivateCupsServer {
public:
    bool start(QString* why) {
        for (const QString& needed : {kCupsd, kBackend, kPpd, kLpadmin, kDisable}) {
            if (!QFile::exists(needed)) {
                *why = needed + QStringLiteral(" is missing (install cups-daemon, cups-client and printer-driver-cups-pdf)");
                return false;
            }
        }
        const QDir d(dir_.path());
        for (const char* sub : {"spool", "tmp", "state", "cache", "ppd"})
            d.mkpath(QString::fromLatin1(sub));
        socket_ = d.filePath(QStringLiteral("cups.sock"));
        write(QStringLiteral("cupsd.conf"), QStringLiteral("Listen %1\nLogLevel warn\n"
                                                          "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                                          "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                                          "  </Limit>\n</Policy>\n")
                                                .arg(socket_));
        write(QStringLiteral("cups-files.conf"),
              QStringLiteral("ServerRoot %1\nRequestRoot %1/spool\nTempDir %1/tmp\nStateDir %1/state\n"
                             "CacheDir %1/cache\nErrorLog %1/error_log\nAccessLog %1/access_log\n"
                             "PageLog %1/page_log\nServerBin /usr/lib/cups\nDataDir /usr/share/cups\n")
                  .arg(dir_.path()));
        server_.start(kCupsd, {QStringLiteral("-f"), QStringLiteral("-c"), d.filePath(QStringLiteral("cupsd.conf")),
                               QStringLiteral("-s"), d.filePath(QStringLiteral("cups-files.conf"))});
        if (!server_.waitForStarted(5000)) {
            *why = QStringLiteral("cupsd did not start: ") + server_.errorString();
            return false;
        }
        for (int i = 0; i < 100 && !QFile::exists(socket_); ++i)
            QThread::msleep(50);
        if (!QFile::exists(socket_)) {
            *why = QStringLiteral("cupsd did not open its socket: ") + log();
            return false;
        }
        qputenv("CUPS_SERVER", socket_.toLocal8Bit());
        cupsSetServer(socket_.toLocal8Bit().constData());
        if (!admin({QStringLiteral("-p"), QStringLiteral("QorvelTest"), QStringLiteral("-E"), QStringLiteral("-v"),
                    QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), kPpd},
                   why) ||
            !admin({QStringLiteral("-d"), QStringLiteral("QorvelTest")}, why) ||
            !run(kDisable, {QStringLiteral("QorvelTest")}, why))
            return false;
        return true;
    }
    ~PrivateCupsServer() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            server_.waitForFinished(5000);
        }
        qunsetenv("CUPS_SERVER");
        cupsSetServer(nullptr);
    }
    QString log() const {
        QFile f(QDir(dir_.path()).filePath(QStringLiteral("error_log")));
        f.open(QIODevice::ReadOnly);
        return QString::fromLocal8Bit(f.readAll().right(2000));
    }

private:
    void write(const QString& name, const QString& text) {
        QFile f(QDir(dir_.path()).filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(text.toLocal8Bit());
    }
    bool admin(const QStringList& args, QString* why) { return run(kLpadmin, args, why); }
    bool run(const QString& tool, const QStringList& args, QString* why) {
        QProcess p;
        p.start(tool, args);
        if (p.waitForFinished(20000) && p.exitCode() == 0)
            return true;
        *why = tool + QStringLiteral(" failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return false;
    }
    QTemporaryDir dir_;
    QString socket_;
    QProcess server_;
};

TEST(CupsQueue, ListsTheQueueAndAcceptsAJob) {
    PrivateCupsServer server;
    QString why;
    if (!server.start(&why))
        GTEST_SKIP() << why.toStdString();
    PrinterDevice::setBackend({});
    PrinterDevice& device = PrinterDevice::shared();
    EXPECT_EQ(device.Printers(), QStringList({"QorvelTest on cups-pdf:/", "PDF file on file"}));
    device.SetPrinterIndex(-1);
    EXPECT_EQ(device.PrinterIndex(), 0) << "the server's default queue";
    EXPECT_TRUE(device.Papers().contains("Letter")) << device.Papers().join(", ").toStdString();
    EXPECT_TRUE(device.SelectPaper("A4"));
    EXPECT_TRUE(device.unprintable()[0] >= 0);

    ScriptedDialogService dialogs;
    TReportPrinter printer;
    printer.Title = "Qorvel";
    printer.OnPrint = [](TBaseReport& r) {
        r.SetFont("Arial", 12);
        r.PrintLn("To a real queue");
    };
    EXPECT_TRUE(printer.Execute()) << dialogs.lastText().toStdString() << "\n" << server.log().toStdString();
    cups_job_t* jobs = nullptr;
    const int n = cupsGetJobs(&jobs, "QorvelTest", 0, CUPS_WHICHJOBS_ACTIVE);
    ASSERT_EQ(n, 1) << server.log().toStdString();
    EXPECT_STREQ(jobs[0].title, "Qorvel");
    EXPECT_GT(jobs[0].size, 0);
    cupsFreeJobs(n, jobs);
    PrinterDevice::discardShared();
}

}  // namespace
