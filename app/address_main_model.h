#pragma once

#include "data/adding_preferences.h"
#include "data/dataset.h"
#include "data/new_field_widths.h"
#include "data/recent_files.h"

#include <QObject>
#include <functional>

// What the main window knows and does, without its widgets: the open address table
// (TableQVW) and the table object used while creating one (TAbleCreate), the current
// file, preferences, tag id, recent files, sort order and filter.
class AddressMainModel : public QObject {
    Q_OBJECT
public:
    explicit AddressMainModel(QObject* parent = nullptr);
    ~AddressMainModel() override;

    qorvel::Dataset& TableQVW() { return tableQVW_; }
    qorvel::Dataset& TAbleCreate() { return tableCreate_; }

    // --- Settings -------------------------------------------------------------------
    void LoadPreferences();
    void SaveTagPref();
    const qorvel::AddingPreferences& preferences() const { return preferences_; }
    bool gettingStartedDismissed() const { return gettingStartedDismissed_; }
    const QString& tagId() const { return tagId_; }
    // A new tag id: every record becomes untagged without being written.
    void ClearTags();
    qorvel::RecentFiles& recentFiles() { return recentFiles_; }

    // --- Opening tables ---------------------------------------------------------------
    bool OpenQVWDBF(const QString& path);
    bool OpenQVWFile(const QString& path, qorvel::Dataset& table);
    void OnOpenQVWFile(bool opened);
    bool CheckValidIndex();
    QString GetDatabasePath() const;  // the open table's folder with a trailing '/'
    const QString& currentFile() const { return currentFile_; }
    bool indexValid() const { return indexValid_; }
    bool isOpen() const { return tableQVW_.isOpen(); }
    bool noDataPanelShown() const { return !tableQVW_.isOpen(); }
    QString caption() const { return caption_; }
    // Shows the rebuild window for the open table; until a window sets this, the
    // rebuild runs without one.
    std::function<void()> runRebuildWindow;
    // At first activation: the most recent file, else DATA/add0001.DBF (created when
    // missing with the widths of the settings file).
    void openFirstTable();

    // --- New address tables --------------------------------------------------------------
    // The first "ADD" + four digits with no DATA/ file of that name; ADD0001 when all exist.
    static QString proposeNewDatabaseName();
    // A letter or '_' first, then letters, digits or '_'.
    static bool validDatabaseName(const QString& name);
    // Creates DATA/<name>.DBF with the widths and opens it. "That file already
    // exists.Please select another name" when it is there.
    bool createNewDatabase(const QString& name, const qorvel::NewFieldWidths& widths);

    // --- Sort order and filter ---------------------------------------------------------
    void SetOrderTo(const QString& sortName);
    void SetCurrentOrder(const QString& tag);
    const QString& sortName() const { return sortName_; }
    const QString& currentTag() const { return currentTag_; }
    QString sortStatus() const;
    QString filterExpression() const { return filterExpression_; }
    // Sets the engine condition for the filter; returns the visible count (0 when no
    // filter is set or it was dropped).
    int ApplyFilter();
    void SetExtraFields(bool visible);
    bool extraFields() const { return extraFields_; }

signals:
    void tableChanged();  // opened, closed or reopened
    void captionChanged(const QString& caption);
    void sortChanged();
    void recentFilesChanged();

private:
    void setCaption(const QString& caption);

    qorvel::Dataset tableQVW_;
    qorvel::Dataset tableCreate_;
    qorvel::AddingPreferences preferences_;
    bool gettingStartedDismissed_ = false;
    QString tagId_;
    qorvel::RecentFiles recentFiles_;
    QString currentFile_;
    bool indexValid_ = false;
    QString caption_ = QStringLiteral("Qorvel");
    QString sortName_, currentTag_;
    QString filterExpression_;
    bool extraFields_ = false;
};
