#pragma once

#include "engine/expression.h"
#include "engine/status.h"

#include <string>
#include <string_view>

namespace qorvel::engine {

// How index keys are stored. Character keys are the bytes of the value, padded
// with blanks. Numbers and dates are 8-byte IEEE doubles, big-endian, with the sign
// bit flipped for values >= 0 and every bit inverted for negatives, so that bytewise
// order is numeric order; dates are their Julian day numbers. Logicals are "T"/"F".
enum class KeyType { Character, Numeric, Date, Logical };

struct KeyFormat {
    KeyType type = KeyType::Character;
    int length = 0;
    // Trailing bytes equal to this are left out of compressed leaf entries.
    char pad() const { return type == KeyType::Character || type == KeyType::Logical ? ' ' : '\0'; }
};

void encodeNumberKey(double v, char* out8);
double decodeNumberKey(const char* in8);

// Computes the key of one record for an index expression. Common key shapes
// (fields, UPPER(), + and - of them, logical fields and their negation, DELETED())
// are copied straight into the key; anything else runs the compiled expression.
class KeyMaker {
public:
    static Result<KeyMaker> create(std::string_view expression, const std::vector<FieldInfo>& fields);

    const KeyFormat& format() const { return format_; }
    const std::string& expression() const { return expr_.source(); }
    const Expression& compiled() const { return expr_; }

    // Writes format().length bytes.
    void make(const EvalContext& ctx, char* out);

    // The bytes of a record the key is made from: [first, last).
    int firstByteRead() const { return firstByte_; }
    int lastByteRead() const { return lastByte_; }

    // A seek value as typed by a caller (text for character keys, digits for numbers,
    // YYYYMMDD or mm/dd/yyyy for dates, T/F/.T./.F. for logicals) in key form. Character
    // values are not padded: a shorter value is a key prefix. Returns false when the
    // value does not fit the key type.
    bool encodeSeek(std::string_view value1252, std::string& out) const;

private:
    struct Piece {
        int offset = 0;
        int width = 0;
        bool upper = false;
        bool trimJoin = false;  // joined with '-': previous trailing blanks move to the end
    };
    enum class Fast { None, Pieces, LogicalField, NotLogicalField, Deleted, NotDeleted };

    void detectFastPath(const std::vector<FieldInfo>& fields);

    Expression expr_;
    KeyFormat format_;
    Fast fast_ = Fast::None;
    std::vector<Piece> pieces_;
    int logicalOffset_ = 0;
    int firstByte_ = 0, lastByte_ = 1;
};

}  // namespace qorvel::engine
