#include "file_preview.h"

#include "print/painter_sink.h"
#include "print/printer_device.h"

#include <QPainter>
#include <cmath>

namespace qorvel::print {

bool TFilePreview::open(const QByteArray& stream) {
    player_ = StreamPlayer::open(stream);
    return player_.has_value();
}

int TFilePreview::pageNumber(int index) const {
    return index >= 0 && index < pageCount() ? player_->page(index).info.number : 0;
}

QSizeF TFilePreview::pageInches(int index) const {
    if (index < 0 || index >= pageCount())
        return {};
    const PageInfo& p = player_->page(index).info;
    return QSizeF(p.width, p.height);
}

QSize TFilePreview::pagePixels(int index, double zoom, double dpi) const {
    const QSizeF in = pageInches(index);
    return QSize(std::max(1, int(std::lround(in.width() * dpi * zoom / 100))),
                 std::max(1, int(std::lround(in.height() * dpi * zoom / 100))));
}

QImage TFilePreview::renderPage(int index, double zoom, double dpi) const {
    if (index < 0 || index >= pageCount())
        return {};
    QImage image(pagePixels(index, zoom, dpi), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    image.fill(Qt::white);
    QPainter painter(&image);
    DeviceMapping mapping;
    mapping.dpiX = mapping.dpiY = dpi;
    mapping.zoom = zoom;
    PainterSink sink(painter, mapping);
    PrinterDevice::setPlayingBack(true);
    const bool ok = player_->play(index, sink);
    PrinterDevice::setPlayingBack(false);
    return ok ? image : QImage();
}

}  // namespace qorvel::print
