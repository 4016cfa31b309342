#pragma once

#include "print/report_ops.h"
#include "print/status_format.h"

#include <QDateTime>
#include <QImage>
#include <QRectF>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace qorvel::print {

// The report canvas: every printed or previewed page is drawn through it, in inches
// from the top-left corner of the sheet, with fonts in points. A driver assigns the
// events, sets the properties and calls Execute(); the handlers draw with the
// operations below. Subclasses decide where the pages go (a printer, a recording).
class TBaseReport {
public:
    enum class Orientation { Portrait, Landscape, Default };
    enum class LineHeightMethod { LinesPerInch, Font, User };
    enum Justify { Center = 0, Left = 1, Right = 2, Block = 3 };
    enum BoxLine { BoxLeft = 1, BoxRight = 2, BoxTop = 4, BoxBottom = 8 };
    static constexpr int kDefault = -32768;  // a Tab() override left at the stop's own setting

    virtual ~TBaseReport();

    // --- Properties --------------------------------------------------------------------
    double UnitsFactor = 1.0;  // coordinates given are divided by this to give inches
    double MarginLeft = 0.5, MarginRight = 0.5, MarginTop = 0.5, MarginBottom = 0.5;
    LineHeightMethod LineHeightMethod_ = LineHeightMethod::Font;
    double LinesPerInch = 6;
    double ScaleX = 100, ScaleY = 100;
    QString Title;
    std::function<void(const QString&)> StatusLabel;  // shows the status text
    QString StatusFormat;
    QStringList StatusText;
    int FirstPage = 1, LastPage = 9999;
    int TabShade = 0;
    bool TextOpaque = false;  // text background: opaque (white) or transparent

    // --- Events ----------------------------------------------------------------------
    using Event = std::function<void(TBaseReport&)>;
    Event OnPrint, OnBeforePrint, OnAfterPrint, OnNewPage, OnNewColumn, OnPrintHeader, OnPrintFooter,
        OnEndOfSection;
    std::function<bool(TBaseReport&, int& page)> OnPrintPage;

    // --- Job control -----------------------------------------------------------------
    // Runs one job; false when it could not start, failed or was aborted.
    bool Execute();
    void NewPage();
    void Abort();
    bool Aborted() const { return aborted_; }
    // The output could not be finished (the file could not be written, the queue refused it).
    bool Failed() const { return failed_; }
    int CurrentPage() const { return page_; }
    bool running() const { return running_; }
    void UpdateStatus();
    QDateTime jobStarted() const { return jobStarted_; }

    // --- Page geometry (inches) ----------------------------------------------------------
    double PageWidth() const { return pageWidth_; }
    double PageHeight() const { return pageHeight_; }
    double UnprintableLeft() const { return unprintable_[0]; }
    double UnprintableTop() const { return unprintable_[1]; }
    double UnprintableRight() const { return unprintable_[2]; }
    double UnprintableBottom() const { return unprintable_[3]; }
    double SectionLeft() const { return section_.left(); }
    double SectionRight() const { return section_.right(); }
    double SectionTop() const { return section_.top(); }
    double SectionBottom() const { return section_.bottom(); }
    void SetSectionLeft(double v);
    void SetSectionRight(double v);
    void SetSectionTop(double v);
    void SetSectionBottom(double v);
    void ResetSection();
    void ResetPrinterMetrics();
    void SetOriginX(double v) { originX_ = in(v); }
    void SetOriginY(double v) { originY_ = in(v); }
    double OriginX() const { return originX_; }
    double OriginY() const { return originY_; }

    // --- Text cursor and lines -----------------------------------------------------------
    double CursorX() const { return cursorX_; }
    double CursorY() const { return cursorY_; }
    void SetCursorX(double x) { cursorX_ = in(x); }
    void SetCursorY(double y) { cursorY_ = in(y); }
    void SetCursor(double x, double y);
    void Home();
    void NewLine();
    int LinesLeft() const;
    double LineHeight() const { return lineHeight_; }
    void SetLineHeight(double v) { lineHeight_ = in(v); }
    double FontAscent() const;
    double FontDescent() const;
    void UpdateLineHeight();

    // --- Fonts -----------------------------------------------------------------------
    void SetFont(const QString& name, double size);
    void SetFontBold(bool on) { font_.bold = on; }
    void SetFontItalic(bool on) { font_.italic = on; }
    void SetFontUnderline(bool on) { font_.underline = on; }
    void SetFontStrikeOut(bool on) { font_.strikeOut = on; }
    void SetFontColor(QRgb c) { font_.color = c | 0xFF000000; }
    void SetFontRotation(int degrees) { font_.rotation = ((degrees % 360) + 360) % 360; }
    int FontRotation() const { return font_.rotation; }
    double FontHeight() const;
    const FontSpec& font() const { return font_; }

    // --- Text output -----------------------------------------------------------------
    void Print(const QString& text);
    void PrintLn(const QString& text);
    void PrintLeft(const QString& text, double x);
    void PrintCenter(const QString& text, double x);
    void PrintRight(const QString& text, double x);
    void TextRect(const QRectF& rect, double x, double y, const QString& text);
    double TextWidth(const QString& text) const;
    QRectF CreateRect(double x1, double y1, double x2, double y2) const;

    // --- Tab stops ------------------------------------------------------------------
    void SetTab(double x, int justify, double width, int margin, int boxLines, int shade);
    void ClearTabs();
    void SaveTabs();
    void RestoreTabs();
    void Tab(int left = kDefault, int right = kDefault, int top = kDefault, int bottom = kDefault,
             int shade = kDefault);
    double TabStart(int n) const;

    // --- Graphics --------------------------------------------------------------------
    void SetPen(QRgb color, PenStyle style, int width);
    void SetBrush(QRgb color, BrushStyle style);
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Rectangle(double x1, double y1, double x2, double y2);
    void Ellipse(double x1, double y1, double x2, double y2);
    void RoundRect(double x1, double y1, double x2, double y2, double cornerWidth, double cornerHeight);
    void StretchDraw(const QRectF& rect, const QImage& picture);
    void PrintBitmapRect(double x1, double y1, double x2, double y2, const QImage& bitmap);

    // --- Printer selection, on the shared printer device; refused during a job ------
    Orientation orientation() const { return orientation_; }
    void SetOrientation(Orientation o);  // Portrait and Landscape act on the device at once
    int Copies();
    void SetCopies(int n);
    QStringList Printers();
    int PrinterIndex();
    void SetPrinterIndex(int index);
    QStringList Bins();
    QStringList Papers();
    bool SelectBin(const QString& text);
    bool SelectPaper(const QString& text);
    bool SelectPrinter(const QString& text);
    bool SetPaperSize(int code, double width = 0, double height = 0);
    QString DriverName();
    bool PrinterSetupDialog();
    bool PrintDialog();

    // The device the pages go to, for the status text: the shared printer device.
    virtual QString deviceName() const;
    virtual QString driverName() const;
    virtual QString portName() const;

protected:
    struct Metrics {
        double width = 8.5, height = 11;
        std::array<double, 4> unprintable{0, 0, 0, 0};  // left, top, right, bottom
    };
    // Opens the output; false when the job cannot start (cancelled or failed).
    virtual bool openOutput() = 0;
    // Finishes (or, aborted, discards) the output; false when it could not be finished.
    virtual bool closeOutput(bool aborted) = 0;
    virtual PageSink& sink() = 0;
    // The selected printer's sheet and unprintable strips.
    virtual Metrics readMetrics();
    // Reports a programming error (a call in the wrong state).
    virtual void stateError(const QString& message);

private:
    struct TabStop {
        double x, width, margin;
        int justify, boxLines, shade;
    };
    double in(double v) const { return v / UnitsFactor; }
    bool drawing();  // running and on a page that is output; reports misuse
    bool idle();     // no job runs; reports misuse
    void emitOp(const DrawOp& op);
    void startPage();
    void endPage();
    void textAt(const QString& text, double x);

    Orientation orientation_ = Orientation::Default;
    bool running_ = false, aborted_ = false, failed_ = false, skip_ = false, pageOpen_ = false, drawn_ = false;
    int page_ = 0;
    QDateTime jobStarted_;
    double pageWidth_ = 8.5, pageHeight_ = 11;
    std::array<double, 4> unprintable_{0, 0, 0, 0};
    QRectF section_ = QRectF(0.5, 0.5, 7.5, 10);
    double originX_ = 0, originY_ = 0;
    double cursorX_ = 0, cursorY_ = 0, penX_ = 0, penY_ = 0;
    double lineHeight_ = 0;
    FontSpec font_;
    PenSpec pen_;
    BrushSpec brush_;
    std::vector<TabStop> tabs_;
    std::vector<std::vector<TabStop>> savedTabs_;
    int currentTab_ = -1;
};

}  // namespace qorvel::print
