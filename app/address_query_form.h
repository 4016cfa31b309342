#pragma once

#include "data/filter_criteria.h"

#include <QDialog>
#include <array>

class AddressMainModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Address Filter": one box per filterable field, the Tagged switch and a match counter.
class TAddressQueryForm : public QDialog {
    Q_OBJECT
public:
    TAddressQueryForm(AddressMainModel& model, QWidget* parent = nullptr);

    QLineEdit* box(int criterion) const { return boxes_[size_t(criterion)]; }
    QCheckBox* taggedBox() const { return tagged_; }
    QLabel* matches() const { return matches_; }
    QPushButton* testButton() const { return test_; }
    QPushButton* clearButton() const { return clear_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

    void Test();
    void Clear();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toModel();

    AddressMainModel& model_;
    std::array<QLineEdit*, qorvel::kCriteriaCount> boxes_{};
    QCheckBox* tagged_;
    QLabel* matches_;
    QLabel* dateNote_;
    QPushButton* test_;
    QPushButton* clear_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
