#pragma once

#include "engine/table.h"

#include <cstdint>

namespace qorvel::tool {

// Appends n realistic address records: mixed-case names with some accented
// letters, empty fields, US ZIP and ZIP+4 codes, Canadian postal codes, stored
// dates, about one in ten soft-deleted, memos and codes. The same seed gives the
// same records.
engine::Status appendGeneratedAddresses(engine::Table& table, uint64_t n, uint64_t seed,
                                        const engine::Progress& progress = {});

}  // namespace qorvel::tool
