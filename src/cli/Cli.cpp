#include "cli/Cli.h"

#include "Version.h"
#include "data/ContentLoader.h"
#include "data/Cp1252.h"
#include "data/Overlay.h"

#include <algorithm>
#include <charconv>

namespace tessalyn::cli {

void Context::print(std::string_view cp1252Text) const {
    out << cp1252ToUtf8(cp1252Text);
}

int Context::usageError(std::string_view message) const {
    err << "tessalyn-cli: " << cp1252ToUtf8(message) << "\n";
    return kExitUsage;
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

namespace {

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
           "Eine Datei \"orvento.lang\" im aktuellen Verzeichnis ersetzt wie im Programm die\n"
           "Texte der Kapitel I bis VII.\n"
           "Ausführliche Beschreibung: \"man tessalyn-cli\".\n"
           "Rückgabewerte: 0 Erfolg, 1 Fehler, 2 falscher Aufruf.\n";
}

} // namespace

int runCli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(utf8ToCp1252(argv[i]));
    }
    std::string contentFile;
    bool haveContentFile = false;
    std::size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            printUsage(out);
            return kExitOk;
        }
        if (a == "--version") {
            // GNU style: the program, its package in parentheses, the version last.
            out << "tessalyn-cli (Tessalyn) " << TESSALYN_VERSION << "\n";
            return kExitOk;
        }
        if (a == "--content") {
            if (i + 1 >= args.size()) {
                err << "tessalyn-cli: --content braucht einen Dateinamen\n";
                return kExitUsage;
            }
            contentFile = args[++i];
            haveContentFile = true;
            continue;
        }
        if (a.rfind("--content=", 0) == 0) {
            contentFile = a.substr(10);
            haveContentFile = true;
            continue;
        }
        if (a.size() > 1 && a[0] == '-') {
            err << "tessalyn-cli: unbekannte Option " << cp1252ToUtf8(a)
                << " (--help zeigt die Befehle)\n";
            return kExitUsage;
        }
        break;
    }
    if (i >= args.size()) {
        err << "tessalyn-cli: kein Befehl angegeben (--help zeigt die Befehle)\n";
        return kExitUsage;
    }
    const std::string name = args[i];
    const Command* command = nullptr;
    for (const Command& c : commands()) {
        if (name == c.name) {
            command = &c;
        }
    }
    if (command == nullptr) {
        err << "tessalyn-cli: unbekannter Befehl " << cp1252ToUtf8(name)
            << " (--help zeigt die Befehle)\n";
        return kExitUsage;
    }
    std::vector<std::string> rest(args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());

    RepertoryData data;
    ContentError error;
    const bool loaded = haveContentFile ? loadContentFile(contentFile, data, error)
                                        : loadBuiltInContent(data, error);
    if (!loaded) {
        err << "tessalyn-cli: " << (haveContentFile ? cp1252ToUtf8(contentFile) + ": " : "")
            << cp1252ToUtf8(error.message()) << "\n";
        return kExitFailure;
    }
    loadOverlay(data);
    Context context{data, out, err};
    return command->run(context, rest);
}

} // namespace tessalyn::cli
