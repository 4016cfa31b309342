#include "filter_criteria.h"

#include <QStringDecoder>

namespace qorvel {

const std::array<FilterCriterion, kCriteriaCount> kCriteria = {{
    {"Last", "LNAME", 1, "LNAME"},
    {"First", "FNAME", 2, "FNAME"},
    {"Title", "TITLE", 3, "TITLE"},
    {"Org", "ORG", 4, "ORG"},
    {"Address 1", "STREET", 5, "STREET"},
    {"Address 2", "STREET2", 6, "STREET2"},
    {"Zip or Postal ", "ZIP", 7, "ZIP"},
    {"City", "CITY+STATE", 8, "CITY"},
    {"State or Prov", "STATE", 9, "STATE"},
    {"Country", "COUNTRY", 10, "COUNTRY"},
    {"Phone 1", "PHONE", 11, "PHONE"},
    {"Phone 2", "PHONE2", 12, "PHONE2"},
    {"Fax", "FAX", 13, "FAX"},
    {"E-mail", "EMAIL", 14, "EMAIL"},
    {"Date", "DATE", 17, "DATE"},
    {"Codes", "CODES", 18, "CODES"},
    {"Comment 1", "USER1", 15, "USER1"},
    {"Comment 2", "USER2", 16, "USER2"},
}};

bool FilterCriteria::isEmpty() const {
    if (taggedOnly)
        return false;
    for (const QString& t : texts) {
        if (!t.trimmed().isEmpty())
            return false;
    }
    return true;
}

void FilterCriteria::clear() {
    for (QString& t : texts)
        t.clear();
    taggedOnly = false;
}

namespace {

QString quoted(const QString& v) { return QLatin1Char('"') + v.toUpper() + QLatin1Char('"'); }

QString simpleCondition(const QString& f, const QString& part) {
    static const char* const kOperators[] = {">=", ">", "<=", "<", "$"};
    for (const char* op : kOperators) {
        const QLatin1String o(op);
        if (part.startsWith(o)) {
            const QString value = part.mid(o.size()).left(99);
            if (o == QLatin1String("$"))
                return quoted(value) + QStringLiteral("$UPPER(") + f + QLatin1Char(')');
            return QStringLiteral("UPPER(") + f + QLatin1Char(')') + o + quoted(value);
        }
    }
    return QStringLiteral("UPPER(") + f + QStringLiteral(")=") + quoted(part);
}

}  // namespace

QString buildFieldCondition(const QString& f, const QString& v) {
    struct Split {
        QChar separator;
        const char* joiner;
    };
    static const Split kSplits[] = {{QLatin1Char(';'), ".or."}, {QLatin1Char('+'), ".and."}, {QLatin1Char('^'), ".and..not."}};
    for (const Split& s : kSplits) {
        if (!v.contains(s.separator))
            continue;
        QStringList parts;
        for (const QString& part : v.split(s.separator))
            parts << QLatin1Char('(') + buildFieldCondition(f, part) + QLatin1Char(')');
        return QLatin1Char('(') + parts.join(QLatin1String(s.joiner)) + QLatin1Char(')');
    }
    return simpleCondition(f, v);
}

QString BuildQueryString(const FilterCriteria& c, const QString& tagId) {
    QStringList conditions;
    for (int position = 1; position <= kCriteriaCount; ++position) {
        for (int i = 0; i < kCriteriaCount; ++i) {
            if (kCriteria[i].position != position || c.texts[i].trimmed().isEmpty())
                continue;
            conditions << buildFieldCondition(QLatin1String(kCriteria[i].expression), c.texts[i]);
        }
    }
    if (c.taggedOnly)
        conditions << QStringLiteral("(UPPER(TAG)=\"") + tagId + QStringLiteral("\")");
    return conditions.join(QStringLiteral(" and "));
}

QByteArray filterFileText(const FilterCriteria& c) {
    QByteArray out;
    for (const QString& t : c.texts) {
        QString line = t;
        line.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        out += line.toUtf8() + "\r\n";
    }
    return out;
}

std::optional<FilterFileRead> parseFilterFile(const QByteArray& bytes) {
    // A filter file is a few short lines of text.
    if (bytes.size() > 64 * 1024 || bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);  // files written by the earlier program are Windows text
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    FilterFileRead r;
    r.complete = lines.size() >= kCriteriaCount;
    for (int i = 0; i < kCriteriaCount && i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        r.texts[i] = line;
    }
    return r;
}

}  // namespace qorvel
