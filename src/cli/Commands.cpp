#include "cli/Commands.h"

namespace tessalyn::cli {

const std::vector<Command>& commands() {
    static const std::vector<Command> table = {
        infoCommand(),   dumpCommand(),   rubricCommand(),     evaluateCommand(),
        searchCommand(), remedyCommand(), vocabularyCommand(), historyCommand(),
    };
    return table;
}

} // namespace tessalyn::cli
