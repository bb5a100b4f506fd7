// Painting speed of the table view with the largest result table.
#include "ui/TableView.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace tessalyn;

namespace {

constexpr int kResultRows = 3002;
constexpr int kResultColumns = 360;

void fillResultTable(TableView& view) {
    TableLogic& t = view.logic();
    t.setColumnCount(kResultColumns);
    t.setRowCount(kResultRows);
    char buffer[96];
    for (int c = 2; c < kResultColumns; ++c) {
        std::snprintf(buffer, sizeof buffer, "Rem%d.", c);
        t.setCellText(0, c, buffer);
        std::snprintf(buffer, sizeof buffer, "%d", (c * 7919) % 3000);
        t.setCellText(1, c, buffer);
    }
    for (int r = 2; r < kResultRows; ++r) {
        std::snprintf(buffer, sizeof buffer, "Rubric text of the symptom number %d [%d] (%d)", r,
                      r % 300, r);
        t.setCellText(r, 0, buffer);
        t.setCellText(r, 1, "Gem\xFCt Angst, Furcht");
        for (int c = 2; c < kResultColumns; ++c) {
            const int grade = (r * 31 + c * 17) % 7;
            const char g[2] = {static_cast<char>('1' + grade), '\0'};
            t.setCellText(r, c, grade < 5 ? std::string(g) : std::string());
            if (r % 11 == 0) {
                t.setCellBackground(r, c, Rgb{230, 230, 230});
            }
        }
    }
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
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
