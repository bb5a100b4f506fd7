#pragma once

#include "data/RepertoryData.h"
#include "search/TextSearch.h"
#include "ui/finding/FindingContext.h"

#include <QDialog>
#include <QFont>

#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tessalyn {

class IconPushButton;
class TableView;

// "Textuelle Symptomsuche": finds rubrics by words. The main window creates it
// on the first "&Textsuche" and afterwards only shows it again; closing it
// hides it, so the search text, the chapter filter and the hits stay for the
// whole run.
//
// Typing into "Suchtext" searches from the third character on, leaving the
// field searches any changed text (an empty one lists every rubric), a change
// of "Kapitelfilter" searches again; the caption tells the number of hits
// (kept while the text and chapter searched are unchanged), the translated
// words and the German words the vocabulary does not know. Tab goes from
// "Suchtext" to the hits. A window opened without a stored placement shows
// the header and 12 hit rows with every column whole. A hit goes into the
// case by a double-click on its row (the window stays), by "Hi&nzufügen"
// (stays) or by "Ü&bernehmen" (also Enter: the window empties its table and
// hides). Zurück, Escape and the close box hide it. The placement
// "Dialog/Textsuche" is restored when the window is created and stored at
// every hide, the column widths "Spalten/Textsuche" likewise when
// "Spaltenbreite" is on.
class TextSearchDialog : public QDialog {
    Q_OBJECT

public:
    explicit TextSearchDialog(const FindingContext& context);
    ~TextSearchDialog() override;

    // Shows the window (again) and brings it to the front.
    void showWindow();
    // The table font of the main window (none: the window's own font), given
    // on every "&Textsuche": a font changed in the settings since the window
    // was made is taken, with row heights to match.
    void applyTableFont(const std::optional<QFont>& font);

    TableView* table() const { return table_; }
    QLineEdit* searchField() const { return searchField_; }
    QComboBox* chapterList() const { return chapterList_; }
    QCheckBox* translateBox() const { return translateBox_; }
    IconPushButton* acceptButton() const { return acceptButton_; }
    IconPushButton* addButton() const { return addButton_; }
    IconPushButton* helpButton() const { return helpButton_; }
    IconPushButton* backButton() const { return backButton_; }
    const TextSearch& search() const { return search_; }

    // Shares the table's width out to the two text columns
    // (splitTextColumnWidths).
    void splitTextColumns(int width);

public slots:
    // "Ü&bernehmen" and Enter.
    void accept() override;
    // "&Zurück", Escape, the close box.
    void reject() override;
    // "Hi&nzufügen".
    void addAndStay();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void setUpTable();
    // The table's look with no hits: the header row and 19 blank rows.
    void emptyTable();
    // Shows the state of search_ after one of its events: the hits when a
    // search ran, the caption always.
    void showSearch(bool ran);
    void onTextChanged(const QString& text);
    void onChapterChanged(int index);
    // "Deutsche Suchwörter übersetzen": stores the choice and searches again.
    void onTranslateToggled(bool on);
    // The caption of the last search, with the translated words as far as
    // the window's width allows.
    void showCaption();
    void onRowDoubleClicked(int row, int col);
    // The number text in column 0 of the row holding the focus; empty when
    // no row does.
    std::string focusedNumberText() const;
    void storeWindowState();
    // Deletes the selected characters of "Suchtext"; a selection the field
    // had when it lost the focus counts as selected.
    void deleteSelectedSearchText();

    FindingContext context_;
    TextSearch search_;
    TableView* table_ = nullptr;
    QLineEdit* searchField_ = nullptr;
    QComboBox* chapterList_ = nullptr;
    QCheckBox* translateBox_ = nullptr;
    IconPushButton* acceptButton_ = nullptr;
    IconPushButton* addButton_ = nullptr;
    IconPushButton* helpButton_ = nullptr;
    IconPushButton* backButton_ = nullptr;
    // The selection of "Suchtext" when it last lost the focus (start, length);
    // Qt drops it then, the edit fields of other platforms keep it.
    int keptSelectionStart_ = -1;
    int keptSelectionLength_ = 0;
};

} // namespace tessalyn
