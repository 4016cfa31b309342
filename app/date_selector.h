#pragma once

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;

// "Select a Date": a calendar with Year-/Month-/Today/Month +/Year+, Ok, Cancel and
// No Date.
class TDateSelector : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancelled, Chosen, NoDate };
    TDateSelector(const QDate& initial, QWidget* parent = nullptr);

    QDate date() const;
    Choice choice() const { return choice_; }
    QCalendarWidget* calendar() const { return calendar_; }
    QLabel* longDate() const { return long_; }
    void step(int years, int months);

private:
    void showDate();

    QCalendarWidget* calendar_;
    QLabel* long_;
    Choice choice_ = Cancelled;
};
