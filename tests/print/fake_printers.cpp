#include "fake_printers.h"

#include <QFile>

using namespace qorvel::print;

void FakePrinters::install() {
    PrinterBackend b;
    b.destinations = [this] {
        ++destinationCalls;
        return queues;
    };
    b.sources = [this](const QString& p) {
        ++sourceCalls;
        return sources[p];
    };
    b.media = [this](const QString& p) { return media[p]; };
    b.submit = [this](const QString& p, const QString& path, const QString& title,
                      const std::map<QString, QString>& options) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        submitted.push_back({p, title, f.readAll(), options});
        return submitFailure;
    };
    PrinterDevice::setBackend(b);
}

FakePrinters FakePrinters::office() {
    FakePrinters f;
    f.queues = {{QStringLiteral("Labels"), QStringLiteral("usb://Acme/Labeler"), QStringLiteral("Acme Labeler"), false},
                {QStringLiteral("Office"), QStringLiteral("ipp://office.local/ipp/print"), QStringLiteral("Acme Laser 5"),
                 true}};
    f.sources[QStringLiteral("Office")] = {QStringLiteral("Tray 1"), QStringLiteral("Manual Envelope"),
                                           QStringLiteral("Envelope Feeder")};
    f.media[QStringLiteral("Office")] = {{QStringLiteral("na_letter_8.5x11in"), 8.5, 11, 0.25, 0.25, 0.2, 0.2},
                                         {QStringLiteral("iso_a4_210x297mm"), 210 / 25.4, 297 / 25.4, 0.2, 0.2, 0.2, 0.2}};
    f.sources[QStringLiteral("Labels")] = {QStringLiteral("Roll")};
    f.media[QStringLiteral("Labels")] = {{QStringLiteral("oe_4x6-label_4x6in"), 4, 6, 0, 0, 0, 0}};
    return f;
}
