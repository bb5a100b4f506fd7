#pragma once

#include "case/Evaluation.h"
#include "data/RepertoryData.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"
#include "ui/widgets/TestHook.h"

#include <QDate>
#include <QDialog>
#include <QFont>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLineEdit;
class QMenu;
class QPushButton;

namespace tessalyn {

class IconPushButton;
class RankingChart;
struct RankingBar;
struct ResultReport;
class TableView;

// "Ergebnis der Auswertung": the ranking of an evaluation as a table with one
// column per remedy that has a hit and one row per scored case entry, the
// grades at the crossings, and above it a bar chart of the ranking that can
// be switched off ("Balkendiagramm"). The user names the evaluation, prints
// the table, files the case into the history, copies the grades and re-sorts
// the remedies by any row.
//
// exec() returns QDialog::Accepted when the case is kept ("&Zurück", Enter,
// and Escape or the close box while "EscapeLoescht" is off); then
// evaluationName() is the name the case takes. Any other result discards the
// case ("&Neu"; Escape or the close box while "EscapeLoescht" is on).
class ResultDialog : public QDialog {
    Q_OBJECT

public:
    ResultDialog(const RepertoryData& repertory, EvaluationResult& result,
                 const ProgramSettings& settings, const std::optional<QFont>& tableFont,
                 SettingsStore& store, const QString& historyPath, QWidget* parent = nullptr);
    ~ResultDialog() override;

    // The evaluation name (Windows-1252) as last taken from "Name der
    // Auswertung": at first the case name, then at printing, filing and keeping.
    const std::string& evaluationName() const { return evaluationName_; }

    // Whether "&Ablegen" filed the case into the history.
    bool filed() const { return filed_; }

    // True until "&Neu" leaves the view, which then always discards.
    bool honourEscapeSetting() const { return honourEscapeSetting_; }

    // The title the printout carries in its top-left cell: the evaluation
    // name, a blank and the print date as "dd.MM.yyyy".
    QString printTitle() const;
    // The date printed (today when none is set); for tests.
    void setPrintDate(const QDate& date) { printDate_ = date; }
    QDate printDate() const;

    bool chartShown() const;

    TableView* table() const { return table_; }
    RankingChart* chart() const { return chart_; }
    QLineEdit* nameEdit() const { return nameEdit_; }
    IconPushButton* backButton() const { return backButton_; }
    IconPushButton* printButton() const { return printButton_; }
    IconPushButton* pdfButton() const { return pdfButton_; }
    IconPushButton* fileButton() const { return fileButton_; }
    IconPushButton* helpButton() const { return helpButton_; }
    IconPushButton* newButton() const { return newButton_; }
    QPushButton* copyButton() const { return copyButton_; }

    // The chart's bars as the table now orders its remedy columns.
    std::vector<RankingBar> currentBars() const;

    // Weighting and elimination of the rubric shown in table row `row` (row 2
    // and below, a positive entry): the ranking is computed again at once and
    // the table and chart refilled, keeping the row order, the focus row and
    // the evaluation name. False, changing nothing, for any other row or a
    // weight outside 0..4. Ctrl+0 .. Ctrl+4 and Ctrl+E act on the focus row,
    // and say in a tip when it has nothing to weight.
    bool setRowWeight(int row, int weight);
    bool toggleRowEliminating(int row);
    // The case entry that table row `row` shows, or nullptr.
    const CaseEntry* rowEntry(int row) const;

    // The context menu of a rubric row: "Gewichtung 0" .. "Gewichtung 4" and
    // "Eliminierend", the row's current choices checked, all disabled for a
    // counter-polar row. Shown on a right click and with Shift+F10 or the menu
    // key for the focus row. While a test hook is set, the hook picks the
    // action (or none) instead of the menu being shown.
    void showRowMenu(int row, const QPoint& globalPos);
    using MenuHook = TestHook<QAction*(QMenu& menu)>;
    static MenuHook& menuTestHook();

public slots:
    // "&Zurück" and Enter: store placement and widths, take the name, keep.
    void accept() override;
    // Escape and the close box: store placement and widths, then keep when
    // Escape is honoured and "EscapeLoescht" is off, else discard.
    void reject() override;
    // "&Neu": always discards.
    void discardCase();
    // "&Drucken": prints the table with the title in its top-left cell (and,
    // with "KeinGrauBeimDruck", white header cells) for the job only, its two
    // text columns as wide as their texts need (up to the column width
    // limit) however narrow the window shows them. Returns whether it printed.
    bool printResult();
    // "Als &PDF…": asks for the file and writes the report: a front page with
    // the title, the ranking chart and the rubrics, then the whole table laid
    // out for paper (PaperTable), every page with the name, the date and its
    // number. Returns whether the file was written.
    bool saveAsPdf();
    // "&Ablegen": asks for name and comment and files the case; the view stays.
    // Returns whether the case reached the history.
    bool fileCase();
    // "&X Copy to Clipboard" (Alt+X): the grade block to the clipboard.
    void copyToClipboard();
    // Shows or hides the chart and keeps the choice in the settings.
    void setChartShown(bool shown);

private:
    class ChartFollower;

    void buildControls();
    // Narrows the header columns so that remedy columns show beside them:
    // to half of the table's width, or, for widths the user stored, so far
    // that the first remedy column stays in sight.
    void fitHeaderColumns(bool widthsRestored);
    void buildWeightKeys();
    void fillTable(std::span<const int> rowOrder = {});
    bool changeRowMarks(int row, int weight, bool eliminating);
    // A tip at the row (or the table) saying why a weighting key or the row
    // menu does nothing: no rubric row has the focus, or a counter-polar one.
    void sayWhyNotWeighted(int row);
    void updateChart();
    void takeName();
    // Runs `output` (printing or the PDF) with the table as it is printed:
    // with "KeinGrauBeimDruck" white header cells and, with `titleInCell`, the
    // title in its top-left cell; undone afterwards whatever happened.
    bool withPrintedLook(bool titleInCell, const std::function<bool()>& output);
    // The front page's content as the view shows it now.
    ResultReport report() const;
    void storeState();

    const RepertoryData& data_;
    EvaluationResult& result_;
    ProgramSettings settings_;
    std::optional<QFont> tableFont_;
    SettingsStore& store_;
    QString historyPath_;

    std::string evaluationName_;
    bool honourEscapeSetting_ = true;
    bool filed_ = false;
    QDate printDate_;

    RankingChart* chart_ = nullptr;
    TableView* table_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QCheckBox* chartToggle_ = nullptr;
    IconPushButton* backButton_ = nullptr;
    IconPushButton* printButton_ = nullptr;
    IconPushButton* pdfButton_ = nullptr;
    IconPushButton* fileButton_ = nullptr;
    IconPushButton* helpButton_ = nullptr;
    IconPushButton* newButton_ = nullptr;
    QPushButton* copyButton_ = nullptr;
    std::unique_ptr<ChartFollower> chartFollower_;
};

} // namespace tessalyn
