#pragma once

#include "data/dataset.h"

#include <QString>

namespace qorvel {

// Which blocks of a record the clipboard text holds.
struct RecordTextParts {
    bool name = true;      // "Name, Organization, Title"
    bool address = true;   // "Address"
    bool phones = true;    // "Phone Numbers"
    bool codes = true;     // "Codes"
    bool comments = true;  // "Comments 1 && 2"
};

// The current record as lines of text, each ended by CR LF; empty lines are left out.
QString GetRecordAsString(const Dataset& table, const RecordTextParts& parts);

}  // namespace qorvel
