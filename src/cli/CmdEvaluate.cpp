#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "case/ResultTable.h"
#include "cli/Commands.h"
#include "table/TableLogic.h"

#include <CLI/CLI.hpp>

#include <memory>
#include <string>

namespace tessalyn::cli {

namespace {

void printHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli evaluate [--mode 0|1|2] [--summary|--table] [--] EINTRAG...\n"
           "Schreibt jeden EINTRAG der Reihe nach in die Eingabezeile der Symptomliste, wie\n"
           "beim Tippen (\"12\", \"-40\", \"12+34\", \"12 BD 3\", \"abc\"), und wertet den Fall\n"
           "aus wie \"Berechnen\".\n"
           "\n"
           "  --mode N    Gegenpolaritäten: 0 unmittelbar auflisten, 1 am Ende auflisten\n"
           "              (Vorgabe), 2 keine auflisten\n"
           "  --summary   nur lastScoreIndex, separatorRow und entries ausgeben\n"
           "  --table     die Ergebnistabelle ausgeben, Zellen durch Tabulatoren getrennt\n"
           "  --          beendet die Optionen; alles andere ist ein Eintrag\n"
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
            text += table.rawCellText(r, c);
        }
        text += '\n';
    }
    ctx.print(text);
}

struct EvaluateOptions {
    int mode = static_cast<int>(PolarityMode::AtEnd);
    bool summary = false;
    bool table = false;
};

int evaluate(Context& ctx, const EvaluateOptions& options, const std::vector<std::string>& args) {
    if (options.summary && options.table) {
        return ctx.usageError("--summary und --table schließen sich aus");
    }
    const std::vector<std::string> items = ctx.texts(args);

    Case theCase;
    auto grid = std::make_unique<CaseGrid>(ctx.data, theCase);
    grid->initialise();
    grid->setPolarityMode(static_cast<PolarityMode>(options.mode));
    for (const std::string& item : items) {
        // Typing into the trailing input row, or into the last row of a full list.
        grid->setCellText(theCase.count(), 0, item);
    }

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
