#include "printer_device.h"

#include "print/paper_sizes.h"

#include <cmath>

namespace qorvel::print {

namespace {

std::unique_ptr<PrinterDevice> g_device;
PrinterBackend g_backend;
bool g_playingBack = false;

bool contains(const QString& text, const QString& part) { return text.contains(part, Qt::CaseInsensitive); }

QString pageName(const QPageSize& size) {
    if (const auto p = paperById(size.id()))
        return QString::fromLatin1(p->name);
    return size.name();
}

}  // namespace

PrinterDevice& PrinterDevice::shared() {
    if (!g_device)
        g_device.reset(new PrinterDevice);
    return *g_device;
}

void PrinterDevice::discardShared() { g_device.reset(); }

void PrinterDevice::setPlayingBack(bool on) { g_playingBack = on; }

void PrinterDevice::setBackend(const PrinterBackend& backend) {
    g_backend = backend;
    discardShared();
}

void PrinterDevice::loadPrinters() {
    if (printers_)
        return;
    printers_.emplace();
    for (const cups::Destination& d : g_backend.destinations()) {
        Entry e{d.name, d.deviceUri.isEmpty() ? QStringLiteral("ipp") : d.deviceUri,
                d.makeAndModel.isEmpty() ? QStringLiteral("CUPS") : d.makeAndModel, false, d.isDefault};
        printers_->push_back(e);
    }
    printers_->push_back(Entry{QString::fromLatin1(kPdfPrinter), QStringLiteral("file"), QStringLiteral("PDF"), true, false});
}

QStringList PrinterDevice::Printers() {
    loadPrinters();
    QStringList out;
    for (const Entry& e : *printers_)
        out << QStringLiteral("%1 on %2").arg(e.name, e.port);
    return out;
}

int PrinterDevice::PrinterIndex() {
    loadPrinters();
    if (index_ == -2)
        SetPrinterIndex(-1);
    return printers_->empty() ? -1 : index_;
}

void PrinterDevice::SetPrinterIndex(int index) {
    loadPrinters();
    if (index < 0) {
        index = 0;
        for (size_t i = 0; i < printers_->size(); ++i) {
            if ((*printers_)[i].isDefault)
                index = int(i);
        }
    }
    if (index >= int(printers_->size()))
        return;
    if (index != index_) {
        index_ = index;
        detailsLoaded_ = false;
        bin_.clear();
    }
}

PrinterDevice::Entry* PrinterDevice::current() {
    const int i = PrinterIndex();
    return i < 0 ? nullptr : &(*printers_)[size_t(i)];
}

bool PrinterDevice::SelectPrinter(const QString& text) {
    const QStringList all = Printers();
    for (int i = 0; i < all.size(); ++i) {
        if (contains(all[i], text)) {
            SetPrinterIndex(i);
            return true;
        }
    }
    return false;
}

PrinterDevice::Details PrinterDevice::detailsOf(const Entry& e) const {
    Details d;
    if (e.pdf) {
        d.bins << QStringLiteral("Automatically Select");
        for (const PaperCode& p : knownPapers()) {
            const QSizeF s = QPageSize(p.id).size(QPageSize::Inch);
            d.media.push_back(cups::Media{QString::fromLatin1(p.name), s.width(), s.height(), 0, 0, 0, 0});
        }
        return d;
    }
    d.bins = g_backend.sources(e.name);
    d.media = g_backend.media(e.name);
    for (cups::Media& m : d.media) {
        // Known sizes get their usual names.
        const QPageSize s(QSizeF(m.width, m.height), QPageSize::Inch, QString(), QPageSize::FuzzyMatch);
        if (paperById(s.id()))
            m.name = pageName(s);
    }
    return d;
}

void PrinterDevice::loadPrinterDetails() {
    if (detailsLoaded_)
        return;
    const Entry* e = current();  // may select the default printer, which clears the lists
    details_ = e ? detailsOf(*e) : Details{};
    detailsLoaded_ = true;
}

QStringList PrinterDevice::papersOf(int printerIndex) {
    loadPrinters();
    if (printerIndex < 0 || printerIndex >= int(printers_->size()))
        return {};
    QStringList out;
    for (const cups::Media& m : detailsOf((*printers_)[size_t(printerIndex)]).media)
        out << m.name;
    return out;
}

QStringList PrinterDevice::binsOf(int printerIndex) {
    loadPrinters();
    if (printerIndex < 0 || printerIndex >= int(printers_->size()))
        return {};
    return detailsOf((*printers_)[size_t(printerIndex)]).bins;
}

QStringList PrinterDevice::Bins() {
    loadPrinterDetails();
    return details_.bins;
}

QStringList PrinterDevice::Papers() {
    loadPrinterDetails();
    QStringList out;
    for (const cups::Media& m : details_.media)
        out << m.name;
    return out;
}

bool PrinterDevice::SelectBin(const QString& text) {
    for (const QString& b : Bins()) {
        if (contains(b, text)) {
            bin_ = b;
            return true;
        }
    }
    return false;
}

void PrinterDevice::choosePaper(const cups::Media& m) {
    pageSize_ = QPageSize(QSizeF(m.width, m.height), QPageSize::Inch, m.name, QPageSize::FuzzyMatch);
}

bool PrinterDevice::SelectPaper(const QString& text) {
    loadPrinterDetails();
    for (const cups::Media& m : details_.media) {
        if (contains(m.name, text)) {
            choosePaper(m);
            return true;
        }
    }
    return false;
}

bool PrinterDevice::selectPaperAt(int index) {
    loadPrinterDetails();
    if (index < 0 || index >= int(details_.media.size()))
        return false;
    choosePaper(details_.media[size_t(index)]);
    return true;
}

bool PrinterDevice::SetPaperSize(int code, double width, double height) {
    if (code == 0) {
        const QSizeF lo = minimumPaper(), hi = maximumPaper();
        // The driver's unit: tenths of a millimetre.
        const double w = std::round(width * 254) / 254, h = std::round(height * 254) / 254;
        if (w < lo.width() || h < lo.height() || w > hi.width() || h > hi.height())
            return false;
        pageSize_ = QPageSize(QSizeF(w, h), QPageSize::Inch, QStringLiteral("Custom"), QPageSize::ExactMatch);
        return true;
    }
    const auto p = paperByCode(code);
    if (!p)
        return false;
    pageSize_ = QPageSize(p->id);
    return true;
}

QSizeF PrinterDevice::minimumPaper() { return isPdfPrinter() ? QSizeF(0.5, 0.5) : QSizeF(1, 1); }
QSizeF PrinterDevice::maximumPaper() { return isPdfPrinter() ? QSizeF(200, 200) : QSizeF(50, 50); }

QString PrinterDevice::DriverName() {
    if (g_playingBack)
        return QStringLiteral("Preview");
    const Entry* e = current();
    return e ? e->driver : QString();
}

QString PrinterDevice::DeviceName() {
    const Entry* e = current();
    return e ? e->name : QString();
}

QString PrinterDevice::Port() {
    const Entry* e = current();
    return e ? e->port : QString();
}

bool PrinterDevice::setCopies(int n) {
    if (n < 1 || n > 999)
        return false;
    copies_ = n;
    return true;
}

bool PrinterDevice::isPdfPrinter() {
    const Entry* e = current();
    return e && e->pdf;
}

QString PrinterDevice::bin() { return bin_; }
QString PrinterDevice::paperName() { return pageName(pageSize_); }
QPageSize PrinterDevice::pageSize() { return pageSize_; }

QSizeF PrinterDevice::sheetInches() {
    const QSizeF s = pageSize_.size(QPageSize::Inch);
    const double shortSide = std::min(s.width(), s.height()), longSide = std::max(s.width(), s.height());
    // Custom sizes keep the shape they were given; known papers stand upright in portrait.
    if (pageSize_.id() == QPageSize::Custom)
        return orientation_ == PageOrientation::Portrait ? s : s.transposed();
    return orientation_ == PageOrientation::Portrait ? QSizeF(shortSide, longSide) : QSizeF(longSide, shortSide);
}

std::array<double, 4> PrinterDevice::unprintable() {
    if (isPdfPrinter())
        return {0, 0, 0, 0};
    loadPrinterDetails();
    const QSizeF s = pageSize_.size(QPageSize::Inch);
    for (const cups::Media& m : details_.media) {
        if (std::abs(m.width - s.width()) < 0.02 && std::abs(m.height - s.height()) < 0.02) {
            if (orientation_ == PageOrientation::Portrait)
                return {m.left, m.top, m.right, m.bottom};
            return {m.top, m.right, m.bottom, m.left};
        }
    }
    return {0, 0, 0, 0};
}

QString PrinterDevice::submit(const QString& pdfPath, const QString& title) {
    const Entry* e = current();
    if (!e || e->pdf)
        return QStringLiteral("Invalid Printer");
    std::map<QString, QString> options;
    options[QStringLiteral("copies")] = QString::number(copies_);
    if (!bin_.isEmpty())
        options[QStringLiteral("media-source")] = bin_;
    const QSizeF s = pageSize_.size(QPageSize::Millimeter);
    options[QStringLiteral("media")] =
        QStringLiteral("custom_%1x%2mm").arg(s.width(), 0, 'f', 1).arg(s.height(), 0, 'f', 1);
    options[QStringLiteral("fit-to-page")] = QStringLiteral("false");
    return g_backend.submit(e->name, pdfPath, title, options);
}

int PrinterDevice::printerCount() const {
    if (!printers_)
        const_cast<PrinterDevice*>(this)->loadPrinters();
    return int(printers_->size());
}

bool PrinterDevice::currentPrinterReady() { return current() != nullptr; }

void PrinterDevice::reselectCurrentPrinter() {
    const int i = index_;
    index_ = -2;
    SetPrinterIndex(i < 0 ? -1 : i);
}

PrinterSystem& devicePrinterSystem() {
    // Forwards to whichever device is current, so discarding the device is safe.
    struct Forwarder final : PrinterSystem {
        int printerCount() const override { return PrinterDevice::shared().printerCount(); }
        bool currentPrinterReady() override { return PrinterDevice::shared().currentPrinterReady(); }
        void reselectCurrentPrinter() override { PrinterDevice::shared().reselectCurrentPrinter(); }
    };
    static Forwarder forwarder;
    return forwarder;
}

}  // namespace qorvel::print
