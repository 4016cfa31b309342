#pragma once

#include "profile_file.h"

#include <array>

namespace qorvel {

// Widths of the eighteen variable fields of a new address table
// (section "NewFileFieldLengths").
struct NewFieldWidths {
    static constexpr int kCount = 18;
    static constexpr int kSettingMin = 5;   // below this a stored value is replaced by the default
    static constexpr int kSettingMax = 80;
    static constexpr int kDialogMin = 10;   // what the field-length dialog accepts
    static constexpr int kDialogMax = 80;

    struct Entry {
        const char* field;    // stored field name, e.g. "LNAME"
        const char* key;      // settings key, e.g. "FieldLNAME"
        int missingDefault;   // width when the key is missing or out of range
        int buttonDefault;    // width the Defaults button sets
    };
    static const std::array<Entry, kCount> kEntries;

    std::array<int, kCount> widths{};

    static NewFieldWidths defaults();        // the missing-key defaults
    static NewFieldWidths buttonDefaults();  // what the Defaults button shows

    // Missing keys take their default; any value outside 5..80 is replaced by it.
    static NewFieldWidths load(const ProfileFile& file);
    // Writes all eighteen keys after the same replacement.
    bool save(ProfileFile& file) const;

    // Width of a field by name, or 0 when it is not one of the eighteen.
    int widthOf(const char* field) const;
    void normalize();
};

}  // namespace qorvel
