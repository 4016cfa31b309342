// print-demo OUT_DIR: prints the demonstration job to OUT_DIR/demo.pdf through the
// built-in PDF printer, records the same job and plays page 1 back at 100 dpi into
// OUT_DIR/demo-preview.png, as the preview would show it at 100 %.
#include "print/file_preview.h"
#include "print/printer_device.h"
#include "print/report_filer.h"
#include "print/report_printer.h"
#include "print/tool/demo_page.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

using namespace qorvel::print;

int main(int argc, char** argv) {
    // Nothing is shown, so no display is needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: print-demo OUT_DIR\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "print-demo: cannot create %s\n", argv[1]);
        return 1;
    }
    PrinterDevice& device = PrinterDevice::shared();
    device.SelectPrinter(QString::fromLatin1(PrinterDevice::kPdfPrinter) + QStringLiteral(" on file"));
    device.SetPaperSize(1);

    TReportPrinter printer;
    printer.Title = QStringLiteral("Qorvel print demo");
    printer.OutputFile = out.filePath(QStringLiteral("demo.pdf"));
    printer.OnPrint = drawDemoJob;
    if (!printer.Execute()) {
        std::fprintf(stderr, "print-demo: the PDF could not be written\n");
        return 1;
    }

    QByteArray stream;
    TReportFiler filer(stream);
    filer.OnPrint = drawDemoJob;
    TFilePreview preview;
    if (!filer.Execute() || !preview.open(stream)) {
        std::fprintf(stderr, "print-demo: the job could not be recorded\n");
        return 1;
    }
    const QImage page = preview.renderPage(0, 100, 100);
    if (page.isNull() || !page.save(out.filePath(QStringLiteral("demo-preview.png")))) {
        std::fprintf(stderr, "print-demo: the preview could not be written\n");
        return 1;
    }
    std::printf("%s\n%s\n", qPrintable(printer.writtenFile()), qPrintable(out.filePath(QStringLiteral("demo-preview.png"))));
    return 0;
}
