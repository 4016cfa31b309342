#pragma once

#include "app/address_main_model.h"

#include <QMainWindow>

class QLabel;
class QMenu;

// The main window: one address record at a time, and the start of every function.
class TAddressMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TAddressMain(QWidget* parent = nullptr);

    AddressMainModel& model() { return model_; }

    void LoadPreferences() { model_.LoadPreferences(); }
    void SaveTagPref() { model_.SaveTagPref(); }
    const qorvel::AddingPreferences& preferences() const { return model_.preferences(); }
    const QString& tagId() const { return model_.tagId(); }

    void mnuPreferencesClick();
    void NewFileMenuClick();
    void OpenFileMenuClick();
    void RebuildIndexesClick();
    void RebuildSystemIndexesClick();

signals:
    void firstActivationDone();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormActivate();
    void showTableState();

    AddressMainModel model_;
    bool firstActivation_ = true;
    QMenu* fileMenu_ = nullptr;
    QLabel* noData_ = nullptr;
    QLabel* summary_ = nullptr;
};
