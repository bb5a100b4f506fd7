#include "cli/Commands.h"

namespace tessalyn::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        {"info", "Anzahl der Kapitel, Überschriften, Rubriken, Mittel und Einträge", cmdInfo},
        {"dump", "geladenen Inhalt im Format von data/repertory.tsv ausgeben", cmdDump},
        {"rubric", "Texte der Rubrik N ausgeben (N darf negativ sein)", cmdRubric},
    };
    return table;
}

} // namespace tessalyn::cli
