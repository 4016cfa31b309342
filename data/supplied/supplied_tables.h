#pragma once

#include <QString>

namespace qorvel {

// Writes the tables that come with the program (the label template catalogue
// LBLTPL.DBF and the state/ZIP table CSZ.DBF, each with its index) into the folder.
// Existing files are left alone. Returns false when one could not be written.
bool installSuppliedTables(const QString& sysdataDir);

}  // namespace qorvel
