#include "cli/Commands.h"
#include "data/Cp1252.h"
#include "search/Folding.h"
#include "search/RemedySearch.h"
#include "search/TextSearch.h"
#include "search/Vocabulary.h"

#include <CLI/CLI.hpp>

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace tessalyn::cli {

namespace {

constexpr const char* kChapterMessage = "--chapter erwartet eine Kapitelnummer von 0 bis 31";
constexpr int kLastChapter = 31;

void printSearchHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli search [--german] [--chapter C] [--] TEXT\n"
           "Textuelle Symptomsuche nach TEXT (wie in \"Suchtext\" getippt) in allen\n"
           "Kapiteln oder nur in Kapitel C (0 bis 31). Gibt die Titelzeile aus, dann je\n"
           "Fundstelle Nummer, Symptom und Kapitel, durch Tabulatoren getrennt.\n"
           "Ein leerer TEXT listet jede Rubrik des Bereichs.\n"
           "--german übersetzt deutsche Suchwörter wie \"Deutsche Suchwörter übersetzen\"\n"
           "im Programm (\"Kopfschmerz nachts\" sucht nach \"headache night\", jeweils am\n"
           "Wortanfang; zuerst die Treffer mit allen Wörtern im Symptomtext) und\n"
           "nennt jede Übersetzung auf der Standardfehlerausgabe. Ohne --german wird\n"
           "jedes Wort genau wie eingegeben gesucht.\n";
}

struct SearchOptions {
    int chapter = kAllChapters;
    bool german = false;
};

// A vocabulary entry as data/vocabulary.txt writes it, in UTF-8:
// "Kopfschmerz, Kopfschmerzen → headache, head + pain".
std::string entryLine(const VocabularyEntry& entry) {
    std::string german;
    for (const std::string& word : entry.german) {
        german += (german.empty() ? "" : ", ") + word;
    }
    std::string english;
    for (const std::vector<std::string>& alternative : entry.english) {
        english += english.empty() ? "" : ", ";
        for (std::size_t i = 0; i < alternative.size(); ++i) {
            english += (i == 0 ? "" : " + ") + alternative[i];
        }
    }
    return cp1252ToUtf8(german) + " → " + (entry.ignored() ? "-" : cp1252ToUtf8(english));
}

// One line of a result table: the cells separated by tabulators.
void appendRow(std::string& out, std::span<const std::string_view> cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) {
            out += '\t';
        }
        out += cells[i];
    }
    out += '\n';
}

int search(Context& ctx, const SearchOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ctx.usageError("search erwartet genau einen Suchtext (leer: \"\")");
    }
    TextSearch search(ctx.data);
    search.setChapterFilter(options.chapter);
    search.setVocabulary(options.german ? &builtInVocabulary() : nullptr);
    search.setSearchText(ctx.text(args[0]));
    search.search();
    for (const WordTranslation& t : search.translations()) {
        ctx.err << (t.english.empty()
                        ? "Übergangen: " + cp1252ToUtf8(t.german)
                        : "Übersetzt: " + cp1252ToUtf8(t.german) + " → " + cp1252ToUtf8(t.english))
                << '\n';
    }
    std::string out = search.caption();
    out += '\n';
    for (const TextSearchRow& row : search.rows()) {
        const std::array<std::string_view, 3> cells{row.numberText, row.symptomText,
                                                    row.locationText};
        appendRow(out, cells);
    }
    ctx.print(out);
    return kExitOk;
}

Runner defineSearch(CLI::App& app) {
    auto options = std::make_shared<SearchOptions>();
    addIntOption(app, "--chapter", options->chapter, 0, kLastChapter, kChapterMessage);
    app.add_flag("--german", options->german);
    return [options](Context& ctx, std::vector<std::string>& args) {
        return search(ctx, *options, args);
    };
}

void printRemedyHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli remedy [--chapter C] [--size MIN MAX] [--others]\n"
           "                            [--] MITTEL\n"
           "Mittelübersicht: jede Rubrik, in der das Mittel steht (Kürzel wie in\n"
           "\"Mittel\" getippt, der Punkt darf fehlen), in allen Kapiteln oder nur in\n"
           "Kapitel C (0 bis 31). --size MIN MAX (0 bis 99) listet nur Rubriken mit\n"
           "MIN bis MAX Mitteln; mit --size und --others kommt die Spalte \"Andere\n"
           "Mittel\" hinzu. Gibt die Titelzeile aus, dann je Zeile die Zellen, durch\n"
           "Tabulatoren getrennt.\n";
}

struct RemedyOptions {
    int chapter = kAllChapters;
    bool sizeGiven = false;
    int minimum = 0;
    int maximum = 0;
    bool others = false;
};

int remedy(Context& ctx, const RemedyOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ctx.usageError("remedy erwartet genau ein Mittel");
    }
    RemedySearch search(ctx.data);
    search.chapterFilter = options.chapter;
    search.sizeFilter = {options.sizeGiven, options.minimum, options.maximum};
    search.otherRemedies = options.others;
    search.remedyText = ctx.text(args[0]);
    search.run();
    const std::size_t columns = search.columnCount() == 4 ? 4 : 3;
    std::string out = search.caption();
    out += '\n';
    for (const RemedyRow& row : search.rows()) {
        const std::array<std::string_view, 4> cells{row.numberText, row.symptomText,
                                                    row.locationText, row.otherRemedies};
        appendRow(out, std::span(cells).first(columns));
    }
    ctx.print(out);
    return kExitOk;
}

Runner defineRemedy(CLI::App& app) {
    auto options = std::make_shared<RemedyOptions>();
    addIntOption(app, "--chapter", options->chapter, 0, kLastChapter, kChapterMessage);
    app.add_option_function<std::vector<std::string>>(
           "--size",
           [o = options.get()](const std::vector<std::string>& values) {
               static const char* const kMessage =
                   "--size erwartet zwei ganze Zahlen MIN MAX von 0 bis 99";
               if (values.size() != 2) {
                   throw UsageError(kMessage);
               }
               o->minimum = intArgument(values[0], 0, kMaxSizeFieldValue, kMessage);
               o->maximum = intArgument(values[1], 0, kMaxSizeFieldValue, kMessage);
               o->sizeGiven = true;
           })
        ->expected(2);
    app.add_flag("--others", options->others);
    return [options](Context& ctx, std::vector<std::string>& args) {
        return remedy(ctx, *options, args);
    };
}

void printVocabularyHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli vocabulary [--] [WORT]\n"
           "Das deutsch-englische Suchwörterbuch der Textsuche (search --german,\n"
           "\"Deutsche Suchwörter übersetzen\"), eine Zeile je Eintrag:\n"
           "  deutsche Wörter → englische Suchwörter\n"
           "Mit \" + \" verbundene Wörter müssen alle vorkommen, \"-\" heißt: wird\n"
           "übergangen. Mit WORT nur der Eintrag, den die Suche für WORT nimmt (auch\n"
           "für den Anfang eines Wortes ab vier Buchstaben), oder die Einträge, deren\n"
           "Wörter so beginnen. Rückgabewert 1, wenn kein Eintrag passt.\n";
}

int vocabulary(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() > 1) {
        return ctx.usageError("vocabulary erwartet höchstens ein Wort");
    }
    const Vocabulary& v = builtInVocabulary();
    std::string out;
    if (args.empty()) {
        for (const VocabularyEntry& entry : v.entries()) {
            out += entryLine(entry) + '\n';
        }
        ctx.out << out;
        return kExitOk;
    }
    const std::string word = ctx.text(args[0]);
    const std::string folded = foldForSearch(word);
    if (const VocabularyMatch m = v.lookUp(folded)) {
        if (m.prefix) {
            out += cp1252ToUtf8(word) + ": Anfang von \"" + cp1252ToUtf8(m.german) + "\"\n";
        }
        ctx.out << out << entryLine(*m.entry) << '\n';
        return kExitOk;
    }
    const std::vector<const VocabularyEntry*> entries = v.entriesStartingWith(folded);
    if (entries.empty()) {
        ctx.err << "tessalyn-cli: \"" << cp1252ToUtf8(word) << "\" steht nicht im Suchwörterbuch\n";
        return kExitFailure;
    }
    out += cp1252ToUtf8(word) + ": Anfang von Wörtern mehrerer Einträge (die Suche übersetzt es "
                                "erst, wenn es eindeutig ist)\n";
    for (const VocabularyEntry* entry : entries) {
        out += entryLine(*entry) + '\n';
    }
    ctx.out << out;
    return kExitOk;
}

Runner defineVocabulary(CLI::App&) {
    return [](Context& ctx, std::vector<std::string>& args) { return vocabulary(ctx, args); };
}

} // namespace

Command vocabularyCommand() {
    return {"vocabulary", "Suchwörterbuch: deutsche Wörter und ihre englischen Suchwörter",
            printVocabularyHelp, defineVocabulary};
}

Command searchCommand() {
    return {"search", "Textsuche: Rubriken, die alle Wörter des Suchtexts enthalten",
            printSearchHelp, defineSearch};
}

Command remedyCommand() {
    return {"remedy", "Mittelübersicht: Rubriken, in denen ein Mittel steht", printRemedyHelp,
            defineRemedy};
}

} // namespace tessalyn::cli
