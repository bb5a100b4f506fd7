#include "cli/Commands.h"
#include "data/ContentLoader.h"

#include <string>

namespace tessalyn::cli {

namespace {

void printInfoHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli info\n"
           "Gibt die Anzahl der geladenen Kapitel, Überschriften, Rubriken, Mittel und\n"
           "Mitteleinträge aus, je eine Zeile.\n";
}

Runner defineInfo(CLI::App& /*app*/) {
    return [](Context& ctx, std::vector<std::string>& args) {
        if (!args.empty()) {
            return ctx.usageError("info erwartet keine Argumente");
        }
        long entries = 0;
        for (int i = 0; i < ctx.data.rubricCount(); ++i) {
            entries += ctx.data.rubric(i).entryCount;
        }
        ctx.out << "chapters " << ctx.data.chapterCount() << "\n"
                << "headings " << ctx.data.headingCount() << "\n"
                << "rubrics " << ctx.data.rubricCount() << "\n"
                << "remedies " << ctx.data.remedyCount() << "\n"
                << "entries " << entries << "\n";
        return kExitOk;
    };
}

void printDumpHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli dump\n"
           "Gibt den geladenen Inhalt (nach \"orvento.lang\") im Format von\n"
           "data/repertory.tsv aus, ohne Kommentarzeilen, in Windows-1252 wie die Datei\n"
           "selbst: \"--content\" liest eine solche Ausgabe unverändert wieder ein.\n";
}

Runner defineDump(CLI::App& /*app*/) {
    return [](Context& ctx, std::vector<std::string>& args) {
        if (!args.empty()) {
            return ctx.usageError("dump erwartet keine Argumente");
        }
        // The bytes the loader reads: Windows-1252, so that --content of a
        // dump gives the same content back.
        ctx.out << dumpContent(ctx.data);
        return kExitOk;
    };
}

void printRubricHelp(std::ostream& out) {
    out << "Aufruf: tessalyn-cli rubric N\n"
           "Gibt Nummerntext, Symptomtext, Kapiteltext und Mittelliste der Rubrik N aus;\n"
           "ein negatives N nennt den Gegenpol derselben Rubrik.\n";
}

Runner defineRubric(CLI::App& /*app*/) {
    return [](Context& ctx, std::vector<std::string>& args) {
        int number = 0;
        if (args.size() != 1 || !parseIntArgument(args[0], number)) {
            return ctx.usageError("rubric erwartet genau eine ganze Zahl N");
        }
        const int last = ctx.data.rubricCount();
        if (number == 0 || number < -last || number > last) {
            return ctx.usageError("rubric erwartet eine Rubriknummer von 1 bis " +
                                  std::to_string(last) + " oder von -" + std::to_string(last) +
                                  " bis -1, nicht " + args[0]);
        }
        const int index = rubricIndexOf(number, 0);
        std::string remedies = ctx.data.remedyListText(index);
        for (std::size_t p = remedies.find("\r\n"); p != std::string::npos;
             p = remedies.find("\r\n", p + 1)) {
            remedies.erase(p, 1);
        }
        ctx.print("number\t" + numberText(number, 0) + "\n");
        ctx.print("symptom\t" + ctx.data.symptomText(number) + "\n");
        ctx.print("location\t" + ctx.data.locationText(index) + "\n");
        ctx.print("remedies\t" + remedies + "\n");
        return kExitOk;
    };
}

} // namespace

Command infoCommand() {
    return {"info", "Anzahl der Kapitel, Überschriften, Rubriken, Mittel und Einträge",
            printInfoHelp, defineInfo};
}

Command dumpCommand() {
    return {"dump", "geladenen Inhalt im Format von data/repertory.tsv ausgeben", printDumpHelp,
            defineDump};
}

Command rubricCommand() {
    return {"rubric", "Texte der Rubrik N ausgeben (N darf negativ sein)", printRubricHelp,
            defineRubric};
}

} // namespace tessalyn::cli
