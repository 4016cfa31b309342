#pragma once

#include "engine/cdx_page.h"
#include "engine/status.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace qorvel::engine {

// A file of 512-byte index pages with a cache of decoded nodes. Nodes are changed in
// memory and written back by flush(); new pages are taken from pages freed in this
// session or appended at the end of the file.
class PageFile {
public:
    ~PageFile();
    PageFile(const PageFile&) = delete;
    PageFile& operator=(const PageFile&) = delete;

    static Result<std::unique_ptr<PageFile>> open(const std::string& path, bool writable);
    static Result<std::unique_ptr<PageFile>> create(const std::string& path);

    const std::string& path() const { return path_; }
    const std::string& name() const { return name_; }  // file name for messages
    bool writable() const { return writable_; }
    uint64_t size() const { return size_; }

    Status readBytes(uint64_t offset, char* out, size_t length) const;
    Status writeBytes(uint64_t offset, const char* data, size_t length);

    // The decoded node at offset; owned by the cache and valid until trim().
    Result<CdxNode*> node(uint32_t offset, int keyLength, char pad);
    // A fresh empty node with a page of its own.
    CdxNode* newNode(int keyLength, char pad, bool leaf);
    void markDirty(CdxNode* n, int keyLength, char pad);
    void release(uint32_t offset);  // the page is no longer used by any tree

    // Appends raw pages (for bulk builds) and returns the offset of the first.
    uint32_t appendRaw(const std::string& pages);
    uint32_t reserve(size_t pages);  // space at the end, not yet written

    // Writes every changed node. The cache keeps them.
    Status flush();
    // Drops clean nodes when the cache is large; call only between tree operations.
    Status trim();
    // How many decoded nodes a file keeps before trimming (all files of the process).
    static void setNodeCacheLimit(size_t nodes);
    void dropCache();
    Status sync();
    Status truncate(uint64_t size);

private:
    PageFile() = default;
    struct Entry {
        std::unique_ptr<CdxNode> node;
        int keyLength = 0;
        char pad = ' ';
        bool dirty = false;
        uint64_t used = 0;  // when last asked for, to keep the busiest nodes on trimming
    };
    uint64_t clock_ = 0;
    std::string path_, name_;
    int fd_ = -1;
    bool writable_ = false;
    uint64_t size_ = 0;
    std::unordered_map<uint32_t, Entry> cache_;
    std::vector<uint32_t> freePages_;
    std::vector<uint32_t> toBlank_;  // freed pages whose old content is still on disk
    std::vector<uint32_t> dirty_;  // offsets of changed nodes, so a flush need not scan the cache
};

}  // namespace qorvel::engine
