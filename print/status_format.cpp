#include "status_format.h"

namespace qorvel::print {

QString expandStatusFormat(const QString& format, const StatusValues& v) {
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar k = format.at(++i);
        switch (k.toLower().unicode()) {
        case 'p': out += QString::number(v.currentPage); break;
        case 'f': out += QString::number(v.firstPage); break;
        case 'l': out += QString::number(v.lastPage); break;
        case 'd': out += v.device; break;
        case 'r': out += v.driver; break;
        case 't': out += v.port; break;
        case '%': out += QLatin1Char('%'); break;
        default:
            if (k.isDigit() && k.unicode() < 128) {
                out += v.lines.value(k.digitValue());
            } else {
                out += QStringLiteral("<ERROR-%") + k.toUpper() + QLatin1Char('>');
            }
        }
    }
    return out;
}

}  // namespace qorvel::print
