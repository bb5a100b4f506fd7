// Speed of the finding windows as the user meets it: the chapter tree on the
// first and on later "S&uchen", and the text search on the keystroke that
// starts a search and on leaving an emptied field. Each measure ends when the
// window has painted the result.
#include "settings/MemorySettingsStore.h"
#include "ui/MainDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/table/TableView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tessalyn;

namespace {

// Each measure is one event; its repetitions give the median.
constexpr int kRepetitions = 21;

struct MainWindow {
    MainWindow()
        : dialog(std::make_unique<MainDialog>(store, QStringLiteral("/tmp/historie.xml"))) {
        dialog->show();
        QApplication::processEvents();
    }
    ~MainWindow() { dialog->done(QDialog::Rejected); }

    MemorySettingsStore store;
    std::unique_ptr<MainDialog> dialog;
};

// One main window for the measures of a window that is already open; it is
// left to the end of the program.
MainWindow& sharedMainWindow() {
    static MainWindow* window = new MainWindow;
    return *window;
}

// Runs `act` and the event processing that shows its result; the seconds.
template <typename F> double timed(F act) {
    QElapsedTimer clock;
    clock.start();
    act();
    QApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) * 1e-9;
}

// The first "S&uchen": the window is made, its tree set up and shown.
void BM_FirstSearchCommand(benchmark::State& state) {
    MainWindow w;
    for (auto _ : state) {
        state.SetIterationTime(timed([&] { w.dialog->onSearch(); }));
    }
    auto* tree = w.dialog->findChild<SymptomSearchDialog*>();
    if (tree == nullptr || !tree->isVisible()) {
        state.SkipWithError("the tree window was not shown");
    }
}
BENCHMARK(BM_FirstSearchCommand)
    ->Iterations(1)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A later "S&uchen": the hidden window is shown again, a heading's branch
// open as the user left it.
void BM_LaterSearchCommand(benchmark::State& state) {
    MainWindow& w = sharedMainWindow();
    w.dialog->onSearch();
    QApplication::processEvents();
    auto* tree = w.dialog->findChild<SymptomSearchDialog*>();
    const QModelIndex heading = tree->model()->headingItem(1);
    tree->tree()->setCurrentIndex(tree->model()->rubricItem(5));
    tree->tree()->scrollTo(tree->tree()->currentIndex());
    for (auto _ : state) {
        tree->hide();
        QApplication::processEvents();
        state.SetIterationTime(timed([&] { w.dialog->onSearch(); }));
    }
    if (!tree->tree()->isExpanded(heading)) {
        state.SkipWithError("the branch was closed");
    }
}
BENCHMARK(BM_LaterSearchCommand)
    ->Iterations(1)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void typeKey(QLineEdit* field, char ch) {
    const QString text(QLatin1Char{ch});
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (ch - 'a'), Qt::NoModifier, text);
    QApplication::sendEvent(field, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A + (ch - 'a'), Qt::NoModifier, text);
    QApplication::sendEvent(field, &release);
}

TextSearchDialog* openTextSearch(MainWindow& w) {
    w.dialog->onTextSearch();
    QApplication::processEvents();
    return w.dialog->findChild<TextSearchDialog*>();
}

// The third character of a query: the search runs and the table shows the
// hits. Two queries take turns, so each differs from the one searched last.
void BM_TypeThirdCharacter(benchmark::State& state) {
    MainWindow& w = sharedMainWindow();
    TextSearchDialog* d = openTextSearch(w);
    QLineEdit* field = d->searchField();
    const char* queries[] = {"air", "ope"};
    static int turn = 0;
    int hits = 0;
    for (auto _ : state) {
        const char* q = queries[turn++ % 2];
        field->setText(QString::fromLatin1(q, 2));
        QApplication::processEvents();
        state.SetIterationTime(timed([&] { typeKey(field, q[2]); }));
        hits = d->table()->rowCount() - 1;
    }
    if (hits <= 0) {
        state.SkipWithError("no hits");
    }
    state.counters["hits"] = hits;
}
BENCHMARK(BM_TypeThirdCharacter)
    ->Iterations(1)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Leaving the emptied field: every one of the 8385 rubrics is listed.
void BM_LeaveEmptyField(benchmark::State& state) {
    MainWindow& w = sharedMainWindow();
    TextSearchDialog* d = openTextSearch(w);
    QLineEdit* field = d->searchField();
    for (auto _ : state) {
        // A search for something else first, so the empty text differs from it.
        field->setText(QStringLiteral("vertigo"));
        QApplication::processEvents();
        field->clear();
        QApplication::processEvents();
        state.SetIterationTime(timed([&] {
            QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
            QApplication::sendEvent(field, &out);
        }));
    }
    if (d->table()->rowCount() != 8386) {
        state.SkipWithError("not every rubric was listed");
    }
}
BENCHMARK(BM_LeaveEmptyField)
    ->Iterations(1)
    ->Repetitions(kRepetitions)
    ->ReportAggregatesOnly(true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
