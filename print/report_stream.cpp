#include "report_stream.h"

#include <QBuffer>
#include <cmath>
#include <cstring>

namespace qorvel::print {

namespace {

constexpr char kMagic[4] = {'Q', 'V', 'R', 'S'};
constexpr uint16_t kVersion = 1;
enum Kind : uint8_t { PageBegin = 1, PageEnd = 2, Text = 3, Line = 4, Shape = 5, TextInRect = 6, Image = 7 };

class Writer {
public:
    void u8(uint8_t v) { b.append(char(v)); }
    void u32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char(v >> (8 * i)));
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void f64(double v) {
        char raw[8];
        std::memcpy(raw, &v, 8);
        b.append(raw, 8);
    }
    void text(const QString& s) {
        const QByteArray u = s.toUtf8();
        u32(uint32_t(u.size()));
        b.append(u);
    }
    void bytes(const QByteArray& d) {
        u32(uint32_t(d.size()));
        b.append(d);
    }
    void font(const FontSpec& f) {
        text(f.name);
        f64(f.size);
        u8(uint8_t(f.bold | f.italic << 1 | f.underline << 2 | f.strikeOut << 3));
        u32(f.color);
        i32(f.rotation);
    }
    void pen(const PenSpec& p) {
        u32(p.color);
        u8(uint8_t(p.style));
        i32(p.width);
    }
    void brush(const BrushSpec& br) {
        u32(br.color);
        u8(uint8_t(br.style));
    }
    QByteArray b;
};

class Reader {
public:
    Reader(const char* p, qsizetype n) : p_(p), end_(p + n) {}
    bool ok() const { return ok_; }
    bool atEnd() const { return p_ >= end_; }
    uint8_t u8() { return need(1) ? uint8_t(*p_++) : 0; }
    uint32_t u32() {
        if (!need(4))
            return 0;
        uint32_t v = 0;
        for (int i = 3; i >= 0; --i)
            v = v << 8 | uint8_t(p_[i]);
        p_ += 4;
        return v;
    }
    int32_t i32() { return int32_t(u32()); }
    double f64() {
        if (!need(8))
            return 0;
        double v;
        std::memcpy(&v, p_, 8);
        p_ += 8;
        if (!std::isfinite(v) || std::fabs(v) > 1e6) {
            ok_ = false;
            return 0;
        }
        return v;
    }
    QByteArray bytes() {
        const uint32_t n = u32();
        if (!need(n))
            return {};
        QByteArray out(p_, qsizetype(n));
        p_ += n;
        return out;
    }
    QString text() { return QString::fromUtf8(bytes()); }
    FontSpec font() {
        FontSpec f;
        f.name = text();
        f.size = f64();
        const uint8_t flags = u8();
        f.bold = flags & 1;
        f.italic = flags & 2;
        f.underline = flags & 4;
        f.strikeOut = flags & 8;
        f.color = u32();
        f.rotation = ((i32() % 360) + 360) % 360;
        if (f.size <= 0 || f.size > 2000)
            ok_ = false;
        return f;
    }
    PenSpec pen() {
        PenSpec p;
        p.color = u32();
        const uint8_t s = u8();
        p.style = s <= uint8_t(PenStyle::Clear) ? PenStyle(s) : (ok_ = false, PenStyle::Solid);
        p.width = i32();
        if (p.width < -100000 || p.width > 100000)
            ok_ = false;
        return p;
    }
    BrushSpec brush() {
        BrushSpec b;
        b.color = u32();
        const uint8_t s = u8();
        b.style = s <= uint8_t(BrushStyle::DiagCross) ? BrushStyle(s) : (ok_ = false, BrushStyle::Clear);
        return b;
    }

private:
    bool need(qsizetype n) {
        if (!ok_ || end_ - p_ < n) {
            ok_ = false;
            return false;
        }
        return true;
    }
    const char* p_;
    const char* end_;
    bool ok_ = true;
};

// The four corners every drawing record starts with.
template <typename Op>
void readCorners(Reader& r, Op& op) {
    op.x1 = r.f64();
    op.y1 = r.f64();
    op.x2 = r.f64();
    op.y2 = r.f64();
}

void record(QByteArray& out, Kind kind, const QByteArray& payload) {
    out.append(char(kind));
    for (int i = 0; i < 4; ++i)
        out.append(char(uint32_t(payload.size()) >> (8 * i)));
    out.append(payload);
}

std::optional<DrawOp> decode(uint8_t kind, Reader& r) {
    switch (kind) {
    case Text: {
        TextOp t;
        t.x = r.f64();
        t.y = r.f64();
        t.text = r.text();
        t.font = r.font();
        t.opaque = r.u8() != 0;
        return t;
    }
    case Line: {
        LineOp l;
        readCorners(r, l);
        l.pen = r.pen();
        return l;
    }
    case Shape: {
        ShapeOp s;
        const uint8_t k = r.u8();
        if (k > uint8_t(ShapeKind::Fill))
            return std::nullopt;
        s.kind = ShapeKind(k);
        readCorners(r, s);
        s.cornerWidth = r.f64();
        s.cornerHeight = r.f64();
        s.pen = r.pen();
        s.brush = r.brush();
        return s;
    }
    case TextInRect: {
        TextRectOp t;
        readCorners(r, t);
        t.x = r.f64();
        t.y = r.f64();
        t.text = r.text();
        t.font = r.font();
        t.brush = r.brush();
        return t;
    }
    case Image: {
        ImageOp im;
        readCorners(r, im);
        const QByteArray png = r.bytes();
        if (!im.image.loadFromData(png, "PNG"))
            return std::nullopt;
        return im;
    }
    default:
        return std::nullopt;
    }
}

}  // namespace

StreamRecorder::StreamRecorder(QByteArray& out) : out_(out) {
    if (out_.isEmpty()) {
        out_.append(kMagic, 4);
        out_.append(char(kVersion & 0xFF));
        out_.append(char(kVersion >> 8));
    }
}

void StreamRecorder::beginPage(const PageInfo& page) {
    Writer w;
    w.i32(page.number);
    for (double v : {page.width, page.height, page.scaleX, page.scaleY})
        w.f64(v);
    record(out_, PageBegin, w.b);
}

void StreamRecorder::endPage() { record(out_, PageEnd, {}); }

void StreamRecorder::draw(const DrawOp& op) {
    Writer w;
    Kind kind = Text;
    if (const auto* t = std::get_if<TextOp>(&op)) {
        w.f64(t->x);
        w.f64(t->y);
        w.text(t->text);
        w.font(t->font);
        w.u8(t->opaque);
    } else if (const auto* l = std::get_if<LineOp>(&op)) {
        kind = Line;
        for (double v : {l->x1, l->y1, l->x2, l->y2})
            w.f64(v);
        w.pen(l->pen);
    } else if (const auto* s = std::get_if<ShapeOp>(&op)) {
        kind = Shape;
        w.u8(uint8_t(s->kind));
        for (double v : {s->x1, s->y1, s->x2, s->y2, s->cornerWidth, s->cornerHeight})
            w.f64(v);
        w.pen(s->pen);
        w.brush(s->brush);
    } else if (const auto* tr = std::get_if<TextRectOp>(&op)) {
        kind = TextInRect;
        for (double v : {tr->x1, tr->y1, tr->x2, tr->y2, tr->x, tr->y})
            w.f64(v);
        w.text(tr->text);
        w.font(tr->font);
        w.brush(tr->brush);
    } else if (const auto* im = std::get_if<ImageOp>(&op)) {
        kind = Image;
        for (double v : {im->x1, im->y1, im->x2, im->y2})
            w.f64(v);
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        im->image.save(&buffer, "PNG");
        w.bytes(png);
    }
    record(out_, kind, w.b);
}

std::optional<StreamPlayer> StreamPlayer::open(const QByteArray& stream) {
    if (stream.size() < 6 || std::memcmp(stream.constData(), kMagic, 4) != 0 ||
        (uint8_t(stream[4]) | uint8_t(stream[5]) << 8) != kVersion)
        return std::nullopt;
    StreamPlayer p;
    p.stream_ = stream;
    qsizetype at = 6;
    RecordedPage current;
    bool inPage = false;
    while (at < stream.size()) {
        if (stream.size() - at < 5)
            return std::nullopt;
        const uint8_t kind = uint8_t(stream[at]);
        Reader lengthReader(stream.constData() + at + 1, 4);
        const uint32_t length = lengthReader.u32();
        const qsizetype payload = at + 5;
        if (qsizetype(length) > stream.size() - payload)
            return std::nullopt;
        if (kind == PageBegin) {
            if (inPage)
                return std::nullopt;
            Reader r(stream.constData() + payload, length);
            current = RecordedPage{};
            PageInfo& info = current.info;
            info.number = r.i32();
            info.width = r.f64();
            info.height = r.f64();
            info.scaleX = r.f64();
            info.scaleY = r.f64();
            const auto within = [](double v, double hi) { return v > 0 && v <= hi; };
            if (!r.ok() || !within(info.width, 1000) || !within(info.height, 1000) || !within(info.scaleX, 10000) ||
                !within(info.scaleY, 10000))
                return std::nullopt;
            current.begin = payload + length;
            inPage = true;
        } else if (kind == PageEnd) {
            if (!inPage)
                return std::nullopt;
            current.end = at;
            p.pages_.push_back(current);
            inPage = false;
        } else if (!inPage || kind < Text || kind > Image) {
            return std::nullopt;
        }
        at = payload + length;
    }
    // A stream stopped mid-page keeps the pages finished before.
    return p;
}

bool StreamPlayer::play(int index, PageSink& sink) const {
    if (index < 0 || index >= pageCount())
        return false;
    const RecordedPage& pg = pages_[size_t(index)];
    sink.beginPage(pg.info);
    qsizetype at = pg.begin;
    while (at < pg.end) {
        const uint8_t kind = uint8_t(stream_[at]);
        Reader lengthReader(stream_.constData() + at + 1, 4);
        const uint32_t length = lengthReader.u32();
        Reader r(stream_.constData() + at + 5, length);
        const auto op = decode(kind, r);
        if (!op || !r.ok())
            return false;
        sink.draw(*op);
        at += 5 + length;
    }
    sink.endPage();
    return true;
}

}  // namespace qorvel::print
