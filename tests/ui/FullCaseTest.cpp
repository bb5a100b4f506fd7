// A case as large as the case grid takes: 3000 rows, evaluated, shown,
// the first page printed, filed, and taken back from the history whole.
#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/Case.h"
#include "history/CaseHistory.h"
#include "settings/MemorySettingsStore.h"
#include "ui/MainDialog.h"
#include "ui/ResultDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/history/HistoryFiles.h"
#include "ui/table/TableView.h"
#include "ui/widgets/IconPushButton.h"

#include <QComboBox>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

// Rows typed key by key before the rest goes in through the grid's row
// procedure (the same one the editor ends in), for speed.
constexpr int kTypedRows = 25;

// 3000 different rubrics spread over the whole repertory (7919 and 8385 have
// no common divisor), every 50th as its counter-polar entry.
std::vector<int> caseNumbers() {
    std::vector<int> numbers;
    for (int i = 0; i < kCaseRowCapacity; ++i) {
        const int n = (i * 7919) % kRubricCount + 1;
        numbers.push_back(i % 50 == 49 ? -n : n);
    }
    return numbers;
}

std::vector<int> gridNumbers(const CaseGrid& grid) {
    std::vector<int> numbers;
    for (int r = grid.headerRowCount(); r < grid.rowCount(); ++r) {
        numbers.push_back(std::stoi(grid.cellText(r, 0)));
    }
    return numbers;
}

} // namespace

TEST(FullCase, ThreeThousandRowsAreEvaluatedPrintedFiledAndTakenBackWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString historyPath = dir.filePath(QStringLiteral("historie.xml"));
    const QString pdf = dir.filePath(QStringLiteral("seite1.pdf"));
    const FilingDate filingDate("07.12.2026 11:00");
    MemorySettingsStore store;
    MainDialog main(store, historyPath);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    ASSERT_TRUE(waitActive(&main));
    TableView& grid = *main.caseGridView();

    const std::vector<int> numbers = caseNumbers();
    for (int i = 0; i < kCaseRowCapacity; ++i) {
        const std::string text = std::to_string(numbers[static_cast<std::size_t>(i)]);
        if (i < kTypedRows) {
            typeIntoGrid(grid, QString::fromStdString(text));
            ASSERT_FALSE(HasFatalFailure()) << "row " << i + 1;
        } else {
            ASSERT_TRUE(grid.setCellText(grid.focusRow(), 0, text)) << "row " << i + 1;
        }
    }
    // Full: no input row below the 3000th.
    ASSERT_EQ(main.theCase().count(), kCaseRowCapacity);
    ASSERT_EQ(grid.rowCount(), kCaseRowCapacity + 1);
    EXPECT_EQ(gridNumbers(main.caseGrid()), numbers);

    // Typing into the last row of the full grid replaces its entry; no row is
    // added.
    ASSERT_EQ(grid.focusRow(), kCaseRowCapacity);
    typeIntoGrid(grid, QStringLiteral("8385"));
    EXPECT_EQ(grid.cellText(kCaseRowCapacity, 0), "8385");
    EXPECT_EQ(main.theCase().count(), kCaseRowCapacity);
    EXPECT_EQ(grid.rowCount(), kCaseRowCapacity + 1);
    typeIntoGrid(grid, QString::number(numbers.back()));
    ASSERT_EQ(gridNumbers(main.caseGrid()), numbers);

    // "&Berechnen": every row in the result view, the first page printed,
    // the case filed.
    int pages = 0;
    whenModal<ResultDialog>([&](ResultDialog& view) {
        TableView& t = *view.table();
        EXPECT_EQ(t.rowCount(), kCaseRowCapacity + 2);
        EXPECT_GT(t.columnCount(), 300) << "nearly every remedy has a hit";
        {
            PdfDialogHook hook(pdf, true, [](QPrinter& printer) {
                printer.setPrintRange(QPrinter::PageRange);
                printer.setFromTo(1, 1);
            });
            click(view.printButton());
            EXPECT_EQ(hook.calls(), 1);
        }
        ASSERT_TRUE(havePoppler("pdfinfo"));
        pages = pdfPageCount(pdf);

        whenModal<FileCaseDialog>([&](FileCaseDialog& f) {
            click(f.nameBox());
            typeText(f.nameBox()->lineEdit(), QStringLiteral("Voller Fall"));
            click(f.okButton());
        });
        click(view.fileButton());
        click(view.backButton());
    });
    click(buttonNamed(main, "evaluateButton"));
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(pages, 1) << "only the first page of many";

    // The history reads back with all 3000 symptoms in their order.
    CaseHistory history(historyFileName(historyPath));
    ASSERT_TRUE(history.loadOk());
    ASSERT_EQ(history.caseCount(), 1u);
    ASSERT_EQ(history.cases().front()->treatments.size(), 1u);
    const std::vector<SymptomRef>& filed = history.cases().front()->treatments.front()->symptoms;
    ASSERT_EQ(filed.size(), static_cast<std::size_t>(kCaseRowCapacity));
    for (int i = 0; i < kCaseRowCapacity; ++i) {
        ASSERT_EQ(filed[static_cast<std::size_t>(i)],
                  (SymptomRef{numbers[static_cast<std::size_t>(i)], 0}))
            << "symptom " << i;
    }

    // Taken over into an emptied grid, the case comes back row by row.
    main.loadCase("", {});
    whenModal<HistoryDialog>([&](HistoryDialog& h) {
        QTreeWidget& t = *h.tree();
        ASSERT_EQ(t.topLevelItemCount(), 1);
        clickItem(t, t.indexFromItem(t.topLevelItem(0)));
        click(h.takeOverButton());
    });
    click(buttonNamed(main, "historyButton"));
    EXPECT_EQ(main.theCase().name(), "Voller Fall");
    EXPECT_EQ(main.theCase().count(), kCaseRowCapacity);
    EXPECT_EQ(gridNumbers(main.caseGrid()), numbers);
    main.done(QDialog::Rejected);
}
