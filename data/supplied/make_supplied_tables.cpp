// Build step: turns the CSV facts into the supplied tables LBLTPL.DBF and CSZ.DBF
// (with their indexes), which the program writes into sysdata/ on first start.
//   make-supplied-tables OUT_DIR label-templates.csv state-zip-ranges.csv
#include "data/system_tables.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace qorvel;

namespace {

std::vector<std::string> splitCsv(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                cur += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(cur);
            cur.clear();
        } else if (c != '\r') {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

int build(SystemTable which, const std::string& csvPath, const std::string& outDir) {
    const SystemTableInfo& info = systemTableInfo(which);
    const std::string path = outDir + "/" + info.file;
    std::filesystem::remove(path);
    std::filesystem::remove(path.substr(0, path.size() - 4) + ".CDX");
    if (auto st = engine::Table::create(path, systemTableFields(which)); !st) {
        std::fprintf(stderr, "%s\n", st.message().c_str());
        return 1;
    }
    auto t = engine::Table::open(path);
    std::ifstream in(csvPath);
    if (!t || !in) {
        std::fprintf(stderr, "cannot read %s or write %s\n", csvPath.c_str(), path.c_str());
        return 1;
    }
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = splitCsv(line);
    int rows = 0;
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        const auto values = splitCsv(line);
        if (values.size() != header.size()) {
            std::fprintf(stderr, "%s: row %d has %zu values for %zu columns\n", csvPath.c_str(), rows + 2,
                         values.size(), header.size());
            return 1;
        }
        if (!(*t)->appendBlank())
            return 1;
        for (size_t c = 0; c < header.size(); ++c) {
            const int field = (*t)->fieldIndex(header[c]);
            if (field < 0) {
                std::fprintf(stderr, "%s: column %s is not a field of %s\n", csvPath.c_str(), header[c].c_str(),
                             info.file);
                return 1;
            }
            if (auto st = (*t)->setString(field, values[c]); !st) {
                std::fprintf(stderr, "%s row %d: %s\n", csvPath.c_str(), rows + 2, st.message().c_str());
                return 1;
            }
        }
        if (!(*t)->post())
            return 1;
        ++rows;
    }
    if (auto st = (*t)->createTag(info.tag, info.expression); !st) {
        std::fprintf(stderr, "%s\n", st.message().c_str());
        return 1;
    }
    return (*t)->close() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make-supplied-tables OUT_DIR label-templates.csv state-zip-ranges.csv\n");
        return 1;
    }
    std::filesystem::create_directories(argv[1]);
    if (int rc = build(SystemTable::LabelTemplate, argv[2], argv[1]))
        return rc;
    return build(SystemTable::StateZip, argv[3], argv[1]);
}
