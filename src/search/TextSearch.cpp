#include "search/TextSearch.h"

#include "data/Cp1252.h"
#include "search/Folding.h"
#include "search/RowTexts.h"
#include "search/Vocabulary.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace tessalyn {

namespace {

// A batch after the first searches the texts of the hits so far one by one
// when they are fewer than this share of the range (1 in N); otherwise it
// scans all texts in one go, which is faster per text.
constexpr std::size_t kFewHitsShare = 8;

// Fills `index` with the offsets in `buffer` where a word starts (a word byte
// first in its text or after a byte that is none), by that byte, ascending.
void indexWordStarts(std::string_view buffer, const std::vector<std::uint32_t>& starts,
                     std::array<std::vector<std::uint32_t>, 256>& index) {
    static const std::array<bool, 256> wordByte = [] {
        std::array<bool, 256> table{};
        for (std::size_t b = 0; b < table.size(); ++b) {
            table[b] = isWordByte(static_cast<char>(b));
        }
        return table;
    }();
    auto isWord = [&buffer](std::size_t pos) {
        return wordByte[static_cast<unsigned char>(buffer[pos])];
    };
    for (std::vector<std::uint32_t>& offsets : index) {
        offsets.clear();
    }
    for (std::size_t t = 0; t + 1 < starts.size(); ++t) {
        for (std::uint32_t pos = starts[t]; pos < starts[t + 1]; ++pos) {
            if (isWord(pos) && (pos == starts[t] || !isWord(pos - 1))) {
                index[static_cast<unsigned char>(buffer[pos])].push_back(pos);
            }
        }
    }
}

} // namespace

namespace {

// Room the text columns leave free for the table's frame and scroll bar.
constexpr int kSplitMargin = 20;

} // namespace

int textTableWidthFor(int numberWidth, int symptomWidth, int locationWidth) {
    return numberWidth + symptomWidth + locationWidth + kSplitMargin;
}

TextColumnWidths splitTextColumnWidths(int tableWidth, int numberWidth, int symptomWidth,
                                       int locationWidth) {
    const int free = tableWidth - numberWidth - kSplitMargin;
    const int sum = symptomWidth + locationWidth;
    const double share = static_cast<double>(symptomWidth) / (sum == 0 ? 1 : sum);
    // A table narrower than column 0 leaves nothing to share out.
    return {std::max(0, static_cast<int>(free * share)),
            std::max(0, static_cast<int>(free * (1.0 - share)))};
}

std::string textSearchCaption(int hits) {
    if (hits <= 0) {
        return kTextSearchNoHitCaption;
    }
    if (hits == 1) {
        return kTextSearchOneHitCaption;
    }
    return "Textuelle Symptomsuche: " + std::to_string(hits) + " gefundene Symptome";
}

std::string textSearchCaption(int hits, int ownTextHits) {
    std::string caption = textSearchCaption(hits);
    if (hits <= 0) {
        return caption;
    }
    const int locationOnly = hits - ownTextHits;
    constexpr const char* kOwnText = "im Symptomtext";
    // The location text (chapter title and heading) is what the table's
    // column "Kapitel" shows.
    constexpr const char* kLocationOnly = "nur im Kapiteltext";
    if (hits == 1) {
        return caption + ", " + (ownTextHits == 1 ? kOwnText : kLocationOnly);
    }
    if (locationOnly == 0) {
        return caption + ", alle " + kOwnText;
    }
    if (ownTextHits == 0) {
        return caption + ", alle " + kLocationOnly;
    }
    return caption + ", " + std::to_string(ownTextHits) + " " + kOwnText + ", " +
           std::to_string(locationOnly) + " " + kLocationOnly;
}

TextSearch::TextSearch(const RepertoryData& data) : data_(data) {
    reloadTexts();
}

void TextSearch::reloadTexts() {
    const int rubricCount = data_.rubricCount();
    foldedSymptoms_.clear();
    symptomStart_.assign(1, 0);
    symptomStart_.reserve(static_cast<std::size_t>(rubricCount) + 1);
    for (int i = 0; i < rubricCount; ++i) {
        appendFoldedForSearch(data_.symptomText(i + 1), foldedSymptoms_);
        symptomStart_.push_back(static_cast<std::uint32_t>(foldedSymptoms_.size()));
    }

    const int headingCount = data_.headingCount();
    foldedLocations_.clear();
    locationStart_.assign(1, 0);
    locationStart_.reserve(static_cast<std::size_t>(headingCount) + 1);
    locations_.clear();
    locations_.reserve(static_cast<std::size_t>(headingCount));
    for (int h = 0; h < headingCount; ++h) {
        std::string location = data_.chapterTitleOfHeading(h);
        location += ' ';
        location += data_.heading(h).text;
        appendFoldedForSearch(location, foldedLocations_);
        locationStart_.push_back(static_cast<std::uint32_t>(foldedLocations_.size()));
        locations_.push_back(std::move(location));
    }
    wordStartsIndexed_ = false;
    symptomWords_.assign(static_cast<std::size_t>(rubricCount), 0);
    locationWords_.assign(static_cast<std::size_t>(headingCount), 0);
}

namespace {

std::uint64_t load64(const char* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// First position in [pos, limit) where `word` may start: its first and last
// bytes are in place there. `limit` is one past the last start at which the
// word still fits before the end of the scanned bytes. Eight positions are
// tested at once: a byte of t is zero exactly where both bytes match, and the
// lowest byte flagged by the zero-byte test is always a true zero.
std::size_t nextCandidate(const char* base, std::size_t pos, std::size_t limit,
                          std::string_view word) {
    const std::size_t n = word.size();
    if (n == 1) {
        const void* found = std::memchr(base + pos, word[0], limit - pos);
        return found == nullptr ? limit
                                : static_cast<std::size_t>(static_cast<const char*>(found) - base);
    }
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0101010101010101;
        constexpr std::uint64_t kHighBits = 0x8080808080808080;
        const std::uint64_t first = kOnes * static_cast<unsigned char>(word.front());
        const std::uint64_t last = kOnes * static_cast<unsigned char>(word.back());
        for (; pos + 8 <= limit; pos += 8) {
            const std::uint64_t t =
                (load64(base + pos) ^ first) | (load64(base + pos + n - 1) ^ last);
            const std::uint64_t zeros = (t - kOnes) & ~t & kHighBits;
            if (zeros != 0) {
                return pos + static_cast<std::size_t>(std::countr_zero(zeros)) / 8;
            }
        }
    }
    for (; pos < limit; ++pos) {
        if (base[pos] == word.front() && base[pos + n - 1] == word.back()) {
            return pos;
        }
    }
    return limit;
}

// Sets `bit` in marks[t] for every text t in [begin, end) that holds `word`.
// The texts lie one after another in `buffer`, text t at starts[t] up to
// starts[t + 1]. The buffer is scanned in one go instead of text by text; a
// match must lie within one text, and after one the scan goes on at the next
// text.
void markTextsHolding(std::string_view word, std::string_view buffer,
                      const std::vector<std::uint32_t>& starts, int begin, int end,
                      std::uint64_t bit, std::vector<std::uint64_t>& marks) {
    const std::size_t n = word.size();
    const char* base = buffer.data();
    const std::size_t stop = starts[static_cast<std::size_t>(end)];
    std::size_t pos = starts[static_cast<std::size_t>(begin)];
    if (n == 0 || pos + n > stop) {
        return;
    }
    const std::size_t limit = stop - n + 1;
    std::size_t t = static_cast<std::size_t>(begin);
    while (pos < limit) {
        const std::size_t candidate = nextCandidate(base, pos, limit, word);
        if (candidate >= limit) {
            break;
        }
        if (n <= 2 || std::memcmp(base + candidate + 1, word.data() + 1, n - 2) == 0) {
            while (starts[t + 1] <= candidate) {
                ++t;
            }
            if (candidate + n <= starts[t + 1]) {
                marks[t] |= bit;
                pos = starts[t + 1];
                continue;
            }
        }
        pos = candidate + 1;
    }
}

// The same as markTextsHolding for a word found only at the start of a word of
// the texts: only the word starts with the word's first byte are compared.
// Such a word starts with a letter (words of the vocabulary and English words
// are letters only), so the index of word starts holds every place it may
// stand.
void markTextsHoldingAtWordStart(std::string_view word, std::string_view buffer,
                                 const std::vector<std::uint32_t>& starts,
                                 const std::array<std::vector<std::uint32_t>, 256>& index,
                                 int begin, int end, std::uint64_t bit,
                                 std::vector<std::uint64_t>& marks) {
    const std::size_t n = word.size();
    if (n == 0) {
        return;
    }
    const std::vector<std::uint32_t>& offsets = index[static_cast<unsigned char>(word.front())];
    const std::uint32_t stop = starts[static_cast<std::size_t>(end)];
    auto it =
        std::lower_bound(offsets.begin(), offsets.end(), starts[static_cast<std::size_t>(begin)]);
    std::size_t t = static_cast<std::size_t>(begin);
    for (; it != offsets.end() && *it + n <= stop; ++it) {
        const std::size_t pos = *it;
        if (std::memcmp(buffer.data() + pos + 1, word.data() + 1, n - 1) != 0) {
            continue;
        }
        while (starts[t + 1] <= pos) {
            ++t;
        }
        if (pos + n <= starts[t + 1]) {
            marks[t] |= bit;
        }
    }
}

} // namespace

void TextSearch::setChapterFilter(int chapter) {
    chapterFilter_ = chapter >= 0 && chapter < data_.chapterCount() ? chapter : kAllChapters;
}

bool TextSearch::runSearch(bool force, bool rerun) {
    const bool changed = (rerun && !searchText_.empty()) || searchText_ != lastSearchedText_;
    if (changed && (force || searchText_.size() > 2)) {
        search();
        return true;
    }
    // The rows still answer the text and chapter shown: their caption stays.
    const bool rowsShown = searchText_ == lastSearchedText_ && chapterFilter_ == lastChapter_;
    caption_ = rowsShown ? searchedCaption_ : kTextSearchCaption;
    return false;
}

void TextSearch::clearResults() {
    rows_.clear();
    caption_ = kTextSearchCaption;
    searchedCaption_ = kTextSearchCaption;
    lastSearchedText_.clear();
}

bool TextSearch::textChanged(std::string_view text) {
    setSearchText(text);
    return runSearch(false, false);
}

bool TextSearch::focusLost(std::string_view text) {
    setSearchText(text);
    return runSearch(true, false);
}

bool TextSearch::chapterSelected(std::string_view chapterTitle) {
    setChapterFilter(chapterIndexByTitle(data_, chapterTitle));
    return runSearch(true, true);
}

void TextSearch::search() {
    lastSearchedText_ = searchText_;
    lastChapter_ = chapterFilter_;
    searchWords_ = splitSearchWords(searchText_);
    buildGroups();
    findUnknownWords();
    ownTextFirst_ = std::any_of(translations_.begin(), translations_.end(),
                                [](const WordTranslation& t) { return !t.english.empty(); });
    ownTextHits_ = 0;
    const RubricRange range = rubricRange(data_, chapterFilter_);
    if (range.empty()) {
        rows_.clear();
    } else {
        collectHits(range);
    }
    const int hits = static_cast<int>(rows_.size());
    caption_ = ownTextFirst_ ? textSearchCaption(hits, ownTextHits_) : textSearchCaption(hits);
    searchedCaption_ = caption_;
}

namespace {

// Whether one of the texts of `buffer` (starting at `starts`) holds `word`.
bool anyTextHolds(std::string_view buffer, const std::vector<std::uint32_t>& starts,
                  std::string_view word) {
    for (std::size_t pos = buffer.find(word); pos != std::string_view::npos;
         pos = buffer.find(word, pos + 1)) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), pos);
        if (next != starts.end() && pos + word.size() <= *next) {
            return true;
        }
    }
    return false;
}

} // namespace

void TextSearch::findUnknownWords() {
    unknownWords_.clear();
    if (vocabulary_ == nullptr) {
        return;
    }
    const std::vector<std::string_view> typed = cutSearchWords(searchText_);
    for (std::size_t i = 0; i < typed.size() && i < searchWords_.size(); ++i) {
        const std::string_view word = typed[i];
        const std::string& folded = searchWords_[i];
        if (!std::all_of(word.begin(), word.end(), isCp1252Letter) || vocabulary_->lookUp(folded)) {
            continue;
        }
        // A letter beyond a-z (an umlaut, ß) marks a German word; any other
        // word is one when no text of the content holds it.
        const bool german =
            std::any_of(word.begin(), word.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) ||
            (!anyTextHolds(foldedSymptoms_, symptomStart_, folded) &&
             !anyTextHolds(foldedLocations_, locationStart_, folded));
        const auto sameWord = [&folded](const std::string& named) {
            return foldForSearch(named) == folded;
        };
        if (german && std::none_of(unknownWords_.begin(), unknownWords_.end(), sameWord)) {
            unknownWords_.emplace_back(word);
        }
    }
}

int TextSearch::atomIndex(const std::string& word, std::size_t groupStart) {
    const auto found =
        std::find(atoms_.begin() + static_cast<std::ptrdiff_t>(groupStart), atoms_.end(), word);
    if (found != atoms_.end()) {
        return static_cast<int>(found - atoms_.begin());
    }
    atoms_.push_back(word);
    return static_cast<int>(atoms_.size()) - 1;
}

namespace {

// Whether every text holding all words of `b` at the start of a word also
// holds all words of `a` so: each word of `a` begins a word of `b`.
bool covers(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::all_of(a.begin(), a.end(), [&b](const std::string& x) {
        return std::any_of(b.begin(), b.end(),
                           [&x](const std::string& y) { return y.starts_with(x); });
    });
}

// The alternatives less those whose hits another one finds anyway
// ("headache" next to "head"): they cost a scan and add nothing.
std::vector<std::vector<std::string>>
withoutCovered(std::vector<std::vector<std::string>> alternatives) {
    std::vector<bool> dropped(alternatives.size(), false);
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
        for (std::size_t j = 0; j < alternatives.size() && !dropped[i]; ++j) {
            dropped[i] = j != i && !dropped[j] && covers(alternatives[j], alternatives[i]);
        }
    }
    std::vector<std::vector<std::string>> kept;
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
        if (!dropped[i]) {
            kept.push_back(std::move(alternatives[i]));
        }
    }
    return kept;
}

} // namespace

void TextSearch::buildGroups() {
    atoms_.clear();
    groups_.clear();
    translations_.clear();
    for (const std::string& word : searchWords_) {
        groups_.push_back(groupOf(word));
    }
    orderGroups();
}

TextSearch::Group TextSearch::groupOf(const std::string& word) {
    Group group;
    const std::size_t groupStart = atoms_.size();
    const VocabularyMatch match =
        vocabulary_ != nullptr ? vocabulary_->lookUp(word) : VocabularyMatch{};
    if (!match) {
        group.alternatives.push_back({atomIndex(word, groupStart)});
        return group;
    }
    const std::string english = match.entry->englishText();
    if (std::none_of(translations_.begin(), translations_.end(),
                     [&match](const WordTranslation& t) { return t.german == match.german; })) {
        translations_.push_back({match.german, english});
    }
    if (match.entry->ignored()) {
        group.matchesAll = true;
        return group;
    }
    // The word itself and the English alternatives, folded like the query,
    // each found only at the start of a word of the texts.
    group.atWordStart = true;
    std::vector<std::vector<std::string>> alternatives{{word}};
    for (const std::vector<std::string>& alternative : match.entry->english) {
        std::vector<std::string> folded;
        folded.reserve(alternative.size());
        for (const std::string& w : alternative) {
            folded.push_back(foldForSearch(w));
        }
        alternatives.push_back(std::move(folded));
    }
    for (const std::vector<std::string>& alternative : withoutCovered(std::move(alternatives))) {
        std::vector<int> atoms;
        atoms.reserve(alternative.size());
        for (const std::string& w : alternative) {
            atoms.push_back(atomIndex(w, groupStart));
        }
        group.alternatives.push_back(std::move(atoms));
    }
    return group;
}

void TextSearch::orderGroups() {
    // All groups must match, in whatever order they are tried: the groups of
    // fewer words go first, since the groups after the first batch only look
    // into the hits so far. The atoms are numbered anew in that order.
    auto atomCount = [](const Group& g) {
        std::size_t n = 0;
        for (const std::vector<int>& alternative : g.alternatives) {
            n += alternative.size();
        }
        return n;
    };
    std::stable_sort(groups_.begin(), groups_.end(),
                     [&](const Group& a, const Group& b) { return atomCount(a) < atomCount(b); });
    std::vector<std::string> ordered;
    ordered.reserve(atoms_.size());
    atomAtWordStart_.clear();
    for (Group& group : groups_) {
        const std::size_t groupStart = ordered.size();
        for (std::vector<int>& alternative : group.alternatives) {
            for (int& a : alternative) {
                std::string& atom = atoms_[static_cast<std::size_t>(a)];
                const auto found = std::find(
                    ordered.begin() + static_cast<std::ptrdiff_t>(groupStart), ordered.end(), atom);
                a = static_cast<int>(found - ordered.begin());
                if (found == ordered.end()) {
                    ordered.push_back(atom);
                    atomAtWordStart_.push_back(group.atWordStart ? 1 : 0);
                }
            }
        }
    }
    atoms_ = std::move(ordered);
}

void TextSearch::markAtoms(int firstAtom, int endAtom, int firstIndex, int endIndex,
                           int firstHeading, int lastHeading) {
    std::fill(symptomWords_.begin() + firstIndex, symptomWords_.begin() + endIndex, 0);
    std::fill(locationWords_.begin() + firstHeading, locationWords_.begin() + lastHeading + 1, 0);
    for (int a = firstAtom; a < endAtom; ++a) {
        const std::uint64_t bit = std::uint64_t{1} << (a - firstAtom);
        const std::string& atom = atoms_[static_cast<std::size_t>(a)];
        if (atomAtWordStart_[static_cast<std::size_t>(a)] != 0) {
            if (!wordStartsIndexed_) {
                indexWordStarts(foldedSymptoms_, symptomStart_, symptomWordStarts_);
                indexWordStarts(foldedLocations_, locationStart_, locationWordStarts_);
                wordStartsIndexed_ = true;
            }
            markTextsHoldingAtWordStart(atom, foldedSymptoms_, symptomStart_, symptomWordStarts_,
                                        firstIndex, endIndex, bit, symptomWords_);
            markTextsHoldingAtWordStart(atom, foldedLocations_, locationStart_, locationWordStarts_,
                                        firstHeading, lastHeading + 1, bit, locationWords_);
        } else {
            markTextsHolding(atom, foldedSymptoms_, symptomStart_, firstIndex, endIndex, bit,
                             symptomWords_);
            markTextsHolding(atom, foldedLocations_, locationStart_, firstHeading, lastHeading + 1,
                             bit, locationWords_);
        }
    }
}

void TextSearch::markAtomsInHits(int firstAtom, int endAtom) {
    auto holds = [this](std::string_view text, int a) {
        const std::string& atom = atoms_[static_cast<std::size_t>(a)];
        return atomAtWordStart_[static_cast<std::size_t>(a)]
                   ? holdsAtWordStart(text, atom)
                   : text.find(atom) != std::string_view::npos;
    };
    const std::string_view symptoms = foldedSymptoms_;
    const std::string_view locations = foldedLocations_;
    for (const Hit& hit : hits_) {
        const auto index = static_cast<std::size_t>(hit.number - 1);
        const std::string_view symptom =
            symptoms.substr(symptomStart_[index], symptomStart_[index + 1] - symptomStart_[index]);
        std::string_view location;
        if (hit.heading >= 0) {
            const auto h = static_cast<std::size_t>(hit.heading);
            location =
                locations.substr(locationStart_[h], locationStart_[h + 1] - locationStart_[h]);
        }
        std::uint64_t inSymptom = 0;
        std::uint64_t inLocation = 0;
        for (int a = firstAtom; a < endAtom; ++a) {
            const std::uint64_t bit = std::uint64_t{1} << (a - firstAtom);
            inSymptom |= holds(symptom, a) ? bit : 0;
            inLocation |= holds(location, a) ? bit : 0;
        }
        symptomWords_[index] = inSymptom;
        if (hit.heading >= 0) {
            locationWords_[static_cast<std::size_t>(hit.heading)] = inLocation;
        }
    }
}

TextSearch::Span TextSearch::spanOf(const RubricRange& range) const {
    Span span{range.first - 1, range.last, data_.headingOfRubric(range.first - 1),
              data_.headingOfRubric(range.last - 1)};
    if (span.firstHeading < 0 || span.lastHeading < 0) {
        span.firstHeading = 0;
        span.lastHeading = data_.headingCount() - 1;
    }
    return span;
}

TextSearch::Batch TextSearch::formBatch(std::size_t& nextGroup) const {
    Batch batch;
    bool batchOfSeveral = false;
    for (; nextGroup < groups_.size(); ++nextGroup) {
        const Group& group = groups_[nextGroup];
        if (group.matchesAll) {
            continue;
        }
        int firstAtom = batch.firstAtom;
        int groupEnd = batch.endAtom;
        for (const std::vector<int>& alternative : group.alternatives) {
            for (const int a : alternative) {
                if (firstAtom < 0) {
                    firstAtom = a;
                }
                groupEnd = std::max(groupEnd, a + 1);
            }
        }
        // A group of several alternatives (a translated word) makes a batch
        // of its own, so that the batches after the first only look into the
        // texts of the hits so far; plain words go together.
        const bool several = group.alternatives.size() > 1;
        if (batch.endAtom >= 0 && (several || batchOfSeveral || groupEnd - firstAtom > 64)) {
            break; // the next batch takes this group
        }
        batchOfSeveral = several;
        batch.firstAtom = firstAtom;
        batch.endAtom = groupEnd;
        Batch::Choice choice;
        for (const std::vector<int>& alternative : group.alternatives) {
            std::uint64_t mask = 0;
            for (const int a : alternative) {
                mask |= std::uint64_t{1} << (a - firstAtom);
            }
            if (alternative.size() == 1) {
                choice.any |= mask;
            } else {
                choice.all.push_back(mask);
            }
        }
        if (choice.all.empty() && std::popcount(choice.any) == 1) {
            batch.required |= choice.any;
        } else {
            batch.choices.push_back(std::move(choice));
        }
    }
    return batch;
}

bool TextSearch::Batch::satisfiedBy(std::uint64_t held) const {
    if ((held & required) != required) {
        return false;
    }
    return std::all_of(choices.begin(), choices.end(), [held](const Choice& c) {
        return (held & c.any) != 0 ||
               std::any_of(c.all.begin(), c.all.end(),
                           [held](std::uint64_t m) { return (held & m) == m; });
    });
}

void TextSearch::matchBatch(const Batch& batch, bool firstBatch, const Span& span) {
    if (batch.firstAtom >= 0) {
        // Few hits left: their own texts are searched instead of all.
        if (!firstBatch && hits_.size() * kFewHitsShare <
                               static_cast<std::size_t>(span.endIndex - span.firstIndex)) {
            markAtomsInHits(batch.firstAtom, batch.endAtom);
        } else {
            markAtoms(batch.firstAtom, batch.endAtom, span.firstIndex, span.endIndex,
                      span.firstHeading, span.lastHeading);
        }
    }
    // A rubric matches the batch when each of its groups finds an alternative
    // among the atoms it holds: those of its symptom or location text, or
    // those of its symptom text alone for the question whether its own text
    // holds every word.
    auto matches = [&](int index, int heading) {
        const std::uint64_t inLocation =
            heading >= 0 ? locationWords_[static_cast<std::size_t>(heading)] : 0;
        return batch.satisfiedBy(symptomWords_[static_cast<std::size_t>(index)] | inLocation);
    };
    // Asked only of a hit, and only when the hits are ordered by it.
    auto matchesOwnText = [&](int index) {
        return ownTextFirst_ && batch.satisfiedBy(symptomWords_[static_cast<std::size_t>(index)]);
    };
    if (!firstBatch) {
        std::erase_if(hits_, [&](Hit& hit) {
            if (!matches(hit.number - 1, hit.heading)) {
                return true;
            }
            hit.ownText = hit.ownText && matchesOwnText(hit.number - 1);
            return false;
        });
        return;
    }
    hits_.clear();
    const int headingCount = data_.headingCount();
    int h = span.firstHeading;
    for (int index = span.firstIndex; index < span.endIndex; ++index) {
        while (h < headingCount && data_.heading(h).rubricEnd <= index) {
            ++h;
        }
        const int heading = h < headingCount ? h : -1;
        if (batch.firstAtom < 0) {
            hits_.push_back({index + 1, heading, true});
        } else if (matches(index, heading)) {
            hits_.push_back({index + 1, heading, matchesOwnText(index)});
        }
    }
}

void TextSearch::fillRows() {
    // Rows left from the last search are written over, so that their texts
    // keep their storage.
    rows_.resize(hits_.size());
    for (std::size_t i = 0; i < hits_.size(); ++i) {
        const int k = hits_[i].number;
        const int heading = hits_[i].heading;
        TextSearchRow& row = rows_[i];
        row.number = k;
        row.numberText = numberText(k, 0);
        detail::assignSymptomText(row.symptomText, data_, k);
        if (heading >= 0) {
            row.locationText = locations_[static_cast<std::size_t>(heading)];
        } else {
            row.locationText.clear();
        }
    }
}

void TextSearch::collectHits(const RubricRange& range) {
    // The groups are taken in batches whose atoms fit the 64 bits of a mark:
    // the first batch picks the hits from the whole range, each further one
    // only keeps the hits that match its groups too.
    const Span span = spanOf(range);
    std::size_t nextGroup = 0;
    bool firstBatch = true;
    while (firstBatch || nextGroup < groups_.size()) {
        const Batch batch = formBatch(nextGroup);
        if (!firstBatch && batch.firstAtom < 0) {
            break;
        }
        matchBatch(batch, firstBatch, span);
        firstBatch = false;
    }

    // With a word translated, the rubrics whose own text holds every word come
    // first, then those found only through their location text, each part in
    // rubric order.
    if (ownTextFirst_) {
        const auto locationOnly = std::stable_partition(hits_.begin(), hits_.end(),
                                                        [](const Hit& hit) { return hit.ownText; });
        ownTextHits_ = static_cast<int>(locationOnly - hits_.begin());
    }
    fillRows();
}

} // namespace tessalyn
