// libFuzzer target for the content loader: any text is either refused, with
// the line and the rule named and the tables left as they were, or loaded; a
// loaded content holds every invariant the program relies on, and its dump
// reloads to the same tables and the same dump.
//
// A whole content has 11,090 records, far more than a fuzzer builds from
// nothing, so an input may also name one line of the built-in content to
// change:
//   "@N\n" followed by text: the text replaces line N of the built-in dump;
//   "+N\n" followed by text: the text goes in before line N.
// N counts from 1; 0 or a number past the last line puts the text at the end.
// Any other input is the whole content text.
#include "FuzzContent.h"
#include "data/ContentLoader.h"
#include "data/Cp1252.h"

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

// The dump of the built-in content and where each of its lines starts; the
// last offset is the end of the text.
struct BuiltInDump {
    std::string text;
    std::vector<std::size_t> lineStarts;
};

const BuiltInDump& builtInDump() {
    static const BuiltInDump dump = [] {
        BuiltInDump d;
        d.text = dumpContent(builtIn());
        d.lineStarts.push_back(0);
        for (std::size_t i = 0; i < d.text.size(); ++i) {
            if (d.text[i] == '\n') {
                d.lineStarts.push_back(i + 1);
            }
        }
        return d;
    }();
    return dump;
}

// Builds the text to load from the input: a change to one line of the
// built-in dump, or the input itself.
std::string contentText(std::string_view input) {
    if (input.size() < 3 || (input[0] != '@' && input[0] != '+')) {
        return std::string(input);
    }
    std::size_t i = 1;
    std::size_t line = 0;
    while (i < input.size() && i <= 6 && input[i] >= '0' && input[i] <= '9') {
        line = line * 10 + static_cast<std::size_t>(input[i] - '0');
        ++i;
    }
    if (i == 1 || i >= input.size() || input[i] != '\n') {
        return std::string(input);
    }
    const bool replace = input[0] == '@';
    const std::string_view change = input.substr(i + 1);

    const BuiltInDump& dump = builtInDump();
    const std::size_t lineCount = dump.lineStarts.size() - 1;
    if (line == 0 || line > lineCount) {
        line = lineCount + 1;
    }
    const std::size_t cut = dump.lineStarts[line - 1];
    const std::size_t resume = replace && line <= lineCount ? dump.lineStarts[line] : cut;
    std::string text;
    text.reserve(dump.text.size() + change.size() + 1);
    text.append(dump.text, 0, cut);
    text.append(change);
    text += '\n';
    text.append(dump.text, resume, std::string::npos);
    return text;
}

// Lines of a text, counted with memchr: a byte loop here would be traced by
// the fuzzer's instrumentation over more than a megabyte on every run.
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
// loader's help.
bool holdsInvariants(const RepertoryTables& t) {
    for (int i = 0; i < kRemedyCount; ++i) {
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
    for (const Rubric& r : t.rubrics) {
        if (!hasNul(r.text, kRubricTextSize) || r.firstEntry != next || r.entryCount < 0 ||
            r.entryCount > kEntryCount - next || r.oppositeNumber < -kRubricCount ||
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
        next += r.entryCount;
    }
    return next == kEntryCount;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text =
        contentText(std::string_view(reinterpret_cast<const char*>(data), size));

    // Kept across runs and set back to the built-in content after a load.
    static RepertoryData target = builtIn();
    ContentError error;
    if (!loadContent(text, target, error)) {
        if (error.rule.empty() || error.line < 0 ||
            static_cast<std::size_t>(error.line) > lineCount(text) ||
            !sameTables(target.tables(), builtIn().tables())) {
            std::abort();
        }
        return 0;
    }

    if (!holdsInvariants(target.tables())) {
        std::abort();
    }
    const std::string dump = dumpContent(target);
    static RepertoryData reloaded;
    ContentError reloadError;
    if (!loadContent(dump, reloaded, reloadError)) {
        std::fprintf(stderr, "the dump does not reload: %s\n", reloadError.message().c_str());
        std::abort();
    }
    // Equal tables also give the same dump.
    if (!sameTables(reloaded.tables(), target.tables())) {
        std::abort();
    }
    target = builtIn();
    return 0;
}
