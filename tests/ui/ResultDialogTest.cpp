// The result view "Ergebnis der Auswertung": the table, leaving the view,
// widths and placement, printing with its title and colours, filing, the
// clipboard and the bar chart.
#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/ResultTable.h"
#include "history/CaseHistory.h"
#include "settings/MemorySettingsStore.h"
#include "settings/Placement.h"
#include "settings/SettingsKeys.h"
#include "support/AskedOnce.h"
#include "support/MessageRecorder.h"
#include "support/SeamGuard.h"
#include "ui/RankingChart.h"
#include "ui/ResultDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/HistoryFiles.h"
#include "ui/table/TableView.h"
#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/HelpContext.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

constexpr int kPdfDpi = 50;

// A result view over a scored case, shown and active.
struct OpenResult {
    OpenResult(const RepertoryData& data, std::initializer_list<int> numbers,
               ProgramSettings opts = ProgramSettings(), PolarityMode mode = PolarityMode::None,
               std::string name = "Fall A", const QString& historyPath = QString())
        : evaluated(data, numbers, mode, std::move(name)), settings(opts) {
        dialog = std::make_unique<ResultDialog>(data, evaluated.result, settings, std::nullopt,
                                                store, historyPath);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QApplication::processEvents();
    }

    TableView& table() { return *dialog->table(); }
    void clickCell(int row, int col) {
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {},
                          table().cellRect(row, col).center());
        QApplication::processEvents();
    }
    std::vector<std::string> rowTexts(int row) {
        std::vector<std::string> texts;
        for (int c = 2; c < table().columnCount(); ++c) {
            texts.push_back(table().logic().rawCellText(row, c));
        }
        return texts;
    }

    EvaluatedCase evaluated;
    ProgramSettings settings;
    MemorySettingsStore store;
    std::unique_ptr<ResultDialog> dialog;
};

ProgramSettings options(bool escapeDiscards, bool saveColumnWidths = true,
                        bool noGreyInPrint = true) {
    ProgramSettings s;
    s.escapeDiscards = escapeDiscards;
    s.saveColumnWidths = saveColumnWidths;
    s.noGreyInPrint = noGreyInPrint;
    return s;
}

int storedInt(const MemorySettingsStore& store, std::string_view section, std::string_view name) {
    return store.readInt(section, name, -99);
}

} // namespace

TEST(ResultDialog, CounterPolarCaseShowsItsTableWithTheViewsSettings) {
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {5, -40});
    ResultDialog& d = *open.dialog;
    TableView& t = open.table();

    EXPECT_EQ(d.windowTitle(), QStringLiteral("Ergebnis der Auswertung"));
    EXPECT_EQ(helpContextOf(&d), help::kResultView);
    EXPECT_EQ(t.columnCount(), 14);
    EXPECT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.headerRowCount(), 2);
    EXPECT_EQ(t.headerColumnCount(), 2);
    EXPECT_TRUE(t.cellQText(3, 0).startsWith(QStringLiteral("- ")));
    for (int c = 2; c < 14; ++c) {
        EXPECT_EQ(t.logic().cellBackground(3, c), kCounterPolarBackground) << c;
        EXPECT_LE(t.columnWidth(c), kResultColumnWidthLimit);
        EXPECT_GT(t.columnWidth(c), 0);
    }
    EXPECT_FALSE(t.isEditable());
    EXPECT_FALSE(t.logic().cellSelection());
    EXPECT_TRUE(t.logic().sortByHeaderClick());
    EXPECT_EQ(t.logic().separatorRow(), 2);
    EXPECT_EQ(t.logic().maximumColumnWidth(), 450);
    EXPECT_EQ(t.captionOwner(), &d);

    EXPECT_EQ(d.nameEdit()->text(), QStringLiteral("Fall A"));
    EXPECT_EQ(d.evaluationName(), "Fall A");
    EXPECT_EQ(d.backButton()->text(), QStringLiteral("&Zurück"));
    EXPECT_TRUE(d.backButton()->isDefault());
    EXPECT_EQ(d.printButton()->text(), QStringLiteral("&Drucken"));
    EXPECT_EQ(d.fileButton()->text(), QStringLiteral("&Ablegen"));
    EXPECT_EQ(d.helpButton()->text(), QStringLiteral("&Hilfe"));
    EXPECT_EQ(d.newButton()->text(), QStringLiteral("&Neu"));
    EXPECT_EQ(d.copyButton()->text(), QStringLiteral("&X Copy to Clipboard"));
    EXPECT_FALSE(d.copyButton()->isVisible());

    // "&Hilfe" opens the help at the result view's page.
    QTest::mouseClick(d.helpButton(), Qt::LeftButton);
    ASSERT_NE(HelpViewer::instance(), nullptr);
    EXPECT_EQ(HelpViewer::instance()->currentPage(), helpPageUrl(help::kResultView));
    HelpViewer::instance()->close();

    // The initial size is also the smallest.
    const QSize dlu = dialogUnitsToPixels(&d, 338, 159);
    EXPECT_GE(d.minimumWidth(), dlu.width());
    EXPECT_GE(d.minimumHeight(), dlu.height());

    // The focus on a remedy column shows its place in the caption.
    t.setFocusCell(2, 2);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Ergebnis der Auswertung 2/13"));
    // Type-ahead: the first abbreviation of the ranking, typed in lower case.
    const QString first = t.cellQText(0, 5).toLower().remove(QLatin1Char('.'));
    t.setFocusCell(2, 2);
    QTest::keyClicks(&t, first);
    EXPECT_EQ(t.focusColumn(), 5);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Ergebnis der Auswertung 5/13"));
}

TEST(ResultDialog, RemedyInEveryRubricShowsAGradeInEachAndHitsForThePositiveRows) {
    const RepertoryData& data = builtInContent();
    // Remedy 0 stands in rubrics 1 and 2; the counter-polar row is not scored.
    OpenResult open(data, {1, 2, -40});
    const TableView& t = open.table();
    int column = -1;
    for (int c = 2; c < t.columnCount(); ++c) {
        if (t.logic().rawCellText(0, c) == data.abbreviation(0)) {
            column = c;
        }
    }
    ASSERT_GE(column, 2);
    EXPECT_EQ(t.logic().rawCellText(1, column), "2");
    EXPECT_FALSE(t.logic().rawCellText(2, column).empty());
    EXPECT_FALSE(t.logic().rawCellText(3, column).empty());
}

TEST(ResultDialog, EscapeKeepsOrDiscardsByTheSettingAndNeuAlwaysDiscards) {
    const RepertoryData& data = builtInContent();
    for (const bool escapeDiscards : {false, true}) {
        SCOPED_TRACE(escapeDiscards);
        {
            OpenResult open(data, {5, 12}, options(escapeDiscards));
            open.dialog->nameEdit()->setText(QStringLiteral("Neuer Name"));
            QTest::keyClick(open.dialog.get(), Qt::Key_Escape);
            EXPECT_FALSE(open.dialog->isVisible());
            EXPECT_EQ(open.dialog->result(),
                      escapeDiscards ? QDialog::Rejected : QDialog::Accepted);
            if (!escapeDiscards) {
                EXPECT_EQ(open.dialog->evaluationName(), "Neuer Name");
            }
            EXPECT_EQ(storedInt(open.store, settings::kPlacementResult, settings::kPlacementCheck),
                      kPlacementComplete);
        }
        {
            OpenResult open(data, {5, 12}, options(escapeDiscards));
            QTest::mouseClick(open.dialog->newButton(), Qt::LeftButton);
            EXPECT_FALSE(open.dialog->honourEscapeSetting());
            EXPECT_EQ(open.dialog->result(), QDialog::Rejected);
            EXPECT_EQ(storedInt(open.store, settings::kPlacementResult, settings::kPlacementCheck),
                      kPlacementComplete);
        }
        {
            // The close box follows the Escape rule.
            OpenResult open(data, {5, 12}, options(escapeDiscards));
            open.dialog->close();
            EXPECT_EQ(open.dialog->result(),
                      escapeDiscards ? QDialog::Rejected : QDialog::Accepted);
        }
        {
            // "&Zurück" and Enter keep in either case.
            OpenResult open(data, {5, 12}, options(escapeDiscards));
            open.dialog->nameEdit()->setText(QStringLiteral("Mit Enter"));
            QTest::keyClick(open.dialog->nameEdit(), Qt::Key_Return);
            EXPECT_EQ(open.dialog->result(), QDialog::Accepted);
            EXPECT_EQ(open.dialog->evaluationName(), "Mit Enter");
        }
    }
}

TEST(ResultDialog, HeaderColumnWidthsAreKeptOnlyWithSpaltenbreite) {
    const RepertoryData& data = builtInContent();
    for (const bool save : {true, false}) {
        SCOPED_TRACE(save);
        const ProgramSettings s = options(false, save);
        EvaluatedCase evaluated(data, {5, 12});
        MemorySettingsStore store;
        store.writeInt(settings::kColumnsResult, "Col0", 123);
        store.writeInt(settings::kColumnsResult, "Col1", 0);  // not applied
        store.writeInt(settings::kColumnsResult, "Col2", 77); // not a header column
        ResultDialog dialog(data, evaluated.result, s, std::nullopt, store, QString());
        TableView& t = *dialog.table();
        EXPECT_EQ(t.columnWidth(0) == 123, save);
        EXPECT_GT(t.columnWidth(1), 0);
        EXPECT_NE(t.columnWidth(2), 77);

        t.setColumnWidth(0, 201);
        t.setColumnWidth(1, 99);
        dialog.show();
        dialog.accept();
        EXPECT_EQ(storedInt(store, settings::kColumnsResult, "Col0"), save ? 201 : 123);
        EXPECT_EQ(storedInt(store, settings::kColumnsResult, "Col1"), save ? 99 : 0);
        EXPECT_EQ(storedInt(store, settings::kColumnsResult, "Col2"), 77);
        EXPECT_EQ(storedInt(store, settings::kPlacementResult, settings::kPlacementCheck),
                  kPlacementComplete);
    }
}

TEST(ResultDialog, HitsRowClickedTwiceRanksByHitsThenReversesAndTheChartFollows) {
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {1, 2, 3});
    TableView& t = open.table();
    ASSERT_GT(t.columnCount(), 10);

    open.clickCell(1, 0); // "Anzahl der Treffer"
    const std::vector<std::string> names = open.rowTexts(0);
    const std::vector<std::string> hits = open.rowTexts(1);
    const std::vector<std::string> firstGrades = open.rowTexts(2);
    for (std::size_t i = 1; i < names.size(); ++i) {
        const int h0 = std::stoi(hits[i - 1]);
        const int h1 = std::stoi(hits[i]);
        ASSERT_GE(h0, h1) << i;
        if (h0 == h1) {
            // Ties: the first rubric's grade, an empty cell below every grade;
            // then the abbreviation ascending.
            ASSERT_GE(numericSortKey(firstGrades[i - 1]), numericSortKey(firstGrades[i])) << i;
            if (firstGrades[i - 1] == firstGrades[i]) {
                ASSERT_LT(names[i - 1], names[i]) << i;
            }
        }
    }
    std::vector<RankingBar> bars = open.dialog->chart()->bars();
    ASSERT_EQ(bars.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(fromQString(bars[i].abbreviation), names[i]);
        EXPECT_EQ(bars[i].column, static_cast<int>(i) + 2);
        EXPECT_EQ(std::to_string(bars[i].hits), hits[i]);
    }

    open.clickCell(1, 0);
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    EXPECT_EQ(open.rowTexts(0), reversed);
    bars = open.dialog->chart()->bars();
    EXPECT_EQ(fromQString(bars.front().abbreviation), reversed.front());
}

TEST(ResultDialog, ChartShowsEveryRankedRemedyAndIsSwitchedOffAndRemembered) {
    const RepertoryData& data = builtInContent();
    {
        OpenResult open(data, {5, 12});
        ResultDialog& d = *open.dialog;
        EXPECT_TRUE(d.chartShown());
        EXPECT_TRUE(d.chart()->isVisible());
        const std::vector<RankingBar>& bars = d.chart()->bars();
        ASSERT_EQ(static_cast<int>(bars.size()), open.evaluated.result.lastScoreIndex + 1);
        for (std::size_t i = 0; i < bars.size(); ++i) {
            const RemedyScore& s = open.evaluated.result.scores[i];
            EXPECT_EQ(fromQString(bars[i].abbreviation), data.abbreviation(s.remedy));
            EXPECT_EQ(bars[i].hits, s.hits);
            EXPECT_EQ(bars[i].gradeSum, s.gradeSum);
        }
        // A click on a bar takes the table to that remedy's column.
        // The fourth bar: slots of 48 pixels after a margin of 4, the click in
        // the middle of its slot.
        ASSERT_GE(bars.size(), 4u);
        ASSERT_EQ(d.chart()->slotWidth(), 48);
        QTest::mouseClick(d.chart()->viewport(), Qt::LeftButton, {}, QPoint(172, 66));
        EXPECT_EQ(open.table().focusColumn(), 5);

        QTest::keyClick(&d, Qt::Key_B, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !d.chartShown(); }));
        EXPECT_FALSE(d.chart()->isVisible());
        EXPECT_EQ(storedInt(open.store, settings::kApplication, settings::kRankingChart), 0);
    }
    EvaluatedCase evaluated(data, {5, 12});
    MemorySettingsStore store;
    store.writeInt(settings::kApplication, settings::kRankingChart, 0);
    const ProgramSettings s;
    ResultDialog dialog(data, evaluated.result, s, std::nullopt, store, QString());
    dialog.show();
    EXPECT_FALSE(dialog.chartShown());
    EXPECT_FALSE(dialog.chart()->isVisible());
    dialog.setChartShown(true);
    EXPECT_TRUE(dialog.chart()->isVisible());
    EXPECT_EQ(storedInt(store, settings::kApplication, settings::kRankingChart), 1);
}

TEST(ResultDialog, CopyPutsTheGradeBlockOnTheClipboard) {
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {5, -40});
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("vorher"));
    QTest::keyClick(open.dialog.get(), Qt::Key_X, Qt::AltModifier);

    // The grades of the two rubrics under the twelve remedies with hits,
    // a tab between columns, a line break between rows, none at the end.
    const TableView& t = open.table();
    EXPECT_EQ(clipboard->text(), QStringLiteral("1\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1\n"
                                                "\t1\t\t\t\t1\t\t\t\t\t\t"));
    EXPECT_TRUE(clipboard->text().startsWith(QStringLiteral("1\t1\t")));
    EXPECT_FALSE(clipboard->text().endsWith(QLatin1Char('\n')));
    // Selection is off again.
    EXPECT_FALSE(t.logic().cellSelection());
    EXPECT_EQ(t.logic().selectedCount(), 0);

    // No remedy with a hit: nothing to copy, the clipboard stays as it was.
    OpenResult none(data, {-40});
    EXPECT_EQ(none.table().columnCount(), 2);
    clipboard->setText(QStringLiteral("unberührt"));
    none.dialog->copyToClipboard();
    EXPECT_EQ(clipboard->text(), QStringLiteral("unberührt"));
}

TEST(ResultDialog, PrintCarriesTheTitleForTheJobOnlyAndKeepsYellowAndGrey) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {5, -40});
    ResultDialog& d = *open.dialog;
    TableView& t = open.table();
    d.setPrintDate(QDate(2026, 12, 6));

    // Cancelled: the title was there while the dialog asked, and is gone again.
    QString titleDuringDialog;
    std::optional<Rgb> headerDuringDialog;
    {
        PdfDialogHook hook(dir.filePath("cancelled.pdf"), false, [&](QPrinter&) {
            titleDuringDialog = t.cellQText(0, 0);
            headerDuringDialog = t.logic().defaultHeaderBackground();
        });
        EXPECT_FALSE(d.printResult());
    }
    EXPECT_EQ(titleDuringDialog, QStringLiteral("Fall A 06.12.2026"));
    EXPECT_EQ(headerDuringDialog, (Rgb{255, 255, 255}));
    EXPECT_EQ(t.cellQText(0, 0), QString());
    EXPECT_EQ(t.logic().defaultHeaderBackground(), std::nullopt);

    // Printed, with the name as the edit box has it now; a narrow location
    // column leaves room for remedy columns in the window.
    t.setColumnWidth(1, 60);
    QApplication::processEvents();
    d.nameEdit()->setText(QStringLiteral("Fall B"));
    const QString pdf = dir.filePath("result.pdf");
    PageMapping mapping;
    {
        PdfDialogHook hook(pdf, true, [&](QPrinter& printer) {
            titleDuringDialog = t.cellQText(0, 0);
            mapping = PageMapping::of(t, printer);
        });
        EXPECT_TRUE(d.printResult());
    }
    EXPECT_EQ(titleDuringDialog, QStringLiteral("Fall B 06.12.2026"));
    EXPECT_EQ(t.cellQText(0, 0), QString());
    EXPECT_EQ(t.logic().defaultHeaderBackground(), std::nullopt);
    ASSERT_TRUE(QFileInfo::exists(pdf));

    ASSERT_TRUE(havePoppler("pdftotext") && havePoppler("pdftoppm"));
    const QString text = pdfPageText(pdf, 1);
    EXPECT_TRUE(text.contains(QStringLiteral("Fall B 06.12.2026")));
    EXPECT_TRUE(text.contains(QStringLiteral("Anzahl der Treffer")));
    const QImage page = renderPdfPage(pdf, 1, kPdfDpi, dir.filePath("result-page"));
    ASSERT_FALSE(page.isNull());
    // Centres of cells, relative to the table's corner on the page.
    auto centre = [&](int row, int col) {
        double y = 0;
        for (int r = 0; r < row; ++r) {
            y += t.rowHeight(r);
        }
        return mapping.toImage(mapping.columnLeft(col) + mapping.columnWidth(col) * 0.8,
                               y + t.rowHeight(row) / 2.0, kPdfDpi);
    };
    // Sampled in the cell's right part, away from its text at the left.
    auto colourAt = [&](int row, int col) { return page.pixelColor(centre(row, col)); };
    EXPECT_EQ(colourAt(1, 1), QColor(Qt::white)); // header default: white
    const int lastPrinted = mapping.layout.columns.back();
    ASSERT_GE(lastPrinted, 2);
    EXPECT_EQ(colourAt(1, lastPrinted), QColor(255, 255, 0));   // hits: yellow
    EXPECT_EQ(colourAt(3, lastPrinted), QColor(230, 230, 230)); // counter-polar: grey
}

TEST(ResultDialog, WithoutKeinGrauTheHeaderPrintsInTheButtonFace) {
    ASSERT_TRUE(havePoppler("pdftoppm"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {5, 12}, options(true, true, false));
    TableView& t = open.table();
    const QString pdf = dir.filePath("grey.pdf");
    PageMapping mapping;
    {
        PdfDialogHook hook(pdf, true, [&](QPrinter& printer) {
            EXPECT_EQ(t.logic().defaultHeaderBackground(), std::nullopt);
            mapping = PageMapping::of(t, printer);
        });
        ASSERT_TRUE(open.dialog->printResult());
    }
    const QImage page = renderPdfPage(pdf, 1, kPdfDpi, dir.filePath("grey-page"));
    ASSERT_FALSE(page.isNull());
    // Cell (1, 1) is an empty header cell without an own colour.
    const QPoint p = mapping.toImage(mapping.columnLeft(1) + mapping.columnWidth(1) / 2.0,
                                     t.rowHeight(0) + 3, kPdfDpi);
    EXPECT_EQ(page.pixelColor(p).rgb(), t.palette().color(QPalette::Button).rgb());
}

TEST(ResultDialog, AblegenFilesTheEntriesTheEvaluationDidNotAddAndStaysOpen) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    RepertoryData data = builtInContent();
    data.tables().rubrics[4].oppositeNumber = 40; // rubric 5 has a counter-polarity
    data.tables().rubrics[4].oppositeBd = 0;
    const QString historyPath = dir.filePath("historie.xml");
    const FilingDate filingDate("07.12.2026 09:30");
    OpenResult open(data, {5, 12}, ProgramSettings(), PolarityMode::AtEnd, "Fall A", historyPath);
    ASSERT_EQ(open.evaluated.result.entryCount(), 3); // 5, 12 and the added -40
    ResultDialog& d = *open.dialog;
    d.nameEdit()->setText(QStringLiteral("Müller"));

    QString nameShown;
    {
        const test_support::AskedOnce filing(
            FileCaseDialog::testHook(), [&](FileCaseDialog& fileDialog) {
                nameShown = fileDialog.nameBox()->currentText();
                fileDialog.commentBox()->setPlainText(QStringLiteral("erste\nSitzung"));
                return static_cast<int>(QDialog::Accepted);
            });
        EXPECT_TRUE(d.fileCase());
    }
    EXPECT_EQ(nameShown, QStringLiteral("Müller"));
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.result(), 0);

    CaseHistory history(historyFileName(historyPath));
    ASSERT_EQ(history.caseCount(), 1u);
    const FiledCase& filed = *history.cases().front();
    EXPECT_EQ(filed.name, fromQString(QStringLiteral("Müller")));
    ASSERT_EQ(filed.treatments.size(), 1u);
    EXPECT_EQ(filed.treatments.front()->comment, "erste\r\nSitzung");
    EXPECT_EQ(filed.treatments.front()->date, "07.12.2026 09:30");
    const std::vector<SymptomRef>& symptoms = filed.treatments.front()->symptoms;
    ASSERT_EQ(symptoms.size(), 2u);
    EXPECT_EQ(symptoms[0].number, 5);
    EXPECT_EQ(symptoms[1].number, 12);

    // "Zurück" in "Fall ablegen" files nothing.
    const test_support::AskedOnce back(FileCaseDialog::testHook(), [](FileCaseDialog&) {
        return static_cast<int>(QDialog::Rejected);
    });
    EXPECT_FALSE(d.fileCase());
    EXPECT_EQ(CaseHistory(historyFileName(historyPath)).cases().front()->treatments.size(), 1u);
}

TEST(ResultDialog, FailedFilingIsReportedInGerman) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString historyPath = dir.filePath("fehlt/historie.xml");
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {5, 12}, ProgramSettings(), PolarityMode::None, "Fall A", historyPath);
    const test_support::AskedOnce filing(FileCaseDialog::testHook(), [](FileCaseDialog&) {
        return static_cast<int>(QDialog::Accepted);
    });
    test_support::MessageRecorder messages;
    {
        const test_support::SeamGuard noWait(setHistoryLockWait, std::chrono::milliseconds(0));
        EXPECT_FALSE(open.dialog->fileCase());
    }
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_TRUE(messages.texts().back().startsWith(
        QStringLiteral("Die Fallhistorie konnte nicht gespeichert werden: ")))
        << messages.texts().back().toStdString();
    EXPECT_TRUE(open.dialog->isVisible());
}

TEST(ResultDialog, FilingIntoAFolderNamedLikeTheHistoryIsReportedAndTheCaseStays) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString historyPath = dir.filePath("historie.xml");
    ASSERT_TRUE(QDir(dir.path()).mkdir("historie.xml"));
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {5, 12}, ProgramSettings(), PolarityMode::None, "Fall A", historyPath);
    const test_support::AskedOnce filing(FileCaseDialog::testHook(), [](FileCaseDialog&) {
        return static_cast<int>(QDialog::Accepted);
    });
    test_support::MessageRecorder messages;
    EXPECT_FALSE(open.dialog->fileCase());
    ASSERT_FALSE(messages.texts().isEmpty());
    EXPECT_TRUE(messages.texts().back().contains(historyPath));
    EXPECT_TRUE(messages.texts().back().contains(QStringLiteral("ist ein Ordner")));
    EXPECT_TRUE(messages.texts().back().endsWith(QStringLiteral("Der Fall wurde nicht abgelegt.")));
    EXPECT_TRUE(open.dialog->isVisible());
    EXPECT_EQ(open.evaluated.result.entryCount(), 2);
}

TEST(ResultDialog, ATenRubricCaseShowsTwelveRowsAndPrints) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const RepertoryData& data = builtInContent();
    OpenResult open(data, {1, 2, 3, 12, 16, 25, 40, 57, 88, 102}, ProgramSettings(),
                    PolarityMode::None, "Kopfschmerz Frau K.");
    ResultDialog& d = *open.dialog;
    d.resize(1400, 700);
    QApplication::processEvents();
    EXPECT_EQ(open.table().rowCount(), 12);

    const QString pdf = dir.filePath("printout.pdf");
    {
        PdfDialogHook hook(pdf);
        ASSERT_TRUE(d.printResult());
    }
    ASSERT_TRUE(havePoppler("pdftoppm"));
    const QImage page = renderPdfPage(pdf, 1, 100, dir.filePath("result-printout"));
    EXPECT_FALSE(page.isNull());
}
