#include "history/CaseHistory.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace tessalyn;

namespace {

// A large practice's history: 2000 cases with 5 treatments of 40 symptoms each
// (400,000 symptom lines), random names, comments and dates.
CaseHistory makeHistory() {
    std::mt19937 random(20261206);
    CaseHistory h;
    std::vector<FilingEntry> entries(40);
    for (int c = 0; c < 2000; ++c) {
        std::string name = "Fall ";
        for (int k = 0; k < 8; ++k) {
            name += static_cast<char>('a' + random() % 26);
        }
        for (int t = 0; t < 5; ++t) {
            for (FilingEntry& e : entries) {
                e.ref.number = static_cast<std::int32_t>(random() % 16771) - 8385;
                e.ref.bd = random() % 10 == 0 ? 1 : 0;
            }
            char date[32];
            std::snprintf(date, sizeof date, "%02d.%02d.%04d %02d:%02d",
                          static_cast<int>(1 + random() % 28), static_cast<int>(1 + random() % 12),
                          static_cast<int>(2000 + random() % 27), static_cast<int>(random() % 24),
                          static_cast<int>(random() % 60));
            h.fileCase(name + std::to_string(c), "Sitzung " + std::to_string(t) + "\r\nit's ok",
                       entries, date);
        }
    }
    return h;
}

std::string benchFile(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

} // namespace

static void BM_HistoryLoad(benchmark::State& state) {
    const std::string path = benchFile("tessalyn-bench-historie.xml");
    makeHistory().saveAs(path);
    for (auto _ : state) {
        CaseHistory h(path);
        if (!h.loadOk() || h.caseCount() != 2000) {
            state.SkipWithError("load failed");
        }
        benchmark::DoNotOptimize(h);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_HistoryLoad)->Unit(benchmark::kMillisecond);

// The whole save: text built in memory, written to a temporary file, flushed
// to the device and renamed over the old file.
static void BM_HistorySave(benchmark::State& state) {
    CaseHistory h = makeHistory();
    const std::string path = benchFile("tessalyn-bench-save.xml");
    h.setFileName(path);
    for (auto _ : state) {
        if (!h.save()) {
            state.SkipWithError("save failed");
        }
    }
    std::filesystem::remove(path);
}
BENCHMARK(BM_HistorySave)->Unit(benchmark::kMillisecond);

// Only building the file's text, without the disk.
static void BM_HistoryFileBytes(benchmark::State& state) {
    const CaseHistory h = makeHistory();
    for (auto _ : state) {
        benchmark::DoNotOptimize(h.fileBytes());
    }
}
BENCHMARK(BM_HistoryFileBytes)->Unit(benchmark::kMillisecond);

// Sorting by date from the name order, which is unrelated to the dates.
static void BM_HistorySortByDate(benchmark::State& state) {
    CaseHistory h = makeHistory();
    for (auto _ : state) {
        state.PauseTiming();
        h.sortCases(true);
        state.ResumeTiming();
        h.sortCases(false);
    }
}
BENCHMARK(BM_HistorySortByDate)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
