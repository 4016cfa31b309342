#include "printer_setup_window.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace qorvel {

PrinterSetupWindow::PrinterSetupWindow(const PrinterSetupRequest& request, QWidget* parent)
    : QDialog(parent), request_(request) {
    setObjectName(QStringLiteral("PrinterSetupWindow"));
    setWindowTitle(QStringLiteral("Print Setup"));
    auto* layout = new QVBoxLayout(this);

    auto* printerBox = new QGroupBox(QStringLiteral("Printer"), this);
    auto* printerForm = new QFormLayout(printerBox);
    printer_ = new QComboBox(printerBox);
    printer_->setObjectName(QStringLiteral("printer"));
    printer_->addItems(request.printers);
    printer_->setMinimumContentsLength(30);
    printerForm->addRow(QStringLiteral("&Name:"), printer_);
    layout->addWidget(printerBox);

    auto* row = new QHBoxLayout;
    auto* paperBox = new QGroupBox(QStringLiteral("Paper"), this);
    auto* paperForm = new QFormLayout(paperBox);
    paper_ = new QComboBox(paperBox);
    paper_->setObjectName(QStringLiteral("paper"));
    source_ = new QComboBox(paperBox);
    source_->setObjectName(QStringLiteral("source"));
    paperForm->addRow(QStringLiteral("Si&ze:"), paper_);
    paperForm->addRow(QStringLiteral("&Source:"), source_);
    row->addWidget(paperBox, 1);

    auto* orientationBox = new QGroupBox(QStringLiteral("Orientation"), this);
    auto* orientationLayout = new QVBoxLayout(orientationBox);
    portrait_ = new QRadioButton(QStringLiteral("P&ortrait"), orientationBox);
    landscape_ = new QRadioButton(QStringLiteral("&Landscape"), orientationBox);
    orientationLayout->addWidget(portrait_);
    orientationLayout->addWidget(landscape_);
    (request.landscape ? landscape_ : portrait_)->setChecked(true);
    row->addWidget(orientationBox);
    layout->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    printer_->setCurrentIndex(std::max(0, request.printerIndex));
    fillLists(printer_->currentIndex(), request.paperIndex, request.binIndex);
    connect(printer_, &QComboBox::currentIndexChanged, this, [this](int i) { fillLists(i, 0, 0); });
}

void PrinterSetupWindow::fillLists(int printer, int paperIndex, int binIndex) {
    paper_->clear();
    source_->clear();
    if (request_.papersOf)
        paper_->addItems(request_.papersOf(printer));
    if (request_.binsOf)
        source_->addItems(request_.binsOf(printer));
    paper_->setCurrentIndex(paperIndex < paper_->count() ? paperIndex : -1);
    source_->setCurrentIndex(binIndex < source_->count() ? binIndex : -1);
}

void PrinterSetupWindow::store(PrinterSetupRequest& request) const {
    request.printerIndex = printer_->currentIndex();
    request.paperIndex = paper_->currentIndex();
    request.binIndex = source_->currentIndex();
    request.landscape = landscape_->isChecked();
}

void PrinterSetupWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        move(area.left() + (area.width() - width()) / 2, area.top() + (area.height() - height()) / 3);
    }
}

}  // namespace qorvel
