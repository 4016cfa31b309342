#pragma once

#include "data/adding_preferences.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

// "Preferences": how Add prepares a new record (section "Adding" of the settings file).
class TPreferences : public QDialog {
    Q_OBJECT
public:
    explicit TPreferences(QWidget* parent = nullptr);

    // Fills the boxes from the settings file.
    void LoadPreferences();
    // Writes every key of section "Adding".
    void SavePreferences();

    // The choices the boxes show now.
    qorvel::AddingPreferences shownPreferences() const;

    QPushButton* okButton() const { return ok_; }
    QPushButton* cancelButton() const { return cancel_; }

private:
    void showPreferences(const qorvel::AddingPreferences& p);

    QCheckBox* plugDate_;
    QCheckBox* plugCityState_;
    QCheckBox* autoDupCheck_;
    QLineEdit* defaultCountry_;
    std::array<QCheckBox*, qorvel::kCarryCount> carry_{};
    std::array<QCheckBox*, qorvel::kSkipCount> skip_{};
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* help_;
};
