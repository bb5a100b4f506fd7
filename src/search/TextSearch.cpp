#include "search/TextSearch.h"

#include "search/Folding.h"
#include "search/RowTexts.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tessalyn {

std::string textSearchCaption(int hits) {
    if (hits <= 0) {
        return kTextSearchNoHitCaption;
    }
    if (hits == 1) {
        return kTextSearchOneHitCaption;
    }
    return "Textuelle Symptomsuche: " + std::to_string(hits) + " gefundene Symptome";
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
                      std::uint32_t bit, std::vector<std::uint32_t>& marks) {
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
    caption_ = kTextSearchCaption;
    return false;
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
    searchWords_ = splitSearchWords(searchText_);
    const RubricRange range = rubricRange(data_, chapterFilter_);
    if (range.empty()) {
        rows_.clear();
    } else {
        collectHits(range);
    }
    caption_ = textSearchCaption(static_cast<int>(rows_.size()));
}

void TextSearch::collectHits(const RubricRange& range) {
    const int firstIndex = range.first - 1;
    const int endIndex = range.last;
    const int headingCount = data_.headingCount();
    int firstHeading = data_.headingOfRubric(firstIndex);
    int lastHeading = data_.headingOfRubric(endIndex - 1);
    if (firstHeading < 0 || lastHeading < 0) {
        firstHeading = 0;
        lastHeading = headingCount - 1;
    }

    // Which words each text holds, one bit per word: the symptom texts of the
    // range and the location texts of its headings (each heading's once, for
    // the whole run of its rubrics).
    std::fill(symptomWords_.begin() + firstIndex, symptomWords_.begin() + endIndex, 0);
    std::fill(locationWords_.begin() + firstHeading, locationWords_.begin() + lastHeading + 1, 0);
    const std::size_t wordCount = searchWords_.size();
    for (std::size_t w = 0; w < wordCount; ++w) {
        const std::uint32_t bit = std::uint32_t{1} << w;
        markTextsHolding(searchWords_[w], foldedSymptoms_, symptomStart_, firstIndex, endIndex, bit,
                         symptomWords_);
        markTextsHolding(searchWords_[w], foldedLocations_, locationStart_, firstHeading,
                         lastHeading + 1, bit, locationWords_);
    }

    // A rubric is found when each word is in its symptom text or in its
    // location text.
    const std::uint32_t allWords = (std::uint32_t{1} << wordCount) - 1;
    hits_.clear();
    int h = firstHeading;
    for (int index = firstIndex; index < endIndex; ++index) {
        while (h < headingCount && data_.heading(h).rubricEnd <= index) {
            ++h;
        }
        const std::uint32_t inLocation =
            h < headingCount ? locationWords_[static_cast<std::size_t>(h)] : 0;
        if ((symptomWords_[static_cast<std::size_t>(index)] | inLocation) == allWords) {
            hits_.push_back({index + 1, h < headingCount ? h : -1});
        }
    }

    // The rows, in rubric order. Rows left from the last search are written
    // over, so that their texts keep their storage.
    rows_.resize(hits_.size());
    for (std::size_t i = 0; i < hits_.size(); ++i) {
        const auto [k, heading] = hits_[i];
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

} // namespace tessalyn
