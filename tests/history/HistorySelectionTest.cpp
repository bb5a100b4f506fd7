#include "history/HistorySelection.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessalyn;

namespace {

const std::vector<FilingEntry> kFirst = {{{12, 0}, false}, {{-40, 0}, false}};
const std::vector<FilingEntry> kSecond = {{{7, 2}, false}};
const std::vector<SymptomRef> kFirstSymptoms = {{12, 0}, {-40, 0}};
const std::vector<SymptomRef> kSecondSymptoms = {{7, 2}};

} // namespace

TEST(HistorySelection, TakingOverATreatmentOrACaseTakesItsSymptomsAndName) {
    CaseHistory history;
    history.fileCase("Meier", "", kFirst, "01.01.2026 10:00");
    history.fileCase("Meier", "", kSecond, "02.01.2026 10:00");
    history.fileCase("Leer", "", std::vector<FilingEntry>{}, "03.01.2026 10:00");
    FiledCase& meier = *history.cases()[0];

    EXPECT_EQ(takenCase(&meier, meier.treatments[1].get()), (TakenCase{"Meier", kSecondSymptoms}));
    // A case stands for its earliest treatment, the first in its list.
    EXPECT_EQ(takenCase(&meier, nullptr), (TakenCase{"Meier", kFirstSymptoms}));
    // A treatment without its case keeps no name.
    EXPECT_EQ(takenCase(nullptr, meier.treatments[0].get()), (TakenCase{"", kFirstSymptoms}));

    // A case without treatments hands over nothing, not even its name.
    FiledCase& leer = *history.cases()[1];
    leer.treatments.clear();
    EXPECT_EQ(takenCase(&leer, nullptr), TakenCase{});
}

TEST(HistorySelection, RemovingAnItemFindsItByItsKeyAndReportsAMissingOne) {
    CaseHistory history;
    history.fileCase("A", "eins", kFirst, "01.01.2026 10:00");
    history.fileCase("B", "zwei", kFirst, "02.01.2026 10:00");
    history.fileCase("B", "drei", kSecond, "03.01.2026 10:00");
    const FiledCase& b = *history.cases()[1];
    const HistoryItemKey treatmentKey = historyItemKey(history, b, b.treatments[0].get());
    const HistoryItemKey caseKey = historyItemKey(history, *history.cases()[0]);

    EXPECT_TRUE(removeHistoryItem(history, treatmentKey));
    ASSERT_EQ(history.caseCount(), 2u);
    ASSERT_EQ(b.treatments.size(), 1u);
    EXPECT_EQ(b.treatments[0]->comment, "drei");
    EXPECT_FALSE(removeHistoryItem(history, treatmentKey)) << "removed already";

    EXPECT_TRUE(removeHistoryItem(history, caseKey));
    ASSERT_EQ(history.caseCount(), 1u);
    EXPECT_EQ(history.cases()[0]->name, "B");
    EXPECT_FALSE(removeHistoryItem(history, caseKey)) << "removed already";
    EXPECT_EQ(history.caseCount(), 1u);
}

TEST(HistorySelection, TheSelectionGoesToTheNextShownCaseElseToTheLastBefore) {
    const std::vector<bool> shown = {true, false, true, false, false};
    EXPECT_EQ(shownCaseNear(shown, 0), 0);
    EXPECT_EQ(shownCaseNear(shown, 1), 2);
    EXPECT_EQ(shownCaseNear(shown, 2), 2);
    EXPECT_EQ(shownCaseNear(shown, 3), 2) << "nothing shown after: the last shown before";
    EXPECT_EQ(shownCaseNear(shown, 9), 2) << "beyond the end";
    EXPECT_EQ(shownCaseNear(shown, -1), 0);
    EXPECT_EQ(shownCaseNear({false, false}, 0), -1);
    EXPECT_EQ(shownCaseNear({}, 0), -1);
}
