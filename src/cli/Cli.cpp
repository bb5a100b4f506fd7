#include "cli/Cli.h"

#include "Version.h"
#include "data/ContentLoader.h"
#include "data/Cp1252.h"
#include "data/Overlay.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <new>

namespace tessalyn::cli {

namespace {

// The option that collects a command's positional arguments.
constexpr const char* kPositionals = "ARGUMENT";

void printUsage(std::ostream& out) {
    out << "Aufruf: tessalyn-cli [--content DATEI] BEFEHL [ARGUMENTE...]\n"
           "  oder: tessalyn-cli BEFEHL --help\n"
           "Befehlszeilenbegleiter von Tessalyn für Skripte, mit dem Kern des Programms.\n"
           "\n"
           "Befehle:\n";
    for (const Command& c : commands()) {
        std::string name = c.name;
        name.resize(std::max<std::size_t>(name.size(), 10), ' ');
        out << "  " << name << "  " << c.summary << "\n";
    }
    out << "\n"
           "Optionen:\n"
           "  --content DATEI  Repertoriumsinhalt aus DATEI (Format von data/repertory.tsv)\n"
           "                   statt des eingebauten Inhalts laden\n"
           "  --help           diese Hilfe anzeigen und beenden\n"
           "  --version        Versionsnummer anzeigen und beenden\n"
           "\n"
           "Optionen stehen vor, zwischen oder nach den Argumenten, als \"--option WERT\"\n"
           "oder \"--option=WERT\"; nach \"--\" ist alles ein Argument.\n"
           "Eine Datei \"orvento.lang\" im aktuellen Verzeichnis ersetzt wie im Programm die\n"
           "Texte der Kapitel I bis VII.\n"
           "Ausführliche Beschreibung: \"man tessalyn-cli\".\n"
           "Rückgabewerte: 0 Erfolg, 1 Fehler, 2 falscher Aufruf.\n";
}

// Every parser of the companion reads options the same way: no English help
// of the library (each command prints its German text), the last of a
// repeated option counts, and positional arguments are collected whole.
void setUpParser(CLI::App& app) {
    app.set_help_flag();
    app.add_flag("-h,--help");
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

bool helpRequested(const CLI::App& app) {
    if (app.get_option("--help")->count() > 0) {
        return true;
    }
    for (const CLI::App* sub : app.get_subcommands()) {
        if (helpRequested(*sub)) {
            return true;
        }
    }
    return false;
}

// The innermost subcommand that was given.
CLI::App* deepestCommand(CLI::App& root) {
    CLI::App* app = &root;
    while (!app->get_subcommands().empty()) {
        app = app->get_subcommands().front();
    }
    return app;
}

// A negative whole number is an argument, never an option.
bool looksLikeOption(const std::string& arg) {
    if (arg.size() < 2 || arg[0] != '-') {
        return false;
    }
    int ignored = 0;
    return !parseIntArgument(arg, ignored);
}

// The library's report of a wrong call, said in German.
std::string describeParseError(const CLI::ParseError& error, CLI::App& root) {
    const std::string hint = " (--help zeigt die Aufrufe)";
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        const std::vector<std::string> extras = root.remaining(true);
        const std::string first = extras.empty() ? std::string() : extras.front();
        if (looksLikeOption(first)) {
            return "unbekannte Option " + first + hint;
        }
        if (root.get_subcommands().empty()) {
            return "unbekannter Befehl " + first + hint;
        }
        return "unerwartetes Argument " + first + hint;
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
        // The library names the option first: "--size: 2 required ...".
        const std::string what = error.what();
        const std::string name = what.substr(0, what.find(':'));
        for (CLI::App* app = deepestCommand(root); app != nullptr; app = app->get_parent()) {
            if (const CLI::Option* option = app->get_option_no_throw(name)) {
                const int count = option->get_expected_min();
                return name + " braucht " +
                       (count > 1 ? std::to_string(count) + " Werte" : std::string("einen Wert")) +
                       hint;
            }
        }
    }
    return std::string("falscher Aufruf: ") + error.what() + hint;
}

int loadAndRun(const Runner& runner, CLI::App& command, bool haveContentFile,
               const std::string& contentFile, std::ostream& out, std::ostream& err) {
    RepertoryData data;
    ContentError error;
    const bool loaded = haveContentFile ? loadContentFile(contentFile, data, error)
                                        : loadBuiltInContent(data, error);
    if (!loaded) {
        err << "tessalyn-cli: " << (haveContentFile ? contentFile + ": " : std::string())
            << cp1252ToUtf8(error.message()) << "\n";
        return kExitFailure;
    }
    loadOverlay(data);
    Context context{data, out, err};
    std::vector<std::string> args = positionals(command);
    return runner(context, args);
}

int runCliUnguarded(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    // Everything after the first "--" is a positional argument of the command
    // given before it, whatever it looks like.
    std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const auto mark = std::find(args.begin(), args.end(), "--");
    const bool markGiven = mark != args.end();
    const std::vector<std::string> afterMark(markGiven ? mark + 1 : args.end(), args.end());
    args.erase(mark, args.end());

    CLI::App root("tessalyn-cli");
    setUpParser(root);
    root.require_subcommand(0, 1);
    std::string contentFile;
    CLI::Option* content = root.add_option("--content", contentFile);
    CLI::Option* version = root.add_flag("--version");

    std::vector<std::pair<CLI::App*, Runner>> runners;
    for (const Command& c : commands()) {
        CLI::App& sub = addSubcommand(root, c.name);
        runners.emplace_back(&sub, c.define(sub));
    }

    const auto commandGiven = [&]() -> const Command* {
        for (std::size_t i = 0; i < runners.size(); ++i) {
            if (runners[i].first->parsed()) {
                return &commands()[i];
            }
        }
        return nullptr;
    };
    const auto printHelp = [&]() {
        if (const Command* c = commandGiven()) {
            c->printHelp(out);
        } else {
            printUsage(out);
        }
        return kExitOk;
    };

    std::reverse(args.begin(), args.end()); // the library reads from the back
    try {
        root.parse(args);
    } catch (const CLI::ParseError& e) {
        if (helpRequested(root)) {
            return printHelp();
        }
        err << "tessalyn-cli: " << describeParseError(e, root) << "\n";
        return kExitUsage;
    }
    if (helpRequested(root)) {
        return printHelp();
    }
    if (version->count() > 0) {
        // GNU style: the program, its package in parentheses, the version last.
        out << "tessalyn-cli (Tessalyn) " << TESSALYN_VERSION << "\n";
        return kExitOk;
    }
    const Command* command = commandGiven();
    if (command == nullptr) {
        err << "tessalyn-cli: kein Befehl angegeben (--help zeigt die Befehle)\n";
        return kExitUsage;
    }
    CLI::App* innermost = deepestCommand(root);
    for (const std::string& a : afterMark) {
        innermost->get_option(kPositionals)->add_result(a);
    }
    const std::size_t index = static_cast<std::size_t>(command - commands().data());
    return loadAndRun(runners[index].second, *runners[index].first, content->count() > 0,
                      contentFile, out, err);
}

} // namespace

void Context::print(std::string_view cp1252Text) const {
    out << cp1252ToUtf8(cp1252Text);
}

int Context::usageError(std::string_view message) const {
    err << "tessalyn-cli: " << message << "\n";
    return kExitUsage;
}

std::string Context::text(std::string_view utf8) const {
    return cp1252Argument(utf8);
}

std::vector<std::string> Context::texts(const std::vector<std::string>& utf8) const {
    std::vector<std::string> out;
    out.reserve(utf8.size());
    for (const std::string& t : utf8) {
        out.push_back(text(t));
    }
    return out;
}

bool parseIntArgument(std::string_view text, int& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto r = std::from_chars(begin, end, value);
    return begin != end && r.ec == std::errc() && r.ptr == end;
}

std::string cp1252Argument(std::string_view utf8) {
    const std::optional<Utf8Span> bad = firstNonCp1252Character(utf8);
    if (!bad) {
        return utf8ToCp1252(utf8);
    }
    char code[16];
    if (bad->malformed) {
        std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(utf8[bad->offset]));
        throw UsageError("ein Argument ist kein gültiges UTF-8 (Byte " + std::string(code) +
                         " an Stelle " + std::to_string(bad->offset + 1) + ")");
    }
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad->codePoint));
    throw UsageError("„" + std::string(utf8) + "“ enthält das Zeichen „" +
                     std::string(utf8.substr(bad->offset, bad->length)) + "“ (" + code +
                     "), das es in Windows-1252, dem Zeichensatz der Texte von Tessalyn, "
                     "nicht gibt");
}

int intArgument(std::string_view text, int minimum, int maximum, std::string_view message) {
    int value = 0;
    if (!parseIntArgument(text, value) || value < minimum || value > maximum) {
        throw UsageError(std::string(message) + ", nicht " + std::string(text));
    }
    return value;
}

CLI::App& addSubcommand(CLI::App& parent, const std::string& name) {
    CLI::App* sub = parent.add_subcommand(name);
    setUpParser(*sub);
    sub->add_option(kPositionals)
        ->expected(0, CLI::detail::expected_max_vector_size)
        ->allow_extra_args()
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    // Options of the enclosing commands (--content) may stand here too.
    sub->fallthrough();
    return *sub;
}

std::vector<std::string> positionals(const CLI::App& app) {
    return app.get_option(kPositionals)->results();
}

CLI::Option* addIntOption(CLI::App& app, const std::string& name, int& value, int minimum,
                          int maximum, const std::string& message) {
    return app.add_option_function<std::string>(
        name, [&value, minimum, maximum, message](const std::string& text) {
            value = intArgument(text, minimum, maximum, message);
        });
}

CLI::Option* addTextOption(CLI::App& app, const std::string& name, std::string& value) {
    return app.add_option_function<std::string>(
        name, [&value](const std::string& text) { value = cp1252Argument(text); });
}

CLI::Option* addRepeatedOption(CLI::App& app, const std::string& name,
                               std::vector<std::string>& values) {
    return app.add_option(name, values)
        ->allow_extra_args(false)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    try {
        return runCliUnguarded(argc, argv, out, err);
    } catch (const UsageError& e) {
        err << "tessalyn-cli: " << e.what() << "\n";
        return kExitUsage;
    } catch (const std::bad_alloc&) {
        err << "tessalyn-cli: nicht genug Arbeitsspeicher\n";
    } catch (const std::exception& e) {
        err << "tessalyn-cli: unerwarteter Fehler: " << e.what() << "\n";
    } catch (...) {
        err << "tessalyn-cli: unerwarteter Fehler\n";
    }
    return kExitFailure;
}

} // namespace tessalyn::cli
