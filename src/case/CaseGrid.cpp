#include "case/CaseGrid.h"

#include "case/NumberText.h"
#include "table/TableSizing.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <utility>

namespace tessalyn {

namespace {

constexpr int kNumberColumn = 0;
constexpr int kSymptomColumn = 1;
constexpr int kLocationColumn = 2;
constexpr int kInitialNumberWidth = 5;
constexpr int kInitialSymptomWidth = 480;

// Restores a value when the scope ends (the polarity mode while loading).
template <typename T> class Restore {
public:
    explicit Restore(T& target) : target_(target), saved_(target) {}
    ~Restore() { target_ = saved_; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& target_;
    T saved_;
};

} // namespace

CaseGrid::CaseGrid(const RepertoryData& data, Case& theCase) : data_(data), case_(theCase) {}

bool CaseGrid::setCellText(int row, int col, const std::string& text) {
    if (!isValid(row, col)) {
        return false;
    }
    if (row < headerRowCount()) {
        return TableLogic::setCellText(row, col, text);
    }
    if (col != kNumberColumn || row - 1 >= kCaseSlotCount) {
        return false;
    }
    if (changeWrapper_ && !wrapping_) {
        // Texts the wrapped change writes itself go straight in.
        Restore<bool> done(wrapping_);
        wrapping_ = true;
        changeWrapper_([&] { writeEntryRow(row, text); });
        return true;
    }
    writeEntryRow(row, text);
    return true;
}

// The row procedure for a text written into column 0 of entry row `row`.
void CaseGrid::writeEntryRow(int row, const std::string& text) {
    const int count = case_.count();
    // A row inserted below a symptom is never the input row, even when it lands
    // on the last row's index.
    const bool lastBelowCapacity = !insertMode_ && row == count && count < kCaseRowCapacity;

    if (insertMode_) {
        // Make room at entry row-1; the table has already moved the rows' cells
        // down, so each moved row keeps showing its own entry. A "+" chain moves
        // along with its entry, like the row's text does.
        for (int k = count; k >= row; --k) {
            CaseEntry& to = case_.entry(k);
            to = std::move(case_.entry(k - 1));
            to.autoAdded = false;
        }
    }

    CaseEntry& entry = case_.entry(row - 1);
    entry.reset();

    std::string cellText;
    CaseEntry* tail = &entry;
    std::string_view rest(text);
    bool first = true;
    for (;;) {
        const std::size_t plus = rest.find('+');
        const std::string_view part = rest.substr(0, plus);

        // An invalid text keeps its number but loses its BD value, so a valid
        // number with a BD marker ("12 BD 3") still names its rubric.
        std::int32_t number = parseNumberText(part).ref.number;
        const bool named = number != 0 && number >= -kRubricCount && number <= kRubricCount;
        if (!named) {
            number = 0;
        }
        if (first) {
            entry.number = number;
            entry.bd = 0;
            entry.autoAdded = false;
            refreshRow(row);
            cellText = numberText(number);
        } else {
            if (named) {
                tail->next = std::make_unique<CaseEntry>(number, 0);
                tail = tail->next.get();
            }
            cellText += " + ";
            cellText += numberText(number);
        }

        if (polarityMode_ == PolarityMode::Immediate && number > 0 && !insertingCounterPolar_) {
            const Rubric& rubric = data_.rubric(number - 1);
            if (rubric.oppositeNumber != 0 &&
                case_.lacks(-rubric.oppositeNumber, rubric.oppositeBd)) {
                insertCounterPolarRow(row, rubric.oppositeNumber, rubric.oppositeBd);
            }
        }

        if (plus == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(plus + 1);
        first = false;
    }
    storeCellText(row, kNumberColumn, cellText);

    fitRowHeight(row);

    if (lastBelowCapacity) {
        appendInputRow();
    } else if (jumpToEnd_) {
        setFocusCell(case_.count(), kNumberColumn);
    }
}

// Inserts the counter-polar entry of the symptom in `row` right below it (at
// the end when `row` is the last row). Refused quietly when the case has no
// free slot left.
void CaseGrid::insertCounterPolarRow(int row, std::int32_t oppositeNumber,
                                     std::int32_t oppositeBd) {
    const int count = case_.count();
    if (count >= kCaseSlotCount) {
        return;
    }
    const std::string text = std::to_string(-static_cast<std::int64_t>(oppositeNumber)) + " BD " +
                             std::to_string(oppositeBd);

    const bool atEnd = row == count;
    const int newRow = atEnd ? insertRow(std::string(), -1) : insertRow(std::string(), row + 1);
    insertMode_ = !atEnd;
    insertingCounterPolar_ = true;
    writeEntryRow(newRow, text);
    insertingCounterPolar_ = false;
    insertMode_ = false;

    case_.setCount(count + 1);
    fitRowHeight(newRow);
    ensureVisible(newRow, kNumberColumn);
    stretchColumns();
    setFocusCell(row, kNumberColumn);
}

// Appends the empty input row below the last row and puts the focus on it.
void CaseGrid::appendInputRow() {
    const int count = case_.count();
    const int row = insertRow("0", -1);
    case_.entry(row - 1).reset();
    refreshRow(row);
    case_.setCount(count + 1);
    fitRowHeight(row);
    ensureVisible(row, kNumberColumn);
    if (!columnWidthsSaved_) {
        stretchColumns();
    }
    setFocusCell(case_.count(), kNumberColumn);
}

// Columns 1 and 2 and the symptom tip from the row's entry; a negative entry
// shows the texts of its rubric.
void CaseGrid::refreshRow(int row) {
    const CaseEntry& entry = case_.entry(row - 1);
    const int index = rubricIndexOf(entry.number, entry.bd);
    if (index < 0) {
        storeCellText(row, kSymptomColumn, std::string());
        setCellMarks(row, kSymptomColumn, std::string());
        storeCellText(row, kLocationColumn, std::string());
        setCellTip(row, kSymptomColumn, std::nullopt);
        return;
    }
    storeCellText(row, kSymptomColumn, data_.symptomText(entry.number));
    setCellMarks(row, kSymptomColumn, entryMarksText(entry));
    storeCellText(row, kLocationColumn, data_.locationText(index));
    setCellTip(row, kSymptomColumn, data_.remedyListText(index));
}

void CaseGrid::fitRowHeight(int row) {
    if (fixedRowHeight_ > 0) {
        setRowHeight(row, fixedRowHeight_);
        return;
    }
    autoSizeRow(*this, row, effectiveMeasure());
}

void CaseGrid::setFixedRowHeight(int height) {
    fixedRowHeight_ = std::max(0, height);
    if (fixedRowHeight_ > 0) {
        setDefaultRowHeight(fixedRowHeight_, true);
    }
}

// Shares the grid's spare width among the columns; without a view that has
// reported its width there is nothing to stretch to.
void CaseGrid::stretchColumns() {
    if (clientWidth() > 0) {
        expandColumnsToFit(*this, clientWidth(), true);
    }
}

void CaseGrid::initialise() {
    case_.resetEntries();
    case_.setCount(1);
    clear();
    setColumnCount(3);
    setRowCount(2);
    setHeaderRowCount(1);
    storeCellText(0, kNumberColumn, "Nummer");
    storeCellText(0, kSymptomColumn, "Symptom");
    storeCellText(0, kLocationColumn, "Kapitel");
    setColumnWidth(kNumberColumn, kInitialNumberWidth);
    setColumnWidth(kSymptomColumn, kInitialSymptomWidth);
    stretchColumns();
    setFocusCell(1, kNumberColumn);
}

void CaseGrid::addReference(const SymptomRef& ref) {
    const int count = case_.count();
    int row = focusRow();
    if (row < 1 || row > count) {
        row = count;
    }
    setCellText(row, kNumberColumn, numberText(ref.number, ref.bd));
    if (row == count && row < kCaseRowCapacity) {
        setFocusCell(case_.count(), kNumberColumn);
    } else if (!jumpToEnd_) {
        // On to the row below, past the counter-polar rows the take inserted,
        // so that the next take fills the next row instead of replacing this
        // one. With "SprungEnde" the row procedure went to the last row.
        const int inserted = case_.count() - count;
        setFocusCell(std::min(row + 1 + inserted, case_.count()), kNumberColumn);
    }
}

void CaseGrid::loadCase(std::string name, std::span<const SymptomRef> refs) {
    initialise();
    case_.setName(std::move(name));
    Restore<PolarityMode> restore(polarityMode_);
    polarityMode_ = PolarityMode::None;
    for (const SymptomRef& ref : refs) {
        addReference(ref);
    }
}

bool CaseGrid::evaluate(EvaluationResult& result) {
    return evaluateCase(case_, data_, polarityMode_, result);
}

void CaseGrid::keep(std::string evaluationName) {
    const int count = case_.count();
    int kept = 0;
    for (int i = 0; i < count; ++i) {
        if (!case_.entry(i).autoAdded) {
            if (kept != i) {
                case_.entry(kept) = std::move(case_.entry(i));
            }
            ++kept;
        }
    }
    for (int i = kept; i < count; ++i) {
        case_.entry(i).reset();
    }

    // Rewriting the rows restores the case as it was; it must not add
    // counter-polar rows of its own.
    Restore<PolarityMode> restore(polarityMode_);
    polarityMode_ = PolarityMode::None;

    const bool inputRow = kept < kCaseRowCapacity;
    const int rows = kept + (inputRow ? 1 : 0);
    clearFocus();
    setRowCount(1);
    setRowCount(rows + 1);
    case_.setCount(rows);
    for (int r = 1; r <= kept; ++r) {
        CaseEntry& entry = case_.entry(r - 1);
        // Rewriting a row is typing over it, which clears its marks; the
        // entry keeps the ones it was scored with.
        const std::int8_t weight = entry.weight;
        const bool eliminating = entry.eliminating;
        writeEntryRow(r, numberText(entry.number, entry.bd));
        setEntryMarks(r, weight, eliminating);
    }
    int focus = kept;
    if (inputRow) {
        focus = kept + 1;
        case_.entry(kept).reset();
        storeCellText(focus, kNumberColumn, "0");
        refreshRow(focus);
        fitRowHeight(focus);
    }
    setFocusCell(focus, kNumberColumn);
    ensureVisible(focus, kNumberColumn);
    case_.setName(std::move(evaluationName));
}

bool CaseGrid::setEntryMarks(int row, std::int32_t weight, bool eliminating) {
    if (row < 1 || row > case_.count() || weight < kMinWeight || weight > kMaxWeight) {
        return false;
    }
    CaseEntry& entry = case_.entry(row - 1);
    if (entry.number <= 0) {
        return false;
    }
    entry.weight = static_cast<std::int8_t>(weight);
    entry.eliminating = eliminating;
    refreshRow(row);
    fitRowHeight(row);
    return true;
}

void CaseGrid::discard() {
    case_.resetEntries();
    initialise();
    case_.setName(std::string());
}

void CaseGrid::clearRows(std::span<const int> rows) {
    for (const int row : rows) {
        if (row < headerRowCount() || row > case_.count() || row >= rowCount()) {
            continue;
        }
        case_.entry(row - 1).reset();
        storeCellText(row, kNumberColumn, "0");
        refreshRow(row);
        fitRowHeight(row);
    }
}

std::vector<int> CaseGrid::rowsToClear() const {
    std::vector<int> rows;
    const int last = std::min(rowCount() - 1, case_.count());
    for (int row = headerRowCount(); row <= last; ++row) {
        for (int col = 0; col < columnCount(); ++col) {
            if (isSelected(row, col)) {
                rows.push_back(row);
                break;
            }
        }
    }
    if (rows.empty() && focusRow() >= headerRowCount() && focusRow() <= last) {
        rows.push_back(focusRow());
    }
    return rows;
}

CaseSnapshot CaseGrid::snapshot() const {
    CaseSnapshot s;
    const int count = std::min(case_.count(), rowCount() - 1);
    s.name_ = case_.name();
    s.rows_.reserve(static_cast<std::size_t>(count));
    s.textEnds_.reserve(static_cast<std::size_t>(count));
    std::size_t textBytes = 0;
    for (int i = 0; i < count; ++i) {
        textBytes += rawCellText(i + 1, kNumberColumn).size();
    }
    s.texts_.reserve(textBytes);
    for (int i = 0; i < count; ++i) {
        const CaseEntry& entry = case_.entry(i);
        s.rows_.push_back(entry.values());
        for (const CaseEntry* link = entry.next.get(); link != nullptr; link = link->next.get()) {
            s.links_.emplace_back(i, link->values());
        }
        s.texts_ += rawCellText(i + 1, kNumberColumn);
        s.textEnds_.push_back(static_cast<std::uint32_t>(s.texts_.size()));
    }
    s.links_.shrink_to_fit();
    return s;
}

void CaseGrid::restore(const CaseSnapshot& snapshot, CaseFocus focus) {
    const int rows = std::min(snapshot.rowCount(), kCaseSlotCount);
    clearSelection();
    clearFocus();
    case_.resetEntries();
    setRowCount(headerRowCount());
    setRowCount(headerRowCount() + rows);
    case_.setCount(rows);
    for (int i = 0; i < rows; ++i) {
        case_.entry(i) = CaseEntry(snapshot.rowValues(i));
    }
    CaseEntry* tail = nullptr;
    int tailIndex = -1;
    for (const auto& [index, values] : snapshot.links()) {
        if (index < 0 || index >= rows) {
            continue;
        }
        if (index != tailIndex) {
            tail = &case_.entry(index);
            tailIndex = index;
        }
        tail->next = std::make_unique<CaseEntry>(values);
        tail = tail->next.get();
    }
    for (int row = 1; row <= rows; ++row) {
        storeCellText(row, kNumberColumn, std::string(snapshot.rowText(row - 1)));
        refreshRow(row);
        fitRowHeight(row);
    }
    case_.setName(snapshot.name());
    if (!isValid(focus.row, focus.column) || focus.row < headerRowCount()) {
        focus = {rows, kNumberColumn};
    }
    setFocusCell(focus.row, focus.column);
    ensureVisible(focus.row, focus.column);
}

} // namespace tessalyn
