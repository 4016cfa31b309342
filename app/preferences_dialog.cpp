#include "preferences_dialog.h"

#include "data/settings_file.h"
#include "ui/help_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qorvel;

namespace {
constexpr int kHelpTopic = 1010;
}

TPreferences::TPreferences(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Preferences"));
    setWindowTitle(QStringLiteral("Preferences"));

    auto* adding = new QGroupBox(QStringLiteral(" When adding new records"), this);
    auto* addingLayout = new QGridLayout(adding);
    plugDate_ = new QCheckBox(QStringLiteral("Enter today's date in the date field"), adding);
    plugCityState_ = new QCheckBox(QStringLiteral("Automatically insert city and state/province"), adding);
    autoDupCheck_ = new QCheckBox(QStringLiteral("Automatically check for duplicate names"), adding);
    defaultCountry_ = new QLineEdit(adding);
    defaultCountry_->setMaxLength(AddingPreferences::kDefaultCountryLength);
    auto* countryLabel = new QLabel(QStringLiteral("Default Country Name"), adding);
    countryLabel->setBuddy(defaultCountry_);
    addingLayout->addWidget(plugDate_, 0, 0, 1, 2);
    addingLayout->addWidget(plugCityState_, 1, 0, 1, 2);
    addingLayout->addWidget(autoDupCheck_, 2, 0, 1, 2);
    addingLayout->addWidget(countryLabel, 3, 0);
    addingLayout->addWidget(defaultCountry_, 3, 1);
    adding->setWhatsThis(QStringLiteral("How a new record is prepared when you press Add."));
    plugCityState_->setWhatsThis(
        QStringLiteral("Asks for the ZIP code of a new record and copies city and state from a record with that ZIP code."));
    autoDupCheck_->setWhatsThis(
        QStringLiteral("Asks for the last and first name of a new record and warns when such a record exists."));
    defaultCountry_->setWhatsThis(
        QStringLiteral("Country given to every new record unless a country is carried forward."));

    auto* carry = new QGroupBox(QStringLiteral("Carry forward the following fields:"), this);
    carry->setWhatsThis(QStringLiteral("Ticked fields are copied from the current record into a new one."));
    auto* carryLayout = new QVBoxLayout(carry);
    for (int i = 0; i < kCarryCount; ++i) {
        carry_[i] = new QCheckBox(QString::fromLatin1(kCarryKeys[i].caption), carry);
        carryLayout->addWidget(carry_[i]);
    }
    carryLayout->addStretch();

    auto* skip = new QGroupBox(QStringLiteral("Skip through the following fields:"), this);
    skip->setWhatsThis(QStringLiteral("Ticked fields are left out of the Tab order while a new record is entered."));
    auto* skipLayout = new QGridLayout(skip);
    const int rows = (kSkipCount + 1) / 2;
    for (int i = 0; i < kSkipCount; ++i) {
        skip_[i] = new QCheckBox(QString::fromLatin1(kSkipKeys[i].caption), skip);
        skipLayout->addWidget(skip_[i], i % rows, i / rows);
    }

    ok_ = new QPushButton(QStringLiteral("Ok"), this);
    ok_->setDefault(true);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeMouseHelpButton(this));
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);

    auto* columns = new QHBoxLayout;
    columns->addWidget(carry);
    columns->addWidget(skip, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(adding);
    layout->addLayout(columns);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, [this] {
        SavePreferences();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this] { showHelpTopic(kHelpTopic, this); });

    LoadPreferences();
}

void TPreferences::LoadPreferences() { showPreferences(AddingPreferences::load(settingsFile())); }

void TPreferences::SavePreferences() {
    auto file = settingsFile();
    shownPreferences().save(file);
}

void TPreferences::showPreferences(const AddingPreferences& p) {
    plugDate_->setChecked(p.plugDate);
    plugCityState_->setChecked(p.plugCityState);
    autoDupCheck_->setChecked(p.autoDupCheck);
    defaultCountry_->setText(p.defaultCountry);
    for (int i = 0; i < kCarryCount; ++i)
        carry_[i]->setChecked(p.carry[i]);
    for (int i = 0; i < kSkipCount; ++i)
        skip_[i]->setChecked(p.skip[i]);
}

AddingPreferences TPreferences::shownPreferences() const {
    AddingPreferences p;
    p.plugDate = plugDate_->isChecked();
    p.plugCityState = plugCityState_->isChecked();
    p.autoDupCheck = autoDupCheck_->isChecked();
    p.defaultCountry = defaultCountry_->text();
    for (int i = 0; i < kCarryCount; ++i)
        p.carry[i] = carry_[i]->isChecked();
    for (int i = 0; i < kSkipCount; ++i)
        p.skip[i] = skip_[i]->isChecked();
    return p;
}
