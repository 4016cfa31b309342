#pragma once

#include "print/file_preview.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace qorvel::print {

// What the preview window shows: which recorded page, at what zoom, and its caption.
class PreviewModel {
public:
    static constexpr double kMinZoom = 10, kMaxZoom = 200, kZoomStep = 10, kDefaultZoom = 75;
    // Initial zoom modes; any other value is a zoom percentage.
    static constexpr int kWholePage = 1, kPageWidth = 2;

    // False when the stream cannot be played.
    bool open(const QByteArray& stream);

    int pageCount() const { return preview_.pageCount(); }
    int current() const { return current_; }
    bool showsNavigation() const { return pageCount() >= 2; }
    bool first() { return go(0); }
    bool previous() { return go(current_ - 1); }
    bool next() { return go(current_ + 1); }
    bool last() { return go(pageCount() - 1); }

    double zoom() const { return zoom_; }
    void setZoom(double percent);
    void zoomIn() { setZoom(zoom_ + kZoomStep); }
    void zoomOut() { setZoom(zoom_ - kZoomStep); }
    // Zoom so the page fills the viewport's width, or fits in it whole.
    void fitWidth(QSize viewport, double dpi);
    void fitPage(QSize viewport, double dpi);
    // Applies an initial zoom mode.
    void applyMode(int mode, QSize viewport, double dpi);

    // "Preview Page 2 of 5 ( 75% )"
    QString caption() const;
    QSize pagePixels(double dpi) const { return preview_.pagePixels(current_, zoom_, dpi); }
    // A null image when the page cannot be drawn.
    QImage render(double dpi) const { return preview_.renderPage(current_, zoom_, dpi); }

private:
    bool go(int index);

    TFilePreview preview_;
    int current_ = 0;
    double zoom_ = kDefaultZoom;
};

}  // namespace qorvel::print
