#include "address_main_model.h"

#include "data/address_schema.h"
#include "data/address_table.h"
#include "data/dialog_service.h"
#include "data/misc_settings.h"
#include "data/program_directory.h"
#include "data/settings_file.h"
#include "data/sort_orders.h"
#include "data/stored_date.h"
#include "data/table_rebuild.h"
#include "data/tag_id.h"
#include "data/upper_text.h"

#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

using namespace qorvel;

namespace {

// CheckValidIndex asks for the tags in this order and stops at the first missing one.
const char* const kCheckedTags[] = {"NAME",   "LNAME",    "FNAME",  "TITLE",    "ORG",    "STREET", "STREET2",
                                    "CITY",   "STATE",    "ZIP",    "COUNTRY",  "PHONE",  "PHONE2", "EMAIL",
                                    "FAX",    "DATE",     "CODES",  "PREFIX",   "MIDDLE", "USER1",  "USER2",
                                    "DELETED", "STATEZIP", "ISDEL", "NOTISDEL", "TAG"};

// The fields a clone copies.
const char* const kClonedFields[] = {"LNAME", "FNAME", "MIDDLE",  "PREFIX", "TITLE", "ORG",   "STREET",
                                     "STREET2", "CITY", "STATE",  "ZIP",    "COUNTRY", "PHONE", "PHONE2",
                                     "EMAIL", "FAX",  "CODES",   "DATE",   "USER1", "USER2"};

QString padded(const QString& s, int width) { return s.left(width).leftJustified(width, QLatin1Char(' ')); }

// The table's memo text with Windows line ends, as stored by the earlier program.
QString toStoredMemo(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

}  // namespace

AddressMainModel::AddressMainModel(QObject* parent) : QObject(parent), recentFiles_(settingsFile()) {
    defineAddressFields(tableQVW_);
    defineAddressFields(tableCreate_);
    tableQVW_.setCalcFields([this](const RowReader& row, QHash<QString, QVariant>& out) {
        addressCalcFields(row, tagId_, extraFields_, out);
    });
    runRebuildWindow = [this] {
        rebuildAddressTable(tableQVW_, [](const QString&, int) { QCoreApplication::processEvents(); });
    };
}

AddressMainModel::~AddressMainModel() = default;

// --- Settings -----------------------------------------------------------------------

void AddressMainModel::LoadPreferences() {
    auto file = settingsFile();
    preferences_ = AddingPreferences::load(file);
    gettingStartedDismissed_ = misc_settings::gettingStartedDismissed(file);
    tagId_ = misc_settings::loadTagId(file);
    recentFiles_ = RecentFiles(settingsFile());
    recentFiles_.GetMRUList();
}

void AddressMainModel::SaveTagPref() {
    auto file = settingsFile();
    misc_settings::saveTagId(file, tagId_);
}

void AddressMainModel::ClearTags() {
    tagId_ = NewTagId();
    SaveTagPref();
    ApplyFilter();
    tableQVW_.refresh();
    emit tableQVW_.rowsChanged();
}

// --- Opening tables ---------------------------------------------------------------------

bool AddressMainModel::OpenQVWFile(const QString& path, Dataset& table) {
    const bool opened = OpenTableFile(path, table);
    if (opened) {
        CheckValidIndex();
    } else {
        dialogs().information(QStringLiteral("Unable to open ") + path + QStringLiteral("\n\n * May not be ") +
                              QStringLiteral("a Qorvel") + QStringLiteral(" file.\n") +
                              QStringLiteral(" * May be in use by another program or user"));
    }
    return opened;
}

bool AddressMainModel::CheckValidIndex() {
    indexValid_ = false;
    engine::Table* t = tableQVW_.table();
    if (!t)
        return false;
    for (const char* tag : kCheckedTags) {
        if (t->tagArea(tag) == 0)
            return false;
    }
    indexValid_ = true;
    return true;
}

bool AddressMainModel::OpenQVWDBF(const QString& path) {
    if (path.isEmpty())
        return false;
    tableQVW_.disableControls();
    if (tableQVW_.isOpen())
        tableQVW_.setQuery(QString());
    const bool opened = OpenQVWFile(path, tableQVW_);
    if (opened && !indexValid_) {
        const bool rebuild = dialogs().question(
            QStringLiteral("Warning"),
            QStringLiteral("The index file for ") + path + QStringLiteral("\nis missing or invalid. Rebuild now?"));
        if (rebuild) {
            runRebuildWindow();
            if (!CheckValidIndex())
                tableQVW_.close();
        } else {
            tableQVW_.close();
        }
    }
    OnOpenQVWFile(tableQVW_.isOpen());
    tableQVW_.enableControls();
    if (opened) {
        recentFiles_.GetMRUList();
        recentFiles_.UpdateMRUList(path);
        emit recentFilesChanged();
        currentFile_ = path;
    } else {
        currentFile_.clear();
    }
    setCaption(QStringLiteral("Qorvel - ") + path);
    emit tableChanged();
    return tableQVW_.isOpen();
}

void AddressMainModel::OnOpenQVWFile(bool opened) {
    if (!opened) {
        tableQVW_.close();
        currentTag_.clear();
        sortName_.clear();
        emit sortChanged();
        return;
    }
    SetOrderTo(QStringLiteral("Last Name"));
    ApplyFilter();
    tableQVW_.first();
}

QString AddressMainModel::GetDatabasePath() const {
    if (currentFile_.isEmpty())
        return {};
    return withTrailingSeparator(QFileInfo(currentFile_).absolutePath());
}

void AddressMainModel::openFirstTable() {
    recentFiles_.GetMRUList();
    const QString recent = recentFiles_.GetMRUFile();
    if (!recent.isEmpty()) {
        OpenQVWDBF(recent);
        return;
    }
    const QString first = homePath(QStringLiteral("DATA/add0001.DBF"));
    if (!QFileInfo::exists(first)) {
        if (!CreateAddressTable(first, tableCreate_, NewFieldWidths::load(settingsFile())))
            return;
    }
    OpenQVWDBF(first);
}

void AddressMainModel::openRecentFile(const QString& path) {
    const QString previous = tableQVW_.isOpen() ? currentFile_ : QString();
    OpenQVWDBF(path);
    if (!tableQVW_.isOpen() && !previous.isEmpty())
        OpenQVWDBF(previous);
}

// --- New tables --------------------------------------------------------------------------

QString AddressMainModel::proposeNewDatabaseName() {
    for (int n = 1; n <= 9999; ++n) {
        const QString name = QStringLiteral("ADD%1").arg(n, 4, 10, QLatin1Char('0'));
        if (!QFileInfo::exists(homePath(QStringLiteral("DATA/") + name + QStringLiteral(".DBF"))))
            return name;
    }
    return QStringLiteral("ADD0001");
}

bool AddressMainModel::validDatabaseName(const QString& name) {
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return valid.match(name).hasMatch();
}

bool AddressMainModel::createNewDatabase(const QString& name, const NewFieldWidths& widths) {
    const QString path = homePath(QStringLiteral("DATA/") + name + QStringLiteral(".DBF"));
    if (QFileInfo::exists(path)) {
        dialogs().information(QStringLiteral("That file already exists.Please select another name"));
        return false;
    }
    if (!CreateAddressTable(path, tableCreate_, widths))
        return false;
    tableCreate_.close();
    tableQVW_.close();
    QCoreApplication::processEvents();
    return OpenQVWDBF(path);
}

// --- Sort order, search and filter ----------------------------------------------------

void AddressMainModel::SetCurrentOrder(const QString& tag) {
    currentTag_ = tag;
    if (tableQVW_.isOpen())
        tableQVW_.setOrderByName(tag);
}

void AddressMainModel::SetOrderTo(const QString& sortName) {
    const SortOrder* s = sortOrderNamed(sortName);
    if (!s)
        return;
    SetCurrentOrder(QString::fromLatin1(s->tag));
    sortName_ = sortName;
    emit sortChanged();
}

QString AddressMainModel::sortStatus() const {
    return sortName_.isEmpty() ? QString() : QStringLiteral("Sorted by ") + sortName_;
}

bool AddressMainModel::search(const QString& sortName, const QString& text) {
    if (text.isEmpty() || !tableQVW_.isOpen())
        return false;
    SetOrderTo(sortName);
    engine::Table* t = tableQVW_.table();
    const uint32_t remembered = tableQVW_.recNo();
    t->setExact(false);
    t->setSoftSeek(true);
    const bool found = tableQVW_.seek(upper1252(text));
    if (!found)
        tableQVW_.goToRecord(remembered);
    t->setSoftSeek(false);
    return found;
}

QString AddressMainModel::BuildQueryString() const { return qorvel::BuildQueryString(criteria_, tagId_); }

void AddressMainModel::ClearQueryVars() {
    criteria_.clear();
    filterExpression_.clear();
}

int AddressMainModel::ApplyFilter() {
    if (!tableQVW_.isOpen())
        return 0;
    const QString e = BuildQueryString();
    int result = 0;
    if (e.isEmpty()) {
        filterExpression_.clear();
        tableQVW_.setQuery(QStringLiteral("!ISDEL"));
    } else if (e.size() + 12 > 255) {
        dialogs().information(QStringLiteral("Sorry - filter is too complex.Please simplify it."));
        tableQVW_.setQuery(QStringLiteral("!ISDEL"));
        ClearQueryVars();
    } else if (!tableQVW_.setQuery(e + QStringLiteral(".and. !ISDEL"))) {
        // The engine cannot read it (a quote typed into a box, say): keep what was in force.
        dialogs().information(QStringLiteral("The filter cannot be used:\n") + tableQVW_.lastError() +
                              QStringLiteral("\n\nThe previous filter stays in force."));
        const QString previous = filterExpression_;
        tableQVW_.setQuery(previous.isEmpty() ? QStringLiteral("!ISDEL") : previous + QStringLiteral(".and. !ISDEL"));
        result = previous.isEmpty() ? 0 : int(tableQVW_.recordCount());
        emit filterChanged();
        return result;
    } else if (tableQVW_.recordCount() == 0) {
        ClearQueryVars();
        tableQVW_.setQuery(QStringLiteral("!ISDEL"));
    } else {
        filterExpression_ = e;
        result = int(tableQVW_.recordCount());
    }
    emit filterChanged();
    return result;
}

void AddressMainModel::clearFilter() {
    ClearQueryVars();
    ApplyFilter();
    tableQVW_.first();
}

QString AddressMainModel::filterStatus() const {
    if (!tableQVW_.isOpen())
        return {};
    const uint32_t n = tableQVW_.recordCount();
    if (filterSet())
        return QString::number(n) + QStringLiteral(" filter matches");
    if (n > 0)
        return QString::number(n) + QStringLiteral(" records (no filter)");
    return QStringLiteral("No records");
}

bool AddressMainModel::SaveFilterTo(const QString& path) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(filterFileText(criteria_)) < 0 || !f.commit()) {
        dialogs().information(QStringLiteral("Unable to write ") + path + QStringLiteral(":\n") + f.errorString());
        return false;
    }
    return true;
}

bool AddressMainModel::RestoreFilterFrom(const QString& path) {
    if (QFileInfo(path).suffix().compare(QLatin1String("FLT"), Qt::CaseInsensitive) != 0) {
        dialogs().information(QStringLiteral("Must be a Filter (.FLT) file"));
        return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        dialogs().information(QStringLiteral("Unable to read ") + path + QStringLiteral(":\n") + f.errorString());
        return false;
    }
    const auto read = parseFilterFile(f.read(64 * 1024 + 1));
    if (!read) {
        dialogs().information(QStringLiteral("Must be a Filter (.FLT) file"));
        return false;
    }
    criteria_.texts = read->texts;
    if (!read->complete)
        dialogs().information(QStringLiteral("The filter file ") + path +
                              QStringLiteral(" has fewer than 18 lines; the missing criteria are left empty."));
    ApplyFilter();
    return true;
}

// --- Buttons ------------------------------------------------------------------------------

ButtonState AddressMainModel::SetButtons() const {
    ButtonState b;
    b.open = tableQVW_.isOpen();
    b.editing = b.open && tableQVW_.isEditing();
    b.current = b.open && (tableQVW_.recNo() != 0);
    b.browse = b.open && !b.editing && b.current;
    b.filter = filterSet();
    return b;
}

// --- Record editing -----------------------------------------------------------------------

CarriedValues AddressMainModel::carriedValues() const {
    CarriedValues c;
    auto v = [this](const char* f) { return tableQVW_.recNo() != 0 ? tableQVW_.text(QLatin1String(f)) : QString(); };
    c.org = v("ORG");
    c.city = v("CITY");
    c.state = v("STATE");
    c.zip = v("ZIP");
    c.street = v("STREET");
    c.street2 = v("STREET2");
    c.country = preferences_.carries(CarryField::Country) ? v("COUNTRY") : QString();
    return c;
}

bool AddressMainModel::FillCityState(const QString& zip, QString& city, QString& state) {
    engine::Table* t = tableQVW_.table();
    if (!t || zip.isEmpty())
        return false;
    tableQVW_.disableControls();
    const uint32_t remembered = tableQVW_.recNo();
    const QString order = tableQVW_.orderName();
    const bool exact = t->exact();
    tableQVW_.setOrderByName(QStringLiteral("ZIP"));
    t->setExact(false);
    const bool found = tableQVW_.seek(upper1252(zip));
    if (found) {
        city = tableQVW_.text(QStringLiteral("CITY"));
        state = tableQVW_.text(QStringLiteral("STATE"));
    }
    t->setExact(exact);
    tableQVW_.setOrderByName(order);
    tableQVW_.goToRecord(remembered);
    tableQVW_.enableControls();
    return found;
}

bool AddressMainModel::CheckDupName(const QString& first, const QString& last) {
    engine::Table* t = tableQVW_.table();
    if (!t)
        return true;
    tableQVW_.disableControls();
    const uint32_t remembered = tableQVW_.recNo();
    const QString order = tableQVW_.orderName();
    const bool exact = t->exact();
    // The LNAME key: last name then first name, each padded to its field's width.
    const QString key = upper1252(padded(last, tableQVW_.field(QStringLiteral("LNAME"))->size) +
                                  padded(first, tableQVW_.field(QStringLiteral("FNAME"))->size));
    tableQVW_.setOrderByName(QStringLiteral("LNAME"));
    t->setExact(true);
    const bool found = tableQVW_.seek(key);
    bool carryOn = true;
    if (found) {
        emit beep();
        auto f = [this](const char* n) { return tableQVW_.text(QLatin1String(n)); };
        carryOn = dialogs().question(QStringLiteral("Possible Duplicate"),
                                     QStringLiteral("Possible duplicate: \n\n") + f("FNAME") + QLatin1Char(' ') +
                                         f("LNAME") + QLatin1Char('\n') + f("STREET") + QLatin1Char('\n') +
                                         f("CITY") + QLatin1Char(',') + f("STATE") + QLatin1Char(' ') + f("ZIP") +
                                         QStringLiteral("\n\nContinue adding?"),
                                     false);
    }
    const uint32_t duplicate = tableQVW_.recNo();
    t->setExact(exact);
    tableQVW_.setOrderByName(order);
    tableQVW_.goToRecord(carryOn ? remembered : duplicate);
    tableQVW_.enableControls();
    return carryOn;
}

bool AddressMainModel::insertNewRecord(const CarriedValues& carried, const NewRecordEntry& entry) {
    if (!tableQVW_.insert())
        return false;
    const AddingPreferences& p = preferences_;
    auto set = [this](const char* field, const QString& value) {
        if (!value.isEmpty())
            tableQVW_.setText(QLatin1String(field), value);
    };
    set("FNAME", entry.first);
    set("LNAME", entry.last);
    set("ZIP", entry.zip);
    set("CITY", entry.city);
    set("STATE", entry.state);
    if (p.carries(CarryField::Zip) && entry.zip.isEmpty())
        set("ZIP", carried.zip);
    if (p.carries(CarryField::City) && entry.city.isEmpty())
        set("CITY", carried.city);
    if (p.carries(CarryField::State) && entry.state.isEmpty())
        set("STATE", carried.state);
    if (p.carries(CarryField::Country))
        set("COUNTRY", carried.country);
    if (p.carries(CarryField::Street))
        set("STREET", carried.street);
    if (p.carries(CarryField::Street2))
        set("STREET2", carried.street2);
    if (carried.country.isEmpty() && !p.defaultCountry.isEmpty())
        set("COUNTRY", p.defaultCountry);
    if (p.plugDate)
        set("DATE", toStoredForm(QDate::currentDate()));
    if (p.carries(CarryField::Org))
        set("ORG", carried.org);
    return true;
}

QString AddressMainModel::addFocusField() const {
    const AddingPreferences& p = preferences_;
    if (!p.skips(SkipField::LastName) && tableQVW_.text(QStringLiteral("LNAME")).isEmpty())
        return QStringLiteral("LNAME");
    if (!p.skips(SkipField::FirstName) && tableQVW_.text(QStringLiteral("FNAME")).isEmpty())
        return QStringLiteral("FNAME");
    const std::pair<SkipField, const char*> rest[] = {
        {SkipField::Middle, "MIDDLE"}, {SkipField::Prefix, "PREFIX"}, {SkipField::Title, "TITLE"}, {SkipField::Org, "ORG"}};
    for (const auto& [skip, field] : rest) {
        if (!p.skips(skip))
            return QLatin1String(field);
    }
    return QStringLiteral("STREET");
}

bool AddressMainModel::SaveButtonClick(const QString& memoText) {
    if (!tableQVW_.isEditing())
        return true;
    QString memo = toStoredMemo(memoText);
    // Kept from the earlier program, whose memo files it stays compatible with.
    if (!memo.isEmpty() && memo.size() % 4 == 0)
        memo += QLatin1Char(' ');
    if (memo != toStoredMemo(tableQVW_.memo(QStringLiteral("MEMO"))) || !memo.isEmpty())
        tableQVW_.setMemo(QStringLiteral("MEMO"), memo);
    if (!tableQVW_.post()) {
        dialogs().information(QStringLiteral("The record could not be saved:\n") + tableQVW_.lastError());
        return false;
    }
    if (tableQVW_.recordCount() == 0 || tableQVW_.recNo() == 0)
        ApplyFilter();
    return true;
}

void AddressMainModel::CancelButtonClick() { tableQVW_.cancel(); }

bool AddressMainModel::DeleteButtonClick() {
    bool deleted = false;
    if (dialogs().question(QStringLiteral("DELETE"), QStringLiteral("Delete this record?"))) {
        engine::Table* t = tableQVW_.table();
        t->setDeletedHidden(false);
        deleted = tableQVW_.setLogical(QStringLiteral("ISDEL"), true) && tableQVW_.deleteMark();
        t->setDeletedHidden(true);
        tableQVW_.prior();
        if (tableQVW_.recNo() == 0)
            tableQVW_.first();
    }
    if (tableQVW_.recordCount() == 0) {
        ApplyFilter();
        tableQVW_.first();
    }
    return deleted;
}

bool AddressMainModel::mnuCloneClick() {
    if (!dialogs().question(QStringLiteral("Clone"), QStringLiteral("Clone this record?")))
        return false;
    tableQVW_.disableControls();
    QHash<QString, QString> values;
    for (const char* f : kClonedFields)
        values.insert(QLatin1String(f), tableQVW_.text(QLatin1String(f)));
    const QString memo = tableQVW_.memo(QStringLiteral("MEMO"));
    bool ok = tableQVW_.insert();
    for (auto it = values.cbegin(); ok && it != values.cend(); ++it)
        ok = tableQVW_.setText(it.key(), it.value());
    if (ok && !memo.isEmpty())
        ok = tableQVW_.setMemo(QStringLiteral("MEMO"), memo);
    ok = ok && tableQVW_.post();
    if (!ok)
        tableQVW_.cancel();
    tableQVW_.enableControls();
    if (ok)
        dialogs().information(QStringLiteral("Clone completed. Current record is an exact copy"));
    return ok;
}

void AddressMainModel::ToggleTag() {
    if (!tableQVW_.isOpen() || tableQVW_.recNo() == 0)
        return;
    const bool startedHere = !tableQVW_.isEditing();
    const bool tagged = tableQVW_.text(QStringLiteral("TAG")) == tagId_;
    tableQVW_.setText(QStringLiteral("TAG"), tagged ? QString() : tagId_);
    if (startedHere)
        tableQVW_.post();
    if (tableQVW_.recordCount() == 0)
        ApplyFilter();
}

void AddressMainModel::RecordFirstClick() { tableQVW_.first(); }
void AddressMainModel::RecordLastClick() { tableQVW_.last(); }

void AddressMainModel::RecordNextClick() {
    if (!tableQVW_.next())
        emit beep();
}

void AddressMainModel::RecordPrevClick() {
    if (!tableQVW_.prior())
        emit beep();
}

bool AddressMainModel::FindTextInMemo(const QString& text, bool fromStart, const std::function<bool()>& cancelled) {
    if (!tableQVW_.isOpen())
        return false;
    const QString wanted = text.left(255).toUpper();
    tableQVW_.disableControls();
    const uint32_t remembered = tableQVW_.recNo();
    bool more = fromStart ? tableQVW_.first() : tableQVW_.next();
    bool found = false;
    while (more && !found) {
        const QString memo = tableQVW_.memo(QStringLiteral("MEMO"));
        found = !memo.isEmpty() && memo.left(32767).toUpper().contains(wanted);
        if (found || cancelled())
            break;
        more = tableQVW_.next();
    }
    if (!found) {
        tableQVW_.goToRecord(remembered);
        emit beep();
    }
    tableQVW_.enableControls();
    return found;
}

int AddressMainModel::TagAllFilterMatches(const std::function<bool(int)>& carryOn) {
    int count = 0;
    bool more = tableQVW_.first();
    while (more) {
        tableQVW_.setText(QStringLiteral("TAG"), tagId_);
        if (!tableQVW_.post())
            break;
        ++count;
        if (!carryOn(count))
            break;
        more = tableQVW_.next();
    }
    return count;
}

void AddressMainModel::SetExtraFields(bool visible) {
    extraFields_ = visible;
    qorvel::SetExtraFields(tableQVW_, visible);
}

// --- Browse column order -----------------------------------------------------------------

void AddressMainModel::loadColumnOrder() {
    QFile f(homePath(QStringLiteral("sysdata/FIELDS.LST")));
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QStringList lines = QString::fromUtf8(f.read(64 * 1024)).split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int from = tableQVW_.fieldIndex(lines[i].trimmed());
        if (from >= 0)
            tableQVW_.moveField(from, std::min<int>(i, int(tableQVW_.fields().size()) - 1));
    }
}

void AddressMainModel::saveColumnOrder() {
    QByteArray text;
    for (const DatasetField& f : tableQVW_.fields())
        text += f.name.toUtf8() + "\r\n";
    QSaveFile f(homePath(QStringLiteral("sysdata/FIELDS.LST")));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(text);
        f.commit();
    }
}

void AddressMainModel::setCaption(const QString& caption) {
    caption_ = caption;
    emit captionChanged(caption);
}
