#include "system_tables.h"

#include "data/dialog_service.h"
#include "data/program_directory.h"
#include "engine/sibling_file.h"

#include <QFileInfo>

namespace qorvel {

namespace {

const std::vector<SystemTableInfo> kTables = {
    {SystemTable::Letter, "LETTER.DBF", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create LETTER.DBF",
     "Rebuilding Letters File indexes"},
    {SystemTable::Report, "REPORT.DBF", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create REPORT.DBF",
     "Rebuilding Report File indexes"},
    {SystemTable::Envelope, "ENVELOPE.DBF", true, "DESCRIPT", "UPPER(descript)",
     "Unable to Open or Create ENVELOPE.DBF", "Rebuilding Envelope File indexes"},
    {SystemTable::Label, "LABEL.DBF", true, "DESCRIPT", "UPPER(descript)", "Unable to Open or Create LABEL.DBF",
     "Rebuilding Label File indexes"},
    {SystemTable::LabelTemplate, "LBLTPL.DBF", false, "DESCRIPT", "UPPER(descript)", "Unable to Open LBLTPL.DBF",
     "Rebuilding Label Setup File indexes"},
    {SystemTable::StateZip, "CSZ.DBF", false, "STATE", "UPPER(state)", "Unable to Open or Create CSZ.DBF",
     "Rebuilding State/Province File indexes"},
};

}  // namespace

const SystemTableInfo& systemTableInfo(SystemTable table) {
    for (const auto& t : kTables) {
        if (t.table == table)
            return t;
    }
    return kTables.front();
}

const std::vector<SystemTable>& systemTablesInRebuildOrder() {
    static const std::vector<SystemTable> order = {SystemTable::Letter,   SystemTable::Label,
                                                   SystemTable::StateZip, SystemTable::LabelTemplate,
                                                   SystemTable::Envelope, SystemTable::Report};
    return order;
}

std::vector<engine::FieldSpec> systemTableFields(SystemTable table) {
    switch (table) {
    case SystemTable::Letter:
        return {{"DESCRIPT", 'C', 50}, {"RTF", 'M', 10}};
    case SystemTable::Report:
        return {{"DESCRIPT", 'C', 60}, {"LAYOUT", 'C', 60}, {"BINARY", 'C', 12}};
    case SystemTable::Envelope:
        return {{"DESCRIPT", 'C', 60}, {"NUMBER", 'N', 5, 0}, {"BINARY", 'C', 12}};
    case SystemTable::Label:
        return {{"DESCRIPT", 'C', 60},  {"PRINTER", 'C', 2},    {"LBLHEIGHT", 'N', 6, 3}, {"LBLWIDTH", 'N', 6, 3},
                {"NBRACROSS", 'N', 2},  {"NBRDOWN", 'N', 2},    {"TOPMARG", 'N', 6, 3},   {"LEFTMARG", 'N', 6, 3},
                {"HORIZPITCH", 'N', 6, 3}, {"VERTPITCH", 'N', 6, 3}, {"SHEETWIDTH", 'N', 6, 3},
                {"SHEETDEPTH", 'N', 6, 3}, {"PAPERSIZE", 'C', 5}, {"LBLSHAPE", 'C', 2},  {"TPLDESCRIP", 'C', 60},
                {"MANUFAC", 'C', 10},   {"PRODTYPE", 'C', 25},  {"MIDEXTRAX", 'N', 6, 3}, {"MIDEXTRAY", 'N', 6, 3},
                {"ART", 'C', 12},       {"DELETED", 'L', 1},    {"BINARY", 'C', 12}};
    case SystemTable::LabelTemplate:
        return {{"DESCRIPT", 'C', 60},  {"LBLHEIGHT", 'N', 6, 3},  {"LBLWIDTH", 'N', 6, 3},  {"NBRACROSS", 'N', 2},
                {"NBRDOWN", 'N', 2},    {"TOPMARG", 'N', 6, 3},    {"LEFTMARG", 'N', 6, 3},  {"HORIZPITCH", 'N', 6, 3},
                {"VERTPITCH", 'N', 6, 3}, {"SHEETWIDTH", 'N', 6, 3}, {"SHEETDEPTH", 'N', 6, 3}, {"PRINTER", 'C', 2},
                {"PAPERSIZE", 'C', 5},  {"LBLSHAPE", 'C', 2},      {"MANUFAC", 'C', 10},     {"PRODTYPE", 'C', 25},
                {"MIDEXTRAX", 'N', 6, 3}, {"MIDEXTRAY", 'N', 6, 3}, {"ART", 'C', 12}};
    case SystemTable::StateZip:
        return {{"NAME", 'C', 20}, {"STATE", 'C', 4}, {"LOW_ZIP", 'C', 10}, {"HIGH_ZIP", 'C', 10}};
    }
    return {};
}

void defineFieldsFromFile(Dataset& table, const engine::Table& file) {
    for (const auto& f : file.fields()) {
        if (table.fieldIndex(QString::fromStdString(f.name)) >= 0)
            continue;
        DatasetField d;
        d.name = QString::fromStdString(f.name);
        d.displayLabel = d.name;
        d.size = f.width;
        d.type = f.type;
        table.addField(d);
    }
}

bool OpenSystemTable(SystemTable which, Dataset& into) {
    const SystemTableInfo& info = systemTableInfo(which);
    into.close();
    const QString path = homePath(QStringLiteral("sysdata/") + QLatin1String(info.file));
    auto opened = engine::Table::open(path.toStdString());
    if (!opened) {
        const bool created = info.creatable && !QFileInfo::exists(path) &&
                             engine::Table::create(path.toStdString(), systemTableFields(which)).ok();
        if (created)
            opened = engine::Table::open(path.toStdString());
        if (!opened) {
            dialogs().information(QString::fromLatin1(info.failure));
            return false;
        }
    }
    // The index file missing: its one tag is made again (failures here are not fatal).
    bool indexExists = false;
    engine::siblingFile(path.toStdString(), ".CDX", &indexExists);
    if (!indexExists)
        (void)(*opened)->createTag(info.tag, info.expression);
    defineFieldsFromFile(into, **opened);
    (*opened)->close();
    into.setFileName(path);
    if (!into.open(engine::OpenMode::Exclusive)) {
        dialogs().information(QString::fromLatin1(info.failure));
        return false;
    }
    if (into.table()->tagArea(info.tag) > 0)
        into.setOrderByName(QString::fromLatin1(info.tag));
    into.first();
    return true;
}

}  // namespace qorvel
