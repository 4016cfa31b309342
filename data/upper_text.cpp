#include "upper_text.h"

#include "engine/codepage.h"

namespace qorvel {

QString upper1252(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        // Letters 1252 holds: ASCII, Latin-1 and the few in 0x80..0x9F.
        if (u < 0x100 || u == 0x161 || u == 0x153 || u == 0x17E) {
            auto bytes = engine::cp1252::fromUtf8(QString(c).toStdString());
            if (bytes && bytes->size() == 1) {
                const unsigned char up = engine::cp1252::upper(static_cast<unsigned char>((*bytes)[0]));
                c = QString::fromStdString(engine::cp1252::toUtf8(std::string(1, char(up)))).at(0);
            }
        }
    }
    return out;
}

}  // namespace qorvel
