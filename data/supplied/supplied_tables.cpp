#include "supplied_tables.h"

#include "data/program_directory.h"

#include <QFile>
#include <QFileInfo>

namespace qorvel {

bool installSuppliedTables(const QString& sysdataDir) {
    bool ok = true;
    for (const char* name : {"LBLTPL.DBF", "LBLTPL.CDX", "CSZ.DBF", "CSZ.CDX"}) {
        const QString target = resolveIgnoringCase(sysdataDir, QLatin1String(name));
        if (QFileInfo::exists(target))
            continue;
        QFile source(QStringLiteral(":/supplied/") + QLatin1String(name));
        if (!source.copy(target)) {
            ok = false;
            continue;
        }
        // Copies out of the resources are read-only; the rebuild must be able to write.
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    return ok;
}

}  // namespace qorvel
