// The report canvas: job cycle, page ranges, abort, misuse, status text, fonts,
// lines, tabs and the inch-to-pixel rules.
#include "print/painter_sink.h"
#include "print/status_format.h"
#include "recording_canvas.h"

#include "fake_printers.h"

#include <gtest/gtest.h>

using namespace qorvel::print;

namespace {

const QString kNotPrinting = QStringLiteral("Invalid method call.  ReportPrinter is not printing.");
const QString kAlreadyPrinting = QStringLiteral("Invalid method call.  ReportPrinter already printing.");

TEST(StatusFormat, ExpandsEveryCode) {
    StatusValues v;
    v.currentPage = 3;
    v.firstPage = 2;
    v.lastPage = 9;
    v.device = QStringLiteral("Office");
    v.driver = QStringLiteral("Acme");
    v.port = QStringLiteral("usb");
    v.lines = {QStringLiteral("zero"), QStringLiteral("one")};
    const struct {
        const char* format;
        const char* expected;
    } cases[] = {
        {"Page %p of %x", "Page 3 of <ERROR-%X>"},
        {"Page %P, pages %f-%l", "Page 3, pages 2-9"},
        {"%d/%r/%t", "Office/Acme/usb"},
        {"%0 %1 [%2] [%9]", "zero one [] []"},
        {"100%% done", "100% done"},
        {"ends with %", "ends with %"},
        {"%", "%"},
        {"Printing Page %p\r%0", "Printing Page 3\rzero"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandStatusFormat(QString::fromLatin1(c.format), v), QString::fromLatin1(c.expected)) << c.format;
}

TEST(DeviceMapping, FollowsTheInchPixelPenAndFontRules) {
    DeviceMapping printer;
    printer.dpiX = printer.dpiY = 600;
    printer.unprintableLeft = 0.25;
    // A label edge at 0.1 inch on a 0.25-inch strip lies outside the device: clipped, not shifted.
    EXPECT_EQ(printer.toX(0.1), -90);
    EXPECT_EQ(printer.toX(1.0), 450);
    EXPECT_EQ(printer.toY(1.0), 600);

    const struct {
        double dpi, zoom;
        int width, pixels;
    } pens[] = {
        {1200, 100, -1, 12}, {1200, 100, -10, 120}, {96, 100, -1, 1},  {100, 50, -10, 5},
        {96, 100, 0, 1},     {96, 100, 3, 3},       {1200, 100, 1, 1}, {96, 200, -5, 10},
    };
    for (const auto& p : pens) {
        DeviceMapping m;
        m.dpiX = m.dpiY = p.dpi;
        m.zoom = p.zoom;
        EXPECT_EQ(m.penPixels(p.width), p.pixels) << p.dpi << " dpi, zoom " << p.zoom << ", width " << p.width;
    }

    DeviceMapping preview;
    preview.dpiX = preview.dpiY = 96;
    preview.zoom = 50;
    EXPECT_EQ(preview.fontPixels(10), 7);  // 6.67 rounds up
    EXPECT_EQ(preview.toX(1.0), 48);
    DeviceMapping pdf;
    pdf.dpiX = pdf.dpiY = 1200;
    EXPECT_EQ(pdf.fontPixels(10), 167);
}

TEST(Canvas, JobRaisesItsEventsInOrder) {
    RecordingCanvas c;
    QStringList events;
    c.OnBeforePrint = [&](TBaseReport&) { events << "before"; };
    c.OnNewPage = [&](TBaseReport& r) { events << QStringLiteral("newpage %1").arg(r.CurrentPage()); };
    c.OnPrintHeader = [&](TBaseReport&) { events << "header"; };
    c.OnPrintFooter = [&](TBaseReport&) { events << "footer"; };
    c.OnAfterPrint = [&](TBaseReport&) { events << "after"; };
    c.OnPrint = [&](TBaseReport& r) {
        events << "print";
        r.PrintLn("one");
        r.NewPage();
        r.PrintLn("two");
    };
    EXPECT_TRUE(c.Execute());
    EXPECT_EQ(events, QStringList({"before", "newpage 1", "header", "print", "footer", "newpage 2", "header", "footer",
                                   "after"}));
    ASSERT_EQ(c.pages.size(), 2u);
    EXPECT_EQ(c.pages[1].info.number, 2);
    EXPECT_TRUE(c.errors.isEmpty());
}

TEST(Canvas, PrintPageHandlerRunsUntilItSaysNoMore) {
    RecordingCanvas c;
    c.OnPrintPage = [](TBaseReport& r, int& page) {
        r.PrintLn(QStringLiteral("page %1").arg(page));
        return page < 3;
    };
    EXPECT_TRUE(c.Execute());
    EXPECT_EQ(c.pages.size(), 3u);
}

TEST(Canvas, PagesOutsideTheRangeAreDrawnToNowhere) {
    RecordingCanvas c;
    c.FirstPage = 2;
    c.LastPage = 3;
    c.OnPrint = [](TBaseReport& r) {
        for (int i = 1; i <= 4; ++i) {
            r.PrintLn(QStringLiteral("page %1").arg(i));
            if (i < 4)
                r.NewPage();
        }
    };
    EXPECT_TRUE(c.Execute());
    ASSERT_EQ(c.pages.size(), 2u);
    EXPECT_EQ(c.pages[0].info.number, 2);
    EXPECT_EQ(std::get<TextOp>(c.pages[0].ops[0]).text, "page 2");
    EXPECT_EQ(c.pages[1].info.number, 3);
}

TEST(Canvas, AbortIgnoresFurtherDrawingAndEndsTheJobAborted) {
    RecordingCanvas c;
    int footers = 0;
    bool after = false;
    c.OnPrintFooter = [&](TBaseReport&) { ++footers; };
    c.OnAfterPrint = [&](TBaseReport&) { after = true; };
    c.OnPrint = [](TBaseReport& r) {
        r.PrintLn("kept");
        r.Abort();
        r.PrintLn("dropped");
        r.NewPage();
        r.PrintLn("dropped too");
    };
    EXPECT_FALSE(c.Execute());
    EXPECT_TRUE(c.Aborted());
    EXPECT_TRUE(after);
    ASSERT_EQ(c.pages.size(), 1u);
    EXPECT_EQ(c.pages[0].ops.size(), 1u);
    EXPECT_EQ(footers, 1) << "NewPage raises it; the job's closing footer is not raised for an aborted job";
}

TEST(Canvas, OutputThatCannotOpenEndsTheJobWithoutDrawing) {
    RecordingCanvas c;
    c.refuseOpen = true;
    bool printed = false;
    c.OnPrint = [&](TBaseReport&) { printed = true; };
    EXPECT_FALSE(c.Execute());
    EXPECT_TRUE(c.Aborted());
    EXPECT_FALSE(printed);
}

TEST(Canvas, MisuseIsReportedAndChangesNothing) {
    RecordingCanvas c;
    c.PrintLn("outside a job");
    c.NewPage();
    c.Rectangle(1, 1, 2, 2);
    EXPECT_EQ(c.errors, QStringList({kNotPrinting, kNotPrinting, kNotPrinting}));
    EXPECT_TRUE(c.pages.empty());

    c.errors.clear();
    bool secondRan = true;
    c.OnPrint = [&](TBaseReport& r) {
        secondRan = r.Execute();
        r.SetPaperSize(9);
        r.SetPrinterIndex(0);
        r.PrintLn("drawn");
        r.ResetPrinterMetrics();
    };
    EXPECT_TRUE(c.Execute());
    EXPECT_FALSE(secondRan);
    EXPECT_EQ(c.errors, QStringList({kAlreadyPrinting, kAlreadyPrinting, kAlreadyPrinting, kAlreadyPrinting}));
}

TEST(Canvas, FontsLinesAndCursor) {
    RecordingCanvas c;
    c.OnPrint = [](TBaseReport& r) {
        r.SetFont("Arial", 12);
        EXPECT_DOUBLE_EQ(r.LineHeight(), 0.2);  // 120 % of the size
        r.SetFontBold(true);
        r.SetFontRotation(450);
        EXPECT_EQ(r.FontRotation(), 90);
        r.SetFontRotation(-90);
        EXPECT_EQ(r.FontRotation(), 270);
        r.SetFont("Courier New", 0);  // ignored
        EXPECT_EQ(r.font().name, "Arial");
        EXPECT_TRUE(r.font().bold);
        EXPECT_EQ(r.FontRotation(), 270);
        r.SetFont("Arial", 10);  // resets the style
        EXPECT_FALSE(r.font().bold);
        EXPECT_EQ(r.FontRotation(), 0);

        r.Home();
        EXPECT_DOUBLE_EQ(r.CursorX(), r.SectionLeft());
        EXPECT_NEAR(r.CursorY(), r.SectionTop() + r.LineHeight() - r.FontDescent(), 1e-12);
        const double y = r.CursorY();
        r.PrintLn("line");
        EXPECT_NEAR(r.CursorY(), y + r.LineHeight(), 1e-12);

        r.PrintLeft("abc", 2);
        EXPECT_NEAR(r.CursorX(), 2 + r.TextWidth("abc"), 1e-12);
        r.PrintRight("abc", 5);
        EXPECT_DOUBLE_EQ(r.CursorX(), 5);
        r.PrintCenter("abc", 4);
        EXPECT_NEAR(r.CursorX(), 4 + r.TextWidth("abc") / 2, 1e-12);
        EXPECT_GT(r.TextWidth(""), 0) << "at least one pixel";

        r.LineHeightMethod_ = TBaseReport::LineHeightMethod::LinesPerInch;
        r.LinesPerInch = 8;
        r.UpdateLineHeight();
        EXPECT_DOUBLE_EQ(r.LineHeight(), 0.125);
        r.LinesPerInch = 0;  // ignored
        r.UpdateLineHeight();
        EXPECT_DOUBLE_EQ(r.LineHeight(), 0.125);
        r.SetCursor(1, 10.3);
        EXPECT_EQ(r.LinesLeft(), 1);  // section bottom at 10.5
    };
    EXPECT_TRUE(c.Execute());
    EXPECT_TRUE(c.errors.isEmpty());
}

TEST(Canvas, OriginAndUnitsApplyToWhatFollows) {
    RecordingCanvas c;
    c.OnPrint = [](TBaseReport& r) {
        r.SetOriginX(1);
        r.SetOriginY(2);
        r.Rectangle(0, 0, 1, 1);
        r.NewPage();  // resets the origin
        r.UnitsFactor = 25.4;
        r.Rectangle(25.4, 50.8, 50.8, 76.2);
        r.UnitsFactor = 1;
    };
    EXPECT_TRUE(c.Execute());
    const auto shapes = c.all<ShapeOp>();
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_DOUBLE_EQ(shapes[0].x1, 1);
    EXPECT_DOUBLE_EQ(shapes[0].y2, 3);
    EXPECT_DOUBLE_EQ(shapes[1].x1, 1);
    EXPECT_DOUBLE_EQ(shapes[1].y1, 2);
    EXPECT_DOUBLE_EQ(shapes[1].y2, 3);
}

TEST(Canvas, SectionBoundsPullTheCursorIn) {
    RecordingCanvas c;
    c.OnPrint = [](TBaseReport& r) {
        r.SetCursor(0.2, 0.2);
        r.SetSectionLeft(1);
        r.SetSectionTop(1.5);
        EXPECT_DOUBLE_EQ(r.CursorX(), 1);
        EXPECT_DOUBLE_EQ(r.CursorY(), 1.5);
        r.ResetSection();
        EXPECT_DOUBLE_EQ(r.SectionLeft(), 0.5);
        EXPECT_DOUBLE_EQ(r.SectionBottom(), 10.5);
    };
    EXPECT_TRUE(c.Execute());
}

TEST(Canvas, TabCellsShadeBoxAndJustify) {
    RecordingCanvas c;
    c.OnPrint = [](TBaseReport& r) {
        r.SetFont("Arial", 12);
        r.SetTab(1.0, TBaseReport::Left, 2.0, 10, TBaseReport::BoxLeft | TBaseReport::BoxBottom, 25);
        r.SetTab(-1, TBaseReport::Right, 1.0, 10, 0, 0);
        r.SetTab(-1, TBaseReport::Center, 0, 0, 15, 0);  // a plain position without a cell
        EXPECT_DOUBLE_EQ(r.TabStart(1), 1.1);
        EXPECT_DOUBLE_EQ(r.TabStart(2), 3.1);
        EXPECT_DOUBLE_EQ(r.TabStart(3), 4.0);
        r.SetCursor(0.5, 2.0);
        r.Print("\tleft\tright\tplain");
        r.NewLine();
        r.Tab(0, TBaseReport::kDefault, -2, TBaseReport::kDefault, 0);  // no left line, a top line, no shade
    };
    EXPECT_TRUE(c.Execute());
    const auto texts = c.all<TextOp>();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_DOUBLE_EQ(texts[0].x, 1.1);
    EXPECT_NEAR(texts[1].x + c.TextWidth("right"), 3.9, 1e-9);
    EXPECT_DOUBLE_EQ(texts[2].x, 4.0);

    const auto fills = c.all<ShapeOp>();
    ASSERT_EQ(fills.size(), 1u) << "only the shaded stop is filled, and the override 0 suppresses the second";
    EXPECT_EQ(fills[0].kind, ShapeKind::Fill);
    EXPECT_EQ(qRed(fills[0].brush.color), 191);  // 25 % shade
    EXPECT_NEAR(fills[0].y2, 2.0 + c.FontDescent(), 1e-9);
    EXPECT_NEAR(fills[0].y2 - fills[0].y1, 0.2, 1e-9);

    const auto lines = c.all<LineOp>();
    ASSERT_EQ(lines.size(), 4u);  // left + bottom of row one; top + bottom of row two
    EXPECT_DOUBLE_EQ(lines[0].x1, 1.0);
    EXPECT_DOUBLE_EQ(lines[0].x2, 1.0);
    EXPECT_DOUBLE_EQ(lines[2].y1, lines[2].y2);
    EXPECT_EQ(lines[2].pen.width, -2);
}

TEST(Canvas, EachPageStartsWithDefaultPenBrushAndNoTabs) {
    RecordingCanvas c;
    c.OnPrint = [](TBaseReport& r) {
        r.SetPen(qRgb(255, 0, 0), PenStyle::Dash, -5);
        r.SetBrush(qRgb(0, 255, 0), BrushStyle::Solid);
        r.SetTab(1, TBaseReport::Left, 1, 0, 15, 0);
        r.NewPage();
        r.Rectangle(1, 1, 2, 2);
        r.Tab();
    };
    EXPECT_TRUE(c.Execute());
    const auto shapes = c.all<ShapeOp>();
    ASSERT_EQ(shapes.size(), 1u);
    EXPECT_EQ(shapes[0].pen.width, 1);
    EXPECT_EQ(shapes[0].pen.style, PenStyle::Solid);
    EXPECT_EQ(shapes[0].brush.style, BrushStyle::Clear);
    EXPECT_TRUE(c.all<LineOp>().empty());
}

TEST(Canvas, OrientationActsOnTheDeviceAtOnce) {
    RealPrintersAfterTest restore;
    FakePrinters none;
    none.install();
    RecordingCanvas c;
    c.SetOrientation(TBaseReport::Orientation::Landscape);
    EXPECT_EQ(PrinterDevice::shared().orientation(), PageOrientation::Landscape);
    c.SetOrientation(TBaseReport::Orientation::Default);
    EXPECT_EQ(PrinterDevice::shared().orientation(), PageOrientation::Landscape) << "Default leaves the device alone";
}

}  // namespace
