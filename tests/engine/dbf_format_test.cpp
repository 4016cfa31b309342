#include "engine/dbf_header.h"
#include "engine/fpt_file.h"
#include "engine/table.h"

#include "temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace qorvel::engine;

namespace {

void put16(std::string& b, size_t at, uint32_t v) {
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}
void put32(std::string& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = char(v >> (8 * i));
}

// Writes a table header by hand, as other software would.
std::string header(uint8_t version, const std::vector<FieldInfo>& fields, uint32_t count, uint8_t codePage,
                   size_t extraAfterTerminator = 0) {
    int recLen = 1;
    for (const auto& f : fields)
        recLen += f.width;
    std::string b(32, '\0');
    b[0] = char(version);
    b[1] = 126;
    b[2] = 12;
    b[3] = 10;
    put32(b, 4, count);
    put16(b, 8, uint32_t(32 + 32 * fields.size() + 1 + extraAfterTerminator));
    put16(b, 10, uint32_t(recLen));
    b[29] = char(codePage);
    for (const auto& f : fields) {
        std::string d(32, '\0');
        std::memcpy(d.data(), f.name.data(), f.name.size());
        d[11] = f.type;
        d[16] = char(f.width);
        d[17] = char(f.decimals);
        b += d;
    }
    b += '\x0D';
    b.append(extraAfterTerminator, '\0');
    return b;
}

TEST(DbfFormat, NewTableHeaderIsFoxPro2) {
    TempDir dir;
    const std::string path = dir.file("new.dbf");
    ASSERT_TRUE(Table::create(path, {{"NAME", 'C', 20}, {"N", 'N', 8, 2}, {"OK", 'L', 1}, {"WHEN", 'D', 8},
                                     {"NOTE", 'M', 10}})
                    .ok());
    const std::string bytes = TempDir::read(path);
    ASSERT_EQ(bytes.size(), 32u + 5 * 32 + 1 + 1);
    EXPECT_EQ(uint8_t(bytes[0]), 0xF5);                 // FoxPro 2.x with memo
    EXPECT_EQ(uint8_t(bytes[8]) | uint8_t(bytes[9]) << 8, 32 + 5 * 32 + 1);
    EXPECT_EQ(uint8_t(bytes[10]) | uint8_t(bytes[11]) << 8, 1 + 20 + 8 + 1 + 8 + 10);
    EXPECT_EQ(uint8_t(bytes[29]), 0x03);                // Windows 1252
    EXPECT_EQ(bytes[32 + 5 * 32], '\x0D');
    EXPECT_EQ(bytes.back(), '\x1A');
    EXPECT_EQ(bytes[32 + 32 + 11], 'N');
    EXPECT_EQ(uint8_t(bytes[32 + 32 + 12]), 21u);       // the field's position in the record
    // The memo file: block size 64, first free block after the 512-byte header.
    const std::string fpt = TempDir::read(dir.file("new.fpt"));
    ASSERT_EQ(fpt.size(), 512u);
    EXPECT_EQ(fpt.substr(0, 4), std::string("\0\0\0\x08", 4));
    EXPECT_EQ(fpt.substr(6, 2), std::string("\0\x40", 2));

    ASSERT_TRUE(Table::create(dir.file("plain.dbf"), {{"NAME", 'C', 5}}).ok());
    EXPECT_EQ(uint8_t(TempDir::read(dir.file("plain.dbf"))[0]), 0x03);
}

TEST(DbfFormat, RefusesBadDefinitions) {
    TempDir dir;
    const std::vector<std::vector<FieldSpec>> bad = {
        {}, {{"1ABC", 'C', 5}}, {{"NAME", 'C', 0}}, {{"NAME", 'C', 255}}, {{"A", 'C', 5}, {"a", 'C', 5}},
        {{"TOOLONGNAME", 'C', 5}}, {{"N", 'N', 30}}, {{"X", 'Q', 4}}};
    for (const auto& fields : bad)
        EXPECT_FALSE(Table::create(dir.file("bad.dbf"), fields).ok());
    ASSERT_TRUE(Table::create(dir.file("t.dbf"), {{"A", 'C', 5}}).ok());
    EXPECT_FALSE(Table::create(dir.file("t.dbf"), {{"A", 'C', 5}}).ok());  // never overwrites
}

TEST(DbfFormat, ReadsForeignFieldTypes) {
    TempDir dir;
    const std::vector<FieldInfo> fields = {{"C", 'C', 6}, {"N", 'N', 7, 2}, {"F", 'F', 6, 1}, {"L", 'L', 1},
                                           {"D", 'D', 8}, {"I", 'I', 4},    {"Y", 'Y', 8},    {"T", 'T', 8},
                                           {"B", 'B', 8}, {"V", 'V', 6},    {"M", 'M', 4},    {"G", 'G', 4}};
    // Visual FoxPro layout: 263 bytes after the terminator, binary memo pointers.
    std::string b = header(0x30, fields, 1, 0x03, 263);
    std::string rec = " ";
    rec += "abc   ";
    rec += "  -3.25";
    rec += "  12.5";
    rec += "T";
    rec += "20261208";
    rec += std::string("\xFE\xFF\xFF\xFF", 4);  // -2
    rec += std::string("\x10\x27\0\0\0\0\0\0", 8);  // 1.0000 as currency
    const int32_t jd = Date::fromYmd(2026, 12, 8).julian;
    rec += std::string(reinterpret_cast<const char*>(&jd), 4) + std::string(4, '\0');
    const double dbl = 2.5;
    rec += std::string(reinterpret_cast<const char*>(&dbl), 8);
    rec += "v\xE9  x ";
    rec += std::string("\x08\0\0\0", 4);  // memo at block 8
    rec += std::string(4, '\0');
    b += rec;
    b += '\x1A';
    TempDir::write(dir.file("vfp.dbf"), b);
    auto fpt = FptFile::create(dir.file("vfp.fpt"));
    ASSERT_TRUE(fpt.ok());
    ASSERT_EQ(*(*fpt)->write(0, "memo text"), 8u);
    fpt->reset();

    auto t = Table::open(dir.file("vfp.dbf"), OpenMode::SharedReadOnly);
    ASSERT_TRUE(t.ok()) << t.message();
    Table& table = **t;
    auto get = [&](const char* name) { return table.getString(table.fieldIndex(name)); };
    EXPECT_EQ(get("C"), "abc");
    EXPECT_EQ(table.getNumber(table.fieldIndex("N")), -3.25);
    EXPECT_EQ(table.getNumber(table.fieldIndex("F")), 12.5);
    EXPECT_TRUE(table.getLogical(table.fieldIndex("L")));
    EXPECT_EQ(table.getDate(table.fieldIndex("D")), Date::fromYmd(2026, 12, 8));
    EXPECT_EQ(table.getNumber(table.fieldIndex("I")), -2);
    EXPECT_EQ(table.getNumber(table.fieldIndex("Y")), 1.0);
    EXPECT_EQ(table.getDate(table.fieldIndex("T")), Date::fromYmd(2026, 12, 8));
    EXPECT_EQ(table.getNumber(table.fieldIndex("B")), 2.5);
    EXPECT_EQ(get("V"), "vé  x");
    EXPECT_EQ(get("M"), "memo text");
    EXPECT_TRUE(table.memoEmpty(table.fieldIndex("G")));
    auto cond = table.evalLogical("I < 0 .AND. Y = 1 .AND. B > 2 .AND. T = D");
    ASSERT_TRUE(cond.ok()) << cond.message();
    EXPECT_TRUE(*cond);
}

TEST(DbfFormat, CodePageZeroReadsAs1252) {
    TempDir dir;
    std::string b = header(0x03, {{"NAME", 'C', 8}}, 1, 0x00);
    b += std::string(" M\xFC") + "ller  \x1A";
    TempDir::write(dir.file("cp0.dbf"), b);
    auto t = Table::open(dir.file("cp0.dbf"), OpenMode::SharedReadOnly);
    ASSERT_TRUE(t.ok()) << t.message();
    EXPECT_EQ((*t)->getString(0), "Müller");
}

TEST(DbfFormat, TextIsTrimmedOnReadCutOnWriteAndChecked) {
    TempDir dir;
    ASSERT_TRUE(Table::create(dir.file("t.dbf"), {{"NAME", 'C', 6}}).ok());
    auto t = Table::open(dir.file("t.dbf"));
    ASSERT_TRUE(t.ok());
    Table& table = **t;
    ASSERT_TRUE(table.appendBlank().ok());
    ASSERT_TRUE(table.setString(0, "Zoë Smithers").ok());
    ASSERT_TRUE(table.post().ok());
    EXPECT_EQ(table.getString(0), "Zoë Sm");
    EXPECT_EQ(table.rawField(0), "Zo\xEB Sm");
    ASSERT_TRUE(table.setString(0, "ab   ").ok());
    ASSERT_TRUE(table.post().ok());
    EXPECT_EQ(table.getString(0), "ab");
    const Status refused = table.setString(0, "Ωmega");
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(refused.message().find("NAME"), std::string::npos) << refused.message();
    EXPECT_EQ(table.getString(0), "ab");  // nothing changed
}

struct HostileCase {
    const char* name;
    std::string bytes;
    const char* message;  // part of the error
};

class HostileHeader : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileHeader, IsRefusedWithAClearMessage) {
    TempDir dir;
    const std::string path = dir.file("bad.dbf");
    TempDir::write(path, GetParam().bytes);
    for (OpenMode mode : {OpenMode::SharedReadOnly, OpenMode::Exclusive}) {
        auto t = Table::open(path, mode);
        ASSERT_FALSE(t.ok());
        EXPECT_NE(t.message().find("bad.dbf"), std::string::npos) << t.message();
        EXPECT_NE(t.message().find(GetParam().message), std::string::npos) << t.message();
    }
    EXPECT_EQ(TempDir::read(path), GetParam().bytes);  // nothing written
}

std::string good() { return header(0x03, {{"NAME", 'C', 8}, {"N", 'N', 4}}, 0, 3) + "\x1A"; }

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileHeader,
    ::testing::Values(HostileCase{"empty", "", "shorter than a table header"},
                      HostileCase{"short", good().substr(0, 20), "shorter than a table header"},
                      HostileCase{"text", std::string(400, 'x'), "unknown version"},
                      HostileCase{"cutInFields", good().substr(0, 50), "ends inside its header"},
                      HostileCase{"noTerminator",
                                  [] {
                                      std::string b = good();
                                      b[32 + 64] = 'X';
                                      return b;
                                  }(),
                                  "cut short"},
                      HostileCase{"zeroWidth",
                                  [] {
                                      std::string b = good();
                                      b[32 + 16] = 0;
                                      return b;
                                  }(),
                                  "invalid name, type or width"},
                      HostileCase{"fieldsTooLong",
                                  [] {
                                      std::string b = good();
                                      b[10] = 5;
                                      return b;
                                  }(),
                                  "longer than the record length"},
                      HostileCase{"zeroRecordLength",
                                  [] {
                                      std::string b = good();
                                      b[10] = b[11] = 0;
                                      return b;
                                  }(),
                                  "impossible"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
