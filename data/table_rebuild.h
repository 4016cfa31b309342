#pragma once

#include "data/dataset.h"

#include <QString>
#include <functional>

namespace qorvel {

// Reports a step's text (when it changes) and the gauge's percentage.
using RebuildProgress = std::function<void(const QString& step, int percent)>;

// Rebuilding the open address table: pack away deletion-marked records (through a new
// file, so a crash leaves the old table), then build the 26 tags. The gauge reaches
// 100 when the last tag is done.
bool rebuildAddressTable(Dataset& table, const RebuildProgress& progress);

// Rebuilding the system tables: for each, pack and build its one tag anew. A table
// that fails is skipped without a message.
void rebuildSystemTables(const RebuildProgress& progress);

}  // namespace qorvel
