#include "preview_model.h"

#include <algorithm>
#include <cmath>

namespace qorvel::print {

bool PreviewModel::open(const QByteArray& stream) {
    current_ = 0;
    return preview_.open(stream);
}

bool PreviewModel::go(int index) {
    if (index < 0 || index >= pageCount() || index == current_)
        return false;
    current_ = index;
    return true;
}

void PreviewModel::setZoom(double percent) { zoom_ = std::clamp(percent, kMinZoom, kMaxZoom); }

void PreviewModel::fitWidth(QSize viewport, double dpi) {
    const QSizeF page = preview_.pageInches(current_);
    if (page.isEmpty() || dpi <= 0)
        return;
    setZoom(viewport.width() * 100.0 / (page.width() * dpi));
}

void PreviewModel::fitPage(QSize viewport, double dpi) {
    const QSizeF page = preview_.pageInches(current_);
    if (page.isEmpty() || dpi <= 0)
        return;
    setZoom(std::min(viewport.width() / page.width(), viewport.height() / page.height()) * 100.0 / dpi);
}

void PreviewModel::applyMode(int mode, QSize viewport, double dpi) {
    if (mode == kWholePage)
        fitPage(viewport, dpi);
    else if (mode == kPageWidth)
        fitWidth(viewport, dpi);
    else
        setZoom(mode);
}

QString PreviewModel::caption() const {
    const int shown = pageCount() == 0 ? 0 : preview_.pageNumber(current_) - preview_.pageNumber(0) + 1;
    return QStringLiteral("Preview Page %1 of %2 ( %3% )").arg(shown).arg(pageCount()).arg(std::lround(zoom_));
}

}  // namespace qorvel::print
