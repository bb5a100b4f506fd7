#include "case/NumberText.h"

#include <gtest/gtest.h>

using namespace tessalyn;

namespace {

SymptomRef ref(std::int32_t number, std::int32_t bd = 0) {
    return SymptomRef{number, bd};
}

} // namespace

// The three ways a finding window takes a hit differ only in what they do with
// a number that is not a valid reference.
TEST(HitReference, EachWayOfTakingTreatsInvalidNumbersItsOwnWay) {
    for (const HitTakeOver rule :
         {HitTakeOver::ValidOnly, HitTakeOver::InvalidAsEmptyRow, HitTakeOver::PositiveNumber}) {
        SCOPED_TRACE(static_cast<int>(rule));
        EXPECT_EQ(hitReference("", rule), std::nullopt) << "no hit row";
        EXPECT_EQ(hitReference("12 ", rule), ref(12));
        EXPECT_EQ(hitReference("8385", rule), ref(8385));
    }

    // A BD marker makes the number invalid.
    EXPECT_EQ(hitReference("12 BD 3", HitTakeOver::ValidOnly), std::nullopt);
    EXPECT_EQ(hitReference("12 BD 3", HitTakeOver::InvalidAsEmptyRow), ref(12, 0));
    EXPECT_EQ(hitReference("12 BD 3", HitTakeOver::PositiveNumber), ref(12, 3));

    // Beyond the last rubric.
    EXPECT_EQ(hitReference("8386", HitTakeOver::ValidOnly), std::nullopt);
    EXPECT_EQ(hitReference("8386", HitTakeOver::InvalidAsEmptyRow), ref(8386));
    EXPECT_EQ(hitReference("8386", HitTakeOver::PositiveNumber), ref(8386));

    // A counter-polar number is valid but not above 0.
    EXPECT_EQ(hitReference("-40", HitTakeOver::ValidOnly), ref(-40));
    EXPECT_EQ(hitReference("-40", HitTakeOver::InvalidAsEmptyRow), ref(-40));
    EXPECT_EQ(hitReference("-40", HitTakeOver::PositiveNumber), std::nullopt);

    // A text without a number reads as 0.
    EXPECT_EQ(hitReference("x", HitTakeOver::ValidOnly), std::nullopt);
    EXPECT_EQ(hitReference("x", HitTakeOver::InvalidAsEmptyRow), ref(0));
    EXPECT_EQ(hitReference("x", HitTakeOver::PositiveNumber), std::nullopt);
}
