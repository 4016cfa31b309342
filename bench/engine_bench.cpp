// The table engine's speed targets, on generated address tables (100,000 records
// unless QORVEL_BENCH_RECORDS says otherwise).
#include "bench_data.h"


#include "data/address_schema.h"
#include "engine/codepage.h"
#include "engine/table.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <random>

using namespace qorvel;
using namespace qorvel::engine;

namespace {

std::unique_ptr<Table> openOrDie(const std::string& path, OpenMode mode = OpenMode::Exclusive) {
    auto t = Table::open(path, mode);
    if (!t) {
        std::fprintf(stderr, "%s\n", t.message().c_str());
        std::exit(1);
    }
    return std::move(*t);
}

void check(const Status& st, benchmark::State& state) {
    if (!st)
        state.SkipWithError(st.message().c_str());
}

void BuildAllTags(benchmark::State& state) {
    const auto n = static_cast<unsigned long>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = bench::scratchCopy(n, "build");
        std::filesystem::remove(path.substr(0, path.size() - 4) + ".cdx");
        auto t = openOrDie(path);
        state.ResumeTiming();
        check(address::buildTags(*t), state);
        check(t->close(), state);
    }
}

void Reindex(benchmark::State& state) {
    const std::string path = bench::scratchCopy(static_cast<unsigned long>(state.range(0)), "reindex");
    auto t = openOrDie(path);
    for (auto _ : state)
        check(t->reindex(), state);
}

void Pack(benchmark::State& state) {
    const auto n = static_cast<unsigned long>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto t = openOrDie(bench::scratchCopy(n, "pack"));
        state.ResumeTiming();
        check(t->pack(), state);
    }
}

void OpenWithIndex(benchmark::State& state) {
    const std::string path = bench::addressTable(static_cast<unsigned long>(state.range(0)));
    for (auto _ : state) {
        auto t = openOrDie(path, OpenMode::SharedReadOnly);
        benchmark::DoNotOptimize(t->orderCount());
        state.PauseTiming();
        t.reset();
        state.ResumeTiming();
    }
}

void CountUnder(benchmark::State& state, const char* condition) {
    auto t = openOrDie(bench::addressTable(static_cast<unsigned long>(state.range(0))), OpenMode::SharedReadOnly);
    uint32_t count = 0;
    for (auto _ : state) {
        check(t->setQuery(condition), state);
        count = t->queryRecordCount();
    }
    state.counters["visible"] = count;
}

void CountSubstring(benchmark::State& state) { CountUnder(state, "'C'$UPPER(CODES) .and. !ISDEL"); }
void CountLastNamePrefix(benchmark::State& state) { CountUnder(state, "UPPER(LNAME)=\"SM\".and. !ISDEL"); }
void CountCity(benchmark::State& state) { CountUnder(state, "UPPER(CITY+STATE)=\"BOSTON\""); }

void RandomSeeks(benchmark::State& state) {
    auto t = openOrDie(bench::addressTable(static_cast<unsigned long>(state.range(0))), OpenMode::SharedReadOnly);
    check(t->setOrder(t->tagArea("LNAME")), state);
    t->setDeletedHidden(false);
    // Keys that exist: those of random records, as text.
    std::mt19937 rng(1);
    std::vector<std::string> keys;
    for (int i = 0; i < 10000; ++i) {
        (void)t->goTo(1 + rng() % t->recordCount());
        keys.push_back(cp1252::toUtf8(*t->currentKey()));
    }
    int found = 0;
    for (auto _ : state) {
        found = 0;
        for (const std::string& k : keys)
            found += *t->seek(k);
    }
    state.counters["found"] = found;
}

void WalkLastNameOrder(benchmark::State& state) {
    auto t = openOrDie(bench::addressTable(static_cast<unsigned long>(state.range(0))), OpenMode::SharedReadOnly);
    check(t->setOrder(t->tagArea("LNAME")), state);
    const int lname = t->fieldIndex("LNAME"), city = t->fieldIndex("CITY");
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (Status st = t->goTop(); st && !t->eof(); st = t->skip())
            bytes += t->rawField(lname).size() + t->rawField(city).size();
    }
    state.counters["records"] = double(t->queryRecordCount());
    benchmark::DoNotOptimize(bytes);
}

// The values of every record, to append again.
std::vector<std::vector<std::string>> recordsOf(Table& t) {
    std::vector<std::vector<std::string>> rows;
    t.setDeletedHidden(false);
    for (Status st = t.goTop(); st && !t.eof(); st = t.skip()) {
        std::vector<std::string> row;
        for (size_t f = 0; f + 1 < t.fields().size(); ++f)  // all but the memo
            row.push_back(t.getString(int(f)));
        rows.push_back(std::move(row));
    }
    return rows;
}

void AppendRecords(benchmark::State& state, bool withTags, bool bulk = true) {
    const auto n = static_cast<unsigned long>(state.range(0));
    static std::vector<std::vector<std::string>> rows;
    if (rows.size() != n)
        rows = recordsOf(*openOrDie(bench::addressTable(n), OpenMode::SharedReadOnly));
    const std::string dir = std::filesystem::path(bench::addressTable(n)).parent_path().string() + "/scratch";
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = dir + "/append.dbf";
        for (const char* ext : {".dbf", ".cdx", ".fpt"})
            std::filesystem::remove(dir + "/append" + ext);
        check(withTags ? address::createTable(path) : Table::create(path, address::fieldSpecs()), state);
        auto t = openOrDie(path);
        state.ResumeTiming();
        if (bulk)
            t->beginBulk();
        for (const auto& row : rows) {
            Status st = t->appendBlank();
            for (size_t f = 0; st && f < row.size(); ++f) {
                if (!row[f].empty())
                    st = t->setString(int(f), row[f]);
            }
            if (st)
                st = t->post();
            if (!st) {
                state.SkipWithError(st.message().c_str());
                break;
            }
        }
        check(t->endBulk(), state);
        check(t->close(), state);
    }
}

void AppendWithoutIndexes(benchmark::State& state) { AppendRecords(state, false); }
void AppendWithAllTags(benchmark::State& state) { AppendRecords(state, true); }
// As the record editor does: every post brings the indexes and the files up to date.
void AppendEachPostedWithAllTags(benchmark::State& state) { AppendRecords(state, true, false); }

}  // namespace

BENCHMARK(BuildAllTags)->Apply(bench::applySizes)->Iterations(3);
BENCHMARK(Reindex)->Apply(bench::applySizes)->Iterations(3);
BENCHMARK(Pack)->Apply(bench::applySizes)->Iterations(3);
BENCHMARK(OpenWithIndex)->Apply(bench::applySizes);
BENCHMARK(CountSubstring)->Apply(bench::applySizes);
BENCHMARK(CountLastNamePrefix)->Apply(bench::applySizes);
BENCHMARK(CountCity)->Apply(bench::applySizes);
BENCHMARK(RandomSeeks)->Apply(bench::applySizes);
BENCHMARK(WalkLastNameOrder)->Apply(bench::applySizes);
BENCHMARK(AppendWithoutIndexes)->Apply(bench::applySizes)->Iterations(2);
BENCHMARK(AppendWithAllTags)->Apply(bench::applySizes)->Iterations(2);
BENCHMARK(AppendEachPostedWithAllTags)->Apply(bench::applySizes)->Iterations(1);

BENCHMARK_MAIN();
