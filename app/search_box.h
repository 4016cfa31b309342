#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

// "Search": a sort order and the text its key should start with.
class TSearchBox : public QDialog {
    Q_OBJECT
public:
    TSearchBox(const QString& currentSort, QWidget* parent = nullptr);

    QString sortName() const;
    QString text() const;
    QComboBox* orderBox() const { return order_; }
    QLineEdit* textEdit() const { return text_; }
    QLabel* prompt() const { return prompt_; }

private:
    QComboBox* order_;
    QLabel* prompt_;
    QLineEdit* text_;
};
