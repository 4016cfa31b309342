#pragma once

#include "profile_file.h"

#include <QString>
#include <array>

namespace qorvel {

// Fields whose value a new record takes over from the record current when Add was pressed.
enum class CarryField { Org, Street, Street2, City, State, Zip, Country, Count };

// Fields whose editor leaves the tab order while a new record is entered.
enum class SkipField {
    LastName, FirstName, Middle, Prefix, Title, Org, Street2, State, Zip, Country,
    Phone1, Phone2, Fax, Email, Codes, Comments1, Comments2, Date, Count
};

struct CarryKey {
    const char* key;  // settings key in section "Adding", spelled exactly as stored
    const char* caption;
};

struct SkipKey {
    const char* key;
    const char* caption;
    const char* field;  // stored field whose editor is skipped ("DATE" means the date box)
};

inline constexpr int kCarryCount = int(CarryField::Count);
inline constexpr int kSkipCount = int(SkipField::Count);

extern const std::array<CarryKey, kCarryCount> kCarryKeys;
extern const std::array<SkipKey, kSkipCount> kSkipKeys;

// Section "Adding": how Add prepares a new record.
struct AddingPreferences {
    bool plugDate = false;       // PlugDate
    bool plugCityState = false;  // PlugCityState
    bool autoDupCheck = false;   // AutoDupCheck
    QString defaultCountry;      // DefaultCountry, at most kDefaultCountryLength characters
    std::array<bool, kCarryCount> carry{};
    std::array<bool, kSkipCount> skip{};

    bool carries(CarryField f) const { return carry[size_t(f)]; }
    bool skips(SkipField f) const { return skip[size_t(f)]; }

    static constexpr int kDefaultCountryLength = 30;
    static constexpr int kKeyCount = 4 + kCarryCount + kSkipCount;

    static AddingPreferences load(const ProfileFile& file);
    // Writes all keys of the section, every one of them, every time.
    bool save(ProfileFile& file) const;
};

}  // namespace qorvel
