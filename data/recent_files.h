#pragma once

#include "profile_file.h"

#include <QStringList>

namespace qorvel {

// The recent-files list of section "MRU": Item1..Item4, most recent first.
class RecentFiles {
public:
    static constexpr int kMaxEntries = 4;

    explicit RecentFiles(ProfileFile file) : file_(std::move(file)) {}

    // Reads Item1..Item4, taking every non-empty value in key order.
    void GetMRUList();
    // Writes Item1 up to the number of entries.
    bool PutMRUList();
    // The most recent entry, or empty.
    QString GetMRUFile() const { return items_.isEmpty() ? QString() : items_.first(); }
    // Puts path first; older entries follow unless spelled exactly like it. Then writes.
    void UpdateMRUList(const QString& path);

    const QStringList& items() const { return items_; }

private:
    ProfileFile file_;
    QStringList items_;
};

}  // namespace qorvel
