#pragma once

#include "data/RepertoryData.h"
#include "search/RemedySearch.h"
#include "ui/finding/FindingContext.h"
#include "ui/widgets/TestHook.h"

#include <QDialog>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace tessalyn {

class IconPushButton;
class TableView;

// "Mittelübersicht": lists the rubrics in which a remedy stands. The main
// window makes a new one for every "&Mittel-Ausw." and runs it modally.
//
// "&Suche" (also Enter, and picking an entry of "Mittel" or of
// "Kapitelfilter") reads the controls and lists every rubric of the chosen
// chapter that holds the remedy; with "Rubrikengröße beachten" only rubrics
// whose entry count lies between "Mindestgröße " and "Maximale Größe", and
// then, with "Andere hochwertige Mittel mit ausgeben", a fourth column with
// all remedies of the rubric. "&Drucken" prints the table with the remedy in
// its top-left cell. A double-click on a row ends the dialog with that
// rubric (reference()), which the main window adds to the case. The
// placement "Dialog/Mittelübersicht" and, with "Spaltenbreite", the column
// widths "Spalten/Mittelübersicht" are restored on opening and stored on
// closing.
class RemedyOverviewDialog : public QDialog {
    Q_OBJECT

public:
    explicit RemedyOverviewDialog(const FindingContext& context);
    ~RemedyOverviewDialog() override;

    // The rubric of the row taken, after the dialog ended with accept;
    // (-1, -1) before.
    const SymptomRef& reference() const { return reference_; }

    TableView* table() const { return table_; }
    QComboBox* chapterList() const { return chapterList_; }
    QComboBox* remedyBox() const { return remedyBox_; }
    QCheckBox* sizeFilterBox() const { return sizeFilterBox_; }
    QLineEdit* minimumField() const { return minimumField_; }
    QLineEdit* maximumField() const { return maximumField_; }
    QCheckBox* otherRemediesBox() const { return otherRemediesBox_; }
    QGroupBox* gradeGroup() const { return gradeGroup_; }
    IconPushButton* searchButton() const { return searchButton_; }
    IconPushButton* printButton() const { return printButton_; }
    IconPushButton* pdfButton() const { return pdfButton_; }
    IconPushButton* helpButton() const { return helpButton_; }
    IconPushButton* backButton() const { return backButton_; }
    const RemedySearch& search() const { return search_; }

    // Runs the dialog modally. While a test hook is set, the hook runs instead
    // of the event loop on the shown dialog; it drives the controls, and
    // exec() returns the dialog's result afterwards (Rejected unless the hook
    // ended the dialog with accept).
    int exec() override;
    using Hook = TestHook<void(RemedyOverviewDialog& dialog)>;
    static Hook& testHook();

public slots:
    // "&Suche", Enter.
    void runSearch();
    // "&Drucken".
    void print();
    // "Als &PDF…": the table's pages as "&Drucken" prints them, into a PDF
    // file the user chooses. Returns whether it was written.
    bool saveAsPdf();
    // "&Zurück", Escape, the close box.
    void reject() override;

private:
    void buildControls();
    // A size field with its spin arrows, which a screen reader calls
    // "<caption> erhöhen" and "<caption> verringern".
    QWidget* makeSizeField(QLineEdit*& field, const char* name, const QString& caption);
    void stepSizeField(QLineEdit* field, int step);
    // Reads all controls into search_; shows the message of a size field
    // that fails its check. Returns whether every value was taken.
    bool readControls();
    void enableSizeControls();
    void setGrades(bool all);
    void onChapterChanged(int index);
    void onRowDoubleClicked(int row, int col);
    void layOutTable(int columns);
    // Runs `output` with the remedy in the table's top-left cell.
    bool withRemedyTitle(const std::function<bool()>& output);
    void storeWindowState();

    FindingContext context_;
    RemedySearch search_;
    SymptomRef reference_{-1, -1};

    TableView* table_ = nullptr;
    QComboBox* chapterList_ = nullptr;
    QComboBox* remedyBox_ = nullptr;
    QCheckBox* sizeFilterBox_ = nullptr;
    QLabel* minimumLabel_ = nullptr;
    QLineEdit* minimumField_ = nullptr;
    QLabel* maximumLabel_ = nullptr;
    QLineEdit* maximumField_ = nullptr;
    QCheckBox* otherRemediesBox_ = nullptr;
    QGroupBox* gradeGroup_ = nullptr;
    QCheckBox* gradeBoxes_[5] = {};
    QCheckBox* bdOnlyBox_ = nullptr;
    IconPushButton* searchButton_ = nullptr;
    IconPushButton* printButton_ = nullptr;
    IconPushButton* pdfButton_ = nullptr;
    IconPushButton* helpButton_ = nullptr;
    IconPushButton* backButton_ = nullptr;
};

} // namespace tessalyn
