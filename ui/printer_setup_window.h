#pragma once

#include "data/dialog_service.h"

#include <QDialog>

class QComboBox;
class QRadioButton;

namespace qorvel {

// The printer set-up dialog: printer, paper size, paper source and orientation.
// Placed centred across the screen and a third of the way down.
class PrinterSetupWindow : public QDialog {
    Q_OBJECT
public:
    PrinterSetupWindow(const PrinterSetupRequest& request, QWidget* parent = nullptr);
    void store(PrinterSetupRequest& request) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillLists(int printer, int paperIndex, int binIndex);

    PrinterSetupRequest request_;
    QComboBox* printer_;
    QComboBox* paper_;
    QComboBox* source_;
    QRadioButton* portrait_;
    QRadioButton* landscape_;
};

}  // namespace qorvel
