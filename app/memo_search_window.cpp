#include "memo_search_window.h"

#include "app/address_main_model.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

TQVWSearching::TQVWSearching(AddressMainModel& model, const QString& text, bool fromStart, QWidget* parent)
    : QDialog(parent), model_(model), text_(text), fromStart_(fromStart) {
    setWindowTitle(QStringLiteral("Searching"));
    auto* label = new QLabel(QStringLiteral("Searching for: ") + text, this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void TQVWSearching::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    QTimer::singleShot(0, this, [this] {
        found_ = model_.FindTextInMemo(text_, fromStart_, [this] {
            QCoreApplication::processEvents();
            return cancelled_;
        });
        accept();
    });
}
