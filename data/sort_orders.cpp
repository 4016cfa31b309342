#include "sort_orders.h"

namespace qorvel {

const std::array<SortOrder, 14> kSortOrders = {{
    {"&Last Name", "LNAME"},
    {"&First Name", "FNAME"},
    {"&Title", "TITLE"},
    {"&Organization", "ORG"},
    {"&Street", "STREET"},
    {"&City", "CITY"},
    {"&State", "STATE"},
    {"&Zip", "ZIP"},
    {"&Country", "COUNTRY"},
    {"&Phone", "PHONE"},
    {"&E-mail", "EMAIL"},
    {"&Fax", "FAX"},
    {"&Date", "DATE"},
    {"&Codes", "CODES"},
}};

QString SortOrder::name() const { return QString::fromLatin1(menuCaption).mid(1).left(30); }

const SortOrder* sortOrderNamed(const QString& name) {
    for (const SortOrder& s : kSortOrders) {
        if (s.name().compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

}  // namespace qorvel
