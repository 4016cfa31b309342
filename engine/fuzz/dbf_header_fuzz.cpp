// Any bytes as a table: open it, walk it, read every field.
#include "engine/table.h"
#include "fuzz_files.h"

using namespace qorvel::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = fuzzDir() + "/t.dbf";
    writeFile(path, reinterpret_cast<const char*>(data), size);
    auto t = Table::open(path, OpenMode::SharedReadOnly);
    if (!t)
        return 0;
    Table& table = **t;
    table.setDeletedHidden(false);
    int steps = 0;
    for (Status st = table.goTop(); st && !table.eof() && steps < 200; st = table.skip(), ++steps) {
        for (size_t f = 0; f < table.fields().size(); ++f) {
            (void)table.getString(int(f));
            (void)table.getNumber(int(f));
            (void)table.getDate(int(f));
        }
        (void)table.deleted();
    }
    (void)table.queryRecordCount();
    return 0;
}
