#pragma once

#include "engine/status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel::engine {

// DBF header layout (all integers little-endian):
//   0     version: 0x03 plain, 0xF5 FoxPro 2.x with memo, 0x30/0x31/0x32 Visual FoxPro,
//         0x83/0x8B dBASE with memo
//   1..3  date of last update: year - 1900, month, day
//   4..7  record count
//   8..9  header length (records start here)
//   10..11 record length, deletion flag byte included
//   28    table flags: 0x01 production (structural) CDX, 0x02 memo, 0x04 database
//   29    code-page mark: 0x03 Windows 1252 (0x00 read as 1252)
//   32..  32-byte field descriptors, ended by 0x0D:
//         0..10 name (NUL padded), 11 type, 12..15 displacement, 16 width,
//         17 decimals, 18 flags (Visual FoxPro: 0x01 system, 0x02 nullable)
// Records: one flag byte (' ' live, '*' deletion-marked) then the fields in order.
// The data ends with 0x1A.

struct FieldInfo {
    std::string name;  // upper case
    char type = 'C';   // C N L D M F I Y T B G V Q W ...
    int width = 0;
    int decimals = 0;
    int offset = 0;    // within the record, after the deletion flag
    bool system = false;  // Visual FoxPro's hidden _NullFlags and the like
};

struct DbfHeader {
    static constexpr int kDescriptorSize = 32;
    static constexpr uint8_t kFoxProMemo = 0xF5;
    static constexpr uint8_t kPlain = 0x03;
    static constexpr uint8_t kCodePage1252 = 0x03;
    static constexpr uint8_t kFlagProductionIndex = 0x01;

    uint8_t version = kPlain;
    int updateYear = 2000, updateMonth = 1, updateDay = 1;
    uint32_t recordCount = 0;
    uint32_t headerLength = 0;
    uint32_t recordLength = 0;
    uint8_t flags = 0;
    uint8_t codePage = kCodePage1252;
    std::vector<FieldInfo> fields;

    bool hasMemoFields() const;
    // Visual FoxPro keeps memo block numbers in 4 binary bytes.
    bool binaryMemoPointers() const { return version == 0x30 || version == 0x31 || version == 0x32; }

    // Parses the fixed 32 bytes; the field descriptors follow with parseFields.
    // fileName is only for messages.
    static Result<DbfHeader> parse(std::string_view fixed32, const std::string& fileName);
    // Parses descriptors from the bytes after offset 32 up to the header length.
    Status parseFields(std::string_view descriptors, const std::string& fileName);

    // A FoxPro 2.x header for these fields (offsets and lengths computed here).
    static Result<DbfHeader> forNewTable(const std::vector<FieldInfo>& fields);
    // The header bytes, headerLength long.
    std::string serialize() const;
    // The first 32 bytes only (what changes as records are added).
    std::string serializeFixed() const;
    // Sets the last-update date to today.
    void stampToday();
};

// Valid field name: 1..10 characters, a letter first, then letters, digits or '_'.
bool validFieldName(std::string_view name);

}  // namespace qorvel::engine
