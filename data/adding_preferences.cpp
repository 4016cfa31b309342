#include "adding_preferences.h"

namespace qorvel {

namespace {
const QString kSection = QStringLiteral("Adding");
}

const std::array<CarryKey, kCarryCount> kCarryKeys = {{
    {"CarryOrg", "Organization"},
    {"CarrySA1", "Address 1"},
    {"CarrySA2", "Address 2"},
    {"CarryCity", "City"},
    {"CarryState", "State/Province"},
    {"CarryZip", "Zip/Postal Code"},
    {"CarryCountry", "Country"},
}};

const std::array<SkipKey, kSkipCount> kSkipKeys = {{
    {"SkipLastName", "Last Name", "LNAME"},
    {"SkipfirstName", "First Name", "FNAME"},
    {"SkipMiddleInitial", "Middle Initial", "MIDDLE"},
    {"SkipPrefix", "Prefix", "PREFIX"},
    {"Skiptitle", "Title", "TITLE"},
    {"SkipOrganization", "Organization", "ORG"},
    {"SkipAddress2", "Address 2", "STREET2"},
    {"SkipState", "State/Province", "STATE"},
    {"SkipZip", "Zip/Postal Code", "ZIP"},
    {"SkipCountry", "Country", "COUNTRY"},
    {"SkipPhone1", "Phone #1", "PHONE"},
    {"SkipPhone2", "Phone #2", "PHONE2"},
    {"SkipFax", "Fax", "FAX"},
    {"SkipEmail", "E-Mail", "EMAIL"},
    {"SkipCodes", "Codes", "CODES"},
    {"SkipComments1", "Comments #1", "USER1"},
    {"Skipcomments2", "Comments #2", "USER2"},
    {"SkipDate", "Date", "DATE"},
}};

AddingPreferences AddingPreferences::load(const ProfileFile& file) {
    AddingPreferences p;
    p.plugDate = file.readBool(kSection, QStringLiteral("PlugDate"), false);
    p.plugCityState = file.readBool(kSection, QStringLiteral("PlugCityState"), false);
    p.autoDupCheck = file.readBool(kSection, QStringLiteral("AutoDupCheck"), false);
    p.defaultCountry = file.readString(kSection, QStringLiteral("DefaultCountry")).left(kDefaultCountryLength);
    for (int i = 0; i < kCarryCount; ++i)
        p.carry[i] = file.readBool(kSection, QLatin1String(kCarryKeys[i].key), false);
    for (int i = 0; i < kSkipCount; ++i)
        p.skip[i] = file.readBool(kSection, QLatin1String(kSkipKeys[i].key), false);
    return p;
}

bool AddingPreferences::save(ProfileFile& file) const {
    const auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    ProfileFile::Entries e;
    e.reserve(kKeyCount);
    e.emplace_back(QStringLiteral("PlugDate"), flag(plugDate));
    e.emplace_back(QStringLiteral("PlugCityState"), flag(plugCityState));
    e.emplace_back(QStringLiteral("AutoDupCheck"), flag(autoDupCheck));
    e.emplace_back(QStringLiteral("DefaultCountry"), defaultCountry.left(kDefaultCountryLength));
    for (int i = 0; i < kCarryCount; ++i)
        e.emplace_back(QLatin1String(kCarryKeys[i].key), flag(carry[i]));
    for (int i = 0; i < kSkipCount; ++i)
        e.emplace_back(QLatin1String(kSkipKeys[i].key), flag(skip[i]));
    return file.writeStrings(kSection, e);
}

}  // namespace qorvel
