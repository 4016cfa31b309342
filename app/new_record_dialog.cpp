#include "new_record_dialog.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TGetFirstLastZip::TGetFirstLastZip(bool askZip, bool askNames, int zipWidth, int lastWidth, int firstWidth,
                                   QWidget* parent)
    : QDialog(parent), askZip_(askZip) {
    setWindowTitle(QStringLiteral("New Record"));
    auto* grid = new QGridLayout;
    zip_ = new QLineEdit(this);
    zip_->setMaxLength(zipWidth);
    last_ = new QLineEdit(this);
    last_->setMaxLength(lastWidth);
    first_ = new QLineEdit(this);
    first_->setMaxLength(firstWidth);
    auto* zipLabel = new QLabel(QStringLiteral("Zip Code or Postal Code"), this);
    auto* lastLabel = new QLabel(QStringLiteral("Last Name"), this);
    auto* firstLabel = new QLabel(QStringLiteral("First Name"), this);
    zipLabel->setBuddy(zip_);
    lastLabel->setBuddy(last_);
    firstLabel->setBuddy(first_);
    int row = 0;
    if (askNames) {
        grid->addWidget(lastLabel, row, 0);
        grid->addWidget(last_, row++, 1);
        grid->addWidget(firstLabel, row, 0);
        grid->addWidget(first_, row++, 1);
    } else {
        lastLabel->hide();
        last_->hide();
        firstLabel->hide();
        first_->hide();
    }
    if (askZip) {
        // Alone, the ZIP box takes the last name's place at the top.
        grid->addWidget(zipLabel, askNames ? row : 0, 0);
        grid->addWidget(zip_, askNames ? row : 0, 1);
    } else {
        zipLabel->hide();
        zip_->hide();
    }
    ok_ = new QPushButton(QStringLiteral("Ok [PgDn]"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    zip_->installEventFilter(this);
    first_->installEventFilter(this);
    (askNames ? last_ : zip_)->setFocus();
}

QString TGetFirstLastZip::zip() const { return zip_->isHidden() ? QString() : zip_->text().trimmed(); }
QString TGetFirstLastZip::lastName() const { return last_->isHidden() ? QString() : last_->text().trimmed(); }
QString TGetFirstLastZip::firstName() const { return first_->isHidden() ? QString() : first_->text().trimmed(); }

void TGetFirstLastZip::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageDown) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TGetFirstLastZip::eventFilter(QObject* watched, QEvent* event) {
    if (watched == zip_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            accept();
            return true;
        }
    }
    // Without a ZIP box, leaving the first name confirms.
    if (watched == first_ && event->type() == QEvent::FocusOut && !askZip_ && isVisible() &&
        result() == QDialog::Rejected) {
        const auto* focus = static_cast<QFocusEvent*>(event);
        if (focus->reason() == Qt::TabFocusReason)
            QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}
