#include "search/Vocabulary.h"

extern const char kBuiltInVocabulary[];
extern const std::size_t kBuiltInVocabularySize;

namespace tessalyn {

std::string_view builtInVocabularyText() {
    return {kBuiltInVocabulary, kBuiltInVocabularySize};
}

const Vocabulary& builtInVocabulary() {
    static const Vocabulary vocabulary = [] {
        Vocabulary v;
        ContentError error;
        v.parse(builtInVocabularyText(), error);
        return v;
    }();
    return vocabulary;
}

} // namespace tessalyn
