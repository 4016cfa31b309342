#include "engine/byte_io.h"
#include "engine/cdx_page.h"

#include <algorithm>
#include <cstring>

namespace qorvel::engine {

namespace {

int bitsFor(uint32_t v) {
    int b = 0;
    while (v) {
        ++b;
        v >>= 1;
    }
    return b;
}

int trailCount(const char* key, int keyLength, char pad) { return trailingPadCount(key, keyLength, pad); }
int dupCount(const char* key, const char* prev, int limit) { return sharedPrefixCount(key, prev, limit); }

Status damaged(const std::string& fileName, uint32_t offset, const char* what) {
    return Status::Error(fileName + " is damaged: index page at offset " + std::to_string(offset) + " " + what);
}

}  // namespace

int trailingPadCount(const char* key, int keyLength, char pad) {
    // Eight bytes at a time: most keys end in a long run of blanks.
    uint64_t pattern;
    std::memset(&pattern, static_cast<unsigned char>(pad), 8);
    int t = 0;
    while (t + 8 <= keyLength) {
        uint64_t w;
        std::memcpy(&w, key + keyLength - t - 8, 8);
        if (w != pattern)
            break;
        t += 8;
    }
    while (t < keyLength && key[keyLength - 1 - t] == pad)
        ++t;
    return t;
}

int sharedPrefixCount(const char* key, const char* prev, int limit) {
    int d = 0;
    while (d + 8 <= limit) {
        uint64_t a, b;
        std::memcpy(&a, key + d, 8);
        std::memcpy(&b, prev + d, 8);
        if (a != b)
            return d + __builtin_ctzll(a ^ b) / 8;
        d += 8;
    }
    while (d < limit && key[d] == prev[d])
        ++d;
    return d;
}

LeafBits leafBitsFor(int keyLength, uint32_t maxRecno) {
    LeafBits b;
    b.dupBits = b.trailBits = std::max(1, bitsFor(uint32_t(keyLength)));
    const int needed = bitsFor(maxRecno) + b.dupBits + b.trailBits;
    b.bytes = std::max(3, (needed + 7) / 8);
    b.recnoBits = b.bytes * 8 - b.dupBits - b.trailBits;
    return b;
}

int storedKeyBytes(const char* key, const char* prev, int keyLength, char pad) {
    const int trail = trailCount(key, keyLength, pad);
    const int dup = prev ? dupCount(key, prev, keyLength - trail) : 0;
    return keyLength - trail - dup;
}

Status decodeCdxPage(const char* page, uint32_t offset, int keyLength, char pad, uint64_t fileSize,
                     const std::string& fileName, CdxNode& out) {
    const uint16_t attr = le16(page);
    const uint16_t count = le16(page + 2);
    if (attr > 3)
        return damaged(fileName, offset, "has unknown attributes");
    out.offset = offset;
    out.leaf = (attr & CdxPageLayout::kLeaf) != 0;
    out.root = (attr & CdxPageLayout::kRoot) != 0;
    out.left = le32(page + 4);
    out.right = le32(page + 8);
    out.keys.assign(size_t(count) * size_t(keyLength), '\0');
    out.recnos.assign(count, 0);
    out.children.clear();
    out.storedBytes = 0;
    out.maxRecno = 0;
    const auto validPage = [&](uint32_t p) {
        return p != 0xFFFFFFFF && p % CdxPageLayout::kPageSize == 0 && uint64_t(p) + CdxPageLayout::kPageSize <= fileSize;
    };
    if ((out.left != 0xFFFFFFFF && !validPage(out.left)) || (out.right != 0xFFFFFFFF && !validPage(out.right)))
        return damaged(fileName, offset, "points to a sibling outside the file");

    if (!out.leaf) {
        if (count == 0 || count > CdxPageLayout::interiorCapacity(keyLength))
            return damaged(fileName, offset, "has an impossible number of keys");
        out.children.assign(count, 0);
        const char* p = page + CdxPageLayout::kInteriorHeader;
        for (size_t i = 0; i < count; ++i, p += keyLength + 8) {
            std::memcpy(out.key(i, keyLength), p, size_t(keyLength));
            out.recnos[i] = be32(p + keyLength);
            out.children[i] = be32(p + keyLength + 4);
            if (!validPage(out.children[i]) || out.children[i] == offset)
                return damaged(fileName, offset, "points to a child outside the file");
        }
        return Status::Ok();
    }

    const uint32_t recMask = le32(page + 14);
    const unsigned dupMask = static_cast<unsigned char>(page[18]);
    const unsigned trailMask = static_cast<unsigned char>(page[19]);
    const int recBits = static_cast<unsigned char>(page[20]);
    const int dupBits = static_cast<unsigned char>(page[21]);
    const int trailBits = static_cast<unsigned char>(page[22]);
    const int bytes = static_cast<unsigned char>(page[23]);
    if (count > 0 && (bytes < 1 || bytes > 8 || recBits + dupBits + trailBits > bytes * 8 || recBits > 32 ||
                      dupBits > 8 || trailBits > 8))
        return damaged(fileName, offset, "has an impossible entry layout");
    if (size_t(count) * size_t(bytes) > size_t(CdxPageLayout::kLeafSpace))
        return damaged(fileName, offset, "has more keys than fit");
    const char* entries = page + CdxPageLayout::kLeafHeader;
    int keyEnd = CdxPageLayout::kPageSize;  // stored key bytes run backwards from here
    const int entriesEnd = CdxPageLayout::kLeafHeader + count * bytes;
    for (size_t i = 0; i < count; ++i) {
        uint64_t v = 0;
        for (int b = bytes - 1; b >= 0; --b)
            v = v << 8 | static_cast<unsigned char>(entries[i * size_t(bytes) + size_t(b)]);
        const uint32_t rec = uint32_t(v) & recMask;
        const int dup = int((v >> recBits) & dupMask);
        const int trail = int((v >> (recBits + dupBits)) & trailMask);
        if (dup > keyLength || trail > keyLength || dup + trail > keyLength || (i == 0 && dup > 0))
            return damaged(fileName, offset, "has a key with impossible counts");
        const int stored = keyLength - dup - trail;
        keyEnd -= stored;
        if (keyEnd < entriesEnd)
            return damaged(fileName, offset, "has keys overlapping their entries");
        char* k = out.key(i, keyLength);
        if (dup > 0)
            std::memcpy(k, out.key(i - 1, keyLength), size_t(dup));
        std::memcpy(k + dup, page + keyEnd, size_t(stored));
        std::memset(k + dup + stored, pad, size_t(trail));
        out.recnos[i] = rec;
        out.maxRecno = std::max(out.maxRecno, rec);
    }
    out.storedBytes = -1;  // counted with this engine's rule when the leaf first changes
    return Status::Ok();
}

int cdxLeafBytes(const CdxNode& node, int keyLength, char pad) {
    uint32_t maxRec = 0;
    for (uint32_t r : node.recnos)
        maxRec = std::max(maxRec, r);
    const LeafBits bits = leafBitsFor(keyLength, maxRec);
    int total = int(node.size()) * bits.bytes;
    for (size_t i = 0; i < node.size(); ++i)
        total += storedKeyBytes(node.key(i, keyLength), i ? node.key(i - 1, keyLength) : nullptr, keyLength, pad);
    return total;
}

bool encodeCdxLeafRun(const LeafRun& run, int keyLength, uint32_t left, uint32_t right, bool root, char* page) {
    std::memset(page, 0, CdxPageLayout::kPageSize);
    uint32_t maxRec = 0;
    for (size_t i = 0; i < run.count; ++i)
        maxRec = std::max(maxRec, run.recnos[i]);
    const LeafBits bits = leafBitsFor(keyLength, maxRec);
    putLe16(page, CdxPageLayout::kLeaf | (root ? CdxPageLayout::kRoot : 0));
    putLe16(page + 2, uint32_t(run.count));
    putLe32(page + 4, left);
    putLe32(page + 8, right);
    const uint32_t recMask = bits.recnoBits >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << bits.recnoBits) - 1;
    putLe32(page + 14, recMask);
    page[18] = static_cast<char>((1u << bits.dupBits) - 1);
    page[19] = static_cast<char>((1u << bits.trailBits) - 1);
    page[20] = static_cast<char>(bits.recnoBits);
    page[21] = static_cast<char>(bits.dupBits);
    page[22] = static_cast<char>(bits.trailBits);
    page[23] = static_cast<char>(bits.bytes);
    const int entriesEnd = CdxPageLayout::kLeafHeader + int(run.count) * bits.bytes;
    int keyEnd = CdxPageLayout::kPageSize;
    char* entry = page + CdxPageLayout::kLeafHeader;
    for (size_t i = 0; i < run.count; ++i, entry += bits.bytes) {
        const int dup = run.dup[i], trail = run.trail[i];
        const int stored = keyLength - dup - trail;
        keyEnd -= stored;
        if (keyEnd < entriesEnd)
            return false;
        std::memcpy(page + keyEnd, run.keys[i] + dup, size_t(stored));
        const uint64_t v = uint64_t(run.recnos[i]) | uint64_t(dup) << bits.recnoBits |
                           uint64_t(trail) << (bits.recnoBits + bits.dupBits);
        for (int b = 0; b < bits.bytes; ++b)
            entry[b] = static_cast<char>(v >> (8 * b));
    }
    putLe16(page + 12, uint32_t(keyEnd - entriesEnd));
    return true;
}

bool encodeCdxLeaf(const CdxNode& node, int keyLength, char pad, char* page) {
    const size_t n = node.size();
    std::vector<const char*> keys(n);
    std::vector<uint8_t> dup(n), trail(n);
    for (size_t i = 0; i < n; ++i) {
        keys[i] = node.key(i, keyLength);
        trail[i] = uint8_t(trailCount(keys[i], keyLength, pad));
        dup[i] = i ? uint8_t(dupCount(keys[i], keys[i - 1], keyLength - trail[i])) : 0;
    }
    return encodeCdxLeafRun(LeafRun{keys.data(), node.recnos.data(), dup.data(), trail.data(), n}, keyLength,
                            node.left, node.right, node.root, page);
}

void encodeCdxInterior(const CdxNode& node, int keyLength, char* page) {
    std::memset(page, 0, CdxPageLayout::kPageSize);
    putLe16(page, node.root ? CdxPageLayout::kRoot : CdxPageLayout::kInterior);
    putLe16(page + 2, uint32_t(node.size()));
    putLe32(page + 4, node.left);
    putLe32(page + 8, node.right);
    char* p = page + CdxPageLayout::kInteriorHeader;
    for (size_t i = 0; i < node.size(); ++i, p += keyLength + 8) {
        std::memcpy(p, node.key(i, keyLength), size_t(keyLength));
        putBe32(p + keyLength, node.recnos[i]);
        putBe32(p + keyLength + 4, node.children[i]);
    }
}

}  // namespace qorvel::engine
