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
           "  oder: tessalyn-cli history restore DATEI\n"
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
           "export  schreibt die Fallhistorie nach ZIEL. Ein vorhandenes ZIEL wird dabei\n"
           "        gesperrt wie bei add und vorher in seinen Sicherungen aufbewahrt.\n"
           "restore stellt eine DATEI wieder her, deren Überschreiben unterbrochen wurde.\n"
           "        Wo sich eine DATEI nur an Ort und Stelle überschreiben lässt (in einem\n"
           "        Ordner, in dem sich keine Dateien anlegen lassen), wird ihr alter Inhalt\n"
           "        vorher im Datenordner des Benutzers aufbewahrt\n"
           "        (~/.local/share/Korvanei/Tessalyn/Aufbewahrt); restore schreibt ihn\n"
           "        zurück.\n"
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

int refuseBrokenFile(Context& ctx, const std::string& file) {
    ctx.err << "tessalyn-cli: " << file << " ist fehlerhaft und bleibt unverändert\n";
    return kExitFailure;
}

// What a save that succeeded has to tell (a file that lost the rights of
// other users), as a warning line.
void warnOfNotice(Context& ctx, const std::string& notice) {
    if (!notice.empty()) {
        ctx.err << "tessalyn-cli: Warnung: " << cp1252ToUtf8(notice) << "\n";
    }
}

// How the user brings back a history whose rewrite in place stopped half-way.
std::string restoreHint(const std::string& file) {
    return "Wiederherstellen mit: tessalyn-cli history restore " + file;
}

// Says what the user must learn about a change of FILE: why it failed, or
// what was kept on the way. Returns the exit code.
int reportChange(Context& ctx, const std::string& file, const HistoryChangeResult& result,
                 const CollectingHistoryReporter& reporter, std::string_view consequence) {
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
                << (result.keptCopyRemains ? " " + restoreHint(file) : std::string()) << "\n";
        return kExitFailure;
    }
    if (!result.backupPath.empty()) {
        ctx.err << "tessalyn-cli: Hinweis: " << file
                << " war fehlerhaft; ihr Inhalt wurde vorher unverändert als " << result.backupPath
                << " aufbewahrt\n";
    }
    warnOfNotice(ctx, result.notice);
    if (const std::string failure = takeHistoryBackupFailure(); !failure.empty()) {
        ctx.err << "tessalyn-cli: Warnung: keine Sicherungskopie der Fallhistorie angelegt ("
                << cp1252ToUtf8(failure) << "); die Änderung ist trotzdem gespeichert\n";
    }
    if (result.saved() && !result.keptCopy.empty()) {
        ctx.err << "tessalyn-cli: Hinweis: " << file
                << " wurde an Ort und Stelle überschrieben; ihr alter Inhalt war dabei in "
                << result.keptCopy << " aufbewahrt\n";
    }
    return kExitOk;
}

HistoryChangeOptions cliChangeOptions(BrokenHistoryPolicy policy,
                                      CollectingHistoryReporter& reporter) {
    HistoryChangeOptions options(policy);
    options.lockWait = std::chrono::seconds(10);
    options.displayName = kFileNamePlaceholder;
    options.reporter = &reporter;
    return options;
}

// Changes FILE in one transaction under its lock, which the desktop program
// takes too, so that no change of either gets lost. A file with a syntax
// error is never rewritten here: its messages are printed and it stays as it
// is. `consequence` tells what a failure means ("Der Fall wurde nicht
// abgelegt."). Returns the exit code.
int changeHistory(Context& ctx, const std::string& file, const HistoryChange& change,
                  std::string_view consequence) {
    CollectingHistoryReporter reporter;
    const HistoryChangeResult result =
        changeHistoryFile(file, change, cliChangeOptions(BrokenHistoryPolicy::Refuse, reporter));
    return reportChange(ctx, file, result, reporter, consequence);
}

// Loads FILE. Returns false (after printing why) when the file exists but
// could not be read whole, or its rewrite in place stopped half-way: such a
// history is shown, never written back.
bool loadHistory(Context& ctx, const std::string& file, CaseHistory& history) {
    CollectingHistoryReporter reporter;
    history.load(file, &reporter, kFileNamePlaceholder);
    bool interrupted = false;
    if (history.loadStatus() != HistoryLoadStatus::ReadError) {
        const KeptCopyCheck kept =
            checkKeptCopy(file, cliChangeOptions(BrokenHistoryPolicy::Refuse, reporter));
        if (kept.state == RewriteState::Interrupted) {
            interrupted = true;
            HistoryChangeResult check;
            check.status = HistoryChangeStatus::Interrupted;
            check.keptCopy = kept.keptCopy;
            ctx.err << "tessalyn-cli: "
                    << withFileName(historyChangeFailureText(check, kFileNamePlaceholder,
                                                             restoreHint(kFileNamePlaceholder),
                                                             " "),
                                    file)
                    << "\n";
        }
    }
    switch (history.loadStatus()) {
    case HistoryLoadStatus::Ok:
    case HistoryLoadStatus::NoFile:
        return !interrupted;
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
        return ctx.usageError(cp1252ToUtf8(caseNameWithControlsText()));
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
        index < 0 ? "Der Fall wurde nicht gelöscht."_cp1252
                  : "Die Behandlung wurde nicht gelöscht."_cp1252);
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
    // ZIEL is replaced whole, nothing of it is read: one with a syntax error
    // is kept as a copy first, as every ZIEL is in its backup folder.
    const std::string& target = args[1];
    CollectingHistoryReporter reporter;
    const HistoryChangeResult result = exportHistoryFile(
        history, target, cliChangeOptions(BrokenHistoryPolicy::KeepCopyAndRewrite, reporter));
    return reportChange(ctx, target, result, reporter, "Die Fallhistorie wurde nicht exportiert.");
}

// Writes back the old content of FILE that was kept while a rewrite in place
// of it stopped half-way.
int restore(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        return ctx.usageError("history restore erwartet DATEI");
    }
    const std::string& file = args[0];
    CollectingHistoryReporter reporter;
    const HistoryChangeResult result =
        restoreHistoryFile(file, cliChangeOptions(BrokenHistoryPolicy::Refuse, reporter));
    if (result.status == HistoryChangeStatus::NothingDone) {
        ctx.err << "tessalyn-cli: " << file
                << ": kein unterbrochenes Überschreiben, nichts wiederherzustellen\n";
        return kExitFailure;
    }
    const int rc = reportChange(ctx, file, result, reporter,
                                "Die Fallhistorie wurde nicht wiederhergestellt.");
    if (rc == kExitOk) {
        ctx.err << "tessalyn-cli: " << file
                << " hat wieder ihren Inhalt vor dem unterbrochenen Überschreiben\n";
    }
    return rc;
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
    CLI::App& restoreCommand = addSubcommand(app, "restore");

    return [options, &showCommand, &addCommand, &removeCommand, &exportCommand,
            &restoreCommand](Context& ctx, std::vector<std::string>& args) {
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
        if (restoreCommand.parsed()) {
            return restore(ctx, positionals(restoreCommand));
        }
        if (args.empty()) {
            return ctx.usageError("history erwartet show, add, remove, export oder restore");
        }
        return ctx.usageError("history erwartet show, add, remove, export oder restore, nicht " +
                              args[0]);
    };
}

} // namespace

Command historyCommand() {
    return {"history", "Fallhistorie zeigen, ändern, exportieren, wiederherstellen", printHelp,
            define};
}

} // namespace tessalyn::cli
