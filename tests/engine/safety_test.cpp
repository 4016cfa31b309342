// What happens to tables that other handles hold, and to files a crash left behind.
#include "engine/sibling_file.h"
#include "engine/table.h"

#include "temp_dir.h"

#include <cstring>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qorvel::engine;

namespace {

class SafetyTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = dir.file("list.dbf");
        ASSERT_TRUE(Table::create(path, {{"NAME", 'C', 12}, {"NOTE", 'M', 10}}).ok());
        auto t = Table::open(path);
        ASSERT_TRUE(t.ok());
        for (int i = 1; i <= 50; ++i) {
            ASSERT_TRUE((*t)->appendBlank().ok());
            ASSERT_TRUE((*t)->setString(0, "Name" + std::to_string(i)).ok());
            ASSERT_TRUE((*t)->post().ok());
        }
        ASSERT_TRUE((*t)->createTag("NAME", "UPPER(NAME)").ok());
        ASSERT_TRUE((*t)->close().ok());
        cdx = siblingFile(path, ".CDX");
    }

    uint32_t headerCount() {
        const std::string b = TempDir::read(path);
        uint32_t n = 0;
        std::memcpy(&n, b.data() + 4, 4);
        return n;
    }

    TempDir dir;
    std::string path, cdx;
};

TEST_F(SafetyTest, ExclusiveOpenShutsOutOtherHandles) {
    auto first = Table::open(path, OpenMode::Exclusive);
    ASSERT_TRUE(first.ok());
    for (OpenMode mode : {OpenMode::Exclusive, OpenMode::SharedReadOnly}) {
        auto second = Table::open(path, mode);
        ASSERT_FALSE(second.ok());
        EXPECT_NE(second.message().find("in use by another program or user"), std::string::npos);
    }
    // Another process is refused as well.
    const pid_t pid = fork();
    if (pid == 0)
        _exit(Table::open(path, OpenMode::SharedReadOnly).ok() ? 0 : 3);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 3);
    first->reset();
    auto readers = std::make_pair(Table::open(path, OpenMode::SharedReadOnly), Table::open(path, OpenMode::SharedReadOnly));
    EXPECT_TRUE(readers.first.ok() && readers.second.ok());
    EXPECT_FALSE(Table::open(path, OpenMode::Exclusive).ok());
    EXPECT_FALSE((*readers.first)->setString(0, "x").ok());
}

TEST_F(SafetyTest, RecordsBeyondTheHeaderCountAreKept) {
    // A crash after a record was written but before the header was: the file is
    // longer than the count says.
    std::string b = TempDir::read(path);
    std::memset(b.data() + 4, 0, 4);
    b[4] = 48;
    TempDir::write(path, b);
    auto t = Table::open(path);
    ASSERT_TRUE(t.ok()) << t.message();
    EXPECT_EQ((*t)->recordCount(), 50u);
    EXPECT_TRUE((*t)->productionIndexInvalid());  // the index may lack those records
    EXPECT_EQ((*t)->tagArea("NAME"), 0);
    ASSERT_TRUE((*t)->reindex().ok());
    EXPECT_EQ((*t)->tagArea("NAME"), 1);
    EXPECT_TRUE((*t)->checkIndexes().ok());
    ASSERT_TRUE((*t)->close().ok());
    EXPECT_EQ(headerCount(), 50u);
    auto again = Table::open(path);
    ASSERT_TRUE(again.ok());
    EXPECT_FALSE((*again)->productionIndexInvalid());
}

TEST_F(SafetyTest, ATruncatedFileOpensWithTheWholeRecordsItHolds) {
    std::string b = TempDir::read(path);
    const size_t recordLength = 1 + 12 + 10;
    b.resize(b.size() - 1 - recordLength - 5);  // the end mark, one record and part of another
    TempDir::write(path, b);
    auto t = Table::open(path, OpenMode::SharedReadOnly);
    ASSERT_TRUE(t.ok()) << t.message();
    EXPECT_EQ((*t)->recordCount(), 48u);
    EXPECT_TRUE((*t)->productionIndexInvalid());
    // Opening did not write anything.
    EXPECT_EQ(TempDir::read(path), b);
}

TEST_F(SafetyTest, AnIndexLeftMidUpdateIsInvalid) {
    std::string c = TempDir::read(cdx);
    std::memcpy(c.data() + 32, "QVDX", 4);
    TempDir::write(cdx, c);
    auto t = Table::open(path);
    ASSERT_TRUE(t.ok());
    EXPECT_TRUE((*t)->productionIndexInvalid());
    EXPECT_NE((*t)->productionIndexProblem().find("unfinished"), std::string::npos);
    EXPECT_FALSE((*t)->createTag("X", "NAME").ok());
    ASSERT_TRUE((*t)->reindex().ok());
    EXPECT_FALSE((*t)->productionIndexInvalid());
}

TEST_F(SafetyTest, DamagedIndexesAreReportedNotFollowed) {
    const std::string original = TempDir::read(cdx);
    struct Case {
        const char* name;
        std::function<void(std::string&)> damage;
    } cases[] = {
        {"truncated", [](std::string& c) { c.resize(700); }},
        {"emptied", [](std::string& c) { c.clear(); }},
        {"rootOutsideFile", [](std::string& c) { std::memset(c.data(), 0x7F, 4); }},
        {"directoryPageGarbage", [](std::string& c) { std::memset(c.data() + 1024, 0xEE, 512); }},
        {"tagHeaderGarbage", [](std::string& c) { std::memset(c.data() + 1536, 0x55, 1024); }},
        {"everyPageGarbage",
         [](std::string& c) {
             for (size_t i = 1024; i < c.size(); i += 7)
                 c[i] = char(i * 31);
         }},
    };
    for (const Case& c : cases) {
        std::string damaged = original;
        c.damage(damaged);
        TempDir::write(cdx, damaged);
        auto t = Table::open(path);
        ASSERT_TRUE(t.ok()) << c.name << ": " << t.message();
        Table& table = **t;
        if (!table.productionIndexInvalid()) {
            // Damage the reader did not see at once shows up as an error on use.
            const int order = table.tagArea("NAME");
            if (order > 0) {
                (void)table.setOrder(order);
                for (Status st = table.goTop(); st && !table.eof(); st = table.skip()) {
                }
            }
            EXPECT_FALSE(table.checkIndexes().ok()) << c.name;
        } else {
            EXPECT_NE(table.productionIndexProblem().find("list.cdx"), std::string::npos)
                << c.name << ": " << table.productionIndexProblem();
        }
        // The records themselves are untouched and readable.
        ASSERT_TRUE(table.setOrder(0).ok());
        ASSERT_TRUE(table.goTop().ok());
        EXPECT_EQ(table.getString(0), "Name1") << c.name;
        EXPECT_EQ(table.recordCount(), 50u);
    }
}

TEST_F(SafetyTest, ACrashDuringAppendsLosesNoRecord) {
    const pid_t pid = fork();
    if (pid == 0) {
        auto t = Table::open(path);
        if (!t)
            _exit(2);
        (*t)->beginBulk();
        for (int i = 0; i < 3000; ++i) {
            (void)(*t)->appendBlank();
            (void)(*t)->setString(0, "Late" + std::to_string(i));
            (void)(*t)->setMemo(1, "memo " + std::to_string(i));
            (void)(*t)->post();
        }
        _exit(0);  // no flush, no close: the index pages never reach the disk
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    auto t = Table::open(path);
    ASSERT_TRUE(t.ok()) << t.message();
    EXPECT_EQ((*t)->recordCount(), 3050u);
    EXPECT_TRUE((*t)->productionIndexInvalid());
    ASSERT_TRUE((*t)->reindex().ok());
    EXPECT_TRUE((*t)->checkIndexes().ok());
    ASSERT_TRUE(*(*t)->goTo(3050));
    EXPECT_EQ((*t)->getString(0), "Late2999");
    EXPECT_EQ(*(*t)->getMemo(1), "memo 2999");
}

TEST_F(SafetyTest, AMissingMemoFileIsReported) {
    ASSERT_EQ(std::remove(siblingFile(path, ".FPT").c_str()), 0);
    auto t = Table::open(path);
    ASSERT_FALSE(t.ok());
    EXPECT_NE(t.message().find("memo file"), std::string::npos);
}

}  // namespace
