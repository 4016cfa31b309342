#pragma once

#include "engine/page_file.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel::engine {

// A position in a tree: a leaf page and an entry in it. index == size of the leaf
// (or leaf == 0) means past the end.
struct TreeCursor {
    uint32_t leaf = 0;
    int index = 0;
    bool valid() const { return leaf != 0; }
};

// One B+ tree of a compact index: keys in ascending byte order, equal keys in
// record-number order; interior entries hold the last key of their child.
class CdxTree {
public:
    CdxTree(PageFile& file, uint32_t root, int keyLength, char pad)
        : file_(&file), root_(root), keyLength_(keyLength), pad_(pad) {}

    uint32_t root() const { return root_; }
    int keyLength() const { return keyLength_; }
    char pad() const { return pad_; }
    // Called when a root split or collapse moves the root (the header must follow).
    std::function<void(uint32_t)> onRootChanged;

    // Creates an empty tree (one empty root leaf) and returns its root offset.
    static uint32_t createEmpty(PageFile& file, int keyLength, char pad);

    // REQUIRES: entries sorted by key then record number. Writes the pages at the end
    // of the file and returns the root offset. progress(done, total) may be empty.
    struct Entry {
        const char* key;
        uint32_t recno;
    };
    static Result<uint32_t> bulkBuild(PageFile& file, int keyLength, char pad, const std::vector<Entry>& entries);

    Result<TreeCursor> first();
    Result<TreeCursor> last();
    // First entry whose key, compared over prefix.size() bytes, is not below prefix.
    Result<TreeCursor> lowerBound(std::string_view prefix);
    // Last entry whose first prefix.size() bytes are not above prefix.
    Result<TreeCursor> upperBoundLast(std::string_view prefix);
    // First entry not below (key, recno), key full length.
    Result<TreeCursor> lowerBoundEntry(const char* key, uint32_t recno);

    // Moves to the next or previous entry; returns false at either end (the cursor
    // then becomes invalid).
    Result<bool> next(TreeCursor& c);
    Result<bool> prev(TreeCursor& c);

    // The record numbers of up to `count` entries after a valid cursor in its leaf
    // (for reading ahead); returns how many were written.
    size_t recnosAfter(const TreeCursor& c, uint32_t* out, size_t count);

    // Key and record number at a valid cursor.
    Result<const char*> key(const TreeCursor& c);
    Result<uint32_t> recno(const TreeCursor& c);

    Status insert(const char* key, uint32_t recno);
    // Returns an error when the entry is not in the tree.
    Status erase(const char* key, uint32_t recno);

    // Visits every entry in order; stop by returning false.
    Status forEach(const std::function<bool(const char* key, uint32_t recno)>& visit);

private:
    struct Step {
        CdxNode* node;
        int index;
    };
    Result<CdxNode*> load(uint32_t offset);
    // Where a descent ends: a position in a leaf, or past the tree's last entry.
    struct Landing {
        uint32_t leaf = 0;
        int pos = 0;
        bool pastEnd = false;
    };
    // Descends to the first entry for which before(node, index) is false.
    template <typename Before>
    Result<Landing> descend(Before before);
    int compareEntry(const char* a, uint32_t ra, const char* b, uint32_t rb) const;
    Status descendTo(const char* key, uint32_t recno, std::vector<Step>& path);
    Result<TreeCursor> normalize(TreeCursor c);
    void dirty(CdxNode* n) { file_->markDirty(n, keyLength_, pad_); }
    Status fixMaxUpwards(std::vector<Step>& path);
    Status splitLeaf(std::vector<Step>& path);
    Status splitInterior(std::vector<Step>& path, size_t level);
    // Moves the first `count` entries of a node into a new node linked in on its left.
    Result<CdxNode*> splitOffLeft(CdxNode* right, size_t count);
    Status insertIntoParent(std::vector<Step>& path, size_t level, CdxNode* left, CdxNode* right);
    Status removeChild(std::vector<Step>& path, size_t level);
    void setRoot(uint32_t offset);

    PageFile* file_;
    uint32_t root_;
    int keyLength_;
    char pad_;
};

}  // namespace qorvel::engine
