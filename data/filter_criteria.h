#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace qorvel {

// The eighteen filter boxes of the main window and the filter expression built
// from them.
struct FilterCriterion {
    const char* label;       // the box's label, as in the main window
    const char* expression;  // the field expression in the condition
    int position;            // where its condition stands in the expression (1..18)
    const char* editorField; // the main window field whose editor the box sits beside
};

inline constexpr int kCriteriaCount = 18;
// In box order, which is also the line order of filter files.
extern const std::array<FilterCriterion, kCriteriaCount> kCriteria;

struct FilterCriteria {
    std::array<QString, kCriteriaCount> texts;
    bool taggedOnly = false;

    bool isEmpty() const;
    void clear();
};

// One box's condition, as typed (upper-cased, not trimmed): ";" splits into
// alternatives, "+" into conditions that must all hold, "^" into exclusions; a part
// may begin with >=, >, <=, < or $.
QString buildFieldCondition(const QString& fieldExpression, const QString& criterion);

// All non-blank boxes in expression order joined with " and ", then the tag
// condition when taggedOnly. Empty when no filter is set.
QString BuildQueryString(const FilterCriteria& criteria, const QString& tagId);

// Filter files: 18 lines, CRLF, in box order.
QByteArray filterFileText(const FilterCriteria& criteria);
struct FilterFileRead {
    std::array<QString, kCriteriaCount> texts;
    bool complete = true;  // false when the file had fewer lines (the rest are empty)
};
// Nullopt when the bytes are not a filter file (binary, or far too long).
std::optional<FilterFileRead> parseFilterFile(const QByteArray& bytes);

}  // namespace qorvel
