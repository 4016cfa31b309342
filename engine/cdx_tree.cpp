#include "engine/cdx_tree.h"

#include <algorithm>
#include <cstring>

namespace qorvel::engine {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFF;
constexpr int kMaxDepth = 48;  // far beyond any real tree; stops loops in damaged files

int leafTotal(const CdxNode& n, int keyLength) {
    return n.storedBytes + int(n.size()) * leafBitsFor(keyLength, n.maxRecno).bytes;
}

void countStored(CdxNode& n, int keyLength, char pad) {
    n.storedBytes = 0;
    n.maxRecno = 0;
    for (size_t i = 0; i < n.size(); ++i) {
        n.storedBytes += storedKeyBytes(n.key(i, keyLength), i ? n.key(i - 1, keyLength) : nullptr, keyLength, pad);
        n.maxRecno = std::max(n.maxRecno, n.recnos[i]);
    }
}

Status damagedTree(const PageFile& f) { return Status::Error(f.name() + " is damaged: an index tree is malformed"); }

}  // namespace

uint32_t CdxTree::createEmpty(PageFile& file, int keyLength, char pad) {
    CdxNode* root = file.newNode(keyLength, pad, true);
    root->root = true;
    return root->offset;
}

Result<uint32_t> CdxTree::bulkBuild(PageFile& file, int keyLength, char pad, const std::vector<Entry>& entries) {
    // Leaves are packed full, left to right; then each interior level above them.
    struct Built {
        uint32_t offset;
        const char* lastKey;
        uint32_t lastRecno;
    };
    const size_t n = entries.size();
    std::vector<const char*> keys(n);
    std::vector<uint32_t> recnos(n);
    std::vector<uint8_t> dup(n), trail(n);
    for (size_t i = 0; i < n; ++i) {
        keys[i] = entries[i].key;
        recnos[i] = entries[i].recno;
        trail[i] = uint8_t(trailingPadCount(keys[i], keyLength, pad));
        dup[i] = i ? uint8_t(sharedPrefixCount(keys[i], keys[i - 1], keyLength - trail[i])) : 0;
    }
    // Page boundaries: as many keys as fit; a page's first key shares nothing.
    std::vector<size_t> starts;
    size_t i = 0;
    do {
        starts.push_back(i);
        int bytes = 0;
        uint32_t maxRec = 0;
        int entry = leafBitsFor(keyLength, 0).bytes;
        size_t count = 0;
        while (i < n) {
            const int s = keyLength - trail[i] - (count ? dup[i] : 0);
            if (recnos[i] > maxRec) {
                maxRec = recnos[i];
                entry = leafBitsFor(keyLength, maxRec).bytes;
            }
            if (bytes + s + int(count + 1) * entry > CdxPageLayout::kLeafSpace && count > 0)
                break;
            bytes += s;
            ++count;
            ++i;
        }
    } while (i < n);

    const size_t leafCount = starts.size();
    const uint32_t firstLeaf = file.reserve(leafCount);
    std::string buffer(leafCount * CdxPageLayout::kPageSize, '\0');
    std::vector<Built> level;
    level.reserve(leafCount);
    for (size_t p = 0; p < leafCount; ++p) {
        const size_t from = starts[p];
        const size_t to = p + 1 < leafCount ? starts[p + 1] : n;
        const uint32_t offset = firstLeaf + uint32_t(p * CdxPageLayout::kPageSize);
        const uint8_t savedDup = from < n ? dup[from] : 0;
        if (from < n)
            dup[from] = 0;
        const LeafRun run{keys.data() + from, recnos.data() + from, dup.data() + from, trail.data() + from, to - from};
        const bool ok = encodeCdxLeafRun(run, keyLength, p > 0 ? offset - CdxPageLayout::kPageSize : kNone,
                                         p + 1 < leafCount ? offset + CdxPageLayout::kPageSize : kNone,
                                         leafCount == 1, buffer.data() + p * CdxPageLayout::kPageSize);
        if (from < n)
            dup[from] = savedDup;
        if (!ok)
            return Status::Error(file.name() + ": an index key is too long for a page");
        if (to > from)
            level.push_back(Built{offset, keys[to - 1], recnos[to - 1]});
        else
            level.push_back(Built{offset, nullptr, 0});
    }
    if (auto st = file.writeBytes(firstLeaf, buffer.data(), buffer.size()); !st)
        return st;

    CdxNode node;
    const size_t capacity = size_t(CdxPageLayout::interiorCapacity(keyLength));
    std::string blankKey(size_t(keyLength), pad);
    while (level.size() > 1) {
        const size_t pagesNeeded = (level.size() + capacity - 1) / capacity;
        const uint32_t first = file.reserve(pagesNeeded);
        std::string out(pagesNeeded * CdxPageLayout::kPageSize, '\0');
        std::vector<Built> up;
        for (size_t p = 0; p < pagesNeeded; ++p) {
            const size_t from = p * capacity;
            const size_t to = std::min(level.size(), from + capacity);
            node = CdxNode();
            node.offset = first + uint32_t(p * CdxPageLayout::kPageSize);
            node.leaf = false;
            node.root = pagesNeeded == 1;
            node.left = p > 0 ? node.offset - CdxPageLayout::kPageSize : kNone;
            node.right = p + 1 < pagesNeeded ? node.offset + CdxPageLayout::kPageSize : kNone;
            for (size_t k = from; k < to; ++k) {
                const char* key = level[k].lastKey ? level[k].lastKey : blankKey.data();
                node.keys.insert(node.keys.end(), key, key + keyLength);
                node.recnos.push_back(level[k].lastRecno);
                node.children.push_back(level[k].offset);
            }
            encodeCdxInterior(node, keyLength, out.data() + p * CdxPageLayout::kPageSize);
            up.push_back(Built{node.offset, level[to - 1].lastKey, level[to - 1].lastRecno});
        }
        if (auto st = file.writeBytes(first, out.data(), out.size()); !st)
            return st;
        level = std::move(up);
    }
    return level.front().offset;
}

Result<CdxNode*> CdxTree::load(uint32_t offset) { return file_->node(offset, keyLength_, pad_); }

int CdxTree::compareEntry(const char* a, uint32_t ra, const char* b, uint32_t rb) const {
    const int c = std::memcmp(a, b, size_t(keyLength_));
    if (c != 0)
        return c;
    return ra < rb ? -1 : ra > rb ? 1 : 0;
}

void CdxTree::setRoot(uint32_t offset) {
    root_ = offset;
    if (onRootChanged)
        onRootChanged(offset);
}

Result<TreeCursor> CdxTree::normalize(TreeCursor c) {
    // A cursor at the end of a leaf moves to the start of the next non-empty leaf.
    for (int guard = 0; c.valid(); ++guard) {
        auto n = load(c.leaf);
        if (!n)
            return n.status();
        if (c.index < int((*n)->size()))
            return c;
        if ((*n)->right == kNone)
            return TreeCursor{};
        if (guard > 1 << 24)
            return damagedTree(*file_);
        c = TreeCursor{(*n)->right, 0};
    }
    return c;
}

Result<TreeCursor> CdxTree::first() {
    uint32_t off = root_;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        auto n = load(off);
        if (!n)
            return n.status();
        if ((*n)->leaf)
            return normalize(TreeCursor{off, 0});
        off = (*n)->children.front();
    }
    return damagedTree(*file_);
}

Result<TreeCursor> CdxTree::last() {
    uint32_t off = root_;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        auto n = load(off);
        if (!n)
            return n.status();
        CdxNode* node = *n;
        if (node->leaf) {
            // Trailing empty leaves can follow deletions; step back over them.
            for (int guard = 0; node->size() == 0; ++guard) {
                if (node->left == kNone || guard > 1 << 24)
                    return TreeCursor{};
                auto l = load(node->left);
                if (!l)
                    return l.status();
                node = *l;
            }
            return TreeCursor{node->offset, int(node->size()) - 1};
        }
        off = node->children.back();
    }
    return damagedTree(*file_);
}

template <typename Before>
Result<CdxTree::Landing> CdxTree::descend(Before before) {
    uint32_t off = root_;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        auto n = load(off);
        if (!n)
            return n.status();
        const CdxNode& node = **n;
        int lo = 0, hi = int(node.size());
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (before(node, size_t(mid)))
                lo = mid + 1;
            else
                hi = mid;
        }
        if (node.leaf)
            return Landing{off, lo, false};
        if (lo >= int(node.size()))
            return Landing{0, 0, true};
        off = node.children[size_t(lo)];
    }
    return damagedTree(*file_);
}

Result<TreeCursor> CdxTree::lowerBound(std::string_view prefix) {
    const size_t len = std::min(prefix.size(), size_t(keyLength_));
    auto at = descend([&](const CdxNode& node, size_t i) {
        return std::memcmp(node.key(i, keyLength_), prefix.data(), len) < 0;
    });
    if (!at)
        return at.status();
    return at->pastEnd ? TreeCursor{} : normalize(TreeCursor{at->leaf, at->pos});
}

Result<TreeCursor> CdxTree::upperBoundLast(std::string_view prefix) {
    const size_t len = std::min(prefix.size(), size_t(keyLength_));
    // Descend to the first entry above the prefix, then step back one.
    auto at = descend([&](const CdxNode& node, size_t i) {
        return std::memcmp(node.key(i, keyLength_), prefix.data(), len) <= 0;
    });
    if (!at)
        return at.status();
    if (at->pastEnd)
        return last();
    TreeCursor c{at->leaf, at->pos};
    auto p = prev(c);
    if (!p)
        return p.status();
    return *p ? c : TreeCursor{};
}

Result<TreeCursor> CdxTree::lowerBoundEntry(const char* key, uint32_t recno) {
    auto at = descend([&](const CdxNode& node, size_t i) {
        return compareEntry(node.key(i, keyLength_), node.recnos[i], key, recno) < 0;
    });
    if (!at)
        return at.status();
    return at->pastEnd ? TreeCursor{} : normalize(TreeCursor{at->leaf, at->pos});
}

Result<bool> CdxTree::next(TreeCursor& c) {
    if (!c.valid())
        return false;
    ++c.index;
    auto n = normalize(c);
    if (!n)
        return n.status();
    c = *n;
    return c.valid();
}

Result<bool> CdxTree::prev(TreeCursor& c) {
    if (!c.valid())
        return false;
    for (int guard = 0; guard < (1 << 24); ++guard) {
        if (c.index > 0) {
            --c.index;
            return true;
        }
        auto n = load(c.leaf);
        if (!n)
            return n.status();
        if ((*n)->left == kNone) {
            c = TreeCursor{};
            return false;
        }
        auto l = load((*n)->left);
        if (!l)
            return l.status();
        c = TreeCursor{(*l)->offset, int((*l)->size())};
    }
    return damagedTree(*file_);
}

Result<const char*> CdxTree::key(const TreeCursor& c) {
    auto n = load(c.leaf);
    if (!n)
        return n.status();
    if (c.index < 0 || c.index >= int((*n)->size()))
        return damagedTree(*file_);
    return static_cast<const char*>((*n)->key(size_t(c.index), keyLength_));
}

size_t CdxTree::recnosAfter(const TreeCursor& c, uint32_t* out, size_t count) {
    auto n = load(c.leaf);
    if (!n)
        return 0;
    size_t written = 0;
    for (size_t i = size_t(c.index) + 1; i < (*n)->size() && written < count; ++i)
        out[written++] = (*n)->recnos[i];
    return written;
}

Result<uint32_t> CdxTree::recno(const TreeCursor& c) {
    auto n = load(c.leaf);
    if (!n)
        return n.status();
    if (c.index < 0 || c.index >= int((*n)->size()))
        return damagedTree(*file_);
    return (*n)->recnos[size_t(c.index)];
}

Status CdxTree::descendTo(const char* key, uint32_t recno, std::vector<Step>& path) {
    path.clear();
    uint32_t off = root_;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        auto n = load(off);
        if (!n)
            return n.status();
        CdxNode* node = *n;
        int lo = 0, hi = int(node->size());
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (compareEntry(node->key(size_t(mid), keyLength_), node->recnos[size_t(mid)], key, recno) < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        if (node->leaf) {
            path.push_back(Step{node, lo});
            return Status::Ok();
        }
        if (node->size() == 0)
            return damagedTree(*file_);
        if (lo >= int(node->size()))
            lo = int(node->size()) - 1;  // beyond every key: the last child takes it
        path.push_back(Step{node, lo});
        off = node->children[size_t(lo)];
    }
    return damagedTree(*file_);
}

Status CdxTree::fixMaxUpwards(std::vector<Step>& path) {
    // After the last entry of a node changed, its parents' entries follow it.
    for (size_t level = path.size() - 1; level > 0; --level) {
        CdxNode* child = path[level].node;
        if (child->size() == 0)
            return Status::Ok();
        CdxNode* parent = path[level - 1].node;
        const size_t idx = size_t(path[level - 1].index);
        const char* lastKey = child->key(child->size() - 1, keyLength_);
        const uint32_t lastRec = child->recnos.back();
        if (std::memcmp(parent->key(idx, keyLength_), lastKey, size_t(keyLength_)) == 0 &&
            parent->recnos[idx] == lastRec)
            return Status::Ok();
        std::memcpy(parent->key(idx, keyLength_), lastKey, size_t(keyLength_));
        parent->recnos[idx] = lastRec;
        dirty(parent);
        if (idx + 1 != parent->size())
            return Status::Ok();
    }
    return Status::Ok();
}

Status CdxTree::insert(const char* key, uint32_t recno) {
    if (auto st = file_->trim(); !st)
        return st;
    std::vector<Step> path;
    if (auto st = descendTo(key, recno, path); !st)
        return st;
    CdxNode* leaf = path.back().node;
    const size_t pos = size_t(path.back().index);
    if (leaf->storedBytes < 0)
        countStored(*leaf, keyLength_, pad_);
    const char* prevKey = pos > 0 ? leaf->key(pos - 1, keyLength_) : nullptr;
    if (pos < leaf->size()) {
        const char* nextKey = leaf->key(pos, keyLength_);
        leaf->storedBytes -= storedKeyBytes(nextKey, prevKey, keyLength_, pad_);
        leaf->storedBytes += storedKeyBytes(nextKey, key, keyLength_, pad_);
    }
    leaf->storedBytes += storedKeyBytes(key, prevKey, keyLength_, pad_);
    leaf->keys.insert(leaf->keys.begin() + std::ptrdiff_t(pos * size_t(keyLength_)), key, key + keyLength_);
    leaf->recnos.insert(leaf->recnos.begin() + std::ptrdiff_t(pos), recno);
    leaf->maxRecno = std::max(leaf->maxRecno, recno);
    dirty(leaf);
    if (pos + 1 == leaf->size()) {
        if (auto st = fixMaxUpwards(path); !st)
            return st;
    }
    if (leafTotal(*leaf, keyLength_) > CdxPageLayout::kLeafSpace)
        return splitLeaf(path);
    return Status::Ok();
}

Status CdxTree::splitLeaf(std::vector<Step>& path) {
    CdxNode* right = path.back().node;  // keeps its page and its place in the parent
    const size_t n = right->size();
    // Choose the split that keeps the larger half smallest. The first key of the
    // right half loses its shared prefix.
    std::vector<int> stored(n), full(n);
    for (size_t i = 0; i < n; ++i) {
        stored[i] = storedKeyBytes(right->key(i, keyLength_), i ? right->key(i - 1, keyLength_) : nullptr,
                                   keyLength_, pad_);
        full[i] = storedKeyBytes(right->key(i, keyLength_), nullptr, keyLength_, pad_);
    }
    const int entry = leafBitsFor(keyLength_, right->maxRecno).bytes;
    int total = 0;
    for (int s : stored)
        total += s;
    int leftBytes = 0;
    size_t best = 1;
    int bestWorst = 1 << 30;
    for (size_t k = 1; k < n; ++k) {
        leftBytes += stored[k - 1];
        const int l = leftBytes + int(k) * entry;
        const int r = total - leftBytes - stored[k] + full[k] + int(n - k) * entry;
        const int worst = std::max(l, r);
        if (worst < bestWorst) {
            bestWorst = worst;
            best = k;
        }
    }
    if (bestWorst > CdxPageLayout::kLeafSpace)
        return Status::Error(file_->name() + ": an index key is too long for a page");

    auto left = splitOffLeft(right, best);
    if (!left)
        return left.status();
    countStored(**left, keyLength_, pad_);
    countStored(*right, keyLength_, pad_);
    return insertIntoParent(path, path.size() - 1, *left, right);
}

Result<CdxNode*> CdxTree::splitOffLeft(CdxNode* right, size_t count) {
    CdxNode* left = file_->newNode(keyLength_, pad_, right->leaf);
    const auto keyEnd = right->keys.begin() + std::ptrdiff_t(count * size_t(keyLength_));
    left->keys.assign(right->keys.begin(), keyEnd);
    right->keys.erase(right->keys.begin(), keyEnd);
    left->recnos.assign(right->recnos.begin(), right->recnos.begin() + std::ptrdiff_t(count));
    right->recnos.erase(right->recnos.begin(), right->recnos.begin() + std::ptrdiff_t(count));
    if (!right->leaf) {
        left->children.assign(right->children.begin(), right->children.begin() + std::ptrdiff_t(count));
        right->children.erase(right->children.begin(), right->children.begin() + std::ptrdiff_t(count));
    }
    left->left = right->left;
    left->right = right->offset;
    if (right->left != kNone) {
        auto ln = load(right->left);
        if (!ln)
            return ln.status();
        (*ln)->right = left->offset;
        dirty(*ln);
    }
    right->left = left->offset;
    dirty(right);
    return left;
}

Status CdxTree::insertIntoParent(std::vector<Step>& path, size_t level, CdxNode* left, CdxNode* right) {
    const char* leftMax = left->key(left->size() - 1, keyLength_);
    const uint32_t leftRec = left->recnos.back();
    if (level == 0) {
        // The root split: a new root above the two halves.
        CdxNode* root = file_->newNode(keyLength_, pad_, false);
        root->root = true;
        right->root = false;
        left->root = false;
        root->keys.assign(leftMax, leftMax + keyLength_);
        root->recnos.push_back(leftRec);
        root->children.push_back(left->offset);
        const char* rightMax = right->key(right->size() - 1, keyLength_);
        root->keys.insert(root->keys.end(), rightMax, rightMax + keyLength_);
        root->recnos.push_back(right->recnos.back());
        root->children.push_back(right->offset);
        dirty(right);
        setRoot(root->offset);
        return Status::Ok();
    }
    CdxNode* parent = path[level - 1].node;
    const size_t idx = size_t(path[level - 1].index);  // the entry of `right`
    parent->keys.insert(parent->keys.begin() + std::ptrdiff_t(idx * size_t(keyLength_)), leftMax, leftMax + keyLength_);
    parent->recnos.insert(parent->recnos.begin() + std::ptrdiff_t(idx), leftRec);
    parent->children.insert(parent->children.begin() + std::ptrdiff_t(idx), left->offset);
    dirty(parent);
    if (int(parent->size()) > CdxPageLayout::interiorCapacity(keyLength_))
        return splitInterior(path, level - 1);
    return Status::Ok();
}

Status CdxTree::splitInterior(std::vector<Step>& path, size_t level) {
    CdxNode* right = path[level].node;
    auto left = splitOffLeft(right, right->size() / 2);
    if (!left)
        return left.status();
    return insertIntoParent(path, level, *left, right);
}

Status CdxTree::erase(const char* key, uint32_t recno) {
    if (auto st = file_->trim(); !st)
        return st;
    std::vector<Step> path;
    if (auto st = descendTo(key, recno, path); !st)
        return st;
    CdxNode* leaf = path.back().node;
    const size_t pos = size_t(path.back().index);
    if (pos >= leaf->size() || compareEntry(leaf->key(pos, keyLength_), leaf->recnos[pos], key, recno) != 0)
        return Status::Error(file_->name() + ": index entry for record " + std::to_string(recno) + " is missing");
    if (leaf->storedBytes < 0)
        countStored(*leaf, keyLength_, pad_);
    const char* prevKey = pos > 0 ? leaf->key(pos - 1, keyLength_) : nullptr;
    const char* cur = leaf->key(pos, keyLength_);
    leaf->storedBytes -= storedKeyBytes(cur, prevKey, keyLength_, pad_);
    if (pos + 1 < leaf->size()) {
        const char* nextKey = leaf->key(pos + 1, keyLength_);
        leaf->storedBytes -= storedKeyBytes(nextKey, cur, keyLength_, pad_);
        leaf->storedBytes += storedKeyBytes(nextKey, prevKey, keyLength_, pad_);
    }
    const bool wasLast = pos + 1 == leaf->size();
    leaf->keys.erase(leaf->keys.begin() + std::ptrdiff_t(pos * size_t(keyLength_)),
                     leaf->keys.begin() + std::ptrdiff_t((pos + 1) * size_t(keyLength_)));
    leaf->recnos.erase(leaf->recnos.begin() + std::ptrdiff_t(pos));
    dirty(leaf);
    if (leaf->size() == 0 && path.size() > 1)
        return removeChild(path, path.size() - 1);
    if (wasLast) {
        if (auto st = fixMaxUpwards(path); !st)
            return st;
    }
    // Taking a key out can lengthen the one after it (it may share less with its new
    // neighbour than it did), so a full leaf can overflow here too.
    if (leafTotal(*leaf, keyLength_) > CdxPageLayout::kLeafSpace)
        return splitLeaf(path);
    return Status::Ok();
}

Status CdxTree::removeChild(std::vector<Step>& path, size_t level) {
    // path[level].node is empty: unlink it from its siblings and its parent.
    CdxNode* gone = path[level].node;
    if (gone->left != kNone) {
        auto l = load(gone->left);
        if (!l)
            return l.status();
        (*l)->right = gone->right;
        dirty(*l);
    }
    if (gone->right != kNone) {
        auto r = load(gone->right);
        if (!r)
            return r.status();
        (*r)->left = gone->left;
        dirty(*r);
    }
    const uint32_t goneOffset = gone->offset;
    CdxNode* parent = path[level - 1].node;
    const size_t idx = size_t(path[level - 1].index);
    parent->keys.erase(parent->keys.begin() + std::ptrdiff_t(idx * size_t(keyLength_)),
                       parent->keys.begin() + std::ptrdiff_t((idx + 1) * size_t(keyLength_)));
    parent->recnos.erase(parent->recnos.begin() + std::ptrdiff_t(idx));
    parent->children.erase(parent->children.begin() + std::ptrdiff_t(idx));
    dirty(parent);
    file_->release(goneOffset);
    path.resize(level);
    if (parent->size() == 0) {
        if (level - 1 == 0) {
            // The tree is empty: the root becomes an empty leaf again.
            parent->leaf = true;
            parent->storedBytes = 0;
            parent->maxRecno = 0;
            parent->left = parent->right = kNone;
            return Status::Ok();
        }
        return removeChild(path, level - 1);
    }
    if (idx == parent->size())
        return fixMaxUpwards(path);
    return Status::Ok();
}

Status CdxTree::forEach(const std::function<bool(const char*, uint32_t)>& visit) {
    auto c = first();
    if (!c)
        return c.status();
    TreeCursor cur = *c;
    const uint64_t maxPages = file_->size() / CdxPageLayout::kPageSize + 1;
    for (uint64_t visited = 0; cur.valid(); ++visited) {
        if (visited > maxPages)
            return damagedTree(*file_);
        auto n = load(cur.leaf);
        if (!n)
            return n.status();
        const CdxNode& node = **n;
        for (size_t i = size_t(cur.index); i < node.size(); ++i) {
            if (!visit(node.key(i, keyLength_), node.recnos[i]))
                return Status::Ok();
        }
        cur = TreeCursor{node.right, 0};
        if (node.right == kNone)
            break;
        auto nn = normalize(cur);
        if (!nn)
            return nn.status();
        cur = *nn;
    }
    return Status::Ok();
}

}  // namespace qorvel::engine
