#pragma once

#include "print/report_ops.h"

class QPainter;

namespace qorvel::print {

// How inches become device pixels: device x = round(((x) × scale × zoom / 10000 −
// unprintable left) × dpi), and likewise for y.
struct DeviceMapping {
    double dpiX = 96, dpiY = 96;
    double unprintableLeft = 0, unprintableTop = 0;  // inches
    double scaleX = 100, scaleY = 100;               // percent
    double zoom = 100;                               // percent

    double toX(double inches) const;
    double toY(double inches) const;
    int penPixels(int width) const;       // the pen width rule
    int fontPixels(double points) const;  // the font height rule
};

// Draws operations with a QPainter on whatever device it paints: a printer, a PDF
// writer or a preview image.
class PainterSink : public PageSink {
public:
    PainterSink(QPainter& painter, const DeviceMapping& mapping);

    void beginPage(const PageInfo& page) override { setScale(page.scaleX, page.scaleY); }
    void setScale(double x, double y) {
        map_.scaleX = x;
        map_.scaleY = y;
    }
    void draw(const DrawOp& op) override;
    void endPage() override {}

    // The font asked for, at this device's size.
    QFont deviceFont(const FontSpec& wanted) const;

private:
    QPen pen(const PenSpec& wanted) const;
    QBrush brush(const BrushSpec& wanted) const;
    QRectF box(double x1, double y1, double x2, double y2) const;

    QPainter& painter_;
    DeviceMapping map_;
};

// A font as every canvas measures and draws it: no hinting, so that widths scale
// exactly with the resolution and print and preview lay text out alike.
QFont canvasFont(const FontSpec& wanted, int pixelSize);

}  // namespace qorvel::print
