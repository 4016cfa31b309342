#include "pdf_compare.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

QImage rasterisePdfPage(const QString& pdf, int page, int dpi, QString* why) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty()) {
        *why = QStringLiteral("pdftoppm (poppler-utils) is not installed");
        return {};
    }
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess p;
    p.start(tool, {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                   QStringLiteral("-l"), QString::number(page), QStringLiteral("-png"), QStringLiteral("-singlefile"),
                   pdf, prefix});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        *why = QStringLiteral("pdftoppm failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
        return {};
    }
    return QImage(prefix + QStringLiteral(".png"));
}

namespace {

std::vector<int> blurredGrey(const QImage& source) {
    const QImage img = source.convertToFormat(QImage::Format_Grayscale8);
    const int w = img.width(), h = img.height();
    std::vector<int> out(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int sum = 0, n = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int xx = x + dx, yy = y + dy;
                    if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                        continue;
                    sum += img.constScanLine(yy)[xx];
                    ++n;
                }
            }
            out[size_t(y) * size_t(w) + size_t(x)] = sum / n;
        }
    }
    return out;
}

}  // namespace

double differingShare(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull())
        return 1.0;
    const std::vector<int> ga = blurredGrey(a), gb = blurredGrey(b);
    size_t differing = 0;
    for (size_t i = 0; i < ga.size(); ++i)
        differing += std::abs(ga[i] - gb[i]) > 64;
    return double(differing) / double(ga.size());
}
