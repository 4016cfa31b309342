// Recording and playback: a played page gives back exactly the calls recorded, and
// a damaged stream is refused or stops cleanly, never followed.
#include "print/file_preview.h"
#include "print/report_filer.h"
#include "print/report_stream.h"
#include "print/tool/demo_page.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace qorvel::print;

namespace {

struct Collect : PageSink {
    std::vector<PageInfo> pages;
    std::vector<DrawOp> ops;
    void beginPage(const PageInfo& p) override { pages.push_back(p); }
    void draw(const DrawOp& op) override { ops.push_back(op); }
    void endPage() override {}
};

QByteArray demoStream() {
    QByteArray stream;
    TReportFiler filer(stream);
    filer.OnPrint = drawDemoJob;
    EXPECT_TRUE(filer.Execute());
    return stream;
}

bool sameOp(const DrawOp& a, const DrawOp& b) {
    if (a.index() != b.index())
        return false;
    if (const auto* t = std::get_if<TextOp>(&a)) {
        const auto& u = std::get<TextOp>(b);
        return t->x == u.x && t->y == u.y && t->text == u.text && t->font.name == u.font.name &&
               t->font.size == u.font.size && t->font.rotation == u.font.rotation && t->font.color == u.font.color &&
               t->font.bold == u.font.bold && t->font.strikeOut == u.font.strikeOut;
    }
    if (const auto* l = std::get_if<LineOp>(&a)) {
        const auto& m = std::get<LineOp>(b);
        return l->x1 == m.x1 && l->y2 == m.y2 && l->pen.width == m.pen.width && l->pen.style == m.pen.style;
    }
    if (const auto* s = std::get_if<ShapeOp>(&a)) {
        const auto& t = std::get<ShapeOp>(b);
        return s->kind == t.kind && s->x1 == t.x1 && s->y2 == t.y2 && s->cornerWidth == t.cornerWidth &&
               s->brush.color == t.brush.color && s->brush.style == t.brush.style && s->pen.color == t.pen.color;
    }
    if (const auto* r = std::get_if<TextRectOp>(&a)) {
        const auto& q = std::get<TextRectOp>(b);
        return r->x1 == q.x1 && r->y2 == q.y2 && r->x == q.x && r->y == q.y && r->text == q.text &&
               r->brush.color == q.brush.color;
    }
    const auto& i = std::get<ImageOp>(a);
    const auto& j = std::get<ImageOp>(b);
    return i.x1 == j.x1 && i.y2 == j.y2 && i.image.convertToFormat(QImage::Format_RGB32) ==
                                               j.image.convertToFormat(QImage::Format_RGB32);
}

TEST(RecordedStream, PlaysBackExactlyWhatWasRecorded) {
    struct Tee : PageSink {
        Collect direct;
        StreamRecorder recorder;
        explicit Tee(QByteArray& out) : recorder(out) {}
        void beginPage(const PageInfo& p) override {
            direct.beginPage(p);
            recorder.beginPage(p);
        }
        void draw(const DrawOp& op) override {
            direct.draw(op);
            recorder.draw(op);
        }
        void endPage() override { recorder.endPage(); }
    };
    // Every kind of operation once, through a recorder and directly.
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(qRgb(10, 20, 30));
    FontSpec font;
    font.name = QStringLiteral("Courier New");
    font.size = 9.5;
    font.rotation = 270;
    font.strikeOut = true;
    font.color = qRgb(1, 2, 3) | 0xFF000000;
    const std::vector<DrawOp> ops = {
        TextOp{1.25, 2.5, QStringLiteral("Zoë – 1252 and beyond ✓"), font, true},
        LineOp{0, 0, 8.5, 11, PenSpec{0xFF00FF00, PenStyle::DashDot, -7}},
        ShapeOp{ShapeKind::RoundRect, 1, 2, 3, 4, 0.25, 0.5, PenSpec{}, BrushSpec{0xFF123456, BrushStyle::Cross}},
        TextRectOp{1, 1, 2, 1.5, 1.1, 1.2, QStringLiteral("clip"), font, BrushSpec{0xFFFFFF00, BrushStyle::Solid}},
        ImageOp{4, 4, 5, 5, image},
    };
    QByteArray stream;
    Tee tee(stream);
    tee.beginPage(PageInfo{7, 4.125, 9.5, 100, 100});
    for (const DrawOp& op : ops)
        tee.draw(op);
    tee.endPage();

    const auto player = StreamPlayer::open(stream);
    ASSERT_TRUE(player);
    ASSERT_EQ(player->pageCount(), 1);
    Collect played;
    ASSERT_TRUE(player->play(0, played));
    ASSERT_EQ(played.pages.size(), 1u);
    EXPECT_EQ(played.pages[0].number, 7);
    EXPECT_EQ(played.pages[0].width, 4.125);
    ASSERT_EQ(played.ops.size(), ops.size());
    for (size_t i = 0; i < ops.size(); ++i)
        EXPECT_TRUE(sameOp(played.ops[i], ops[i])) << "operation " << i;
}

TEST(RecordedStream, EveryTruncationIsRefusedOrStopsAtAWholePage) {
    const QByteArray stream = demoStream();
    const auto whole = StreamPlayer::open(stream);
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->pageCount(), 2);
    for (qsizetype n = 0; n < stream.size(); n += std::max<qsizetype>(1, n / 50)) {
        const auto cut = StreamPlayer::open(stream.left(n));
        if (!cut)
            continue;
        EXPECT_LT(cut->pageCount(), 2) << "cut at " << n;
        for (int p = 0; p < cut->pageCount(); ++p) {
            Collect sink;
            EXPECT_TRUE(cut->play(p, sink)) << "a finished page before the cut plays";
        }
    }
}

TEST(RecordedStream, GarbledBytesNeverCrashPlayback) {
    const QByteArray stream = demoStream();
    QRandomGenerator random(1234);
    TFilePreview preview;
    int refused = 0, drawnWithError = 0;
    for (int round = 0; round < 300; ++round) {
        QByteArray bad = stream;
        for (int k = 0; k < 4; ++k)
            bad[random.bounded(int(bad.size()))] = char(random.bounded(256));
        if (!preview.open(bad)) {
            ++refused;
            continue;
        }
        for (int p = 0; p < preview.pageCount(); ++p) {
            if (preview.renderPage(p, 10, 72).isNull())
                ++drawnWithError;
        }
    }
    EXPECT_GT(refused + drawnWithError, 0);
}

TEST(RecordedStream, ForeignOrNewerStreamsAreRefused) {
    QByteArray stream = demoStream();
    const struct {
        const char* what;
        QByteArray bytes;
    } cases[] = {
        {"empty", QByteArray()},
        {"other magic", QByteArray("PK\x03\x04\x14\x00", 6)},
        {"newer version", QByteArray(stream).replace(4, 1, "\x02")},
        {"unknown record", stream.left(6) + QByteArray("\x09\x00\x00\x00\x00", 5)},
        {"drawing outside a page", stream.left(6) + QByteArray("\x04\x00\x00\x00\x00", 5)},
        {"length past the end", stream.left(6) + QByteArray("\x01\xff\xff\xff\x7f", 5)},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(StreamPlayer::open(c.bytes)) << c.what;
}

TEST(FilePreview, DamagedPageGivesNoImage) {
    QByteArray stream;
    StreamRecorder recorder(stream);
    recorder.beginPage(PageInfo{});
    recorder.draw(LineOp{0, 0, 1, 1, PenSpec{}});
    recorder.endPage();
    // The line's pen style byte is past the four coordinates and the colour.
    const qsizetype styleByte = stream.size() - 5 - 5;
    stream[styleByte] = char(0x7f);
    TFilePreview preview;
    ASSERT_TRUE(preview.open(stream));
    EXPECT_TRUE(preview.renderPage(0, 100, 96).isNull());
    EXPECT_TRUE(preview.renderPage(5, 100, 96).isNull()) << "no such page";
}

TEST(FilePreview, PageImageHasTheSheetsSizeAtTheZoom) {
    TFilePreview preview;
    ASSERT_TRUE(preview.open(demoStream()));
    EXPECT_EQ(preview.pageNumber(1), 2);
    const QImage page = preview.renderPage(0, 50, 96);
    EXPECT_EQ(page.size(), QSize(408, 528));
    EXPECT_EQ(page.pixel(2, 2), qRgb(255, 255, 255));
}

}  // namespace
