#pragma once

#include "engine/dates.h"
#include "engine/dbf_file.h"
#include "engine/expression.h"
#include "engine/fpt_file.h"
#include "engine/index_file.h"
#include "engine/status.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorvel::engine {

// Progress of a long operation: called with work done and total work.
using Progress = std::function<void(uint64_t done, uint64_t total)>;

struct FieldSpec {
    std::string name;
    char type = 'C';  // C N L D M
    int width = 0;
    int decimals = 0;
};

struct TagInfo {
    std::string name;
    std::string expression;
    std::string file;     // the index file that holds it
    bool maintainable = true;
};

// One open table: a work area with a current record, an order, a condition and a
// scope. Text crosses this interface as UTF-8 with trailing blanks removed.
//
// Visibility: a record is visible when it satisfies the condition (if any) and,
// while deleted records are hidden, carries no deletion mark. Navigation and seeks
// land on visible records only; at the end recNo() is recordCount() + 1.
//
// Changes to the current record collect in a buffer until post(); moving to another
// record posts them first. Every tag of the production index is kept up to date.
// post() writes the record at once; index pages and the header's record count are
// written by flush() and close(). A crash before that leaves every record in place and
// an index that reads as unfinished (productionIndexInvalid), to be rebuilt.
class Table {
public:
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Creates an empty table (and its memo file when it has memo fields).
    static Status create(const std::string& path, const std::vector<FieldSpec>& fields);
    // Opens the table and its production index (same name, extension CDX) if present.
    static Result<std::unique_ptr<Table>> open(const std::string& path, OpenMode mode = OpenMode::Exclusive);
    // Posts pending changes, writes everything back and releases the files.
    Status close();

    const std::string& path() const { return dbf_->path(); }
    const std::vector<FieldInfo>& fields() const { return dbf_->header().fields; }
    int fieldIndex(std::string_view name) const;  // -1 when missing
    bool readOnly() const { return !dbf_->writable(); }

    // --- Position -------------------------------------------------------------
    uint32_t recordCount() const { return dbf_->recordCount(); }
    uint32_t recNo() const;
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    // Goes to a record; a record that is not visible (or does not exist) leaves the
    // table at the end, and false is returned.
    Result<bool> goTo(uint32_t recno);
    Status goTop();
    Status goBottom();
    Status skip(int64_t count = 1);

    // --- Reading the current record ------------------------------------------------
    std::string getString(int field) const;
    double getNumber(int field) const;
    bool getLogical(int field) const;
    Date getDate(int field) const;
    bool deleted() const;
    Result<std::string> getMemo(int field) const;
    bool memoEmpty(int field) const;
    // The stored bytes of a field, full width, Windows-1252.
    std::string_view rawField(int field) const;

    // Reading another record without moving (for grids).
    // REQUIRES: 1 <= recno <= recordCount().
    std::string stringAt(uint32_t recno, int field) const;
    Result<std::string> memoAt(uint32_t recno, int field) const;
    bool deletedAt(uint32_t recno) const { return dbf_->record(recno)[0] == '*'; }
    // The visible records in the current order and scope, top to bottom.
    Status visibleRecords(std::vector<uint32_t>& out);

    // --- Changing records --------------------------------------------------------
    // Character values are cut to the field width; a character Windows-1252 cannot
    // hold is refused.
    Status setString(int field, std::string_view utf8);
    Status setNumber(int field, double value);
    Status setLogical(int field, bool value);
    Status setDate(int field, Date value);
    Status setMemo(int field, std::string_view utf8);
    // Starts a new blank record at the end; post() writes it.
    Status appendBlank();
    Status post();
    // Drops unposted changes (and an unposted new record).
    void cancel();
    bool pending() const { return dirty_ || appending_; }
    // Marks or unmarks the current record for deletion (written at once).
    Status deleteRecord();
    Status recall();

    // --- Orders ---------------------------------------------------------------
    // Orders are numbered from 1: the production tags in creation order, then any
    // extra index files. 0 is record order.
    int orderCount() const { return int(orders_.size()); }
    int tagArea(std::string_view name) const;  // 0 when missing
    TagInfo tagInfo(int order) const;
    Status setOrder(int order);
    int order() const { return order_; }
    std::string orderName() const;
    std::string orderFile() const;  // the file of the current order; empty in record order
    // Adds a tag to the production index (created when missing) from every record.
    Status createTag(std::string_view name, std::string_view expression, const Progress& progress = {});
    // Adds several tags in one go; progress counts finished tags.
    using TagDefinition = std::pair<std::string, std::string>;  // name, key expression
    Status createTags(const std::vector<TagDefinition>& tags, const Progress& progress = {});
    // Closes the production index and any extra index files.
    Status closeIndexes();
    // The production index exists but cannot be trusted (damaged, or left mid-update
    // by a crash); its tags are not offered until it is rebuilt.
    bool productionIndexInvalid() const { return !productionProblem_.empty(); }
    const std::string& productionIndexProblem() const { return productionProblem_; }
    std::string productionIndexPath() const;

    // A separate single index file for one run: created empty and made the order.
    // Returns the order number.
    Result<int> createIndexFile(const std::string& path, std::string_view expression);
    // Adds the current record's key to the current order (an index file).
    Status keyAdd();
    // Closes the index file of the current order.
    Status closeIndexFile();

    // --- Seeking and scopes ---------------------------------------------------------
    // Seeks a key value (UTF-8; characters compared as stored; callers upper-case).
    // With exact off a shorter value matches a key prefix. Not found: soft seek stays
    // on the next key, else the table is at the end.
    Result<bool> seek(std::string_view value, bool last = false);
    bool found() const { return found_; }
    // Limits the current order to keys between the bounds (prefix compare); empty
    // bounds clear the scope.
    Status setScope(std::string_view top, std::string_view bottom);
    // Position of the current key in the order, counting every key; 0 at the end.
    Result<uint32_t> keyNo();
    // The current record's key in the current order (stored bytes).
    Result<std::string> currentKey();

    // --- Conditions -------------------------------------------------------------
    // Sets the condition (empty removes it). A condition that does not compile is
    // refused and the one in force stays.
    Status setQuery(std::string_view condition);
    const std::string& query() const { return querySource_; }
    uint32_t queryRecordCount();
    // Evaluates a logical expression on the current record.
    Result<bool> evalLogical(std::string_view expression);

    // --- Switches --------------------------------------------------------------
    void setDeletedHidden(bool hidden);
    bool deletedHidden() const { return deletedHidden_; }
    void setExact(bool on) { exact_ = on; }
    bool exact() const { return exact_; }
    void setSoftSeek(bool on) { softSeek_ = on; }
    bool softSeek() const { return softSeek_; }
    void setCentury(bool on) { century_ = on; }
    bool century() const { return century_; }
    void setTurboRead(bool on) { dbf_->adviseSequential(on); }

    // --- Maintenance ---------------------------------------------------------------
    // Removes deletion-marked records for good (through a new file swapped in), then
    // rebuilds every tag.
    Status pack(const Progress& progress = {});
    Status zap();
    // Rebuilds every tag of the production index from the records.
    Status reindex(const Progress& progress = {});
    Status copyStructure(const std::string& path) const;
    // For long runs of appends: new records join the indexes in one go when the run
    // ends (or when an order is next read), and index pages are written then.
    void beginBulk() { bulk_ = true; }
    Status endBulk();
    Status flush();

    // Every tag's keys, in order, agree with the records; the message names the first
    // disagreement.
    Status checkIndexes();

private:
    struct Order {
        IndexTag* tag = nullptr;
        IndexFile* file = nullptr;
    };
    struct Scope {
        std::string top, bottom;
    };

    Table() = default;
    Status openProductionIndex();
    void rebuildOrders();
    const char* currentBytes() const;  // current record (or blank at the end)
    std::string stringFrom(const char* record, int field) const;
    Result<std::string> memoFrom(const char* record, int field) const;
    bool visible(uint32_t recno);
    bool conditionHolds(uint32_t recno);
    EvalContext contextFor(const char* record, uint32_t recno) const;
    std::string readMemoRaw(const char* record, int field) const;
    uint32_t memoBlock(const char* record, int field) const;
    Status prepareEdit();
    Status ensureWritable() const;
    Status writeFieldBytes(int field, std::string_view bytes1252);
    Status maintainIndexes(const char* oldRecord, const char* newRecord, uint32_t recno);
    Status afterChange();
    // Brings records appended during a bulk run into the indexes.
    Status settleIndexes();

    // Navigation helpers.
    Order* currentOrder();
    // Before any move: pending changes posted, records appended in bulk indexed.
    Status beforeMove();
    Result<Expression> compileCondition(std::string_view utf8) const;
    Status placeAtEnd();
    Status placeOn(uint32_t recno, const TreeCursor* cursor);
    Result<TreeCursor> cursorForCurrent();
    bool inScopeTop(const char* key) const;
    bool inScopeBottom(const char* key) const;
    Status scanForward(TreeCursor c, bool fromTop);
    Status scanBackward(TreeCursor c);
    Status naturalForward(uint32_t from);
    Status naturalBackward(uint32_t from);

    // Conditions.
    Status computeConditionBits();
    void updateVisibilityOf(uint32_t recno, bool wasVisible);
    std::optional<std::vector<uint32_t>> candidatesFromIndex(const ExprNode& ast);

    // Maintenance.
public:
    struct SortItem {
        uint64_t prefix;  // first eight key bytes, big-endian, so integer order is byte order
        uint32_t recno;
    };

private:
    struct TagBuild {
        std::string name;
        KeyMaker maker;
        std::string keys;  // one key per record, in record order
        std::vector<SortItem> items;
        std::string sorted;  // the keys again, in key order (read front to back by the page writer)
        std::vector<CdxTree::Entry> entries;
    };
    Status addTags(IndexFile& file, const std::vector<TagDefinition>& tags, const Progress& progress);
    Status computeKeys(std::vector<TagBuild>& group, size_t from, size_t to);
    static void sortKeys(TagBuild& build);

    std::unique_ptr<DbfFile> dbf_;
    std::unique_ptr<FptFile> fpt_;
    std::unique_ptr<IndexFile> production_;
    std::string productionProblem_;
    std::vector<std::unique_ptr<IndexFile>> extraIndexes_;
    std::vector<Order> orders_;
    int order_ = 0;

    // Current position.
    uint32_t recno_ = 0;  // 0 at the end
    bool bof_ = true, eof_ = true, found_ = false;
    TreeCursor cursor_;
    bool cursorValid_ = false;  // cursor_ matches recno_ in the current order

    // Pending changes.
    std::string buffer_;
    bool dirty_ = false;
    bool appending_ = false;
    std::map<int, std::string> pendingMemos_;  // field -> 1252 text
    std::string blank_;

    // Condition.
    std::string querySource_;
    std::optional<Expression> query_;
    std::vector<uint64_t> conditionBits_;
    std::optional<uint32_t> visibleCount_;
    std::optional<uint32_t> deletedCount_;
    std::optional<Scope> scope_;

    bool deletedHidden_ = true, exact_ = false, softSeek_ = false, century_ = true, bulk_ = false;
    uint32_t unindexedFrom_ = 0;  // first record appended in bulk and not yet in the indexes; 0 none
};

}  // namespace qorvel::engine
