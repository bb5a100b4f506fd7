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

// The parser library gives some arguments a meaning of their own: "[a,b]" is a
// list of two values, "++" ends a subcommand, "--opt=" takes the next argument.
// So every argument that is neither an option's name nor a plain word (ASCII
// letters and digits, as the command names are) reaches the library shielded:
// its bytes as hexadecimal digits between two unit separators, which the
// library passes on untouched. Every value read back from the library goes
// through `unshielded`, which gives the bytes as typed.
constexpr char kShield = '\x1F';
constexpr std::string_view kHexDigits = "0123456789abcdef";

bool isPlainWord(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

std::string shielded(std::string_view arg) {
    if (isPlainWord(arg)) {
        return std::string(arg);
    }
    std::string out(1, kShield);
    for (const char c : arg) {
        const auto b = static_cast<unsigned char>(c);
        out += kHexDigits[b >> 4];
        out += kHexDigits[b & 15];
    }
    out += kShield;
    return out;
}

// An option's name stays as it is, a value joined to it with "=" is shielded.
std::string shieldedToken(const std::string& arg) {
    if (!looksLikeOption(arg)) {
        return shielded(arg);
    }
    const std::size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") != 0 || equals == std::string::npos) {
        return arg;
    }
    return arg.substr(0, equals + 1) + shielded(std::string_view(arg).substr(equals + 1));
}

int hexValue(char c) {
    const std::size_t p = kHexDigits.find(c);
    return p == std::string_view::npos ? -1 : static_cast<int>(p);
}

std::string unshielded(std::string_view text) {
    std::string out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find(kShield, pos);
        const std::size_t close =
            open == std::string_view::npos ? open : text.find(kShield, open + 1);
        if (close == std::string_view::npos) {
            break;
        }
        const std::string_view hex = text.substr(open + 1, close - open - 1);
        const bool ours = hex.size() % 2 == 0 && std::all_of(hex.begin(), hex.end(), [](char c) {
                              return hexValue(c) >= 0;
                          });
        if (!ours) {
            out.append(text.substr(pos, open + 1 - pos));
            pos = open + 1;
            continue;
        }
        out.append(text.substr(pos, open - pos));
        for (std::size_t i = 0; i < hex.size(); i += 2) {
            out += static_cast<char>(hexValue(hex[i]) * 16 + hexValue(hex[i + 1]));
        }
        pos = close + 1;
    }
    out.append(text.substr(pos));
    return out;
}

// The library's report of a wrong call, said in German.
std::string describeParseError(const CLI::ParseError& error, CLI::App& root) {
    const std::string hint = " (--help zeigt die Aufrufe)";
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
        const std::vector<std::string> extras = root.remaining(true);
        const std::string first = extras.empty() ? std::string() : unshielded(extras.front());
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
    return "falscher Aufruf: " + unshielded(error.what()) + hint;
}

int loadAndRun(ParsedCommandLine& call, std::ostream& out, std::ostream& err) {
    RepertoryData data;
    ContentError error;
    const bool loaded = call.contentFile ? loadContentFile(*call.contentFile, data, error)
                                         : loadBuiltInContent(data, error);
    if (!loaded) {
        err << "tessalyn-cli: " << (call.contentFile ? *call.contentFile + ": " : std::string())
            << cp1252ToUtf8(error.message()) << "\n";
        return kExitFailure;
    }
    if (const std::optional<std::string> problem = loadOverlay(data)) {
        err << "tessalyn-cli: " << cp1252ToUtf8(*problem) << "\n";
    }
    Context context{data, out, err};
    return call.runner(context, call.args);
}

// Every option of every command takes exactly the values it declares (the
// positional arguments are no option's) and reads them unshielded.
void takeValuesAsTyped(CLI::App& app) {
    for (CLI::Option* option : app.get_options()) {
        if (option->get_name() != kPositionals) {
            option->allow_extra_args(false)->transform(
                [](std::string value) { return unshielded(value); });
        }
    }
    for (CLI::App* sub : app.get_subcommands({})) {
        takeValuesAsTyped(*sub);
    }
}

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                   std::ostream& err) {
    ParsedCommandLine call;
    // Everything after the first "--" is a positional argument of the command
    // given before it, whatever it looks like.
    std::vector<std::string> args = arguments;
    const auto mark = std::find(args.begin(), args.end(), "--");
    const std::vector<std::string> afterMark(mark == args.end() ? mark : mark + 1, args.end());
    args.erase(mark, args.end());
    for (std::string& a : args) {
        a = shieldedToken(a);
    }

    call.parser = std::make_shared<CLI::App>("tessalyn-cli");
    CLI::App& root = *call.parser;
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
    takeValuesAsTyped(root);

    const auto commandGiven = [&]() -> const Command* {
        for (std::size_t i = 0; i < runners.size(); ++i) {
            if (runners[i].first->parsed()) {
                return &commands()[i];
            }
        }
        return nullptr;
    };
    const auto settled = [&call](int code) {
        call.exitCode = code;
        return std::move(call);
    };
    const auto printHelp = [&]() {
        if (const Command* c = commandGiven()) {
            c->printHelp(out);
        } else {
            printUsage(out);
        }
        return settled(kExitOk);
    };

    std::reverse(args.begin(), args.end()); // the library reads from the back
    try {
        root.parse(args);
    } catch (const CLI::ParseError& e) {
        if (helpRequested(root)) {
            return printHelp();
        }
        err << "tessalyn-cli: " << describeParseError(e, root) << "\n";
        return settled(kExitUsage);
    } catch (const UsageError& e) {
        err << "tessalyn-cli: " << e.what() << "\n";
        return settled(kExitUsage);
    }
    if (helpRequested(root)) {
        return printHelp();
    }
    if (version->count() > 0) {
        // GNU style: the program, its package in parentheses, the version last.
        out << "tessalyn-cli (Tessalyn) " << TESSALYN_VERSION << "\n";
        return settled(kExitOk);
    }
    const Command* command = commandGiven();
    if (command == nullptr) {
        err << "tessalyn-cli: kein Befehl angegeben (--help zeigt die Befehle)\n";
        return settled(kExitUsage);
    }
    CLI::App* innermost = deepestCommand(root);
    // An argument before a subcommand's name would be read by nobody: the
    // subcommand runs with its own arguments only.
    for (CLI::App* app = innermost->get_parent(); app != &root; app = app->get_parent()) {
        if (const std::vector<std::string> early = positionals(*app); !early.empty()) {
            err << "tessalyn-cli: unerwartetes Argument " << early.front() << " vor "
                << app->get_subcommands().front()->get_name() << " (--help zeigt die Aufrufe)\n";
            return settled(kExitUsage);
        }
    }
    for (const std::string& a : afterMark) {
        innermost->get_option(kPositionals)->add_result(shielded(a));
    }
    const std::size_t index = static_cast<std::size_t>(command - commands().data());
    call.runner = runners[index].second;
    call.args = positionals(*runners[index].first);
    if (content->count() > 0) {
        call.contentFile = contentFile;
    }
    return call;
}

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
    std::vector<std::string> converted;
    converted.reserve(utf8.size());
    for (const std::string& t : utf8) {
        converted.push_back(text(t));
    }
    return converted;
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
    std::vector<std::string> args = app.get_option(kPositionals)->results();
    for (std::string& a : args) {
        a = unshielded(a);
    }
    return args;
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
        ParsedCommandLine call = parseCommandLine(
            std::vector<std::string>(argv + std::min(argc, 1), argv + argc), out, err);
        return call.exitCode ? *call.exitCode : loadAndRun(call, out, err);
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
