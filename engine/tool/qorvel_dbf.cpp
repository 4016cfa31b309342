// qorvel-dbf: looks into and maintains DBF tables from the command line.
#include "data/address_schema.h"
#include "engine/sibling_file.h"
#include "engine/table.h"
#include "engine/tool/address_generator.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

using namespace qorvel;
using namespace qorvel::engine;

namespace {

const char* kUsage =
    "usage: qorvel-dbf COMMAND FILE [options]\n"
    "  info FILE                                header, fields, record count and tags\n"
    "  dump FILE [--where EXPR] [--order TAG] [--csv]\n"
    "  order FILE TAG                           record numbers in tag order, one a line\n"
    "  seek FILE TAG KEY [--soft] [--exact]     record number or \"not found\"\n"
    "  count FILE [--where EXPR] [--show-deleted]\n"
    "  create-address FILE                      a new address table with its 26 tags\n"
    "  reindex FILE                             rebuild every tag\n"
    "  pack FILE                                remove deletion-marked records\n"
    "  check FILE                               every tag agrees with the records\n"
    "  gen-address FILE N [--seed S]            append N generated address records\n";

struct Args {
    std::vector<std::string> positional;
    std::string where, order;
    bool csv = false, soft = false, exact = false, showDeleted = false;
    uint64_t seed = 1;
};

int fail(const std::string& message) {
    std::fprintf(stderr, "qorvel-dbf: %s\n", message.c_str());
    return 1;
}

bool parse(int argc, char** argv, Args& a, std::string& error) {
    for (int i = 2; i < argc; ++i) {
        const std::string s = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = s + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        if (s == "--where") {
            if (!value(a.where))
                return false;
        } else if (s == "--order") {
            if (!value(a.order))
                return false;
        } else if (s == "--seed") {
            std::string v;
            if (!value(v))
                return false;
            a.seed = std::strtoull(v.c_str(), nullptr, 10);
        } else if (s == "--csv") {
            a.csv = true;
        } else if (s == "--soft") {
            a.soft = true;
        } else if (s == "--exact") {
            a.exact = true;
        } else if (s == "--show-deleted") {
            a.showDeleted = true;
        } else if (s.size() > 2 && s.rfind("--", 0) == 0) {
            error = "unknown option " + s;
            return false;
        } else {
            a.positional.push_back(s);
        }
    }
    return true;
}

std::string csvField(const std::string& v) {
    if (v.find_first_of(",\"\r\n") == std::string::npos)
        return v;
    std::string out = "\"";
    for (char c : v) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

Result<std::unique_ptr<Table>> openTable(const std::string& path, OpenMode mode) {
    auto t = Table::open(path, mode);
    if (!t)
        return t.status();
    if ((*t)->productionIndexInvalid())
        std::fprintf(stderr, "qorvel-dbf: warning: %s\n", (*t)->productionIndexProblem().c_str());
    return t;
}

int selectOrder(Table& t, const std::string& tag) {
    const int order = t.tagArea(tag);
    if (order == 0)
        return fail("there is no tag " + tag + " in " + t.path());
    if (auto st = t.setOrder(order); !st)
        return fail(st.message());
    return 0;
}

int info(Table& t) {
    const DbfHeader h = [&] {
        auto dbf = DbfFile::open(t.path(), OpenMode::SharedReadOnly);
        return dbf ? (*dbf)->header() : DbfHeader{};
    }();
    std::printf("file        %s\n", t.path().c_str());
    std::printf("version     0x%02X\n", h.version);
    std::printf("updated     %04d-%02d-%02d\n", h.updateYear, h.updateMonth, h.updateDay);
    std::printf("records     %u\n", t.recordCount());
    std::printf("header      %u bytes\n", h.headerLength);
    std::printf("record      %u bytes\n", h.recordLength);
    std::printf("code page   0x%02X\n", h.codePage);
    std::printf("fields      %zu\n", t.fields().size());
    for (size_t i = 0; i < t.fields().size(); ++i) {
        const FieldInfo& f = t.fields()[i];
        std::printf("  %2zu %-10s %c %3d %d\n", i + 1, f.name.c_str(), f.type, f.width, f.decimals);
    }
    if (t.productionIndexInvalid())
        std::printf("index       %s (%s)\n", t.productionIndexPath().c_str(), t.productionIndexProblem().c_str());
    std::printf("tags        %d\n", t.orderCount());
    for (int i = 1; i <= t.orderCount(); ++i) {
        const TagInfo info = t.tagInfo(i);
        std::printf("  %2d %-10s %s%s\n", i, info.name.c_str(), info.expression.c_str(),
                    info.maintainable ? "" : "   (read only)");
    }
    return 0;
}

int dump(Table& t, const Args& a) {
    if (!a.order.empty()) {
        if (int rc = selectOrder(t, a.order))
            return rc;
    }
    t.setDeletedHidden(!a.showDeleted);
    if (!a.where.empty()) {
        if (auto st = t.setQuery(a.where); !st)
            return fail(st.message());
    }
    if (a.csv) {
        std::string line = "RECNO,DELETED";
        for (const FieldInfo& f : t.fields())
            line += "," + f.name;
        std::puts(line.c_str());
    }
    if (auto st = t.goTop(); !st)
        return fail(st.message());
    while (!t.eof()) {
        std::string line = std::to_string(t.recNo());
        if (a.csv) {
            line += t.deleted() ? ",*" : ",";
            for (size_t i = 0; i < t.fields().size(); ++i)
                line += "," + csvField(t.getString(int(i)));
        } else {
            line += t.deleted() ? " *" : "  ";
            for (size_t i = 0; i < t.fields().size(); ++i) {
                const FieldInfo& f = t.fields()[i];
                if (f.type == 'M')
                    continue;
                line += " | " + t.getString(int(i));
            }
        }
        std::puts(line.c_str());
        if (auto st = t.skip(); !st)
            return fail(st.message());
    }
    return 0;
}

int order(Table& t, const Args& a) {
    if (a.positional.size() < 2)
        return fail("order needs a tag name");
    if (int rc = selectOrder(t, a.positional[1]))
        return rc;
    t.setDeletedHidden(false);
    if (auto st = t.goTop(); !st)
        return fail(st.message());
    std::string out;
    while (!t.eof()) {
        out += std::to_string(t.recNo()) + "\n";
        if (auto st = t.skip(); !st)
            return fail(st.message());
    }
    std::fputs(out.c_str(), stdout);
    return 0;
}

int seek(Table& t, const Args& a) {
    if (a.positional.size() < 3)
        return fail("seek needs a tag name and a key");
    if (int rc = selectOrder(t, a.positional[1]))
        return rc;
    t.setDeletedHidden(false);
    t.setSoftSeek(a.soft);
    t.setExact(a.exact);
    auto found = t.seek(a.positional[2]);
    if (!found)
        return fail(found.message());
    if (*found) {
        std::printf("%u\n", t.recNo());
    } else {
        std::puts("not found");
        if (a.soft && !t.eof())
            std::printf("next %u\n", t.recNo());
    }
    return 0;
}

int count(Table& t, const Args& a) {
    t.setDeletedHidden(!a.showDeleted);
    if (!a.where.empty()) {
        if (auto st = t.setQuery(a.where); !st)
            return fail(st.message());
    }
    std::printf("%u\n", t.queryRecordCount());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, argc < 3 ? stderr : stdout);
        return argc < 3 ? 1 : 0;
    }
    const std::string command = argv[1];
    Args a;
    std::string error;
    if (!parse(argc, argv, a, error))
        return fail(error);
    if (a.positional.empty())
        return fail("no file named");
    const std::string& file = a.positional[0];

    if (command == "create-address") {
        if (auto st = address::createTable(file); !st)
            return fail(st.message());
        return 0;
    }
    if (command == "gen-address") {
        if (a.positional.size() < 2)
            return fail("gen-address needs a number of records");
        const uint64_t n = std::strtoull(a.positional[1].c_str(), nullptr, 10);
        if (!fileExists(file)) {
            if (auto st = address::createTable(file); !st)
                return fail(st.message());
        }
        auto t = openTable(file, OpenMode::Exclusive);
        if (!t)
            return fail(t.message());
        if (auto st = tool::appendGeneratedAddresses(**t, n, a.seed); !st)
            return fail(st.message());
        if (auto st = (*t)->close(); !st)
            return fail(st.message());
        return 0;
    }
    const bool writes = command == "reindex" || command == "pack";
    auto t = openTable(file, writes ? OpenMode::Exclusive : OpenMode::SharedReadOnly);
    if (!t)
        return fail(t.message());
    Table& table = **t;
    if (command == "info")
        return info(table);
    if (command == "dump")
        return dump(table, a);
    if (command == "order")
        return order(table, a);
    if (command == "seek")
        return seek(table, a);
    if (command == "count")
        return count(table, a);
    if (command == "reindex" || command == "pack") {
        auto st = command == "pack" ? table.pack() : table.reindex();
        if (st)
            st = table.close();
        return st ? 0 : fail(st.message());
    }
    if (command == "check") {
        if (auto st = table.checkIndexes(); !st)
            return fail(st.message());
        std::puts("ok");
        return 0;
    }
    return fail("unknown command " + command + "\n" + kUsage);
}
