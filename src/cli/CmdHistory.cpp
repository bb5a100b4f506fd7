#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "cli/Commands.h"
#include "cli/TypedCase.h"
#include "data/Cp1252.h"
#include "history/CaseHistory.h"
#include "history/CaseName.h"
#include "history/HistoryBackup.h"
#include "history/HistoryTransaction.h"

#include <CLI/CLI.hpp>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tessalyn::cli {

namespace {

void printHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli history show DATEI [--sort name|date]\n"
           "  oder: tessalyn-cli history add DATEI [--date \"TT.MM.JJJJ HH:MM\"]\n"
           "                                 NAME KOMMENTAR EINTRAG...\n"
           "  oder: tessalyn-cli history remove DATEI FALL [BEHANDLUNG]\n"
           "  oder: tessalyn-cli history export DATEI ZIEL\n"
           "\n"
           "show    gibt die Fallhistorie aus wie der Baum im Dialog \"Fallhistorie\":\n"
           "        je Fall eine Zeile mit dem Namen, je Behandlung ein Tabulator und\n"
           "        Datum (Kommentar), je Symptom zwei Tabulatoren und die Nummer,\n"
           "        \" BD n\" bei BD-Wert n <> 0. --sort sortiert vorher nach Name oder\n"
           "        nach dem Datum der letzten Behandlung. Ein Zeilenumbruch im\n"
           "        Kommentar erscheint wie im Dialog als Leerzeichen; andere\n"
           "        Steuerzeichen in Namen und Kommentaren stehen sichtbar da als \\r, \\n,\n"
           "        \\t oder \\xHH, und ein \\ vor r, n, t, x, \\ oder einem Steuerzeichen\n"
           "        wird verdoppelt.\n"
           "add     legt den Fall aus den EINTRÄGEN (wie bei \"evaluate\" getippt und wie\n"
           "        beim Berechnen vorbereitet) als neue Behandlung unter NAME ab und\n"
           "        speichert. Ohne --date gilt die aktuelle Zeit. NAME wird ohne\n"
           "        Leerzeichen am Anfang und Ende abgelegt; Zeilenumbrüche und andere\n"
           "        Steuerzeichen darf er nicht enthalten. Zeilenumbrüche im KOMMENTAR\n"
           "        bleiben in der Datei erhalten.\n"
           "remove  löscht den Fall FALL (Groß-/Kleinschreibung egal) oder nur seine\n"
           "        Behandlung mit der Nummer BEHANDLUNG (ab 0) und speichert.\n"
           "export  schreibt die Fallhistorie nach ZIEL.\n"
           "\n"
           "Eine fehlende oder leere DATEI gilt als leere Fallhistorie. Eine DATEI mit\n"
           "Syntaxfehler wird nie überschrieben: add, remove und export enden dann mit 1.\n"
           "Eine DATEI, die sich nicht lesen lässt, ebenso; auch show endet dann mit 1.\n"
           "Wer die DATEI ändert, sperrt sie; ein zweites Programm wartet bis zu 10\n"
           "Sekunden und meldet dann, dass nichts geändert wurde.\n";
}

// The core's texts are Windows-1252 while a file name is the system's bytes,
// which need not be text in any code page: the core builds its message around
// this placeholder, and the name goes in after the conversion to UTF-8.
const std::string kFileNamePlaceholder = "\x01";

std::string withFileName(const std::string& cp1252Message, const std::string& file) {
    std::string text = cp1252ToUtf8(cp1252Message);
    for (std::size_t p = text.find(kFileNamePlaceholder); p != std::string::npos;
         p = text.find(kFileNamePlaceholder, p + file.size())) {
        text.replace(p, kFileNamePlaceholder.size(), file);
    }
    return text;
}

// Loads FILE. Returns false (after printing why) when the file exists but
// could not be read whole: such a history is shown, never written back.
bool loadHistory(Context& ctx, const std::string& file, CaseHistory& history) {
    CollectingHistoryReporter reporter;
    history.load(file, &reporter, kFileNamePlaceholder);
    switch (history.loadStatus()) {
    case HistoryLoadStatus::Ok:
    case HistoryLoadStatus::NoFile:
        return true;
    case HistoryLoadStatus::SyntaxError:
        for (const std::string& message : reporter.messages()) {
            ctx.err << withFileName(message, file);
        }
        return false;
    case HistoryLoadStatus::ReadError:
        ctx.err << "tessalyn-cli: Die Fallhistorie " << file
                << " konnte nicht gelesen werden: " << cp1252ToUtf8(history.readError()) << "\n";
        return false;
    case HistoryLoadStatus::OtherError:
        ctx.err << "tessalyn-cli: Die Fallhistorie konnte nicht gelesen werden: " << file << "\n";
        return false;
    }
    return false;
}

int refuseBrokenFile(Context& ctx, const std::string& file) {
    ctx.err << "tessalyn-cli: " << file << " ist fehlerhaft und bleibt unverändert\n";
    return kExitFailure;
}

// Changes FILE in one transaction under its lock, which the desktop program
// takes too, so that no change of either gets lost. A file with a syntax
// error is never rewritten here: its messages are printed and it stays as it
// is. `consequence` tells what a failure means ("Der Fall wurde nicht
// abgelegt."). Returns the exit code.
int changeHistory(Context& ctx, const std::string& file, const HistoryChange& change,
                  std::string_view consequence) {
    CollectingHistoryReporter reporter;
    HistoryChangeOptions options(BrokenHistoryPolicy::Refuse);
    options.lockWait = std::chrono::seconds(10);
    options.displayName = kFileNamePlaceholder;
    options.reporter = &reporter;
    const HistoryChangeResult result = changeHistoryFile(file, change, options);
    if (result.status == HistoryChangeStatus::Broken) {
        for (const std::string& message : reporter.messages()) {
            ctx.err << withFileName(message, file);
        }
        return refuseBrokenFile(ctx, file);
    }
    if (result.failed()) {
        ctx.err << "tessalyn-cli: "
                << withFileName(
                       historyChangeFailureText(result, kFileNamePlaceholder, consequence, " "),
                       file)
                << "\n";
        return kExitFailure;
    }
    if (const std::string failure = takeHistoryBackupFailure(); !failure.empty()) {
        ctx.err << "tessalyn-cli: Warnung: keine Sicherungskopie der Fallhistorie angelegt ("
                << cp1252ToUtf8(failure) << "); die Änderung ist trotzdem gespeichert\n";
    }
    return kExitOk;
}

// Writes the history to `target`.
int exportOrReport(Context& ctx, CaseHistory& history, const std::string& target) {
    if (!history.saveAs(target)) {
        ctx.err << "tessalyn-cli: " << withFileName(saveFailedMessage(kFileNamePlaceholder), target)
                << " (" << cp1252ToUtf8(history.saveError()) << ")\n";
        return kExitFailure;
    }
    return kExitOk;
}

int show(Context& ctx, const std::string& sort, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ctx.usageError("history show erwartet DATEI [--sort name|date]");
    }
    const std::string& file = args[0];
    CaseHistory history;
    const bool whole = loadHistory(ctx, file, history);
    if (history.loadStatus() == HistoryLoadStatus::ReadError) {
        return kExitFailure;
    }
    if (!sort.empty()) {
        history.sortCases(sort == "name");
    }
    // Control characters are written visibly: a name or comment never breaks
    // the tree's lines nor speaks to the terminal.
    std::string text;
    for (const auto& c : history.cases()) {
        text += withVisibleControls(c->name);
        text += '\n';
        for (const auto& t : c->treatments) {
            text += '\t';
            text += withVisibleControls(treatmentLabel(*t));
            text += '\n';
            for (const SymptomRef& s : t->symptoms) {
                text += "\t\t";
                text += std::to_string(s.number);
                if (s.bd != 0) {
                    text += " BD ";
                    text += std::to_string(s.bd);
                }
                text += '\n';
            }
        }
    }
    ctx.print(text);
    return whole ? kExitOk : kExitFailure;
}

// "DD.MM.YYYY HH:MM" with digits where digits belong.
bool isDateText(const std::string& text) {
    static const std::string pattern = "99.99.9999 99:99";
    if (text.size() != pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i]) {
            return false;
        }
    }
    return true;
}

// A line feed typed into the argument is a line break of the comment, which
// the history keeps as CR LF.
std::string commentFromArgument(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

int add(Context& ctx, const std::string& date, const std::vector<std::string>& args) {
    if (args.size() < 3) {
        return ctx.usageError(
            "history add erwartet DATEI [--date \"TT.MM.JJJJ HH:MM\"] NAME KOMMENTAR EINTRAG...");
    }
    const std::string& file = args[0];
    // Every text is checked before the file is touched.
    const std::optional<std::string> name = filedCaseName(ctx.text(args[1]));
    if (!name) {
        return ctx.usageError(cp1252ToUtf8(kCaseNameWithControlsText));
    }
    const std::string comment = commentFromArgument(ctx.text(args[2]));

    // The case as "evaluate" builds it from typed rows, prepared as
    // "Berechnen" prepares it under the start-up polarity mode; the entries
    // that preparation appends are marked and not filed.
    Case theCase;
    const auto grid = typeCase(ctx, theCase, PolarityMode::AtEnd,
                               std::vector<std::string>(args.begin() + 3, args.end()));
    prepareCase(theCase, ctx.data, PolarityMode::AtEnd);

    const std::string when = date.empty() ? currentHistoryDate() : date;
    return changeHistory(
        ctx, file,
        [&](CaseHistory& history, bool) {
            history.fileCase(*name, comment, theCase.used(), when);
            return true;
        },
        "Der Fall wurde nicht abgelegt.");
}

int remove(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3) {
        return ctx.usageError("history remove erwartet DATEI FALL [BEHANDLUNG]");
    }
    int index = -1;
    if (args.size() == 3 && (!parseIntArgument(args[2], index) || index < 0)) {
        return ctx.usageError("BEHANDLUNG muss eine Zahl ab 0 sein, nicht " + args[2]);
    }
    const std::string& file = args[0];
    const std::string caseName = ctx.text(args[1]);
    // What the change found wrong with the request; it then writes nothing.
    std::string notFound;
    const int rc = changeHistory(
        ctx, file,
        [&](CaseHistory& history, bool) {
            FiledCase* filedCase = history.findCase(caseName);
            if (filedCase == nullptr) {
                notFound = "kein Fall \"" + args[1] + "\" in " + file;
                return false;
            }
            if (index < 0) {
                history.removeCase(filedCase);
                return true;
            }
            if (static_cast<std::size_t>(index) >= filedCase->treatments.size()) {
                notFound = "der Fall \"" + cp1252ToUtf8(filedCase->name) + "\" hat " +
                           std::to_string(filedCase->treatments.size()) +
                           " Behandlungen, keine mit der Nummer " + std::to_string(index);
                return false;
            }
            history.removeTreatment(*filedCase,
                                    filedCase->treatments[static_cast<std::size_t>(index)].get());
            return true;
        },
        index < 0 ? "Der Fall wurde nicht gel\xF6scht."
                  : "Die Behandlung wurde nicht gel\xF6scht.");
    if (rc == kExitOk && !notFound.empty()) {
        ctx.err << "tessalyn-cli: " << notFound << "\n";
        return kExitFailure;
    }
    return rc;
}

int exportTo(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() != 2) {
        return ctx.usageError("history export erwartet DATEI ZIEL");
    }
    CaseHistory history;
    if (!loadHistory(ctx, args[0], history)) {
        return history.loadStatus() == HistoryLoadStatus::SyntaxError
                   ? refuseBrokenFile(ctx, args[0])
                   : kExitFailure;
    }
    return exportOrReport(ctx, history, args[1]);
}

struct HistoryOptions {
    std::string sort;
    std::string date;
};

Runner define(CLI::App& app) {
    auto options = std::make_shared<HistoryOptions>();
    app.require_subcommand(0, 1);
    CLI::App& showCommand = addSubcommand(app, "show");
    showCommand.add_option_function<std::string>(
        "--sort", [o = options.get()](const std::string& v) {
            if (v != "name" && v != "date") {
                throw UsageError("--sort erwartet name oder date, nicht " + v);
            }
            o->sort = v;
        });
    CLI::App& addCommand = addSubcommand(app, "add");
    addCommand.add_option_function<std::string>(
        "--date", [o = options.get()](const std::string& v) {
            if (!isDateText(v)) {
                throw UsageError("--date erwartet \"TT.MM.JJJJ HH:MM\", nicht " + v);
            }
            o->date = v;
        });
    CLI::App& removeCommand = addSubcommand(app, "remove");
    CLI::App& exportCommand = addSubcommand(app, "export");

    return [options, &showCommand, &addCommand, &removeCommand,
            &exportCommand](Context& ctx, std::vector<std::string>& args) {
        if (showCommand.parsed()) {
            return show(ctx, options->sort, positionals(showCommand));
        }
        if (addCommand.parsed()) {
            return add(ctx, options->date, positionals(addCommand));
        }
        if (removeCommand.parsed()) {
            return remove(ctx, positionals(removeCommand));
        }
        if (exportCommand.parsed()) {
            return exportTo(ctx, positionals(exportCommand));
        }
        if (args.empty()) {
            return ctx.usageError("history erwartet show, add, remove oder export");
        }
        return ctx.usageError("history erwartet show, add, remove oder export, nicht " + args[0]);
    };
}

} // namespace

Command historyCommand() {
    return {"history", "Fallhistorie zeigen, ablegen, löschen, exportieren", printHelp, define};
}

} // namespace tessalyn::cli
