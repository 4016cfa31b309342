// The print engine's speed on a 50-page job of 30 labels a page (3 across, 10 down,
// four lines each and a border): recording it, playing every page back as the
// preview does, and writing it as a PDF.
#include "print/file_preview.h"
#include "print/printer_device.h"
#include "print/report_filer.h"
#include "print/report_printer.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace qorvel::print;

namespace {

constexpr int kPages = 50;

void labelJob(TBaseReport& r) {
    int n = 0;
    for (int page = 1; page <= kPages; ++page) {
        for (int row = 0; row < 10; ++row) {
            for (int col = 0; col < 3; ++col) {
                const double x = 0.19 + col * 2.75, y = 0.5 + row;
                r.SetPen(0, PenStyle::Solid, -1);
                r.RoundRect(x, y, x + 2.625, y + 1, 0.1, 0.1);
                r.SetFont(QStringLiteral("Arial"), 10);
                r.SetCursorY(y + 0.25);
                r.PrintLeft(QStringLiteral("Mr. John Q. Smith %1").arg(++n), x + 0.1);
                r.SetCursorY(y + 0.45);
                r.PrintLeft(QStringLiteral("1234 Main Street, Apt. 5"), x + 0.1);
                r.SetCursorY(y + 0.65);
                r.PrintLeft(QStringLiteral("Springfield, IL 62701-1234"), x + 0.1);
                r.SetCursorY(y + 0.85);
                r.PrintLeft(QStringLiteral("USA"), x + 0.1);
            }
        }
        if (page < kPages)
            r.NewPage();
    }
}

QByteArray recorded() {
    QByteArray stream;
    TReportFiler filer(stream);
    filer.OnPrint = labelJob;
    filer.Execute();
    return stream;
}

void RecordLabelJob(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(recorded());
}

// Every page drawn at 100 % on a 96 dpi screen, as paging through the preview does.
void PlayBackLabelJob(benchmark::State& state) {
    const QByteArray stream = recorded();
    for (auto _ : state) {
        TFilePreview preview;
        preview.open(stream);
        for (int p = 0; p < preview.pageCount(); ++p)
            benchmark::DoNotOptimize(preview.renderPage(p, 100, 96));
    }
}

void WriteLabelJobPdf(benchmark::State& state) {
    QTemporaryDir dir;
    PrinterDevice::shared().SelectPrinter(QStringLiteral("PDF file on file"));
    TReportPrinter printer;
    printer.OutputFile = dir.filePath(QStringLiteral("labels.pdf"));
    printer.OnPrint = labelJob;
    for (auto _ : state)
        benchmark::DoNotOptimize(printer.Execute());
}

}  // namespace

BENCHMARK(RecordLabelJob)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(PlayBackLabelJob)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(WriteLabelJobPdf)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
