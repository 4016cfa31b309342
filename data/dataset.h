#pragma once

#include "engine/table.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

namespace qorvel {

// A field object of a dataset: a stored field of the table or a calculated one.
struct DatasetField {
    QString name;           // upper case for stored fields, as the program spells calculated ones
    QString displayLabel;
    int size = 0;           // characters; stored fields take the file's width on opening
    bool visible = true;
    bool calculated = false;
    char type = 'C';        // C text, L logical, M memo, N number, D date
    QString displayFormat;  // logicals: "Yes;No" shows true as Yes and false as No
    int tag = 0;            // free for the owner
    int engineIndex = -1;   // stored fields: position in the open table
};

class Dataset;

// One record as the calculated fields see it: the current record or any other.
class RowReader {
public:
    RowReader(const Dataset& dataset, uint32_t recno) : dataset_(dataset), recno_(recno) {}
    // Stored field value, trailing blanks removed; "" for a missing field.
    QString text(const QString& field) const;
    bool logical(const QString& field) const;
    uint32_t recno() const { return recno_; }  // 0: the current record (maybe unposted)

private:
    const Dataset& dataset_;
    uint32_t recno_;
};

// The program-side table object every window works through: an engine table, its
// field objects in display order, the current record with browse / edit / insert
// states, calculated fields, and notifications for the controls bound to it.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };

    explicit Dataset(QObject* parent = nullptr);
    ~Dataset() override;

    // --- Fields -------------------------------------------------------------------
    void addField(const DatasetField& field);
    const QVector<DatasetField>& fields() const { return fields_; }
    int fieldIndex(const QString& name) const;  // -1 when missing; ignores letter case
    DatasetField* field(const QString& name);
    const DatasetField* field(const QString& name) const;
    void setFieldVisible(const QString& name, bool visible);
    // Moves a field object to another place in the order (grids show them in order).
    void moveField(int from, int to);

    // Computes the calculated fields of one row; called for every row shown.
    using CalcFields = std::function<void(const RowReader& row, QHash<QString, QVariant>& values)>;
    void setCalcFields(CalcFields calc) { calc_ = std::move(calc); }

    // --- The file --------------------------------------------------------------------
    void setFileName(const QString& path) { fileName_ = path; }
    const QString& fileName() const { return fileName_; }
    // Opens the file: every stored field object must exist in it (each takes the file's
    // width); the current record is the first. On failure lastError() says why.
    bool open(engine::OpenMode mode = engine::OpenMode::Exclusive);
    void close();
    bool isOpen() const { return table_ != nullptr; }
    engine::Table* table() { return table_.get(); }
    const engine::Table* table() const { return table_.get(); }
    const QString& lastError() const { return lastError_; }

    // --- The current record ---------------------------------------------------------
    State state() const { return state_; }
    bool isEditing() const { return state_ == State::Edit || state_ == State::Insert; }
    // Text of a field of the current record: stored fields without trailing blanks,
    // calculated ones as computed; logicals with a display format show its words.
    QString text(const QString& field) const;
    QVariant value(const QString& field) const;
    bool logical(const QString& field) const;
    QString memo(const QString& field) const;
    // In edit or insert state. Text is cut to the field's width; a character the
    // table cannot hold is refused (false, lastError()).
    bool setText(const QString& field, const QString& text);
    bool setLogical(const QString& field, bool value);
    bool setMemo(const QString& field, const QString& text);

    bool edit();
    bool insert();  // a new record, added at the end when posted
    bool post();
    void cancel();
    // Marks the current record deleted (written at once).
    bool deleteMark();

    // --- Moving (in the table's order, under its condition) ------------------------------
    bool first();
    bool last();
    // Moving past the last (first) record stays on it, sets eof() (bof()) and returns false.
    bool next();
    bool prior();
    bool goToRecord(uint32_t recno);  // false when the record is not visible
    // Seeks a key of the current order (see engine::Table::seek); true when found.
    bool seek(const QString& value);
    bool bof() const;
    bool eof() const;
    bool isEmpty() const;  // no visible record
    uint32_t recNo() const;        // 0 when there is no current record
    uint32_t recordCount() const;  // visible records

    // Condition and order; both move nothing, callers go to a record afterwards.
    bool setQuery(const QString& condition);
    QString query() const;
    bool setOrder(int order);
    bool setOrderByName(const QString& tag);
    QString orderName() const;
    // Re-reads the current record (after a change behind the dataset's back).
    void refresh();

    // --- Bound controls ------------------------------------------------------------------
    // While disabled, moves and changes do not notify; enabling notifies once. Nests.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return frozen_ > 0; }

    // Calculated values of any record (for grids).
    QHash<QString, QVariant> calculatedFor(uint32_t recno) const;

signals:
    void recordChanged();     // another record became current (or none)
    void dataChanged();       // values of the current record changed
    void stateChanged(qorvel::Dataset::State state);
    void rowsChanged();       // records, order or condition changed: row lists are stale
    void afterPost();
    void afterEdit();
    void afterInsert();
    void afterCancel();

private:
    bool check(const engine::Status& st);
    void recalc();
    void moved();
    void changed();
    void setState(State s);
    bool leaveEdit();  // posts a pending edit before moving

    QString fileName_;
    QVector<DatasetField> fields_;
    std::unique_ptr<engine::Table> table_;
    State state_ = State::Inactive;
    QString lastError_;
    CalcFields calc_;
    QHash<QString, QVariant> calculated_;
    int frozen_ = 0;
    bool movedWhileFrozen_ = false, changedWhileFrozen_ = false;
    bool atStart_ = true, atEnd_ = true;  // a move ran into the beginning or the end
};

}  // namespace qorvel
