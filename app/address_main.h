#pragma once

#include "data/adding_preferences.h"
#include "data/recent_files.h"

#include <QMainWindow>

class QMenu;

// The main window: one address record at a time, and the start of every function.
class TAddressMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TAddressMain(QWidget* parent = nullptr);

    // Reads section "Adding" and the two "Misc" keys, then writes the tag id back.
    void LoadPreferences();
    // Writes the current tag id to "Misc"/GlobalTagId.
    void SaveTagPref();

    const qorvel::AddingPreferences& preferences() const { return preferences_; }
    const QString& tagId() const { return tagId_; }
    bool gettingStartedDismissed() const { return gettingStartedDismissed_; }

    void mnuPreferencesClick();

signals:
    void firstActivationDone();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();

    bool firstActivation_ = true;
    qorvel::AddingPreferences preferences_;
    bool gettingStartedDismissed_ = false;
    QString tagId_;
    QMenu* fileMenu_ = nullptr;
};
