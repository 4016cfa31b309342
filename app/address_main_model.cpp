#include "address_main_model.h"

#include "data/address_schema.h"
#include "data/address_table.h"
#include "data/dialog_service.h"
#include "data/misc_settings.h"
#include "data/program_directory.h"
#include "data/settings_file.h"
#include "data/sort_orders.h"
#include "data/table_rebuild.h"
#include "data/tag_id.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

using namespace qorvel;

namespace {
// CheckValidIndex asks for the tags in this order and stops at the first missing one.
const char* const kCheckedTags[] = {"NAME",   "LNAME",    "FNAME",  "TITLE",    "ORG",    "STREET", "STREET2",
                                    "CITY",   "STATE",    "ZIP",    "COUNTRY",  "PHONE",  "PHONE2", "EMAIL",
                                    "FAX",    "DATE",     "CODES",  "PREFIX",   "MIDDLE", "USER1",  "USER2",
                                    "DELETED", "STATEZIP", "ISDEL", "NOTISDEL", "TAG"};
}  // namespace

AddressMainModel::AddressMainModel(QObject* parent)
    : QObject(parent), recentFiles_(settingsFile()) {
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

void AddressMainModel::LoadPreferences() {
    auto file = settingsFile();
    preferences_ = AddingPreferences::load(file);
    gettingStartedDismissed_ = misc_settings::gettingStartedDismissed(file);
    tagId_ = misc_settings::loadTagId(file);
    recentFiles_ = RecentFiles(settingsFile());
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

int AddressMainModel::ApplyFilter() {
    if (!tableQVW_.isOpen())
        return 0;
    if (filterExpression_.isEmpty()) {
        tableQVW_.setQuery(QStringLiteral("!ISDEL"));
        return 0;
    }
    if (!tableQVW_.setQuery(filterExpression_ + QStringLiteral(".and. !ISDEL")) || tableQVW_.recordCount() == 0) {
        filterExpression_.clear();
        tableQVW_.setQuery(QStringLiteral("!ISDEL"));
        return 0;
    }
    return int(tableQVW_.recordCount());
}

void AddressMainModel::SetExtraFields(bool visible) {
    extraFields_ = visible;
    qorvel::SetExtraFields(tableQVW_, visible);
}

void AddressMainModel::setCaption(const QString& caption) {
    caption_ = caption;
    emit captionChanged(caption);
}
