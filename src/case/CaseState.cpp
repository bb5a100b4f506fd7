#include "case/CaseState.h"

#include "case/Case.h"
#include "data/Cp1252.h"

#include <charconv>
#include <cstdint>
#include <vector>

namespace tessalyn {

namespace {

constexpr std::string_view kFirstLine = "Tessalyn-Fall 1";
constexpr std::string_view kNameTag = "Name";
constexpr std::string_view kRowTag = "Zeile";
constexpr std::string_view kLinkTag = "Glied";
constexpr std::string_view kEndTag = "Ende";
constexpr std::string_view kLineEnd = "\r\n";

// Every field of an entry has its place in a line below; a field added to
// CaseEntryValues must be added there too.
static_assert(sizeof(CaseEntryValues) == 12, "a new field of a case entry needs its place here");

// Names and row texts may hold any byte: the line's own separators are
// written as backslash sequences.
void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) {
            return std::nullopt;
        }
        switch (text[i]) {
        case '\\':
            out += '\\';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        default:
            return std::nullopt;
        }
    }
    return out;
}

void appendValues(std::string& out, std::string_view tag, const CaseEntryValues& v) {
    out += tag;
    for (const int value :
         {static_cast<int>(v.number), static_cast<int>(v.bd), static_cast<int>(v.weight),
          v.eliminating ? 1 : 0, v.autoAdded ? 1 : 0}) {
        out += '\t';
        out += std::to_string(value);
    }
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
    std::vector<std::string_view> fields;
    for (;;) {
        const std::size_t tab = line.find('\t');
        fields.push_back(line.substr(0, tab));
        if (tab == std::string_view::npos) {
            return fields;
        }
        line.remove_prefix(tab + 1);
    }
}

bool readInt(std::string_view field, std::int32_t& value) {
    const char* end = field.data() + field.size();
    const auto [at, ec] = std::from_chars(field.data(), end, value);
    return ec == std::errc() && at == end && !field.empty();
}

// Fields 1..5 of a row or link line: number, BD value, weight, mark, added.
bool readValues(const std::vector<std::string_view>& fields, CaseEntryValues& v) {
    std::int32_t weight = 0;
    std::int32_t eliminating = 0;
    std::int32_t autoAdded = 0;
    if (!readInt(fields[1], v.number) || !readInt(fields[2], v.bd) || !readInt(fields[3], weight) ||
        !readInt(fields[4], eliminating) || !readInt(fields[5], autoAdded) || weight < kMinWeight ||
        weight > kMaxWeight || (eliminating != 0 && eliminating != 1) ||
        (autoAdded != 0 && autoAdded != 1)) {
        return false;
    }
    v.weight = static_cast<std::int8_t>(weight);
    v.eliminating = eliminating == 1;
    v.autoAdded = autoAdded == 1;
    return true;
}

std::string lineFault(std::size_t lineNumber) {
    return "Zeile " + std::to_string(lineNumber) + " ist fehlerhaft.";
}

} // namespace

std::string caseStateBytes(const CaseSnapshot& snapshot) {
    std::string out;
    out += kFirstLine;
    out += kLineEnd;
    out += kNameTag;
    out += '\t';
    appendEscaped(out, snapshot.name());
    out += kLineEnd;
    std::size_t link = 0;
    const auto& links = snapshot.links();
    for (int i = 0; i < snapshot.rowCount(); ++i) {
        appendValues(out, kRowTag, snapshot.rowValues(i));
        out += '\t';
        appendEscaped(out, snapshot.rowText(i));
        out += kLineEnd;
        for (; link < links.size() && links[link].first == i; ++link) {
            appendValues(out, kLinkTag, links[link].second);
            out += kLineEnd;
        }
    }
    out += kEndTag;
    out += '\t';
    out += std::to_string(snapshot.rowCount());
    out += kLineEnd;
    return out;
}

std::optional<CaseSnapshot> caseStateFromBytes(std::string_view bytes, std::string& error) {
    if (bytes.empty()) {
        error = "Die Datei ist leer.";
        return std::nullopt;
    }
    if (!bytes.starts_with(kFirstLine) || !bytes.substr(kFirstLine.size()).starts_with(kLineEnd)) {
        error = "Die Datei enthält keinen aufbewahrten Fall."_cp1252;
        return std::nullopt;
    }
    bytes.remove_prefix(kFirstLine.size() + kLineEnd.size());
    CaseSnapshot s;
    bool named = false;
    bool ended = false;
    std::size_t lineNumber = 1;
    while (!bytes.empty()) {
        ++lineNumber;
        const std::size_t end = bytes.find(kLineEnd);
        if (end == std::string_view::npos) {
            error = "Die Datei ist unvollständig."_cp1252;
            return std::nullopt;
        }
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end + kLineEnd.size());
        const std::vector<std::string_view> fields = fieldsOf(line);
        const std::string_view tag = fields.front();
        bool ok = false;
        if (ended) {
            ok = false;
        } else if (tag == kNameTag && !named && s.rows_.empty() && fields.size() == 2) {
            if (std::optional<std::string> name = unescaped(fields[1])) {
                s.name_ = std::move(*name);
                named = ok = true;
            }
        } else if (tag == kRowTag && named && fields.size() == 7 &&
                   s.rows_.size() < static_cast<std::size_t>(kCaseRowCapacity)) {
            CaseEntryValues values;
            std::optional<std::string> text = unescaped(fields[6]);
            if (readValues(fields, values) && text) {
                s.rows_.push_back(values);
                s.texts_ += *text;
                s.textEnds_.push_back(static_cast<std::uint32_t>(s.texts_.size()));
                ok = true;
            }
        } else if (tag == kLinkTag && !s.rows_.empty() && fields.size() == 6) {
            CaseEntryValues values;
            if (readValues(fields, values)) {
                s.links_.emplace_back(static_cast<std::int32_t>(s.rows_.size() - 1), values);
                ok = true;
            }
        } else if (tag == kEndTag && !s.rows_.empty() && fields.size() == 2) {
            std::int32_t rows = 0;
            ok = ended = readInt(fields[1], rows) && rows == s.rowCount();
        }
        if (!ok) {
            error = lineFault(lineNumber);
            return std::nullopt;
        }
    }
    if (!ended) {
        error = "Die Datei ist unvollständig."_cp1252;
        return std::nullopt;
    }
    return s;
}

} // namespace tessalyn
