#pragma once

#include <QString>

namespace qorvel {

// Upper case as the tables' UPPER() makes it (Windows-1252 letters only), so that
// seek values match index keys.
QString upper1252(const QString& text);

}  // namespace qorvel
