#pragma once

#include "cli/Cli.h"

// One function per subcommand; each lives in its own Cmd*.cpp file.
namespace tessalyn::cli {

int cmdInfo(Context& context, std::vector<std::string>& args);
int cmdDump(Context& context, std::vector<std::string>& args);
int cmdRubric(Context& context, std::vector<std::string>& args);
int cmdEvaluate(Context& context, std::vector<std::string>& args);
int cmdSearch(Context& context, std::vector<std::string>& args);
int cmdRemedy(Context& context, std::vector<std::string>& args);
int cmdHistory(Context& context, std::vector<std::string>& args);

} // namespace tessalyn::cli
