#include "base_report.h"

#include "data/dialog_service.h"
#include "print/painter_sink.h"
#include "print/printer_device.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <cmath>

namespace qorvel::print {

namespace {

constexpr double kMetricDpi = 1200;  // metrics are taken at the PDF printer's resolution

QFontMetricsF metricsOf(const FontSpec& f) {
    return QFontMetricsF(canvasFont(f, int(std::lround(kMetricDpi * f.size / 72.0))));
}

const QString kNotPrinting = QStringLiteral("Invalid method call.  ReportPrinter is not printing.");
const QString kAlreadyPrinting = QStringLiteral("Invalid method call.  ReportPrinter already printing.");

}  // namespace

TBaseReport::~TBaseReport() = default;

void TBaseReport::stateError(const QString& message) { dialogs().error(message); }

// --- Job control ------------------------------------------------------------------------

bool TBaseReport::Execute() {
    if (PrinterDevice::shared().printerCount() == 0) {
        dialogs().information(QStringLiteral("No printers are defined, aborting print job."));
        return false;
    }
    if (running_) {
        stateError(kAlreadyPrinting);
        return false;
    }
    aborted_ = false;
    failed_ = false;
    page_ = 0;
    drawn_ = false;
    jobStarted_ = QDateTime::currentDateTime();
    if (orientation_ != Orientation::Default)
        PrinterDevice::shared().setOrientation(orientation_ == Orientation::Portrait ? PageOrientation::Portrait
                                                                                     : PageOrientation::Landscape);
    if (OnBeforePrint)
        OnBeforePrint(*this);
    if (!openOutput()) {
        aborted_ = true;
        if (OnAfterPrint)
            OnAfterPrint(*this);
        return false;
    }
    ResetPrinterMetrics();
    running_ = true;
    auto finish = [this] {
        if (!aborted_ && OnPrintFooter)
            OnPrintFooter(*this);
        endPage();
        running_ = false;
        if (!closeOutput(aborted_))
            failed_ = true;
        if (OnAfterPrint)
            OnAfterPrint(*this);
    };
    try {
        page_ = 1;
        startPage();
        if (OnPrint || !OnPrintPage) {
            if (OnPrint)
                OnPrint(*this);
        } else {
            while (!aborted_) {
                int page = page_;
                if (!OnPrintPage(*this, page))
                    break;
                NewPage();
            }
        }
    } catch (...) {
        aborted_ = true;
        finish();
        throw;
    }
    finish();
    return !aborted_ && !failed_;
}

void TBaseReport::startPage() {
    skip_ = aborted_ || page_ < FirstPage || page_ > LastPage;
    brush_ = BrushSpec{0xFF000000, BrushStyle::Clear};
    pen_ = PenSpec{0xFF000000, PenStyle::Solid, 1};
    originX_ = originY_ = 0;
    tabs_.clear();
    currentTab_ = -1;
    ResetSection();
    Home();
    UpdateStatus();
    if (!skip_) {
        sink().beginPage(PageInfo{page_, pageWidth_, pageHeight_, ScaleX, ScaleY});
        pageOpen_ = true;
    }
    if (OnNewPage)
        OnNewPage(*this);
    if (OnPrintHeader)
        OnPrintHeader(*this);
}

void TBaseReport::endPage() {
    if (pageOpen_) {
        sink().endPage();
        pageOpen_ = false;
    }
}

void TBaseReport::NewPage() {
    if (!running_) {
        stateError(kNotPrinting);
        return;
    }
    if (OnPrintFooter)
        OnPrintFooter(*this);
    endPage();
    ++page_;
    startPage();
}

void TBaseReport::Abort() {
    aborted_ = true;
    skip_ = true;
}

void TBaseReport::UpdateStatus() {
    if (!StatusLabel)
        return;
    StatusValues v;
    v.currentPage = page_;
    v.firstPage = FirstPage;
    v.lastPage = LastPage;
    v.device = deviceName();
    v.driver = driverName();
    v.port = portName();
    v.lines = StatusText;
    QString text = expandStatusFormat(StatusFormat, v);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    StatusLabel(text);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

QString TBaseReport::deviceName() const { return PrinterDevice::shared().DeviceName(); }
QString TBaseReport::driverName() const { return PrinterDevice::shared().DriverName(); }
QString TBaseReport::portName() const { return PrinterDevice::shared().Port(); }

TBaseReport::Metrics TBaseReport::readMetrics() {
    PrinterDevice& device = PrinterDevice::shared();
    const QSizeF sheet = device.sheetInches();
    return Metrics{sheet.width(), sheet.height(), device.unprintable()};
}

// --- Geometry --------------------------------------------------------------------------

void TBaseReport::ResetPrinterMetrics() {
    if (running_ && drawn_) {
        stateError(kAlreadyPrinting);
        return;
    }
    const Metrics m = readMetrics();
    pageWidth_ = m.width;
    pageHeight_ = m.height;
    unprintable_ = m.unprintable;
    ResetSection();
}

void TBaseReport::ResetSection() {
    section_ = QRectF(QPointF(in(MarginLeft), in(MarginTop)),
                      QPointF(pageWidth_ - in(MarginRight), pageHeight_ - in(MarginBottom)));
}

void TBaseReport::SetSectionLeft(double v) {
    section_.setLeft(in(v));
    cursorX_ = std::max(cursorX_, section_.left());
}

void TBaseReport::SetSectionRight(double v) {
    section_.setRight(in(v));
    cursorX_ = std::min(cursorX_, section_.right());
}

void TBaseReport::SetSectionTop(double v) {
    section_.setTop(in(v));
    cursorY_ = std::max(cursorY_, section_.top());
}

void TBaseReport::SetSectionBottom(double v) {
    section_.setBottom(in(v));
    cursorY_ = std::min(cursorY_, section_.bottom());
}

// --- Cursor and lines ----------------------------------------------------------------

void TBaseReport::SetCursor(double x, double y) {
    cursorX_ = in(x);
    cursorY_ = in(y);
}

void TBaseReport::Home() {
    UpdateLineHeight();
    currentTab_ = -1;
    cursorX_ = section_.left();
    cursorY_ = section_.top() + lineHeight_ - FontDescent();
}

void TBaseReport::NewLine() {
    cursorY_ += lineHeight_;
    cursorX_ = section_.left();
    currentTab_ = -1;
}

int TBaseReport::LinesLeft() const {
    if (lineHeight_ <= 0)
        return 0;
    return std::max(0, int(std::floor((section_.bottom() - FontDescent() - cursorY_) / lineHeight_ + 1e-9)));
}

double TBaseReport::FontAscent() const { return metricsOf(font_).ascent() / kMetricDpi; }
double TBaseReport::FontDescent() const { return metricsOf(font_).descent() / kMetricDpi; }
double TBaseReport::FontHeight() const { return metricsOf(font_).height() / kMetricDpi; }

void TBaseReport::UpdateLineHeight() {
    switch (LineHeightMethod_) {
    case LineHeightMethod::LinesPerInch:
        if (LinesPerInch > 0)
            lineHeight_ = 1.0 / LinesPerInch;
        break;
    case LineHeightMethod::Font:
        lineHeight_ = font_.size / 60.0;
        break;
    case LineHeightMethod::User:
        break;
    }
}

// --- Fonts ---------------------------------------------------------------------------

void TBaseReport::SetFont(const QString& name, double size) {
    if (size <= 0)
        return;
    font_ = FontSpec{};
    font_.name = name;
    font_.size = size;
    UpdateLineHeight();
}

// --- Drawing -------------------------------------------------------------------------

bool TBaseReport::drawing() {
    if (!running_) {
        stateError(kNotPrinting);
        return false;
    }
    drawn_ = true;
    return !skip_;
}

void TBaseReport::emitOp(const DrawOp& op) {
    if (drawing())
        sink().draw(op);
}

double TBaseReport::TextWidth(const QString& text) const {
    return std::max(metricsOf(font_).horizontalAdvance(text) / kMetricDpi, 1.0 / kMetricDpi);
}

void TBaseReport::textAt(const QString& text, double x) {
    emitOp(TextOp{x + originX_, cursorY_ + originY_, text, font_, TextOpaque});
}

void TBaseReport::Print(const QString& text) {
    const QStringList pieces = text.split(QLatin1Char('\t'));
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            Tab();
        const QString& piece = pieces[i];
        double x = cursorX_;
        const double w = TextWidth(piece);
        if (currentTab_ >= 0 && currentTab_ < int(tabs_.size()) && tabs_[size_t(currentTab_)].width > 0) {
            const TabStop& t = tabs_[size_t(currentTab_)];
            switch (t.justify) {
            case Left: x = t.x + t.margin; break;
            case Right: x = t.x + t.width - t.margin - w; break;
            case Center: x = t.x + (t.width - w) / 2; break;
            case Block: x = t.x + t.margin; break;
            }
        }
        if (!piece.isEmpty())
            textAt(piece, x);
        cursorX_ = x + (piece.isEmpty() ? 0 : w);
    }
}

void TBaseReport::PrintLn(const QString& text) {
    Print(text);
    NewLine();
}

void TBaseReport::PrintLeft(const QString& text, double x) {
    x = in(x);
    textAt(text, x);
    cursorX_ = x + TextWidth(text);
}

void TBaseReport::PrintCenter(const QString& text, double x) {
    x = in(x);
    const double w = TextWidth(text);
    textAt(text, x - w / 2);
    cursorX_ = x + w / 2;
}

void TBaseReport::PrintRight(const QString& text, double x) {
    x = in(x);
    textAt(text, x - TextWidth(text));
    cursorX_ = x;
}

QRectF TBaseReport::CreateRect(double x1, double y1, double x2, double y2) const {
    return QRectF(QPointF(in(x1), in(y1)), QPointF(in(x2), in(y2))).normalized();
}

void TBaseReport::TextRect(const QRectF& rect, double x, double y, const QString& text) {
    emitOp(TextRectOp{rect.left() + originX_, rect.top() + originY_, rect.right() + originX_, rect.bottom() + originY_,
                      in(x) + originX_, in(y) + originY_, text, font_, brush_});
}

// --- Tabs ----------------------------------------------------------------------------

void TBaseReport::SetTab(double x, int justify, double width, int margin, int boxLines, int shade) {
    double at = in(x);
    if (x < 0)
        at = tabs_.empty() ? in(MarginLeft) : tabs_.back().x + std::max(0.0, tabs_.back().width);
    tabs_.push_back(TabStop{at, in(width), margin / 100.0, justify, boxLines, std::clamp(shade, 0, 100)});
}

void TBaseReport::ClearTabs() {
    tabs_.clear();
    currentTab_ = -1;
}

void TBaseReport::SaveTabs() { savedTabs_.push_back(tabs_); }

void TBaseReport::RestoreTabs() {
    if (savedTabs_.empty())
        return;
    tabs_ = savedTabs_.back();
    savedTabs_.pop_back();
    currentTab_ = -1;
}

void TBaseReport::Tab(int left, int right, int top, int bottom, int shade) {
    if (currentTab_ + 1 >= int(tabs_.size()))
        return;
    ++currentTab_;
    const TabStop& t = tabs_[size_t(currentTab_)];
    cursorX_ = t.x + t.margin;
    if (t.width <= 0)
        return;
    const double bottomY = cursorY_ + FontDescent();
    const double topY = bottomY - lineHeight_;
    const double l = t.x + originX_, r = t.x + t.width + originX_;
    const double tY = topY + originY_, bY = bottomY + originY_;
    int s = shade == kDefault ? t.shade : shade;
    if (s == 0 && shade == kDefault)
        s = std::clamp(TabShade, 0, 100);
    if (s > 0) {
        const int grey = 255 * (100 - std::clamp(s, 0, 100)) / 100;
        emitOp(ShapeOp{ShapeKind::Fill, l, tY, r, bY, 0, 0, {}, BrushSpec{qRgb(grey, grey, grey), BrushStyle::Solid}});
    }
    auto line = [&](int override, int flag, double x1, double y1, double x2, double y2) {
        const bool wanted = override == kDefault ? (t.boxLines & flag) != 0 : override != 0;
        if (!wanted)
            return;
        const int width = override == kDefault ? 1 : override;
        emitOp(LineOp{x1, y1, x2, y2, PenSpec{pen_.color, PenStyle::Solid, width}});
    };
    line(left, BoxLeft, l, tY, l, bY);
    line(right, BoxRight, r, tY, r, bY);
    line(top, BoxTop, l, tY, r, tY);
    line(bottom, BoxBottom, l, bY, r, bY);
}

double TBaseReport::TabStart(int n) const {
    if (n < 1 || n > int(tabs_.size()))
        return 0;
    return tabs_[size_t(n - 1)].x + tabs_[size_t(n - 1)].margin;
}

// --- Graphics ----------------------------------------------------------------------------

void TBaseReport::SetPen(QRgb color, PenStyle style, int width) { pen_ = PenSpec{color | 0xFF000000, style, width}; }
void TBaseReport::SetBrush(QRgb color, BrushStyle style) { brush_ = BrushSpec{color | 0xFF000000, style}; }

void TBaseReport::MoveTo(double x, double y) {
    penX_ = in(x);
    penY_ = in(y);
}

void TBaseReport::LineTo(double x, double y) {
    emitOp(LineOp{penX_ + originX_, penY_ + originY_, in(x) + originX_, in(y) + originY_, pen_});
    penX_ = in(x);
    penY_ = in(y);
}

void TBaseReport::Rectangle(double x1, double y1, double x2, double y2) {
    emitOp(ShapeOp{ShapeKind::Rectangle, in(x1) + originX_, in(y1) + originY_, in(x2) + originX_, in(y2) + originY_, 0,
                   0, pen_, brush_});
}

void TBaseReport::Ellipse(double x1, double y1, double x2, double y2) {
    emitOp(ShapeOp{ShapeKind::Ellipse, in(x1) + originX_, in(y1) + originY_, in(x2) + originX_, in(y2) + originY_, 0, 0,
                   pen_, brush_});
}

void TBaseReport::RoundRect(double x1, double y1, double x2, double y2, double cw, double ch) {
    emitOp(ShapeOp{ShapeKind::RoundRect, in(x1) + originX_, in(y1) + originY_, in(x2) + originX_, in(y2) + originY_,
                   in(cw), in(ch), pen_, brush_});
}

void TBaseReport::StretchDraw(const QRectF& rect, const QImage& picture) {
    emitOp(ImageOp{rect.left() + originX_, rect.top() + originY_, rect.right() + originX_, rect.bottom() + originY_,
                   picture});
}

void TBaseReport::PrintBitmapRect(double x1, double y1, double x2, double y2, const QImage& bitmap) {
    StretchDraw(CreateRect(x1, y1, x2, y2), bitmap);
}

// --- Printer selection -------------------------------------------------------------

bool TBaseReport::idle() {
    if (running_) {
        stateError(kAlreadyPrinting);
        return false;
    }
    return true;
}

void TBaseReport::SetOrientation(Orientation o) {
    if (!idle())
        return;
    orientation_ = o;
    if (o != Orientation::Default)
        PrinterDevice::shared().setOrientation(o == Orientation::Portrait ? PageOrientation::Portrait
                                                                          : PageOrientation::Landscape);
}

int TBaseReport::Copies() { return PrinterDevice::shared().copies(); }

void TBaseReport::SetCopies(int n) {
    if (idle())
        PrinterDevice::shared().setCopies(n);
}

QStringList TBaseReport::Printers() { return idle() ? PrinterDevice::shared().Printers() : QStringList(); }
int TBaseReport::PrinterIndex() { return PrinterDevice::shared().PrinterIndex(); }

void TBaseReport::SetPrinterIndex(int index) {
    if (idle())
        PrinterDevice::shared().SetPrinterIndex(index);
}

QStringList TBaseReport::Bins() { return idle() ? PrinterDevice::shared().Bins() : QStringList(); }
QStringList TBaseReport::Papers() { return idle() ? PrinterDevice::shared().Papers() : QStringList(); }
bool TBaseReport::SelectBin(const QString& text) { return idle() && PrinterDevice::shared().SelectBin(text); }
bool TBaseReport::SelectPaper(const QString& text) { return idle() && PrinterDevice::shared().SelectPaper(text); }
bool TBaseReport::SelectPrinter(const QString& text) { return idle() && PrinterDevice::shared().SelectPrinter(text); }

bool TBaseReport::SetPaperSize(int code, double width, double height) {
    return idle() && PrinterDevice::shared().SetPaperSize(code, in(width), in(height));
}

QString TBaseReport::DriverName() { return PrinterDevice::shared().DriverName(); }

bool TBaseReport::PrinterSetupDialog() {
    if (!idle())
        return false;
    PrinterDevice& device = PrinterDevice::shared();
    PrinterSetupRequest request;
    request.printers = device.Printers();
    request.printerIndex = device.PrinterIndex();
    request.papersOf = [&device](int i) { return device.papersOf(i); };
    request.binsOf = [&device](int i) { return device.binsOf(i); };
    request.paperIndex = int(device.Papers().indexOf(device.paperName()));
    request.binIndex = int(device.Bins().indexOf(device.bin()));
    request.landscape = device.orientation() == PageOrientation::Landscape;
    if (!dialogs().printerSetupDialog(request))
        return false;
    device.SetPrinterIndex(request.printerIndex);
    device.selectPaperAt(request.paperIndex);  // an index outside the list leaves the paper
    const QStringList bins = device.Bins();
    if (request.binIndex >= 0 && request.binIndex < bins.size())
        device.SelectBin(bins[request.binIndex]);
    device.setOrientation(request.landscape ? PageOrientation::Landscape : PageOrientation::Portrait);
    orientation_ = request.landscape ? Orientation::Landscape : Orientation::Portrait;
    return true;
}

bool TBaseReport::PrintDialog() {
    if (!idle())
        return false;
    PrinterDevice& device = PrinterDevice::shared();
    PrintDialogRequest request;
    request.printers = device.Printers();
    request.printerIndex = std::max(0, device.PrinterIndex());
    request.copies = device.copies();
    request.allPages = FirstPage <= 1 && LastPage >= 9999;
    request.fromPage = std::max(1, FirstPage);
    request.toPage = std::min(LastPage, 9999);
    request.maxPage = 0;
    if (!dialogs().printDialog(request))
        return false;
    device.SetPrinterIndex(request.printerIndex);
    device.setCopies(request.copies);
    FirstPage = request.allPages ? 1 : request.fromPage;
    LastPage = request.allPages ? 9999 : std::max(request.fromPage, request.toPage);
    return true;
}

}  // namespace qorvel::print
