#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "case/ResultTable.h"
#include "data/ContentLoader.h"
#include "table/TableLogic.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <numeric>
#include <string>
#include <vector>

using namespace tessalyn;

// Counts heap allocations so that the evaluation can show it makes none. The
// replacement operators pair malloc with free, which the compiler cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

const RepertoryData& content() {
    static const RepertoryData data = [] {
        RepertoryData d;
        ContentError error;
        loadBuiltInContent(d, error);
        return d;
    }();
    return data;
}

// Symptom numbers of the 3000 largest rubrics, largest first.
const std::vector<int>& largestRubrics() {
    static const std::vector<int> numbers = [] {
        std::vector<int> index(kRubricCount);
        std::iota(index.begin(), index.end(), 0);
        std::stable_sort(index.begin(), index.end(), [](int a, int b) {
            return content().rubric(a).entryCount > content().rubric(b).entryCount;
        });
        std::vector<int> out;
        for (int i = 0; i < kCaseRowCapacity; ++i) {
            out.push_back(index[static_cast<std::size_t>(i)] + 1);
        }
        return out;
    }();
    return numbers;
}

// A full case as the grid leaves it: 3000 symptoms and the input row.
void fillCase(Case& theCase, const std::vector<int>& numbers) {
    theCase.resetEntries();
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        theCase.entry(static_cast<int>(i)).number = numbers[i];
    }
    theCase.setCount(static_cast<int>(numbers.size()) + 1);
}

// Evaluates the full case (3000 rows and the input row) once per iteration in
// mode 1, counting the heap allocations that the evaluation makes.
void evaluateRepeatedly(benchmark::State& state, Case& theCase) {
    const RepertoryData& data = content();
    auto result = std::make_unique<EvaluationResult>();
    long allocated = 0;
    for (auto _ : state) {
        theCase.setCount(kCaseRowCapacity + 1);
        const long before = allocations.load();
        evaluateCase(theCase, data, PolarityMode::AtEnd, *result);
        allocated += allocations.load() - before;
        benchmark::DoNotOptimize(result->lastScoreIndex);
    }
    state.counters["allocations"] =
        benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
    state.counters["entries"] = result->entryCount();
    state.counters["ranked"] = result->lastScoreIndex + 1;
}

} // namespace

// "Berechnen" on 3000 rows of the largest rubrics: preparing, scoring, sorting.
static void BM_EvaluateFullCase(benchmark::State& state) {
    Case theCase;
    fillCase(theCase, largestRubrics());
    evaluateRepeatedly(state, theCase);
}
BENCHMARK(BM_EvaluateFullCase)->Unit(benchmark::kMicrosecond);

// The same case with a weight other than 1 on every entry (2, 3, 4 in turn, so
// every rubric is scored) and the three largest rubrics eliminating.
static void BM_EvaluateWeightedFullCase(benchmark::State& state) {
    Case theCase;
    fillCase(theCase, largestRubrics());
    for (int i = 0; i < kCaseRowCapacity; ++i) {
        theCase.entry(i).weight = static_cast<std::int8_t>(2 + i % 3);
        theCase.entry(i).eliminating = i < 3;
    }
    evaluateRepeatedly(state, theCase);
}
BENCHMARK(BM_EvaluateWeightedFullCase)->Unit(benchmark::kMicrosecond);

// The same with a counter-polarity for every rubric: mode 1 appends 3000
// entries and every entry is scored with its opposite rubric.
static void BM_EvaluateFullCaseWithCounterPolarities(benchmark::State& state) {
    RepertoryData data = content();
    for (int i = 0; i < kRubricCount; ++i) {
        data.tables().rubrics[i].oppositeNumber = kRubricCount - i;
    }
    Case theCase;
    auto result = std::make_unique<EvaluationResult>();
    long allocated = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fillCase(theCase, largestRubrics());
        state.ResumeTiming();
        const long before = allocations.load();
        evaluateCase(theCase, data, PolarityMode::AtEnd, *result);
        allocated += allocations.load() - before;
        benchmark::DoNotOptimize(result->lastScoreIndex);
    }
    state.counters["allocations"] =
        benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
    state.counters["entries"] = result->entryCount();
}
BENCHMARK(BM_EvaluateFullCaseWithCounterPolarities)->Unit(benchmark::kMicrosecond);

// Typing 3000 rows one by one into the case grid, from an empty grid.
static void BM_TypeFullCase(benchmark::State& state) {
    const RepertoryData& data = content();
    std::vector<std::string> texts;
    for (const int n : largestRubrics()) {
        texts.push_back(std::to_string(n));
    }
    for (auto _ : state) {
        Case theCase;
        CaseGrid grid(data, theCase);
        grid.initialise();
        for (const std::string& text : texts) {
            grid.setCellText(theCase.count(), 0, text);
        }
        benchmark::DoNotOptimize(theCase.count());
    }
}
BENCHMARK(BM_TypeFullCase)->Unit(benchmark::kMillisecond);

// Filling the result table for the full case: 3002 rows and 360 columns.
static void BM_FillResultTable(benchmark::State& state) {
    const RepertoryData& data = content();
    Case theCase;
    fillCase(theCase, largestRubrics());
    EvaluationResult result;
    evaluateCase(theCase, data, PolarityMode::AtEnd, result);
    for (auto _ : state) {
        auto table = std::make_unique<TableLogic>();
        fillResultTable(*table, result);
        benchmark::DoNotOptimize(table->rowCount());
        // Freeing the table belongs to closing the view, not to filling it.
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.counters["rows"] = result.entryCount() + 2;
    state.counters["columns"] = result.lastScoreIndex + 3;
}
BENCHMARK(BM_FillResultTable)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
