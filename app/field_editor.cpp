#include "field_editor.h"

#include "data/dialog_service.h"
#include "engine/codepage.h"

#include <QKeyEvent>

using namespace qorvel;

namespace {
bool g_overtype = true;  // the Insert toggle starts off: typing replaces
}

bool FieldEditor::overtype() { return g_overtype; }
void FieldEditor::toggleOvertype() { g_overtype = !g_overtype; }

FieldEditor::FieldEditor(Dataset& dataset, const QString& field, QWidget* parent)
    : QLineEdit(parent), dataset_(dataset), field_(field) {
    setObjectName(field);
    connect(this, &QLineEdit::textEdited, this, &FieldEditor::edited);
    connect(&dataset_, &Dataset::dataChanged, this, &FieldEditor::reload);
    connect(&dataset_, &Dataset::stateChanged, this, [this] { setReadOnly(!dataset_.isEditing()); });
    reload();
}

void FieldEditor::reload() {
    const DatasetField* f = dataset_.field(field_);
    if (f && f->size > 0)
        setMaxLength(f->size);
    setReadOnly(!dataset_.isEditing());
    const QString value = dataset_.isOpen() && dataset_.recNo() + (dataset_.isEditing() ? 1 : 0) > 0
                              ? dataset_.text(field_)
                              : QString();
    shown_ = value;
    if (text() != value) {
        const int caret = cursorPosition();
        setText(value);
        setCursorPosition(std::min(caret, int(value.size())));
    }
}

void FieldEditor::edited(const QString& typed) {
    QString text = upper_ ? typed.toUpper() : typed;
    if (!engine::cp1252::fromUtf8(text.toStdString()).ok()) {
        // Refused at typing time, with what went wrong.
        setText(shown_);
        const auto why = engine::cp1252::fromUtf8(text.toStdString());
        dialogs().information(QString::fromStdString(why.message()));
        return;
    }
    if (upper_ && text != typed) {
        const int caret = cursorPosition();
        setText(text);
        setCursorPosition(caret);
    }
    if (!dataset_.setText(field_, text)) {
        setText(shown_);
        dialogs().information(dataset_.lastError());
        return;
    }
    shown_ = text;
}

void FieldEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        toggleOvertype();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (event->modifiers() == Qt::NoModifier) {
            focusNextChild();
            return;
        }
    }
    // Overtype: a character key replaces the one at the caret.
    const QString t = event->text();
    if (g_overtype && !isReadOnly() && !t.isEmpty() && t.at(0).isPrint() && !hasSelectedText() &&
        cursorPosition() < text().size())
        setSelection(cursorPosition(), 1);
    QLineEdit::keyPressEvent(event);
}

void FieldEditor::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
