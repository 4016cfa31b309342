#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qorvel::engine {

// A calendar date as a Julian day number; 0 is the empty date.
struct Date {
    int32_t julian = 0;

    bool empty() const { return julian == 0; }
    friend bool operator==(Date a, Date b) { return a.julian == b.julian; }
    friend auto operator<=>(Date a, Date b) { return a.julian <=> b.julian; }

    static Date fromYmd(int year, int month, int day);  // empty when not a real date
    void toYmd(int& year, int& month, int& day) const;

    // "YYYYMMDD" as D fields and DTOS() hold it; 8 blanks for the empty date.
    std::string toDtos() const;
    // Reads "YYYYMMDD"; blanks or anything malformed give the empty date.
    static Date fromDtos(std::string_view text);
    // Reads "mm/dd/yyyy" (or "mm/dd/yy", taken in the 1900s below 50 → 2000s), any
    // non-digit separator. Malformed input gives the empty date.
    static Date fromAmerican(std::string_view text);
    static Date today();
};

}  // namespace qorvel::engine
