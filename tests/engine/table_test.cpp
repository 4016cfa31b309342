// The work area: navigation, edits, seeks, scopes, conditions and maintenance.
#include "engine/sibling_file.h"
#include "engine/table.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

using namespace qorvel::engine;

namespace {

struct Person {
    const char* last;
    const char* first;
    const char* codes;
    bool isdel;
};

// Record numbers 1..8 in this order.
const std::vector<Person> kPeople = {
    {"Smith", "John", "A,C", false}, {"Jones", "Mary", "B", false},   {"Smithers", "Al", "C", true},
    {"Adams", "Zoë", "", false},     {"Jonas", "Eve", "A", false},    {"smith", "Anna", "C", false},
    {"Brown", "Bob", "B,C", false},  {"Zeller", "Kim", "", false},
};

class TableTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("ADD0001.DBF");
        ASSERT_TRUE(Table::create(path, {{"LNAME", 'C', 20}, {"FNAME", 'C', 20}, {"CODES", 'C', 10},
                                         {"ISDEL", 'L', 1}, {"MEMO", 'M', 10}})
                        .ok());
        auto t = Table::open(path);
        ASSERT_TRUE(t.ok()) << t.message();
        table = std::move(*t);
        for (const Person& p : kPeople) {
            ASSERT_TRUE(table->appendBlank().ok());
            ASSERT_TRUE(table->setString(0, p.last).ok());
            ASSERT_TRUE(table->setString(1, p.first).ok());
            ASSERT_TRUE(table->setString(2, p.codes).ok());
            ASSERT_TRUE(table->setLogical(3, p.isdel).ok());
            ASSERT_TRUE(table->post().ok());
        }
        ASSERT_TRUE(table->createTags({{"LNAME", "UPPER(LNAME)+UPPER(FNAME)"},
                                       {"NAME", "UPPER(LNAME-FNAME)"},
                                       {"ISDEL", "ISDEL"},
                                       {"NOTISDEL", "!ISDEL"}})
                        .ok());
    }

    std::vector<uint32_t> walk() {
        std::vector<uint32_t> out;
        EXPECT_TRUE(table->goTop().ok());
        while (!table->eof()) {
            out.push_back(table->recNo());
            EXPECT_TRUE(table->skip().ok());
        }
        return out;
    }

    TempDir dir;
    std::string path;
    std::unique_ptr<Table> table;
};

TEST_F(TableTest, WalksInRecordAndTagOrder) {
    EXPECT_EQ(walk(), (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(table->setOrder(table->tagArea("lname")).ok());
    EXPECT_EQ(table->orderName(), "LNAME");
    EXPECT_EQ(table->orderFile(), dir.file("ADD0001.CDX"));
    // Upper-cased keys: smith/Anna before Smith/John; equal keys by record number.
    EXPECT_EQ(walk(), (std::vector<uint32_t>{4, 7, 5, 2, 6, 1, 3, 8}));
    EXPECT_EQ(table->tagArea("NOSUCH"), 0);
}

TEST_F(TableTest, BofAndEofFollowXbase) {
    ASSERT_TRUE(table->setOrder(table->tagArea("LNAME")).ok());
    ASSERT_TRUE(table->goTop().ok());
    EXPECT_FALSE(table->bof());
    ASSERT_TRUE(table->skip(-1).ok());
    EXPECT_TRUE(table->bof());
    EXPECT_EQ(table->recNo(), 4u);  // stays on the first record
    ASSERT_TRUE(table->goBottom().ok());
    ASSERT_TRUE(table->skip().ok());
    EXPECT_TRUE(table->eof());
    EXPECT_EQ(table->recNo(), 9u);
    EXPECT_EQ(table->getString(0), "");  // the blank record at the end
    ASSERT_TRUE(table->skip(-1).ok());
    EXPECT_EQ(table->recNo(), 8u);
    ASSERT_TRUE(table->skip(-3).ok());
    EXPECT_EQ(table->recNo(), 6u);
}

TEST_F(TableTest, ConditionsAndDeletedRecordsDecideVisibility) {
    ASSERT_TRUE(table->setQuery("!ISDEL").ok());
    EXPECT_EQ(table->query(), "!ISDEL");
    EXPECT_EQ(table->queryRecordCount(), 7u);
    ASSERT_TRUE(*table->goTo(2));
    ASSERT_TRUE(table->deleteRecord().ok());
    EXPECT_EQ(table->queryRecordCount(), 6u);
    EXPECT_EQ(walk(), (std::vector<uint32_t>{1, 4, 5, 6, 7, 8}));
    table->setDeletedHidden(false);
    EXPECT_EQ(table->queryRecordCount(), 7u);
    ASSERT_TRUE(*table->goTo(2));
    EXPECT_TRUE(table->deleted());
    ASSERT_TRUE(table->recall().ok());
    table->setDeletedHidden(true);
    EXPECT_EQ(table->queryRecordCount(), 7u);
    // An invisible record cannot be gone to.
    EXPECT_FALSE(*table->goTo(3));
    EXPECT_TRUE(table->eof());
    // A condition that does not compile leaves the one in force.
    const Status bad = table->setQuery("UPPER(LNAM)='S'");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(table->query(), "!ISDEL");
    EXPECT_EQ(table->queryRecordCount(), 7u);
    ASSERT_TRUE(table->setQuery("").ok());
    EXPECT_EQ(table->queryRecordCount(), 8u);
}

TEST_F(TableTest, CountsFromTheIndexAgreeWithAScan) {
    const std::vector<std::pair<std::string, std::string>> pairs = {
        // The first is answered from a tag, the second, equivalent, by reading every record.
        {"UPPER(LNAME)=\"SMI\".and. !ISDEL", "LEFT(UPPER(LNAME),3)==\"SMI\" .and. !ISDEL"},
        {"UPPER(LNAME+FNAME)=\"SMITH\"", "LEFT(UPPER(LNAME),5)==\"SMITH\""},
        {"ISDEL", "ISDEL .OR. .F."},
        {"NOT ISDEL .AND. \"C\"$UPPER(CODES)", "\"C\"$UPPER(CODES) .AND. .NOT. ISDEL"},
        {"UPPER(LNAME)>=\"S\"", "LEFT(UPPER(LNAME),1)>=\"S\""},
        {"UPPER(LNAME)<=\"B\"", "LEFT(UPPER(LNAME),1)<=\"B\""},
    };
    for (const auto& [indexed, scanned] : pairs) {
        ASSERT_TRUE(table->setQuery(indexed).ok()) << indexed;
        const uint32_t a = table->queryRecordCount();
        const auto walkedA = walk();
        ASSERT_TRUE(table->setQuery(scanned).ok()) << scanned;
        EXPECT_EQ(table->queryRecordCount(), a) << indexed;
        EXPECT_EQ(walk(), walkedA) << indexed;
    }
    // Exact on makes '=' a whole-field comparison, from the index as well.
    table->setExact(true);
    ASSERT_TRUE(table->setQuery("UPPER(LNAME)=\"SMITH\"").ok());
    EXPECT_EQ(table->queryRecordCount(), 2u);
    table->setExact(false);
    ASSERT_TRUE(table->setQuery("UPPER(LNAME)=\"SMITH\"").ok());
    EXPECT_EQ(table->queryRecordCount(), 3u);
}

TEST_F(TableTest, CountFollowsEdits) {
    ASSERT_TRUE(table->setQuery("UPPER(LNAME)=\"SM\"").ok());
    EXPECT_EQ(table->queryRecordCount(), 3u);
    ASSERT_TRUE(*table->goTo(1));
    ASSERT_TRUE(table->setString(0, "Taylor").ok());
    ASSERT_TRUE(table->post().ok());
    EXPECT_EQ(table->queryRecordCount(), 2u);
    // The edited record stays current although it no longer matches.
    EXPECT_EQ(table->recNo(), 1u);
    ASSERT_TRUE(table->appendBlank().ok());
    ASSERT_TRUE(table->setString(0, "Smart").ok());
    ASSERT_TRUE(table->post().ok());
    EXPECT_EQ(table->queryRecordCount(), 3u);
    ASSERT_TRUE(table->setQuery("UPPER(LNAME)=\"SM\"").ok());
    EXPECT_EQ(table->queryRecordCount(), 3u);
}

TEST_F(TableTest, SeeksWithExactAndSoftSeek) {
    ASSERT_TRUE(table->setOrder(table->tagArea("LNAME")).ok());
    struct Case {
        const char* key;
        bool exact, soft, last;
        bool found;
        uint32_t recno;  // 9 = end of file
    } cases[] = {
        {"JON", false, false, false, true, 5},   // the first Jones-like name: JONAS
        {"JONES", false, false, false, true, 2},
        {"SMITH", false, false, false, true, 6}, // smith/Anna sorts first
        {"SMITH", false, false, true, true, 3},  // the last key starting SMITH
        {"SMIZ", false, false, false, false, 9},
        {"SMIZ", false, true, false, false, 8},  // soft seek stays on the next key
        {"ZZ", false, true, false, false, 9},
        {"", false, false, false, true, 4},
        {"SMITH", true, false, false, false, 9}, // exact: the whole key must match
        {"ADAMS               ZOË", true, false, false, true, 4},
    };
    for (const Case& c : cases) {
        table->setExact(c.exact);
        table->setSoftSeek(c.soft);
        auto found = table->seek(c.key, c.last);
        ASSERT_TRUE(found.ok()) << found.message();
        EXPECT_EQ(*found, c.found) << c.key;
        EXPECT_EQ(table->found(), c.found) << c.key;
        EXPECT_EQ(table->recNo(), c.recno) << c.key;
    }
    table->setExact(false);
    table->setSoftSeek(false);
    // A seek lands only on visible records.
    ASSERT_TRUE(table->setQuery("!ISDEL").ok());
    ASSERT_TRUE(table->setOrder(table->tagArea("LNAME")).ok());
    EXPECT_TRUE(*table->seek("SMITHERS") == false);
    EXPECT_FALSE(table->seek("Ω").ok());
    ASSERT_TRUE(table->setOrder(0).ok());
    EXPECT_FALSE(table->seek("SMITH").ok());
}

TEST_F(TableTest, ScopesLimitTheOrder) {
    ASSERT_TRUE(table->setOrder(table->tagArea("LNAME")).ok());
    ASSERT_TRUE(table->setScope("JO", "JO").ok());
    EXPECT_EQ(walk(), (std::vector<uint32_t>{5, 2}));
    ASSERT_TRUE(table->goBottom().ok());
    EXPECT_EQ(table->recNo(), 2u);
    ASSERT_TRUE(table->setScope("B", "JON").ok());
    EXPECT_EQ(walk(), (std::vector<uint32_t>{7, 5, 2}));
    ASSERT_TRUE(table->setScope("", "").ok());
    EXPECT_EQ(walk().size(), 8u);
}

TEST_F(TableTest, EditsWaitForPostAndCancel) {
    ASSERT_TRUE(*table->goTo(4));
    ASSERT_TRUE(table->setString(0, "Changed").ok());
    EXPECT_TRUE(table->pending());
    EXPECT_EQ(table->getString(0), "Changed");
    table->cancel();
    EXPECT_EQ(table->getString(0), "Adams");
    ASSERT_TRUE(table->appendBlank().ok());
    EXPECT_EQ(table->recNo(), 9u);
    ASSERT_TRUE(table->setString(0, "Ghost").ok());
    table->cancel();
    EXPECT_EQ(table->recordCount(), 8u);
    // Moving away posts, as xBase does.
    ASSERT_TRUE(*table->goTo(4));
    ASSERT_TRUE(table->setString(0, "Adamson").ok());
    ASSERT_TRUE(table->skip().ok());
    ASSERT_TRUE(*table->goTo(4));
    EXPECT_EQ(table->getString(0), "Adamson");
    EXPECT_TRUE(table->checkIndexes().ok());
    auto eval = table->evalLogical("UPPER(LNAME) = 'ADAMSON' .AND. RECNO() = 4");
    ASSERT_TRUE(eval.ok());
    EXPECT_TRUE(*eval);
    EXPECT_FALSE(table->evalLogical("LNAME").ok());
}

TEST_F(TableTest, MemosReuseTheirBlocksWhenTheyFit) {
    const int memo = table->fieldIndex("memo");
    ASSERT_TRUE(*table->goTo(1));
    EXPECT_TRUE(table->memoEmpty(memo));
    ASSERT_TRUE(table->setMemo(memo, "First note, café").ok());
    ASSERT_TRUE(table->post().ok());
    const std::string fpt = siblingFile(path, ".FPT");
    const auto size1 = TempDir::read(fpt).size();
    ASSERT_TRUE(table->setMemo(memo, "Shorter").ok());
    ASSERT_TRUE(table->post().ok());
    EXPECT_EQ(TempDir::read(fpt).size(), size1);  // rewritten in place
    ASSERT_TRUE(table->setMemo(memo, std::string(300, 'x')).ok());
    ASSERT_TRUE(table->post().ok());
    EXPECT_GT(TempDir::read(fpt).size(), size1);  // appended
    EXPECT_EQ(*table->getMemo(memo), std::string(300, 'x'));
    ASSERT_TRUE(table->setMemo(memo, "").ok());
    ASSERT_TRUE(table->post().ok());
    EXPECT_TRUE(table->memoEmpty(memo));
    // A new record never writes over another record's memo.
    ASSERT_TRUE(*table->goTo(2));
    ASSERT_TRUE(table->setMemo(memo, "Mary's memo").ok());
    ASSERT_TRUE(table->post().ok());
    ASSERT_TRUE(table->appendBlank().ok());
    ASSERT_TRUE(table->setMemo(memo, "New").ok());
    ASSERT_TRUE(table->post().ok());
    ASSERT_TRUE(*table->goTo(2));
    EXPECT_EQ(*table->getMemo(memo), "Mary's memo");
}

TEST_F(TableTest, PackRemovesMarkedRecordsAndRebuildsTags) {
    const int memo = table->fieldIndex("MEMO");
    for (uint32_t r : {2u, 5u, 7u}) {
        ASSERT_TRUE(*table->goTo(r));
        ASSERT_TRUE(table->deleteRecord().ok());
    }
    ASSERT_TRUE(*table->goTo(8));
    ASSERT_TRUE(table->setMemo(memo, "Kim's memo").ok());
    ASSERT_TRUE(table->post().ok());
    uint64_t last = 0;
    ASSERT_TRUE(table->pack([&](uint64_t done, uint64_t total) {
        EXPECT_LE(done, total);
        last = done * 100 / total;
    }).ok());
    EXPECT_EQ(last, 100u);
    EXPECT_EQ(table->recordCount(), 5u);
    EXPECT_FALSE(fileExists(path + ".pack~"));
    table->setDeletedHidden(false);
    std::vector<std::string> names;
    for (Status st = table->goTop(); !table->eof(); st = table->skip())
        names.push_back(table->getString(0));
    EXPECT_EQ(names, (std::vector<std::string>{"Smith", "Smithers", "Adams", "smith", "Zeller"}));
    ASSERT_TRUE(*table->goTo(5));
    EXPECT_EQ(*table->getMemo(memo), "Kim's memo");
    EXPECT_TRUE(table->checkIndexes().ok());
    ASSERT_TRUE(table->close().ok());
    auto again = Table::open(path);
    ASSERT_TRUE(again.ok());
    EXPECT_EQ((*again)->recordCount(), 5u);
    EXPECT_TRUE((*again)->checkIndexes().ok());
}

TEST_F(TableTest, ZapAndCopyStructure) {
    ASSERT_TRUE(table->copyStructure(dir.file("copy.dbf")).ok());
    auto copy = Table::open(dir.file("copy.dbf"), OpenMode::SharedReadOnly);
    ASSERT_TRUE(copy.ok());
    EXPECT_EQ((*copy)->recordCount(), 0u);
    EXPECT_EQ((*copy)->fields().size(), table->fields().size());
    EXPECT_EQ((*copy)->orderCount(), 0);
    EXPECT_FALSE(table->copyStructure(dir.file("copy.dbf")).ok());
    ASSERT_TRUE(table->zap().ok());
    EXPECT_EQ(table->recordCount(), 0u);
    EXPECT_TRUE(table->eof() && table->bof());
    EXPECT_EQ(table->orderCount(), 4);
    EXPECT_TRUE(table->checkIndexes().ok());
    ASSERT_TRUE(table->appendBlank().ok());
    ASSERT_TRUE(table->setString(0, "After").ok());
    ASSERT_TRUE(table->post().ok());
    EXPECT_TRUE(table->checkIndexes().ok());
}

TEST_F(TableTest, ReindexKeepsTheOrderAndTags) {
    ASSERT_TRUE(table->setOrder(table->tagArea("NAME")).ok());
    uint64_t calls = 0;
    ASSERT_TRUE(table->reindex([&](uint64_t done, uint64_t total) {
        ++calls;
        EXPECT_EQ(total, 4u);
        EXPECT_EQ(done, calls);
    }).ok());
    EXPECT_EQ(calls, 4u);
    EXPECT_EQ(table->orderName(), "NAME");
    EXPECT_EQ(table->orderCount(), 4);
    EXPECT_TRUE(table->checkIndexes().ok());
}

}  // namespace
