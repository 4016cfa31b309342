#pragma once

#include <QDateTime>
#include <QString>

namespace qorvel {

// n in base 36 with at most six digits (36^5 down to 36^0), no leading zeros; 0 gives "".
QString ToBase36(qint64 n);

// A fresh tag id for the moment given: base 36 of (year - 1995) followed by base 36 of
// the number written "mmddhhnnss". At most 8 characters, so it fits the TAG field.
QString NewTagId(const QDateTime& now);
QString NewTagId();

}  // namespace qorvel
