// Any bytes as a page, and as the compound index of a small table: decode, open,
// walk every tag, seek and check it.
#include "engine/cdx_page.h"
#include "engine/table.h"
#include "fuzz_files.h"

#include <cstring>

using namespace qorvel::engine;

namespace {
std::string tablePath() {
    static const std::string path = [] {
        const std::string p = fuzzDir() + "/idx.dbf";
        std::remove(p.c_str());
        (void)Table::create(p, {{"NAME", 'C', 12}, {"N", 'N', 5}});
        auto t = Table::open(p);
        for (int i = 0; i < 40; ++i) {
            (void)(*t)->appendBlank();
            (void)(*t)->setString(0, "Name" + std::to_string(i % 7));
            (void)(*t)->setNumber(1, i);
            (void)(*t)->post();
        }
        (void)(*t)->close();
        return p;
    }();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 512) {
        CdxNode node;
        (void)decodeCdxPage(reinterpret_cast<const char*>(data), 512, 1 + data[0] % 240, ' ', size + 4096, "f.cdx",
                            node);
    }
    const std::string dbf = tablePath();
    writeFile(fuzzDir() + "/idx.cdx", reinterpret_cast<const char*>(data), size);
    auto t = Table::open(dbf, OpenMode::SharedReadOnly);
    if (!t)
        return 0;
    Table& table = **t;
    for (int order = 1; order <= table.orderCount(); ++order) {
        if (!table.setOrder(order))
            continue;
        int steps = 0;
        for (Status st = table.goTop(); st && !table.eof() && steps < 100; st = table.skip(), ++steps) {
        }
        for (Status st = table.goBottom(); st && !table.bof() && steps < 200; st = table.skip(-1), ++steps) {
        }
        (void)table.seek("NAME3");
        (void)table.seek("NAME3", true);
        (void)table.keyNo();
    }
    (void)table.checkIndexes();
    return 0;
}
