#include "ui/finding/RemedyOverviewDialog.h"

#include "case/NumberText.h"
#include "search/RubricRange.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"
#include "table/ColumnFit.h"
#include "ui/finding/FindingControls.h"
#include "ui/table/PaperTable.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WaitCursor.h"
#include "ui/widgets/WindowPlacement.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <string>
#include <utility>
#include <vector>

namespace tessalyn {

namespace {

// The table while the headers are written: 20 rows.
constexpr int kLayoutRows = 20;

struct ColumnLayout {
    const char* header;
    int width;
};
constexpr std::array<ColumnLayout, 4> kColumns = {{
    {"Nummer", 85},
    {"Symptom", 372},
    {"Kapitel", 100},
    {"Andere Mittel", 100},
}};

// In the order they stand at the bottom left.
constexpr IconButtonEntry kButtons[] = {
    {"&Suche", "suche", "searchButton", "Sucht die Rubriken des gewählten Mittels"},
    {"&Drucken", "drucken", "printButton", "Druckt die gefundenen Rubriken"},
    {"Als &PDF…", "pdf", "pdfButton", "Speichert die gefundenen Rubriken als PDF-Datei"},
    {"&Hilfe", "hilfe", "helpButton", kHelpPurpose},
    {"&Zurück", "zurueck", "backButton", "Schließt die Mittelübersicht"},
};

// The Up and Down keys step a size field as its spin arrows do.
class SizeFieldKeys : public QObject {
public:
    using Step = std::function<void(int)>;
    SizeFieldKeys(QObject* parent, Step step) : QObject(parent), step_(std::move(step)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Up || key == Qt::Key_Down) {
                step_(key == Qt::Key_Up ? 1 : -1);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    Step step_;
};

} // namespace

RemedyOverviewDialog::RemedyOverviewDialog(const FindingContext& context)
    : QDialog(context.parent), context_(context), search_(*context.data) {
    setUpDialog(this, QStringLiteral("RemedyOverviewDialog"), QStringLiteral("Mittelübersicht"),
                help::kRemedyOverview);
    buildControls();

    // The grade filter is not offered; every search uses grades 1, 3, 4, 5.
    gradeGroup_->hide();
    enableSizeControls();

    search_.chapterFilter = kAllChapters;

    setSizeGripEnabled(true);
    sizeAndPlaceDialog(this, dialog_size::kRemedyOverview.width,
                       dialog_size::kRemedyOverview.height, *context_.store,
                       settings::kPlacementRemedyOverview);
    restoreColumnWidths(*context_.options, table_->logic(), *context_.store,
                        settings::kColumnsRemedyOverview, 0);

    const std::vector<std::string> abbreviations = sortedRemedyAbbreviations(*context_.data);
    QStringList items;
    items.reserve(static_cast<qsizetype>(abbreviations.size()));
    for (const std::string& a : abbreviations) {
        items.append(toQString(a));
    }
    remedyBox_->addItems(items);
    remedyBox_->setCurrentIndex(-1);
    remedyBox_->clearEditText();
    setGrades(false);

    connect(chapterList_, &QComboBox::currentIndexChanged, this,
            &RemedyOverviewDialog::onChapterChanged);
    connect(remedyBox_, &QComboBox::activated, this, &RemedyOverviewDialog::runSearch);
    remedyBox_->setFocus(Qt::OtherFocusReason);
}

RemedyOverviewDialog::~RemedyOverviewDialog() = default;

QWidget* RemedyOverviewDialog::makeSizeField(QLineEdit*& field, const char* name,
                                             const QString& caption) {
    auto* box = new QWidget(this);
    field = new QLineEdit(box);
    field->setObjectName(QLatin1String(name));
    // Its label stands outside the box, where a screen reader does not look.
    field->setAccessibleName(caption);
    field->setMaxLength(10);
    field->setMaximumWidth(dialogUnitsToPixels(this, 30, 0).width());
    QLineEdit* edit = field;
    field->installEventFilter(
        new SizeFieldKeys(field, [this, edit](int step) { stepSizeField(edit, step); }));

    auto* up = new QToolButton(box);
    up->setObjectName(QLatin1String(name) + QStringLiteral("Up"));
    up->setArrowType(Qt::UpArrow);
    up->setAutoRepeat(true);
    up->setAccessibleName(caption + QStringLiteral(" erhöhen"));
    auto* down = new QToolButton(box);
    down->setObjectName(QLatin1String(name) + QStringLiteral("Down"));
    down->setArrowType(Qt::DownArrow);
    down->setAutoRepeat(true);
    down->setAccessibleName(caption + QStringLiteral(" verringern"));
    const int arrowHeight = std::max(8, field->sizeHint().height() / 2);
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(arrowHeight * 3 / 2, arrowHeight);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up, &QToolButton::clicked, this, [this, edit] { stepSizeField(edit, 1); });
    connect(down, &QToolButton::clicked, this, [this, edit] { stepSizeField(edit, -1); });

    auto* arrows = new QVBoxLayout;
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    arrows->addWidget(up);
    arrows->addWidget(down);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    row->addWidget(field);
    row->addLayout(arrows);
    row->addStretch(1);
    return box;
}

void RemedyOverviewDialog::stepSizeField(QLineEdit* field, int step) {
    // The arrows keep the field within 0..99; a text that is no number starts
    // from 0.
    bool ok = false;
    const int current = field->text().trimmed().toInt(&ok);
    const int next = std::clamp((ok ? current : 0) + step, 0, kMaxSizeFieldValue);
    field->setText(QString::number(next));
}

void RemedyOverviewDialog::buildControls() {
    table_ = new TableView(this);
    table_->setObjectName(QStringLiteral("resultTable"));
    table_->setAccessibleName(QStringLiteral("Rubriken des Mittels"));
    table_->setEditable(false);

    const ChapterFilterBox chapterFilter = makeChapterFilterBox(*context_.data, this);
    chapterList_ = chapterFilter.list;

    auto* remedyLabel = new QLabel(QStringLiteral("Mittel"), this);
    remedyBox_ = new QComboBox(this);
    remedyBox_->setObjectName(QStringLiteral("remedyBox"));
    remedyBox_->setEditable(true);
    // Typed text is searched as it stands; it never becomes an entry.
    remedyBox_->setInsertPolicy(QComboBox::NoInsert);
    // No completion while typing: "am" must stay "am", not become "Am-c.".
    remedyBox_->setCompleter(nullptr);
    remedyBox_->setMaxVisibleItems(20);
    remedyBox_->setMinimumContentsLength(10);
    remedyLabel->setBuddy(remedyBox_);

    auto* sizeGroup = new QGroupBox(QStringLiteral("Rubrikengröße"), this);
    sizeGroup->setObjectName(QStringLiteral("sizeGroup"));
    sizeFilterBox_ = new QCheckBox(QStringLiteral("Rubrikengröße beachten"), sizeGroup);
    sizeFilterBox_->setObjectName(QStringLiteral("sizeFilterBox"));
    minimumLabel_ = new QLabel(QStringLiteral("Mindestgröße "), sizeGroup);
    QWidget* minimumBox =
        makeSizeField(minimumField_, "minimumField", QStringLiteral("Mindestgröße"));
    minimumLabel_->setBuddy(minimumField_);
    maximumLabel_ = new QLabel(QStringLiteral("Maximale Größe"), sizeGroup);
    QWidget* maximumBox =
        makeSizeField(maximumField_, "maximumField", QStringLiteral("Maximale Größe"));
    maximumLabel_->setBuddy(maximumField_);
    otherRemediesBox_ =
        new QCheckBox(QStringLiteral("Andere hochwertige Mittel mit ausgeben"), sizeGroup);
    otherRemediesBox_->setObjectName(QStringLiteral("otherRemediesBox"));
    auto* sizeLayout = new QGridLayout(sizeGroup);
    sizeLayout->addWidget(sizeFilterBox_, 0, 0, 1, 4);
    sizeLayout->addWidget(minimumLabel_, 1, 0);
    sizeLayout->addWidget(minimumBox, 1, 1);
    sizeLayout->addWidget(maximumLabel_, 1, 2);
    sizeLayout->addWidget(maximumBox, 1, 3);
    sizeLayout->addWidget(otherRemediesBox_, 2, 0, 1, 4);
    sizeLayout->setColumnStretch(1, 1);
    sizeLayout->setColumnStretch(3, 1);

    // Initial values of the fields.
    minimumField_->setText(QString::number(search_.sizeFilter.minimum));
    maximumField_->setText(QString::number(search_.sizeFilter.maximum));
    sizeFilterBox_->setChecked(search_.sizeFilter.enabled);
    otherRemediesBox_->setChecked(search_.otherRemedies);

    gradeGroup_ = new QGroupBox(QStringLiteral("Wertigkeit"), this);
    gradeGroup_->setObjectName(QStringLiteral("gradeGroup"));
    auto* gradeLayout = new QGridLayout(gradeGroup_);
    for (int g = 0; g < 5; ++g) {
        gradeBoxes_[g] = new QCheckBox(QString::number(g + 1), gradeGroup_);
        gradeBoxes_[g]->setObjectName(QStringLiteral("grade%1Box").arg(g + 1));
        gradeLayout->addWidget(gradeBoxes_[g], 0, g);
    }
    bdOnlyBox_ = new QCheckBox(QStringLiteral("nur BD"), gradeGroup_);
    bdOnlyBox_->setObjectName(QStringLiteral("bdOnlyBox"));
    gradeLayout->addWidget(bdOnlyBox_, 1, 0, 1, 2);
    auto* allButton = new QPushButton(QStringLiteral("&Alle"), gradeGroup_);
    allButton->setObjectName(QStringLiteral("allGradesButton"));
    allButton->setAutoDefault(false);
    auto* highButton = new QPushButton(QStringLiteral("Hoch&wertig"), gradeGroup_);
    highButton->setObjectName(QStringLiteral("highGradesButton"));
    highButton->setAutoDefault(false);
    gradeLayout->addWidget(allButton, 1, 2);
    gradeLayout->addWidget(highButton, 1, 3, 1, 2);

    const IconButtonGroup buttons = makeIconButtons(this, kButtons);
    buttons.assignTo(searchButton_, printButton_, pdfButton_, helpButton_, backButton_);

    // The chapter list over the whole width; below it the remedy box beside
    // the size group (and the grade group, which is not shown).
    auto* chapterRow = new QHBoxLayout;
    chapterRow->addWidget(chapterFilter.label);
    chapterRow->addWidget(chapterList_, 1);
    auto* remedyColumn = new QVBoxLayout;
    remedyColumn->addWidget(remedyLabel);
    remedyColumn->addWidget(remedyBox_);
    remedyColumn->addStretch(1);
    auto* filters = new QHBoxLayout;
    filters->addLayout(remedyColumn);
    filters->addWidget(sizeGroup);
    filters->addWidget(gradeGroup_);
    filters->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addLayout(chapterRow);
    layout->addLayout(filters);
    layout->addLayout(buttons.layout);

    connect(sizeFilterBox_, &QCheckBox::clicked, this, [this] {
        readControls();
        enableSizeControls();
    });
    connect(allButton, &QPushButton::clicked, this, [this] { setGrades(true); });
    connect(highButton, &QPushButton::clicked, this, [this] { setGrades(false); });
    connect(table_, &TableView::cellDoubleClicked, this, &RemedyOverviewDialog::onRowDoubleClicked);
    connect(searchButton_, &QPushButton::clicked, this, &RemedyOverviewDialog::runSearch);
    connect(printButton_, &QPushButton::clicked, this, &RemedyOverviewDialog::print);
    connect(pdfButton_, &QPushButton::clicked, this, &RemedyOverviewDialog::saveAsPdf);
    connect(backButton_, &QPushButton::clicked, this, &RemedyOverviewDialog::reject);
    connectHelp(this, helpButton_, help::kRemedyOverview);
}

void RemedyOverviewDialog::enableSizeControls() {
    // The spin arrows stay usable, as the platform's spin controls do.
    const bool on = sizeFilterBox_->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{minimumLabel_, minimumField_, maximumLabel_,
                                                      maximumField_, otherRemediesBox_}) {
        w->setEnabled(on);
    }
}

void RemedyOverviewDialog::setGrades(bool all) {
    GradeFilter preset;
    if (all) {
        preset.selectAll();
    } else {
        preset.selectHighGrades();
    }
    for (int g = 0; g < 5; ++g) {
        gradeBoxes_[g]->setChecked(preset.grade[g]);
    }
    bdOnlyBox_->setChecked(preset.bdOnly);
}

bool RemedyOverviewDialog::readControls() {
    RemedyControls controls;
    // The selected entry, or the typed text when none is selected; in an
    // editable box both stand in its edit field.
    controls.remedyText = fromQString(remedyBox_->currentText());
    for (int g = 0; g < 5; ++g) {
        controls.grade[g] = gradeBoxes_[g]->isChecked();
    }
    controls.bdOnly = bdOnlyBox_->isChecked();
    controls.sizeFilterOn = sizeFilterBox_->isChecked();
    controls.minimumText = fromQString(minimumField_->text());
    controls.maximumText = fromQString(maximumField_->text());
    controls.otherRemedies = otherRemediesBox_->isChecked();
    const FieldCheck check = search_.readControls(controls);
    if (check == FieldCheck::Ok) {
        return true;
    }
    MessageBoxes::warning(this, toQString(fieldCheckMessage(check, 0, kMaxSizeFieldValue)));
    return false;
}

void RemedyOverviewDialog::onChapterChanged(int index) {
    search_.selectChapter(chapterFilterTitle(chapterList_, index));
    runSearch();
}

void RemedyOverviewDialog::layOutTable(int columns) {
    TableView& t = *table_;
    if (context_.tableFont) {
        t.setFont(*context_.tableFont);
    }
    t.setHeaderRowCount(0);
    t.setRowCount(kLayoutRows);
    t.setColumnCount(columns);
    for (int c = 0; c < columns; ++c) {
        const ColumnLayout& column = kColumns[static_cast<std::size_t>(c)];
        t.setCellText(0, c, column.header);
        t.setColumnWidth(c, column.width);
    }
    if (context_.options->saveColumnWidths) {
        restoreColumnWidths(*context_.options, t.logic(), *context_.store,
                            settings::kColumnsRemedyOverview, 0);
    } else {
        t.expandColumnsToFit(true);
    }
    t.setHeaderRowCount(1);
    t.setFocusCell(1, 0);
    t.setListMode(true);
}

void RemedyOverviewDialog::runSearch() {
    // The search runs also when a size field was refused: with the values
    // read up to it.
    readControls();
    search_.run();
    layOutTable(search_.columnCount());

    const std::vector<RemedyRow>& rows = search_.rows();
    const int n = static_cast<int>(rows.size());
    table_->setRowCount(n + 1);
    TableLogic& t = table_->logic();
    const bool fourth = search_.columnCount() == 4;
    for (int i = 0; i < n; ++i) {
        const RemedyRow& row = rows[static_cast<std::size_t>(i)];
        t.setCellText(i + 1, 0, row.numberText);
        t.setCellText(i + 1, 1, row.symptomText);
        t.setCellText(i + 1, 2, row.locationText);
        if (fourth) {
            t.setCellText(i + 1, 3, row.otherRemedies);
        }
    }
    if (fourth) {
        // The remedy lists are long: their column takes the width left over.
        stretchColumnToFill(t, 3, table_->settledViewportWidth());
    }
    setWindowTitle(toQString(search_.caption()));
}

bool RemedyOverviewDialog::withRemedyTitle(const std::function<bool()>& output) {
    // The printout names the remedy in its top-left cell.
    const std::string header = table_->logic().rawCellText(0, 0);
    table_->setCellText(0, 0, search_.searchedText());
    const bool done = output();
    table_->setCellText(0, 0, header);
    return done;
}

void RemedyOverviewDialog::print() {
    withRemedyTitle([this] { return printTable(*table_, this); });
}

bool RemedyOverviewDialog::saveAsPdf() {
    const QString name =
        QStringLiteral("Mittelübersicht ") + toQString(search_.searchedText()).trimmed();
    const QString path =
        askPdfPath(this, suggestedPdfFileName(name, QDate::currentDate()), *context_.store);
    if (path.isEmpty()) {
        return false;
    }
    WaitCursor wait;
    return withRemedyTitle([&] {
        const PaperTable paper(*table_);
        const PageFrame frame{windowTitle(),
                              QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")),
                              std::max(1, paper.pageCount())};
        return writePdfFile(
            path, name,
            [&](QPdfWriter& writer, QPainter& painter, QString& failure) {
                if (paper.pageCount() == 0) {
                    // Before the first search: a page with its frame only.
                    paintPageFrame(painter, QRect(0, 0, writer.width(), writer.height()), frame, 1);
                    return true;
                }
                if (paper.paint(writer, painter, frame, 1, true)) {
                    return true;
                }
                failure = QStringLiteral("Das Dokument hat eine Seite nicht angenommen.");
                return false;
            },
            this, systemFileLayer(), paper.orientation());
    });
}

void RemedyOverviewDialog::onRowDoubleClicked(int row, int) {
    const auto ref = hitReference(hitNumberText(*table_, row), HitTakeOver::InvalidAsEmptyRow);
    if (!ref) {
        return;
    }
    reference_ = *ref;
    storeWindowState();
    // The values are read once more; a size field that fails keeps the
    // dialog open.
    if (!readControls()) {
        return;
    }
    QDialog::accept();
}

void RemedyOverviewDialog::storeWindowState() {
    storePlacement(this, *context_.store, settings::kPlacementRemedyOverview);
    storeColumnWidths(*context_.options, table_->logic(), *context_.store,
                      settings::kColumnsRemedyOverview, 0);
}

void RemedyOverviewDialog::reject() {
    storeWindowState();
    QDialog::reject();
}

int RemedyOverviewDialog::exec() {
    return execUnlessHooked(*this, testHook(), [this] {
        setResult(QDialog::Rejected);
        show();
        testHook()(*this);
        hide();
    });
}

RemedyOverviewDialog::Hook& RemedyOverviewDialog::testHook() {
    static Hook hook;
    return hook;
}

} // namespace tessalyn
