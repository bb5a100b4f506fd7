#pragma once

#include "cli/Cli.h"

// One function per subcommand that describes it; each lives in its own
// Cmd*.cpp file together with its help text, its options and its work.
namespace tessalyn::cli {

Command infoCommand();
Command dumpCommand();
Command rubricCommand();
Command evaluateCommand();
Command searchCommand();
Command remedyCommand();
Command vocabularyCommand();
Command historyCommand();

} // namespace tessalyn::cli
