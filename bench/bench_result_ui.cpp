// Speed of the result view with a 3000-rubric case of the largest rubrics:
// from "Berechnen" to the view on the screen, printing its first page, and
// its PDF report.
#include "case/Case.h"
#include "case/Evaluation.h"
#include "data/ContentLoader.h"
#include "settings/MemorySettingsStore.h"
#include "ui/ResultDialog.h"
#include "ui/table/PaperTable.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <numeric>
#include <vector>

using namespace tessalyn;

namespace {

constexpr int kCaseRubrics = 3000;

const RepertoryData& content() {
    static const RepertoryData data = [] {
        RepertoryData d;
        ContentError error;
        if (!loadBuiltInContent(d, error)) {
            std::fprintf(stderr, "built-in content refused: %s\n", error.message().c_str());
        }
        return d;
    }();
    return data;
}

// The case: the 3000 rubrics with the most remedies, largest first, and the
// input row after them.
void fillLargeCase(Case& theCase, const RepertoryData& data) {
    std::vector<int> order(kRubricCount);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return data.rubric(a).entryCount > data.rubric(b).entryCount;
    });
    theCase.resetEntries();
    for (int i = 0; i < kCaseRubrics; ++i) {
        theCase.entry(i) = CaseEntry(order[static_cast<std::size_t>(i)] + 1, 0);
    }
    theCase.setCount(kCaseRubrics + 1);
}

// "Berechnen" with the grid's evaluation, then the result view built, filled
// and shown (its first paint included).
void BM_EvaluateAndShowResultView(benchmark::State& state) {
    const RepertoryData& data = content();
    MemorySettingsStore store;
    const ProgramSettings settings;
    Case theCase;
    EvaluationResult result;
    for (auto _ : state) {
        state.PauseTiming();
        fillLargeCase(theCase, data);
        state.ResumeTiming();
        evaluateCase(theCase, data, PolarityMode::None, result);
        auto dialog =
            std::make_unique<ResultDialog>(data, result, settings, std::nullopt, store, QString());
        dialog->resize(1024, 768);
        dialog->show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(dialog->table()->columnWidth(0));
        state.PauseTiming();
        dialog.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["columns"] = result.lastScoreIndex + 3;
    state.counters["rows"] = result.entryCount() + 2;
}
BENCHMARK(BM_EvaluateAndShowResultView)->Unit(benchmark::kMillisecond)->Iterations(5);

// The evaluation of the large case. The result refers to the case's
// entries, so the case lives as long as the result.
struct EvaluatedLargeCase {
    EvaluatedLargeCase() {
        fillLargeCase(theCase, content());
        evaluateCase(theCase, content(), PolarityMode::None, result);
    }
    Case theCase;
    EvaluationResult result;
};

// The large case's result view shown at 1024 × 768, as the printing and PDF
// benchmarks start from.
struct ShownLargeResult {
    ShownLargeResult() {
        dialog.resize(1024, 768);
        dialog.show();
        QApplication::processEvents();
    }

    MemorySettingsStore store;
    const ProgramSettings settings;
    EvaluatedLargeCase evaluated;
    EvaluationResult& result = evaluated.result;
    ResultDialog dialog{content(), result, settings, std::nullopt, store, QString()};
};

// Printing the shown view's first page into a PDF file: the page geometry
// over all 3000 rows, then page 1.
void BM_PrintFirstPageToPdf(benchmark::State& state) {
    ShownLargeResult shown;
    ResultDialog& dialog = shown.dialog;
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("first.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(1, 1);
        pages = printLayoutFor(*dialog.table(), printer).pageCount();
        benchmark::DoNotOptimize(printTableTo(*dialog.table(), printer));
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_PrintFirstPageToPdf)->Unit(benchmark::kMillisecond)->Iterations(10);

// The whole printout of the 3000 rows, for comparison.
void BM_PrintAllPagesToPdf(benchmark::State& state) {
    ShownLargeResult shown;
    ResultDialog& dialog = shown.dialog;
    QTemporaryDir dir;
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QStringLiteral("all.pdf")));
        printer.setPageSize(QPageSize(QPageSize::A4));
        benchmark::DoNotOptimize(printTableTo(*dialog.table(), printer));
    }
}
BENCHMARK(BM_PrintAllPagesToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

// The reference the PDF figures are read against, measured in the same run:
// what Qt's PDF writer takes for 100 pages of 50 lines of plain text, drawn
// line by line, whatever the program does.
void BM_ReferencePdfText(benchmark::State& state) {
    const QString line =
        QStringLiteral("Abscesses, - External Parts, - Night, - After Midnight {0001} [12] (34)");
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(1200);
        QPainter painter(&writer);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(133);
        painter.setFont(font);
        for (int page = 0; page < 100; ++page) {
            if (page > 0) {
                writer.newPage();
            }
            for (int l = 0; l < 50; ++l) {
                painter.drawText(QPointF(200, 300 + l * 160), line);
            }
        }
        painter.end();
        benchmark::DoNotOptimize(buffer.size());
    }
}
BENCHMARK(BM_ReferencePdfText)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// "Als PDF…" on the shown view: the front page with the chart and the list
// of all 3000 rubrics, then the whole table laid out for paper (every remedy
// column in bands, every rubric on each band's pages), written to its file.
void BM_SaveReportPdf(benchmark::State& state) {
    ShownLargeResult shown;
    ResultDialog& dialog = shown.dialog;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bericht.pdf"));
    const auto pathAnswer =
        pdfPathHook().install([path](const QString&, const QString&) { return path; });
    for (auto _ : state) {
        benchmark::DoNotOptimize(dialog.saveAsPdf());
    }
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
    state.counters["remedies"] = shown.result.lastScoreIndex + 1;
    state.counters["tablePages"] = PaperTable(*dialog.table()).pageCount();
}
BENCHMARK(BM_SaveReportPdf)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
