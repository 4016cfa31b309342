#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <variant>

// What a report canvas puts on a page, in inches from the sheet's top-left corner,
// with everything needed to draw it. The printer draws these at once; the filer
// records them and the preview plays them back, so both draw the same things.
namespace qorvel::print {

struct FontSpec {
    QString name = QStringLiteral("Arial");
    double size = 10;  // points
    bool bold = false, italic = false, underline = false, strikeOut = false;
    QRgb color = 0xFF000000;
    int rotation = 0;  // degrees, counter-clockwise, 0..359
};

enum class PenStyle : uint8_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear };
enum class BrushStyle : uint8_t { Solid, Clear, Horizontal, Vertical, FDiagonal, BDiagonal, Cross, DiagCross };

struct PenSpec {
    QRgb color = 0xFF000000;
    PenStyle style = PenStyle::Solid;
    int width = 1;  // > 0 device pixels; < 0 hundredths of an inch; 0 one pixel
};

struct BrushSpec {
    QRgb color = 0xFF000000;
    BrushStyle style = BrushStyle::Clear;
};

struct TextOp {
    double x, y;  // baseline start
    QString text;
    FontSpec font;
    bool opaque = false;  // background filled white behind the text
};
struct LineOp {
    double x1, y1, x2, y2;
    PenSpec pen;
};
enum class ShapeKind : uint8_t { Rectangle, Ellipse, RoundRect, Fill };
struct ShapeOp {
    ShapeKind kind;
    double x1, y1, x2, y2;
    double cornerWidth = 0, cornerHeight = 0;  // round rectangles
    PenSpec pen;                               // not used by Fill
    BrushSpec brush;
};
struct TextRectOp {
    double x1, y1, x2, y2;  // clip rectangle
    double x, y;            // top-left corner of the text
    QString text;
    FontSpec font;
    BrushSpec brush;  // background of the rectangle unless clear
};
struct ImageOp {
    double x1, y1, x2, y2;
    QImage image;
};

using DrawOp = std::variant<TextOp, LineOp, ShapeOp, TextRectOp, ImageOp>;

// A page as it begins: its number in the job, the sheet's physical size and the
// percent scale of everything drawn on it.
struct PageInfo {
    int number = 1;
    double width = 8.5, height = 11;  // inches
    double scaleX = 100, scaleY = 100;
};

// Receives the pages of a job.
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual void beginPage(const PageInfo& page) = 0;
    virtual void draw(const DrawOp& op) = 0;
    virtual void endPage() = 0;
};

}  // namespace qorvel::print
