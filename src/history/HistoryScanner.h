#pragma once

#include "history/HistoryErrors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessalyn {

// Token codes of the scanner. The symbol and keyword tables give codes from
// -100 to -125 to their entries; -13 to -16 have a fixed meaning when a table
// gives them to a symbol.
namespace token {
inline constexpr int kEnd = 0;
inline constexpr int kNone = -1;     // no token yet; the scanner reads on
inline constexpr int kTableEnd = -2; // ends a configuration table
inline constexpr int kInteger = -10;
inline constexpr int kFloat = -11;
inline constexpr int kWord = -12; // also any character outside every class and table
inline constexpr int kString = -13;
inline constexpr int kBlockCommentStart = -14;
inline constexpr int kBlockCommentEnd = -15;
inline constexpr int kLineComment = -16;
} // namespace token

// One entry of a keyword or symbol table.
struct ScannerEntry {
    std::string text;
    int code = token::kTableEnd;
};

struct Token {
    std::int32_t code = token::kNone;
    std::string text;
    int line = 0; // the scanner's position after the token was read
    int column = 0;
};

// Where the scanner's bytes come from. `read` fills as much of the buffer as
// it can and returns the number of bytes; fewer than asked means the input
// has ended.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

// A file opened for reading without line-end translation.
std::unique_ptr<ByteSource> openFileSource(const std::string& fileName);
// Bytes held by the caller, who keeps them alive while the scanner reads.
std::unique_ptr<ByteSource> memorySource(std::string_view bytes);

// The table-driven scanner that the history reader drives. It reads its input
// in blocks of 1000 bytes with one character of look-ahead, reads a run of CR
// bytes as one CR, and counts lines and columns for the error texts.
class HistoryScanner {
public:
    static constexpr std::size_t kBlockSize = 1000;

    HistoryScanner();
    ~HistoryScanner();
    HistoryScanner(const HistoryScanner&) = delete;
    HistoryScanner& operator=(const HistoryScanner&) = delete;

    // Installs the tables (an entry with code -2 ends a table early), opens
    // the file and reads its first block. Throws HistoryFileError (error
    // code -1) when that block holds no byte: missing, unreadable or empty.
    void open(const std::string& fileName, std::span<const ScannerEntry> keywords,
              std::span<const ScannerEntry> symbols);
    // The same over any byte source; `name` goes into the error texts.
    void open(std::unique_ptr<ByteSource> source, const std::string& name,
              std::span<const ScannerEntry> keywords, std::span<const ScannerEntry> symbols);
    void close();

    // Consumes and returns the look-ahead character; 0 at the end of input.
    char nextChar();
    // The next token; the reference stays valid until the next call of any
    // token operation.
    const Token& nextToken();
    // Reads the next token, hands it back and returns its code.
    int peekCode();
    // The next token when its code is `code`; otherwise throws
    // HistorySyntaxError with the current line and column.
    const Token& expect(int code);
    const std::string& expectValue(int code);
    // A word equal to `text` ignoring case, else HistorySyntaxError
    // naming IDS_Identifier.
    void expectName(std::string_view text);

    int line() const { return clamped(line_); }
    int column() const { return clamped(column_); }
    bool atEnd() const { return end_; }
    const std::string& fileName() const { return fileName_; }

private:
    static constexpr int kNoSymbol = 1; // no table code is positive

    static int clamped(std::int64_t value) {
        return value > INT32_MAX ? INT32_MAX : static_cast<int>(value);
    }

    void advance();
    void refill();
    // Appends the look-ahead and the characters after it while `accept`
    // holds, straight from the buffer. Only for characters that count one
    // column each (no TAB, line feed or CR).
    template <typename Accept> void takeRun(std::string& text, Accept accept);
    void skipWhiteSpace();
    // One pass of the token loop: a word, number, symbol or string; block and
    // line comment codes are returned to the caller.
    int scanOne(std::string& text);
    void readToken(Token& t);
    void skipBlockComment();
    [[noreturn]] void fail(int expected) const;

    std::unique_ptr<ByteSource> source_;
    std::string fileName_;
    std::array<char, kBlockSize> buffer_{};
    std::size_t filled_ = 0; // bytes in the buffer from the last read
    std::size_t pos_ = 0;    // next unread byte of the buffer
    char look_ = 0;
    bool end_ = true;
    // Counted wide so that no input, however long its lines, overflows them.
    std::int64_t line_ = 1;
    std::int64_t column_ = -1;

    std::unordered_map<std::string, int> keywords_; // keyed by the upper-cased text
    std::array<int, 256> oneCharSymbols_{};
    std::vector<std::pair<std::string, int>> twoCharSymbols_;

    Token current_;
    std::array<Token, 2> pushback_;
    int pushed_ = 0;
    std::string scratch_;
};

} // namespace tessalyn
