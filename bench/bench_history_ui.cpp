// The case history dialogs on a large practice's history (2000 cases with 5
// treatments of 40 symptoms each): opening "Fallhistorie" (load and tree),
// narrowing its tree by the search field, a deletion in it and a filing, each
// under the file's lock and written whole (after a backup copy of the file).
#include "history/CaseHistory.h"
#include "history/HistoryTransaction.h"
#include "ui/history/FileCaseInHistory.h"
#include "ui/history/HistoryDialog.h"
#include "ui/history/HistoryFiles.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

using namespace tessalyn;

namespace {

void writeLargeHistory(const QString& path) {
    std::mt19937 random(20261206);
    CaseHistory h;
    std::vector<FilingEntry> entries(40);
    for (int c = 0; c < 2000; ++c) {
        for (int t = 0; t < 5; ++t) {
            for (FilingEntry& e : entries) {
                e.ref.number = static_cast<std::int32_t>(random() % 8385) + 1;
            }
            char date[32];
            std::snprintf(date, sizeof date, "%02d.%02d.%04d %02d:%02d",
                          static_cast<int>(1 + random() % 28), static_cast<int>(1 + random() % 12),
                          static_cast<int>(2000 + random() % 27), static_cast<int>(random() % 24),
                          static_cast<int>(random() % 60));
            h.fileCase("Fall " + std::to_string(c), "Sitzung " + std::to_string(t), entries, date);
        }
    }
    h.saveAs(historyFileName(path));
}

HistoryDialogContext contextFor(const QString& path) {
    HistoryDialogContext context;
    context.historyPath = path;
    context.askBeforeDelete = false;
    return context;
}

} // namespace

static void BM_OpenHistoryDialog(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("historie.xml"));
    writeLargeHistory(path);
    for (auto _ : state) {
        HistoryDialog dialog(contextFor(path));
        benchmark::DoNotOptimize(dialog.tree()->topLevelItemCount());
    }
}
BENCHMARK(BM_OpenHistoryDialog)->Unit(benchmark::kMillisecond)->Iterations(5);

// One treatment deleted from the open dialog: copy, change, write, refill.
static void BM_DeleteInHistoryDialog(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("historie.xml"));
    writeLargeHistory(path);
    HistoryDialog dialog(contextFor(path));
    int index = 0;
    for (auto _ : state) {
        QTreeWidgetItem* caseItem = dialog.tree()->topLevelItem(index++);
        dialog.tree()->setCurrentItem(caseItem->child(0));
        dialog.deleteSelected();
    }
    if (dialog.tree()->topLevelItem(0)->childCount() != 4) {
        state.SkipWithError("not deleted");
    }
}
BENCHMARK(BM_DeleteInHistoryDialog)->Unit(benchmark::kMillisecond)->Iterations(5);

// One keystroke in the search field of the shown dialog: the tree narrowed
// and drawn again. The keystrokes type "fall 1999" and take it back letter
// by letter, so every step changes which cases are shown.
static void BM_NarrowHistoryTreeByKeystroke(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("historie.xml"));
    writeLargeHistory(path);
    HistoryDialog dialog(contextFor(path));
    dialog.show();
    QCoreApplication::processEvents();
    const QString word = QStringLiteral("fall 1999");
    std::vector<QString> texts;
    for (qsizetype n = 1; n <= word.size(); ++n) {
        texts.push_back(word.left(n));
    }
    for (qsizetype n = word.size() - 1; n >= 0; --n) {
        texts.push_back(word.left(n));
    }
    std::size_t step = 0;
    for (auto _ : state) {
        dialog.searchField()->setText(texts[step++ % texts.size()]);
        QCoreApplication::processEvents();
    }
    dialog.searchField()->setText(word);
    int shown = 0;
    for (int i = 0; i < dialog.tree()->topLevelItemCount(); ++i) {
        shown += dialog.tree()->topLevelItem(i)->isHidden() ? 0 : 1;
    }
    if (shown != 1) {
        state.SkipWithError("not narrowed to one case");
    }
}
BENCHMARK(BM_NarrowHistoryTreeByKeystroke)->Unit(benchmark::kMillisecond);

// Filing from the result view: read under the lock, append, write.
static void BM_FileCaseIntoLargeHistory(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("historie.xml"));
    writeLargeHistory(path);
    std::vector<CaseEntry> entries;
    for (int i = 1; i <= 40; ++i) {
        entries.emplace_back(i, 0);
    }
    for (auto _ : state) {
        if (!fileCaseInHistory(path, "Neuer Fall", "", entries, nullptr)) {
            state.SkipWithError("filing failed");
        }
    }
}
BENCHMARK(BM_FileCaseIntoLargeHistory)->Unit(benchmark::kMillisecond)->Iterations(5);

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
