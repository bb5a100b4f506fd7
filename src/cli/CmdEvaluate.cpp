#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "case/ResultTable.h"
#include "cli/Commands.h"
#include "table/TableLogic.h"

#include <memory>
#include <string>

namespace tessalyn::cli {

namespace {

enum class Output { Ranking, Summary, Table };

void printHelp(Context& ctx) {
    ctx.out
        << "Aufruf: tessalyn-cli evaluate [--mode 0|1|2] [--summary|--table] [--] EINTRAG...\n"
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

} // namespace

int cmdEvaluate(Context& ctx, std::vector<std::string>& args) {
    PolarityMode mode = PolarityMode::AtEnd;
    Output output = Output::Ranking;
    bool outputGiven = false;
    std::vector<std::string> items;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded) {
            items.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
        } else if (a == "--help" || a == "-h") {
            printHelp(ctx);
            return kExitOk;
        } else if (a == "--mode" || a.rfind("--mode=", 0) == 0) {
            std::string value;
            if (a == "--mode") {
                if (i + 1 >= args.size()) {
                    return ctx.usageError("--mode braucht einen Wert 0, 1 oder 2");
                }
                value = args[++i];
            } else {
                value = a.substr(7);
            }
            int number = 0;
            if (!parseIntArgument(value, number) || number < 0 || number > 2) {
                return ctx.usageError("--mode erwartet 0, 1 oder 2, nicht " + value);
            }
            mode = static_cast<PolarityMode>(number);
        } else if (a == "--summary" || a == "--table") {
            const Output wanted = a == "--summary" ? Output::Summary : Output::Table;
            if (outputGiven && output != wanted) {
                return ctx.usageError("--summary und --table schlie\xDF"
                                      "en sich aus");
            }
            output = wanted;
            outputGiven = true;
        } else {
            items.push_back(a);
        }
    }

    Case theCase;
    auto grid = std::make_unique<CaseGrid>(ctx.data, theCase);
    grid->initialise();
    grid->setPolarityMode(mode);
    for (const std::string& item : items) {
        // Typing into the trailing input row, or into the last row of a full list.
        grid->setCellText(theCase.count(), 0, item);
    }

    EvaluationResult result;
    const bool evaluated = grid->evaluate(result);

    switch (output) {
    case Output::Summary:
        ctx.out << "lastScoreIndex " << result.lastScoreIndex << "\n"
                << "separatorRow " << result.separatorRow << "\n"
                << "entries " << result.entryCount() << "\n";
        break;
    case Output::Table:
        if (evaluated) {
            printTable(ctx, result);
        }
        break;
    case Output::Ranking:
        printRanking(ctx, result);
        break;
    }
    return kExitOk;
}

} // namespace tessalyn::cli
