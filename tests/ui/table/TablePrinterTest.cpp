// Printing of tables onto PDF printers: the job, pages and their breaks, the
// headings repeated, the columns shown in the window, refused pages.
#include "ui/PrintTestSupport.h"

#include "case/ResultTable.h"
#include "data/RepertoryData.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

// A table of `bodyRows` rows under two header rows ("Kopf A", "Kopf B" over
// each column) with two header columns and `dataColumns` narrow columns,
// shown in a window wide enough for all of them.
struct ShownTable {
    ShownTable(int bodyRows, int dataColumns) : view(std::make_unique<TableView>()) {
        TableView& t = *view;
        t.setColumnCount(dataColumns + 2);
        t.setRowCount(bodyRows + 2);
        for (int c = 2; c < dataColumns + 2; ++c) {
            t.setCellText(0, c, "K" + std::to_string(c));
            t.setCellText(1, c, "T" + std::to_string(c));
        }
        for (int r = 2; r < bodyRows + 2; ++r) {
            t.setCellText(r, 0, "Zeile" + std::to_string(r));
        }
        t.setHeaderRowCount(2);
        t.setHeaderColumnCount(2);
        t.setColumnWidth(0, 120);
        t.setColumnWidth(1, 60);
        for (int c = 2; c < dataColumns + 2; ++c) {
            t.setColumnWidth(c, 50);
        }
        view->resize(900, 400);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QApplication::processEvents();
    }

    std::unique_ptr<TableView> view;
};

class TablePrinterTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(TablePrinterTest, PrintFontIsMeasuredOnThePrinter) {
    const QFont font = tablePrintFont();
    EXPECT_EQ(font.pixelSize(), 10);
    EXPECT_EQ(font.weight(), QFont::Normal);
    EXPECT_FALSE(font.italic());
    QPrinter printer(QPrinter::HighResolution);
    makePdfPrinter(printer, path("metrics.pdf"));
    const PrintFontMetrics m = measurePrintFont(font, &printer);
    // A 10-unit font: characters a few units wide, lines about as high as the font.
    EXPECT_GE(m.charWidth, 3);
    EXPECT_LE(m.charWidth, 8);
    EXPECT_GE(m.lineHeight, 9);
    EXPECT_LE(m.lineHeight, 16);
}

TEST_F(TablePrinterTest, RowsThatFitMakeOnePageAndOneMoreRowRepeatsTheHeadingsOnPageTwo) {
    ASSERT_TRUE(havePoppler("pdfinfo"));
    ShownTable shown(1, 6);
    TableView& table = *shown.view;
    QPrinter probe(QPrinter::HighResolution);
    makePdfPrinter(probe, path("probe.pdf"));
    const PrintLayout probeLayout = printLayoutFor(table, probe);
    ASSERT_TRUE(probeLayout.valid);
    EXPECT_EQ(probeLayout.columns, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    const int rowHeight = table.rowHeight(2);
    ASSERT_GT(rowHeight, 0);
    const int fitting = static_cast<int>(probeLayout.rowSpace / rowHeight);
    ASSERT_GT(fitting, 10);

    table.setRowCount(2 + fitting);
    QPrinter one(QPrinter::HighResolution);
    makePdfPrinter(one, path("one.pdf"));
    ASSERT_TRUE(printTableTo(table, one));
    EXPECT_EQ(pdfPageCount(path("one.pdf")), 1);
    // The job carries the program's title.
    EXPECT_EQ(pdfInfo(path("one.pdf"), QStringLiteral("Title")), QStringLiteral("Tessalyn"));

    table.setRowCount(2 + fitting + 1);
    table.setCellText(2 + fitting, 0, "Letzte");
    QPrinter two(QPrinter::HighResolution);
    makePdfPrinter(two, path("two.pdf"));
    ASSERT_TRUE(printTableTo(table, two));
    EXPECT_EQ(pdfPageCount(path("two.pdf")), 2);

    ASSERT_TRUE(havePoppler("pdftotext"));
    const QStringList page2 = pdfPageWords(path("two.pdf"), 2);
    for (int c = 2; c < 8; ++c) {
        EXPECT_TRUE(page2.contains(QStringLiteral("K%1").arg(c))) << c;
        EXPECT_TRUE(page2.contains(QStringLiteral("T%1").arg(c))) << c;
    }
    // Only the row that did not fit on page 1.
    EXPECT_TRUE(page2.contains(QStringLiteral("Letzte")));
    EXPECT_FALSE(page2.contains(QStringLiteral("Zeile2")));
    EXPECT_TRUE(pdfPageWords(path("two.pdf"), 1).contains(QStringLiteral("Zeile2")));
}

TEST_F(TablePrinterTest, ScrolledResultTablePrintsTheHeaderColumnsAndTheShownRemedies) {
    const RepertoryData& data = builtInContent();
    EvaluatedCase evaluated(data, {1, 2, 3});
    ASSERT_GE(evaluated.result.lastScoreIndex, 20);
    TableView table;
    fillResultTable(table.logic(), evaluated.result);
    table.resize(900, 300);
    table.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&table));
    QApplication::processEvents();

    // Eight remedy columns of 40 pixels fill exactly what the header columns leave.
    const int viewportWidth = table.viewport()->width();
    table.setColumnWidth(1, 100);
    table.setColumnWidth(0, viewportWidth - 100 - 8 * 40);
    for (int c = 2; c < table.columnCount(); ++c) {
        table.setColumnWidth(c, 40);
    }
    QApplication::processEvents();
    // Remedy columns 5 to 12 are table columns 7 to 14.
    table.horizontalScrollBar()->setValue(5 * 40);
    QApplication::processEvents();
    ASSERT_EQ(table.firstVisibleColumn(), 7);
    ASSERT_EQ(table.lastVisibleColumn(), 14);

    QPrinter printer(QPrinter::HighResolution);
    makePdfPrinter(printer, path("scrolled.pdf"));
    const PrintLayout layout = printLayoutFor(table, printer);
    EXPECT_EQ(layout.columns, (std::vector<int>{0, 1, 7, 8, 9, 10, 11, 12, 13, 14}));
    ASSERT_TRUE(printTableTo(table, printer));

    ASSERT_TRUE(havePoppler("pdftotext"));
    const QStringList words = pdfPageWords(path("scrolled.pdf"), 1);
    for (int remedy = 0; remedy <= evaluated.result.lastScoreIndex; ++remedy) {
        const QString abbreviation = toQString(
            data.abbreviation(evaluated.result.scores[static_cast<std::size_t>(remedy)].remedy));
        EXPECT_EQ(words.contains(abbreviation), remedy >= 5 && remedy <= 12)
            << abbreviation.toStdString() << " at " << remedy;
    }
    EXPECT_TRUE(words.contains(QStringLiteral("Treffer")));
}

TEST_F(TablePrinterTest, CancelledDialogPrintsNothingAndTheDialogHasTheJob) {
    ShownTable shown(3, 4);
    {
        PdfDialogHook hook(path("cancelled.pdf"), false);
        EXPECT_FALSE(printTable(*shown.view, nullptr));
        EXPECT_EQ(hook.calls(), 1);
    }
    EXPECT_FALSE(QFileInfo::exists(path("cancelled.pdf")));

    QString jobName;
    {
        PdfDialogHook hook(path("printed.pdf"), true,
                           [&](QPrinter& printer) { jobName = printer.docName(); });
        EXPECT_TRUE(printTable(*shown.view, nullptr));
    }
    EXPECT_EQ(jobName, QStringLiteral("Tessalyn"));
    EXPECT_TRUE(QFileInfo::exists(path("printed.pdf")));
}

TEST_F(TablePrinterTest, RefusedPageEndsAndAbortsTheJob) {
    ShownTable shown(400, 4);
    QPrinter printer(QPrinter::HighResolution);
    makePdfPrinter(printer, path("refused.pdf"));
    ASSERT_GE(printLayoutFor(*shown.view, printer).pageCount(), 3);
    std::vector<int> asked;
    const auto pages = printPageHook().install([&](int page) {
        asked.push_back(page);
        return page < 2;
    });
    EXPECT_FALSE(printTableTo(*shown.view, printer));
    // No page after the refused one was tried.
    EXPECT_EQ(asked, (std::vector<int>{2}));
}

TEST_F(TablePrinterTest, PrinterThatCannotStartTheJobPrintsNothing) {
    ShownTable shown(3, 4);
    QPrinter printer(QPrinter::HighResolution);
    makePdfPrinter(printer, path("missing-folder/job.pdf"));
    EXPECT_FALSE(printTableTo(*shown.view, printer));
}

TEST_F(TablePrinterTest, PageRangeOfThePrinterIsHonoured) {
    ASSERT_TRUE(havePoppler("pdfinfo"));
    ShownTable shown(400, 4);
    QPrinter printer(QPrinter::HighResolution);
    makePdfPrinter(printer, path("first.pdf"));
    ASSERT_GE(printLayoutFor(*shown.view, printer).pageCount(), 3);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(1, 1);
    ASSERT_TRUE(printTableTo(*shown.view, printer));
    EXPECT_EQ(pdfPageCount(path("first.pdf")), 1);
}
