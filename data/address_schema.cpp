#include "data/address_schema.h"

namespace qorvel::address {

const std::array<Field, kFieldCount> kFields = {{
    {"LNAME", 'C', 30, true, "Last Name"},
    {"FNAME", 'C', 30, true, "First Name"},
    {"MIDDLE", 'C', 1, false, "Middle"},
    {"PREFIX", 'C', 12, true, "Prefix"},
    {"TITLE", 'C', 30, true, "Title"},
    {"ORG", 'C', 30, true, "Organization"},
    {"STREET", 'C', 40, true, "Address 1"},
    {"STREET2", 'C', 40, true, "Address 2"},
    {"CITY", 'C', 30, true, "City"},
    {"STATE", 'C', 20, true, "State"},
    {"ZIP", 'C', 10, true, "Zip/Postal Code"},
    {"COUNTRY", 'C', 30, true, "Country"},
    {"DATE", 'C', 15, false, "Actual Date"},
    {"PHONE", 'C', 30, true, "Phone 1"},
    {"PHONE2", 'C', 30, true, "Phone 2"},
    {"FAX", 'C', 40, true, "Fax"},
    {"EMAIL", 'C', 40, true, "Email"},
    {"CODES", 'C', 30, true, "Codes"},
    {"USER1", 'C', 40, true, "Comment 1"},
    {"USER2", 'C', 40, true, "Comment 2"},
    {"ISDEL", 'L', 1, false, "Deleted"},
    {"TAG", 'C', 8, false, ""},
    {"MEMO", 'M', 10, false, ""},
}};

const std::array<Tag, kTagCount> kTags = {{
    {"NAME", "UPPER(LNAME-FNAME)"},
    {"LNAME", "UPPER(LNAME)+UPPER(FNAME)"},
    {"FNAME", "UPPER(FNAME)"},
    {"TITLE", "UPPER(TITLE)"},
    {"ORG", "UPPER(ORG)"},
    {"STREET", "UPPER(STREET)"},
    {"STREET2", "UPPER(STREET2)"},
    {"CITY", "UPPER(CITY+STATE)"},
    {"STATE", "UPPER(STATE)"},
    {"ZIP", "UPPER(ZIP)"},
    {"COUNTRY", "UPPER(COUNTRY)"},
    {"PHONE", "UPPER(PHONE)"},
    {"PHONE2", "UPPER(PHONE2)"},
    {"EMAIL", "UPPER(EMAIL)"},
    {"FAX", "UPPER(FAX)"},
    {"USER1", "UPPER(USER1)"},
    {"USER2", "UPPER(USER2)"},
    {"DATE", "UPPER(DATE)"},
    {"TAG", "UPPER(TAG)"},
    {"CODES", "UPPER(CODES)"},
    {"PREFIX", "UPPER(PREFIX)"},
    {"MIDDLE", "UPPER(MIDDLE)"},
    {"DELETED", "DELETED()"},
    {"STATEZIP", "UPPER(STATE-ZIP)"},
    {"ISDEL", "ISDEL"},
    {"NOTISDEL", "!ISDEL"},
}};

std::vector<engine::FieldSpec> fieldSpecs(const std::function<int(const char*)>& widthOf) {
    std::vector<engine::FieldSpec> out;
    for (const Field& f : kFields) {
        int width = f.defaultWidth;
        if (f.variable && widthOf) {
            const int w = widthOf(f.name);
            if (w > 0)
                width = w;
        }
        out.push_back(engine::FieldSpec{f.name, f.type, width, 0});
    }
    return out;
}

engine::Status buildTags(engine::Table& table, const engine::Progress& progress) {
    std::vector<engine::Table::TagDefinition> tags;
    for (const Tag& t : kTags)
        tags.emplace_back(t.name, t.expression);
    return table.createTags(tags, progress);
}

engine::Status createTable(const std::string& path, const std::function<int(const char*)>& widthOf) {
    if (auto st = engine::Table::create(path, fieldSpecs(widthOf)); !st)
        return st;
    auto t = engine::Table::open(path);
    if (!t)
        return t.status();
    if (auto st = buildTags(**t); !st)
        return st;
    return (*t)->close();
}

}  // namespace qorvel::address
