#include "getting_started_window.h"

#include "data/misc_settings.h"
#include "data/settings_file.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qorvel;

TGettingStarted::TGettingStarted(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Getting Started"));
    auto* text = new QLabel(
        QStringLiteral("<h3>Welcome to Qorvel</h3>"
                       "<p>Qorvel keeps your mailing list and prints labels, envelopes, letters and reports "
                       "from it.</p>"
                       "<ul><li>Press <b>Add</b> to enter a new address, <b>Save</b> to keep it.</li>"
                       "<li>Move through your records with the arrow buttons or Page Up and Page Down.</li>"
                       "<li><b>Search</b> finds a record by the beginning of a name, city or ZIP code.</li>"
                       "<li><b>Filter</b> shows only the records you want, for printing or tagging.</li>"
                       "<li>The <b>File</b> menu creates and opens address databases; each one is a "
                       "mailing list of its own.</li></ul>"),
        this);
    text->setWordWrap(true);
    text->setMinimumWidth(420);
    dontShow_ = new QCheckBox(QStringLiteral("Do not show this screen at start up"), this);
    dontShow_->setChecked(misc_settings::gettingStartedDismissed(settingsFile()));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(dontShow_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

void TGettingStarted::done(int result) {
    auto file = settingsFile();
    misc_settings::setGettingStartedDismissed(file, dontShow_->isChecked());
    QDialog::done(result);
}
