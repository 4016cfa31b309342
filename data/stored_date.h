#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace qorvel {

// Dates in the DATE field are 8 digits, year month day ("20261208"); empty means none.

// Characters 1-4, 5-6 and 7-8 as year, month and day; nullopt when any part is not a
// number or the date does not exist.
std::optional<QDate> ParseStoredDate(const QString& text);
// The display form with ShortDatePattern(); empty when the text is empty or not a date.
QString StoredDateToDisplay(const QString& text);
// Text as stored: itself when already stored form, a date typed in the short-date
// form converted, anything else empty.
QString ToStoredDate(const QString& text);
QString toStoredForm(const QDate& date);

// The short-date pattern (Qt form, e.g. "MM/dd/yyyy"): the user's locale's, with a
// four-digit year; "MM/dd/yyyy" when the locale gives none. Read once and kept.
QString ShortDatePattern();
// Replaces the pattern (tests and the settings of another locale).
void setShortDatePattern(const QString& pattern);

}  // namespace qorvel
