#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "case/ResultTable.h"
#include "cli/Commands.h"
#include "cli/TypedCase.h"
#include "table/TableLogic.h"

#include <CLI/CLI.hpp>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn::cli {

namespace {

void printHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli evaluate [--weight N=W]... [--eliminate N]...\n"
           "                             [--mode 0|1|2] [--summary|--table] [--] EINTRAG...\n"
           "Schreibt jeden EINTRAG der Reihe nach in die Eingabezeile der Symptomliste, wie\n"
           "beim Tippen (\"12\", \"-40\", \"12+34\", \"12 BD 3\", \"abc\"), und wertet den Fall\n"
           "aus wie \"Berechnen\".\n"
           "\n"
           "  --weight N=W    Gewichtung W (0 bis 4, Vorgabe 1) für jeden Eintrag mit der\n"
           "                  Rubriknummer N (1 bis 8385); er zählt W-mal, 0 gar nicht\n"
           "  --eliminate N   jeden Eintrag mit der Rubriknummer N eliminierend machen: nur\n"
           "                  Mittel dieser Rubrik bleiben in der Rangfolge\n"
           "  --mode N        Gegenpolaritäten: 0 unmittelbar auflisten, 1 am Ende\n"
           "                  auflisten (Vorgabe), 2 keine auflisten\n"
           "  --summary       nur lastScoreIndex, separatorRow und entries ausgeben\n"
           "  --table         die Ergebnistabelle ausgeben, Zellen durch Tabulatoren\n"
           "                  getrennt; Gewichtungen stehen als \"×2\", eliminierende\n"
           "                  Einträge als \"[E]\" hinter dem Zeilentext\n"
           "  --              beendet die Optionen; alles andere ist ein Eintrag\n"
           "\n"
           "--weight und --eliminate wirken nur auf positive Einträge und dürfen mehrfach\n"
           "und überall vor -- stehen; bei mehreren --weight für dieselbe Nummer gilt das\n"
           "letzte.\n"
           "\n"
           "Ohne --summary und --table: je Mittel mit Treffern eine Zeile in Rangfolge mit\n"
           "Abkürzung, Treffern, Gradsumme und Polaritätsdifferenz.\n"
           "Ohne Einträge findet keine Auswertung statt (nur --summary gibt etwas aus).\n";
}

void printRanking(Context& ctx, const EvaluationResult& result) {
    std::string text;
    for (int c = 0; c <= result.lastScoreIndex; ++c) {
        const RemedyScore& s = result.scores[static_cast<std::size_t>(c)];
        text += ctx.data.abbreviation(s.remedy);
        text += '\t';
        text += std::to_string(s.hits);
        text += '\t';
        text += std::to_string(s.gradeSum);
        text += '\t';
        text += std::to_string(s.polarityDifference);
        text += '\n';
    }
    ctx.print(text);
}

void printTable(Context& ctx, const EvaluationResult& result) {
    TableLogic table;
    fillResultTable(table, result);
    std::string text;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            if (c > 0) {
                text += '\t';
            }
            text += table.cellTextWithMarks(r, c);
        }
        text += '\n';
    }
    ctx.print(text);
}

struct EvaluateOptions {
    int mode = static_cast<int>(PolarityMode::AtEnd);
    bool summary = false;
    bool table = false;
    std::vector<std::string> weights;   // "N=W", as given
    std::vector<std::string> eliminate; // "N", as given
};

// Weight and mark of every rubric number the options name.
struct RubricMarks {
    std::map<std::int32_t, std::int32_t> weights;
    std::set<std::int32_t> eliminating;
};

// Reads the --weight and --eliminate values; a malformed one is a wrong call.
RubricMarks readMarks(const EvaluateOptions& options) {
    RubricMarks marks;
    for (const std::string& pair : options.weights) {
        const std::size_t equals = pair.find('=');
        if (equals == std::string::npos || equals == 0 || equals + 1 == pair.size() ||
            pair.find('=', equals + 1) != std::string::npos) {
            throw UsageError("--weight erwartet NUMMER=GEWICHT (etwa 12=2), nicht " + pair);
        }
        const int number = intArgument(std::string_view(pair).substr(0, equals), 1, kRubricCount,
                                       "--weight erwartet eine Rubriknummer von 1 bis 8385");
        const int weight = intArgument(std::string_view(pair).substr(equals + 1), kMinWeight,
                                       kMaxWeight, "--weight erwartet eine Gewichtung von 0 bis 4");
        marks.weights[number] = weight;
    }
    for (const std::string& text : options.eliminate) {
        marks.eliminating.insert(intArgument(
            text, 1, kRubricCount, "--eliminate erwartet eine Rubriknummer von 1 bis 8385"));
    }
    return marks;
}

// Gives every positive entry the weight and mark its rubric number was given.
void applyMarks(CaseGrid& grid, const Case& theCase, const RubricMarks& marks) {
    if (marks.weights.empty() && marks.eliminating.empty()) {
        return;
    }
    for (int i = 0; i < theCase.count(); ++i) {
        const std::int32_t number = theCase.entry(i).number;
        if (number <= 0) {
            continue;
        }
        const auto weight = marks.weights.find(number);
        grid.setEntryMarks(i + 1, weight == marks.weights.end() ? kDefaultWeight : weight->second,
                           marks.eliminating.count(number) != 0);
    }
}

int evaluate(Context& ctx, const EvaluateOptions& options, const std::vector<std::string>& args) {
    if (options.summary && options.table) {
        return ctx.usageError("--summary und --table schließen sich aus");
    }
    const RubricMarks marks = readMarks(options);

    Case theCase;
    auto grid = typeCase(ctx, theCase, static_cast<PolarityMode>(options.mode), args);
    applyMarks(*grid, theCase, marks);

    EvaluationResult result;
    const bool evaluated = grid->evaluate(result);

    if (options.summary) {
        ctx.out << "lastScoreIndex " << result.lastScoreIndex << "\n"
                << "separatorRow " << result.separatorRow << "\n"
                << "entries " << result.entryCount() << "\n";
    } else if (options.table) {
        if (evaluated) {
            printTable(ctx, result);
        }
    } else {
        printRanking(ctx, result);
    }
    return kExitOk;
}

Runner define(CLI::App& app) {
    auto options = std::make_shared<EvaluateOptions>();
    addIntOption(app, "--mode", options->mode, 0, 2, "--mode erwartet 0, 1 oder 2");
    app.add_flag("--summary", options->summary);
    app.add_flag("--table", options->table);
    addRepeatedOption(app, "--weight", options->weights);
    addRepeatedOption(app, "--eliminate", options->eliminate);
    return [options](Context& ctx, std::vector<std::string>& args) {
        return evaluate(ctx, *options, args);
    };
}

} // namespace

Command evaluateCommand() {
    return {"evaluate", "Fall aus EINTRÄGEN bilden und auswerten wie \"Berechnen\"", printHelp,
            define};
}

} // namespace tessalyn::cli
