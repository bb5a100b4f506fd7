// libFuzzer target for the content loader: any text is either refused, with
// a rule and a line within the content named, or loaded; a loaded content
// holds every invariant the program relies on, and its dump reloads to the
// same tables.
//
// A whole content has 11,090 records, far more than a fuzzer builds from
// nothing, and reading all of them for every input would let the fuzzer try
// only a few dozen inputs a second. So the input is the end of a content: the
// built-in content less its last records of each kind (the held-out tail) is
// read once, and every input is read on from a copy of that reader and then
// finished. The held-out tail itself (the seed "tail.tsv") completes the
// content; its last rubric is where the last four remedies first appear, so
// every rule of the loader, the whole-content ones included, can be broken
// from the input.
#include "FuzzContent.h"
#include "data/ContentLoader.h"
#include "data/Cp1252.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

using namespace tessalyn;

namespace {

using fuzz::builtIn;

// Records of each kind held out of the base, taken from the end of the kind.
constexpr int kHeldRemedies = 3;
constexpr int kHeldChapters = 1;
constexpr int kHeldHeadings = 3;
constexpr int kHeldRubrics = 6;

// The lines of a text without their line ends.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const void* found = std::memchr(text.data() + pos, '\n', text.size() - pos);
        const std::size_t end =
            found == nullptr
                ? text.size()
                : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        lines.push_back(text.substr(pos, end - pos));
        pos = end + 1;
    }
    return lines;
}

// Where the held-out records stand among the dump's lines (0-based): the dump
// writes remedies, chapters, headings and rubrics in this order.
bool isHeldOut(std::size_t line) {
    constexpr std::array<std::pair<std::size_t, int>, 4> kinds = {{{kRemedyCount, kHeldRemedies},
                                                                   {kChapterCount, kHeldChapters},
                                                                   {kHeadingCount, kHeldHeadings},
                                                                   {kRubricCount, kHeldRubrics}}};
    std::size_t start = 0;
    for (const auto& [count, held] : kinds) {
        if (line < start + count) {
            return line >= start + count - static_cast<std::size_t>(held);
        }
        start += count;
    }
    return false;
}

struct Base {
    std::vector<std::string> dumpLines; // the built-in dump, line by line
    int lineCount = 0;                  // lines of the base text
    ContentReader reader;               // the base text read
};

const Base& base() {
    static const Base b = [] {
        Base d;
        const std::string dump = dumpContent(builtIn());
        std::string text;
        for (const std::string_view line : splitLines(dump)) {
            d.dumpLines.emplace_back(line);
            if (!isHeldOut(d.dumpLines.size() - 1)) {
                text.append(line);
                text += '\n';
                ++d.lineCount;
            }
        }
        ContentError error;
        if (!d.reader.read(text, error)) {
            std::fprintf(stderr, "base content: %s\n", error.message().c_str());
            std::abort();
        }
        return d;
    }();
    return b;
}

// The held-out lines of a dump, one text; empty when the dump does not have
// the built-in's lines everywhere else.
bool heldOutOfDump(std::string_view dump, std::string& tail) {
    const std::vector<std::string_view> lines = splitLines(dump);
    const Base& b = base();
    if (lines.size() != b.dumpLines.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (isHeldOut(i)) {
            tail.append(lines[i]);
            tail += '\n';
        } else if (lines[i] != b.dumpLines[i]) {
            return false;
        }
    }
    return true;
}

std::size_t lineCount(std::string_view text) {
    std::size_t lines = 1;
    const char* p = text.data();
    const char* const end = p + text.size();
    while ((p = static_cast<const char*>(std::memchr(p, '\n', end - p))) != nullptr) {
        ++lines;
        ++p;
    }
    return lines;
}

template <typename Record> bool sameRecords(const Record* a, const Record* b, std::size_t count) {
    return std::memcmp(a, b, count * sizeof(Record)) == 0;
}

// Compares the tables member by member: the struct as a whole has padding.
bool sameTables(const RepertoryTables& a, const RepertoryTables& b) {
    return sameRecords(a.rubrics, b.rubrics, kRubricCount) &&
           sameRecords(a.entryList, b.entryList, kEntryCount) &&
           std::memcmp(a.abbreviations, b.abbreviations, sizeof a.abbreviations) == 0 &&
           sameRecords(a.chapters, b.chapters, kChapterCount) &&
           sameRecords(a.headings, b.headings, kHeadingCount);
}

bool hasNul(const char* field, int fieldSize) {
    return std::memchr(field, '\0', static_cast<std::size_t>(fieldSize)) != nullptr;
}

// What every reader of the tables takes for granted, checked without the
// loader's help. The base's records are the built-in content's, checked once
// at start; of the rest, what the input may have changed.
bool holdsInvariants(const RepertoryTables& t, bool all) {
    for (int i = all ? 0 : kRemedyCount - kHeldRemedies; i < kRemedyCount; ++i) {
        if (!hasNul(t.abbreviations[i], kAbbreviationSize) || t.abbreviations[i][0] == '\0') {
            return false;
        }
        for (int k = 0; k < i; ++k) {
            if (cp1252EqualsIgnoreCase(t.abbreviations[k], t.abbreviations[i])) {
                return false;
            }
        }
    }
    int previous = 0;
    for (const Chapter& c : t.chapters) {
        if (!hasNul(c.text, kChapterTextSize) || c.headingEnd < previous) {
            return false;
        }
        previous = c.headingEnd;
    }
    if (previous != kHeadingCount) {
        return false;
    }
    previous = 0;
    for (const Heading& h : t.headings) {
        if (!hasNul(h.text, kHeadingTextSize) || h.rubricEnd < previous) {
            return false;
        }
        previous = h.rubricEnd;
    }
    if (previous != kRubricCount) {
        return false;
    }
    std::int64_t next = 0;
    for (int i = 0; i < kRubricCount; ++i) {
        const Rubric& r = t.rubrics[i];
        if (r.firstEntry != next || r.entryCount < 0 || r.entryCount > kEntryCount - next) {
            return false;
        }
        next += r.entryCount;
        if (!all && i < kRubricCount - kHeldRubrics) {
            continue;
        }
        if (!hasNul(r.text, kRubricTextSize) || r.oppositeNumber < -kRubricCount ||
            r.oppositeNumber > kRubricCount) {
            return false;
        }
        bool seen[kRemedyCount] = {};
        for (int k = 0; k < r.entryCount; ++k) {
            const RemedyEntry e = t.entryList[r.firstEntry + k];
            if ((e & 0xFFFF0000u) != 0 || entryRemedy(e) >= kRemedyCount || seen[entryRemedy(e)]) {
                return false;
            }
            seen[entryRemedy(e)] = true;
        }
    }
    return next == kEntryCount;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool builtInHolds = holdsInvariants(builtIn().tables(), true);
    if (!builtInHolds) {
        std::abort();
    }
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Base& b = base();

    // Kept across runs: a fresh reader would allocate and clear 3 MB each time.
    static ContentReader reader;
    reader = b.reader;
    ContentError error;
    if (!reader.read(input, error) || !reader.finish(error)) {
        if (error.rule.empty() || error.line < 0 ||
            static_cast<std::size_t>(error.line) >
                static_cast<std::size_t>(b.lineCount) + lineCount(input)) {
            std::abort();
        }
        return 0;
    }

    const RepertoryTables& loaded = reader.data().tables();
    if (!holdsInvariants(loaded, false)) {
        std::abort();
    }
    // The dump has the built-in's lines but for the held-out ones, and those
    // read on from the base give the same tables again.
    std::string tail;
    if (!heldOutOfDump(dumpContent(reader.data()), tail)) {
        std::fprintf(stderr, "the dump changes records the input did not hold\n");
        std::abort();
    }
    static ContentReader reloaded;
    reloaded = b.reader;
    ContentError reloadError;
    if (!reloaded.read(tail, reloadError) || !reloaded.finish(reloadError)) {
        std::fprintf(stderr, "the dump does not reload: %s\n", reloadError.message().c_str());
        std::abort();
    }
    if (!sameTables(reloaded.data().tables(), loaded)) {
        std::abort();
    }
    return 0;
}
