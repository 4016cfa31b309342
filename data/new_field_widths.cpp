#include "new_field_widths.h"

#include <cstring>

namespace qorvel {

namespace {
const QString kSection = QStringLiteral("NewFileFieldLengths");
}

const std::array<NewFieldWidths::Entry, NewFieldWidths::kCount> NewFieldWidths::kEntries = {{
    {"LNAME", "FieldLNAME", 30, 30},
    {"FNAME", "FieldFNAME", 30, 30},
    {"PREFIX", "FieldPREFIX", 12, 12},
    {"TITLE", "FieldTITLE", 30, 30},
    {"ORG", "FieldORG", 30, 30},
    {"STREET", "FieldSTREET", 40, 40},
    {"STREET2", "FieldSTREET2", 40, 40},
    {"CITY", "FieldCITY", 30, 30},
    {"STATE", "FieldSTATE", 20, 20},
    {"ZIP", "FieldZIP", 10, 10},
    {"COUNTRY", "FieldCOUNTRY", 30, 30},
    {"PHONE", "FieldPHONE", 30, 30},
    {"PHONE2", "FieldPHONE2", 30, 30},
    {"FAX", "FieldFAX", 40, 30},
    {"EMAIL", "FieldEMAIL", 40, 40},
    {"CODES", "FieldCODES", 30, 30},
    {"USER1", "FieldUSER1", 40, 40},
    {"USER2", "FieldUSER2", 40, 40},
}};

NewFieldWidths NewFieldWidths::defaults() {
    NewFieldWidths w;
    for (int i = 0; i < kCount; ++i)
        w.widths[i] = kEntries[i].missingDefault;
    return w;
}

NewFieldWidths NewFieldWidths::buttonDefaults() {
    NewFieldWidths w;
    for (int i = 0; i < kCount; ++i)
        w.widths[i] = kEntries[i].buttonDefault;
    return w;
}

void NewFieldWidths::normalize() {
    for (int i = 0; i < kCount; ++i) {
        if (widths[i] < kSettingMin || widths[i] > kSettingMax)
            widths[i] = kEntries[i].missingDefault;
    }
}

NewFieldWidths NewFieldWidths::load(const ProfileFile& file) {
    NewFieldWidths w;
    for (int i = 0; i < kCount; ++i)
        w.widths[i] = file.readInteger(kSection, QLatin1String(kEntries[i].key), kEntries[i].missingDefault);
    w.normalize();
    return w;
}

bool NewFieldWidths::save(ProfileFile& file) const {
    NewFieldWidths w = *this;
    w.normalize();
    ProfileFile::Entries e;
    for (int i = 0; i < kCount; ++i)
        e.emplace_back(QLatin1String(kEntries[i].key), QString::number(w.widths[i]));
    return file.writeStrings(kSection, e);
}

int NewFieldWidths::widthOf(const char* field) const {
    for (int i = 0; i < kCount; ++i) {
        if (std::strcmp(kEntries[i].field, field) == 0)
            return widths[i];
    }
    return 0;
}

}  // namespace qorvel
