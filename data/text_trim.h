#pragma once

#include <QString>

namespace qorvel {

// Blanks only (not tabs or line breaks), as the table's fields pad with blanks.
QString TrimLeft(const QString& s);
QString TrimRight(const QString& s);
// Trailing blanks first, then leading ones.
QString TrimBoth(const QString& s);

}  // namespace qorvel
