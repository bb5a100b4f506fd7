#include "history/CaseName.h"

#include "history/CaseHistory.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;

// Where a typed name files and which case it is easily taken for: a name
// that differs from a filed one only in blanks or letter case is said, be it
// the case it goes to or one it would stand beside as a twin.
TEST(CaseName, TheTargetNamesTheCaseATypedNameIsTakenFor) {
    CaseHistory history;
    const std::vector<FilingEntry> one = {{{1, 0}, false}};
    // Filed before names lost their blanks: a trailing blank, a double one.
    for (const char* name : {"Frau M\xFCller ",
                             "Herr  Schr\xF6"
                             "der",
                             "Anna", "anna bell"}) {
        history.fileCase(name, "", one, "01.01.2026 10:00");
    }
    const FiledCase* mueller = history.cases()[0].get();
    const FiledCase* schroeder = history.cases()[1].get();
    const FiledCase* anna = history.cases()[2].get();
    const FiledCase* annaBell = history.cases()[3].get();

    struct Row {
        const char* typed;
        const char* filed;
        const FiledCase* existing;
        const FiledCase* lookAlike;
        NameDifference difference;
    };
    const Row rows[] = {
        {"Anna", "Anna", anna, nullptr, NameDifference::Same},
        // Blanks around a name are dropped: it goes to the case as spelt.
        {"  Anna\xA0", "Anna", anna, nullptr, NameDifference::Same},
        {"ANNA ", "ANNA", anna, anna, NameDifference::LetterCase},
        // A new case beside one that looks the same.
        {"Frau M\xFCller", "Frau M\xFCller", nullptr, mueller, NameDifference::Blanks},
        {"FRAU M\xDCLLER", "FRAU M\xDCLLER", nullptr, mueller, NameDifference::BlanksAndLetterCase},
        {"Herr Schr\xF6"
         "der",
         "Herr Schr\xF6"
         "der",
         nullptr, schroeder, NameDifference::Blanks},
        {"AnnaBell", "AnnaBell", nullptr, annaBell, NameDifference::BlanksAndLetterCase},
        {"Anna B", "Anna B", nullptr, nullptr, NameDifference::Same},
        // No name: nothing to file, nothing to compare.
        {"  ", "", nullptr, nullptr, NameDifference::Same},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.typed);
        const CaseNameTarget target = caseNameTarget(history, row.typed);
        ASSERT_TRUE(target.name);
        EXPECT_EQ(*target.name, row.filed);
        EXPECT_EQ(target.existing, row.existing);
        EXPECT_EQ(target.lookAlike, row.lookAlike);
        EXPECT_EQ(target.difference, row.difference);
    }
    EXPECT_FALSE(caseNameTarget(history, "Anna\r\n").name);
}
