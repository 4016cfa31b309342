#include "tag_all_window.h"

#include "app/address_main_model.h"
#include "data/dialog_service.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

using namespace qorvel;

TTagAllRecords::TTagAllRecords(AddressMainModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Tagging"));
    label_ = new QLabel(QStringLiteral("Tagging Records"), this);
    count_ = new QLabel(this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel_);
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(count_);
    layout->addLayout(buttons);
    setMinimumWidth(260);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (dialogs().question(QStringLiteral("CANCEL"), QStringLiteral("Cancel Tagging?")))
            cancelRequested_ = true;
    });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void TTagAllRecords::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_)
        QTimer::singleShot(0, this, &TTagAllRecords::run);
}

void TTagAllRecords::run() {
    if (started_)
        return;
    started_ = true;
    tagged_ = model_.TagAllFilterMatches([this](int count) {
        count_->setText(QString::number(count) + QStringLiteral(" tagged"));
        QCoreApplication::processEvents();
        return !cancelRequested_;
    });
    label_->setText(cancelRequested_ ? QStringLiteral("Cancelled before completion") : QStringLiteral("Complete"));
    count_->clear();
    cancel_->hide();
    ok_->show();
    ok_->setDefault(true);
}
