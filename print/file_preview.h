#pragma once

#include "print/report_stream.h"

#include <QImage>
#include <QSizeF>
#include <optional>

namespace qorvel::print {

// Plays a recorded job back, one page at a time, onto an image: the same drawing
// as on paper, at a zoom and a screen resolution.
class TFilePreview {
public:
    static inline const QString kDrawError = QStringLiteral("There was an error drawing the preview");

    // False when the stream is damaged; nothing is shown then.
    bool open(const QByteArray& stream);
    bool isOpen() const { return player_.has_value(); }
    int pageCount() const { return player_ ? player_->pageCount() : 0; }
    int pageNumber(int index) const;  // the page's number in the job
    QSizeF pageInches(int index) const;
    // The page's size in pixels at a zoom (percent) and resolution.
    QSize pagePixels(int index, double zoom, double dpi) const;
    // A null image when the page's records are damaged.
    QImage renderPage(int index, double zoom, double dpi) const;

private:
    std::optional<StreamPlayer> player_;
};

}  // namespace qorvel::print
