#include "data/ContentLoader.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

extern const char kBuiltInRepertoryTsv[];
extern const std::size_t kBuiltInRepertoryTsvSize;

namespace tessalyn {

std::string ContentError::message() const {
    if (line <= 0) {
        return rule;
    }
    return "line " + std::to_string(line) + ": " + rule;
}

namespace {

constexpr int kMaxFields = 8;

struct Fields {
    std::array<std::string_view, kMaxFields> items;
    int count = 0;
};

// Splits at tabs; more than kMaxFields fields are counted but not kept.
Fields splitTabs(std::string_view line) {
    Fields f;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        const std::string_view item = line.substr(
            start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
        if (f.count < kMaxFields) {
            f.items[f.count] = item;
        }
        ++f.count;
        if (tab == std::string_view::npos) {
            break;
        }
        start = tab + 1;
    }
    return f;
}

// Strict decimal: an optional minus sign (when allowed) and digits, nothing else.
bool parseInt(std::string_view s, bool allowNegative, std::int64_t maxValue, std::int64_t& out) {
    if (s.empty()) {
        return false;
    }
    bool negative = false;
    std::size_t i = 0;
    if (s[0] == '-') {
        if (!allowNegative || s.size() == 1) {
            return false;
        }
        negative = true;
        i = 1;
    }
    std::int64_t value = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
        if (value > maxValue + 1) {
            return false;
        }
    }
    value = negative ? -value : value;
    if (value > maxValue || value < -maxValue - 1) {
        return false;
    }
    out = value;
    return true;
}

constexpr std::int64_t kInt32Max = 2147483647;
constexpr std::int64_t kUint32Max = 4294967295;

} // namespace

class ContentReader::Loader {
public:
    Loader() {
        chapterLines_.fill(0);
        headingLines_.resize(kHeadingCount);
        rubricLines_.resize(kRubricCount);
    }

    // Reads the lines of `text`; their numbers go on from the lines read before.
    bool read(std::string_view text, ContentError& error) {
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t end = text.find('\n', pos);
            if (end == std::string_view::npos) {
                end = text.size();
            }
            std::string_view line = text.substr(pos, end - pos);
            pos = end + 1;
            ++lineNo_;
            if (!line.empty() && line.back() == '\r') {
                line.remove_suffix(1);
            }
            if (line.empty() || line.front() == '#') {
                continue;
            }
            if (!record(line, lineNo_)) {
                error = {lineNo_, rule_};
                return false;
            }
        }
        return true;
    }

    // The rules that need the whole content.
    bool finish(ContentError& error) {
        if (!wholeContentHolds()) {
            error = {failLine_, rule_};
            return false;
        }
        return true;
    }

    RepertoryData& data() { return data_; }

private:
    RepertoryTables& tables() { return data_.tables(); }

    bool fail(std::string rule, int line = 0) {
        rule_ = std::move(rule);
        failLine_ = line;
        return false;
    }

    bool text(std::string_view s, int fieldSize, const char* what, char* field) {
        if (s.size() > static_cast<std::size_t>(fieldSize - 1)) {
            return fail(std::string(what) + " longer than " + std::to_string(fieldSize - 1) +
                        " characters");
        }
        if (s.find('\0') != std::string_view::npos || s.find('\r') != std::string_view::npos) {
            return fail(std::string(what) + " contains a control character");
        }
        std::memcpy(field, s.data(), s.size());
        field[s.size()] = '\0';
        return true;
    }

    bool number(std::string_view s, const char* what, bool allowNegative, std::int64_t& out) {
        if (!parseInt(s, allowNegative, kInt32Max, out)) {
            return fail(std::string(what) + " is not a " + (allowNegative ? "" : "non-negative ") +
                        "decimal number: \"" + std::string(s.substr(0, 40)) + "\"");
        }
        return true;
    }

    bool fieldCount(const Fields& f, int expected, const char* kind) {
        if (f.count != expected) {
            return fail(std::string(kind) + " record needs " + std::to_string(expected) +
                        " tab-separated fields, found " + std::to_string(f.count));
        }
        return true;
    }

    bool record(std::string_view line, int lineNo) {
        const Fields f = splitTabs(line);
        const std::string_view kind = f.items[0];
        std::int64_t index = 0;
        if (kind == "remedy") {
            if (!fieldCount(f, 3, "remedy") || !number(f.items[1], "remedy index", false, index)) {
                return false;
            }
            if (remedies_ >= kRemedyCount) {
                return fail("more than " + std::to_string(kRemedyCount) + " remedies");
            }
            if (index != remedies_) {
                return fail("remedy index " + std::to_string(index) + " out of order, expected " +
                            std::to_string(remedies_));
            }
            const std::string_view abbr = f.items[2];
            if (abbr.empty()) {
                return fail("empty remedy abbreviation");
            }
            if (!text(abbr, kAbbreviationSize, "remedy abbreviation",
                      tables().abbreviations[remedies_])) {
                return false;
            }
            for (int k = 0; k < remedies_; ++k) {
                if (cp1252EqualsIgnoreCase(tables().abbreviations[k], abbr)) {
                    return fail("remedy abbreviation \"" + std::string(abbr) +
                                "\" repeats remedy " + std::to_string(k) +
                                " (letter case ignored)");
                }
            }
            ++remedies_;
            return true;
        }
        if (kind == "chapter") {
            return outlineRecord(f, "chapter", "headingEnd", tables().chapters,
                                 &Chapter::headingEnd, chapters_, chapterLines_.data(), lineNo);
        }
        if (kind == "heading") {
            return outlineRecord(f, "heading", "rubricEnd", tables().headings, &Heading::rubricEnd,
                                 headings_, headingLines_.data(), lineNo);
        }
        if (kind == "rubric") {
            return rubric(f, lineNo);
        }
        return fail("unknown record kind \"" + std::string(kind.substr(0, 40)) + "\"");
    }

    // A chapter or a heading record, "kind index end text": the next item of
    // one level of the outline, with the cumulative end of its children.
    // `count` items were read so far; `lines` gets the item's line number.
    template <typename Item, std::size_t N>
    bool outlineRecord(const Fields& f, const std::string& kind, const char* endName,
                       Item (&items)[N], std::int32_t Item::*endField, int& count, int* lines,
                       int lineNo) {
        std::int64_t index = 0;
        std::int64_t end = 0;
        if (!fieldCount(f, 4, kind.c_str()) ||
            !number(f.items[1], (kind + " index").c_str(), false, index) ||
            !number(f.items[2], endName, false, end)) {
            return false;
        }
        if (count >= static_cast<int>(N)) {
            return fail("more than " + std::to_string(N) + " " + kind + "s");
        }
        if (index != count) {
            return fail(kind + " index " + std::to_string(index) + " out of order, expected " +
                        std::to_string(count));
        }
        Item& item = items[count];
        if (!text(f.items[3], static_cast<int>(sizeof item.text), (kind + " text").c_str(),
                  item.text)) {
            return false;
        }
        item.*endField = static_cast<std::int32_t>(end);
        lines[count++] = lineNo;
        return true;
    }

    bool rubric(const Fields& f, int lineNo) {
        std::int64_t number = 0, first = 0, count = 0, opposite = 0, oppositeBd = 0;
        if (!fieldCount(f, 8, "rubric") ||
            !this->number(f.items[1], "rubric number", false, number) ||
            !this->number(f.items[2], "firstEntry", false, first) ||
            !this->number(f.items[3], "entryCount", false, count) ||
            !this->number(f.items[4], "oppositeNumber", true, opposite) ||
            !this->number(f.items[5], "oppositeBd", true, oppositeBd)) {
            return false;
        }
        if (rubrics_ >= kRubricCount) {
            return fail("more than " + std::to_string(kRubricCount) + " rubrics");
        }
        if (number != rubrics_ + 1) {
            return fail("rubric number " + std::to_string(number) + " out of order, expected " +
                        std::to_string(rubrics_ + 1));
        }
        if (first != entries_) {
            return fail("firstEntry " + std::to_string(first) +
                        " breaks the contiguous entry runs, expected " + std::to_string(entries_));
        }
        if (count > kEntryCount - entries_) {
            return fail("entry runs exceed " + std::to_string(kEntryCount) + " entries");
        }
        if (opposite < -kRubricCount || opposite > kRubricCount) {
            return fail("oppositeNumber " + std::to_string(opposite) + " outside -" +
                        std::to_string(kRubricCount) + ".." + std::to_string(kRubricCount));
        }
        Rubric& r = tables().rubrics[rubrics_];
        if (!text(f.items[6], kRubricTextSize, "rubric text", r.text)) {
            return false;
        }
        r.oppositeNumber = static_cast<std::int32_t>(opposite);
        r.oppositeBd = static_cast<std::int32_t>(oppositeBd);
        r.firstEntry = static_cast<std::int32_t>(first);
        r.entryCount = static_cast<std::int32_t>(count);

        // The entries: unsigned decimals separated by single blanks.
        const std::string_view list = f.items[7];
        std::int64_t found = 0;
        std::size_t pos = 0;
        ++rubricStamp_;
        while (pos <= list.size() && !list.empty()) {
            std::size_t blank = list.find(' ', pos);
            if (blank == std::string_view::npos) {
                blank = list.size();
            }
            std::int64_t value = 0;
            if (!parseInt(list.substr(pos, blank - pos), false, kUint32Max, value)) {
                return fail("remedy entry " + std::to_string(found + 1) +
                            " is not an unsigned decimal number");
            }
            if (found >= count) {
                return fail("more remedy entries than entryCount " + std::to_string(count));
            }
            const auto e = static_cast<RemedyEntry>(value);
            if ((e & 0xFFFF0000u) != 0) {
                return fail("remedy entry " + std::to_string(value) + " uses bits 16-31");
            }
            const int remedy = entryRemedy(e);
            if (remedy > kHighestRemedyIndex) {
                return fail("remedy index " + std::to_string(remedy) + " is not below " +
                            std::to_string(kRemedyCount));
            }
            if (remedy > nextRemedy_) {
                return fail("remedy index " + std::to_string(remedy) +
                            " appears before its first appearance order allows (next new index " +
                            std::to_string(nextRemedy_) + ")");
            }
            if (remedy == nextRemedy_) {
                ++nextRemedy_;
            }
            if (seenInRubric_[remedy] == rubricStamp_) {
                return fail("remedy index " + std::to_string(remedy) +
                            " occurs twice in the rubric");
            }
            seenInRubric_[remedy] = rubricStamp_;
            tables().entryList[entries_ + found] = e;
            ++found;
            pos = blank + 1;
            if (blank == list.size()) {
                break;
            }
        }
        if (found != count) {
            return fail("entryCount " + std::to_string(count) + " but " + std::to_string(found) +
                        " remedy entries listed");
        }
        entries_ += count;
        rubricLines_[rubrics_++] = lineNo;
        return true;
    }

    bool wholeContentHolds() {
        const auto complete = [this](int count, int needed, const char* what) {
            return count == needed || fail("the content has " + std::to_string(count) + " " + what +
                                           ", needs " + std::to_string(needed));
        };
        if (!complete(remedies_, kRemedyCount, "remedies") ||
            !complete(chapters_, kChapterCount, "chapters") ||
            !complete(headings_, kHeadingCount, "headings") ||
            !complete(rubrics_, kRubricCount, "rubrics")) {
            return false;
        }
        if (entries_ != kEntryCount) {
            return fail("the entry runs sum to " + std::to_string(entries_) + ", needs " +
                        std::to_string(kEntryCount));
        }
        return endsAscend(tables().chapters, &Chapter::headingEnd, "headingEnd", kHeadingCount,
                          chapterLines_.data()) &&
               endsAscend(tables().headings, &Heading::rubricEnd, "rubricEnd", kRubricCount,
                          headingLines_.data());
    }

    // The ends of one outline level's children never decrease, stay within
    // the `limit` children there are, and the last one is `limit`.
    template <typename Item, std::size_t N>
    bool endsAscend(const Item (&items)[N], std::int32_t Item::*endField, const char* endName,
                    int limit, const int* lines) {
        int previous = 0;
        for (std::size_t i = 0; i < N; ++i) {
            const int end = items[i].*endField;
            if (end < previous || end > limit) {
                return fail(std::string(endName) + " " + std::to_string(end) +
                                " decreases or exceeds " + std::to_string(limit),
                            lines[i]);
            }
            previous = end;
        }
        if (previous != limit) {
            return fail("the last " + std::string(endName) + " must be " + std::to_string(limit),
                        lines[N - 1]);
        }
        return true;
    }

    RepertoryData data_;
    int lineNo_ = 0;
    int remedies_ = 0;
    int chapters_ = 0;
    int headings_ = 0;
    int rubrics_ = 0;
    std::int64_t entries_ = 0;
    int nextRemedy_ = 0;
    int rubricStamp_ = 0;
    std::array<int, kRemedyCount> seenInRubric_{};
    std::array<int, kChapterCount> chapterLines_{};
    std::vector<int> headingLines_;
    std::vector<int> rubricLines_;
    std::string rule_;
    int failLine_ = 0;
};

namespace {

void appendNumber(std::string& out, std::int64_t value) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, r.ptr);
}

} // namespace

ContentReader::ContentReader() : loader_(std::make_unique<Loader>()) {}

ContentReader::ContentReader(const ContentReader& other)
    : loader_(std::make_unique<Loader>(*other.loader_)) {}

ContentReader& ContentReader::operator=(const ContentReader& other) {
    *loader_ = *other.loader_;
    return *this;
}

ContentReader::~ContentReader() = default;

bool ContentReader::read(std::string_view text, ContentError& error) {
    return loader_->read(text, error);
}

bool ContentReader::finish(ContentError& error) {
    return loader_->finish(error);
}

RepertoryData& ContentReader::data() {
    return loader_->data();
}

bool loadContent(std::string_view text, RepertoryData& data, ContentError& error) {
    ContentReader reader;
    if (!reader.read(text, error) || !reader.finish(error)) {
        return false;
    }
    data.swap(reader.data());
    return true;
}

namespace {

// Why the system refused to open or read the file, in the program's words.
std::string systemReason(int error) {
    switch (error) {
    case ENOENT:
        return "Die Datei gibt es nicht.";
    case EACCES:
    case EPERM:
        return "Keine Berechtigung, die Datei zu lesen.";
    case EISDIR:
        return "Das ist ein Verzeichnis, keine Inhaltsdatei.";
    case ENOTDIR:
        return "Ein Teil des Pfads ist kein Verzeichnis.";
    case ELOOP:
        return "Der Pfad enthält zu viele symbolische Verknüpfungen."_cp1252;
    case ENAMETOOLONG:
        return "Der Dateiname ist zu lang.";
    case EIO:
        return "Ein-/Ausgabefehler beim Lesen.";
    default:
        return "Die Datei kann nicht gelesen werden (Systemfehler " + std::to_string(error) + ").";
    }
}

// Closes the descriptor on every way out.
struct FileDescriptor {
    int fd;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

} // namespace

bool loadContentFile(const std::string& path, RepertoryData& data, ContentError& error) {
    // Without O_NONBLOCK opening a pipe would wait for a writer; a regular
    // file reads the same either way.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0) {
        error = {0, systemReason(errno)};
        return false;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        error = {0, systemReason(errno)};
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = {0, systemReason(EISDIR)};
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = {0, "Das ist keine gewöhnliche Datei (sondern ein Gerät, eine Pipe oder "
                    "ein Socket) und damit keine Inhaltsdatei."_cp1252};
        return false;
    }
    const std::string tooLarge = "Die Datei ist größer als "_cp1252 +
                                 std::to_string(kMaxContentFileSize / (1024 * 1024)) +
                                 " MiB und damit keine Inhaltsdatei.";
    if (info.st_size > static_cast<off_t>(kMaxContentFileSize)) {
        error = {0, tooLarge};
        return false;
    }
    // Read at most one byte past the bound, whatever the size said: a file
    // may grow while it is read.
    std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t filled = 0;
    for (;;) {
        if (filled == text.size()) {
            if (text.size() > kMaxContentFileSize) {
                error = {0, tooLarge};
                return false;
            }
            text.resize(std::min(text.size() * 2, kMaxContentFileSize + 1));
        }
        const ssize_t n = ::read(file.fd, text.data() + filled, text.size() - filled);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n < 0) {
            error = {0, systemReason(errno)};
            return false;
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    text.resize(filled);
    return loadContent(text, data, error);
}

std::string_view builtInContentText() {
    return {kBuiltInRepertoryTsv, kBuiltInRepertoryTsvSize};
}

bool loadBuiltInContent(RepertoryData& data, ContentError& error) {
    return loadContent(builtInContentText(), data, error);
}

namespace {

// The records of one outline level (chapters or headings) as the loader reads
// them: "kind index end text".
template <typename Item, std::size_t N>
void appendOutlineRecords(std::string& out, const char* kind, const Item (&items)[N],
                          std::int32_t Item::*endField) {
    for (std::size_t i = 0; i < N; ++i) {
        out += kind;
        appendNumber(out, static_cast<std::int64_t>(i));
        out += '\t';
        appendNumber(out, items[i].*endField);
        out += '\t';
        out += items[i].text;
        out += '\n';
    }
}

} // namespace

std::string dumpContent(const RepertoryData& data) {
    const RepertoryTables& t = data.tables();
    std::string out;
    out.reserve(2 * 1024 * 1024);
    for (int i = 0; i < kRemedyCount; ++i) {
        out += "remedy\t";
        appendNumber(out, i);
        out += '\t';
        out += t.abbreviations[i];
        out += '\n';
    }
    appendOutlineRecords(out, "chapter\t", t.chapters, &Chapter::headingEnd);
    appendOutlineRecords(out, "heading\t", t.headings, &Heading::rubricEnd);
    for (int i = 0; i < kRubricCount; ++i) {
        const Rubric& r = t.rubrics[i];
        out += "rubric\t";
        appendNumber(out, i + 1);
        out += '\t';
        appendNumber(out, r.firstEntry);
        out += '\t';
        appendNumber(out, r.entryCount);
        out += '\t';
        appendNumber(out, r.oppositeNumber);
        out += '\t';
        appendNumber(out, r.oppositeBd);
        out += '\t';
        out += r.text;
        out += '\t';
        for (int k = 0; k < r.entryCount; ++k) {
            if (k > 0) {
                out += ' ';
            }
            appendNumber(out, t.entryList[r.firstEntry + k]);
        }
        out += '\n';
    }
    return out;
}

} // namespace tessalyn
