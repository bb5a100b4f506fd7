#include "history/HistoryScanner.h"

#include "data/Cp1252.h"
#include "history/QuoteCoding.h"

#include <cstdio>
#include <cstring>

namespace tessalyn {

namespace {

// Character classes over the single bytes of the code page.
enum CharClass : unsigned char {
    kOther = 0,
    kLetter = 1,
    kExtraWord = 2,
    kDigit = 4,
    kWhite = 8,
};

constexpr std::array<unsigned char, 256> makeClasses() {
    std::array<unsigned char, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c) {
        t[c] = kLetter;
        t[c + ('a' - 'A')] = kLetter;
    }
    // Ä Ö Ü ä ö ü ß
    for (int c : {0xC4, 0xD6, 0xDC, 0xE4, 0xF6, 0xFC, 0xDF}) {
        t[c] = kLetter;
    }
    t['_'] = kExtraWord;
    t['~'] = kExtraWord;
    for (int c = '0'; c <= '9'; ++c) {
        t[c] = kDigit;
    }
    for (const unsigned char c : {'\t', '\n', '\v', '\f', '\r', ' '}) {
        t[c] = kWhite;
    }
    return t;
}

constexpr std::array<unsigned char, 256> kClasses = makeClasses();

inline unsigned char classOf(char c) {
    return kClasses[static_cast<unsigned char>(c)];
}
inline bool isWordStart(char c) {
    return (classOf(c) & (kLetter | kExtraWord)) != 0;
}
inline bool isWordChar(char c) {
    return (classOf(c) & (kLetter | kExtraWord | kDigit)) != 0 || c == '.';
}
inline bool isDigit(char c) {
    return classOf(c) == kDigit;
}
inline bool isWhite(char c) {
    return classOf(c) == kWhite;
}

class FileSource : public ByteSource {
public:
    explicit FileSource(std::FILE* file) : file_(file) {}
    ~FileSource() override {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(char* buffer, std::size_t size) override {
        return file_ == nullptr ? 0 : std::fread(buffer, 1, size, file_);
    }

private:
    std::FILE* file_;
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, bytes_.size());
        if (n > 0) {
            std::memcpy(buffer, bytes_.data(), n);
        }
        bytes_.remove_prefix(n);
        return n;
    }

private:
    std::string_view bytes_;
};

} // namespace

std::unique_ptr<ByteSource> openFileSource(const std::string& fileName) {
    return std::make_unique<FileSource>(std::fopen(fileName.c_str(), "rb"));
}

std::unique_ptr<ByteSource> memorySource(std::string_view bytes) {
    return std::make_unique<MemorySource>(bytes);
}

HistoryScanner::HistoryScanner() {
    oneCharSymbols_.fill(kNoSymbol);
}

HistoryScanner::~HistoryScanner() = default;

void HistoryScanner::open(const std::string& fileName, std::span<const ScannerEntry> keywords,
                          std::span<const ScannerEntry> symbols) {
    open(openFileSource(fileName), fileName, keywords, symbols);
}

void HistoryScanner::open(std::unique_ptr<ByteSource> source, const std::string& name,
                          std::span<const ScannerEntry> keywords,
                          std::span<const ScannerEntry> symbols) {
    close();
    fileName_ = name;
    for (const ScannerEntry& k : keywords) {
        if (k.code == token::kTableEnd) {
            break;
        }
        keywords_.emplace(cp1252ToUpper(k.text), k.code);
    }
    for (const ScannerEntry& s : symbols) {
        if (s.code == token::kTableEnd) {
            break;
        }
        if (s.text.size() == 1) {
            oneCharSymbols_[static_cast<unsigned char>(s.text[0])] = s.code;
        } else if (s.text.size() == 2) {
            twoCharSymbols_.emplace_back(s.text, s.code);
        }
    }
    source_ = std::move(source);
    filled_ = source_->read(buffer_.data(), kBlockSize);
    if (filled_ == 0) {
        source_.reset();
        throw HistoryFileError(fileName_, -1);
    }
    look_ = buffer_[0];
    pos_ = 1;
    end_ = false;
    line_ = 1;
    column_ = -1;
}

void HistoryScanner::close() {
    source_.reset();
    keywords_.clear();
    oneCharSymbols_.fill(kNoSymbol);
    twoCharSymbols_.clear();
    filled_ = 0;
    pos_ = 0;
    look_ = 0;
    end_ = true;
    pushed_ = 0;
    current_ = Token{};
}

inline void HistoryScanner::advance() {
    if (pos_ < filled_) [[likely]] {
        look_ = buffer_[pos_++];
        return;
    }
    refill();
}

void HistoryScanner::refill() {
    // Only a full block can have a successor; a short block was the last.
    if (filled_ == kBlockSize && source_) {
        filled_ = source_->read(buffer_.data(), kBlockSize);
        pos_ = 0;
        if (filled_ > 0) {
            look_ = buffer_[pos_++];
            return;
        }
    }
    end_ = true;
    look_ = 0;
}

template <typename Accept> void HistoryScanner::takeRun(std::string& text, Accept accept) {
    // While input remains, the look-ahead is the buffer's byte before pos_.
    while (!end_ && accept(look_)) {
        const std::size_t start = pos_ - 1;
        std::size_t p = pos_;
        while (p < filled_ && accept(buffer_[p])) {
            ++p;
        }
        text.append(buffer_.data() + start, p - start);
        column_ += static_cast<std::int64_t>(p - start);
        pos_ = p;
        advance();
    }
}

char HistoryScanner::nextChar() {
    char c = look_;
    advance();
    // A run of CR bytes yields one CR, the last of the run.
    while (c == '\r' && look_ == '\r') {
        c = look_;
        advance();
    }
    switch (c) {
    case '\n':
        ++line_;
        column_ = 0;
        break;
    case '\t':
        column_ += 8;
        break;
    case '\r':
        break;
    default:
        ++column_;
        break;
    }
    return c;
}

void HistoryScanner::skipWhiteSpace() {
    while (!end_ && isWhite(look_)) {
        nextChar();
    }
}

int HistoryScanner::scanOne(std::string& text) {
    if (end_) {
        return token::kEnd;
    }
    const char c = nextChar();
    if (isWordStart(c)) {
        text += c;
        takeRun(text, [](char ch) { return isWordChar(ch); });
        if (!keywords_.empty()) {
            const auto it = keywords_.find(cp1252ToUpper(text));
            if (it != keywords_.end()) {
                return it->second;
            }
        }
        return token::kWord;
    }
    // A number: digits, a sign directly before a digit, or a "." before a digit.
    if (isDigit(c) || (c == '.' && isDigit(look_)) || ((c == '-' || c == '+') && isDigit(look_))) {
        text += c;
        takeRun(text, [](char ch) { return isDigit(ch); });
        if (c != '.' && !end_ && look_ == '.') {
            text += nextChar();
            takeRun(text, [](char ch) { return isDigit(ch); });
        }
        return text.find('.') == std::string::npos ? token::kInteger : token::kFloat;
    }
    // A symbol of two characters, then of one; anything else is an empty word.
    int code = kNoSymbol;
    if (!end_) {
        for (const auto& [symbol, symbolCode] : twoCharSymbols_) {
            if (symbol[0] == c && symbol[1] == look_) {
                text = symbol;
                code = symbolCode;
                nextChar();
                break;
            }
        }
    }
    if (code == kNoSymbol) {
        code = oneCharSymbols_[static_cast<unsigned char>(c)];
        if (code != kNoSymbol) {
            text.assign(1, c);
        } else {
            code = token::kWord;
        }
    }
    if (code == token::kLineComment) {
        const std::int64_t line = line_;
        while (!end_ && line_ == line) {
            nextChar();
        }
    }
    if (code == token::kString) {
        // The text starts right after the opening quote: white space there
        // belongs to the value (a comment may begin with blanks or a line
        // break). No escapes; the text runs to the next quote or the end.
        text.clear();
        while (!end_ && look_ != '"') {
            if (look_ == '\r' || look_ == '\n' || look_ == '\t') {
                text += nextChar();
            } else {
                takeRun(text, [](char ch) {
                    return ch != '"' && ch != '\r' && ch != '\n' && ch != '\t';
                });
            }
        }
        nextChar(); // the closing quote
        if (text.find('\'') != std::string::npos) {
            text = decodeQuotes(text);
        }
        return code;
    }
    skipWhiteSpace();
    return code;
}

void HistoryScanner::skipBlockComment() {
    // Comments nest: an inner start needs its own end.
    int depth = 1;
    while (depth > 0 && !end_) {
        scratch_.clear();
        const int code = scanOne(scratch_);
        if (code == token::kBlockCommentStart) {
            ++depth;
        } else if (code == token::kBlockCommentEnd) {
            --depth;
        }
    }
}

void HistoryScanner::readToken(Token& t) {
    skipWhiteSpace();
    int code = token::kNone;
    while (code == token::kNone) {
        t.text.clear();
        code = scanOne(t.text);
        if (code == token::kBlockCommentStart) {
            skipBlockComment();
            code = token::kNone;
        } else if (code == token::kLineComment) {
            code = token::kNone;
        }
    }
    t.code = code;
    t.line = line();
    t.column = column();
}

const Token& HistoryScanner::nextToken() {
    if (pushed_ > 0) {
        --pushed_;
        std::swap(current_, pushback_[static_cast<std::size_t>(pushed_)]);
        return current_;
    }
    readToken(current_);
    return current_;
}

int HistoryScanner::peekCode() {
    nextToken();
    if (pushed_ >= static_cast<int>(pushback_.size())) {
        // Never happens with the history reader, which peeks one token ahead.
        return current_.code;
    }
    const int code = current_.code;
    std::swap(pushback_[static_cast<std::size_t>(pushed_)], current_);
    ++pushed_;
    return code;
}

void HistoryScanner::fail(int expected) const {
    throw HistorySyntaxError(HistorySyntaxError::kReadingFile, fileName_, expected, column(),
                             line());
}

const Token& HistoryScanner::expect(int code) {
    const Token& t = nextToken();
    if (t.code != code) {
        fail(code);
    }
    return t;
}

const std::string& HistoryScanner::expectValue(int code) {
    return expect(code).text;
}

void HistoryScanner::expectName(std::string_view text) {
    const std::string& word = expectValue(token::kWord);
    if (word != text && !cp1252EqualsIgnoreCase(word, text)) {
        fail(token::kWord);
    }
}

} // namespace tessalyn
