#pragma once

#include "data/dataset.h"
#include "data/new_field_widths.h"

#include <QString>

namespace qorvel {

// The address table object: field objects in display order, with the calculated
// fields Tagged, FullName, FullNameWithPrefix, CityStateZip and DisplayDate.
// The three name and address fields stay hidden until SetExtraFields(true).
void defineAddressFields(Dataset& table);

// Computes the calculated fields of a row. tagId is the current tag id; the name
// and address fields are only computed while extra fields are shown.
void addressCalcFields(const RowReader& row, const QString& tagId, bool extraFields, QHash<QString, QVariant>& out);

// The three name and address fields, visible (and computed) or not.
void SetExtraFields(Dataset& table, bool visible);

// Creates the table with the given widths and its 26 tags; leaves nothing open.
// Shows "Create failed" or "File creation failed" on failure.
bool CreateAddressTable(const QString& path, Dataset& creationTable, const NewFieldWidths& widths);
// Replaces the production index of the open table by the 26 tags; progress counts
// finished tags. Shows "Unable to create index files" on failure.
bool BuildAddressIndexes(Dataset& table, const engine::Progress& progress = {});
// Points the table object at the file and opens it (exclusively) after FitFieldSizes.
// Shows "File <path> not found" when it does not exist.
bool OpenTableFile(const QString& path, Dataset& table);
// Every stored field object must exist in the file; each takes the file's width.
bool FitFieldSizes(Dataset& table);

}  // namespace qorvel
