#pragma once

#include "data/dataset.h"

namespace qorvel {

// The program's own tables in sysdata/, each with one tag in its production index.
enum class SystemTable { Letter, Report, Envelope, Label, LabelTemplate, StateZip };

struct SystemTableInfo {
    SystemTable table;
    const char* file;        // "LETTER.DBF"
    bool creatable;          // created when missing
    const char* tag;         // "DESCRIPT"
    const char* expression;  // its key
    const char* failure;     // message when it cannot be opened (or created)
    const char* rebuildStep; // the line the system rebuild shows for it
};

const SystemTableInfo& systemTableInfo(SystemTable table);
// In the order the system rebuild takes them.
const std::vector<SystemTable>& systemTablesInRebuildOrder();

// Field list a missing creatable table is created with.
std::vector<engine::FieldSpec> systemTableFields(SystemTable table);

// Opens the table exclusively into the table object (its field objects are taken
// from the file), creating it when missing and allowed; creates its tag when the
// index file is missing. Shows the table's message and returns false on failure.
bool OpenSystemTable(SystemTable table, Dataset& into);

// The same for each table, by the names the windows use.
inline bool OpenLetterTable(Dataset& t) { return OpenSystemTable(SystemTable::Letter, t); }
inline bool OpenReportTable(Dataset& t) { return OpenSystemTable(SystemTable::Report, t); }
inline bool OpenEnvelopeTable(Dataset& t) { return OpenSystemTable(SystemTable::Envelope, t); }
inline bool OpenLabelTable(Dataset& t) { return OpenSystemTable(SystemTable::Label, t); }
inline bool OpenLabelTemplateTable(Dataset& t) { return OpenSystemTable(SystemTable::LabelTemplate, t); }
inline bool OpenStateZipTable(Dataset& t) { return OpenSystemTable(SystemTable::StateZip, t); }

// Gives a dataset one field object per field of the file, in file order.
void defineFieldsFromFile(Dataset& table, const engine::Table& file);

}  // namespace qorvel
