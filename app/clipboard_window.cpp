#include "clipboard_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

TCopyToClipBoard::TCopyToClipBoard(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Copy Record To Clipboard"));
    auto* layout = new QVBoxLayout(this);
    const char* captions[] = {"Name, Organization, Title", "Address", "Phone Numbers", "Codes", "Comments 1 && 2"};
    for (int i = 0; i < 5; ++i) {
        boxes_[i] = new QCheckBox(QString::fromLatin1(captions[i]), this);
        boxes_[i]->setChecked(true);
        layout->addWidget(boxes_[i]);
    }
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

qorvel::RecordTextParts TCopyToClipBoard::parts() const {
    return {boxes_[0]->isChecked(), boxes_[1]->isChecked(), boxes_[2]->isChecked(), boxes_[3]->isChecked(),
            boxes_[4]->isChecked()};
}
