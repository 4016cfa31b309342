#pragma once

#include <QImage>
#include <QString>

// Rasterises one page of a PDF with pdftoppm; a null image when pdftoppm is
// missing or fails (the reason in *why).
QImage rasterisePdfPage(const QString& pdf, int page, int dpi, QString* why);

// How far two renderings of the same page differ: the share of pixels (0..1) whose
// grey levels, after a 3×3 blur that forgives anti-aliasing, differ by more than 64.
double differingShare(const QImage& a, const QImage& b);
