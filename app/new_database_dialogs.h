#pragma once

#include "data/new_field_widths.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// "Create new database": the name of a new address table (without extension).
class TNewDataBaseName : public QDialog {
    Q_OBJECT
public:
    explicit TNewDataBaseName(const QString& proposal, QWidget* parent = nullptr);

    QString name() const;
    // The widths for this creation: the settings file's unless changed here.
    const qorvel::NewFieldWidths& widths() const { return widths_; }

    QLineEdit* nameEdit() const { return name_; }
    QPushButton* okButton() const { return ok_; }
    QPushButton* fieldLengthsButton() const { return lengths_; }
    QLabel* invalidHint() const { return hint_; }

    // Opens "Specify Field Lengths" (overridable so tests can drive it).
    std::function<void(qorvel::NewFieldWidths&)> specifyFieldLengths;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void nameChanged();

    QLineEdit* name_;
    QLabel* hint_;
    QPushButton* ok_;
    QPushButton* lengths_;
    qorvel::NewFieldWidths widths_;
};

// "Specify Field Lengths": the widths of the eighteen variable fields, 10 to 80.
class TSpecifyFieldLengths : public QDialog {
    Q_OBJECT
public:
    TSpecifyFieldLengths(const qorvel::NewFieldWidths& widths, QWidget* parent = nullptr);

    // Each box as accepted (a box whose text does not parse keeps the width given).
    qorvel::NewFieldWidths widths() const;
    bool saveForAll() const;

    QLineEdit* box(const char* field) const;
    QPushButton* defaultsButton() const { return defaults_; }
    QPushButton* okButton() const { return ok_; }

    // Puts the remembered value back into a box whose text is not a whole number
    // from 10 to 80, else remembers the new one.
    void checkBox(int index);

private:
    void accepted();

    std::array<QLineEdit*, qorvel::NewFieldWidths::kCount> boxes_{};
    std::array<int, qorvel::NewFieldWidths::kCount> remembered_{};
    QCheckBox* saveForAll_;
    QPushButton* defaults_;
    QPushButton* ok_;
    qorvel::NewFieldWidths given_;
};
