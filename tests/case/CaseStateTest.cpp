// The file that keeps the case on screen between runs: what it writes comes
// back as the very same case, and anything else is refused with a reason.
#include "CaseTestSupport.h"

#include "case/CaseGrid.h"
#include "case/CaseState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using tessalyn::test::builtIn;
using tessalyn::test::gridCaseMismatch;
using tessalyn::test::GridFixture;

namespace {

// A case with every kind of row: "+" chains, a junk row, a counter-polar
// entry, weights and an eliminating mark, and a name with the bytes the
// file's lines use themselves.
CaseSnapshot richCase(GridFixture& f) {
    f.grid->loadCase("Frau M\xFCller\t\\n\r\n", std::vector<SymptomRef>{{12, 0}, {-7, 0}});
    f.typeAll({"5+6+abc+7", "x", "3 BD 2", "40"});
    EXPECT_TRUE(f.grid->setEntryMarks(1, 3, true));
    EXPECT_TRUE(f.grid->setEntryMarks(6, 0, false));
    return f.grid->snapshot();
}

} // namespace

TEST(CaseState, TheKeptCaseComesBackExactly) {
    GridFixture f(builtIn());
    const CaseSnapshot kept = richCase(f);
    ASSERT_FALSE(kept.links().empty());

    const std::string bytes = caseStateBytes(kept);
    EXPECT_EQ(bytes.substr(0, 17), "Tessalyn-Fall 1\r\n");
    std::string error;
    const std::optional<CaseSnapshot> read = caseStateFromBytes(bytes, error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, kept);

    // Restored into a fresh grid it is the case as it was on screen.
    GridFixture again(builtIn());
    again.grid->restore(*read, {1, 0});
    EXPECT_EQ(gridCaseMismatch(*again.grid), "");
    EXPECT_EQ(again.grid->snapshot(), kept);
    EXPECT_EQ(again.text(1, 1), f.text(1, 1));
    EXPECT_EQ(again.text(3, 0), "5 + 6 + 0 + 7");

    // The empty case too.
    GridFixture empty(builtIn());
    ASSERT_TRUE(caseStateFromBytes(caseStateBytes(empty.grid->snapshot()), error));
}

TEST(CaseState, AnythingElseIsRefusedWithAReason) {
    GridFixture f(builtIn());
    const std::string good = caseStateBytes(richCase(f));
    const std::string head = "Tessalyn-Fall 1\r\nName\tA\r\n";
    const std::string row = "Zeile\t5\t0\t1\t0\t0\t5\r\n";
    const struct {
        std::string bytes;
        const char* error;
    } cases[] = {
        {"", "Die Datei ist leer."},
        {"<?xml version=\"1.0\"?>\r\n", "Die Datei enth\xE4lt keinen aufbewahrten Fall."},
        {good.substr(0, good.size() - 1), "Die Datei ist unvollst\xE4ndig."},
        {good.substr(0, good.rfind("Ende")), "Die Datei ist unvollst\xE4ndig."},
        {good + "Ende\t7\r\n", "Zeile 13 ist fehlerhaft."},
        {head + "Ende\t0\r\n", "Zeile 3 ist fehlerhaft."},
        {head + row + "Ende\t2\r\n", "Zeile 4 ist fehlerhaft."},
        {"Tessalyn-Fall 1\r\n" + row + "Ende\t1\r\n", "Zeile 2 ist fehlerhaft."},
        {head + "Glied\t5\t0\t1\t0\t0\r\n" + row + "Ende\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5\t0\t5\t0\t0\t5\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5\t0\t-1\t0\t0\t5\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5\t0\t1\t2\t0\t5\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5x\t0\t1\t0\t0\t5\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t99999999999\t0\t1\t0\t0\t5\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5\t0\t1\t0\t0\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5\t0\t1\t0\t0\t5\\x\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {head + "Zeile\t5\t0\t1\t0\t0\t5\\\r\nEnde\t1\r\n", "Zeile 3 ist fehlerhaft."},
        {"Tessalyn-Fall 1\nName\tA\nZeile\t5\t0\t1\t0\t0\t5\nEnde\t1\n",
         "Die Datei enth\xE4lt keinen aufbewahrten Fall."},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(caseStateFromBytes(c.bytes, error)) << c.bytes;
        EXPECT_EQ(error, c.error) << c.bytes;
    }

    // More rows than the grid takes.
    std::string tooMany = head;
    for (int i = 0; i <= kCaseRowCapacity; ++i) {
        tooMany += row;
    }
    std::string error;
    EXPECT_FALSE(caseStateFromBytes(tooMany + "Ende\t3001\r\n", error));
    EXPECT_EQ(error, "Zeile 3003 ist fehlerhaft.");
}
