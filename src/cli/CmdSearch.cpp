#include "cli/Commands.h"
#include "search/RemedySearch.h"
#include "search/TextSearch.h"

#include <string>

namespace tessalyn::cli {

namespace {

// Reads "--chapter C" at args[i]; false (after reporting) when C is no chapter.
bool readChapterOption(Context& ctx, const std::vector<std::string>& args, std::size_t& i,
                       int& chapter, int& rc) {
    if (i + 1 >= args.size() || !parseIntArgument(args[i + 1], chapter) || chapter < 0 ||
        chapter >= ctx.data.chapterCount()) {
        rc = ctx.usageError("--chapter erwartet eine Kapitelnummer von 0 bis 31");
        return false;
    }
    ++i;
    return true;
}

} // namespace

int cmdSearch(Context& ctx, std::vector<std::string>& args) {
    int chapter = kAllChapters;
    std::vector<std::string> texts;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.empty() || a[0] != '-' || a == "-") {
            texts.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--help" || a == "-h") {
            ctx.out
                << "Aufruf: tessalyn-cli search [--chapter C] [--] TEXT\n"
                   "Textuelle Symptomsuche nach TEXT (wie in \"Suchtext\" getippt) in allen\n"
                   "Kapiteln oder nur in Kapitel C (0 bis 31). Gibt die Titelzeile aus, dann je\n"
                   "Fundstelle Nummer, Symptom und Kapitel, durch Tabulatoren getrennt.\n"
                   "Ein leerer TEXT listet jede Rubrik des Bereichs.\n";
            return kExitOk;
        } else if (a == "--chapter") {
            int rc = kExitOk;
            if (!readChapterOption(ctx, args, i, chapter, rc)) {
                return rc;
            }
        } else {
            return ctx.usageError("search: unbekannte Option " + a);
        }
    }
    if (texts.size() != 1) {
        return ctx.usageError("search erwartet genau einen Suchtext (leer: \"\")");
    }

    TextSearch search(ctx.data);
    search.setChapterFilter(chapter);
    search.setSearchText(texts[0]);
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

int cmdRemedy(Context& ctx, std::vector<std::string>& args) {
    RemedySearch search(ctx.data);
    search.otherRemedies = false;
    std::vector<std::string> texts;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.empty() || a[0] != '-' || a == "-") {
            texts.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--help" || a == "-h") {
            ctx.out << "Aufruf: tessalyn-cli remedy [--chapter C] [--size MIN MAX] [--others]\n"
                       "                            [--] MITTEL\n"
                       "Mittelübersicht: jede Rubrik, in der das Mittel steht (Kürzel wie in\n"
                       "\"Mittel\" getippt, der Punkt darf fehlen), in allen Kapiteln oder nur in\n"
                       "Kapitel C (0 bis 31). --size MIN MAX (0 bis 99) listet nur Rubriken mit\n"
                       "MIN bis MAX Mitteln; mit --size und --others kommt die Spalte \"Andere\n"
                       "Mittel\" hinzu. Gibt die Titelzeile aus, dann je Zeile die Zellen, durch\n"
                       "Tabulatoren getrennt.\n";
            return kExitOk;
        } else if (a == "--chapter") {
            int rc = kExitOk;
            if (!readChapterOption(ctx, args, i, search.chapterFilter, rc)) {
                return rc;
            }
        } else if (a == "--size") {
            int minimum = 0;
            int maximum = 0;
            if (i + 2 >= args.size() || !parseIntArgument(args[i + 1], minimum) ||
                !parseIntArgument(args[i + 2], maximum) || minimum < 0 ||
                minimum > kMaxSizeFieldValue || maximum < 0 || maximum > kMaxSizeFieldValue) {
                return ctx.usageError("--size erwartet zwei ganze Zahlen MIN MAX von 0 bis 99");
            }
            search.sizeFilter = {true, minimum, maximum};
            i += 2;
        } else if (a == "--others") {
            search.otherRemedies = true;
        } else {
            return ctx.usageError("remedy: unbekannte Option " + a);
        }
    }
    if (texts.size() != 1) {
        return ctx.usageError("remedy erwartet genau ein Mittel");
    }

    search.remedyText = texts[0];
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

} // namespace tessalyn::cli
