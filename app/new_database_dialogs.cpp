#include "new_database_dialogs.h"

#include "app/address_main_model.h"
#include "data/settings_file.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qorvel;

namespace {

constexpr int kNewDatabaseHelp = 1020;
constexpr int kFieldLengthsHelp = 1021;

// The boxes in the dialog's order, with their captions.
struct LengthBox {
    const char* field;
    const char* caption;
};
constexpr std::array<LengthBox, NewFieldWidths::kCount> kBoxes = {{
    {"FNAME", "First Name"},   {"LNAME", "Last Name"},    {"PREFIX", "Prefix"},   {"TITLE", "Title"},
    {"ORG", "Organization"},   {"STREET", "Address #1"},  {"STREET2", "Address #2"}, {"CITY", "City"},
    {"STATE", "State"},        {"ZIP", "Zip/Postal"},     {"COUNTRY", "Country"}, {"PHONE", "Phone #1"},
    {"PHONE2", "Phone #2"},    {"FAX", "Fax"},            {"EMAIL", "E-Mail"},    {"CODES", "Codes"},
    {"USER1", "Comments #1"},  {"USER2", "Comments #2"},
}};

int widthIndex(const char* field) {
    for (int i = 0; i < NewFieldWidths::kCount; ++i) {
        if (qstrcmp(NewFieldWidths::kEntries[i].field, field) == 0)
            return i;
    }
    return 0;
}

std::optional<int> acceptedWidth(const QString& text) {
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < NewFieldWidths::kDialogMin || v > NewFieldWidths::kDialogMax)
        return std::nullopt;
    return v;
}

}  // namespace

TNewDataBaseName::TNewDataBaseName(const QString& proposal, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Create new database"));
    widths_ = NewFieldWidths::load(settingsFile());

    auto* prompt = new QLabel(QStringLiteral("Enter the database name (no extension)"), this);
    name_ = new QLineEdit(proposal, this);
    name_->setMaxLength(8);
    prompt->setBuddy(name_);
    name_->setWhatsThis(QStringLiteral("The file name of the new address table, without extension. "
                                       "It is created in the DATA folder."));
    hint_ = new QLabel(
        QStringLiteral("Invalid name. Must start with A..Z, followed by A..Z,0..9 or \"_\" (underscore)"), this);
    hint_->setWordWrap(true);
    hint_->setStyleSheet(QStringLiteral("color: #a00000"));

    ok_ = new QPushButton(QStringLiteral("Ok [PgDn]"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    lengths_ = new QPushButton(QStringLiteral("Specify Field Lengths"), this);
    lengths_->setWhatsThis(QStringLiteral("Choose how many characters each field of the new table holds."));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeMouseHelpButton(this));
    buttons->addWidget(lengths_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(name_);
    layout->addWidget(hint_);
    layout->addLayout(buttons);
    // The hint comes and goes: the window follows its contents.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    hint_->setFixedWidth(360);

    specifyFieldLengths = [this](NewFieldWidths& w) {
        TSpecifyFieldLengths dlg(w, this);
        if (dlg.exec() == QDialog::Accepted)
            w = dlg.widths();
    };
    connect(name_, &QLineEdit::textChanged, this, &TNewDataBaseName::nameChanged);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (ok_->isEnabled())
            accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelpTopic(kNewDatabaseHelp, this); });
    connect(lengths_, &QPushButton::clicked, this, [this] { specifyFieldLengths(widths_); });
    nameChanged();
}

QString TNewDataBaseName::name() const { return name_->text(); }

void TNewDataBaseName::nameChanged() {
    const bool valid = AddressMainModel::validDatabaseName(name_->text());
    ok_->setEnabled(valid);
    hint_->setVisible(!valid);
}

void TNewDataBaseName::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageDown) {
        if (ok_->isEnabled())
            accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

TSpecifyFieldLengths::TSpecifyFieldLengths(const NewFieldWidths& widths, QWidget* parent)
    : QDialog(parent), given_(widths) {
    setWindowTitle(QStringLiteral("Specify Field Lengths"));
    auto* grid = new QGridLayout;
    const int rows = (NewFieldWidths::kCount + 1) / 2;
    for (int i = 0; i < NewFieldWidths::kCount; ++i) {
        auto* label = new QLabel(QString::fromLatin1(kBoxes[i].caption), this);
        boxes_[i] = new QLineEdit(this);
        boxes_[i]->setMaxLength(3);
        boxes_[i]->setFixedWidth(48);
        boxes_[i]->setObjectName(QString::fromLatin1(kBoxes[i].field));
        label->setBuddy(boxes_[i]);
        remembered_[i] = widths.widths[widthIndex(kBoxes[i].field)];
        boxes_[i]->setText(QString::number(remembered_[i]));
        const int column = (i / rows) * 2;
        grid->addWidget(label, i % rows, column);
        grid->addWidget(boxes_[i], i % rows, column + 1);
        connect(boxes_[i], &QLineEdit::editingFinished, this, [this, i] { checkBox(i); });
    }
    auto* note = new QLabel(
        QStringLiteral("NOTE: Minimum size = 10 characters                  Maximum size = 80 characters"), this);
    saveForAll_ = new QCheckBox(QStringLiteral("Use these settings for all new databases"), this);
    saveForAll_->setWhatsThis(QStringLiteral("Also keep these widths in the settings for every later new database."));
    defaults_ = new QPushButton(QStringLiteral("Defaults"), this);
    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeMouseHelpButton(this));
    buttons->addWidget(defaults_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addWidget(saveForAll_);
    layout->addLayout(buttons);

    connect(defaults_, &QPushButton::clicked, this, [this] {
        const NewFieldWidths d = NewFieldWidths::buttonDefaults();
        for (int i = 0; i < NewFieldWidths::kCount; ++i) {
            remembered_[i] = d.widths[widthIndex(kBoxes[i].field)];
            boxes_[i]->setText(QString::number(remembered_[i]));
        }
    });
    connect(ok_, &QPushButton::clicked, this, &TSpecifyFieldLengths::accepted);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this, [this] { showHelpTopic(kFieldLengthsHelp, this); });
}

QLineEdit* TSpecifyFieldLengths::box(const char* field) const {
    for (int i = 0; i < NewFieldWidths::kCount; ++i) {
        if (qstrcmp(kBoxes[i].field, field) == 0)
            return boxes_[i];
    }
    return nullptr;
}

void TSpecifyFieldLengths::checkBox(int i) {
    if (const auto v = acceptedWidth(boxes_[i]->text()))
        remembered_[i] = *v;
    else
        boxes_[i]->setText(QString::number(remembered_[i]));
}

NewFieldWidths TSpecifyFieldLengths::widths() const {
    NewFieldWidths w = given_;
    for (int i = 0; i < NewFieldWidths::kCount; ++i) {
        if (const auto v = acceptedWidth(boxes_[i]->text()))
            w.widths[widthIndex(kBoxes[i].field)] = *v;
    }
    return w;
}

bool TSpecifyFieldLengths::saveForAll() const { return saveForAll_->isChecked(); }

void TSpecifyFieldLengths::accepted() {
    for (int i = 0; i < NewFieldWidths::kCount; ++i)
        checkBox(i);
    if (saveForAll()) {
        auto file = settingsFile();
        widths().save(file);
    }
    accept();
}
