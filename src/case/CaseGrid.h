#pragma once

#include "case/Case.h"
#include "case/CaseSnapshot.h"
#include "case/Evaluation.h"
#include "data/RepertoryData.h"
#include "table/TableLogic.h"

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tessalyn {

// The case grid's logic: a table with a fixed header row and three columns
// ("Nummer", "Symptom", "Kapitel") in which entry row r shows case entry r-1.
// Every text written into column 0 of an entry row is parsed into that row's
// entry, and the other columns are derived from it. The Qt grid only shows
// this table; the pixel work (row heights, scrolling, stretching the columns
// to the window) reaches it through the table's measure, client width and
// observer.
class CaseGrid : public TableLogic {
public:
    CaseGrid(const RepertoryData& data, Case& theCase);

    // Settings given by the main window.
    void setPolarityMode(PolarityMode mode) { polarityMode_ = mode; }
    PolarityMode polarityMode() const { return polarityMode_; }
    void setJumpToEnd(bool on) { jumpToEnd_ = on; } // "SprungEnde"
    bool jumpToEnd() const { return jumpToEnd_; }
    void setColumnWidthsSaved(bool on) { columnWidthsSaved_ = on; } // "Spaltenbreite"
    // Gives every row `height` pixels, also the rows made later (a table font
    // chosen in the settings); 0: rows are fitted to their texts.
    void setFixedRowHeight(int height);

    const Case& theCase() const { return case_; }
    const RepertoryData& data() const { return data_; }

    // Column 0 of an entry row runs the row procedure (parse, derive the other
    // columns, insert counter-polar rows, append the input row, move the focus).
    // Other columns of entry rows are refused; header rows are stored as given.
    bool setCellText(int row, int col, const std::string& text) override;

    // Empty case: header row and one empty input row, count 1, focus on (1, 0).
    void initialise();

    // Writes the reference's number text into the focused row; the focus then
    // moves on as after typing the row: to a new last row, with "SprungEnde"
    // to the last row, else to the row below it (below the counter-polar rows
    // the write inserted).
    void addReference(const SymptomRef& ref);

    // Empties the grid and adds the stored pairs in order, never inserting
    // counter-polar rows, under the given case name.
    void loadCase(std::string name, std::span<const SymptomRef> refs);

    // "Berechnen": prepares and scores the case (see evaluateCase). Until keep()
    // or discard() the grid's rows no longer match the case.
    bool evaluate(EvaluationResult& result);

    // The result view closed with OK: the case stays without the entries the
    // evaluation appended, the rows are rewritten from it (only the first rubric
    // of a "+" row survives), the input row comes back below 3000 rows, and the
    // case takes the evaluation's name.
    void keep(std::string evaluationName);

    // Sets the weight and eliminating mark of entry row `row` and shows them
    // in its symptom text. Refused (false) for a row without a positive entry
    // and for a weight outside kMinWeight..kMaxWeight. Typing over a row clears
    // both again.
    bool setEntryMarks(int row, std::int32_t weight, bool eliminating);

    // The result view closed any other way: the case is cleared and unnamed.
    void discard();

    // Empties the given entry rows as typing 0 into them would (number, BD
    // value and "+" chain gone, the row shows "0" and goes away at the next
    // evaluation); the rows stay in place and the focus does not move.
    // Header rows and rows outside the grid are passed over.
    void clearRows(std::span<const int> rows);
    // The entry rows with a selected cell; the focused entry row when none is
    // selected.
    std::vector<int> rowsToClear() const;

    // --- undo -------------------------------------------------------------------
    // The case and the grid's rows as they are now, and the focused cell.
    CaseSnapshot snapshot() const;
    CaseFocus focus() const { return {focusRow(), focusColumn()}; }
    // Rebuilds the case and every entry row from a snapshot and puts the
    // focus on `focus` (on the last row when that row no longer exists). The
    // selection is cleared; column widths stay.
    void restore(const CaseSnapshot& snapshot, CaseFocus focus);

    // Runs every text written into an entry row from outside (the grid's
    // editor, the clipboard) through `wrapper`, which the main window uses to
    // make it an undo step. Empty: texts are written directly.
    using ChangeWrapper = std::function<void(const std::function<void()>& change)>;
    void setChangeWrapper(ChangeWrapper wrapper) { changeWrapper_ = std::move(wrapper); }

private:
    void writeEntryRow(int row, const std::string& text);
    void refreshRow(int row);
    void insertCounterPolarRow(int row, std::int32_t oppositeNumber, std::int32_t oppositeBd);
    void appendInputRow();
    void fitRowHeight(int row);
    void stretchColumns();

    const RepertoryData& data_;
    Case& case_;
    PolarityMode polarityMode_ = PolarityMode::AtEnd;
    bool jumpToEnd_ = true;
    bool columnWidthsSaved_ = true;
    int fixedRowHeight_ = 0;
    bool insertMode_ = false;
    bool insertingCounterPolar_ = false;
    ChangeWrapper changeWrapper_;
    bool wrapping_ = false;
};

} // namespace tessalyn
