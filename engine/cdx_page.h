#pragma once

#include "engine/status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorvel::engine {

// Compact index pages (CDX tags and compact IDX files), 512 bytes, integers
// little-endian unless noted:
//   0..1   attributes: 0 interior, 1 root, 2 leaf (3 = root and leaf)
//   2..3   number of keys
//   4..7   left sibling page offset (-1 none)
//   8..11  right sibling page offset (-1 none)
// Interior page, from 12: per key the full key, then the record number and the child
//   page offset, both 4 bytes big-endian. Each key is the last key of its child.
// Leaf page:
//   12..13 free bytes in the key area
//   14..17 record number mask; 18 duplicate-count mask; 19 trailing-count mask
//   20 record-number bits; 21 duplicate bits; 22 trailing bits; 23 bytes per entry
//   24..   one entry per key: record number, duplicate count (bytes shared with the
//          previous key) and trailing count (pad bytes dropped at the end), packed
//          little-endian in that order of bits. The remaining key bytes are stored
//          from the end of the page backwards, first key last.
struct CdxPageLayout {
    static constexpr int kPageSize = 512;
    static constexpr int kLeafHeader = 24;
    static constexpr int kLeafSpace = kPageSize - kLeafHeader;  // 488
    static constexpr int kInteriorHeader = 12;
    static constexpr uint16_t kInterior = 0, kRoot = 1, kLeaf = 2;

    static int interiorCapacity(int keyLength) { return (kPageSize - kInteriorHeader) / (keyLength + 8); }
};

// One decoded node. Keys are stored full length, one after another.
struct CdxNode {
    uint32_t offset = 0;
    bool leaf = true;
    bool root = false;
    uint32_t left = 0xFFFFFFFF;
    uint32_t right = 0xFFFFFFFF;
    std::vector<char> keys;
    std::vector<uint32_t> recnos;
    std::vector<uint32_t> children;  // interior only
    int storedBytes = 0;             // leaf: key bytes an encoding stores; -1 not counted yet
    uint32_t maxRecno = 0;           // leaf: at least the largest record number held

    size_t size() const { return recnos.size(); }
    const char* key(size_t i, int keyLength) const { return keys.data() + i * size_t(keyLength); }
    char* key(size_t i, int keyLength) { return keys.data() + i * size_t(keyLength); }
};

struct LeafBits {
    int recnoBits = 0, dupBits = 0, trailBits = 0, bytes = 0;
};

// The entry layout for a leaf whose largest record number is maxRecno: duplicate and
// trailing counts get the bits their key length needs, the record number the rest
// of at least three bytes.
LeafBits leafBitsFor(int keyLength, uint32_t maxRecno);

// Bytes of key i that a leaf stores: key length minus shared prefix and pad tail.
int storedKeyBytes(const char* key, const char* previousKey, int keyLength, char pad);
// The pad bytes at the end of a key, and the bytes a key shares with the one before
// it (at most limit).
int trailingPadCount(const char* key, int keyLength, char pad);
int sharedPrefixCount(const char* key, const char* previous, int limit);

// Encodes a leaf from keys whose duplicate and trailing counts are known (dup[0] must
// be 0). Returns false when they do not fit.
struct LeafRun {
    const char* const* keys;
    const uint32_t* recnos;
    const uint8_t* dup;
    const uint8_t* trail;
    size_t count;
};
bool encodeCdxLeafRun(const LeafRun& run, int keyLength, uint32_t left, uint32_t right, bool root, char* page);

// Decodes a page; every count, mask and offset is checked against the page and the
// file size. fileName names the file in messages.
Status decodeCdxPage(const char* page, uint32_t offset, int keyLength, char pad, uint64_t fileSize,
                     const std::string& fileName, CdxNode& out);

// Encodes a leaf; returns false when the keys do not fit one page.
bool encodeCdxLeaf(const CdxNode& node, int keyLength, char pad, char* page);
// Bytes a leaf with these keys needs (entries and key bytes), to compare with kLeafSpace.
int cdxLeafBytes(const CdxNode& node, int keyLength, char pad);
void encodeCdxInterior(const CdxNode& node, int keyLength, char* page);

}  // namespace qorvel::engine
