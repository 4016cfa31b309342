#pragma once

#include "profile_file.h"

#include <QDateTime>

namespace qorvel {

// Section "Misc".
namespace misc_settings {

// GettingStarted: true once the user asked not to see the Getting Started window.
bool gettingStartedDismissed(const ProfileFile& file);
bool setGettingStartedDismissed(ProfileFile& file, bool dismissed);

// Reads GlobalTagId (a fresh id when it is missing or empty) and writes it back, so
// the id survives to the next run.
QString loadTagId(ProfileFile& file, const QDateTime& now = QDateTime::currentDateTime());
bool saveTagId(ProfileFile& file, const QString& id);

}  // namespace misc_settings
}  // namespace qorvel
