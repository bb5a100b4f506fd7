// Speed of the table logic with the sizes of the program's largest tables.
#include "LargeResultTable.h"
#include "table/TableLogic.h"
#include "table/TableSizing.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

using namespace tessalyn;

namespace {

using bench::kResultColumns;
using bench::kResultRows;
constexpr int kRubrics = 8385;

TextExtent approximateMeasure(std::string_view text) {
    return TextExtent{static_cast<int>(text.size()) * 7, 16};
}

// Resident set size of the process in megabytes.
double residentMegabytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

void BM_FillResultTableAndAutoSize(benchmark::State& state) {
    const double before = residentMegabytes();
    double grown = 0;
    for (auto _ : state) {
        auto t = std::make_unique<TableLogic>();
        bench::fillLargeResultTable(*t, false);
        t->setMaximumColumnWidth(450);
        autoSizeColumns(*t, 2, approximateMeasure);
        grown = residentMegabytes() - before;
        benchmark::DoNotOptimize(t->columnWidth(0));
        state.PauseTiming();
        t.reset();
        state.ResumeTiming();
    }
    state.counters["table_MB"] = grown;
}
BENCHMARK(BM_FillResultTableAndAutoSize)->Unit(benchmark::kMillisecond)->Iterations(8);

void BM_SortColumnsByRow(benchmark::State& state) {
    TableLogic t;
    bench::fillLargeResultTable(t, false);
    int row = 1;
    for (auto _ : state) {
        t.sorting().sortColumnsByRow(row);
        row = row == 1 ? 2 : (row == 2 ? 5 : 1);
    }
}
BENCHMARK(BM_SortColumnsByRow)->Unit(benchmark::kMillisecond);

void BM_SortRubricRowsByColumn(benchmark::State& state) {
    TableLogic t;
    t.setColumnCount(3);
    t.setRowCount(kRubrics + 1);
    t.setHeaderRowCount(1);
    char buffer[64];
    for (int r = 1; r <= kRubrics; ++r) {
        const int n = (r * 7919) % kRubrics + 1;
        std::snprintf(buffer, sizeof buffer, "%d", n);
        t.setCellText(r, 0, buffer);
        std::snprintf(buffer, sizeof buffer, "Symptom %d, - in the evening", n * 13 % 997);
        t.setCellText(r, 1, buffer);
        t.setCellText(r, 2, "Kapitel Überschrift");
    }
    int col = 0;
    for (auto _ : state) {
        t.sorting().sortRowsByColumn(col);
        col = (col + 1) % 3;
    }
}
BENCHMARK(BM_SortRubricRowsByColumn)->Unit(benchmark::kMillisecond);

void BM_GrowRowByRow(benchmark::State& state) {
    char buffer[64];
    for (auto _ : state) {
        TableLogic t;
        t.setColumnCount(3);
        t.setRowCount(20);
        t.setHeaderRowCount(1);
        t.setRowCount(1);
        for (int k = 1; k <= kRubrics; ++k) {
            t.setRowCount(k + 1);
            std::snprintf(buffer, sizeof buffer, "%d", k);
            t.setCellText(k, 0, buffer);
            t.setCellText(k, 1, "Symptom text of a rubric, - at night [12]");
            t.setCellText(k, 2, "Gemüt Angst");
        }
        benchmark::DoNotOptimize(t.rowCount());
    }
}
BENCHMARK(BM_GrowRowByRow)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
