#pragma once

#include "data/record_text.h"

#include <QDialog>

class QCheckBox;

// "Copy Record To Clipboard": which blocks of the current record to copy.
class TCopyToClipBoard : public QDialog {
    Q_OBJECT
public:
    explicit TCopyToClipBoard(QWidget* parent = nullptr);
    qorvel::RecordTextParts parts() const;
    QCheckBox* box(int i) const { return boxes_[i]; }

private:
    QCheckBox* boxes_[5];
};
