#pragma once

#include "profile_file.h"

namespace qorvel {

// QORVEL.ini in the program directory: settings and window placement alike.
ProfileFile settingsFile();

}  // namespace qorvel
