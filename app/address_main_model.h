#pragma once

#include "data/adding_preferences.h"
#include "data/dataset.h"
#include "data/filter_criteria.h"
#include "data/new_field_widths.h"
#include "data/recent_files.h"

#include <QObject>
#include <functional>

// Which controls of the main window are enabled and visible (SetButtons).
struct ButtonState {
    bool open = false, editing = false, current = false, browse = false, filter = false;

    bool recordButtons() const { return browse; }  // Search, Edit, Delete, Browse, moves, printing
    bool add() const { return open && !editing; }
    bool filterButton() const { return filter || browse; }
    bool clearFilterVisible() const { return filter; }
    bool clearFilterEnabled() const { return filter && !editing; }
    bool filterMenus() const { return filter; }    // Save Filter, Clear Filter, Tag All Filter Matches
    bool browseMenus() const { return browse; }    // Export, Clone, Sort, Print, Utilities
    bool openMenus() const { return open; }        // Rebuild, imports, Edit menu
    bool recordMenu() const { return open && !editing; }
    bool fileMenu() const { return !editing; }
    bool saveCancel() const { return editing; }
    bool addEditDeleteExit() const { return !editing; }
    bool dialAndMemoSearch() const { return browse; }
};

// Field values carried into a new record from the one current when Add was pressed.
struct CarriedValues {
    QString org, city, state, zip, country, street, street2;
};

// What the "New Record" dialog collected, and the city and state its ZIP found.
struct NewRecordEntry {
    QString zip, last, first;
    QString city, state;
};

// What the main window knows and does, without its widgets: the open address table
// (TableQVW) and the table object used while creating one (TAbleCreate), the current
// file, preferences, tag id, recent files, sort order, filter and record editing.
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
    // Opening a recent file: when it fails and another table was open, that one is
    // opened again.
    void openRecentFile(const QString& path);

    // --- New address tables --------------------------------------------------------------
    static QString proposeNewDatabaseName();
    static bool validDatabaseName(const QString& name);
    bool createNewDatabase(const QString& name, const qorvel::NewFieldWidths& widths);

    // --- Sort order, search and filter ------------------------------------------------------
    void SetOrderTo(const QString& sortName);
    void SetCurrentOrder(const QString& tag);
    const QString& sortName() const { return sortName_; }
    const QString& currentTag() const { return currentTag_; }
    QString sortStatus() const;
    // Quick search on a sort order; true when a record starting with the text was found
    // (else the current record stays).
    bool search(const QString& sortName, const QString& text);

    qorvel::FilterCriteria& criteria() { return criteria_; }
    QString BuildQueryString() const;
    const QString& filterExpression() const { return filterExpression_; }
    bool filterSet() const { return !filterExpression_.isEmpty(); }
    // Builds and sets the condition; returns the visible count (0 when no filter is
    // set or it was dropped). A filter the engine cannot read is refused with a
    // message and the one in force before stays.
    int ApplyFilter();
    void ClearQueryVars();
    void clearFilter();  // "Clear Filter": no criteria, condition !ISDEL, first record
    QString filterStatus() const;  // UpdateFilterStatus
    // Filter files; both report their errors.
    bool SaveFilterTo(const QString& path);
    bool RestoreFilterFrom(const QString& path);

    // --- Buttons --------------------------------------------------------------------
    ButtonState SetButtons() const;

    // --- Record editing ---------------------------------------------------------------
    bool editing() const { return tableQVW_.isEditing(); }
    // Add, step by step: remember the carried values, then (after the New Record dialog)
    // look up city and state, check for a duplicate and insert the record.
    CarriedValues carriedValues() const;
    bool FillCityState(const QString& zip, QString& city, QString& state);
    // true: go on adding. false: the user declined (the duplicate is now current).
    bool CheckDupName(const QString& first, const QString& last);
    bool insertNewRecord(const CarriedValues& carried, const NewRecordEntry& entry);
    // The field whose editor gets the focus after Add (by the skip preferences).
    QString addFocusField() const;
    // Save: the memo text (with its rule for lengths that are multiples of 4) and post.
    bool SaveButtonClick(const QString& memoText);
    void CancelButtonClick();
    bool DeleteButtonClick();  // asks; true when deleted
    bool mnuCloneClick();      // asks; true when cloned
    void ToggleTag();
    // Moves; each beeps at the edge.
    void RecordFirstClick();
    void RecordPrevClick();
    void RecordNextClick();
    void RecordLastClick();
    // Memo search from the first record or the one after the current; checks cancel()
    // after each record. The record stays current on a match; else the one current
    // before is restored and the program beeps.
    bool FindTextInMemo(const QString& text, bool fromStart, const std::function<bool()>& cancelled);
    // Tagging every record of the filter; progress(count) after each, stops when asked.
    int TagAllFilterMatches(const std::function<bool(int)>& carryOn);
    void SetExtraFields(bool visible);
    bool extraFields() const { return extraFields_; }

    // --- Browse column order ---------------------------------------------------------
    void loadColumnOrder();
    void saveColumnOrder();

signals:
    void tableChanged();  // opened, closed or reopened
    void captionChanged(const QString& caption);
    void sortChanged();
    void filterChanged();
    void recentFilesChanged();
    void beep();

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
    qorvel::FilterCriteria criteria_;
    QString filterExpression_;
    bool extraFields_ = false;
};
