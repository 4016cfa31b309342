#include "address_query_form.h"

#include "app/address_main_model.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qorvel;

namespace {
constexpr int kHelpTopic = 1040;
constexpr int kDateBox = 14;  // "Date" in box order
}  // namespace

TAddressQueryForm::TAddressQueryForm(AddressMainModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setWindowTitle(QStringLiteral("Address Filter"));
    auto* grid = new QGridLayout;
    // Two columns, as the editors stand in the main window.
    for (int i = 0; i < kCriteriaCount; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kCriteria[i].label), this);
        boxes_[i] = new QLineEdit(model.criteria().texts[i], this);
        boxes_[i]->setObjectName(QString::fromLatin1(kCriteria[i].expression));
        label->setBuddy(boxes_[i]);
        const int row = i < 9 ? i : i - 9;
        const int column = i < 9 ? 0 : 2;
        grid->addWidget(label, row, column);
        grid->addWidget(boxes_[i], row, column + 1);
        boxes_[i]->setToolTip(QStringLiteral("Type the beginning of the value; ;, + and ^ combine, "
                                             "and >=, >, <=, < or $ may start a value"));
    }
    boxes_[kDateBox]->setToolTip(QStringLiteral("Note: enter dates in the form: YYYYMMDD\n(i.e. 19970428 for April 28, 1997)"));
    boxes_[kDateBox]->installEventFilter(this);
    dateNote_ = new QLabel(QStringLiteral("(YYYYMMDD)"), this);
    dateNote_->hide();
    tagged_ = new QCheckBox(QStringLiteral("Tagged"), this);
    tagged_->setChecked(model.criteria().taggedOnly);
    matches_ = new QLabel(this);
    auto* hint = new QLabel(
        QStringLiteral("Hint: to look for only part of a value, first type in a $ and then the value to look for. "
                       "As an example, to find all records containing the code letter C in the Codes field, type in "
                       "$C. Right click on any field or press HELP for more helpful tips"),
        this);
    hint->setWordWrap(true);
    test_ = new QPushButton(QStringLiteral("Test"), this);
    clear_ = new QPushButton(QStringLiteral("Clear"), this);
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeMouseHelpButton(this));
    buttons->addWidget(tagged_);
    buttons->addWidget(matches_, 1);
    buttons->addWidget(test_);
    buttons->addWidget(clear_);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(dateNote_, 0, Qt::AlignRight);
    layout->addWidget(hint);
    layout->addLayout(buttons);

    connect(test_, &QPushButton::clicked, this, &TAddressQueryForm::Test);
    connect(clear_, &QPushButton::clicked, this, &TAddressQueryForm::Clear);
    connect(ok_, &QPushButton::clicked, this, [this] {
        Test();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelpTopic(kHelpTopic, this); });
}

void TAddressQueryForm::toModel() {
    FilterCriteria& c = model_.criteria();
    for (int i = 0; i < kCriteriaCount; ++i)
        c.texts[i] = boxes_[i]->text();
    c.taggedOnly = tagged_->isChecked();
}

void TAddressQueryForm::Test() {
    matches_->setText(QStringLiteral("Searching..."));
    QCoreApplication::processEvents();
    toModel();
    const int count = model_.ApplyFilter();
    matches_->setText(model_.filterSet() ? QString::number(count) + QStringLiteral(" matches")
                                         : QStringLiteral("No filter set"));
    model_.TableQVW().first();
}

void TAddressQueryForm::Clear() {
    for (QLineEdit* b : boxes_)
        b->clear();
    tagged_->setChecked(false);
    Test();
}

bool TAddressQueryForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == boxes_[kDateBox]) {
        if (event->type() == QEvent::FocusIn)
            dateNote_->show();
        else if (event->type() == QEvent::FocusOut)
            dateNote_->hide();
    }
    return QDialog::eventFilter(watched, event);
}
