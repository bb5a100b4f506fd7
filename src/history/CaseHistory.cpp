#include "history/CaseHistory.h"

#include "case/NumberText.h"
#include "data/Cp1252.h"
#include "data/MiddlePivotSort.h"
#include "history/HistoryScanner.h"
#include "history/QuoteCoding.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <new>
#include <numeric>

namespace tessalyn {

namespace {

// The reader's symbol table; its keyword table is empty.
constexpr int kEquals = -107;
constexpr int kSlash = -115;
constexpr int kLess = -110;
constexpr int kGreater = -109;

const ScannerEntry kSymbols[] = {
    {"\"", token::kString}, {"=", kEquals},  {"/", kSlash},
    {"<", kLess},           {">", kGreater}, {"", token::kTableEnd},
};

// The recursive reader over the fixed grammar of the file: every count stands
// before the items it counts.
class Reader {
public:
    explicit Reader(HistoryScanner& scanner) : s_(scanner) {}

    // Appends each case to `cases` only once it has been read whole.
    void history(std::vector<std::unique_ptr<FiledCase>>& cases) {
        expectStartTag("Fallhistorie");
        expectAttribute("AnzahlFaelle");
        const std::int32_t n = count();
        s_.expect(kGreater);
        for (std::int32_t i = 0; i < n; ++i) {
            cases.push_back(filedCase());
        }
        expectEndTag("Fallhistorie");
    }

private:
    std::unique_ptr<FiledCase> filedCase() {
        auto c = std::make_unique<FiledCase>();
        expectStartTag("Fall");
        expectAttribute("Name");
        c->name = s_.expectValue(token::kString);
        expectAttribute("AnzahlBehandlungen");
        const std::int32_t m = count();
        s_.expect(kGreater);
        for (std::int32_t i = 0; i < m; ++i) {
            c->treatments.push_back(treatment());
        }
        expectEndTag("Fall");
        return c;
    }

    std::unique_ptr<Treatment> treatment() {
        auto t = std::make_unique<Treatment>();
        expectStartTag("Behandlung");
        expectAttribute("Datum");
        t->date = s_.expectValue(token::kString);
        expectAttribute("Kommentar");
        t->comment = s_.expectValue(token::kString);
        expectAttribute("Preferiert");
        t->preferred = number();
        expectAttribute("AnzahlSymptome");
        const std::int32_t k = count();
        s_.expect(kGreater);
        for (std::int32_t i = 0; i < k; ++i) {
            t->symptoms.push_back(symptom());
        }
        expectEndTag("Behandlung");
        return t;
    }

    SymptomRef symptom() {
        SymptomRef ref;
        expectStartTag("Symptom");
        expectAttribute("Nummer");
        ref.number = number();
        if (s_.peekCode() == token::kWord) {
            expectAttribute("BD");
            ref.bd = number();
        }
        s_.expect(kSlash);
        s_.expect(kGreater);
        return ref;
    }

    // `<name`, the start of an element; its attributes follow.
    void expectStartTag(const char* name) {
        s_.expect(kLess);
        s_.expectName(name);
    }

    // `name=` of an attribute; its value follows.
    void expectAttribute(const char* name) {
        s_.expectName(name);
        s_.expect(kEquals);
    }

    // `</name>`, the end of an element.
    void expectEndTag(const char* name) {
        s_.expect(kLess);
        s_.expect(kSlash);
        s_.expectName(name);
        s_.expect(kGreater);
    }

    // A quoted value read as the C library's atoi reads it.
    std::int32_t number() { return leadingInteger(s_.expectValue(token::kString)); }

    // A count may not be negative: such a file is refused like any other
    // syntax error, naming the place and "Integer".
    std::int32_t count() {
        const std::int32_t n = number();
        if (n < 0) {
            throw HistorySyntaxError(HistorySyntaxError::kReadingFile, s_.fileName(),
                                     token::kInteger, s_.column(), s_.line());
        }
        return n;
    }

    HistoryScanner& s_;
};

// Text-mode output: every line feed byte goes to disk as CR LF.
void appendTextMode(std::string& out, std::string_view text) {
    std::size_t start = 0;
    for (std::size_t at = text.find('\n'); at != std::string_view::npos;
         at = text.find('\n', start)) {
        out.append(text.substr(start, at - start));
        out.append("\r\n");
        start = at + 1;
    }
    out.append(text.substr(start));
}

void appendNumber(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, r.ptr);
}

// Case-insensitive order of two names over the code page's letters.
int compareNames(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(cp1252ToUpper(a[i]));
        const auto y = static_cast<unsigned char>(cp1252ToUpper(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// A field of a date text "DD.MM.YYYY HH:MM" read as atoi reads it; `first` is
// 1-based. Short texts give what is there, possibly nothing (0).
std::int64_t dateField(const std::string& date, std::size_t first, std::size_t length) {
    if (first - 1 >= date.size()) {
        return 0;
    }
    return leadingInteger(std::string_view(date).substr(first - 1, length));
}

// Compares the pivot's last treatment with x's: year, month, day, hour,
// minute; the first differing field gives pivot minus x. Only the sign counts.
int compareByDate(const FiledCase& x, const FiledCase& p) {
    const bool xHas = !x.treatments.empty();
    const bool pHas = !p.treatments.empty();
    if (!xHas || !pHas) {
        return pHas ? 1 : (xHas ? -1 : 0);
    }
    const std::string& pd = p.treatments.back()->date;
    const std::string& xd = x.treatments.back()->date;
    static constexpr std::size_t kFields[5][2] = {{7, 4}, {4, 2}, {1, 2}, {12, 2}, {15, 2}};
    for (const auto& f : kFields) {
        const std::int64_t d = dateField(pd, f[0], f[1]) - dateField(xd, f[0], f[1]);
        if (d != 0) {
            return d > 0 ? 1 : -1;
        }
    }
    return 0;
}

} // namespace

CaseHistory::CaseHistory(const std::string& fileName, HistoryReporter* reporter) {
    load(fileName, reporter);
}

void CaseHistory::load(const std::string& fileName, HistoryReporter* reporter,
                       const std::string& displayName) {
    std::string bytes;
    std::string why;
    struct stat st {};
    const FileReadOutcome outcome = readWholeFile(*fileLayer_, fileName, bytes, why, &st);
    if (outcome == FileReadOutcome::Failed) {
        cases_.clear();
        errorText_.clear();
        fileName_ = fileName;
        status_ = HistoryLoadStatus::ReadError;
        readError_ = why;
        fileStatus_ = st;
        hasFileStatus_ = true;
        return;
    }
    loadBytes(bytes, fileName, reporter, displayName);
    fileStatus_ = st;
    hasFileStatus_ = outcome == FileReadOutcome::Read;
}

void CaseHistory::loadBytes(std::string_view bytes, const std::string& fileName,
                            HistoryReporter* reporter, const std::string& displayName) {
    fileName_ = fileName;
    readError_.clear();
    hasFileStatus_ = false;
    read(memorySource(bytes), displayName.empty() ? fileName : displayName, reporter);
}

void CaseHistory::read(std::unique_ptr<ByteSource> source, const std::string& name,
                       HistoryReporter* reporter) {
    cases_.clear();
    errorText_.clear();
    status_ = HistoryLoadStatus::Ok;
    HistoryScanner scanner;
    try {
        scanner.open(std::move(source), name, {}, kSymbols);
        Reader(scanner).history(cases_);
    } catch (const HistoryFileError&) {
        status_ = HistoryLoadStatus::NoFile;
    } catch (HistorySyntaxError& e) {
        status_ = HistoryLoadStatus::SyntaxError;
        errorText_ = "Fehler:\n" + e.message();
        if (reporter != nullptr) {
            e.report(*reporter);
        }
    } catch (const std::exception&) {
        status_ = HistoryLoadStatus::OtherError;
    }
}

FiledCase* CaseHistory::findCase(std::string_view name) const {
    for (const auto& c : cases_) {
        if (cp1252EqualsIgnoreCase(c->name, name)) {
            return c.get();
        }
    }
    return nullptr;
}

Treatment& CaseHistory::fileCase(const std::string& name, const std::string& comment,
                                 std::span<const FilingEntry> entries) {
    return fileCase(name, comment, entries, currentHistoryDate());
}

Treatment& CaseHistory::fileCase(const std::string& name, const std::string& comment,
                                 std::span<const FilingEntry> entries, std::string date) {
    auto t = std::make_unique<Treatment>();
    t->date = std::move(date);
    t->comment = comment;
    t->preferred = 0;
    for (const FilingEntry& e : entries) {
        if (!e.autoAdded) {
            t->symptoms.push_back(e.ref);
        }
    }
    FiledCase* c = findCase(name);
    if (c == nullptr) {
        cases_.push_back(std::make_unique<FiledCase>());
        c = cases_.back().get();
        c->name = name;
    }
    c->treatments.push_back(std::move(t));
    return *c->treatments.back();
}

Treatment& CaseHistory::fileCase(const std::string& name, const std::string& comment,
                                 std::span<const CaseEntry> entries) {
    return fileCase(name, comment, entries, currentHistoryDate());
}

Treatment& CaseHistory::fileCase(const std::string& name, const std::string& comment,
                                 std::span<const CaseEntry> entries, std::string date) {
    std::vector<FilingEntry> filing;
    filing.reserve(entries.size());
    for (const CaseEntry& e : entries) {
        filing.push_back({e.ref(), e.autoAdded});
    }
    return fileCase(name, comment, filing, std::move(date));
}

void CaseHistory::removeTreatment(FiledCase& filedCase, const Treatment* treatment) {
    auto& list = filedCase.treatments;
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const auto& t) { return t.get() == treatment; });
    if (it != list.end()) {
        list.erase(it);
    }
}

void CaseHistory::removeCase(const FiledCase* filedCase) {
    const auto it = std::find_if(cases_.begin(), cases_.end(),
                                 [&](const auto& c) { return c.get() == filedCase; });
    if (it != cases_.end()) {
        cases_.erase(it);
    }
}

void CaseHistory::sortCases(bool byName) {
    orderByName_ = byName;
    const auto compare = [byName](const FiledCase& x, const FiledCase& p) {
        return byName ? compareNames(x.name, p.name) : compareByDate(x, p);
    };
    // The order of equal names or dates is the one the middle-pivot sort
    // leaves them in; it sorts the positions, and the cases move once after.
    std::vector<std::size_t> order(cases_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    middlePivotSort(order,
                    [&](std::size_t a, std::size_t b) { return compare(*cases_[a], *cases_[b]); });
    std::vector<std::unique_ptr<FiledCase>> sorted;
    sorted.reserve(cases_.size());
    for (const std::size_t from : order) {
        sorted.push_back(std::move(cases_[from]));
    }
    cases_ = std::move(sorted);
}

std::string CaseHistory::fileBytes() const {
    std::size_t symptoms = 0;
    for (const auto& c : cases_) {
        for (const auto& t : c->treatments) {
            symptoms += t->symptoms.size();
        }
    }
    std::string out;
    out.reserve(64 + cases_.size() * 64 + symptoms * 40);
    out += "<Fallhistorie AnzahlFaelle=\"";
    appendNumber(out, static_cast<std::int64_t>(cases_.size()));
    out += "\">\r\n";
    for (const auto& c : cases_) {
        out += "\t<Fall Name=\"";
        appendTextMode(out, encodeQuotes(c->name));
        out += "\" AnzahlBehandlungen=\"";
        appendNumber(out, static_cast<std::int64_t>(c->treatments.size()));
        out += "\">\r\n";
        for (const auto& t : c->treatments) {
            out += "\t\t<Behandlung Datum=\"";
            // Dates the program makes hold no quote and come out unchanged;
            // encoding keeps any other text from breaking the file.
            appendTextMode(out, encodeQuotes(t->date));
            out += "\" Kommentar=\"";
            appendTextMode(out, encodeQuotes(t->comment));
            out += "\" Preferiert=\"";
            appendNumber(out, t->preferred);
            out += "\" AnzahlSymptome=\"";
            appendNumber(out, static_cast<std::int64_t>(t->symptoms.size()));
            out += "\">\r\n";
            for (const SymptomRef& s : t->symptoms) {
                out += "\t\t\t<Symptom Nummer=\"";
                appendNumber(out, s.number);
                out += '"';
                if (s.bd != 0) {
                    out += " BD=\"";
                    appendNumber(out, s.bd);
                    out += '"';
                }
                out += "/>\r\n";
            }
            out += "\t\t</Behandlung>\r\n";
        }
        out += "\t</Fall>\r\n";
    }
    out += "</Fallhistorie>\r\n";
    return out;
}

bool CaseHistory::save() {
    return saveAs(fileName_);
}

bool CaseHistory::saveAs(const std::string& path) {
    saveError_.clear();
    saveNotice_.clear();
    try {
        return replaceFile(*fileLayer_, path, fileBytes(), &saveError_, &saveNotice_);
    } catch (const std::bad_alloc&) {
        saveError_ = "zu wenig Speicher";
        return false;
    }
}

std::string treatmentLabel(const Treatment& treatment) {
    std::string label = treatment.date;
    label += " (";
    const std::string& c = treatment.comment;
    for (std::size_t i = 0; i < c.size(); ++i) {
        if (c[i] == '\r' && i + 1 < c.size() && c[i + 1] == '\n') {
            label += ' ';
            ++i;
        } else {
            label += c[i];
        }
    }
    label += ')';
    return label;
}

std::string formatHistoryDate(const std::tm& t) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d %02d:%02d", t.tm_mday, t.tm_mon + 1,
                  t.tm_year + 1900, t.tm_hour, t.tm_min);
    return buffer;
}

std::string currentHistoryDate() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return formatHistoryDate(local);
}

std::string saveFailedMessage(const std::string& path) {
    return "Die Fallhistorie konnte nicht gespeichert werden: " + path;
}

} // namespace tessalyn
