// Speed of the symptom finding: the text search runs on every keystroke, the
// remedy overview on every "&Suche". The text search is also compared with
// `grep -c -i WORD FILE` over a file of all symptom and location texts, run in
// the same benchmark; the counter search_per_grep is the ratio of the medians
// (below 1: the search is faster than grep).

#include "data/ContentLoader.h"
#include "search/RemedySearch.h"
#include "search/TextSearch.h"
#include "search/Vocabulary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tessalyn;

namespace {

const RepertoryData& content() {
    static const RepertoryData data = [] {
        RepertoryData d;
        ContentError error;
        if (!loadBuiltInContent(d, error)) {
            std::fprintf(stderr, "content: %s\n", error.message().c_str());
            std::exit(1);
        }
        return d;
    }();
    return data;
}

// A temporary folder with one line per rubric: symptom text, tab, location
// text. Removed at exit.
class GrepFile {
public:
    GrepFile() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessalyn-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        dir_ = pattern;
        path_ = (dir_ / "texts.txt").string();
        std::ofstream out(path_, std::ios::binary);
        const RepertoryData& data = content();
        for (int i = 0; i < data.rubricCount(); ++i) {
            out << data.symptomText(i + 1) << '\t' << data.locationText(i) << '\n';
        }
    }
    ~GrepFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    const std::string& path() const { return path_; }

private:
    std::filesystem::path dir_;
    std::string path_;
};

const GrepFile& grepFile() {
    static const GrepFile file;
    return file;
}

// Runs `grep -c -i word file` and returns its count (-1 on failure).
int grepCount(const std::string& word) {
    const std::string command = "grep -c -i '" + word + "' '" + grepFile().path() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1;
    }
    int count = -1;
    if (std::fscanf(pipe, "%d", &count) != 1) {
        count = -1;
    }
    pclose(pipe);
    return count;
}

template <typename F> double medianMicroseconds(int runs, F&& f) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        f();
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(stop - start).count());
    }
    std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
    return times[static_cast<std::size_t>(runs) / 2];
}

// The remedy standing in the most rubrics: a polychrest.
std::string mostFrequentRemedy() {
    const RepertoryData& data = content();
    std::vector<int> counts(static_cast<std::size_t>(data.remedyCount()), 0);
    for (int i = 0; i < kEntryCount; ++i) {
        ++counts[static_cast<std::size_t>(entryRemedy(data.entry(i)))];
    }
    const auto best = std::max_element(counts.begin(), counts.end()) - counts.begin();
    return data.abbreviation(static_cast<int>(best));
}

} // namespace

// Folding every symptom and location text, once per search window.
static void BM_TextSearchPrepare(benchmark::State& state) {
    for (auto _ : state) {
        TextSearch search(content());
        benchmark::DoNotOptimize(&search);
    }
}
BENCHMARK(BM_TextSearchPrepare)->Unit(benchmark::kMillisecond);

// One keystroke's search: two words over all 8385 rubrics.
static void BM_TextSearchTwoWords(benchmark::State& state) {
    TextSearch search(content());
    search.setSearchText("open air");
    for (auto _ : state) {
        search.search();
        benchmark::DoNotOptimize(search.rows().data());
    }
    state.counters["hits"] = static_cast<double>(search.rows().size());
}
BENCHMARK(BM_TextSearchTwoWords)->Unit(benchmark::kMicrosecond);

// One keystroke's search with German words translated, over all 8385
// rubrics: each German word becomes a group of alternatives.
static void runTranslatedSearch(benchmark::State& state, const char* query) {
    TextSearch search(content());
    search.setVocabulary(&builtInVocabulary());
    search.setSearchText(query);
    for (auto _ : state) {
        search.search();
        benchmark::DoNotOptimize(search.rows().data());
    }
    state.counters["hits"] = static_cast<double>(search.rows().size());
}

// Reading the built-in search vocabulary, once per run on the first use.
static void BM_VocabularyRead(benchmark::State& state) {
    for (auto _ : state) {
        Vocabulary v;
        ContentError error;
        benchmark::DoNotOptimize(v.parse(builtInVocabularyText(), error));
    }
}
BENCHMARK(BM_VocabularyRead)->Unit(benchmark::kMicrosecond);

// Two German words, a compound among their alternatives.
static void BM_TextSearchTranslatedTwoWords(benchmark::State& state) {
    runTranslatedSearch(state, "Kopfschmerz nachts");
}
BENCHMARK(BM_TextSearchTranslatedTwoWords)->Unit(benchmark::kMicrosecond);

// Two German words with many alternatives each.
static void BM_TextSearchTranslatedWideWords(benchmark::State& state) {
    runTranslatedSearch(state, "Kopf Schmerzen");
}
BENCHMARK(BM_TextSearchTranslatedWideWords)->Unit(benchmark::kMicrosecond);

// The empty query: every rubric matches and all 8385 rows are built.
static void BM_TextSearchEmptyQuery(benchmark::State& state) {
    TextSearch search(content());
    for (auto _ : state) {
        search.search();
        benchmark::DoNotOptimize(search.rows().data());
    }
    state.counters["hits"] = static_cast<double>(search.rows().size());
}
BENCHMARK(BM_TextSearchEmptyQuery)->Unit(benchmark::kMicrosecond);

// The same with every row built afresh: each iteration lists all rubrics after
// a search without hits, which cleared the table.
static void BM_TextSearchEmptyQueryAfterNoHit(benchmark::State& state) {
    TextSearch search(content());
    for (auto _ : state) {
        search.setSearchText("");
        search.search();
        benchmark::DoNotOptimize(search.rows().data());
        search.setSearchText("zzqqxx");
        search.search();
    }
}
BENCHMARK(BM_TextSearchEmptyQueryAfterNoHit)->Unit(benchmark::kMicrosecond);

// One word searched in-process and by grep over the same texts.
static void BM_TextSearchVsGrep(benchmark::State& state) {
    const std::string word = "air";
    TextSearch search(content());
    search.setSearchText(word);
    for (auto _ : state) {
        search.search();
        benchmark::DoNotOptimize(search.rows().data());
    }
    const double searchUs = medianMicroseconds(201, [&] { search.search(); });
    int grepHits = -1;
    const double grepUs = medianMicroseconds(21, [&] { grepHits = grepCount(word); });
    state.counters["hits"] = static_cast<double>(search.rows().size());
    state.counters["grep_hits"] = grepHits;
    state.counters["search_us"] = searchUs;
    state.counters["grep_us"] = grepUs;
    state.counters["search_per_grep"] = searchUs / grepUs;
}
BENCHMARK(BM_TextSearchVsGrep)->Unit(benchmark::kMicrosecond);

// grep alone, as a whole process (wall-clock time).
static void BM_GrepCount(benchmark::State& state) {
    int hits = 0;
    for (auto _ : state) {
        hits = grepCount("air");
    }
    state.counters["grep_hits"] = hits;
}
BENCHMARK(BM_GrepCount)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The remedy overview for a polychrest over all chapters, with the fourth column.
static void BM_RemedySearchPolychrest(benchmark::State& state) {
    RemedySearch search(content());
    search.remedyText = mostFrequentRemedy();
    search.sizeFilter = {true, 0, kMaxSizeFieldValue};
    search.otherRemedies = true;
    for (auto _ : state) {
        search.run();
        benchmark::DoNotOptimize(search.rows().data());
    }
    state.SetLabel(search.remedyText);
    state.counters["rows"] = static_cast<double>(search.rows().size());
}
BENCHMARK(BM_RemedySearchPolychrest)->Unit(benchmark::kMicrosecond);

// The first search of a new dialog: no rows to write over.
static void BM_RemedySearchPolychrestFirstRun(benchmark::State& state) {
    const std::string remedy = mostFrequentRemedy();
    for (auto _ : state) {
        RemedySearch search(content());
        search.remedyText = remedy;
        search.sizeFilter = {true, 0, kMaxSizeFieldValue};
        search.otherRemedies = true;
        search.run();
        benchmark::DoNotOptimize(search.rows().data());
    }
}
BENCHMARK(BM_RemedySearchPolychrestFirstRun)->Unit(benchmark::kMicrosecond);

// The same without the size filter (every rubric, three columns).
static void BM_RemedySearchPolychrestAllSizes(benchmark::State& state) {
    RemedySearch search(content());
    search.remedyText = mostFrequentRemedy();
    for (auto _ : state) {
        search.run();
        benchmark::DoNotOptimize(search.rows().data());
    }
    state.SetLabel(search.remedyText);
    state.counters["rows"] = static_cast<double>(search.rows().size());
}
BENCHMARK(BM_RemedySearchPolychrestAllSizes)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
