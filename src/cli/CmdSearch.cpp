#include "cli/Commands.h"
#include "search/RemedySearch.h"
#include "search/TextSearch.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

namespace tessalyn::cli {

namespace {

constexpr const char* kChapterMessage = "--chapter erwartet eine Kapitelnummer von 0 bis 31";
constexpr int kLastChapter = 31;

void printSearchHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli search [--chapter C] [--] TEXT\n"
           "Textuelle Symptomsuche nach TEXT (wie in \"Suchtext\" getippt) in allen\n"
           "Kapiteln oder nur in Kapitel C (0 bis 31). Gibt die Titelzeile aus, dann je\n"
           "Fundstelle Nummer, Symptom und Kapitel, durch Tabulatoren getrennt.\n"
           "Ein leerer TEXT listet jede Rubrik des Bereichs.\n";
}

struct SearchOptions {
    int chapter = kAllChapters;
};

int search(Context& ctx, const SearchOptions& options, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ctx.usageError("search erwartet genau einen Suchtext (leer: \"\")");
    }
    TextSearch search(ctx.data);
    search.setChapterFilter(options.chapter);
    search.setSearchText(ctx.text(args[0]));
    search.search();
    std::string out = search.caption();
    out += '\n';
    for (const TextSearchRow& row : search.rows()) {
        out += row.numberText;
        out += '\t';
        out += row.symptomText;
        out += '\t';
        out += row.locationText;
        out += '\n';
    }
    ctx.print(out);
    return kExitOk;
}

Runner defineSearch(CLI::App& app) {
    auto options = std::make_shared<SearchOptions>();
    addIntOption(app, "--chapter", options->chapter, 0, kLastChapter, kChapterMessage);
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
    const bool fourthColumn = search.columnCount() == 4;
    std::string out = search.caption();
    out += '\n';
    for (const RemedyRow& row : search.rows()) {
        out += row.numberText;
        out += '\t';
        out += row.symptomText;
        out += '\t';
        out += row.locationText;
        if (fourthColumn) {
            out += '\t';
            out += row.otherRemedies;
        }
        out += '\n';
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

} // namespace

Command searchCommand() {
    return {"search", "Textsuche: Rubriken, die alle Wörter des Suchtexts enthalten",
            printSearchHelp, defineSearch};
}

Command remedyCommand() {
    return {"remedy", "Mittelübersicht: Rubriken, in denen ein Mittel steht", printRemedyHelp,
            defineRemedy};
}

} // namespace tessalyn::cli
