#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// What the print system (CUPS) says about its queues. Every call answers empty when
// no CUPS server runs.
namespace qorvel::print::cups {

struct Destination {
    QString name;
    QString deviceUri;
    QString makeAndModel;
    bool isDefault = false;
};

struct Media {
    QString name;               // e.g. "na_letter_8.5x11in"
    double width = 0, height = 0;  // inches
    double left = 0, right = 0, top = 0, bottom = 0;  // unprintable strips, inches
};

std::vector<Destination> destinations();
QStringList mediaSources(const QString& printer);
std::vector<Media> mediaSizes(const QString& printer);

// Sends a PDF file to a queue with IPP options ("copies", "media", "media-source",
// "orientation-requested"). Returns an empty string or the reason it failed.
QString submitPdf(const QString& printer, const QString& pdfPath, const QString& title,
                  const std::map<QString, QString>& options);

}  // namespace qorvel::print::cups
