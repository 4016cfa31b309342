#include "report_printer.h"

#include "data/dialog_service.h"
#include "print/painter_sink.h"
#include "print/printer_device.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTemporaryDir>

namespace qorvel::print {

namespace {

constexpr double kPdfDpi = 1200;

QString cannotWrite(const QString& path, const QString& reason) {
    return QStringLiteral("Unable to write the file %1.\n%2").arg(QDir::toNativeSeparators(path), reason);
}

}  // namespace

// One job's output. The PDF goes through a QSaveFile, so a failed or aborted job
// leaves no file behind, and an existing file is replaced only by a finished one.
struct TReportPrinter::Job final : PageSink {
    QString path;
    bool toQueue = false;
    std::unique_ptr<QTemporaryDir> spool;
    QSaveFile file;
    std::unique_ptr<QPdfWriter> writer;
    QPainter painter;
    std::unique_ptr<PainterSink> drawer;
    QRectF printable;  // device pixels; empty when the whole sheet is printable
    bool pageStarted = false;

    void beginPage(const PageInfo& page) override {
        drawer->setScale(page.scaleX, page.scaleY);
        if (pageStarted)
            writer->newPage();
        pageStarted = true;
        painter.setClipping(false);
        if (!printable.isEmpty())
            painter.setClipRect(printable);
    }
    void draw(const DrawOp& op) override { drawer->draw(op); }
    void endPage() override {}
};

TReportPrinter::TReportPrinter() { StatusFormat = QStringLiteral("Printing Page %p"); }
TReportPrinter::~TReportPrinter() = default;

bool TReportPrinter::openOutput() {
    PrinterDevice& device = PrinterDevice::shared();
    written_.clear();
    auto job = std::make_unique<Job>();
    job->toQueue = !device.isPdfPrinter();
    if (job->toQueue) {
        job->spool = std::make_unique<QTemporaryDir>();
        if (!job->spool->isValid()) {
            dialogs().error(cannotWrite(job->spool->path(), job->spool->errorString()));
            return false;
        }
        job->path = job->spool->filePath(QStringLiteral("job.pdf"));
    } else if (!OutputFile.isEmpty()) {
        job->path = OutputFile;
    } else {
        FileDialogOptions options;
        options.caption = QStringLiteral("Print to PDF File");
        options.filter = QStringLiteral("PDF Files (*.pdf)");
        options.defaultExtension = QStringLiteral("pdf");
        options.proposedName = (Title.isEmpty() ? QStringLiteral("Qorvel") : Title) + QStringLiteral(".pdf");
        const auto chosen = dialogs().saveFileName(options);
        if (!chosen)
            return false;  // the user cancelled the job
        job->path = *chosen;
    }
    job->file.setFileName(job->path);
    if (!job->file.open(QIODevice::WriteOnly)) {
        dialogs().error(cannotWrite(job->path, job->file.errorString()));
        return false;
    }

    const QSizeF sheet = device.sheetInches();
    job->writer = std::make_unique<QPdfWriter>(&job->file);
    job->writer->setResolution(int(kPdfDpi));
    job->writer->setTitle(Title.left(31));
    job->writer->setCreator(QStringLiteral("Qorvel"));
    job->writer->setPageLayout(QPageLayout(QPageSize(sheet, QPageSize::Inch, QString(), QPageSize::ExactMatch),
                                           QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    if (!job->painter.begin(job->writer.get())) {
        dialogs().error(cannotWrite(job->path, QStringLiteral("The PDF could not be started.")));
        job->file.cancelWriting();
        return false;
    }
    DeviceMapping mapping;
    mapping.dpiX = mapping.dpiY = kPdfDpi;
    mapping.scaleX = ScaleX;
    mapping.scaleY = ScaleY;
    job->drawer = std::make_unique<PainterSink>(job->painter, mapping);
    // Coordinates stay measured from the sheet's corner; what the printer cannot reach is cut off.
    const auto strips = device.unprintable();
    if (strips != std::array<double, 4>{0, 0, 0, 0}) {
        job->printable = QRectF(QPointF(strips[0] * kPdfDpi, strips[1] * kPdfDpi),
                                QPointF((sheet.width() - strips[2]) * kPdfDpi, (sheet.height() - strips[3]) * kPdfDpi));
    }
    job_ = std::move(job);
    return true;
}

PageSink& TReportPrinter::sink() { return *job_; }

bool TReportPrinter::closeOutput(bool aborted) {
    if (!job_)
        return false;
    std::unique_ptr<Job> job = std::move(job_);
    job->painter.end();
    job->writer.reset();
    if (aborted) {
        job->file.cancelWriting();
        return true;
    }
    if (!job->file.commit()) {
        dialogs().error(cannotWrite(job->path, job->file.errorString()));
        return false;
    }
    if (!job->toQueue) {
        written_ = job->path;
        return true;
    }
    PrinterDevice& device = PrinterDevice::shared();
    const QString failure = device.submit(job->path, Title.isEmpty() ? QStringLiteral("Qorvel") : Title);
    if (failure.isEmpty())
        return true;
    dialogs().error(QStringLiteral("Unable to print on %1.\n%2").arg(device.DeviceName(), failure));
    return false;
}

}  // namespace qorvel::print
