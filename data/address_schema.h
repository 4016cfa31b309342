#pragma once

#include "engine/table.h"

#include <array>
#include <functional>
#include <vector>

// The layout of an address table: its 23 stored fields and 26 index tags.
// Plain C++, so the command-line tool can create address tables too.
namespace qorvel::address {

struct Field {
    const char* name;
    char type;
    int defaultWidth;   // the width a new table gets unless the settings say otherwise
    bool variable;      // width comes from the settings
    const char* label;  // display label
};

inline constexpr int kFieldCount = 23;
inline constexpr int kTagCount = 26;

extern const std::array<Field, kFieldCount> kFields;

struct Tag {
    const char* name;
    const char* expression;
};
// In creation order.
extern const std::array<Tag, kTagCount> kTags;

// Field specifications for a new table; widthOf(name) gives a variable field's
// width (return 0 to keep the default).
std::vector<engine::FieldSpec> fieldSpecs(const std::function<int(const char*)>& widthOf = {});

// Creates the table with its fields and all tags. Leaves nothing open.
engine::Status createTable(const std::string& path, const std::function<int(const char*)>& widthOf = {});
// Builds every tag into the open table (after its production index was removed).
engine::Status buildTags(engine::Table& table, const engine::Progress& progress = {});

}  // namespace qorvel::address
