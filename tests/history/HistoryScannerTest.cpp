#include "history/HistoryScanner.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace tessalyn;

namespace {

// The history reader's symbol table.
const std::vector<ScannerEntry> kHistorySymbols = {{"\"", -13}, {"=", -107}, {"/", -115},
                                                   {"<", -110}, {">", -109}, {"", -2}};

struct Scan {
    std::string bytes; // kept alive while the scanner reads
    HistoryScanner scanner;

    explicit Scan(std::string text, const std::vector<ScannerEntry>& symbols = kHistorySymbols,
                  const std::vector<ScannerEntry>& keywords = {})
        : bytes(std::move(text)) {
        scanner.open(memorySource(bytes), "test.xml", keywords, symbols);
    }
};

// The text of the syntax error that `action` raises.
template <typename F> std::string syntaxError(F action) {
    try {
        action();
    } catch (const HistorySyntaxError& e) {
        return e.message();
    }
    return "(no error)";
}

std::string errorAt(int line, int column, const std::string& expected) {
    return "Syntax Error in Datei: test.xml\nZeile: " + std::to_string(line) +
           " Spalte: " + std::to_string(column) + " Erwartet: " + expected + "\n";
}

} // namespace

TEST(HistoryScanner, UnquotedValueNamesColumn27AndIdsString) {
    Scan s("<Fallhistorie AnzahlFaelle=3>");
    s.scanner.expect(-110);
    s.scanner.expectName("Fallhistorie");
    s.scanner.expectName("AnzahlFaelle");
    s.scanner.expect(-107);
    EXPECT_EQ(syntaxError([&] { s.scanner.expect(-13); }), errorAt(1, 27, "IDS_String"));
}

TEST(HistoryScanner, FileOfOnlyCrLfEndsAtLine2Column0) {
    Scan s("\r\n");
    EXPECT_EQ(s.scanner.peekCode(), token::kEnd);
    EXPECT_EQ(syntaxError([&] { s.scanner.expect(-110); }), errorAt(2, 0, "<"));
}

TEST(HistoryScanner, EmptyOrMissingInputIsAFileError) {
    HistoryScanner scanner;
    try {
        scanner.open(memorySource(""), "leer.xml", {}, kHistorySymbols);
        FAIL() << "no error";
    } catch (const HistoryFileError& e) {
        EXPECT_EQ(e.errorCode(), -1);
        EXPECT_EQ(e.message(), " Dateifehler : leer.xml Fehler : -1");
    }
    EXPECT_THROW(scanner.open("/nonexistent/historie.xml", {}, kHistorySymbols), HistoryFileError);
}

TEST(HistoryScanner, CrRunsReadAsOneCr) {
    // Inside a string CR CR LF comes back as CR LF; outside it is white space.
    Scan s("\r\r\r\n<\"a\r\r\nb\">");
    const Token& lt = s.scanner.expect(-110);
    EXPECT_EQ(lt.line, 2);
    EXPECT_EQ(s.scanner.expectValue(-13), "a\r\nb");
    EXPECT_EQ(s.scanner.line(), 3);
    s.scanner.expect(-109);
    EXPECT_EQ(s.scanner.nextToken().code, token::kEnd);
}

TEST(HistoryScanner, ColumnsCountTabsAsEight) {
    // After a line feed the column is 0, so two TABs reach 16 and the word's
    // last character stands at 16 plus its length.
    Scan s("<\n\t\tFall");
    s.scanner.expect(-110);
    const Token& word = s.scanner.expect(token::kWord);
    EXPECT_EQ(word.text, "Fall");
    EXPECT_EQ(word.line, 2);
    EXPECT_EQ(word.column, 20);
    // At the very start of the file the first character stands in column 0.
    Scan t("ab");
    EXPECT_EQ(t.scanner.nextToken().column, 1);
}

TEST(HistoryScanner, WordsNamesAndUnknownCharacters) {
    Scan s("FALLHISTORIE Fall.x Gr\xF6\xDF"
           "e_1~ ! =");
    s.scanner.expectName("Fallhistorie");
    const Token& word = s.scanner.expect(token::kWord);
    EXPECT_EQ(word.text, "Fall.x");
    EXPECT_EQ(s.scanner.expectValue(token::kWord), "Gr\xF6\xDF"
                                                   "e_1~");
    const Token& bang = s.scanner.nextToken();
    EXPECT_EQ(bang.code, token::kWord);
    EXPECT_EQ(bang.text, "");
    EXPECT_EQ(syntaxError([&] { s.scanner.expectName("Fall"); }), errorAt(1, 31, "IDS_Identifier"));
}

TEST(HistoryScanner, NumbersAndSigns) {
    Scan s("-12 +7 3.25 - 1 .5");
    const Token& a = s.scanner.nextToken();
    EXPECT_EQ(a.code, token::kInteger);
    EXPECT_EQ(a.text, "-12");
    EXPECT_EQ(s.scanner.nextToken().text, "+7");
    const Token& f = s.scanner.nextToken();
    EXPECT_EQ(f.code, token::kFloat);
    EXPECT_EQ(f.text, "3.25");
    // A sign not directly followed by a digit is no number.
    EXPECT_EQ(s.scanner.nextToken().code, token::kWord);
    EXPECT_EQ(s.scanner.nextToken().text, "1");
    EXPECT_EQ(s.scanner.nextToken().code, token::kFloat);
}

TEST(HistoryScanner, StringsDecodeQuotesAndKeepLeadingWhiteSpace) {
    Scan s("\"it.'s .''x.''\" \"  \r\n zwei\" \"\"");
    EXPECT_EQ(s.scanner.expectValue(-13), "it's \"x\"");
    EXPECT_EQ(s.scanner.expectValue(-13), "  \r\n zwei");
    EXPECT_EQ(s.scanner.expectValue(-13), "");
    EXPECT_EQ(s.scanner.nextToken().code, token::kEnd);
}

TEST(HistoryScanner, UnterminatedStringRunsToTheEnd) {
    Scan s("\"abc\r\n<x");
    EXPECT_EQ(s.scanner.expectValue(-13), "abc\r\n<x");
    EXPECT_NE(syntaxError([&] { s.scanner.expect(-109); }).find("Erwartet: >\n"),
              std::string::npos);
    EXPECT_EQ(s.scanner.nextToken().code, token::kEnd);
    EXPECT_EQ(s.scanner.nextToken().code, token::kEnd);
}

TEST(HistoryScanner, PeekHandsTheTokenBack) {
    Scan s("<Symptom/>");
    EXPECT_EQ(s.scanner.peekCode(), -110);
    EXPECT_EQ(s.scanner.peekCode(), -110);
    s.scanner.expect(-110);
    EXPECT_EQ(s.scanner.peekCode(), token::kWord);
    EXPECT_EQ(s.scanner.expectValue(token::kWord), "Symptom");
    s.scanner.expect(-115);
    s.scanner.expect(-109);
}

TEST(HistoryScanner, TwoCharacterSymbolsKeywordsAndComments) {
    const std::vector<ScannerEntry> symbols = {{"<", -110}, {"<=", -112}, {":=", -125},
                                               {"/*", -14}, {"*/", -15},  {"//", -16},
                                               {"", -2},    {"!", -122}};
    const std::vector<ScannerEntry> keywords = {{"Begin", -100}};
    Scan s("<= < /* a /* b */ c */ BEGIN // Rest der Zeile\n:= !", symbols, keywords);
    EXPECT_EQ(s.scanner.nextToken().code, -112);
    EXPECT_EQ(s.scanner.nextToken().code, -110);
    const Token& kw = s.scanner.nextToken(); // comments nest and are skipped
    EXPECT_EQ(kw.code, -100);
    EXPECT_EQ(kw.text, "BEGIN");
    EXPECT_EQ(s.scanner.nextToken().code, -125);
    // The entry with code -2 ended the table, so "!" is unknown.
    EXPECT_EQ(s.scanner.nextToken().code, token::kWord);
}

TEST(HistoryScanner, BlockBoundariesAtOneAndTwoThousandBytes) {
    const test_support::TempFolder folder("tessalyn-scanner");
    const std::filesystem::path& dir = folder.path();
    for (std::size_t size : {999u, 1000u, 1001u, 2000u}) {
        // A word (across the block boundary for 2000 bytes) and a symbol as the
        // very last byte.
        const std::string word(200, 'w');
        std::string text(size > 1500 ? 900 : 300, ' ');
        text += word;
        text.resize(size - 1, ' ');
        text += '>';
        const std::string path = (dir / "block.xml").string();
        std::ofstream(path, std::ios::binary) << text;

        HistoryScanner scanner;
        scanner.open(path, {}, kHistorySymbols);
        EXPECT_EQ(scanner.expectValue(token::kWord), word) << size;
        EXPECT_EQ(scanner.expect(-109).column, static_cast<int>(size) - 1) << size;
        EXPECT_TRUE(scanner.atEnd());
        EXPECT_EQ(scanner.nextToken().code, token::kEnd) << size;
    }
}

TEST(HistoryErrors, TextsAndReportingOnce) {
    EXPECT_EQ(tokenName(-20), "Token -20");
    EXPECT_EQ(tokenName(-13), "IDS_String");
    EXPECT_EQ(tokenName(-125), ":=");
    EXPECT_EQ(tokenName(0), "Dateiende");

    HistorySyntaxError e(1, "h.xml", -20, 4, 2);
    EXPECT_EQ(e.message(),
              "Syntax Error in Datei: h.xml\nZeile: 2 Spalte: 4 Erwartet: Token -20\n");
    EXPECT_EQ(HistorySyntaxError(3, "h.xml", -12, 1, 1).message(), "Unbekannter Fehler");
    const std::exception& asStd = e;
    EXPECT_EQ(std::string(asStd.what()), e.message());

    CollectingHistoryReporter reporter;
    EXPECT_EQ(e.report(reporter), HistoryReporter::kOk);
    EXPECT_EQ(e.report(reporter), HistoryReporter::kOk);
    ASSERT_EQ(reporter.messages().size(), 1u);
    EXPECT_EQ(reporter.messages()[0], "Fehler:\n" + e.message());
    EXPECT_TRUE(e.reported());

    HistoryError base; // "?" is never shown
    EXPECT_EQ(base.report(reporter), 0);
    EXPECT_FALSE(base.reported());
    EXPECT_EQ(reporter.messages().size(), 1u);
}
