#pragma once

#include "history/CaseHistory.h"
#include "history/HistoryTransaction.h"
#include "settings/SettingsStore.h"
#include "ui/widgets/TestHook.h"

#include <QDialog>
#include <QFont>
#include <QHash>
#include <QString>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tessalyn {

class IconPushButton;

// What the history dialog takes from the main window.
struct HistoryDialogContext {
    QString historyPath;
    SettingsStore* store = nullptr; // "Sortierung", "Current Directory", the placement
    bool askBeforeDelete = true;    // "FragenBeimLoeschen"
    std::optional<QFont> tableFont; // the tree's font when set
    // "&Hilfe": the main window's help, which finds this dialog active and
    // opens its topic. Without one the dialog opens its topic itself.
    std::function<void()> help;
};

// What the platform's file dialog is asked for; a test hook receives it.
struct HistoryFileRequest {
    bool save = false;      // the save dialog (export), else the open dialog (import)
    QString startDirectory; // where it starts; empty: the process's current folder
    QString fileName;       // "historie.xml"
    QString filter;         // "Fallhistorie (*.xml)"
    QString defaultSuffix;  // "xml"
};

// "Fallhistorie": the filed cases as a tree, each case with its treatments.
// A search field above the tree narrows it to the cases whose name holds the
// typed text (foldSpellingsAlike: letter case ignored, "ue" and "ü" alike).
// The arrow keys select. The user takes a shown treatment back into the case
// grid ("Ü&bernehmen", which says so when nothing is selected, or a double
// click), deletes treatments or cases, switches between name and date
// order, and exports or imports the history (after a question, since the
// import replaces it). Deleting and importing rewrite
// the history file at once, under its lock and on top of what other program
// instances have written to it meanwhile. The placement "Dialog/Historie" is
// restored on opening and stored whenever the dialog closes.
class HistoryDialog : public QDialog {
    Q_OBJECT

public:
    explicit HistoryDialog(const HistoryDialogContext& context, QWidget* parent = nullptr);
    ~HistoryDialog() override;

    // Handed back by Übernehmen; empty until then.
    const std::string& resultName() const { return resultName_; }
    int resultSymptomCount() const { return static_cast<int>(resultSymptoms_.size()); }
    std::int32_t resultSymptomNumber(int i) const;
    std::int32_t resultSymptomBd(int i) const;
    std::span<const SymptomRef> resultSymptoms() const { return resultSymptoms_; }

    const CaseHistory& history() const { return history_; }
    // True while the cases are shown by the date of their last treatment.
    bool orderByDate() const { return orderByDate_; }

    QTreeWidget* tree() const { return tree_; }
    // "S&uche": narrows the tree as it is typed; Escape in it clears it.
    QLineEdit* searchField() const { return searchField_; }
    // The case or treatment a node stands for; nullptr for other nodes.
    FiledCase* caseOf(const QTreeWidgetItem* item) const;
    Treatment* treatmentOf(const QTreeWidgetItem* item) const;
    // The node of a case, or of a treatment of it.
    QTreeWidgetItem* itemOf(const FiledCase* filedCase, const Treatment* treatment = nullptr) const;

    IconPushButton* takeOverButton() const { return takeOverButton_; }
    IconPushButton* sortButton() const { return sortButton_; }
    IconPushButton* helpButton() const { return helpButton_; }
    IconPushButton* backButton() const { return backButton_; }

    // The icon pair of the sort button for an order.
    static QString sortIconName(bool orderByDate);

    // Runs the dialog modally. While a test hook is set, the hook runs
    // instead of the event loop: it may work the dialog and returns
    // QDialog::Accepted or QDialog::Rejected, with which the dialog closes
    // unless it has already closed itself.
    int exec() override;
    using Hook = TestHook<int(HistoryDialog& dialog)>;
    static Hook& testHook();

    // Replaces the platform's file dialogs: returns the chosen path, or an
    // empty text for "Abbrechen".
    using FileDialogHook = TestHook<QString(const HistoryFileRequest& request)>;
    static FileDialogHook& fileDialogTestHook();

public slots:
    // "Ü&bernehmen" and a double click on a node.
    void takeOver();
    // "&Löschen": the selected treatment or case.
    void deleteSelected();
    // "&Sortieren": switches between date and name order.
    void toggleSort();
    // "&Export" and "&Import".
    void exportHistory();
    void importHistory();
    void showHelp();

    void done(int result) override;

private:
    void buildControls();
    // Deletes all nodes and fills the tree from the history, all collapsed,
    // narrowed by the search field.
    void fillTree();
    // Hides the cases whose name does not hold the search text; a selection
    // that is hidden so is dropped.
    void narrowTree();
    // The shown case node nearest to top-level position `index`, or nullptr.
    QTreeWidgetItem* shownCaseNear(int index) const;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QString chooseFile(bool save);
    void rememberDirectory(const QString& chosenPath);

    HistoryDialogContext context_;
    CaseHistory history_;
    HistoryFileStamp stamp_;
    bool orderByDate_ = true;
    std::string resultName_;
    std::vector<SymptomRef> resultSymptoms_;
    QHash<const QTreeWidgetItem*, FiledCase*> caseItems_;
    QHash<const QTreeWidgetItem*, Treatment*> treatmentItems_;
    std::vector<std::string> foldedNames_; // of the case nodes, in tree order
    bool closed_ = false;

    QLineEdit* searchField_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    IconPushButton* takeOverButton_ = nullptr;
    IconPushButton* deleteButton_ = nullptr;
    IconPushButton* sortButton_ = nullptr;
    IconPushButton* exportButton_ = nullptr;
    IconPushButton* importButton_ = nullptr;
    IconPushButton* helpButton_ = nullptr;
    IconPushButton* backButton_ = nullptr;
};

} // namespace tessalyn
