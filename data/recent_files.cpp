#include "recent_files.h"

namespace qorvel {

namespace {
const QString kSection = QStringLiteral("MRU");
QString itemKey(int n) { return QStringLiteral("Item%1").arg(n); }
}  // namespace

void RecentFiles::GetMRUList() {
    items_.clear();
    for (int n = 1; n <= kMaxEntries; ++n) {
        const QString v = file_.readString(kSection, itemKey(n));
        if (!v.isEmpty())
            items_.append(v);
    }
}

bool RecentFiles::PutMRUList() {
    ProfileFile::Entries e;
    for (int i = 0; i < items_.size(); ++i)
        e.emplace_back(itemKey(i + 1), items_.at(i));
    return e.empty() || file_.writeStrings(kSection, e);
}

void RecentFiles::UpdateMRUList(const QString& path) {
    QStringList next{path};
    for (int i = 0; i < items_.size() && i < kMaxEntries && next.size() < kMaxEntries; ++i) {
        if (items_.at(i) != path)  // exact spelling: a path differing in case is another entry
            next.append(items_.at(i));
    }
    items_ = next;
    PutMRUList();
}

}  // namespace qorvel
