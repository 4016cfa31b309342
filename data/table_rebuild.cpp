#include "table_rebuild.h"

#include "data/address_table.h"
#include "data/program_directory.h"
#include "data/system_tables.h"
#include "engine/sibling_file.h"

#include <QFile>

namespace qorvel {

namespace {

int percentOf(uint64_t done, uint64_t total) { return total == 0 ? 100 : int(done * 100 / total); }

// Drops the production index file of an open table.
bool dropIndex(engine::Table& t) {
    const std::string cdx = t.productionIndexPath();
    if (!t.closeIndexes())
        return false;
    return !engine::fileExists(cdx) || QFile::remove(QString::fromStdString(cdx));
}

}  // namespace

bool rebuildAddressTable(Dataset& table, const RebuildProgress& progress) {
    engine::Table* t = table.table();
    if (!t)
        return false;
    table.cancel();
    progress(QStringLiteral("Cleaning out old deleted records"), 0);
    if (!dropIndex(*t))
        return false;
    const engine::Status packed = t->pack([&](uint64_t done, uint64_t total) {
        progress(QString(), percentOf(done, total));
    });
    if (!packed)
        return false;
    progress(QStringLiteral("Rebuilding indexes"), 0);
    const bool built = BuildAddressIndexes(table, [&](uint64_t done, uint64_t total) {
        progress(QString(), percentOf(done, total));
    });
    table.first();
    return built;
}

void rebuildSystemTables(const RebuildProgress& progress) {
    for (SystemTable which : systemTablesInRebuildOrder()) {
        const SystemTableInfo& info = systemTableInfo(which);
        progress(QString::fromLatin1(info.rebuildStep), 0);
        const QString path = homePath(QStringLiteral("sysdata/") + QLatin1String(info.file));
        auto t = engine::Table::open(path.toStdString());
        if (!t)
            continue;
        if (!dropIndex(**t))
            continue;
        const engine::Status packed = (*t)->pack([&](uint64_t done, uint64_t total) {
            progress(QString(), percentOf(done, total) / 2);
        });
        if (packed)
            (void)(*t)->createTag(info.tag, info.expression);
        (*t)->close();
        progress(QString(), 100);
    }
}

}  // namespace qorvel
