#include "ui/history/HistoryDialog.h"

#include "history/HistorySelection.h"
#include "search/Folding.h"
#include "settings/SettingsKeys.h"
#include "ui/history/HistoryFiles.h"
#include "ui/history/MessageBoxHistoryReporter.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WindowPlacement.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace tessalyn {

namespace {

const QString kFileName = QStringLiteral("historie.xml");
const QString kFilter = QStringLiteral("Fallhistorie (*.xml)");
const QString kSuffix = QStringLiteral("xml");

// "1 Fall", "12 Fälle"; in the dative "12 Fällen".
QString caseCount(std::size_t n, bool dative) {
    if (n == 1) {
        return QStringLiteral("1 Fall");
    }
    return QStringLiteral("%1 %2").arg(n).arg(dative ? QStringLiteral("Fällen")
                                                     : QStringLiteral("Fälle"));
}
const QString kNotExported = QStringLiteral("Die Fallhistorie wurde nicht exportiert.");

} // namespace

HistoryDialog::HistoryDialog(const HistoryDialogContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setUpDialog(this, QStringLiteral("HistoryDialog"), QStringLiteral("Fallhistorie"),
                help::kCaseHistory);
    buildControls();
    setInitialDialogSize(this, dialog_size::kHistory.width, dialog_size::kHistory.height);
    if (context_.store != nullptr) {
        restorePlacement(this, *context_.store, settings::kPlacementHistory);
    }
    if (context_.tableFont) {
        tree_->setFont(*context_.tableFont);
    }

    // Over the window that opens it, like the messages of loading.
    offerHistoryRestore(context_.historyPath, parentWidget() != nullptr ? parentWidget() : this);
    MessageBoxHistoryReporter reporter(this);
    stamp_ = loadHistoryWithStamp(history_, historyFileName(context_.historyPath), &reporter,
                                  fromQString(QDir::toNativeSeparators(context_.historyPath)));
    if (history_.loadStatus() == HistoryLoadStatus::ReadError) {
        // Said before the dialog shows: over the window that opens it.
        MessageBoxes::error(parentWidget() != nullptr ? parentWidget() : this,
                            historyReadFailedText(history_, context_.historyPath) +
                                QStringLiteral("\n\nSie wird leer gezeigt und bleibt "
                                               "unverändert."));
    }

    orderByDate_ =
        context_.store == nullptr ||
        context_.store->readInt(settings::kApplication, settings::kHistorySortOrder, 1) != 0;
    // Sorted either way: filing appends new cases at the end and gives a
    // case a new last date without sorting the file.
    history_.sortCases(!orderByDate_);
    sortButton_->setIconName(sortIconName(orderByDate_));
    fillTree();
}

HistoryDialog::~HistoryDialog() = default;

void HistoryDialog::buildControls() {
    auto* layout = new QVBoxLayout(this);

    auto* searchRow = new QHBoxLayout;
    auto* searchLabel = new QLabel(QStringLiteral("S&uche"), this);
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName(QStringLiteral("searchField"));
    searchField_->setClearButtonEnabled(true);
    searchLabel->setBuddy(searchField_);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(searchField_, 1);
    layout->addLayout(searchRow);
    connect(searchField_, &QLineEdit::textChanged, this, [this] { narrowTree(); });
    searchField_->installEventFilter(this);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("tree"));
    tree_->setAccessibleName(QStringLiteral("Fälle und Behandlungen"));
    tree_->setColumnCount(1);
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setItemsExpandable(true);
    tree_->setDragDropMode(QAbstractItemView::NoDragDrop);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setExpandsOnDoubleClick(false);
    tree_->setUniformRowHeights(true);
    layout->addWidget(tree_, 1);

    const QByteArray sortIcon = sortIconName(true).toLatin1();
    const IconButtonEntry entries[] = {
        {"Ü&bernehmen", "uebernehmen", "takeOverButton",
         "Übernimmt den gewählten Fall oder die gewählte Behandlung in das Hauptfenster"},
        {"&Löschen", "loeschen", "deleteButton",
         "Löscht den gewählten Fall oder die gewählte Behandlung"},
        {"&Sortieren", sortIcon.constData(), "sortButton",
         "Sortiert die Fälle nach dem Datum oder nach dem Namen"},
        {"&Export", "export", "exportButton", "Speichert die Fallhistorie in eine andere Datei"},
        {"&Import", "import", "importButton",
         "Ersetzt die Fallhistorie durch die Fälle einer anderen Datei"},
        {"&Hilfe", "hilfe", "helpButton", kHelpPurpose},
        {"&Zurück", "zurueck", "backButton", "Schließt die Fallhistorie"},
    };
    // The buttons keep their places on the left when the dialog grows. None
    // takes Enter for itself when it has the focus: Enter means Ü&bernehmen.
    const IconButtonGroup buttons =
        makeIconButtons(this, entries, {.autoDefault = AutoDefault::None, .equalWidths = false});
    buttons.assignTo(takeOverButton_, deleteButton_, sortButton_, exportButton_, importButton_,
                     helpButton_, backButton_);
    layout->addLayout(buttons.layout);

    connect(takeOverButton_, &QPushButton::clicked, this, &HistoryDialog::takeOver);
    connect(deleteButton_, &QPushButton::clicked, this, &HistoryDialog::deleteSelected);
    connect(sortButton_, &QPushButton::clicked, this, &HistoryDialog::toggleSort);
    connect(exportButton_, &QPushButton::clicked, this, &HistoryDialog::exportHistory);
    connect(importButton_, &QPushButton::clicked, this, &HistoryDialog::importHistory);
    connect(backButton_, &QPushButton::clicked, this, &HistoryDialog::reject);
    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this] { takeOver(); });
    // The item the arrow keys move to is the one selected, so what the frame
    // shows is what Übernehmen and Löschen take. (The frame the tree puts on
    // its first item when it gets the focus selects nothing.)
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                if (current != nullptr && previous != nullptr && !current->isSelected()) {
                    tree_->setCurrentItem(current, 0, QItemSelectionModel::ClearAndSelect);
                }
            });
    connectHelp(this, helpButton_, [this] { showHelp(); });
    tree_->setFocus();
}

QString HistoryDialog::sortIconName(bool orderByDate) {
    return orderByDate ? QStringLiteral("sortieren-datum") : QStringLiteral("sortieren-name");
}

std::int32_t HistoryDialog::resultSymptomNumber(int i) const {
    return resultSymptoms_.at(static_cast<std::size_t>(i)).number;
}

std::int32_t HistoryDialog::resultSymptomBd(int i) const {
    return resultSymptoms_.at(static_cast<std::size_t>(i)).bd;
}

FiledCase* HistoryDialog::caseOf(const QTreeWidgetItem* item) const {
    return caseItems_.value(item, nullptr);
}

Treatment* HistoryDialog::treatmentOf(const QTreeWidgetItem* item) const {
    return treatmentItems_.value(item, nullptr);
}

QTreeWidgetItem* HistoryDialog::itemOf(const FiledCase* filedCase,
                                       const Treatment* treatment) const {
    for (int i = 0; i < tree_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* caseItem = tree_->topLevelItem(i);
        if (caseOf(caseItem) != filedCase) {
            continue;
        }
        if (treatment == nullptr) {
            return caseItem;
        }
        for (int j = 0; j < caseItem->childCount(); ++j) {
            if (treatmentOf(caseItem->child(j)) == treatment) {
                return caseItem->child(j);
            }
        }
    }
    return nullptr;
}

void HistoryDialog::fillTree() {
    tree_->setUpdatesEnabled(false);
    tree_->clear();
    caseItems_.clear();
    treatmentItems_.clear();
    QList<QTreeWidgetItem*> roots;
    roots.reserve(static_cast<qsizetype>(history_.caseCount()));
    for (const auto& filed : history_.cases()) {
        auto* caseItem = new QTreeWidgetItem(QStringList(toQString(filed->name)));
        caseItems_.insert(caseItem, filed.get());
        for (const auto& treatment : filed->treatments) {
            auto* item =
                new QTreeWidgetItem(caseItem, QStringList(toQString(treatmentLabel(*treatment))));
            treatmentItems_.insert(item, treatment.get());
        }
        roots.append(caseItem);
    }
    tree_->addTopLevelItems(roots);
    foldedNames_.clear();
    foldedNames_.reserve(history_.caseCount());
    for (const auto& filed : history_.cases()) {
        foldedNames_.push_back(foldSpellingsAlike(filed->name));
    }
    narrowTree();
    tree_->setUpdatesEnabled(true);
}

void HistoryDialog::narrowTree() {
    const std::string query = foldSpellingsAlike(fromQString(searchField_->text()));
    const int count = std::min(tree_->topLevelItemCount(), static_cast<int>(foldedNames_.size()));
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* item = tree_->topLevelItem(i);
        const bool shown = query.empty() || foldedNames_[static_cast<std::size_t>(i)].find(query) !=
                                                std::string::npos;
        if (item->isHidden() == shown) {
            item->setHidden(!shown);
        }
    }
    // Übernehmen and Löschen work only on what is shown.
    QTreeWidgetItem* current = tree_->currentItem();
    QTreeWidgetItem* top = current;
    while (top != nullptr && top->parent() != nullptr) {
        top = top->parent();
    }
    if (top != nullptr && top->isHidden()) {
        tree_->setCurrentItem(nullptr);
        tree_->clearSelection();
    }
}

QTreeWidgetItem* HistoryDialog::shownCaseNear(int index) const {
    std::vector<bool> shown(static_cast<std::size_t>(tree_->topLevelItemCount()));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        shown[i] = !tree_->topLevelItem(static_cast<int>(i))->isHidden();
    }
    const int near = tessalyn::shownCaseNear(shown, index);
    return near >= 0 ? tree_->topLevelItem(near) : nullptr;
}

bool HistoryDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchField_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // Escape clears the field; in an empty field it closes the dialog.
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier &&
            !searchField_->text().isEmpty()) {
            searchField_->clear();
            return true;
        }
        // Down goes into the narrowed tree.
        if (key->key() == Qt::Key_Down && key->modifiers() == Qt::NoModifier) {
            if (QTreeWidgetItem* first = shownCaseNear(0)) {
                tree_->setFocus(Qt::OtherFocusReason);
                if (tree_->currentItem() == nullptr) {
                    tree_->setCurrentItem(first);
                }
                tree_->currentItem()->setSelected(true);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void HistoryDialog::takeOver() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || !item->isSelected()) {
        MessageBoxes::information(
            this, QStringLiteral("Bitte wählen Sie zuerst einen Fall oder eine Behandlung aus."));
        return;
    }
    const Treatment* treatment = treatmentOf(item);
    const FiledCase* filed = treatment != nullptr ? caseOf(item->parent()) : caseOf(item);
    if (treatment == nullptr && filed == nullptr) {
        return;
    }
    TakenCase taken = takenCase(filed, treatment);
    resultName_ = std::move(taken.name);
    resultSymptoms_ = std::move(taken.symptoms);
    accept();
}

void HistoryDialog::deleteSelected() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (item == nullptr || !item->isSelected()) {
        return;
    }
    const Treatment* treatment = treatmentOf(item);
    const FiledCase* filed = treatment != nullptr ? caseOf(item->parent()) : caseOf(item);
    if (filed == nullptr) {
        return;
    }
    if (context_.askBeforeDelete) {
        const QString question =
            treatment != nullptr
                ? QStringLiteral("Wollen Sie den Eintrag ") +
                      toQString(treatmentLabel(*treatment)) + QStringLiteral(" wirklich löschen?")
                : QStringLiteral("Wollen Sie den Fall ") + toQString(filed->name) +
                      QStringLiteral(" wirklich löschen?");
        if (!ConfirmDialog::ask(this, question, ConfirmDefault::No)) {
            return;
        }
    }

    // Where the selection goes afterwards: the next node at the same level,
    // else the previous one, else the parent.
    QTreeWidgetItem* parent = item->parent();
    const int index =
        parent != nullptr ? parent->indexOfChild(item) : tree_->indexOfTopLevelItem(item);
    // The case of a deleted treatment, found again after the refill.
    const HistoryItemKey parentKey = historyItemKey(history_, *filed);
    std::vector<HistoryItemKey> expanded;
    for (auto it = caseItems_.cbegin(); it != caseItems_.cend(); ++it) {
        if (it.key()->isExpanded()) {
            expanded.push_back(historyItemKey(history_, *it.value()));
        }
    }

    const HistoryItemKey key = historyItemKey(history_, *filed, treatment);
    MessageBoxHistoryReporter reporter(this);
    const bool byName = !orderByDate_;
    const HistoryChangeResult result = changeHistoryFile(
        history_, stamp_,
        [&](CaseHistory& working, bool reloaded) {
            if (reloaded) {
                working.sortCases(byName);
            }
            // Nothing to do when another program deleted it already.
            return removeHistoryItem(working, key);
        },
        historyChangeOptions(context_.historyPath, &reporter));
    if (!reportHistoryChange(result, context_.historyPath,
                             key.hasTreatment
                                 ? QStringLiteral("Die Behandlung wurde nicht gelöscht.")
                                 : QStringLiteral("Der Fall wurde nicht gelöscht."),
                             this)) {
        return;
    }
    if (!result.saved() && !result.reloaded) {
        return;
    }

    fillTree();
    for (const HistoryItemKey& k : expanded) {
        if (QTreeWidgetItem* caseItem = itemOf(findHistoryItem(history_, k))) {
            caseItem->setExpanded(true);
        }
    }
    QTreeWidgetItem* select = nullptr;
    if (parent != nullptr) {
        if (QTreeWidgetItem* caseItem = itemOf(findHistoryItem(history_, parentKey))) {
            const int n = caseItem->childCount();
            select = n == 0 ? caseItem : caseItem->child(std::min(index, n - 1));
        }
    } else {
        select = shownCaseNear(index);
    }
    if (select != nullptr) {
        tree_->setCurrentItem(select);
    }
}

void HistoryDialog::toggleSort() {
    orderByDate_ = !orderByDate_;
    sortButton_->setIconName(sortIconName(orderByDate_));
    history_.sortCases(!orderByDate_);
    fillTree();
    if (context_.store != nullptr) {
        context_.store->writeInt(settings::kApplication, settings::kHistorySortOrder,
                                 orderByDate_ ? 1 : 0);
    }
}

QString HistoryDialog::chooseFile(bool save) {
    HistoryFileRequest request;
    request.save = save;
    request.fileName = kFileName;
    request.filter = kFilter;
    request.defaultSuffix = kSuffix;
    if (context_.store != nullptr) {
        const QString stored = toQString(context_.store->readString(
            settings::kSettingsSection, settings::kCurrentDirectory, ""));
        // A folder that no longer exists: the dialog starts in the current one.
        if (!stored.isEmpty() && QFileInfo(stored).isDir()) {
            request.startDirectory = stored;
        }
    }
    if (fileDialogTestHook()) {
        return fileDialogTestHook()(request);
    }
    QFileDialog dialog(this, save ? QStringLiteral("Fallhistorie exportieren")
                                  : QStringLiteral("Fallhistorie importieren"));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setDirectory(request.startDirectory.isEmpty() ? QDir::currentPath()
                                                         : request.startDirectory);
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return QString();
    }
    return dialog.selectedFiles().constFirst();
}

void HistoryDialog::rememberDirectory(const QString& chosenPath) {
    if (context_.store == nullptr) {
        return;
    }
    QString folder = QFileInfo(chosenPath).absolutePath();
    if (!folder.endsWith(QLatin1Char('/'))) {
        folder += QLatin1Char('/');
    }
    context_.store->writeString(settings::kSettingsSection, settings::kCurrentDirectory,
                                fromQString(QDir::toNativeSeparators(folder)));
}

void HistoryDialog::exportHistory() {
    const QString chosen = chooseFile(true);
    if (chosen.isEmpty()) {
        return;
    }
    const QString ownFile = QFileInfo(context_.historyPath).canonicalFilePath();
    if (!ownFile.isEmpty() && QFileInfo(chosen).canonicalFilePath() == ownFile) {
        // Exporting onto the history file itself rewrites it in the order
        // shown, like any other change of it.
        MessageBoxHistoryReporter reporter(this);
        const bool byName = !orderByDate_;
        const HistoryChangeResult result = changeHistoryFile(
            history_, stamp_,
            [byName](CaseHistory& working, bool reloaded) {
                if (reloaded) {
                    working.sortCases(byName);
                }
                return true;
            },
            historyChangeOptions(context_.historyPath, &reporter));
        // A write replaces the history's cases as well as a fresh read does:
        // the nodes must not keep pointing at the old ones.
        if (reportHistoryChange(result, context_.historyPath, kNotExported, this) &&
            (result.saved() || result.reloaded)) {
            fillTree();
        }
    } else {
        // Another history file is replaced whole under its lock, with a
        // backup of it like every rewrite.
        MessageBoxHistoryReporter reporter(this);
        reportHistoryChange(exportHistoryFile(history_, historyFileName(chosen),
                                              historyChangeOptions(chosen, &reporter)),
                            chosen, kNotExported, this);
    }
    rememberDirectory(chosen);
}

void HistoryDialog::importHistory() {
    const QString chosen = chooseFile(false);
    if (chosen.isEmpty()) {
        return;
    }
    MessageBoxHistoryReporter reporter(this);
    CaseHistory imported;
    imported.load(historyFileName(chosen), &reporter,
                  fromQString(QDir::toNativeSeparators(chosen)));
    if (imported.loadStatus() == HistoryLoadStatus::ReadError) {
        MessageBoxes::error(this, historyReadFailedText(imported, chosen) +
                                      QStringLiteral("\n\nDie Fallhistorie wurde nicht "
                                                     "importiert."));
    }
    const bool replace = imported.loadOk();
    // The import replaces every case: the user says so first.
    if (replace && !ConfirmDialog::ask(this,
                                       QStringLiteral("Die Fallhistorie mit %1 wird durch "
                                                      "den Inhalt von „%2“ (%3) ersetzt. "
                                                      "Fortfahren?")
                                           .arg(caseCount(history_.caseCount(), true),
                                                QFileInfo(chosen).fileName(),
                                                caseCount(imported.caseCount(), false)),
                                       ConfirmDefault::No)) {
        return;
    }
    const bool byName = !orderByDate_;
    // A file that loaded whole replaces the history; anything else leaves it
    // as it is. Either way the history file is rewritten in the order shown.
    const HistoryChangeResult result = changeHistoryFile(
        history_, stamp_,
        [&](CaseHistory& working, bool) {
            if (replace) {
                working = std::move(imported);
            }
            working.sortCases(byName);
            return true;
        },
        historyChangeOptions(context_.historyPath, &reporter));
    reportHistoryChange(result, context_.historyPath,
                        replace ? QStringLiteral("Die Fallhistorie wurde nicht importiert.")
                                : QStringLiteral("Die Fallhistorie wurde nicht neu geschrieben."),
                        this);
    fillTree();
    rememberDirectory(chosen);
}

void HistoryDialog::showHelp() {
    if (context_.help) {
        context_.help();
    } else {
        showHelpOrReport(help::kCaseHistory, this);
    }
}

void HistoryDialog::done(int result) {
    if (!closed_) {
        closed_ = true;
        if (context_.store != nullptr) {
            storePlacement(this, *context_.store, settings::kPlacementHistory);
        }
    }
    QDialog::done(result);
}

int HistoryDialog::exec() {
    closed_ = false;
    return execUnlessHooked(*this, testHook(), [this] {
        const int answer = testHook()(*this);
        if (!closed_) {
            done(answer);
        }
    });
}

HistoryDialog::Hook& HistoryDialog::testHook() {
    static Hook hook;
    return hook;
}

HistoryDialog::FileDialogHook& HistoryDialog::fileDialogTestHook() {
    static FileDialogHook hook;
    return hook;
}

} // namespace tessalyn
