// The print status window, the preview window and the printer set-up dialog,
// driven as a user would, with a screenshot of each state.
#include "fake_printers.h"
#include "print/preview_form.h"
#include "print/print_driver_window.h"
#include "print/report_filer.h"
#include "scripted_dialog_service.h"
#include "shots.h"
#include "ui/printer_setup_window.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace qorvel;
using namespace qorvel::print;

namespace {

// A driver that draws `pages` pages of ten boxes, one box per unit of work, and
// lets the test act in the middle of page `actOnPage`.
class BoxDriver : public PrintDriverWindow {
public:
    BoxDriver(Mode mode, int pages) : PrintDriverWindow(mode), pages_(pages) {}
    std::function<void()> midway;
    int actOnPage = 0;
    QString question;

protected:
    void beforePrint(TBaseReport& r) override {
        r.StatusFormat = QStringLiteral("Printing Page %p\r%0");
        r.StatusText = QStringList{QStringLiteral("Boxes")};
    }
    void print(TBaseReport& r) override {
        for (int page = 1; page <= pages_; ++page) {
            for (int box = 0; box < 10 && !shouldEnd(); ++box) {
                r.Rectangle(1, 1 + box * 0.8, 3, 1.5 + box * 0.8);
                pump();
                if (page == actOnPage && box == 4 && midway)
                    midway();
            }
            if (shouldEnd())
                break;
            if (page < pages_)
                r.NewPage();
        }
    }
    QString cancelQuestion() const override { return question; }

private:
    int pages_;
};

QByteArray recordPages(int pages) {
    QByteArray stream;
    TReportFiler filer(stream);
    filer.OnPrint = [pages](TBaseReport& r) {
        for (int p = 1; p <= pages; ++p) {
            r.SetFont("Arial", 36);
            r.PrintCenter(QStringLiteral("Page %1").arg(p), r.PageWidth() / 2);
            r.Ellipse(2, 3, 6.5, 8);
            if (p < pages)
                r.NewPage();
        }
    };
    filer.Execute();
    return stream;
}

}  // namespace

class PrintWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        fake_ = std::make_unique<FakePrinters>();
        fake_->install();
        PrinterDevice::shared().SelectPrinter("PDF file");
    }
    void cleanup() { PrinterDevice::setBackend({}); }

    void printRunsToCompletion();
    void cancelQuestionDecides_data();
    void cancelQuestionDecides();
    void previewStopKeepsPagesSoFar();
    void previewOfOnePageHidesNavigation();
    void previewPagesZoomAndCaption();
    void previewMouseAndKeys();
    void damagedRecordingIsReported();
    void printerSetupChoices();
    void printDialogSetsCopiesAndRange();

private:
    std::unique_ptr<FakePrinters> fake_;
    QTemporaryDir dir_;
};

void PrintWindowsTest::printRunsToCompletion() {
    ScriptedDialogService dialogs;
    BoxDriver driver(PrintDriverWindow::Mode::Print, 3);
    driver.printer().OutputFile = dir_.filePath("boxes.pdf");
    driver.actOnPage = 2;
    QString during;
    driver.midway = [&] {
        during = driver.statusText();
        saveShot(&driver, "printing");
    };
    driver.show();
    QTRY_VERIFY(driver.outcome() != PrintDriverWindow::Outcome::Running);
    QCOMPARE(driver.windowTitle(), QStringLiteral("Print Status"));
    QCOMPARE(during, QStringLiteral("Printing Page 2\nBoxes"));
    QCOMPARE(driver.outcome(), PrintDriverWindow::Outcome::Completed);
    QCOMPARE(driver.statusText(), QStringLiteral("\nPrint Completed!"));
    QCOMPARE(driver.button()->text(), QStringLiteral("Ok"));
    QVERIFY(QFile::exists(dir_.filePath("boxes.pdf")));
    saveShot(&driver, "done");
    QVERIFY2(driver.isVisible(), "stays until Ok");
    driver.button()->click();
    QVERIFY(!driver.isVisible());
}

void PrintWindowsTest::cancelQuestionDecides_data() {
    QTest::addColumn<bool>("yes");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("fileWritten");
    QTest::newRow("No: printing goes on") << false << int(PrintDriverWindow::Outcome::Completed)
                                          << QStringLiteral("\nPrint Completed!") << true;
    QTest::newRow("Yes: aborted") << true << int(PrintDriverWindow::Outcome::Canceled)
                                  << QStringLiteral("\nPrint Canceled!") << false;
}

void PrintWindowsTest::cancelQuestionDecides() {
    QFETCH(bool, yes);
    QFETCH(int, outcome);
    QFETCH(QString, status);
    QFETCH(bool, fileWritten);
    ScriptedDialogService dialogs;
    BoxDriver driver(PrintDriverWindow::Mode::Print, 3);
    const QString pdf = dir_.filePath(yes ? "yes.pdf" : "no.pdf");
    driver.printer().OutputFile = pdf;
    driver.question = "Cancel Label Printing?";
    driver.actOnPage = 2;
    dialogs.answers.push_back(yes);
    driver.midway = [&] {
        QCOMPARE(driver.button()->text(), QStringLiteral("Cancel"));
        driver.button()->click();
    };
    driver.show();
    QTRY_VERIFY(driver.outcome() != PrintDriverWindow::Outcome::Running);
    QCOMPARE(dialogs.texts(), QStringList({"Cancel Label Printing?"}));
    QCOMPARE(int(driver.outcome()), outcome);
    QCOMPARE(driver.statusText(), status);
    QCOMPARE(QFile::exists(pdf), fileWritten);
    QVERIFY(!driver.previewReady());
    if (yes)
        saveShot(&driver, "canceled");
}

void PrintWindowsTest::previewStopKeepsPagesSoFar() {
    ScriptedDialogService dialogs;
    BoxDriver driver(PrintDriverWindow::Mode::Preview, 5);
    driver.actOnPage = 3;
    driver.midway = [&] {
        QCOMPARE(driver.button()->text(), QStringLiteral("Stop"));
        saveShot(&driver, "previewing");
        driver.button()->click();
    };
    driver.show();
    QTRY_VERIFY(driver.outcome() != PrintDriverWindow::Outcome::Running);
    QCOMPARE(driver.windowTitle(), QStringLiteral("Preview Status"));
    QCOMPARE(driver.outcome(), PrintDriverWindow::Outcome::Stopped);
    QCOMPARE(driver.statusText(), QStringLiteral("\nPreview Stopped at page 3!"));
    QVERIFY(driver.previewReady());
    TFilePreview preview;
    QVERIFY(preview.open(driver.recording()));
    QCOMPARE(preview.pageCount(), 3);
    QVERIFY2(dialogs.shown.empty(), "stopping a preview asks nothing");
    saveShot(&driver, "stopped");
}

void PrintWindowsTest::previewOfOnePageHidesNavigation() {
    ScriptedDialogService dialogs;
    TPreviewForm form(recordPages(1), PreviewModel::kWholePage);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const char* name : {"firstPage", "previousPage", "nextPage", "lastPage"})
        QVERIFY2(form.tool(name)->isHidden(), name);
    QVERIFY(form.windowTitle().startsWith("Preview Page 1 of 1 ( "));
    const QLabel* page = form.findChild<QLabel*>("page");
    QVERIFY2(page->height() <= form.findChild<QScrollArea*>()->viewport()->height(), "whole page fits");
    saveShot(&form, "one-page");
}

void PrintWindowsTest::previewPagesZoomAndCaption() {
    ScriptedDialogService dialogs;
    TPreviewForm form(recordPages(3), 75);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.windowTitle(), QStringLiteral("Preview Page 1 of 3 ( 75% )"));
    QVERIFY(form.tool("nextPage")->isVisible());
    QVERIFY(!form.tool("previousPage")->isEnabled());
    form.tool("nextPage")->click();
    QCOMPARE(form.windowTitle(), QStringLiteral("Preview Page 2 of 3 ( 75% )"));
    form.tool("lastPage")->click();
    QCOMPARE(form.windowTitle(), QStringLiteral("Preview Page 3 of 3 ( 75% )"));
    QVERIFY(!form.tool("nextPage")->isEnabled());
    saveShot(&form, "several-pages");
    form.tool("firstPage")->click();
    QCOMPARE(form.model().current(), 0);

    const struct {
        double from;
        const char* button;
        const char* caption;
    } zooms[] = {
        {195, "zoomIn", "Preview Page 1 of 3 ( 200% )"}, {200, "zoomIn", "Preview Page 1 of 3 ( 200% )"},
        {15, "zoomOut", "Preview Page 1 of 3 ( 10% )"},  {10, "zoomOut", "Preview Page 1 of 3 ( 10% )"},
        {75, "zoom100", "Preview Page 1 of 3 ( 100% )"},
    };
    for (const auto& z : zooms) {
        form.model().setZoom(z.from);
        form.tool(z.button)->setEnabled(true);
        form.tool(z.button)->click();
        QCOMPARE(form.windowTitle(), QString::fromLatin1(z.caption));
    }
    form.model().setZoom(195);
    form.tool("zoomIn")->setEnabled(true);
    form.tool("zoomIn")->click();
    saveShot(&form, "zoom-200");
    form.model().setZoom(15);
    form.tool("zoomOut")->setEnabled(true);
    form.tool("zoomOut")->click();
    saveShot(&form, "zoom-10");

    const QWidget* viewport = form.findChild<QScrollArea*>()->viewport();
    const QLabel* page = form.findChild<QLabel*>("page");
    form.tool("pageWidth")->click();
    QVERIFY(page->width() <= viewport->width());
    QVERIFY(page->width() > viewport->width() - 40);
    form.tool("wholePage")->click();
    QVERIFY(page->height() <= viewport->height());
    form.tool("ok")->click();
    QVERIFY(!form.isVisible());
}

void PrintWindowsTest::previewMouseAndKeys() {
    ScriptedDialogService dialogs;
    TPreviewForm form(recordPages(2), 100);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QLabel* page = form.findChild<QLabel*>("page");
    QCOMPARE(page->cursor().shape(), Qt::BitmapCursor);  // the magnifier
    QTest::mouseClick(page, Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(form.model().zoom(), 110.0);
    QTest::mouseClick(page, Qt::RightButton, {}, QPoint(50, 50));
    QTest::mouseClick(page, Qt::RightButton, {}, QPoint(50, 50));
    QCOMPARE(form.model().zoom(), 90.0);

    QScrollBar* bar = form.findChild<QScrollArea*>()->verticalScrollBar();
    bar->setValue(0);
    QTest::keyClick(&form, Qt::Key_Down);
    QCOMPARE(bar->value(), bar->singleStep());
    QTest::keyClick(&form, Qt::Key_Up);
    QCOMPARE(bar->value(), 0);
}

void PrintWindowsTest::damagedRecordingIsReported() {
    ScriptedDialogService dialogs;
    TPreviewForm form(QByteArray("QVRS\x01\x00\x01\xff", 8), PreviewModel::kPageWidth);
    form.show();
    QTRY_VERIFY(!form.isVisible());
    QCOMPARE(dialogs.texts(), QStringList({"There was an error drawing the preview"}));
}

void PrintWindowsTest::printerSetupChoices() {
    ScriptedDialogService dialogs;
    FakePrinters office = FakePrinters::office();
    office.install();
    PrinterDevice& device = PrinterDevice::shared();

    PrinterSetupRequest request;
    request.printers = device.Printers();
    request.printerIndex = device.PrinterIndex();
    request.papersOf = [&](int i) { return device.papersOf(i); };
    request.binsOf = [&](int i) { return device.binsOf(i); };
    request.paperIndex = 1;
    request.binIndex = 2;
    PrinterSetupWindow window(request);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* printer = window.findChild<QComboBox*>("printer");
    auto* paper = window.findChild<QComboBox*>("paper");
    auto* source = window.findChild<QComboBox*>("source");
    QCOMPARE(printer->currentText(), QStringLiteral("Office on ipp://office.local/ipp/print"));
    QCOMPARE(paper->currentText(), QStringLiteral("A4"));
    QCOMPARE(source->currentText(), QStringLiteral("Envelope Feeder"));
    saveShot(&window);
    printer->setCurrentIndex(0);
    QCOMPARE(source->currentText(), QStringLiteral("Roll"));
    saveShot(&window, "other-printer");
    window.findChild<QRadioButton*>()->setChecked(false);
    for (QRadioButton* b : window.findChildren<QRadioButton*>())
        if (b->text().contains("Landscape"))
            b->setChecked(true);
    window.store(request);
    QCOMPARE(request.printerIndex, 0);
    QVERIFY(request.landscape);

    // Through the canvas: the choices become the device's settings.
    dialogs.setups.push_back([](PrinterSetupRequest& r) {
        r.printerIndex = 1;
        r.paperIndex = 1;
        r.binIndex = 1;
        r.landscape = true;
        return true;
    });
    QByteArray stream;
    TReportFiler canvas(stream);
    QVERIFY(canvas.PrinterSetupDialog());
    QCOMPARE(device.DeviceName(), QStringLiteral("Office"));
    QCOMPARE(device.paperName(), QStringLiteral("A4"));
    QCOMPARE(device.bin(), QStringLiteral("Manual Envelope"));
    QCOMPARE(device.orientation(), PageOrientation::Landscape);
    QVERIFY2(!canvas.PrinterSetupDialog(), "cancelled: nothing changes");
    QCOMPARE(device.paperName(), QStringLiteral("A4"));
    PrinterDevice::discardShared();
}

void PrintWindowsTest::printDialogSetsCopiesAndRange() {
    ScriptedDialogService dialogs;
    QByteArray stream;
    TReportFiler canvas(stream);
    dialogs.prints.push_back([](PrintDialogRequest& r) {
        r.copies = 3;
        r.allPages = false;
        r.fromPage = 2;
        r.toPage = 4;
        return true;
    });
    QVERIFY(canvas.PrintDialog());
    QCOMPARE(canvas.Copies(), 3);
    QCOMPARE(canvas.FirstPage, 2);
    QCOMPARE(canvas.LastPage, 4);
    dialogs.prints.push_back([](PrintDialogRequest& r) {
        r.allPages = true;
        return true;
    });
    QVERIFY(canvas.PrintDialog());
    QCOMPARE(canvas.FirstPage, 1);
    QCOMPARE(canvas.LastPage, 9999);
}

QTEST_MAIN(PrintWindowsTest)
#include "print_windows_test.moc"
