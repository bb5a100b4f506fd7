#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "cli/Commands.h"
#include "data/Cp1252.h"
#include "history/CaseHistory.h"
#include "history/HistoryTransaction.h"

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

namespace tessalyn::cli {

namespace {

void printHelp(Context& ctx) {
    ctx.out << "Aufruf: tessalyn-cli history show DATEI [--sort name|date]\n"
               "  oder: tessalyn-cli history add DATEI [--date \"TT.MM.JJJJ HH:MM\"]\n"
               "                                 NAME KOMMENTAR EINTRAG...\n"
               "  oder: tessalyn-cli history remove DATEI FALL [BEHANDLUNG]\n"
               "  oder: tessalyn-cli history export DATEI ZIEL\n"
               "\n"
               "show    gibt die Fallhistorie aus wie der Baum im Dialog \"Fallhistorie\":\n"
               "        je Fall eine Zeile mit dem Namen, je Behandlung ein Tabulator und\n"
               "        Datum (Kommentar), je Symptom zwei Tabulatoren und die Nummer,\n"
               "        \" BD n\" bei BD-Wert n <> 0. --sort sortiert vorher nach Name oder\n"
               "        nach dem Datum der letzten Behandlung.\n"
               "add     legt den Fall aus den EINTRÄGEN (wie bei \"evaluate\" getippt und wie\n"
               "        beim Berechnen vorbereitet) als neue Behandlung unter NAME ab und\n"
               "        speichert. Ohne --date gilt die aktuelle Zeit. Zeilenumbrüche im\n"
               "        KOMMENTAR bleiben.\n"
               "remove  löscht den Fall FALL (Groß-/Kleinschreibung egal) oder nur seine\n"
               "        Behandlung mit der Nummer BEHANDLUNG (ab 0) und speichert.\n"
               "export  schreibt die Fallhistorie nach ZIEL.\n"
               "\n"
               "Eine fehlende oder leere DATEI gilt als leere Fallhistorie. Eine DATEI mit\n"
               "Syntaxfehler wird nie überschrieben: add, remove und export enden dann mit 1.\n";
}

// The terminal hands paths over as UTF-8; the companion has turned every
// argument into Windows-1252, which maps back for every path it can show.
std::string osPath(const std::string& cp1252Path) {
    return cp1252ToUtf8(cp1252Path);
}

// Loads FILE. Returns false (after printing why) when the file exists but
// could not be read whole: such a history is shown, never written back.
bool loadHistory(Context& ctx, const std::string& file, CaseHistory& history) {
    CollectingHistoryReporter reporter;
    history.load(osPath(file), &reporter, file);
    switch (history.loadStatus()) {
    case HistoryLoadStatus::Ok:
    case HistoryLoadStatus::NoFile:
        return true;
    case HistoryLoadStatus::SyntaxError:
        for (const std::string& message : reporter.messages()) {
            ctx.err << cp1252ToUtf8(message);
        }
        return false;
    case HistoryLoadStatus::OtherError:
        ctx.err << "tessalyn-cli: Die Fallhistorie konnte nicht gelesen werden: "
                << cp1252ToUtf8(file) << "\n";
        return false;
    }
    return false;
}

int refuseBrokenFile(Context& ctx, const std::string& file) {
    ctx.err << "tessalyn-cli: " << cp1252ToUtf8(file) << " ist fehlerhaft und bleibt unverändert\n";
    return kExitFailure;
}

// Changes of the file happen under its lock, which the desktop program takes
// too, so that no filing of either gets lost. Takes the lock, then loads FILE.
// Returns kExitOk, or the exit code to end with (after printing why) when the
// lock cannot be had or the file is broken.
int lockAndLoadHistory(Context& ctx, const std::string& file, HistoryFileLock& lock,
                       CaseHistory& history) {
    if (!lock.lock(std::chrono::seconds(10))) {
        ctx.err << "tessalyn-cli: " << lock.error() << "\n";
        return kExitFailure;
    }
    if (!loadHistory(ctx, file, history)) {
        return refuseBrokenFile(ctx, file);
    }
    return kExitOk;
}

// Writes the history to its own file, or to `target` (given as typed) when
// that is not empty.
int saveOrReport(Context& ctx, CaseHistory& history, const std::string& file,
                 const std::string& target = std::string()) {
    const bool saved = target.empty() ? history.save() : history.saveAs(osPath(target));
    if (!saved) {
        ctx.err << "tessalyn-cli: "
                << cp1252ToUtf8(saveFailedMessage(target.empty() ? file : target)) << " ("
                << history.saveError() << ")\n";
        return kExitFailure;
    }
    return kExitOk;
}

// What readOption found at args[i].
enum class OptionValue {
    NotThisOption,
    Missing, // the option ends the arguments
    Read,
};

// An option with a value, given as "NAME VALUE" or as "NAME=VALUE" at
// args[i]: reads the value and moves i onto its last argument.
OptionValue readOption(const std::vector<std::string>& args, std::size_t& i, std::string_view name,
                       std::string& value) {
    const std::string& a = args[i];
    if (a == name) {
        if (i + 1 >= args.size()) {
            return OptionValue::Missing;
        }
        value = args[++i];
        return OptionValue::Read;
    }
    if (a.size() > name.size() && a.compare(0, name.size(), name) == 0 && a[name.size()] == '=') {
        value = a.substr(name.size() + 1);
        return OptionValue::Read;
    }
    return OptionValue::NotThisOption;
}

int show(Context& ctx, const std::vector<std::string>& args) {
    std::string file;
    std::string sort;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (const OptionValue o = readOption(args, i, "--sort", sort);
            o != OptionValue::NotThisOption) {
            if (o == OptionValue::Missing) {
                return ctx.usageError("--sort braucht name oder date");
            }
            if (sort != "name" && sort != "date") {
                return ctx.usageError("--sort erwartet name oder date, nicht " + sort);
            }
        } else if (file.empty() && !(a.size() > 1 && a[0] == '-' && a[1] == '-')) {
            file = a;
        } else {
            return ctx.usageError("history show erwartet DATEI [--sort name|date]");
        }
    }
    if (file.empty()) {
        return ctx.usageError("history show erwartet DATEI [--sort name|date]");
    }
    CaseHistory history;
    const bool whole = loadHistory(ctx, file, history);
    if (!sort.empty()) {
        history.sortCases(sort == "name");
    }
    std::string text;
    for (const auto& c : history.cases()) {
        text += c->name;
        text += '\n';
        for (const auto& t : c->treatments) {
            text += '\t';
            text += treatmentLabel(*t);
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

int add(Context& ctx, const std::vector<std::string>& args) {
    static const char* const kUsage =
        "history add erwartet DATEI [--date \"TT.MM.JJJJ HH:MM\"] NAME KOMMENTAR EINTRAG...";
    if (args.size() < 2) {
        return ctx.usageError(kUsage);
    }
    const std::string file = args[1];
    std::string date;
    std::size_t i = 2;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            ++i;
            break;
        }
        if (const OptionValue o = readOption(args, i, "--date", date);
            o != OptionValue::NotThisOption) {
            if (o == OptionValue::Missing) {
                return ctx.usageError("--date braucht \"TT.MM.JJJJ HH:MM\"");
            }
            if (!isDateText(date)) {
                return ctx.usageError("--date erwartet \"TT.MM.JJJJ HH:MM\", nicht " + date);
            }
            continue;
        }
        break;
    }
    if (args.size() < i + 2) {
        return ctx.usageError(kUsage);
    }
    const std::string& name = args[i];
    const std::string comment = commentFromArgument(args[i + 1]);

    HistoryFileLock lock(osPath(file));
    CaseHistory history;
    if (const int rc = lockAndLoadHistory(ctx, file, lock, history); rc != kExitOk) {
        return rc;
    }

    // The case as "evaluate" builds it from typed rows, prepared as
    // "Berechnen" prepares it under the start-up polarity mode; the entries
    // that preparation appends are marked and not filed.
    Case theCase;
    auto grid = std::make_unique<CaseGrid>(ctx.data, theCase);
    grid->initialise();
    grid->setPolarityMode(PolarityMode::AtEnd);
    for (std::size_t k = i + 2; k < args.size(); ++k) {
        grid->setCellText(theCase.count(), 0, args[k]);
    }
    prepareCase(theCase, ctx.data, PolarityMode::AtEnd);
    if (date.empty()) {
        history.fileCase(name, comment, theCase.used());
    } else {
        history.fileCase(name, comment, theCase.used(), date);
    }
    return saveOrReport(ctx, history, file);
}

int remove(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() < 3 || args.size() > 4) {
        return ctx.usageError("history remove erwartet DATEI FALL [BEHANDLUNG]");
    }
    int index = -1;
    if (args.size() == 4 && (!parseIntArgument(args[3], index) || index < 0)) {
        return ctx.usageError("BEHANDLUNG muss eine Zahl ab 0 sein, nicht " + args[3]);
    }
    const std::string& file = args[1];
    HistoryFileLock lock(osPath(file));
    CaseHistory history;
    if (const int rc = lockAndLoadHistory(ctx, file, lock, history); rc != kExitOk) {
        return rc;
    }
    FiledCase* filedCase = history.findCase(args[2]);
    if (filedCase == nullptr) {
        ctx.err << "tessalyn-cli: kein Fall \"" << cp1252ToUtf8(args[2]) << "\" in "
                << cp1252ToUtf8(file) << "\n";
        return kExitFailure;
    }
    if (index < 0) {
        history.removeCase(filedCase);
    } else {
        if (static_cast<std::size_t>(index) >= filedCase->treatments.size()) {
            ctx.err << "tessalyn-cli: der Fall \"" << cp1252ToUtf8(filedCase->name) << "\" hat "
                    << filedCase->treatments.size() << " Behandlungen, keine mit der Nummer "
                    << index << "\n";
            return kExitFailure;
        }
        history.removeTreatment(*filedCase,
                                filedCase->treatments[static_cast<std::size_t>(index)].get());
    }
    return saveOrReport(ctx, history, file);
}

int exportTo(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() != 3) {
        return ctx.usageError("history export erwartet DATEI ZIEL");
    }
    CaseHistory history;
    if (!loadHistory(ctx, args[1], history)) {
        return refuseBrokenFile(ctx, args[1]);
    }
    return saveOrReport(ctx, history, args[1], args[2]);
}

} // namespace

int cmdHistory(Context& ctx, std::vector<std::string>& args) {
    if (args.empty()) {
        return ctx.usageError("history erwartet show, add, remove oder export");
    }
    for (std::size_t i = 0; i < args.size() && i < 2; ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            printHelp(ctx);
            return kExitOk;
        }
    }
    const std::string& sub = args[0];
    if (sub == "show") {
        return show(ctx, args);
    }
    if (sub == "add") {
        return add(ctx, args);
    }
    if (sub == "remove") {
        return remove(ctx, args);
    }
    if (sub == "export") {
        return exportTo(ctx, args);
    }
    return ctx.usageError("history erwartet show, add, remove oder export, nicht " + sub);
}

} // namespace tessalyn::cli
