// The main window's speed on a generated 100,000-record table: opening it, moving,
// filtering and the browse grid.
#include "bench_data.h"


#include "app/address_main.h"
#include "data/dataset_model.h"
#include "data/program_directory.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <random>

namespace {

QTemporaryDir* g_home = nullptr;

void usingHome() {
    if (!g_home) {
        g_home = new QTemporaryDir;
        qorvel::setProgramDirectory(g_home->path());
        QFile ini(g_home->filePath("QORVEL.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Misc]\nGettingStarted=1\n");
    }
}

// From the Open dialog's Ok to the first record on screen.
void OpenAndShowFirstRecord(benchmark::State& state) {
    usingHome();
    const QString path = QString::fromStdString(bench::addressTable(static_cast<unsigned long>(state.range(0))));
    TAddressMain w;
    for (auto _ : state) {
        w.model().OpenQVWDBF(path);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(w.model().TableQVW().text("LNAME"));
    }
}

void NextAndPreviousRecord(benchmark::State& state) {
    usingHome();
    const QString path = QString::fromStdString(bench::addressTable(static_cast<unsigned long>(state.range(0))));
    TAddressMain w;
    w.model().OpenQVWDBF(path);
    int i = 0;
    for (auto _ : state) {
        // Down the list and back, so every step is a real move.
        if ((i++ / 500) % 2 == 0)
            w.model().RecordNextClick();
        else
            w.model().RecordPrevClick();
        QCoreApplication::processEvents();
    }
}

void TwoCriterionFilter(benchmark::State& state) {
    usingHome();
    const QString path = QString::fromStdString(bench::addressTable(static_cast<unsigned long>(state.range(0))));
    TAddressMain w;
    w.model().OpenQVWDBF(path);
    QString status;
    for (auto _ : state) {
        w.model().criteria().texts[0] = "SM";      // Last
        w.model().criteria().texts[7] = "BOSTON";  // City
        w.model().ApplyFilter();
        w.model().TableQVW().first();
        status = w.model().filterStatus();
        QCoreApplication::processEvents();
        state.PauseTiming();
        w.model().clearFilter();
        state.ResumeTiming();
    }
    state.SetLabel(status.toStdString());
}

// A screenful of the browse grid at random places, as scrolling asks for them.
void BrowseGridScroll(benchmark::State& state) {
    usingHome();
    const QString path = QString::fromStdString(bench::addressTable(static_cast<unsigned long>(state.range(0))));
    TAddressMain w;
    w.model().OpenQVWDBF(path);
    qorvel::DatasetModel model(w.model().TableQVW());
    const int rows = model.rowCount();
    std::mt19937 rng(2);
    for (auto _ : state) {
        const int top = int(rng() % uint32_t(rows - 30));
        for (int r = top; r < top + 30; ++r)
            for (int c = 0; c < model.columnCount(); ++c)
                benchmark::DoNotOptimize(model.data(model.index(r, c), Qt::DisplayRole));
    }
}

// Building the row list when the grid opens.
void BrowseGridOpen(benchmark::State& state) {
    usingHome();
    const QString path = QString::fromStdString(bench::addressTable(static_cast<unsigned long>(state.range(0))));
    TAddressMain w;
    w.model().OpenQVWDBF(path);
    for (auto _ : state) {
        qorvel::DatasetModel model(w.model().TableQVW());
        benchmark::DoNotOptimize(model.rowCount());
    }
}

}  // namespace

BENCHMARK(OpenAndShowFirstRecord)->Apply(bench::applySizes)->Iterations(5);
BENCHMARK(NextAndPreviousRecord)->Apply(bench::applySizes);
BENCHMARK(TwoCriterionFilter)->Apply(bench::applySizes);
BENCHMARK(BrowseGridScroll)->Apply(bench::applySizes);
BENCHMARK(BrowseGridOpen)->Apply(bench::applySizes);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
