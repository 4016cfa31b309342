#include "demo_page.h"

#include "print/base_report.h"

#include <QImage>
#include <QPainter>

namespace qorvel::print {

namespace {

QImage demoBitmap() {
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const bool check = ((x / 8) + (y / 8)) % 2 == 0;
            image.setPixel(x, y, check ? qRgb(30, 90, 200) : qRgb(250, 200, 40));
        }
    }
    return image;
}

void heading(TBaseReport& r, const QString& text, double y) {
    r.SetFont(QStringLiteral("Arial"), 11);
    r.SetFontBold(true);
    r.SetCursorY(y);
    r.PrintLeft(text, 0.75);
}

void textSamples(TBaseReport& r) {
    r.SetFont(QStringLiteral("Arial"), 20);
    r.SetFontBold(true);
    r.SetCursorY(1.0);
    r.PrintCenter(QStringLiteral("Qorvel print demo"), r.PageWidth() / 2);

    r.SetCursorY(1.45);
    r.SetFont(QStringLiteral("Times New Roman"), 12);
    r.SetFontItalic(true);
    r.PrintLeft(QStringLiteral("Italic serif"), 0.75);
    r.SetFont(QStringLiteral("Arial"), 12);
    r.SetFontUnderline(true);
    r.PrintCenter(QStringLiteral("Underlined"), 4.25);
    r.SetFont(QStringLiteral("Courier New"), 12);
    r.SetFontStrikeOut(true);
    r.SetFontColor(qRgb(200, 0, 0));
    r.PrintRight(QStringLiteral("Struck out, red"), 7.75);

    // Four rotations around one point.
    r.SetFont(QStringLiteral("Arial"), 10);
    r.SetCursorY(8.6);
    for (int angle : {0, 90, 180, 270}) {
        r.SetFontRotation(angle);
        r.PrintLeft(QStringLiteral("   %1 degrees").arg(angle), 6.3);
    }
    r.SetFontRotation(0);
}

void clippedText(TBaseReport& r) {
    r.SetFont(QStringLiteral("Arial"), 14);
    r.SetBrush(qRgb(255, 250, 190), BrushStyle::Solid);
    const QRectF box = r.CreateRect(2.5, 1.8, 6.5, 2.3);
    r.TextRect(box, 2.6, 1.9, QStringLiteral("This text is longer than its box and is cut at the edge of it."));
    r.SetBrush(0, BrushStyle::Clear);
    r.SetPen(0, PenStyle::Solid, -1);
    r.Rectangle(2.5, 1.8, 6.5, 2.3);
}

void tabTable(TBaseReport& r) {
    r.SetFont(QStringLiteral("Arial"), 10);
    r.SetCursor(0.75, 3.2);
    r.ClearTabs();
    r.SetTab(0.75, TBaseReport::Left, 2.0, 5, 15, 20);
    r.SetTab(-1, TBaseReport::Center, 1.5, 5, 15, 0);
    r.SetTab(-1, TBaseReport::Right, 1.5, 5, 15, 10);
    r.SetTab(-1, TBaseReport::Block, 1.5, 5, 15, 0);
    const QStringList rows[] = {
        {QStringLiteral("Name"), QStringLiteral("City"), QStringLiteral("ZIP"), QStringLiteral("State")},
        {QStringLiteral("John Q. Smith"), QStringLiteral("Springfield"), QStringLiteral("62701"), QStringLiteral("IL")},
        {QStringLiteral("Mary Jones"), QStringLiteral("Boston"), QStringLiteral("02108"), QStringLiteral("MA")},
    };
    for (const QStringList& row : rows) {
        r.Print(QStringLiteral("\t") + row.join(QLatin1Char('\t')));
        r.NewLine();
    }
    // A cell with its own box lines: none on the left, thicker right and bottom, darker shade.
    r.Tab(0, -3, TBaseReport::kDefault, -4, 40);
    r.Print(QStringLiteral("Overrides"));
    r.NewLine();
}

void penWidths(TBaseReport& r) {
    for (int w = 1; w <= 10; ++w) {
        r.SetPen(qRgb(0, 0, 0), PenStyle::Solid, -w);
        const double y = 4.6 + w * 0.2;
        r.MoveTo(0.75, y);
        r.LineTo(3.25, y);
    }
    r.SetPen(qRgb(0, 120, 0), PenStyle::Dash, 1);
    r.MoveTo(0.75, 6.9);
    r.LineTo(3.25, 6.9);
}

void shapes(TBaseReport& r) {
    r.SetPen(qRgb(0, 0, 0), PenStyle::Solid, -2);
    r.SetBrush(qRgb(180, 220, 255), BrushStyle::Solid);
    r.Rectangle(3.75, 4.75, 5.25, 5.75);
    r.SetBrush(qRgb(255, 200, 200), BrushStyle::Solid);
    r.RoundRect(5.75, 4.75, 7.5, 5.75, 0.4, 0.4);
    r.SetBrush(qRgb(200, 255, 200), BrushStyle::Solid);
    r.Ellipse(3.75, 6.0, 5.25, 7.0);
    r.SetBrush(0, BrushStyle::Clear);
    r.SetPen(qRgb(120, 0, 160), PenStyle::Solid, -3);
    r.Ellipse(5.75, 6.0, 7.5, 7.0);
    r.PrintBitmapRect(0.75, 7.5, 2.75, 9.0, demoBitmap());
    r.StretchDraw(r.CreateRect(3.25, 7.5, 4.25, 8.25), demoBitmap());
}

}  // namespace

void drawDemoJob(TBaseReport& r) {
    textSamples(r);
    heading(r, QStringLiteral("Clipped text"), 2.1);
    clippedText(r);
    heading(r, QStringLiteral("Tab table"), 2.9);
    tabTable(r);
    heading(r, QStringLiteral("Pen widths and shapes"), 4.55);
    penWidths(r);
    shapes(r);
    r.SetFont(QStringLiteral("Arial"), 9);
    r.SetCursorY(10.4);
    r.PrintCenter(QStringLiteral("Page %1").arg(r.CurrentPage()), r.PageWidth() / 2);
    r.NewPage();
    r.SetFont(QStringLiteral("Arial"), 14);
    r.Home();
    r.PrintLn(QStringLiteral("Second page"));
    r.PrintLn(QStringLiteral("Page %1").arg(r.CurrentPage()));
}

}  // namespace qorvel::print
