#include "engine/byte_io.h"
#include "engine/index_file.h"

#include <algorithm>
#include <cstring>

namespace qorvel::engine {

namespace {

constexpr int kDirectoryKeyLength = 10;
constexpr char kMark[4] = {'Q', 'V', 'D', 'X'};
constexpr int kMarkOffset = 32;

std::string poolString(const char* pool, int pos, int len) {
    if (pos < 0 || pos >= 512)
        return {};
    const int room = 512 - pos;
    const int limit = len > 0 ? std::min(len, room) : room;
    const char* s = pool + pos;
    return std::string(s, strnlen(s, size_t(limit)));
}

std::string upperName(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return s;
}

std::string baseNameNoExtension(const std::string& path) {
    std::string s = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    const auto dot = s.find_last_of('.');
    if (dot != std::string::npos)
        s.resize(dot);
    return upperName(s);
}

}  // namespace

Result<IndexHeader> IndexHeader::parse(const char* b, uint64_t fileSize, const std::string& fileName) {
    IndexHeader h;
    h.root = le32(b);
    h.keyLength = le16(b + 12);
    h.options = static_cast<uint8_t>(b[14]);
    h.descending = le16(b + 502) != 0;
    const int forPos = le16(b + 504), forLen = le16(b + 506);
    const int keyPos = le16(b + 508), keyLen = le16(b + 510);
    const char* pool = b + 512;
    h.keyExpression = poolString(pool, keyPos, keyLen);
    if (h.options & kHasFor)
        h.forExpression = poolString(pool, forPos, forLen);
    if (h.keyLength < 1 || h.keyLength > 240)
        return Status::Error(fileName + " is damaged: an index has an impossible key length");
    if (h.root % 512 != 0 || uint64_t(h.root) + 512 > fileSize || h.root == 0)
        return Status::Error(fileName + " is damaged: an index root lies outside the file");
    return h;
}

std::string IndexHeader::serialize() const {
    std::string b(kSize, '\0');
    putLe32(&b[0], root);
    putLe32(&b[4], 0);
    putLe16(&b[12], uint32_t(keyLength));
    b[14] = static_cast<char>(options);
    b[15] = 1;
    putLe16(&b[502], descending ? 1 : 0);
    const int keyLen = int(keyExpression.size()) + 1;
    const int forLen = int(forExpression.size()) + 1;
    putLe16(&b[504], uint32_t(keyLen));
    putLe16(&b[506], uint32_t(forLen));
    putLe16(&b[508], 0);
    putLe16(&b[510], uint32_t(keyLen));
    std::memcpy(&b[512], keyExpression.data(), std::min<size_t>(keyExpression.size(), 510));
    if (!forExpression.empty() && keyLen + forLen <= 512)
        std::memcpy(&b[512 + size_t(keyLen)], forExpression.data(), forExpression.size());
    return b;
}

KeyFormat IndexTag::format() const {
    if (maker)
        return maker->format();
    return KeyFormat{KeyType::Character, header.keyLength};
}

void IndexFile::prepareTag(IndexTag& tag, const std::vector<FieldInfo>& fields) {
    auto maker = KeyMaker::create(tag.header.keyExpression, fields);
    if (maker) {
        tag.maker = std::move(*maker);
        if (tag.maker->format().length != tag.header.keyLength)
            tag.cannotMaintain = "its key length differs from what its expression gives";
    } else {
        tag.cannotMaintain = "its key expression cannot be used here (" + maker.message() + ")";
    }
    if (tag.header.options & IndexHeader::kUnique)
        tag.cannotMaintain = "it is a unique index";
    if (!tag.header.forExpression.empty())
        tag.cannotMaintain = "it has a FOR condition";
    if (tag.header.descending)
        tag.cannotMaintain = "it is descending";
}

Result<std::unique_ptr<IndexFile>> IndexFile::openCdx(const std::string& path, bool writable,
                                                      const std::vector<FieldInfo>& fields) {
    auto opened = openPages(path, writable, true);
    if (!opened)
        return opened.status();
    std::unique_ptr<IndexFile> f = std::move(*opened);
    if (auto st = f->readDirectory(fields); !st)
        return st;
    return f;
}

Result<std::unique_ptr<IndexFile>> IndexFile::openPages(const std::string& path, bool writable, bool compound) {
    auto pf = PageFile::open(path, writable);
    if (!pf)
        return pf.status();
    std::unique_ptr<IndexFile> f(new IndexFile);
    f->file_ = std::move(*pf);
    f->compound_ = compound;
    return f;
}

Status IndexFile::readDirectory(const std::vector<FieldInfo>& fields) {
    const std::string& name = file_->name();
    char header[IndexHeader::kSize];
    if (file_->size() < IndexHeader::kSize + 512)
        return Status::Error(name + " is damaged: it is too short for an index");
    if (auto st = file_->readBytes(0, header, sizeof header); !st)
        return st;
    leftMidUpdate_ = std::memcmp(header + kMarkOffset, kMark, 4) == 0;
    auto dh = IndexHeader::parse(header, file_->size(), name);
    if (!dh)
        return dh.status();
    directoryHeader_ = *dh;
    if (!(directoryHeader_.options & IndexHeader::kCompound) || directoryHeader_.keyLength != kDirectoryKeyLength)
        return Status::Error(name + " is not a compound index");
    directory_ = std::make_unique<CdxTree>(*file_, directoryHeader_.root, kDirectoryKeyLength, ' ');
    directory_->onRootChanged = [this](uint32_t root) {
        directoryHeader_.root = root;
        directoryHeaderDirty_ = true;
    };
    std::vector<std::pair<std::string, uint32_t>> entries;
    Status walk = directory_->forEach([&](const char* key, uint32_t offset) {
        std::string n(key, kDirectoryKeyLength);
        while (!n.empty() && (n.back() == ' ' || n.back() == '\0'))
            n.pop_back();
        entries.emplace_back(upperName(n), offset);
        return entries.size() < 10000;
    });
    if (!walk)
        return walk;
    for (const auto& [tagName, offset] : entries) {
        if (offset % 512 != 0 || uint64_t(offset) + IndexHeader::kSize > file_->size() || offset == 0)
            return Status::Error(name + " is damaged: tag " + tagName + " has its header outside the file");
        char th[IndexHeader::kSize];
        if (auto st = file_->readBytes(offset, th, sizeof th); !st)
            return st;
        auto h = IndexHeader::parse(th, file_->size(), name);
        if (!h)
            return Status::Error(h.message() + " (tag " + tagName + ")");
        auto tag = std::make_unique<IndexTag>();
        tag->name = tagName;
        tag->headerOffset = offset;
        tag->header = *h;
        prepareTag(*tag, fields);
        attachTree(*tag, tag->format().pad());
        tags_.push_back(std::move(tag));
    }
    std::sort(tags_.begin(), tags_.end(),
              [](const auto& a, const auto& b) { return a->headerOffset < b->headerOffset; });
    return Status::Ok();
}

Result<std::unique_ptr<IndexFile>> IndexFile::createCdx(const std::string& path) {
    auto pf = PageFile::create(path);
    if (!pf)
        return pf.status();
    std::unique_ptr<IndexFile> f(new IndexFile);
    f->file_ = std::move(*pf);
    f->compound_ = true;
    f->file_->reserve(2);
    f->directoryHeader_.keyLength = kDirectoryKeyLength;
    f->directoryHeader_.options = IndexHeader::kCompact | IndexHeader::kCompound | IndexHeader::kDirectory;
    f->directoryHeader_.root = CdxTree::createEmpty(*f->file_, kDirectoryKeyLength, ' ');
    f->directory_ = std::make_unique<CdxTree>(*f->file_, f->directoryHeader_.root, kDirectoryKeyLength, ' ');
    IndexFile* raw = f.get();
    f->directory_->onRootChanged = [raw](uint32_t root) {
        raw->directoryHeader_.root = root;
        raw->directoryHeaderDirty_ = true;
    };
    f->directoryHeaderDirty_ = true;
    if (auto st = f->flush(); !st)
        return st;
    return f;
}

Result<std::unique_ptr<IndexFile>> IndexFile::createIdx(const std::string& path, const std::string& expression,
                                                       const std::vector<FieldInfo>& fields) {
    auto maker = KeyMaker::create(expression, fields);
    if (!maker)
        return maker.status();
    auto pf = PageFile::create(path);
    if (!pf)
        return pf.status();
    std::unique_ptr<IndexFile> f(new IndexFile);
    f->file_ = std::move(*pf);
    f->compound_ = false;
    f->file_->reserve(2);
    auto tag = std::make_unique<IndexTag>();
    tag->name = baseNameNoExtension(path);
    tag->headerOffset = 0;
    tag->header.keyLength = maker->format().length;
    tag->header.options = IndexHeader::kCompact;
    tag->header.keyExpression = expression;
    const char pad = maker->format().pad();
    tag->maker = std::move(*maker);
    tag->header.root = CdxTree::createEmpty(*f->file_, tag->header.keyLength, pad);
    f->attachTree(*tag, pad);
    tag->headerDirty = true;
    f->tags_.push_back(std::move(tag));
    if (auto st = f->flush(); !st)
        return st;
    return f;
}

Result<std::unique_ptr<IndexFile>> IndexFile::openIdx(const std::string& path, bool writable,
                                                     const std::vector<FieldInfo>& fields) {
    auto opened = openPages(path, writable, false);
    if (!opened)
        return opened.status();
    std::unique_ptr<IndexFile> f = std::move(*opened);
    char header[IndexHeader::kSize];
    if (f->file_->size() < IndexHeader::kSize + 512)
        return Status::Error(f->file_->name() + " is damaged: it is too short for an index");
    if (auto st = f->file_->readBytes(0, header, sizeof header); !st)
        return st;
    f->leftMidUpdate_ = std::memcmp(header + kMarkOffset, kMark, 4) == 0;
    auto h = IndexHeader::parse(header, f->file_->size(), f->file_->name());
    if (!h)
        return h.status();
    if (h->options & IndexHeader::kCompound)
        return Status::Error(f->file_->name() + " is a compound index, not a single index");
    auto tag = std::make_unique<IndexTag>();
    tag->name = baseNameNoExtension(path);
    tag->header = *h;
    prepareTag(*tag, fields);
    f->attachTree(*tag, tag->format().pad());
    f->tags_.push_back(std::move(tag));
    return f;
}

void IndexFile::attachTree(IndexTag& tag, char pad) {
    tag.tree = std::make_unique<CdxTree>(*file_, tag.header.root, tag.header.keyLength, pad);
    IndexTag* raw = &tag;
    tag.tree->onRootChanged = [raw](uint32_t root) {
        raw->header.root = root;
        raw->headerDirty = true;
    };
}

IndexTag* IndexFile::find(const std::string& name) const {
    const std::string n = upperName(name);
    for (const auto& t : tags_) {
        if (t->name == n)
            return t.get();
    }
    return nullptr;
}

Result<IndexTag*> IndexFile::addTag(const std::string& name0, KeyMaker maker,
                                   const std::vector<CdxTree::Entry>& entries) {
    const std::string name = upperName(name0);
    if (!compound_)
        return Status::Error(file_->name() + " is not a compound index");
    if (name.empty() || name.size() > 10)
        return Status::Error("Invalid tag name \"" + name + "\"");
    if (find(name))
        return Status::Error("Tag " + name + " already exists in " + file_->name());
    if (auto st = beginUpdate(); !st)
        return st;
    auto tag = std::make_unique<IndexTag>();
    tag->name = name;
    tag->headerOffset = file_->reserve(2);
    tag->header.keyLength = maker.format().length;
    tag->header.options = IndexHeader::kCompact | IndexHeader::kCompound;
    tag->header.keyExpression = maker.expression();
    const char pad = maker.format().pad();
    auto root = CdxTree::bulkBuild(*file_, tag->header.keyLength, pad, entries);
    if (!root)
        return root.status();
    tag->header.root = *root;
    tag->maker = std::move(maker);
    attachTree(*tag, pad);
    IndexTag* raw = tag.get();
    if (auto st = writeHeader(*tag); !st)
        return st;
    std::string key(kDirectoryKeyLength, ' ');
    std::memcpy(key.data(), name.data(), name.size());
    if (auto st = directory_->insert(key.data(), tag->headerOffset); !st)
        return st;
    tags_.push_back(std::move(tag));
    return raw;
}

Status IndexFile::writeHeader(const IndexTag& tag) {
    const std::string h = tag.header.serialize();
    return file_->writeBytes(tag.headerOffset, h.data(), h.size());
}

Status IndexFile::setMark(bool on) {
    char mark[4] = {0, 0, 0, 0};
    if (on)
        std::memcpy(mark, kMark, 4);
    return file_->writeBytes(kMarkOffset, mark, 4);
}

Status IndexFile::beginUpdate() {
    if (updating_)
        return Status::Ok();
    if (!file_->writable())
        return Status::Error(file_->name() + " is open read-only");
    if (auto st = setMark(true); !st)
        return st;
    updating_ = true;
    return Status::Ok();
}

Status IndexFile::flush() {
    if (!file_->writable())
        return Status::Ok();
    if (auto st = file_->flush(); !st)
        return st;
    for (const auto& t : tags_) {
        if (t->headerDirty) {
            if (auto st = writeHeader(*t); !st)
                return st;
            t->headerDirty = false;
        }
    }
    if (compound_ && directoryHeaderDirty_) {
        // The mark lives in this header: keep it set until the very end.
        IndexHeader h = directoryHeader_;
        std::string bytes = h.serialize();
        std::memcpy(&bytes[kMarkOffset], kMark, 4);
        if (auto st = file_->writeBytes(0, bytes.data(), bytes.size()); !st)
            return st;
        directoryHeaderDirty_ = false;
        updating_ = true;
    }
    if (updating_) {
        if (auto st = setMark(false); !st)
            return st;
        updating_ = false;
    }
    leftMidUpdate_ = false;
    return Status::Ok();
}

}  // namespace qorvel::engine
