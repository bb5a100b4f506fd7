#pragma once

#include "data/RepertoryData.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace tessalyn::cli {

// Exit codes of the companion.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// A wrong call found while reading or checking the arguments. The message is
// UTF-8 (it may quote what was typed); the companion prints it and exits 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a command works with. Arguments arrive as the system gave them: file
// names stay bytes, texts for the repertory or the history go through
// `text`. Output goes through `print`.
struct Context {
    RepertoryData& data;
    std::ostream& out;
    std::ostream& err;

    // Writes Windows-1252 text to standard output as UTF-8.
    void print(std::string_view cp1252Text) const;
    // Writes a one-line usage error (UTF-8) to standard error and returns
    // kExitUsage.
    int usageError(std::string_view message) const;
    // A typed (UTF-8) text as Windows-1252 (cp1252Argument).
    std::string text(std::string_view utf8) const;
    std::vector<std::string> texts(const std::vector<std::string>& utf8) const;
};

// Runs a command once the whole command line has been read; `args` are the
// command's positional arguments (everything that is not an option), bytes
// as typed.
using Runner = std::function<int(Context& context, std::vector<std::string>& args)>;

// A subcommand: name, one-line summary for --help, its help text, and the
// function that declares its options on its parser (CLI11) and returns what
// runs it. Options are declared with the usual CLI11 calls or the helpers
// below; each may stand anywhere before "--", as "--opt value" or
// "--opt=value".
struct Command {
    const char* name;
    const char* summary;
    void (*printHelp)(std::ostream& out);
    Runner (*define)(CLI::App& app);
};

// The table of subcommands (Commands.cpp).
const std::vector<Command>& commands();

// A command line read: either the call is settled already (help, version or a
// wrong call, written to the streams) with `exitCode`, or `runner` is to run
// with the command's positional arguments `args`, after loading the content
// (`contentFile` when --content was given).
struct ParsedCommandLine {
    std::optional<int> exitCode;
    Runner runner;
    std::vector<std::string> args;
    std::optional<std::string> contentFile;
    std::shared_ptr<CLI::App> parser; // holds what `runner` refers to
};

// Reads the arguments (without the program's name) as the companion does.
// Touches no file and loads nothing; throws nothing but std::bad_alloc.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args, std::ostream& out,
                                   std::ostream& err);

// Runs the companion as main() would, with its output streams given. Never
// throws.
int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Parses a decimal int argument completely; false when it is not one.
bool parseIntArgument(std::string_view text, int& value);
// A typed (UTF-8) text as Windows-1252; throws UsageError naming the first
// character the code page cannot hold.
std::string cp1252Argument(std::string_view utf8);
// Parses a decimal int argument from `minimum` to `maximum`; throws
// UsageError with `message` and the value otherwise.
int intArgument(std::string_view text, int minimum, int maximum, std::string_view message);

// Helpers for declaring a command's parameters.

// A nested subcommand (like "history add") that reads options and positional
// arguments as every command does; its arguments are `positionals(sub)`.
CLI::App& addSubcommand(CLI::App& parent, const std::string& name);
// The positional arguments given to a (sub)command, byte for byte as typed.
std::vector<std::string> positionals(const CLI::App& app);
// An option with one whole number from `minimum` to `maximum`; anything else
// is a wrong call reported with `message`.
CLI::Option* addIntOption(CLI::App& app, const std::string& name, int& value, int minimum,
                          int maximum, const std::string& message);
// An option with one text for the repertory or the history, kept as
// Windows-1252.
CLI::Option* addTextOption(CLI::App& app, const std::string& name, std::string& value);
// An option that may be given several times, one value each time
// ("--x A --x B"); the values in the order given.
CLI::Option* addRepeatedOption(CLI::App& app, const std::string& name,
                               std::vector<std::string>& values);

} // namespace tessalyn::cli
