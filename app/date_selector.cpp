#include "date_selector.h"

#include <QCalendarWidget>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

TDateSelector::TDateSelector(const QDate& initial, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Select a Date"));
    long_ = new QLabel(this);
    long_->setAlignment(Qt::AlignCenter);
    calendar_ = new QCalendarWidget(this);
    calendar_->setFirstDayOfWeek(Qt::Sunday);
    calendar_->setSelectedDate(initial.isValid() ? initial : QDate::currentDate());
    calendar_->setGridVisible(true);
    auto* steps = new QHBoxLayout;
    const struct {
        const char* caption;
        int years, months;
    } kSteps[] = {{"Year-", -1, 0}, {"Month-", 0, -1}, {"Today", 0, 0}, {"Month +", 0, 1}, {"Year+", 1, 0}};
    for (const auto& s : kSteps) {
        auto* b = new QPushButton(QString::fromLatin1(s.caption), this);
        b->setAutoDefault(false);
        const int y = s.years, m = s.months;
        connect(b, &QPushButton::clicked, this, [this, y, m, s] {
            if (qstrcmp(s.caption, "Today") == 0)
                calendar_->setSelectedDate(QDate::currentDate());
            else
                step(y, m);
        });
        steps->addWidget(b);
    }
    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* none = new QPushButton(QStringLiteral("No Date"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(none);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(long_);
    layout->addWidget(calendar_);
    layout->addLayout(steps);
    layout->addLayout(buttons);
    connect(calendar_, &QCalendarWidget::selectionChanged, this, &TDateSelector::showDate);
    connect(calendar_, &QCalendarWidget::activated, this, [this] {
        choice_ = Chosen;
        accept();
    });
    connect(ok, &QPushButton::clicked, this, [this] {
        choice_ = Chosen;
        accept();
    });
    connect(none, &QPushButton::clicked, this, [this] {
        choice_ = NoDate;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    showDate();
}

QDate TDateSelector::date() const { return calendar_->selectedDate(); }

void TDateSelector::step(int years, int months) {
    calendar_->setSelectedDate(calendar_->selectedDate().addYears(years).addMonths(months));
}

void TDateSelector::showDate() { long_->setText(QLocale().toString(calendar_->selectedDate(), QLocale::LongFormat)); }
