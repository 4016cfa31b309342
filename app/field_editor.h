#pragma once

#include "data/dataset.h"

#include <QLineEdit>

// An edit box bound to one field of a dataset: it shows the current record's value,
// holds at most the field's width, refuses characters the table cannot store, and
// hands what is typed to the dataset. Read-only unless the record is being edited.
class FieldEditor : public QLineEdit {
    Q_OBJECT
public:
    FieldEditor(qorvel::Dataset& dataset, const QString& field, QWidget* parent = nullptr);

    const QString& field() const { return field_; }
    void setUpperCase(bool on) { upper_ = on; }
    // Re-reads the value and the width (after another table was opened).
    void reload();

    // Typing replaces the character at the caret until Insert is pressed; shared by
    // every editor, as the keyboard's own toggle is.
    static bool overtype();
    static void toggleOvertype();

signals:
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void edited(const QString& text);

    qorvel::Dataset& dataset_;
    QString field_;
    QString shown_;
    bool upper_ = false;
};
