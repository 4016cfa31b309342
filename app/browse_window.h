#pragma once

#include <QDialog>

class AddressMainModel;
class QPushButton;
class QTableView;
namespace qorvel {
class DatasetModel;
}

// "Address Browse": every visible record of the open table in a grid. Columns can
// be dragged to new places; the order is kept in sysdata/FIELDS.LST.
class TAddressBrowseForm : public QDialog {
    Q_OBJECT
public:
    TAddressBrowseForm(AddressMainModel& model, QWidget* parent = nullptr);

    QTableView* grid() const { return grid_; }
    QPushButton* tagButton() const { return tag_; }
    // The dataset's field order, with the grid's columns in their dragged places.
    void takeColumnOrder();

protected:
    void done(int result) override;

private:
    void followRecord();

    AddressMainModel& model_;
    qorvel::DatasetModel* rows_;
    QTableView* grid_;
    QPushButton* tag_;
};
