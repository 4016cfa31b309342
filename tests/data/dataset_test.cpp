#include "data/dataset.h"
#include "data/dataset_model.h"

#include "temp_home.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace qorvel;

namespace {

class DatasetTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = home.file("DATA/people.dbf");
        ASSERT_TRUE(engine::Table::create(path.toStdString(), {{"NAME", 'C', 10}, {"FLAG", 'L', 1}, {"NOTE", 'M', 10}}));
        {
            auto t = engine::Table::open(path.toStdString());
            for (const char* n : {"Carol", "Alice", "Bob", "Dave"}) {
                ASSERT_TRUE((*t)->appendBlank());
                ASSERT_TRUE((*t)->setString(0, n));
                ASSERT_TRUE((*t)->post());
            }
            ASSERT_TRUE((*t)->createTag("NAME", "UPPER(NAME)"));
        }
        ds.addField({"NAME", "Name", 0, true, false, 'C', {}, 0, -1});
        ds.addField({"FLAG", "Flag", 0, true, false, 'L', "Yes;No", 0, -1});
        ds.addField({"Upper", "Upper", 10, true, true, 'C', {}, 0, -1});
        ds.addField({"NOTE", "Note", 0, false, false, 'M', {}, 0, -1});
        ds.setCalcFields([](const RowReader& row, QHash<QString, QVariant>& out) {
            out.insert("Upper", row.text("NAME").toUpper());
        });
        ds.setFileName(path);
        ASSERT_TRUE(ds.open()) << ds.lastError().toStdString();
    }
    TempHome home;
    QString path;
    Dataset ds;
};

TEST_F(DatasetTest, OpensOnTheFirstRecordWithFileWidths) {
    EXPECT_EQ(ds.state(), Dataset::State::Browse);
    EXPECT_EQ(ds.text("NAME"), "Carol");
    EXPECT_EQ(ds.text("Upper"), "CAROL");
    EXPECT_EQ(ds.field("NAME")->size, 10);
    EXPECT_EQ(ds.recordCount(), 4u);
    Dataset missing;
    missing.addField({"NOPE", "", 0, true, false, 'C', {}, 0, -1});
    missing.setFileName(path);
    ds.close();
    EXPECT_FALSE(missing.open());
    EXPECT_TRUE(missing.lastError().contains("NOPE"));
    EXPECT_FALSE(missing.isOpen());
}

TEST_F(DatasetTest, MovingStaysOnTheEdgesAndSays) {
    ASSERT_TRUE(ds.setOrderByName("NAME"));
    ASSERT_TRUE(ds.first());
    EXPECT_TRUE(ds.bof());
    EXPECT_EQ(ds.text("NAME"), "Alice");
    EXPECT_FALSE(ds.prior());
    EXPECT_EQ(ds.text("NAME"), "Alice");
    EXPECT_TRUE(ds.next());
    EXPECT_FALSE(ds.bof());
    EXPECT_EQ(ds.text("NAME"), "Bob");
    ASSERT_TRUE(ds.last());
    EXPECT_EQ(ds.text("NAME"), "Dave");
    EXPECT_FALSE(ds.next());
    EXPECT_TRUE(ds.eof());
    EXPECT_EQ(ds.text("NAME"), "Dave");  // still on the last record
    EXPECT_TRUE(ds.prior());
    EXPECT_EQ(ds.text("NAME"), "Carol");
}

TEST_F(DatasetTest, EditInsertPostCancelAndTheirSignals) {
    QSignalSpy states(&ds, &Dataset::stateChanged), posts(&ds, &Dataset::afterPost), inserts(&ds, &Dataset::afterInsert),
        cancels(&ds, &Dataset::afterCancel), rows(&ds, &Dataset::rowsChanged);
    ASSERT_TRUE(ds.setText("NAME", "Caroline"));  // starts an edit
    EXPECT_EQ(ds.state(), Dataset::State::Edit);
    ds.cancel();
    EXPECT_EQ(ds.text("NAME"), "Carol");
    EXPECT_EQ(cancels.count(), 1);
    ASSERT_TRUE(ds.insert());
    EXPECT_EQ(ds.state(), Dataset::State::Insert);
    EXPECT_EQ(ds.text("NAME"), "");
    ASSERT_TRUE(ds.setText("NAME", "Eve"));
    ASSERT_TRUE(ds.setMemo("NOTE", "likes tea"));
    ASSERT_TRUE(ds.post());
    EXPECT_EQ(ds.state(), Dataset::State::Browse);
    EXPECT_EQ(ds.recNo(), 5u);
    EXPECT_EQ(ds.memo("NOTE"), "likes tea");
    EXPECT_EQ(inserts.count(), 1);
    EXPECT_EQ(posts.count(), 1);
    EXPECT_GE(rows.count(), 1);
    // An insert cancelled leaves no record.
    ASSERT_TRUE(ds.insert());
    ds.cancel();
    EXPECT_EQ(ds.table()->recordCount(), 5u);
    EXPECT_EQ(states.count(), 6);
    // Code page refusals leave the value as it was.
    EXPECT_FALSE(ds.setText("NAME", "Ωmega"));
    EXPECT_TRUE(ds.lastError().contains("NAME"));
    // What was saved is on disk at once.
    auto other = engine::Table::open(path.toStdString(), engine::OpenMode::SharedReadOnly);
    EXPECT_FALSE(other.ok());  // still ours alone
}

TEST_F(DatasetTest, FrozenControlsHearOnceWhenThawed) {
    QSignalSpy moved(&ds, &Dataset::recordChanged);
    ds.disableControls();
    ds.disableControls();
    ds.next();
    ds.next();
    ds.enableControls();
    EXPECT_EQ(moved.count(), 0);
    ds.enableControls();
    EXPECT_EQ(moved.count(), 1);
    ds.next();
    EXPECT_EQ(moved.count(), 2);
}

TEST_F(DatasetTest, ModelShowsVisibleRowsInOrder) {
    DatasetModel model(ds);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Upper");
    ASSERT_TRUE(ds.setOrderByName("NAME"));
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::DisplayRole).toString(), "Alice");
    EXPECT_EQ(model.data(model.index(0, 2), Qt::DisplayRole).toString(), "ALICE");
    EXPECT_EQ(model.data(model.index(0, 1), Qt::DisplayRole).toString(), "No");
    EXPECT_EQ(model.recnoAt(0), 2u);
    EXPECT_EQ(model.rowOf(1), 2);
    ASSERT_TRUE(ds.setQuery("UPPER(NAME) >= 'C'"));
    EXPECT_EQ(model.rowCount(), 2);
    ds.setFieldVisible("FLAG", false);
    model.reloadColumns();
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.columnOf("FLAG"), -1);
}

}  // namespace
