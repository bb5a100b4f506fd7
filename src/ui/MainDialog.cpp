#include "ui/MainDialog.h"

#include "data/ContentLoader.h"
#include "data/Overlay.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"
#include "ui/CaseKeeper.h"
#include "ui/CaseUndo.h"
#include "ui/ResultDialog.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/table/TableView.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/HelpContext.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WaitCursor.h"
#include "ui/widgets/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace tessalyn {

namespace {

constexpr int kNumberColumn = 0;

const QString kQuitQuestion = QStringLiteral("Wollen Sie wirklich beenden?");

// The names of the undo steps.
const QString kStepTyped = QStringLiteral("Eingabe");
const QString kStepReference = QStringLiteral("Rubrik übernehmen");
const QString kStepLoad = QStringLiteral("Fall aus der Fallhistorie");
const QString kStepEvaluate = QStringLiteral("Berechnen");
const QString kStepClear = QStringLiteral("Zeile leeren");
const QString kStepWeights = QStringLiteral("Gewichtung");
const QString kStepPaste = QStringLiteral("Einfügen");
const QString kStepCut = QStringLiteral("Ausschneiden");

// In the order they stand below the grid.
constexpr std::array<IconButtonEntry, MainDialog::kButtonCount> kButtons = {{
    {"&Berechnen", "berechnen", "evaluateButton", "Wertet den Fall aus und zeigt das Ergebnis"},
    {"S&uchen", "suchen", "searchButton", "Sucht Rubriken im Baum der Kapitel"},
    {"&Textsuche", "textsuche", "textSearchButton", "Sucht Rubriken nach Wörtern ihres Textes"},
    {"&Fallhistorie", "fallhistorie", "historyButton", "Zeigt die abgelegten Fälle"},
    {"&Mittel-Ausw.", "mittel", "remedyButton", "Zeigt die Rubriken eines Mittels"},
    {"&Eigenschaften", "eigenschaften", "settingsButton", "Öffnet die Programmeinstellungen"},
    {"&Hilfe", "hilfe", "helpButton", kHelpPurpose},
    {"Been&den", "beenden", "quitButton", "Beendet Tessalyn"},
}};

enum ButtonIndex {
    kEvaluate,
    kSearch,
    kTextSearch,
    kHistory,
    kRemedyOverview,
    kSettings,
    kHelp,
    kQuit,
};

// A case's name in a sentence such as "Der Fall … ist noch nicht abgelegt.".
QString caseNameText(const std::string& name) {
    return name.empty() ? QStringLiteral("ohne Namen") : toQString(name);
}

// Whether a key press would open the grid's editor with typed text.
bool isTypedKey(const QKeyEvent* key) {
    if (key->key() == Qt::Key_F2) {
        return true;
    }
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
}

} // namespace

MainDialog::MainDialog(SettingsStore& store, const QString& historyPath,
                       const QString& caseStatePath, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      store_(store), historyPath_(historyPath), grid_(data_, case_) {
    setUpDialog(this, QStringLiteral("MainDialog"), programTitle(), help::kMainWindow);
    // Nothing is kept while a change is still being made (the result view is
    // open), and only a case that is not filed.
    keeper_ = new CaseKeeper(
        caseStatePath,
        [this] {
            CaseKeeper::Wanted wanted;
            wanted.later = undo_ != nullptr && undo_->recording();
            if (!wanted.later && caseUnfiled()) {
                wanted.snapshot = grid_.snapshot();
            }
            return wanted;
        },
        this);
    connect(keeper_, &CaseKeeper::problem, this, &MainDialog::showNotice);

    evaluation_.data = &data_;
    loadData();

    settings_ = readProgramSettings(store_);
    tableFont_ = makeTableFont(settings_);
    setCaseGridOptions(settings_.polarityMode, settings_.jumpToEnd, settings_.saveColumnWidths);

    buildControls();

    // Centred on the desktop, unless a stored placement puts it elsewhere.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(width() / 2, height() / 2));
    }
    restorePlacement(this, store_, settings::kPlacementMain);
    restoreColumnWidths(settings_, grid_, store_, settings::kColumnsMain, 0);
    restoreKeptCase();

    gridView_->setFocus(Qt::OtherFocusReason);
}

MainDialog::~MainDialog() {
    keeper_->flush();
    closeSearchWindows();
    grid_.setChangeWrapper({});
    // The view listens to the grid, which is a member: it goes first. The
    // pointer is cleared before the view dies so that the event filter, which
    // still sees the viewport's last events, never touches a half-destroyed view.
    TableView* view = gridView_;
    gridView_ = nullptr;
    delete view;
}

void MainDialog::loadData() {
    ContentError error;
    if (!loadBuiltInContent(data_, error)) {
        MessageBoxes::error(nullptr,
                            QStringLiteral("Die eingebauten Repertoriumsdaten sind fehlerhaft: ") +
                                toQString(error.message()));
    }
    if (const std::optional<std::string> problem = loadOverlay(data_)) {
        MessageBoxes::warning(nullptr, toQString(*problem));
    }
}

void MainDialog::buildControls() {
    gridView_ = new TableView(this, &grid_);
    gridView_->setObjectName(QStringLiteral("caseGrid"));
    gridView_->setAccessibleName(QStringLiteral("Rubriken des Falls"));
    if (tableFont_) {
        gridView_->setFont(*tableFont_);
    }
    // The grid is stretched to its width once it has one; until then there is
    // nothing to share out.
    grid_.setClientWidth(0);
    grid_.initialise();
    gridView_->setTitleTips(true);
    gridView_->installEventFilter(this);
    gridView_->viewport()->installEventFilter(this);
    buildCaseActions();
    caseNotice_ = new QLabel(this);
    caseNotice_->setObjectName(QStringLiteral("caseNotice"));
    caseNotice_->setTextFormat(Qt::PlainText);
    caseNotice_->setWordWrap(true);
    caseNotice_->hide();

    // Equal widths; the buttons keep their places when the window grows. Each
    // keeps its auto-default: Enter on a focused button presses that button.
    const IconButtonGroup buttonRow = makeIconButtons(
        this, kButtons, {.defaultButton = kEvaluate, .autoDefault = AutoDefault::All});
    std::copy(buttonRow.buttons.begin(), buttonRow.buttons.end(), buttons_.begin());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gridView_, 1);
    layout->addWidget(caseNotice_);
    layout->addLayout(buttonRow.layout);

    connect(buttons_[kEvaluate], &QPushButton::clicked, this, &MainDialog::onEvaluate);
    connect(buttons_[kSearch], &QPushButton::clicked, this, &MainDialog::onSearch);
    connect(buttons_[kTextSearch], &QPushButton::clicked, this, &MainDialog::onTextSearch);
    connect(buttons_[kHistory], &QPushButton::clicked, this, &MainDialog::onHistory);
    connect(buttons_[kRemedyOverview], &QPushButton::clicked, this, &MainDialog::onRemedyOverview);
    connect(buttons_[kSettings], &QPushButton::clicked, this, &MainDialog::onSettings);
    connect(buttons_[kQuit], &QPushButton::clicked, this, &MainDialog::reject);
    connectHelp(this, buttons_[kHelp], [this] { onHelp(); });

    setSizeGripEnabled(true);
    setInitialDialogSize(this, dialog_size::kMain.width, dialog_size::kMain.height);
}

void MainDialog::buildCaseActions() {
    undo_ = new CaseUndo(grid_, this);
    // Texts typed into the grid or pasted there are undo steps too.
    grid_.setChangeWrapper(
        [this](const std::function<void()>& change) { undo_->record(kStepTyped, change); });
    connect(undo_, &CaseUndo::restored, this, &MainDialog::focusCaseGrid);
    connect(undo_, &CaseUndo::changed, this, &MainDialog::caseChanged);

    undoAction_ = new QAction(QStringLiteral("Rückgängig"), this);
    undoAction_->setObjectName(QStringLiteral("undoAction"));
    undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undoAction_->setEnabled(false);
    connect(undoAction_, &QAction::triggered, this, &MainDialog::undo);
    connect(&undo_->stack(), &QUndoStack::canUndoChanged, undoAction_, &QAction::setEnabled);

    redoAction_ = new QAction(QStringLiteral("Wiederherstellen"), this);
    redoAction_->setObjectName(QStringLiteral("redoAction"));
    redoAction_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redoAction_->setEnabled(false);
    connect(redoAction_, &QAction::triggered, this, &MainDialog::redo);
    connect(&undo_->stack(), &QUndoStack::canRedoChanged, redoAction_, &QAction::setEnabled);

    // Undo and redo anywhere in the main window (the grid's editor keeps
    // Ctrl+Z for its own text); clearing rows only on the grid itself, never
    // while a row is being typed.
    addAction(undoAction_);
    addAction(redoAction_);
    clearRowsAction_ = new QAction(QStringLiteral("Zeile leeren"), this);
    clearRowsAction_->setObjectName(QStringLiteral("clearRowsAction"));
    clearRowsAction_->setShortcuts({QKeySequence(Qt::Key_Delete), QKeySequence(Qt::Key_Backspace)});
    clearRowsAction_->setShortcutContext(Qt::WidgetShortcut);
    connect(clearRowsAction_, &QAction::triggered, this, &MainDialog::clearRows);
    gridView_->addAction(clearRowsAction_);

    caseMenu_ = new QMenu(this);
    caseMenu_->setObjectName(QStringLiteral("caseGridMenu"));
    caseMenu_->addAction(undoAction_);
    caseMenu_->addAction(redoAction_);
    caseMenu_->addSeparator();
    caseMenu_->addAction(clearRowsAction_);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (gridView_ != nullptr) {
        if (watched == gridView_->viewport() && event->type() == QEvent::Resize) {
            // The window or a scroll bar changed the grid's width.
            stretchGridColumns();
        } else if ((watched == gridView_ || watched == gridView_->viewport()) &&
                   event->type() == QEvent::ContextMenu) {
            auto* menuEvent = static_cast<QContextMenuEvent*>(event);
            QPoint at = menuEvent->globalPos();
            if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
                // From the keyboard: below the focused cell.
                const QRect cell = gridView_->cellRect(grid_.focusRow(), grid_.focusColumn());
                at = gridView_->viewport()->mapToGlobal(
                    gridView_->viewport()->rect().contains(cell.bottomLeft()) ? cell.bottomLeft()
                                                                              : QPoint(0, 0));
            }
            showCaseGridMenu(at);
            return true;
        } else if (watched == gridView_ && event->type() == QEvent::KeyPress &&
                   !gridView_->isEditing()) {
            if (handleGridKey(static_cast<QKeyEvent*>(event))) {
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

// A key on the grid while no row is being typed. Returns whether it was
// handled here.
bool MainDialog::handleGridKey(QKeyEvent* key) {
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const bool shift = key->modifiers() & Qt::ShiftModifier;
    // Only the number column takes input: typing or pasting on another column
    // of a row writes that row's number.
    const int row = grid_.focusRow();
    const bool paste = (ctrl && key->key() == Qt::Key_V) || (shift && key->key() == Qt::Key_Insert);
    if (row >= grid_.headerRowCount() && grid_.focusColumn() != kNumberColumn &&
        (paste || isTypedKey(key))) {
        grid_.setFocusCell(row, kNumberColumn);
    }
    // Pasting and cutting write several rows at once: one undo step each.
    if (paste) {
        changeCase(kStepPaste, [this] { gridView_->paste(); });
        return true;
    }
    if (ctrl && key->key() == Qt::Key_X) {
        changeCase(kStepCut, [this] { gridView_->cutSelection(); });
        return true;
    }
    return false;
}

void MainDialog::showCaseGridMenu(const QPoint& globalPos) {
    commitGridEditing();
    caseMenu_->popup(globalPos);
}

void MainDialog::stretchGridColumns() {
    if (gridView_->viewport()->width() > 0) {
        gridView_->expandColumnsToFit(true);
    }
}

void MainDialog::commitGridEditing() {
    if (gridView_->isEditing()) {
        gridView_->commitEditing();
    }
}

void MainDialog::focusCaseGrid() {
    gridView_->setFocus(Qt::OtherFocusReason);
}

// --- operations for the other dialogs ------------------------------------------

void MainDialog::addReference(const SymptomRef& ref) {
    // Text still in the editor belongs to the row it was typed into.
    commitGridEditing();
    changeCase(kStepReference, [&] { grid_.addReference(ref); });
    focusCaseGrid();
}

void MainDialog::loadCase(const std::string& name, std::span<const SymptomRef> refs) {
    gridView_->cancelEditing();
    changeCase(kStepLoad, [&] { grid_.loadCase(name, refs); });
    markFiled();
    focusCaseGrid();
}

// --- the case on screen -----------------------------------------------------------

int MainDialog::caseRubricCount() const {
    const std::span<const CaseEntry> used = case_.used();
    return static_cast<int>(
        std::count_if(used.begin(), used.end(), [](const CaseEntry& e) { return e.number != 0; }));
}

bool MainDialog::caseFiled() const {
    return filedCase_ && *filedCase_ == grid_.snapshot();
}

void MainDialog::caseChanged() {
    showNotice(QString());
    updateTitle();
    keeper_->schedule();
}

void MainDialog::markFiled() {
    filedCase_ = grid_.snapshot();
    showNotice(QString());
    updateTitle();
    keeper_->schedule();
}

void MainDialog::updateTitle() {
    if (caseRubricCount() == 0) {
        setWindowTitle(programTitle());
        return;
    }
    setWindowTitle(
        QStringLiteral("%1 – %2 (%3)")
            .arg(programTitle(),
                 case_.name().empty() ? QStringLiteral("Fall ohne Namen") : toQString(case_.name()),
                 caseFiled() ? QStringLiteral("abgelegt") : QStringLiteral("nicht abgelegt")));
}

QString MainDialog::caseDescription() const {
    const int rubrics = caseRubricCount();
    return QStringLiteral("Der Fall %1 mit %2")
        .arg(caseNameText(case_.name()), rubrics == 1 ? QStringLiteral("1 Rubrik")
                                                      : QStringLiteral("%1 Rubriken").arg(rubrics));
}

QString MainDialog::unfiledCaseSentence() const {
    return caseDescription() + QStringLiteral(" ist noch nicht abgelegt.");
}

void MainDialog::showNotice(const QString& text) {
    caseNotice_->setText(text);
    caseNotice_->setVisible(!text.isEmpty());
}

// The case kept at the end of the last run comes back as it was, without an
// undo step: it is where this run begins.
void MainDialog::restoreKeptCase() {
    QString problem;
    const std::optional<CaseSnapshot> kept = keeper_->read(problem);
    if (!kept) {
        showNotice(problem);
        return;
    }
    grid_.restore(*kept, {kept->rowCount(), kNumberColumn});
    updateTitle();
    if (caseRubricCount() > 0) {
        showNotice(caseDescription() + QStringLiteral(" aus dem letzten Programmlauf ist "
                                                      "wiederhergestellt; er ist noch nicht "
                                                      "abgelegt."));
    }
}

void MainDialog::changeCase(const QString& text, const std::function<void()>& change) {
    undo_->record(text, change);
}

void MainDialog::undo() {
    commitGridEditing();
    undo_->undo();
}

void MainDialog::redo() {
    commitGridEditing();
    undo_->redo();
}

void MainDialog::clearRows() {
    commitGridEditing();
    changeCase(kStepClear, [this] { grid_.clearRows(grid_.rowsToClear()); });
}

// --- commands --------------------------------------------------------------------

namespace {

// The grid row that scored entry `index` takes once the case is kept: entries
// the evaluation added are dropped.
int keptRow(std::span<const CaseEntry> entries, std::size_t index) {
    int row = 1;
    for (std::size_t i = 0; i < index; ++i) {
        row += entries[i].autoAdded ? 0 : 1;
    }
    return row;
}

} // namespace

void MainDialog::onEvaluate() {
    commitGridEditing();
    // Keeping the case (empty rows go) and discarding it are one undo step.
    bool evaluated = false;
    bool filed = false;
    struct RowMarks {
        int row;
        std::int8_t weight;
        bool eliminating;
    };
    std::vector<RowMarks> chosenMarks;
    changeCase(kStepEvaluate, [&] {
        // The wait cursor stands while the case is prepared, scored and
        // sorted and is gone before the result view opens; an empty case
        // shows none.
        std::optional<WaitCursor> wait;
        if (case_.count() > 1) {
            wait.emplace();
        }
        evaluated = grid_.evaluate(evaluation_);
        wait.reset();
        if (!evaluated) {
            return;
        }
        // Weights and marks set in the result view become an undo step of
        // their own after the one of the evaluation.
        std::vector<std::pair<std::int8_t, bool>> before;
        for (const CaseEntry& e : evaluation_.entries) {
            before.emplace_back(e.weight, e.eliminating);
        }
        ResultViewOutcome outcome = runResultView(evaluation_);
        filed = outcome.filed && outcome.keep;
        if (outcome.keep) {
            for (std::size_t i = 0; i < before.size(); ++i) {
                CaseEntry& e = evaluation_.entries[i];
                if (!e.autoAdded &&
                    (e.weight != before[i].first || e.eliminating != before[i].second)) {
                    // Kept rows are the entries the evaluation did not add.
                    chosenMarks.push_back(
                        {keptRow(evaluation_.entries, i), e.weight, e.eliminating});
                }
                e.weight = before[i].first;
                e.eliminating = before[i].second;
            }
            grid_.keep(std::move(outcome.evaluationName));
        } else {
            grid_.discard();
        }
    });
    if (!chosenMarks.empty()) {
        changeCase(kStepWeights, [&] {
            for (const RowMarks& m : chosenMarks) {
                grid_.setEntryMarks(m.row, m.weight, m.eliminating);
            }
        });
    }
    if (filed) {
        markFiled();
    }
    if (evaluated) {
        focusCaseGrid();
    }
}

// "Ergebnis der Auswertung", modally; it keeps the case when it closes with OK.
ResultViewOutcome MainDialog::runResultView(EvaluationResult& result) {
    if (resultViewRunner_) {
        return resultViewRunner_(result);
    }
    ResultDialog dialog(data_, result, settings_, tableFont_, store_, historyPath_, this);
    const bool keep = dialog.exec() == QDialog::Accepted;
    return {keep, dialog.evaluationName(), dialog.filed()};
}

FindingContext MainDialog::findingContext() {
    FindingContext context;
    context.data = &data_;
    context.store = &store_;
    context.options = &settings_;
    context.tableFont = tableFont_;
    context.takeReference = [this](const SymptomRef& ref) { addReference(ref); };
    context.parent = this;
    return context;
}

// "S&uchen": the chapter tree search, created on first use and then only shown.
void MainDialog::onSearch() {
    auto* dialog = qobject_cast<SymptomSearchDialog*>(symptomSearchWindow_.data());
    // The first opening builds the tree; later ones only show it.
    std::optional<WaitCursor> wait;
    if (dialog == nullptr) {
        wait.emplace();
        dialog = new SymptomSearchDialog(findingContext());
        symptomSearchWindow_ = dialog;
    }
    if (tableFont_) {
        dialog->applyTableFont(*tableFont_);
    }
    dialog->showWindow();
}

void MainDialog::onTextSearch() {
    auto* dialog = qobject_cast<TextSearchDialog*>(textSearchWindow_.data());
    if (dialog == nullptr) {
        dialog = new TextSearchDialog(findingContext());
        textSearchWindow_ = dialog;
    }
    dialog->showWindow();
}

void MainDialog::onHistory() {
    commitGridEditing();
    HistoryDialogContext context;
    context.historyPath = historyPath_;
    context.store = &store_;
    context.askBeforeDelete = settings_.askBeforeDelete;
    context.tableFont = tableFont_;
    context.help = [this] { onHelp(); };
    HistoryDialog dialog(context, this);
    // A case not filed is replaced only when the user says so.
    if (dialog.exec() == QDialog::Accepted &&
        (!caseUnfiled() ||
         ConfirmDialog::ask(this,
                            unfiledCaseSentence() +
                                QStringLiteral("\nWollen Sie ihn durch den Fall %1 aus der "
                                               "Fallhistorie ersetzen?")
                                    .arg(caseNameText(dialog.resultName())),
                            ConfirmDefault::No))) {
        loadCase(dialog.resultName(), dialog.resultSymptoms());
    }
    focusCaseGrid();
}

void MainDialog::onRemedyOverview() {
    commitGridEditing();
    RemedyOverviewDialog dialog(findingContext());
    if (dialog.exec() == QDialog::Accepted) {
        addReference(dialog.reference());
    }
    focusCaseGrid();
}

void MainDialog::onSettings() {
    commitGridEditing();
    editSettings(*this, store_, settingsDialogRunner_);
}

void MainDialog::setTableFont(const std::optional<QFont>& font, int rowHeight) {
    tableFont_ = font;
    gridView_->setFont(font ? *font : this->font());
    for (int row = 0; row < grid_.rowCount(); ++row) {
        grid_.setRowHeight(row, rowHeight);
    }
}

void MainDialog::setCaseGridOptions(int polarityMode, bool jumpToEnd, bool saveColumnWidths) {
    grid_.setPolarityMode(polarityModeFromInt(polarityMode));
    grid_.setJumpToEnd(jumpToEnd);
    grid_.setColumnWidthsSaved(saveColumnWidths);
}

int MainDialog::helpContextFor(const QWidget* active) const {
    if (active != nullptr && active != this) {
        const int context = helpContextOf(active);
        if (context >= 0) {
            return context;
        }
    }
    return help::kMainWindow;
}

void MainDialog::onHelp() {
    QWidget* active = QApplication::activeWindow();
    const int context = helpContextFor(active);
    QWidget* over = context == help::kMainWindow || active == nullptr ? this : active;
    showHelpOrReport(context, over);
}

void MainDialog::reject() {
    commitGridEditing();
    // With a case that is not filed, "&Ja" ends its time on screen: the
    // question names it and Enter answers no.
    if (settings_.askBeforeQuit &&
        !(caseUnfiled()
              ? ConfirmDialog::ask(this, unfiledCaseSentence() + QLatin1Char('\n') + kQuitQuestion,
                                   ConfirmDefault::No)
              : ConfirmDialog::ask(this, kQuitQuestion))) {
        focusCaseGrid();
        return;
    }
    keeper_->flush();
    storePlacement(this, store_, settings::kPlacementMain);
    storeColumnWidths(settings_, grid_, store_, settings::kColumnsMain, 0);
    closeSearchWindows();
    QDialog::reject();
}

void MainDialog::closeSearchWindows() {
    for (QPointer<QDialog>* window : {&symptomSearchWindow_, &textSearchWindow_}) {
        if (!window->isNull()) {
            (*window)->close();
            delete window->data();
        }
    }
}

} // namespace tessalyn
