// libFuzzer target for the text search's German translation of what the user
// types, and for the vocabulary reader. The first byte of an input picks:
//   even: the rest is typed into "Suchtext" and searched over the built-in
//         content, with the built-in vocabulary and without it, in the
//         chapter the byte names (all chapters for 0, which costs as much
//         as all the others together). The plain search lists its hits in
//         rubric order. A translated word is found only at the start of a
//         word, so the translated search lists the rubrics holding every word
//         in their own text first, then the others, each part in rubric
//         order; with no word given an English text it finds every hit of the
//         plain one, and exactly those when no word translated.
//   odd:  the rest is read as a vocabulary text. A refused text leaves the
//         vocabulary empty and names a line within the text; a read one finds
//         each of its German words again as the entry that holds it.
#include "FuzzContent.h"
#include "search/Folding.h"
#include "search/TextSearch.h"
#include "search/Vocabulary.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using namespace tessalyn;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::vector<int> hitNumbers(const TextSearch& search) {
    std::vector<int> numbers;
    for (const TextSearchRow& row : search.rows()) {
        numbers.push_back(row.number);
    }
    return numbers;
}

void searchText(int chapter, std::string_view text) {
    static TextSearch plain(fuzz::builtIn());
    static TextSearch translated = [] {
        TextSearch search(fuzz::builtIn());
        search.setVocabulary(&builtInVocabulary());
        return search;
    }();
    for (TextSearch* search : {&plain, &translated}) {
        search->setChapterFilter(chapter);
        search->setSearchText(text);
        search->search();
    }
    const std::vector<int> plainHits = hitNumbers(plain);
    std::vector<int> translatedHits = hitNumbers(translated);
    require(plain.translations().empty() && !plain.ownTextFirst() && plain.ownTextHits() == 0);
    require(std::is_sorted(plainHits.begin(), plainHits.end()));
    const auto ownTextEnd = translatedHits.begin() + translated.ownTextHits();
    require(translated.ownTextHits() >= 0 &&
            translated.ownTextHits() <= static_cast<int>(translatedHits.size()));
    require(std::is_sorted(translatedHits.begin(), ownTextEnd) &&
            std::is_sorted(ownTextEnd, translatedHits.end()));
    if (translated.ownTextFirst()) {
        return;
    }
    require(translated.ownTextHits() == 0);
    require(std::includes(translatedHits.begin(), translatedHits.end(), plainHits.begin(),
                          plainHits.end()));
    if (translated.translations().empty()) {
        require(translatedHits == plainHits);
    }
}

void readVocabulary(std::string_view text) {
    Vocabulary vocabulary;
    ContentError error;
    if (!vocabulary.parse(text, error)) {
        const auto lines = std::count(text.begin(), text.end(), '\n') + 1;
        require(vocabulary.entries().empty() && !error.rule.empty() && error.line >= 0 &&
                error.line <= lines);
        return;
    }
    int words = 0;
    for (const VocabularyEntry& entry : vocabulary.entries()) {
        for (const std::string& german : entry.german) {
            const VocabularyMatch match = vocabulary.lookUp(foldForSearch(german));
            require(match.entry == &entry && !match.prefix);
            ++words;
        }
        require(entry.ignored() == entry.englishText().empty());
    }
    require(words == vocabulary.germanWordCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        // -1 (all chapters) and every chapter index.
        searchText(data[0] == 0 ? -1 : data[0] / 2 % kChapterCount, text);
    } else {
        readVocabulary(text);
    }
    return 0;
}
