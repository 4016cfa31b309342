#include "search_box.h"

#include "data/sort_orders.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qorvel;

TSearchBox::TSearchBox(const QString& currentSort, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Search"));
    auto* orderLabel = new QLabel(QStringLiteral("Search &Order"), this);
    order_ = new QComboBox(this);
    for (const SortOrder& s : kSortOrders)
        order_->addItem(s.name());
    order_->setCurrentIndex(std::max(0, order_->findText(currentSort)));
    orderLabel->setBuddy(order_);
    prompt_ = new QLabel(this);
    text_ = new QLineEdit(this);
    prompt_->setBuddy(text_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(orderLabel);
    layout->addWidget(order_);
    layout->addWidget(prompt_);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    auto follow = [this] { prompt_->setText(QStringLiteral("Search ") + sortName() + QStringLiteral(" starting with...")); };
    connect(order_, &QComboBox::currentIndexChanged, this, follow);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    follow();
    text_->setFocus();
}

QString TSearchBox::sortName() const { return order_->currentText(); }
QString TSearchBox::text() const { return text_->text(); }
