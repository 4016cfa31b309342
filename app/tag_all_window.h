#pragma once

#include <QDialog>

class AddressMainModel;
class QLabel;
class QPushButton;

// "Tagging": tags every record the filter shows, once, when first shown.
class TTagAllRecords : public QDialog {
    Q_OBJECT
public:
    TTagAllRecords(AddressMainModel& model, QWidget* parent = nullptr);

    QLabel* status() const { return label_; }
    QLabel* counter() const { return count_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* okButton() const { return ok_; }
    int tagged() const { return tagged_; }
    // Runs the loop (the first show does this by itself).
    void run();

protected:
    void showEvent(QShowEvent* event) override;

private:
    AddressMainModel& model_;
    QLabel* label_;
    QLabel* count_;
    QPushButton* cancel_;
    QPushButton* ok_;
    bool started_ = false;
    bool cancelRequested_ = false;
    int tagged_ = 0;
};
