#include "settings_file.h"

#include "program_directory.h"

namespace qorvel {

ProfileFile settingsFile() { return ProfileFile(homePath(QStringLiteral("QORVEL.ini"))); }

}  // namespace qorvel
