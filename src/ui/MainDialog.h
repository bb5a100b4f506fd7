#pragma once

#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/Evaluation.h"
#include "data/RepertoryData.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"
#include "ui/EditSettings.h"
#include "ui/finding/FindingContext.h"

#include <QDialog>
#include <QFont>
#include <QPointer>
#include <QString>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>

namespace tessalyn {

class CaseKeeper;
class CaseUndo;
class IconPushButton;
class TableView;

// What the result view hands back when it closes: keep the case (it takes the
// evaluation's name) or discard it.
struct ResultViewOutcome {
    bool keep = false;
    std::string evaluationName; // Windows-1252
    bool filed = false;         // the case reached the history while the view was open
};

// The main window: the case grid above a row of eight icon buttons. It owns,
// for the whole run, the repertory data (built-in content with the overlay
// "orvento.lang" of the current directory applied), the case and its grid, the
// evaluation's scores, the options and the table font, and the two modeless
// search windows. Every other dialog is opened from here for one use and
// reads what it needs through the accessors below.
//
// The title names the case on screen and whether it is filed: it is filed
// while it is the case last filed from the result view or taken from the
// history, unchanged. A case that is not filed is kept in the file
// `caseStatePath` (see CaseKeeper) and comes back from there at the next
// start, with a line below the grid saying so; without a path nothing is kept.
//
// Closing by "Been&den", Escape or the window's close box asks "Wollen Sie
// wirklich beenden?" when "FragenBeimBeenden" is on, or names the case when
// one is on screen that is not filed, with "&Nein" as the default; then the
// placement "Dialog/Eingabe" and (with "Spaltenbreite") the column widths
// "Spalten/Eingabe" are stored and the search windows are closed.
class MainDialog : public QDialog, public SettingsOwner {
    Q_OBJECT
public:
    MainDialog(SettingsStore& store, const QString& historyPath,
               const QString& caseStatePath = QString(), QWidget* parent = nullptr);
    ~MainDialog() override;

    // --- what the other dialogs read ------------------------------------------
    const RepertoryData& data() const { return data_; }
    const Case& theCase() const { return case_; }
    const CaseGrid& caseGrid() const { return grid_; }
    TableView* caseGridView() const { return gridView_; }
    // The scores of the last evaluation.
    const EvaluationResult& evaluation() const { return evaluation_; }
    const ProgramSettings& settings() const { return settings_; }
    // None: the tables keep their default font.
    const std::optional<QFont>& tableFont() const { return tableFont_; }
    QString historyPath() const override { return historyPath_; }
    SettingsStore& settingsStore() { return store_; }

    // --- what the finding windows and the case history hand back ---------------
    // Writes the reference's number text into the grid's focused row; the focus
    // moves on as after typing the row (CaseGrid::addReference) and the grid
    // takes the keyboard focus.
    void addReference(const SymptomRef& ref);
    // Replaces the case by a stored one (never inserting counter-polar rows);
    // the case is then filed.
    void loadCase(const std::string& name, std::span<const SymptomRef> refs);

    // --- the case on screen ---------------------------------------------------------
    // Rows with a rubric (a number other than 0); none: no case on screen.
    int caseRubricCount() const;
    // Whether the case on screen is the one last filed or taken from the history.
    bool caseFiled() const;
    // A case with rubrics on screen that is not filed.
    bool caseUnfiled() const { return caseRubricCount() > 0 && !caseFiled(); }
    // What keeps the case between runs.
    CaseKeeper& caseKeeper() { return *keeper_; }
    // The line below the grid: the kept case restored, or why keeping it
    // failed; hidden when there is nothing to say.
    QLabel* caseNotice() const { return caseNotice_; }

    // --- undo --------------------------------------------------------------------
    // Applies `change` to the case as one undo step named `text` (no step
    // when the case stays as it was). Every change of the case goes through
    // here; changes made inside another recorded change belong to it.
    void changeCase(const QString& text, const std::function<void()>& change);
    CaseUndo& caseUndo() { return *undo_; }
    // The case grid's context menu: Rückgängig, Wiederherstellen, Zeile leeren.
    QMenu* caseGridMenu() const { return caseMenu_; }
    QAction* undoAction() const { return undoAction_; }
    QAction* redoAction() const { return redoAction_; }
    QAction* clearRowsAction() const { return clearRowsAction_; }

    // The buttons in their order: Berechnen, Suchen, Textsuche, Fallhistorie,
    // Mittel-Ausw., Eigenschaften, Hilfe, Beenden (object names
    // "evaluateButton" to "quitButton", see MainDialog.cpp).
    static constexpr int kButtonCount = 8;

    // The help topic "&Hilfe" opens while `active` is the active window: that
    // window's own topic when it is another window of the program that names
    // one (see HelpContext.h), else the main window's.
    int helpContextFor(const QWidget* active) const;

    // --- test hooks ------------------------------------------------------------
    // Runs the result view for an evaluation (default: the dialog, modally).
    using ResultViewRunner = std::function<ResultViewOutcome(EvaluationResult&)>;
    void setResultViewRunner(ResultViewRunner runner) { resultViewRunner_ = std::move(runner); }
    // Runs the settings dialog (default: modally).
    void setSettingsDialogRunner(SettingsDialogRunner runner) {
        settingsDialogRunner_ = std::move(runner);
    }

    // --- SettingsOwner -----------------------------------------------------------
    ProgramSettings& programSettings() override { return settings_; }
    QWidget* dialogParent() override { return this; }
    void setTableFont(const std::optional<QFont>& font, int rowHeight) override;
    void setCaseGridOptions(int polarityMode, bool jumpToEnd, bool saveColumnWidths) override;
    void focusCaseGrid() override;

public slots:
    // "&Berechnen" (also Enter on the dialog): evaluates the case, shows the
    // result and keeps or discards the case as the result view says. Nothing
    // happens for an empty case.
    void onEvaluate();
    // "S&uchen", "&Textsuche", "&Fallhistorie", "&Mittel-Ausw.": their windows.
    void onSearch();
    void onTextSearch();
    void onHistory();
    void onRemedyOverview();
    // "&Eigenschaften": the settings dialog, applied at once on OK.
    void onSettings();
    // "&Hilfe" (and F1).
    void onHelp();
    // Ctrl+Z, Ctrl+Y / Ctrl+Shift+Z and the context menu of the case grid.
    void undo();
    void redo();
    // "Zeile leeren" (Delete, Backspace): the selected rows, else the focused one.
    void clearRows();
    // "Been&den", Escape and the close box.
    void reject() override;
    // The dialog's OK command is "&Berechnen"; it never closes the window.
    void accept() override { onEvaluate(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildCaseActions();
    bool handleGridKey(QKeyEvent* key);
    void showCaseGridMenu(const QPoint& globalPos);
    void loadData();
    void restoreKeptCase();
    void caseChanged();
    void markFiled();
    void updateTitle();
    void showNotice(const QString& text);
    // "Der Fall Herr Özdemir mit 12 Rubriken" ("Der Fall ohne Namen …").
    QString caseDescription() const;
    // "Der Fall … mit 12 Rubriken ist noch nicht abgelegt."
    QString unfiledCaseSentence() const;
    void stretchGridColumns();
    void commitGridEditing();
    ResultViewOutcome runResultView(EvaluationResult& result);
    void closeSearchWindows();
    // What the finding windows read and where they hand a rubric back.
    FindingContext findingContext();

    SettingsStore& store_;
    QString historyPath_;
    RepertoryData data_;
    Case case_;
    CaseGrid grid_;
    EvaluationResult evaluation_;
    ProgramSettings settings_;
    std::optional<QFont> tableFont_;
    // The case as last filed or taken from the history.
    std::optional<CaseSnapshot> filedCase_;

    TableView* gridView_ = nullptr;
    QLabel* caseNotice_ = nullptr;
    CaseKeeper* keeper_ = nullptr;
    std::array<IconPushButton*, kButtonCount> buttons_{};
    CaseUndo* undo_ = nullptr;
    QMenu* caseMenu_ = nullptr;
    QAction* undoAction_ = nullptr;
    QAction* redoAction_ = nullptr;
    QAction* clearRowsAction_ = nullptr;

    // The chapter tree search and the text search: created on first use, kept
    // hidden when closed, closed with the main window.
    QPointer<QDialog> symptomSearchWindow_;
    QPointer<QDialog> textSearchWindow_;

    ResultViewRunner resultViewRunner_;
    SettingsDialogRunner settingsDialogRunner_;
};

} // namespace tessalyn
