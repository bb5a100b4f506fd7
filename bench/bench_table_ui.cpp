// Painting speed of the table view with the largest result table.
#include "LargeResultTable.h"
#include "ui/table/TableView.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace tessalyn;

namespace {

using bench::kResultColumns;
using bench::kResultRows;

void fillResultTable(TableView& view) {
    TableLogic& t = view.logic();
    bench::fillLargeResultTable(t, true);
    t.setSeparatorRow(40);
    t.setMaximumColumnWidth(450);
}

// Fill through the view (so every change notifies it) and size the columns
// with the real font.
void BM_FillAndAutoSizeThroughView(benchmark::State& state) {
    for (auto _ : state) {
        TableView view;
        view.resize(1024, 768);
        fillResultTable(view);
        view.autoSizeColumns(2);
        benchmark::DoNotOptimize(view.columnWidth(0));
    }
}
BENCHMARK(BM_FillAndAutoSizeThroughView)->Unit(benchmark::kMillisecond)->Iterations(5);

// One screen (1024 x 768) of the table, rendered into an image; the view
// scrolls a little between renders so each one paints different cells.
void BM_PaintOneScreen(benchmark::State& state) {
    TableView view;
    view.resize(1024, 768);
    fillResultTable(view);
    view.autoSizeColumns(2);
    view.show();
    QApplication::processEvents();
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    for (auto _ : state) {
        view.verticalScrollBar()->setValue((step * 97) % view.verticalScrollBar()->maximum());
        view.horizontalScrollBar()->setValue((step * 53) % view.horizontalScrollBar()->maximum());
        ++step;
        view.viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_PaintOneScreen)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
