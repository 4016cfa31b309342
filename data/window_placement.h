#pragma once

#include "profile_file.h"

#include <QRect>
#include <optional>

namespace qorvel {

// A window's remembered normal-state rectangle, in section "<class>_Placement".
struct WindowPlacement {
    QRect normal;  // Left/Top/Right/Bottom, right and bottom exclusive as stored
    bool maximized = false;

    static std::optional<WindowPlacement> load(const ProfileFile& file, const QString& windowClass);
    bool save(ProfileFile& file, const QString& windowClass) const;
};

}  // namespace qorvel
