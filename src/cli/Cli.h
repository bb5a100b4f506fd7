#pragma once

#include "data/RepertoryData.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn::cli {

// Exit codes of the companion.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// What a command works with. Arguments arrive already converted from the
// terminal's UTF-8 to Windows-1252; output goes through `print`.
struct Context {
    RepertoryData& data;
    std::ostream& out;
    std::ostream& err;

    // Writes Windows-1252 text to standard output as UTF-8.
    void print(std::string_view cp1252Text) const;
    // Writes a one-line usage error to standard error and returns kExitUsage.
    int usageError(std::string_view message) const;
};

// A subcommand: name, one-line summary for --help, and its function. The
// function receives the arguments after the subcommand's name.
struct Command {
    const char* name;
    const char* summary;
    int (*run)(Context& context, std::vector<std::string>& args);
};

// The table of subcommands (Commands.cpp).
const std::vector<Command>& commands();

// Runs the companion as main() would, with its output streams given.
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Parses a decimal int argument completely; false when it is not one.
bool parseIntArgument(std::string_view text, int& value);

} // namespace tessalyn::cli
