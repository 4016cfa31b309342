// Index upkeep under appends, edits and deletion marks, checked against the records
// after every batch and again after reopening from disk.
#include "engine/index_file.h"
#include "engine/page_file.h"
#include "engine/table.h"

#include "temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace qorvel::engine;

namespace {

const std::vector<Table::TagDefinition> kTags = {
    {"NAME", "UPPER(LNAME-FNAME)"}, {"LNAME", "UPPER(LNAME)+UPPER(FNAME)"}, {"NUM", "NUM"}, {"BORN", "BORN"},
    {"FLAG", "FLAG"},               {"NOTFLAG", "!FLAG"},                   {"DEL", "DELETED()"},
    {"MIXED", "LEFT(LNAME, 3) + STR(NUM, 6)"},
};

std::unique_ptr<Table> makeTable(const TempDir& dir) {
    const std::string path = dir.file("people.dbf");
    EXPECT_TRUE(Table::create(path, {{"LNAME", 'C', 30}, {"FNAME", 'C', 30}, {"NUM", 'N', 8, 2}, {"BORN", 'D', 8},
                                     {"FLAG", 'L', 1}, {"NOTE", 'M', 10}})
                    .ok());
    auto t = Table::open(path);
    EXPECT_TRUE(t.ok()) << t.message();
    EXPECT_TRUE((*t)->createTags(kTags).ok());
    return std::move(*t);
}

// Names from a small stock with long shared prefixes, so pages fill with duplicates.
std::string randomName(std::mt19937& rng) {
    static const char* stock[] = {"Smith", "Smithson", "Smithsonian", "Smith-Jones", "", "Müller", "Aaron",
                                  "Zzyzx", "O'Brien", "Mc Donald", "MCDONALD"};
    std::string s = stock[rng() % std::size(stock)];
    if (rng() % 3 == 0)
        s += std::string(rng() % 20, 'x');
    return s;
}

void fill(Table& t, std::mt19937& rng) {
    ASSERT_TRUE(t.setString(0, randomName(rng)).ok());
    ASSERT_TRUE(t.setString(1, randomName(rng)).ok());
    ASSERT_TRUE(t.setNumber(2, (int(rng() % 20000) - 10000) / 4.0).ok());
    ASSERT_TRUE(t.setDate(3, Date::fromYmd(1900 + int(rng() % 200), 1 + int(rng() % 12), 1 + int(rng() % 28))).ok());
    ASSERT_TRUE(t.setLogical(4, rng() % 2).ok());
}

TEST(IndexMaintenance, RandomChangesKeepEveryTagTrue) {
    TempDir dir;
    auto t = makeTable(dir);
    std::mt19937 rng(42);
    t->setDeletedHidden(false);
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 1500; ++i) {
            ASSERT_TRUE(t->appendBlank().ok());
            fill(*t, rng);
            const Status posted = t->post();
            ASSERT_TRUE(posted.ok()) << posted.message();
        }
        // Change keys of random records, mark and unmark some.
        for (int i = 0; i < 800; ++i) {
            ASSERT_TRUE(*t->goTo(1 + uint32_t(rng() % t->recordCount())));
            if (rng() % 4 == 0) {
                ASSERT_TRUE((rng() % 2 ? t->deleteRecord() : t->recall()).ok());
            } else {
                fill(*t, rng);
                const Status posted = t->post();
                ASSERT_TRUE(posted.ok()) << "record " << t->recNo() << ": " << posted.message();
            }
        }
        const Status check = t->checkIndexes();
        ASSERT_TRUE(check.ok()) << "round " << round << ": " << check.message();
    }
    ASSERT_TRUE(t->close().ok());
    auto again = Table::open(dir.file("people.dbf"));
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE((*again)->productionIndexInvalid());
    EXPECT_EQ((*again)->recordCount(), 9000u);
    const Status check = (*again)->checkIndexes();
    EXPECT_TRUE(check.ok()) << check.message();
}

TEST(IndexMaintenance, SmallNodeCacheKeepsChangesThroughTrimming) {
    // Nodes are written out and dropped all the time; nothing may be lost on the way.
    PageFile::setNodeCacheLimit(32);
    TempDir dir;
    auto t = makeTable(dir);
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_TRUE(t->appendBlank().ok());
        fill(*t, rng);
        ASSERT_TRUE(t->post().ok());
        if (i % 3 == 0) {
            ASSERT_TRUE(*t->goTo(1 + uint32_t(rng() % t->recordCount())));
            fill(*t, rng);
            ASSERT_TRUE(t->post().ok());
        }
    }
    const Status check = t->checkIndexes();
    PageFile::setNodeCacheLimit(1 << 16);
    ASSERT_TRUE(check.ok()) << check.message();
    ASSERT_TRUE(t->close().ok());
    auto again = Table::open(dir.file("people.dbf"));
    ASSERT_TRUE(again.ok());
    EXPECT_TRUE((*again)->checkIndexes().ok());
}

TEST(IndexMaintenance, BulkAppendsJoinTheIndexesLater) {
    TempDir dir;
    auto t = makeTable(dir);
    std::mt19937 rng(3);
    for (int round = 0; round < 2; ++round) {
        // A small batch is inserted key by key, a large one rebuilds the tags.
        const int n = round == 0 ? 4000 : 300;
        t->beginBulk();
        for (int i = 0; i < n; ++i) {
            ASSERT_TRUE(t->appendBlank().ok());
            fill(*t, rng);
            ASSERT_TRUE(t->post().ok());
        }
        // Reading an order brings them in first.
        ASSERT_TRUE(t->setOrder(t->tagArea("LNAME")).ok());
        uint32_t walked = 0;
        for (Status st = t->goTop(); !t->eof(); st = t->skip())
            ++walked;
        EXPECT_EQ(walked, t->recordCount());
        ASSERT_TRUE(t->endBulk().ok());
        const Status check = t->checkIndexes();
        ASSERT_TRUE(check.ok()) << check.message();
        ASSERT_TRUE(t->setOrder(0).ok());
    }
}

TEST(IndexMaintenance, EmptiedRangesAndRefills) {
    TempDir dir;
    auto t = makeTable(dir);
    t->setDeletedHidden(false);
    // Two thousand equal keys, then all moved elsewhere, then back: leaves empty out
    // and are dropped from their parents, the tree stays whole.
    for (int i = 0; i < 2000; ++i) {
        ASSERT_TRUE(t->appendBlank().ok());
        ASSERT_TRUE(t->setString(0, "SAME").ok());
        ASSERT_TRUE(t->setNumber(2, i).ok());
        ASSERT_TRUE(t->post().ok());
    }
    for (const char* name : {"ELSEWHERE", "SAME", ""}) {
        for (uint32_t r = 1; r <= 2000; ++r) {
            ASSERT_TRUE(*t->goTo(r));
            ASSERT_TRUE(t->setString(0, name).ok());
            ASSERT_TRUE(t->post().ok());
        }
        const Status check = t->checkIndexes();
        ASSERT_TRUE(check.ok()) << name << ": " << check.message();
    }
}

TEST(IndexMaintenance, NumericAndDateKeysSortByValue) {
    TempDir dir;
    auto t = makeTable(dir);
    const std::vector<double> values = {5, -3.5, 0, 1e4, -9999.75, 0.25, 12, -0.01};
    for (double v : values) {
        ASSERT_TRUE(t->appendBlank().ok());
        ASSERT_TRUE(t->setNumber(2, v).ok());
        ASSERT_TRUE(t->setDate(3, Date::fromYmd(2000 + int(v) % 50 + 50, 1, 1)).ok());
        ASSERT_TRUE(t->post().ok());
    }
    ASSERT_TRUE(t->setOrder(t->tagArea("NUM")).ok());
    std::vector<double> walked;
    for (Status st = t->goTop(); !t->eof(); st = t->skip())
        walked.push_back(t->getNumber(2));
    std::vector<double> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(walked, sorted);
    // Seek a number and a date in key form.
    EXPECT_TRUE(*t->seek("12"));
    EXPECT_EQ(t->getNumber(2), 12);
    ASSERT_TRUE(t->setOrder(t->tagArea("BORN")).ok());
    EXPECT_TRUE(*t->seek("20620101"));
    EXPECT_EQ(t->getNumber(2), 12);
}

TEST(IndexMaintenance, SingleIndexFileForOneRun) {
    TempDir dir;
    auto t = makeTable(dir);
    for (const char* n : {"Brown", "Adams", "Brown", "Clark", "Brown"}) {
        ASSERT_TRUE(t->appendBlank().ok());
        ASSERT_TRUE(t->setString(0, n).ok());
        ASSERT_TRUE(t->post().ok());
    }
    const std::string idx = dir.file("_chkdup.idx");
    auto order = t->createIndexFile(idx, "upper(LNAME-FNAME)");
    ASSERT_TRUE(order.ok()) << order.message();
    EXPECT_EQ(t->order(), *order);
    EXPECT_EQ(t->orderFile(), idx);
    // Only the records added by hand are in it.
    for (uint32_t r : {3u, 5u}) {
        ASSERT_TRUE(t->setOrder(0).ok());
        ASSERT_TRUE(*t->goTo(r));
        ASSERT_TRUE(t->setOrder(*order).ok());
        ASSERT_TRUE(t->keyAdd().ok());
    }
    std::vector<uint32_t> walked;
    for (Status st = t->goTop(); !t->eof(); st = t->skip())
        walked.push_back(t->recNo());
    EXPECT_EQ(walked, (std::vector<uint32_t>{3, 5}));
    // The file is a compact single index that can be opened again.
    auto f = IndexFile::openIdx(idx, false, t->fields());
    ASSERT_TRUE(f.ok()) << f.message();
    EXPECT_FALSE((*f)->compound());
    EXPECT_EQ((*f)->tags().front()->header.keyExpression, "upper(LNAME-FNAME)");
    f->reset();
    ASSERT_TRUE(t->closeIndexFile().ok());
    EXPECT_EQ(t->order(), 0);
    EXPECT_EQ(t->tagArea("_CHKDUP"), 0);
    EXPECT_GT(t->tagArea("NAME"), 0);
    EXPECT_TRUE(t->checkIndexes().ok());
}

}  // namespace
