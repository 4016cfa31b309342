#include "record_text.h"

#include "data/text_trim.h"

namespace qorvel {

QString GetRecordAsString(const Dataset& t, const RecordTextParts& parts) {
    QString out;
    auto line = [&out](const QString& s) {
        if (!s.isEmpty())
            out += s + QStringLiteral("\r\n");
    };
    auto f = [&t](const char* name) { return t.text(QLatin1String(name)); };
    const QString blank = QStringLiteral(" ");
    if (parts.name) {
        const QString middle = f("MIDDLE");
        const QString initial = middle.trimmed().isEmpty() ? middle : middle + QLatin1Char('.');
        line(TrimLeft(f("PREFIX") + blank) + TrimLeft(f("FNAME") + blank) + TrimLeft(initial + blank) +
             TrimLeft(f("LNAME") + blank));
        line(f("TITLE"));
        line(f("ORG"));
    }
    if (parts.address) {
        line(f("STREET"));
        line(f("STREET2"));
        line(TrimLeft(f("CITY") + blank) + blank + TrimLeft(f("STATE") + blank) + TrimLeft(f("ZIP")));
        line(TrimLeft(f("COUNTRY") + blank));
    }
    if (parts.phones) {
        if (!f("PHONE").isEmpty())
            line(QStringLiteral("Phone  :") + f("PHONE"));
        if (!f("PHONE2").isEmpty())
            line(QStringLiteral("Phone 2:") + f("PHONE2"));
    }
    if (parts.codes && !f("CODES").isEmpty())
        line(QStringLiteral("Codes :") + f("CODES"));
    if (parts.comments) {
        if (!f("USER1").isEmpty())
            line(QStringLiteral("Comment 1 :") + f("USER1"));
        if (!f("USER2").isEmpty())
            line(QStringLiteral("Comment 2 :") + f("USER2"));
    }
    return out;
}

}  // namespace qorvel
