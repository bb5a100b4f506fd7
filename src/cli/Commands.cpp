#include "cli/Commands.h"

namespace tessalyn::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info", "Anzahl der Kapitel, Überschriften, Rubriken, Mittel und Einträge", cmdInfo},
        {"dump", "geladenen Inhalt im Format von data/repertory.tsv ausgeben", cmdDump},
        {"rubric", "Texte der Rubrik N ausgeben (N darf negativ sein)", cmdRubric},
        {"evaluate", "Fall aus EINTRÄGEN bilden und auswerten wie \"Berechnen\"", cmdEvaluate},
        {"search", "Textsuche: Rubriken, die alle Wörter des Suchtexts enthalten", cmdSearch},
        {"remedy", "Mittelübersicht: Rubriken, in denen ein Mittel steht", cmdRemedy},
        {"history", "Fallhistorie zeigen, ablegen, löschen, exportieren", cmdHistory},
    };
    return table;
}

} // namespace tessalyn::cli
