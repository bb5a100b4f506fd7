#include "ui/finding/TextSearchDialog.h"

#include "case/NumberText.h"
#include "search/RubricRange.h"
#include "search/Vocabulary.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"
#include "ui/finding/FindingControls.h"
#include "ui/table/TableView.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace tessalyn {

namespace {

// The table's look before a search and with no hits: one header row and 19
// blank rows.
constexpr int kEmptyLookRows = 20;
constexpr int kColumns = 3;
constexpr int kNumberColumnWidth = 60;
constexpr int kSymptomColumnWidth = 372;
constexpr int kLocationColumnWidth = 200;
// Room the caption leaves for the title bar's icon and buttons.
constexpr int kTitleBarMargin = 160;

} // namespace

TextSearchDialog::TextSearchDialog(const FindingContext& context)
    : QDialog(context.parent), context_(context), search_(*context.data) {
    setUpDialog(this, QStringLiteral("TextSearchDialog"), QString::fromLatin1(kTextSearchCaption),
                help::kTextSearch);
    buildControls();

    search_.setChapterFilter(kAllChapters);
    const bool translate = context_.store->readInt(settings::kSettingsSection,
                                                   settings::kTranslateGermanWords, 1) != 0;
    translateBox_->setChecked(translate);
    search_.setVocabulary(translate ? &builtInVocabulary() : nullptr);
    connect(translateBox_, &QCheckBox::toggled, this, &TextSearchDialog::onTranslateToggled);
    connect(chapterList_, &QComboBox::currentIndexChanged, this,
            &TextSearchDialog::onChapterChanged);

    setSizeGripEnabled(true);
    sizeAndPlaceDialog(this, dialog_size::kTextSearch.width, dialog_size::kTextSearch.height,
                       *context_.store, settings::kPlacementTextSearch);
    // The text columns are shared out by the table's real width: lay the
    // controls out now, not only when the window is first shown, or the
    // first split works on the table's unsized default width and the
    // truncations distort the proportion of the two text columns.
    layout()->activate();
    setUpTable();
    restoreColumnWidths(*context_.options, table_->logic(), *context_.store,
                        settings::kColumnsTextSearch, 0);
    searchField_->setFocus(Qt::OtherFocusReason);
}

TextSearchDialog::~TextSearchDialog() = default;

void TextSearchDialog::buildControls() {
    table_ = new TableView(this);
    table_->setObjectName(QStringLiteral("resultTable"));
    table_->setAccessibleName(QStringLiteral("Gefundene Rubriken"));
    table_->installEventFilter(this);

    auto* searchLabel = new QLabel(QStringLiteral("Suchtext"), this);
    searchField_ = new QLineEdit(this);
    searchField_->setObjectName(QStringLiteral("searchField"));
    searchField_->installEventFilter(this);
    searchLabel->setBuddy(searchField_);

    const ChapterFilterBox chapterFilter = makeChapterFilterBox(*context_.data, this);
    chapterList_ = chapterFilter.list;

    auto* fields = new QGridLayout;
    fields->addWidget(searchLabel, 0, 0);
    fields->addWidget(searchField_, 0, 1);
    fields->addWidget(chapterFilter.label, 1, 0);
    fields->addWidget(chapterList_, 1, 1);
    translateBox_ = new QCheckBox(QStringLiteral("&Deutsche Suchwörter übersetzen"), this);
    translateBox_->setObjectName(QStringLiteral("translateBox"));
    fields->addWidget(translateBox_, 2, 1);
    fields->setColumnStretch(1, 1);

    // One row at the bottom left.
    const IconButtonGroup buttons = makeIconButtons(this, kTakeOverButtons);
    buttons.assignTo(acceptButton_, addButton_, helpButton_, backButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(fields);
    layout->addLayout(buttons.layout);

    connect(searchField_, &QLineEdit::textChanged, this, &TextSearchDialog::onTextChanged);
    connect(table_, &TableView::cellDoubleClicked, this, &TextSearchDialog::onRowDoubleClicked);
    connect(acceptButton_, &QPushButton::clicked, this, &TextSearchDialog::accept);
    connect(addButton_, &QPushButton::clicked, this, &TextSearchDialog::addAndStay);
    connect(backButton_, &QPushButton::clicked, this, &TextSearchDialog::reject);
    connectHelp(this, helpButton_, help::kTextSearch);
}

void TextSearchDialog::setUpTable() {
    TableView& t = *table_;
    if (context_.tableFont) {
        t.setFont(*context_.tableFont);
    }
    t.setEditable(false);
    t.setRowCount(kEmptyLookRows);
    t.setColumnCount(kColumns);
    t.setColumnWidth(0, kNumberColumnWidth);
    t.setColumnWidth(1, kSymptomColumnWidth);
    t.setColumnWidth(2, kLocationColumnWidth);
    t.setCellText(0, 0, "Nummer");
    t.setCellText(0, 1, "Symptom");
    t.setCellText(0, 2, "Kapitel");
    // A larger table font widens "Nummer" (and the numbers under it, which
    // are shorter) beyond the usual width; the column grows so nothing is cut.
    t.setColumnWidth(0, std::max(kNumberColumnWidth, t.fittingWidth("Nummer")));
    t.setHeaderRowCount(1);
    t.setHeaderColumnCount(0);
    t.setListMode(true);
    t.setFocusCell(1, 0);
    splitTextColumns(t.width());
}

void TextSearchDialog::splitTextColumns(int width) {
    TableView& t = *table_;
    if (t.columnCount() < kColumns) {
        return;
    }
    const TextColumnWidths widths =
        splitTextColumnWidths(width, t.columnWidth(0), t.columnWidth(1), t.columnWidth(2));
    t.setColumnWidth(1, widths.symptom);
    t.setColumnWidth(2, widths.location);
}

void TextSearchDialog::showWindow() {
    showCaption();
    show();
    raise();
    activateWindow();
    // Typing goes into "Suchtext" and replaces what was searched last.
    searchField_->setFocus(Qt::OtherFocusReason);
    searchField_->selectAll();
}

void TextSearchDialog::emptyTable() {
    table_->setRowCount(1);
    table_->setRowCount(kEmptyLookRows);
}

void TextSearchDialog::showSearch(bool ran) {
    if (ran) {
        const std::vector<TextSearchRow>& rows = search_.rows();
        const int hits = static_cast<int>(rows.size());
        // The focus and selection go with the old rows; the table is sized
        // once for all hits (it keeps its empty look when there is none).
        emptyTable();
        if (hits > 0) {
            table_->setRowCount(hits + 1);
        }
        TableLogic& t = table_->logic();
        for (int i = 0; i < hits; ++i) {
            const TextSearchRow& row = rows[static_cast<std::size_t>(i)];
            t.setCellText(i + 1, 0, row.numberText);
            t.setCellText(i + 1, 1, row.symptomText);
            t.setCellText(i + 1, 2, row.locationText);
        }
    }
    showCaption();
}

void TextSearchDialog::showCaption() {
    QString caption = toQString(search_.caption());
    // After a search that ran, the translated words follow: "(Kopfschmerz →
    // headache, head pain; nachts → night, midnight)", cut short to the
    // window's width; the field "Suchtext" shows all of it as its tool tip.
    QString fullNote;
    if (search_.caption() != kTextSearchCaption) {
        QStringList notes;
        for (const WordTranslation& t : search_.translations()) {
            if (!t.english.empty()) {
                notes << toQString(t.german) + QStringLiteral(" → ") + toQString(t.english);
            }
        }
        fullNote = notes.join(QStringLiteral("; "));
        if (!notes.isEmpty()) {
            // Title bars mostly use a bold face of the dialog's font.
            QFont titleFont = font();
            titleFont.setBold(true);
            const QFontMetrics metrics(titleFont);
            const int room = width() - kTitleBarMargin -
                             metrics.horizontalAdvance(caption + QStringLiteral(" ()"));
            const QString note = metrics.elidedText(fullNote, Qt::ElideRight, room);
            if (!note.isEmpty() && note != QStringLiteral("…")) {
                caption += QStringLiteral(" (") + note + QStringLiteral(")");
            }
        }
    }
    setWindowTitle(caption);
    searchField_->setToolTip(fullNote);
}

void TextSearchDialog::onTranslateToggled(bool on) {
    context_.store->writeInt(settings::kSettingsSection, settings::kTranslateGermanWords,
                             on ? 1 : 0);
    search_.setVocabulary(on ? &builtInVocabulary() : nullptr);
    showSearch(search_.runSearch(true, true));
}

void TextSearchDialog::onTextChanged(const QString& text) {
    keptSelectionStart_ = -1;
    showSearch(search_.textChanged(fromQString(text)));
}

void TextSearchDialog::onChapterChanged(int index) {
    showSearch(search_.chapterSelected(chapterFilterTitle(chapterList_, index)));
}

void TextSearchDialog::onRowDoubleClicked(int row, int) {
    if (const auto ref = hitReference(hitNumberText(*table_, row), HitTakeOver::ValidOnly)) {
        context_.takeReference(*ref);
    }
}

std::string TextSearchDialog::focusedNumberText() const {
    return hitNumberText(*table_, table_->focusRow());
}

void TextSearchDialog::accept() {
    search_.setSearchText(fromQString(searchField_->text()));
    const auto ref = hitReference(focusedNumberText(), HitTakeOver::InvalidAsEmptyRow);
    if (!ref) {
        return;
    }
    context_.takeReference(*ref);
    deleteSelectedSearchText();
    storeWindowState();
    emptyTable();
    search_.clearResults();
    showCaption();
    hide();
}

void TextSearchDialog::reject() {
    storeWindowState();
    hide();
}

void TextSearchDialog::storeWindowState() {
    storePlacement(this, *context_.store, settings::kPlacementTextSearch);
    storeColumnWidths(*context_.options, table_->logic(), *context_.store,
                      settings::kColumnsTextSearch, 0);
}

void TextSearchDialog::deleteSelectedSearchText() {
    if (!searchField_->hasSelectedText() && keptSelectionStart_ >= 0) {
        searchField_->setSelection(keptSelectionStart_, keptSelectionLength_);
    }
    keptSelectionStart_ = -1;
    if (searchField_->hasSelectedText()) {
        searchField_->del();
    }
}

void TextSearchDialog::addAndStay() {
    search_.setSearchText(fromQString(searchField_->text()));
    const auto ref = hitReference(focusedNumberText(), HitTakeOver::PositiveNumber);
    if (!ref) {
        return;
    }
    context_.takeReference(*ref);
    activateWindow();
    table_->setFocus(Qt::OtherFocusReason);
}

bool TextSearchDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == searchField_ && event->type() == QEvent::FocusIn) {
        keptSelectionStart_ = -1;
    } else if (watched == searchField_ && event->type() == QEvent::FocusOut) {
        keptSelectionStart_ = searchField_->hasSelectedText() ? searchField_->selectionStart() : -1;
        keptSelectionLength_ = searchField_->selectionLength();
        // A context menu of the field keeps the text being typed.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            showSearch(search_.focusLost(fromQString(searchField_->text())));
        }
    } else if (watched == table_ && event->type() == QEvent::Resize) {
        splitTextColumns(table_->width());
        showCaption();
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace tessalyn
