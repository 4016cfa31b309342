#include "text_trim.h"

namespace qorvel {

QString TrimLeft(const QString& s) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

QString TrimRight(const QString& s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

QString TrimBoth(const QString& s) { return TrimLeft(TrimRight(s)); }

}  // namespace qorvel
