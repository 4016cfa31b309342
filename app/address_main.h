#pragma once

#include "app/address_main_model.h"

#include <QHash>
#include <QMainWindow>

class FieldEditor;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTabWidget;

// The main window: one address record at a time, and the start of every function.
// It binds its controls to the model and forwards what the user does.
class TAddressMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TAddressMain(QWidget* parent = nullptr);
    ~TAddressMain() override;

    AddressMainModel& model() { return model_; }
    void LoadPreferences() { model_.LoadPreferences(); }
    void SaveTagPref() { model_.SaveTagPref(); }
    const qorvel::AddingPreferences& preferences() const { return model_.preferences(); }
    const QString& tagId() const { return model_.tagId(); }

    // Commands (menus, buttons and keys end here).
    void mnuPreferencesClick();
    void NewFileMenuClick();
    void OpenFileMenuClick();
    void RebuildIndexesClick();
    void RebuildSystemIndexesClick();
    void AddButtonClick();
    void EditButtonClick();
    void SaveButtonClick();
    void CancelButtonClick();
    void DeleteButtonClick();
    void mnuCloneClick();
    void SearchButtonClick();
    void FilterButtonClick();
    void ClearfilterButtonClick();
    void mnuSaveFilterClick();
    void mnuRestoreFilterClick();
    void mnuTagAllFilterMatchesClick();
    void ClearTags1Click();
    void BrowseButtonClick();
    void ToClipboard1Click();
    void SearchMemoButtonClick();
    void SearchMemoNextButtonClick();
    void DateLabelClick();
    void SetButtons();
    void UpdateFilterStatus();
    void SetMenuOrder(QAction* item);

    // For tests: controls by the names the program gives them.
    FieldEditor* editor(const QString& field) const { return editors_.value(field); }
    QPushButton* button(const QString& name) const;
    QAction* menuAction(const QString& caption) const;
    QPlainTextEdit* memoEditor() const { return memo_; }
    QLabel* sortStatusLabel() const { return sortStatus_; }
    QLabel* filterStatusLabel() const { return filterStatus_; }
    QWidget* noDataPanel() const { return noData_; }
    QCheckBox* taggedBox() const { return tagged_; }
    QTabWidget* notebook() const { return notebook_; }

signals:
    void firstActivationDone();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void FormActivate();
    void FormKeyDown(QKeyEvent* event, bool& handled);
    void recordChanged();
    void loadMemo();
    void SetSkipFields(bool on);
    void UpdateMenuMRUList();
    // Runs a window over the table as every launched utility does: controls frozen
    // and the order re-selected afterwards.
    void launch(const std::function<void()>& show, bool restoreRecord);
    QPushButton* addButton(QLayout* layout, const QString& name, const QString& caption, void (TAddressMain::*slot)());

    AddressMainModel model_;
    bool firstActivation_ = true;
    bool buttonUpdating_ = true;
    bool memoLoading_ = false;
    QString memoSearchText_;
    bool memoFound_ = false;

    QHash<QString, FieldEditor*> editors_;
    QHash<QString, QPushButton*> buttons_;
    QHash<QString, QAction*> actions_;
    QList<QAction*> sortActions_;
    QList<QAction*> unavailable_;
    QMenu* fileMenu_ = nullptr;
    QAction* mruSeparator_ = nullptr;
    QStackedWidget* recordArea_ = nullptr;
    QWidget* record_ = nullptr;
    QWidget* noData_ = nullptr;
    QTabWidget* notebook_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    QLineEdit* displayDate_ = nullptr;
    QCheckBox* tagged_ = nullptr;
    QLabel* sortStatus_ = nullptr;
    QLabel* filterStatus_ = nullptr;
};
