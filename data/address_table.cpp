#include "address_table.h"

#include "data/address_schema.h"
#include "data/dialog_service.h"
#include "data/stored_date.h"
#include "data/text_trim.h"
#include "engine/sibling_file.h"

#include <QFile>
#include <QFileInfo>

namespace qorvel {

namespace {

const char* const kExtraFields[] = {"FullName", "FullNameWithPrefix", "CityStateZip"};

DatasetField stored(const address::Field& f, bool visible) {
    DatasetField d;
    d.name = QString::fromLatin1(f.name);
    d.displayLabel = QString::fromLatin1(f.label);
    d.size = f.defaultWidth;
    d.visible = visible;
    d.type = f.type;
    if (f.type == 'L')
        d.displayFormat = QStringLiteral("Yes;No");
    return d;
}

DatasetField calculated(const char* name, const char* label, int size, char type, bool visible) {
    DatasetField d;
    d.name = QString::fromLatin1(name);
    d.displayLabel = QString::fromLatin1(label);
    d.size = size;
    d.visible = visible;
    d.calculated = true;
    d.type = type;
    if (type == 'L')
        d.displayFormat = QStringLiteral("Yes;No");
    return d;
}

const address::Field& schemaField(const char* name) {
    for (const auto& f : address::kFields) {
        if (qstrcmp(f.name, name) == 0)
            return f;
    }
    return address::kFields[0];
}

}  // namespace

void defineAddressFields(Dataset& t) {
    t.addField(calculated("Tagged", "Tagged", 1, 'L', true));
    t.addField(calculated("FullName", "Full Name", 35, 'C', false));
    t.addField(calculated("FullNameWithPrefix", "Full Name & Prefix", 35, 'C', false));
    t.addField(calculated("CityStateZip", "City, State & Zip", 35, 'C', false));
    for (const char* name : {"LNAME", "FNAME", "MIDDLE", "PREFIX", "TITLE", "ORG", "STREET", "STREET2", "CITY",
                             "STATE", "ZIP", "COUNTRY", "PHONE", "PHONE2", "FAX", "EMAIL", "CODES", "USER1", "USER2"})
        t.addField(stored(schemaField(name), true));
    t.addField(stored(schemaField("MEMO"), false));
    t.addField(stored(schemaField("ISDEL"), false));
    t.addField(stored(schemaField("DATE"), false));
    t.addField(calculated("DisplayDate", "Date", 12, 'C', true));
    t.addField(stored(schemaField("TAG"), false));
}

void addressCalcFields(const RowReader& row, const QString& tagId, bool extraFields, QHash<QString, QVariant>& out) {
    out.insert(QStringLiteral("Tagged"), !tagId.isEmpty() && row.text(QStringLiteral("TAG")) == tagId);
    out.insert(QStringLiteral("DisplayDate"), StoredDateToDisplay(row.text(QStringLiteral("DATE"))).left(12));
    if (!extraFields)
        return;
    const QString first = row.text(QStringLiteral("FNAME")), middle = row.text(QStringLiteral("MIDDLE")),
                  last = row.text(QStringLiteral("LNAME")), prefix = row.text(QStringLiteral("PREFIX"));
    out.insert(QStringLiteral("FullName"), (TrimRight(first + QLatin1Char(' ') + middle) + QLatin1Char(' ') + last).left(35));
    out.insert(QStringLiteral("FullNameWithPrefix"),
               (TrimBoth(prefix + QLatin1Char(' ') + first + QLatin1Char(' ') + middle) + QLatin1Char(' ') + last).left(35));
    out.insert(QStringLiteral("CityStateZip"), (TrimLeft(row.text(QStringLiteral("CITY")) + QLatin1Char(' ')) +
                                                TrimLeft(row.text(QStringLiteral("STATE")) + QLatin1Char(' ')) +
                                                row.text(QStringLiteral("ZIP")))
                                                   .left(35));
}

void SetExtraFields(Dataset& table, bool visible) {
    for (const char* name : kExtraFields) {
        if (DatasetField* f = table.field(QString::fromLatin1(name)))
            f->visible = visible;
    }
    table.refresh();
}

bool CreateAddressTable(const QString& path, Dataset& creation, const NewFieldWidths& widths) {
    const auto specs = address::fieldSpecs([&widths](const char* name) { return widths.widthOf(name); });
    if (!engine::Table::create(path.toStdString(), specs)) {
        dialogs().information(QStringLiteral("Create failed"));
        return false;
    }
    if (!QFileInfo::exists(path) || !OpenTableFile(path, creation)) {
        dialogs().information(QStringLiteral("File creation failed"));
        return false;
    }
    if (!BuildAddressIndexes(creation)) {
        creation.close();
        dialogs().information(QStringLiteral("File creation failed"));
        return false;
    }
    creation.close();
    return true;
}

bool BuildAddressIndexes(Dataset& table, const engine::Progress& progress) {
    engine::Table* t = table.table();
    bool ok = t != nullptr;
    if (ok) {
        // Close the production index and delete its file, then build all tags anew.
        const std::string cdx = t->productionIndexPath();
        ok = t->closeIndexes().ok();
        if (ok && engine::fileExists(cdx))
            ok = QFile::remove(QString::fromStdString(cdx));
        if (ok) {
            ok = address::buildTags(*t, progress).ok();
            if (ok)
                ok = t->flush().ok();
        }
    }
    if (!ok) {
        dialogs().information(QStringLiteral("Unable to create index files"));
        return false;
    }
    table.refresh();
    return true;
}

bool FitFieldSizes(Dataset& table) {
    auto dbf = engine::DbfFile::open(table.fileName().toStdString(), engine::OpenMode::SharedReadOnly);
    if (!dbf)
        return false;
    const auto& fields = (*dbf)->header().fields;
    for (const DatasetField& f : table.fields()) {
        if (f.calculated)
            continue;
        bool found = false;
        for (const auto& ff : fields) {
            if (QString::fromStdString(ff.name).compare(f.name, Qt::CaseInsensitive) == 0) {
                table.field(f.name)->size = ff.width;
                found = true;
            }
        }
        if (!found)
            return false;
    }
    return true;
}

bool OpenTableFile(const QString& path, Dataset& table) {
    table.close();
    if (!QFileInfo::exists(path)) {
        dialogs().information(QStringLiteral("File %1 not found").arg(path));
        return false;
    }
    table.setFileName(path);
    if (!FitFieldSizes(table))
        return false;
    return table.open(engine::OpenMode::Exclusive);
}

}  // namespace qorvel
