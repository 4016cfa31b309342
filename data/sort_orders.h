#pragma once

#include <QString>
#include <array>

namespace qorvel {

// The sort orders the Sort menu offers, each selecting one tag of the address table.
struct SortOrder {
    const char* menuCaption;  // "&Last Name"
    const char* tag;          // "LNAME"
    QString name() const;     // the caption without its first character: "Last Name"
};

extern const std::array<SortOrder, 14> kSortOrders;

// The tag of a sort name (compared in upper case); nullptr for an unknown name.
const SortOrder* sortOrderNamed(const QString& name);

}  // namespace qorvel
