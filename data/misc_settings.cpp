#include "misc_settings.h"

#include "tag_id.h"

namespace qorvel::misc_settings {

namespace {
const QString kSection = QStringLiteral("Misc");
const QString kGettingStarted = QStringLiteral("GettingStarted");
const QString kGlobalTagId = QStringLiteral("GlobalTagId");
}  // namespace

bool gettingStartedDismissed(const ProfileFile& file) { return file.readBool(kSection, kGettingStarted, false); }

bool setGettingStartedDismissed(ProfileFile& file, bool dismissed) {
    return file.writeBool(kSection, kGettingStarted, dismissed);
}

QString loadTagId(ProfileFile& file, const QDateTime& now) {
    // An empty id would tag every record whose TAG is blank, so it counts as missing.
    QString id = file.readString(kSection, kGlobalTagId).left(8);
    if (id.isEmpty())
        id = NewTagId(now);
    saveTagId(file, id);
    return id;
}

bool saveTagId(ProfileFile& file, const QString& id) { return file.writeString(kSection, kGlobalTagId, id); }

}  // namespace qorvel::misc_settings
