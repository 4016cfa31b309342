#include "stored_date.h"

#include <QLocale>

namespace qorvel {

namespace {

std::optional<QString> g_pattern;

bool digitsOnly(const QString& s) {
    if (s.isEmpty())
        return false;
    for (QChar c : s) {
        if (!c.isDigit() || c.unicode() > '9')
            return false;
    }
    return true;
}

QString patternFromLocale() {
    const QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        return QStringLiteral("MM/dd/yyyy");
    QString p = locale.dateFormat(QLocale::ShortFormat);
    if (p.isEmpty())
        return QStringLiteral("MM/dd/yyyy");
    // Four-digit years everywhere in the program.
    if (!p.contains(QLatin1String("yyyy")))
        p.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return p;
}

}  // namespace

std::optional<QDate> ParseStoredDate(const QString& t) {
    if (t.size() < 8)
        return std::nullopt;
    const QString y = t.mid(0, 4), m = t.mid(4, 2), d = t.mid(6, 2);
    if (!digitsOnly(y) || !digitsOnly(m) || !digitsOnly(d))
        return std::nullopt;
    const QDate date(y.toInt(), m.toInt(), d.toInt());
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QString StoredDateToDisplay(const QString& t) {
    if (t.isEmpty())
        return {};
    const auto d = ParseStoredDate(t);
    return d ? d->toString(ShortDatePattern()) : QString();
}

QString toStoredForm(const QDate& date) { return date.toString(QStringLiteral("yyyyMMdd")); }

QString ToStoredDate(const QString& t) {
    if (t.isEmpty())
        return {};
    if (ParseStoredDate(t))
        return t;
    QDate d = QDate::fromString(t.trimmed(), ShortDatePattern());
    if (!d.isValid()) {
        // Typed with a two-digit year.
        QString two = ShortDatePattern();
        two.replace(QLatin1String("yyyy"), QLatin1String("yy"));
        d = QDate::fromString(t.trimmed(), two);
        if (d.isValid() && d.year() < 1950)
            d = d.addYears(100);
    }
    return d.isValid() ? toStoredForm(d) : QString();
}

QString ShortDatePattern() {
    if (!g_pattern)
        g_pattern = patternFromLocale();
    return *g_pattern;
}

void setShortDatePattern(const QString& pattern) { g_pattern = pattern; }

}  // namespace qorvel
