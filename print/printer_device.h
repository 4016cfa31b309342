#pragma once

#include "data/printer_presence.h"
#include "print/cups_printers.h"

#include <QPageSize>
#include <QSizeF>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qorvel::print {

enum class PageOrientation { Portrait, Landscape };

// Where the printer lists come from; tests give their own.
struct PrinterBackend {
    std::function<std::vector<cups::Destination>()> destinations = cups::destinations;
    std::function<QStringList(const QString&)> sources = cups::mediaSources;
    std::function<std::vector<cups::Media>(const QString&)> media = cups::mediaSizes;
    std::function<QString(const QString&, const QString&, const QString&, const std::map<QString, QString>&)> submit =
        cups::submitPdf;
};

// The one printer device behind every canvas: which printer, paper, paper source,
// orientation and copies. CUPS queues come from the print system; the built-in
// "PDF file" printer is always there. Built on first use; discarded when the
// Labels, Envelopes or Reports window closes so the next job starts afresh.
class PrinterDevice : public PrinterSystem {
public:
    static constexpr const char* kPdfPrinter = "PDF file";

    static PrinterDevice& shared();
    static void discardShared();
    // While a recorded job plays back, the driver name reads "Preview".
    static void setPlayingBack(bool on);
    static void setBackend(const PrinterBackend& backend);  // for tests; also discards

    // "%s on %s": printer name and port (the CUPS device URI; "file" for the PDF printer).
    QStringList Printers();
    int PrinterIndex();                  // -1 when there is no printer
    void SetPrinterIndex(int index);     // -1: the system default (else the first printer)
    bool SelectPrinter(const QString& text);  // first entry containing the text, case ignored
    QStringList Bins();
    QStringList Papers();
    bool SelectBin(const QString& text);
    bool SelectPaper(const QString& text);
    bool selectPaperAt(int index);
    // The lists of another printer, for the set-up dialog; the selection stays.
    QStringList papersOf(int printerIndex);
    QStringList binsOf(int printerIndex);
    // A paper code (1 Letter, 9 A4, 11 A5, envelope codes), or 0 with a custom size
    // in inches within the printer's limits. False (and no change) when refused.
    bool SetPaperSize(int code, double width = 0, double height = 0);
    QString DriverName();
    QString DeviceName();
    QString Port();

    PageOrientation orientation() const { return orientation_; }
    void setOrientation(PageOrientation o) { orientation_ = o; }
    int copies() const { return copies_; }
    bool setCopies(int n);  // 1..999

    bool isPdfPrinter();
    QString bin();                     // the chosen paper source, empty for the printer's own
    QString paperName();
    QPageSize pageSize();              // portrait form
    QSizeF sheetInches();              // width × height as oriented
    // The strips along each edge the printer cannot reach, inches (left, top, right, bottom).
    std::array<double, 4> unprintable();
    double resolution() const { return 1200; }
    // Custom paper limits, inches.
    QSizeF minimumPaper();
    QSizeF maximumPaper();

    // Sends a finished PDF to the selected CUPS queue.
    QString submit(const QString& pdfPath, const QString& title);

    // The presence check.
    int printerCount() const override;
    bool currentPrinterReady() override;
    void reselectCurrentPrinter() override;

private:
    PrinterDevice() = default;
    struct Entry {
        QString name, port, driver;
        bool pdf = false;
        bool isDefault = false;
    };
    struct Details {
        QStringList bins;
        std::vector<cups::Media> media;
    };
    void loadPrinters();
    void loadPrinterDetails();
    Details detailsOf(const Entry& e) const;
    Entry* current();
    void choosePaper(const cups::Media& m);

    std::optional<std::vector<Entry>> printers_;
    int index_ = -2;  // -2: nothing chosen yet
    bool detailsLoaded_ = false;
    Details details_;
    QString bin_;
    QPageSize pageSize_ = QPageSize(QPageSize::Letter);
    PageOrientation orientation_ = PageOrientation::Portrait;
    int copies_ = 1;
};

// The presence check's view of the shared device, whichever device is current.
PrinterSystem& devicePrinterSystem();

}  // namespace qorvel::print
