#pragma once

#include "engine/cdx_tree.h"
#include "engine/index_key.h"
#include "engine/page_file.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qorvel::engine {

// Header of one index (a CDX tag, the CDX tag directory, or a compact IDX file),
// 1024 bytes, integers little-endian:
//   0..3 root page offset; 4..7 free page list (0 or -1: none); 8..11 reserved
//   12..13 key length; 14 options: 0x01 unique, 0x08 has FOR, 0x20 compact,
//   0x40 compound, 0x80 tag directory; 15 signature (1)
//   32..35 Qorvel's open-for-update mark in a CDX directory ("QVDX" while pages on
//   disk may lag behind the table; zero when they agree)
//   502..503 0 ascending, 1 descending
//   504..505 FOR expression position in the pool; 506..507 its length with the NUL
//   508..509 key expression position; 510..511 its length with the NUL
//   512..1023 expression pool: NUL-terminated key expression, then FOR expression
struct IndexHeader {
    static constexpr int kSize = 1024;
    static constexpr uint8_t kUnique = 0x01, kHasFor = 0x08, kCompact = 0x20, kCompound = 0x40,
                             kDirectory = 0x80;

    uint32_t root = 0;
    int keyLength = 0;
    uint8_t options = kCompact;
    bool descending = false;
    std::string keyExpression;
    std::string forExpression;

    static Result<IndexHeader> parse(const char* bytes, uint64_t fileSize, const std::string& fileName);
    std::string serialize() const;
};

// One order of an index file: its name, key maker and tree.
struct IndexTag {
    std::string name;                 // upper case; for an IDX the file's base name
    uint32_t headerOffset = 0;
    IndexHeader header;
    std::optional<KeyMaker> maker;    // empty when the expression cannot be compiled
    std::string cannotMaintain;       // why this engine must not write records under it
    std::unique_ptr<CdxTree> tree;
    bool headerDirty = false;

    bool maintainable() const { return cannotMaintain.empty(); }
    KeyFormat format() const;
};

// A compound CDX file or a single compact IDX file.
class IndexFile {
public:
    static Result<std::unique_ptr<IndexFile>> openCdx(const std::string& path, bool writable,
                                                     const std::vector<FieldInfo>& fields);
    static Result<std::unique_ptr<IndexFile>> createCdx(const std::string& path);
    static Result<std::unique_ptr<IndexFile>> createIdx(const std::string& path, const std::string& expression,
                                                       const std::vector<FieldInfo>& fields);
    static Result<std::unique_ptr<IndexFile>> openIdx(const std::string& path, bool writable,
                                                     const std::vector<FieldInfo>& fields);

    bool compound() const { return compound_; }
    const std::string& path() const { return file_->path(); }
    PageFile& pages() { return *file_; }

    // Tags in creation order (by header position).
    const std::vector<std::unique_ptr<IndexTag>>& tags() const { return tags_; }
    IndexTag* find(const std::string& name) const;

    // Adds a tag built from entries sorted by key then record number.
    // REQUIRES: a compound file; a tag of that name does not exist yet.
    Result<IndexTag*> addTag(const std::string& name, KeyMaker maker, const std::vector<CdxTree::Entry>& entries);

    // Marks the file as lagging behind the table before anything changes.
    Status beginUpdate();
    // Writes changed pages and headers, then clears the mark.
    Status flush();
    // True when the file was left mid-update (a crash while pages were changing).
    bool leftMidUpdate() const { return leftMidUpdate_; }
    Status sync() { return file_->sync(); }

private:
    IndexFile() = default;
    Status readDirectory(const std::vector<FieldInfo>& fields);
    static void prepareTag(IndexTag& tag, const std::vector<FieldInfo>& fields);
    static Result<std::unique_ptr<IndexFile>> openPages(const std::string& path, bool writable, bool compound);
    // Gives the tag its tree, whose root moves are written into the tag's header.
    void attachTree(IndexTag& tag, char pad);
    Status writeHeader(const IndexTag& tag);
    Status setMark(bool updating);

    std::unique_ptr<PageFile> file_;
    bool compound_ = true;
    IndexHeader directoryHeader_;
    std::unique_ptr<CdxTree> directory_;
    bool directoryHeaderDirty_ = false;
    std::vector<std::unique_ptr<IndexTag>> tags_;
    bool updating_ = false;
    bool leftMidUpdate_ = false;
};

}  // namespace qorvel::engine
