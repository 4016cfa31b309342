#include "engine/cdx_page.h"
#include "engine/index_key.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace qorvel::engine;

namespace {

CdxNode leaf(const std::vector<std::string>& keys, int keyLength, uint32_t firstRecno = 1) {
    CdxNode n;
    n.offset = 512;
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string k = keys[i];
        k.resize(size_t(keyLength), ' ');
        n.keys.insert(n.keys.end(), k.begin(), k.end());
        n.recnos.push_back(firstRecno + uint32_t(i));
    }
    return n;
}

CdxNode roundTrip(const CdxNode& in, int keyLength, char pad) {
    char page[512];
    EXPECT_TRUE(encodeCdxLeaf(in, keyLength, pad, page));
    CdxNode out;
    const Status st = decodeCdxPage(page, in.offset, keyLength, pad, 4096, "t.cdx", out);
    EXPECT_TRUE(st.ok()) << st.message();
    // The free-byte count the page records is exact.
    const int used = cdxLeafBytes(in, keyLength, pad);
    EXPECT_EQ(uint8_t(page[12]) | uint8_t(page[13]) << 8, CdxPageLayout::kLeafSpace - used);
    return out;
}

TEST(CdxPage, CompressionEdgeCases) {
    struct Case {
        const char* name;
        std::vector<std::string> keys;
        int keyLength;
    } cases[] = {
        {"sharedLongPrefixes", {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0124",
                                "ABCDEFGHIJKLMNOPQRSTUVWXYZ0124", "ABCDEFGHIJKLMNOPQRSTUVWXYZ1"}, 30},
        {"manyDuplicates", std::vector<std::string>(150, "SMITH"), 10},
        {"allBlank", {"", "", "A", ""}, 20},
        {"blankAfterText", {"A", "", "AB"}, 8},
        {"oneByte", {"F", "F", "T", "T"}, 1},
        {"fullLength", {std::string(240, 'x'), std::string(239, 'x') + "y"}, 240},
        {"highBytes", {"\xC9TIENNE", "\xC9TIENNE", "\xFF\xFF"}, 12},
    };
    for (const Case& c : cases) {
        const CdxNode in = leaf(c.keys, c.keyLength);
        const CdxNode out = roundTrip(in, c.keyLength, ' ');
        EXPECT_EQ(out.keys, in.keys) << c.name;
        EXPECT_EQ(out.recnos, in.recnos) << c.name;
        EXPECT_TRUE(out.leaf) << c.name;
    }
}

TEST(CdxPage, NumericKeysCompressTrailingZeroBytes) {
    std::vector<double> values = {-1e9, -2.5, -0.0, 0, 1, 2, 3.25, 1024, 1e12};
    CdxNode n;
    n.offset = 1024;
    std::vector<std::string> encoded;
    for (double v : values) {
        std::string k(8, '\0');
        encodeNumberKey(v, k.data());
        encoded.push_back(k);
    }
    // Byte order of the encoded keys is numeric order.
    EXPECT_TRUE(std::is_sorted(encoded.begin(), encoded.end()));
    for (size_t i = 0; i < encoded.size(); ++i) {
        n.keys.insert(n.keys.end(), encoded[i].begin(), encoded[i].end());
        n.recnos.push_back(uint32_t(i + 1));
        EXPECT_EQ(decodeNumberKey(encoded[i].data()), values[i] == 0 ? 0.0 : values[i]);
    }
    const CdxNode out = roundTrip(n, 8, '\0');
    EXPECT_EQ(out.keys, n.keys);
    // Small integers end in zero bytes, which the leaf does not store.
    EXPECT_LT(cdxLeafBytes(n, 8, '\0'), int(values.size()) * (8 + 3));
}

TEST(CdxPage, EntryLayoutFollowsKeyLengthAndRecordNumbers) {
    struct Case {
        int keyLength;
        uint32_t maxRecno;
        int bytes, dupBits, recnoBits;
    } cases[] = {
        {10, 300, 3, 4, 16}, {60, 3000, 3, 6, 12}, {1, 300, 3, 1, 22}, {60, 100000, 4, 6, 20},
        {30, 16383, 3, 5, 14}, {30, 16384, 4, 5, 22}, {240, 1000000, 5, 8, 24},
    };
    for (const Case& c : cases) {
        const LeafBits b = leafBitsFor(c.keyLength, c.maxRecno);
        EXPECT_EQ(b.bytes, c.bytes) << c.keyLength << "/" << c.maxRecno;
        EXPECT_EQ(b.dupBits, c.dupBits);
        EXPECT_EQ(b.trailBits, c.dupBits);
        EXPECT_EQ(b.recnoBits, c.recnoBits);
    }
    // Large record numbers survive the wider entries.
    const CdxNode out = roundTrip(leaf({"A", "B"}, 4, 0x01FFFFFE), 4, ' ');
    EXPECT_EQ(out.recnos.back(), 0x01FFFFFFu);
}

TEST(CdxPage, TooManyKeysDoNotFit) {
    std::vector<std::string> keys;
    for (int i = 0; i < 40; ++i)
        keys.push_back(std::string(1, char('A' + i % 26)) + std::to_string(i) + std::string(20, char('a' + i % 26)));
    std::sort(keys.begin(), keys.end());
    char page[512];
    EXPECT_FALSE(encodeCdxLeaf(leaf(keys, 30), 30, ' ', page));
}

TEST(CdxPage, InteriorRoundTrip) {
    CdxNode n;
    n.offset = 2048;
    n.leaf = false;
    n.root = true;
    for (int i = 0; i < CdxPageLayout::interiorCapacity(10); ++i) {
        std::string k = "KEY" + std::to_string(i);
        k.resize(10, ' ');
        n.keys.insert(n.keys.end(), k.begin(), k.end());
        n.recnos.push_back(uint32_t(i + 1));
        n.children.push_back(uint32_t(512 * (i + 5)));
    }
    char page[512];
    encodeCdxInterior(n, 10, page);
    CdxNode out;
    ASSERT_TRUE(decodeCdxPage(page, 2048, 10, ' ', 1 << 20, "t.cdx", out).ok());
    EXPECT_FALSE(out.leaf);
    EXPECT_TRUE(out.root);
    EXPECT_EQ(out.keys, n.keys);
    EXPECT_EQ(out.children, n.children);
    // Record numbers and children are big-endian in interior pages.
    EXPECT_EQ(page[12 + 10 + 3], 1);
    EXPECT_EQ(std::string(page + 12 + 10 + 4, 4), std::string("\0\0\x0A\0", 4));
}

TEST(CdxPage, DamagedPagesAreReportedNeverFollowed) {
    char page[512];
    ASSERT_TRUE(encodeCdxLeaf(leaf({"ALPHA", "ALPHABET", "BETA"}, 10), 10, ' ', page));
    auto decode = [](const char* p, uint64_t fileSize = 4096) {
        CdxNode out;
        return decodeCdxPage(p, 512, 10, ' ', fileSize, "x.cdx", out);
    };
    struct Case {
        const char* name;
        std::function<void(char*)> damage;
    } cases[] = {
        {"attributes", [](char* p) { p[0] = 9; }},
        {"keyCount", [](char* p) { p[2] = char(200); }},
        {"entryBytes", [](char* p) { p[23] = 0; }},
        {"entryBits", [](char* p) { p[20] = 40; }},
        {"duplicateBeyondKey", [](char* p) { p[24 + 3 + 2] = char(0xFF); }},
        {"siblingOutsideFile", [](char* p) { std::memset(p + 8, 0x7F, 4); }},
        {"siblingMisaligned", [](char* p) { std::memcpy(p + 4, "\x01\x02\0\0", 4); }},
    };
    for (const Case& c : cases) {
        char copy[512];
        std::memcpy(copy, page, 512);
        c.damage(copy);
        const Status st = decode(copy);
        EXPECT_FALSE(st.ok()) << c.name;
        EXPECT_NE(st.message().find("x.cdx is damaged"), std::string::npos) << c.name << ": " << st.message();
    }
    // An interior page whose child lies outside the file, or is the page itself.
    CdxNode in;
    in.leaf = false;
    in.keys.assign(10, 'K');
    in.recnos = {1};
    in.children = {8192};
    char interior[512];
    encodeCdxInterior(in, 10, interior);
    EXPECT_FALSE(decode(interior).ok());
    in.children = {512};
    encodeCdxInterior(in, 10, interior);
    EXPECT_FALSE(decode(interior).ok());
    // Random bytes never crash the reader.
    std::mt19937 rng(5);
    for (int i = 0; i < 20000; ++i) {
        char junk[512];
        for (char& c : junk)
            c = char(rng());
        if (i % 2)
            junk[0] = char(rng() % 4), junk[1] = 0, junk[3] = 0;
        CdxNode out;
        (void)decodeCdxPage(junk, 512, 1 + int(rng() % 240), ' ', 1 << 16, "x.cdx", out);
    }
}

}  // namespace
