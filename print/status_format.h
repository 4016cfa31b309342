#pragma once

#include <QString>
#include <QStringList>

namespace qorvel::print {

struct StatusValues {
    int currentPage = 0, firstPage = 1, lastPage = 9999;
    QString device, driver, port;
    QStringList lines;  // %0 .. %9
};

// Expands a status format: %p %f %l %d %r %t %0..%9 and %%; any other letter
// gives "<ERROR-%X>" with the letter in upper case; a lone % at the end stays.
QString expandStatusFormat(const QString& format, const StatusValues& values);

}  // namespace qorvel::print
