// Checks the German–English search vocabulary and writes it as a C++ source.
// Usage: tessalyn_vocabulary INPUT OUTPUT SYMBOL
//
// INPUT is UTF-8 with " → " between the German and the English part. Each line
// is converted to Windows-1252 with a TAB for the arrow, the result is read
// with the program's own vocabulary reader, and only a vocabulary it accepts
// is written. Every fault stops the build with "INPUT:LINE: reason".
#include "EmbedSource.h"
#include "data/Cp1252.h"
#include "search/Vocabulary.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kArrow = "\xE2\x86\x92"; // →
// Stands for characters Windows-1252 cannot hold; never in a valid line.
constexpr char kUnknown = '\x1A';

int fail(const char* file, int line, const std::string& reason) {
    std::cerr << file << ':' << line << ": " << reason << '\n';
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: tessalyn_vocabulary INPUT OUTPUT SYMBOL\n";
        return 2;
    }
    const char* input = argv[1];
    std::ifstream in(input, std::ios::binary);
    if (!in) {
        std::cerr << input << ": Datei nicht lesbar\n";
        return 1;
    }
    const std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    std::string converted;
    converted.reserve(utf8.size());
    int line = 0;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        ++line;
        std::size_t end = utf8.find('\n', pos);
        if (end == std::string::npos) {
            end = utf8.size();
        }
        std::string text = utf8.substr(pos, end - pos);
        pos = end + 1;
        const bool comment = !text.empty() && text[0] == '#';
        if (!comment) {
            if (text.find('\t') != std::string::npos) {
                return fail(input, line, "Tabulator in der Zeile (Trennzeichen ist „→“)");
            }
            const std::size_t arrow = text.find(kArrow);
            const bool blank = text.find_first_not_of(' ') == std::string::npos;
            if (arrow == std::string::npos && !blank) {
                return fail(input, line, "kein „→“ zwischen deutschem und englischem Teil");
            }
            if (arrow != std::string::npos) {
                if (text.find(kArrow, arrow + kArrow.size()) != std::string::npos) {
                    return fail(input, line, "mehr als ein „→“");
                }
                text = text.substr(0, arrow) + '\t' + text.substr(arrow + kArrow.size());
            }
        }
        std::string bytes = tessalyn::utf8ToCp1252(text, comment ? '?' : kUnknown);
        if (!comment && bytes.find(kUnknown) != std::string::npos) {
            return fail(input, line,
                        "Zeichen, das Windows-1252 nicht kennt (oder kein gültiges UTF-8)");
        }
        converted += bytes;
        if (end < utf8.size()) {
            converted += '\n';
        }
    }

    tessalyn::Vocabulary vocabulary;
    tessalyn::ContentError error;
    if (!vocabulary.parse(converted, error)) {
        return fail(input, error.line, tessalyn::cp1252ToUtf8(error.rule));
    }
    return writeTextFile(argv[2], embeddedSource(converted, argv[3]), "tessalyn_vocabulary") ? 0
                                                                                             : 1;
}
