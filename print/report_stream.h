#pragma once

#include "print/report_ops.h"

#include <QByteArray>
#include <optional>
#include <vector>

namespace qorvel::print {

// The recorded form of a job, private to recording and playback:
//   "QVRS" magic, u16 version (1)
//   then records: u8 kind, u32 payload length (little-endian), payload.
//   kinds: 1 page begin (i32 page number, f64 width, height, scale x, scale y), 2 page end,
//          3 text, 4 line, 5 shape, 6 text in a rectangle, 7 image (PNG bytes).
// Numbers are little-endian; texts are u32 length + UTF-8.
class StreamRecorder : public PageSink {
public:
    explicit StreamRecorder(QByteArray& out);
    void beginPage(const PageInfo& page) override;
    void draw(const DrawOp& op) override;
    void endPage() override;

private:
    QByteArray& out_;
};

struct RecordedPage {
    PageInfo info;
    qsizetype begin = 0, end = 0;  // the page's records in the stream
};

// Reads a recorded stream. Every length and count is checked against the bytes,
// so a damaged stream is reported, never followed.
class StreamPlayer {
public:
    // Nullopt when the stream is damaged (truncated, garbled or of another version).
    static std::optional<StreamPlayer> open(const QByteArray& stream);

    int pageCount() const { return int(pages_.size()); }
    const RecordedPage& page(int index) const { return pages_[size_t(index)]; }
    // Plays one page into a sink; false when its records are damaged.
    bool play(int index, PageSink& sink) const;

private:
    QByteArray stream_;
    std::vector<RecordedPage> pages_;
};

}  // namespace qorvel::print
