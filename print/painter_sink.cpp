#include "painter_sink.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace qorvel::print {

double DeviceMapping::toX(double in) const {
    return std::round((in * scaleX * zoom / 10000.0 - unprintableLeft) * dpiX);
}

double DeviceMapping::toY(double in) const {
    return std::round((in * scaleY * zoom / 10000.0 - unprintableTop) * dpiY);
}

int DeviceMapping::penPixels(int width) const {
    if (width < 0)
        return std::max(1, int(std::lround(-width * dpiX * scaleX * zoom / 1000000.0)));
    return std::max(1, width);
}

int DeviceMapping::fontPixels(double points) const {
    return std::max(1, int(std::lround(dpiY * points / 72.0 * scaleY * zoom / 10000.0)));
}

QFont canvasFont(const FontSpec& wanted, int pixelSize) {
    QFont f(wanted.name);
    f.setPixelSize(std::max(1, pixelSize));
    f.setBold(wanted.bold);
    f.setItalic(wanted.italic);
    f.setUnderline(wanted.underline);
    f.setStrikeOut(wanted.strikeOut);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

PainterSink::PainterSink(QPainter& painter, const DeviceMapping& mapping) : painter_(painter), map_(mapping) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QFont PainterSink::deviceFont(const FontSpec& wanted) const { return canvasFont(wanted, map_.fontPixels(wanted.size)); }

QPen PainterSink::pen(const PenSpec& s) const {
    if (s.style == PenStyle::Clear)
        return Qt::NoPen;
    QPen p(QColor::fromRgba(s.color));
    const int width = map_.penPixels(s.width);
    p.setWidth(width);
    p.setCapStyle(Qt::FlatCap);
    if (s.style != PenStyle::Solid) {
        // Dashes measured in hundredths of an inch (or pen widths, if wider), so a
        // dashed line looks the same on a 1200 dpi page as on the screen.
        static const QList<qreal> kPatterns[] = {{}, {4, 2}, {1, 2}, {4, 2, 1, 2}, {4, 2, 1, 2, 1, 2}};
        const double unit = std::max<double>(width, map_.dpiX * map_.scaleX * map_.zoom / 1000000.0);
        QList<qreal> pattern;
        for (qreal v : kPatterns[size_t(s.style)])
            pattern << v * unit / width;
        p.setDashPattern(pattern);
    }
    p.setJoinStyle(Qt::MiterJoin);
    return p;
}

QBrush PainterSink::brush(const BrushSpec& s) const {
    static const Qt::BrushStyle kStyles[] = {Qt::SolidPattern, Qt::NoBrush,        Qt::HorPattern,
                                             Qt::VerPattern,   Qt::FDiagPattern,   Qt::BDiagPattern,
                                             Qt::CrossPattern, Qt::DiagCrossPattern};
    return QBrush(QColor::fromRgba(s.color), kStyles[size_t(s.style)]);
}

QRectF PainterSink::box(double x1, double y1, double x2, double y2) const {
    const double l = map_.toX(std::min(x1, x2)), r = map_.toX(std::max(x1, x2));
    const double t = map_.toY(std::min(y1, y2)), b = map_.toY(std::max(y1, y2));
    return QRectF(l, t, r - l, b - t);
}

void PainterSink::draw(const DrawOp& op) {
    painter_.save();
    if (const auto* t = std::get_if<TextOp>(&op)) {
        const QFont font = deviceFont(t->font);
        painter_.setFont(font);
        painter_.setPen(QColor::fromRgba(t->font.color));
        painter_.translate(map_.toX(t->x), map_.toY(t->y));
        if (t->font.rotation != 0)
            painter_.rotate(-t->font.rotation);
        if (t->opaque) {
            const QFontMetricsF fm(font);
            painter_.fillRect(QRectF(0, -fm.ascent(), fm.horizontalAdvance(t->text), fm.height()), Qt::white);
        }
        painter_.drawText(QPointF(0, 0), t->text);
    } else if (const auto* l = std::get_if<LineOp>(&op)) {
        painter_.setPen(pen(l->pen));
        painter_.drawLine(QPointF(map_.toX(l->x1), map_.toY(l->y1)), QPointF(map_.toX(l->x2), map_.toY(l->y2)));
    } else if (const auto* s = std::get_if<ShapeOp>(&op)) {
        const QRectF r = box(s->x1, s->y1, s->x2, s->y2);
        if (s->kind == ShapeKind::Fill) {
            painter_.fillRect(r, QColor::fromRgba(s->brush.color));
        } else {
            painter_.setPen(pen(s->pen));
            painter_.setBrush(brush(s->brush));
            if (s->kind == ShapeKind::Rectangle) {
                painter_.drawRect(r);
            } else if (s->kind == ShapeKind::Ellipse) {
                painter_.drawEllipse(r);
            } else {
                const double rx = (map_.toX(s->cornerWidth) - map_.toX(0)) / 2;
                const double ry = (map_.toY(s->cornerHeight) - map_.toY(0)) / 2;
                painter_.drawRoundedRect(r, rx, ry);
            }
        }
    } else if (const auto* tr = std::get_if<TextRectOp>(&op)) {
        const QRectF r = box(tr->x1, tr->y1, tr->x2, tr->y2);
        if (tr->brush.style != BrushStyle::Clear)
            painter_.fillRect(r, brush(tr->brush));
        painter_.setClipRect(r, Qt::IntersectClip);
        const QFont font = deviceFont(tr->font);
        painter_.setFont(font);
        painter_.setPen(QColor::fromRgba(tr->font.color));
        const QFontMetricsF fm(font);
        painter_.drawText(QPointF(map_.toX(tr->x), map_.toY(tr->y) + fm.ascent()), tr->text);
    } else if (const auto* im = std::get_if<ImageOp>(&op)) {
        painter_.drawImage(box(im->x1, im->y1, im->x2, im->y2), im->image);
    }
    painter_.restore();
}

}  // namespace qorvel::print
