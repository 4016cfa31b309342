// Any text as an expression: compile it and evaluate it on a record.
#include "engine/expression.h"

#include <string>

using namespace qorvel::engine;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::vector<FieldInfo> fields = *[] {
        static auto h = DbfHeader::forNewTable(
            {{"LNAME", 'C', 10}, {"AMOUNT", 'N', 8, 2}, {"OK", 'L', 1}, {"BORN", 'D', 8}, {"NOTE", 'M', 10}});
        return &h->fields;
    }();
    static const std::string record = " Johnson      12.50T19970428         8";
    auto e = Expression::compile(std::string(reinterpret_cast<const char*>(data), size), fields);
    if (!e)
        return 0;
    EvalContext ctx;
    ctx.record = record.data();
    ctx.recno = 3;
    ctx.memo = [](int) { return std::string("memo text"); };
    for (bool exact : {false, true}) {
        ctx.exact = exact;
        switch (e->type()) {
        case ValueType::Logical: (void)e->evalLogical(ctx); break;
        case ValueType::Number: (void)e->evalNumber(ctx); break;
        case ValueType::Date: (void)e->evalDate(ctx); break;
        case ValueType::String: (void)e->evalString(ctx); break;
        }
    }
    return 0;
}
