#pragma once

#include <QDialog>

class AddressMainModel;
class QPushButton;

// "Searching": runs one memo search and closes itself when it ends.
class TQVWSearching : public QDialog {
    Q_OBJECT
public:
    TQVWSearching(AddressMainModel& model, const QString& text, bool fromStart, QWidget* parent = nullptr);

    bool found() const { return found_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    AddressMainModel& model_;
    QString text_;
    bool fromStart_;
    bool cancelled_ = false;
    bool started_ = false;
    bool found_ = false;
    QPushButton* cancel_;
};
