#include "tag_id.h"

namespace qorvel {

QString ToBase36(qint64 n) {
    static const char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QString out;
    qint64 weight = 36LL * 36 * 36 * 36 * 36;
    for (int i = 0; i < 6; ++i, weight /= 36) {
        const qint64 digit = (n / weight) % 36;
        if (digit != 0 || !out.isEmpty())
            out += QLatin1Char(kDigits[digit]);
    }
    return out;
}

QString NewTagId(const QDateTime& now) {
    const QDate d = now.date();
    const QTime t = now.time();
    const qint64 a = qint64(d.month()) * 100000000 + qint64(d.day()) * 1000000 + t.hour() * 10000 + t.minute() * 100 +
                     t.second();
    return ToBase36(d.year() - 1995) + ToBase36(a);
}

QString NewTagId() { return NewTagId(QDateTime::currentDateTime()); }

}  // namespace qorvel
