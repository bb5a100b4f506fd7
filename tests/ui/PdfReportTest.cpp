// "Als PDF…" and what printing reports: the result view's report (front page
// with chart and rubrics, then the printed table), the file dialog and the
// safe writing, the messages without a printer and for failed jobs, and the
// bar chart's two series.
#include "ui/PrintTestSupport.h"

#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/MessageRecorder.h"
#include "support/QtFileBytes.h"
#include "ui/RankingChart.h"
#include "ui/ResultDialog.h"
#include "ui/ResultReport.h"
#include "ui/table/PaperTable.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessalyn;
using test_support::readBytes;
using namespace tessalyn::test;

namespace {

const QDate kDate(2026, 12, 6);

// Answers the save dialog with `answer` while it lives, recording what it offered.
class PdfPathAnswer {
public:
    explicit PdfPathAnswer(QString answer)
        : guard_(
              pdfPathHook().install([this, answer](const QString& title, const QString& offered) {
                  titles.append(title);
                  offered_.append(offered);
                  return answer;
              })) {}
    PdfPathAnswer(const PdfPathAnswer&) = delete;
    PdfPathAnswer& operator=(const PdfPathAnswer&) = delete;

    QStringList titles;
    QStringList offered_;

private:
    PdfPathHook::Guard guard_;
};

// A shown result view of a case with a fixed print date.
struct ShownResult {
    ShownResult(std::initializer_list<int> numbers, std::string name)
        : ShownResult(std::vector<int>(numbers), std::move(name)) {}
    ShownResult(const std::vector<int>& numbers, std::string name)
        : evaluated(builtInContent(), numbers, PolarityMode::None, std::move(name)) {
        dialog = std::make_unique<ResultDialog>(builtInContent(), evaluated.result, settings,
                                                std::nullopt, store, QString());
        dialog->setPrintDate(kDate);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        QApplication::processEvents();
    }

    EvaluatedCase evaluated;
    ProgramSettings settings;
    MemorySettingsStore store;
    std::unique_ptr<ResultDialog> dialog;
};

// The pages the table takes in a PDF as "Als PDF…" lays it out.
int tablePdfPages(const TableView& table) {
    return PaperTable(table).pageCount();
}

bool havePopplerTools() {
    return havePoppler("pdftotext") && havePoppler("pdfinfo") && havePoppler("pdfimages");
}

} // namespace

TEST(PdfReport, SuggestedNamesCarryTheEvaluationAndTheDate) {
    EXPECT_EQ(suggestedPdfFileName(QStringLiteral("Kopfschmerz Frau K."), kDate),
              QStringLiteral("Kopfschmerz Frau K. 06.12.2026.pdf"));
    EXPECT_EQ(suggestedPdfFileName(QString(), kDate), QStringLiteral("Auswertung 06.12.2026.pdf"));
    EXPECT_EQ(suggestedPdfFileName(QStringLiteral("  "), kDate),
              QStringLiteral("Auswertung 06.12.2026.pdf"));
    // A slash would name a folder.
    EXPECT_EQ(suggestedPdfFileName(QStringLiteral("Fall 1/2"), kDate),
              QStringLiteral("Fall 1-2 06.12.2026.pdf"));
}

TEST(PdfReport, TheDialogStartsInTheFolderLastUsedAndRemembersIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MemorySettingsStore store;
    {
        // At first, and with a folder that is gone: the current folder.
        PdfPathAnswer answer(dir.filePath(QStringLiteral("bericht")));
        EXPECT_EQ(askPdfPath(nullptr, QStringLiteral("A 06.12.2026.pdf"), store),
                  dir.filePath(QStringLiteral("bericht.pdf")))
            << "the suffix is added";
        store.writeString(settings::kSettingsSection, settings::kPdfDirectory, "/gibt/es/nicht");
        askPdfPath(nullptr, QStringLiteral("B.pdf"), store);
        ASSERT_EQ(answer.offered_.size(), 2);
        EXPECT_EQ(answer.titles.value(0), QStringLiteral("Als PDF speichern"));
        EXPECT_EQ(answer.offered_[0], QDir::current().filePath(QStringLiteral("A 06.12.2026.pdf")));
        EXPECT_EQ(answer.offered_[1], QDir::current().filePath(QStringLiteral("B.pdf")));
    }
    {
        PdfPathAnswer answer(dir.filePath(QStringLiteral("c.pdf")));
        store.writeString(settings::kSettingsSection, settings::kPdfDirectory,
                          fromQString(dir.path()));
        askPdfPath(nullptr, QStringLiteral("C.pdf"), store);
        EXPECT_EQ(answer.offered_.value(0), dir.filePath(QStringLiteral("C.pdf")));
    }
    // Cancelled: nothing chosen, the folder kept.
    PdfPathAnswer cancel{QString()};
    EXPECT_TRUE(askPdfPath(nullptr, QStringLiteral("D.pdf"), store).isEmpty());
    EXPECT_EQ(toQString(store.readString(settings::kSettingsSection, settings::kPdfDirectory, "")),
              dir.path());
}

TEST(PdfReport, ResultViewWritesTitleChartRubricsThenTheWholeTableForPaper) {
    ASSERT_TRUE(havePopplerTools());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ShownResult shown({1, 2, 3, 12, 16, 25}, "Kopfschmerz Frau K.");
    ResultDialog& d = *shown.dialog;
    shown.store.writeString(settings::kSettingsSection, settings::kPdfDirectory,
                            fromQString(dir.path()));
    // A weighted and eliminating rubric and one of weight 0; a wide window
    // that narrows the text columns to show many remedies.
    ASSERT_TRUE(d.setRowWeight(3, 2));
    ASSERT_TRUE(d.toggleRowEliminating(3));
    ASSERT_TRUE(d.setRowWeight(4, 0));
    d.resize(1400, d.height());
    d.table()->setColumnWidth(0, 120);
    d.table()->setColumnWidth(1, 60);
    QApplication::processEvents();
    const QString pdf = dir.filePath(QStringLiteral("bericht.pdf"));
    test_support::MessageRecorder messages;
    {
        PdfPathAnswer answer(pdf);
        QTest::mouseClick(d.pdfButton(), Qt::LeftButton);
        ASSERT_EQ(answer.offered_.size(), 1);
        EXPECT_EQ(answer.offered_[0],
                  dir.filePath(QStringLiteral("Kopfschmerz Frau K. 06.12.2026.pdf")));
    }
    EXPECT_TRUE(messages.texts().isEmpty()) << messages.texts().join(u'\n').toStdString();
    ASSERT_TRUE(QFile::exists(pdf));
    // The view is as before.
    const TableView& t = *d.table();
    EXPECT_EQ(t.cellText(0, 0), "");
    EXPECT_EQ(t.columnWidth(0), 120);

    const QString front = pdfPageText(pdf, 1);
    EXPECT_TRUE(front.contains(QStringLiteral("Kopfschmerz Frau K.")));
    EXPECT_TRUE(front.contains(QStringLiteral("06.12.2026")));
    // The ranking: the first remedies in the table's order, each value once
    // above its two bars (the stand-in content grades every remedy 1).
    QStringList names;
    QStringList hits;
    for (int c = 2; c < std::min(t.columnCount(), 2 + 8); ++c) {
        names.append(t.cellQText(0, c));
        hits.append(t.cellQText(1, c));
    }
    const QStringList frontWords = pdfPageWords(pdf, 1);
    qsizetype from = 0;
    for (const QString& name : names) {
        const qsizetype at = frontWords.indexOf(name, from);
        ASSERT_GE(at, 0) << name.toStdString() << " in order";
        from = at + 1;
    }
    EXPECT_TRUE(front.simplified().contains(hits.join(u' '))) << front.toStdString();
    // Drawn, not a picture: page 1 holds no image.
    const QString images =
        runTool(QStringLiteral("pdfimages"),
                {QStringLiteral("-list"), QStringLiteral("-f"), QStringLiteral("1"),
                 QStringLiteral("-l"), QStringLiteral("1"), pdf});
    EXPECT_EQ(images.trimmed().split(u'\n').size(), 2) << images.toStdString(); // the header

    const std::vector<PdfWord> words = pdfWords(pdf);
    const int pages = pdfPageCount(pdf);
    ASSERT_EQ(pages, 1 + tablePdfPages(t));
    const QStringList anzahl{QStringLiteral("Anzahl"), QStringLiteral("der"),
                             QStringLiteral("Treffer")};
    struct Row {
        QStringList text;
        QStringList marks;
    };
    std::vector<Row> rows;
    for (int r = 2; r < t.rowCount(); ++r) {
        rows.push_back(Row{t.cellQText(r, 0).split(u' ', Qt::SkipEmptyParts),
                           toQString(t.logic().cellMarks(r, 0)).split(u' ', Qt::SkipEmptyParts)});
    }
    ASSERT_EQ(rows[1].marks, (QStringList{QStringLiteral("\u00D7"
                                                         "2"),
                                          QStringLiteral("[E]")}));
    ASSERT_EQ(rows[2].marks, QStringList{QStringLiteral("\u00D7"
                                                        "0")});
    // The marks stand on the line of their rubric, right beside the words of
    // its text (or its number in the list).
    const auto marksBesideRubric = [](const std::vector<PdfWord>& page, const Row& row) {
        for (std::size_t i = 0; i < page.size(); ++i) {
            if (page[i].text != row.marks[0]) {
                continue;
            }
            const PdfWord& marks = page[i];
            const PdfWord* left = nullptr;
            const PdfWord* right = nullptr;
            for (const PdfWord& w : page) {
                if (std::abs(w.centreY() - marks.centreY()) > 1 || &w == &marks ||
                    row.marks.contains(w.text)) {
                    continue;
                }
                if (w.box.right() <= marks.box.left() &&
                    (left == nullptr || w.box.right() > left->box.right())) {
                    left = &w;
                }
                if (w.box.left() >= marks.box.right() &&
                    (right == nullptr || w.box.left() < right->box.left())) {
                    right = &w;
                }
            }
            if ((left != nullptr && row.text.contains(left->text)) ||
                (right != nullptr && row.text.contains(right->text))) {
                return true;
            }
        }
        return false;
    };
    QStringList remediesFound;
    int tablePages = 0;
    for (int p = 1; p <= pages; ++p) {
        const std::vector<PdfWord> page = wordsOfPage(words, p);
        // Every page: the name and the date above, its number below.
        EXPECT_TRUE(holdsTogether(
            page, {QStringLiteral("Kopfschmerz"), QStringLiteral("Frau"), QStringLiteral("K.")}))
            << "page " << p;
        EXPECT_TRUE(holdsInOrder(page, {QStringLiteral("06.12.2026")})) << "page " << p;
        EXPECT_TRUE(holdsTogether(page, {QStringLiteral("Seite"), QString::number(p),
                                         QStringLiteral("von"), QString::number(pages)}))
            << "page " << p;
        for (const Row& row : rows) {
            if (!row.marks.isEmpty()) {
                EXPECT_TRUE(marksBesideRubric(page, row))
                    << "page " << p << ": " << row.text.join(u' ').toStdString();
            }
        }
        if (!holdsTogether(page, anzahl)) {
            continue;
        }
        // A table page: every rubric text in full, the header rows above.
        ++tablePages;
        for (const Row& row : rows) {
            EXPECT_TRUE(holdsInOrder(page, row.text))
                << "page " << p << ": " << row.text.join(u' ').toStdString();
        }
        for (const PdfWord& w : page) {
            remediesFound.append(w.text);
        }
    }
    EXPECT_GE(tablePages, 2) << "the remedy columns continue on further pages";
    for (int c = 2; c < t.columnCount(); ++c) {
        EXPECT_TRUE(remediesFound.contains(t.cellQText(0, c))) << t.cellText(0, c);
    }
    // Text of at least 8 points, none drawn over other text, no ligature.
    // The remedies' names stand upright above their columns and in the chart.
    QStringList upright;
    for (int c = 2; c < t.columnCount(); ++c) {
        upright.append(t.cellQText(0, c));
    }
    double smallest = 1000;
    for (const PdfWord& w : words) {
        smallest = std::min(smallest, w.letterHeight(upright.contains(w.text)));
        EXPECT_FALSE(w.text.contains(QRegularExpression(QStringLiteral("[\uFB00-\uFB06]"))))
            << "page " << w.page << ": " << w.text.toStdString();
    }
    EXPECT_GE(smallest, 8.0);
    EXPECT_EQ(overlappingWords(words), QString());
}

TEST(PdfReport, ALongCaseContinuesTheRubricListAndKeepsEveryTablePage) {
    ASSERT_TRUE(havePopplerTools());
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::initializer_list<int> many = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
                                       16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30,
                                       31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45,
                                       46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60,
                                       61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72};
    ShownResult shown(many, "");
    const QString pdf = dir.filePath(QStringLiteral("lang.pdf"));
    PdfPathAnswer answer(pdf);
    test_support::MessageRecorder messages;
    ASSERT_TRUE(shown.dialog->saveAsPdf());
    EXPECT_EQ(answer.offered_.value(0).section(u'/', -1),
              QStringLiteral("Auswertung 06.12.2026.pdf"));
    const int tablePages = tablePdfPages(*shown.dialog->table());
    const int pages = pdfPageCount(pdf);
    EXPECT_GT(pages, 1 + tablePages) << "the list went on to a second page";
    // The last rubric closes the list before the table's first page.
    const QString lastRubric =
        shown.dialog->table()->cellQText(shown.dialog->table()->rowCount() - 1, 0);
    const QString listEnd = pdfPageText(pdf, pages - tablePages).simplified();
    EXPECT_TRUE(listEnd.contains(QStringLiteral("72. ") + lastRubric)) << listEnd.toStdString();
    EXPECT_TRUE(
        pdfPageText(pdf, pages - tablePages + 1).contains(QStringLiteral("Anzahl der Treffer")));
}

TEST(PdfReport, AFailedWriteKeepsTheOldFileAndNamesIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ShownResult shown({1, 2, 3}, "Fall A");
    const QString pdf = dir.filePath(QStringLiteral("alt.pdf"));
    {
        QFile old(pdf);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("alter Inhalt");
    }
    // A page the document refuses: nothing replaces the old file.
    {
        PdfPathAnswer answer(pdf);
        test_support::MessageRecorder messages;
        {
            const auto refused = printPageHook().install([](int) { return false; });
            EXPECT_FALSE(shown.dialog->saveAsPdf());
        }
        ASSERT_EQ(messages.messages().size(), 1);
        EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Error);
        EXPECT_TRUE(messages.texts()[0].startsWith(
            QStringLiteral("Die PDF-Datei konnte nicht gespeichert werden: ") + pdf));
        EXPECT_EQ(readBytes(pdf), QByteArray("alter Inhalt"));
    }
    // A name that is taken by a folder: the rename fails, the folder stays,
    // no temporary file is left behind.
    const QString folder = dir.filePath(QStringLiteral("ordner.pdf"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/inhalt")));
    {
        PdfPathAnswer answer(folder);
        test_support::MessageRecorder messages;
        EXPECT_FALSE(shown.dialog->saveAsPdf());
        ASSERT_EQ(messages.texts().size(), 1);
        EXPECT_TRUE(messages.texts()[0].contains(folder));
    }
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("/inhalt")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{QStringLiteral("alt.pdf")}));
    // Cancelled: nothing happens, nothing is said.
    PdfPathAnswer cancel{QString()};
    test_support::MessageRecorder messages;
    EXPECT_FALSE(shown.dialog->saveAsPdf());
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(shown.dialog->table()->cellText(0, 0), "");
}

TEST(PdfReport, APdfGoesOnlyIntoAFileOtherUsersCannotOpen) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ShownResult shown({1, 2, 3}, "Fall A");
    const auto statOf = [](const QString& path) {
        struct stat st {};
        ::stat(QFile::encodeName(path).constData(), &st);
        return st;
    };
    const auto makeFile = [](const QString& path, mode_t mode) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("alt");
        file.close();
        ::chmod(QFile::encodeName(path).constData(), mode);
    };
    // Another user's file open to all: refused, untouched.
    if (::geteuid() == 0) {
        const QString foreign = dir.filePath(QStringLiteral("fremd.pdf"));
        makeFile(foreign, 0666);
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        PdfPathAnswer answer(foreign);
        test_support::MessageRecorder messages;
        EXPECT_FALSE(shown.dialog->saveAsPdf());
        ASSERT_EQ(messages.messages().size(), 1);
        EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Error);
        EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("chmod o-rwx ") + foreign))
            << messages.texts()[0].toStdString();
        EXPECT_EQ(readBytes(foreign), QByteArray("alt"));
        EXPECT_EQ(statOf(foreign).st_mode & 07777, 0666u);
    }
    // The user's own file open to others: written without their rights, and
    // the user is told.
    const QString own = dir.filePath(QStringLiteral("eigen.pdf"));
    makeFile(own, 0664);
    PdfPathAnswer answer(own);
    test_support::MessageRecorder messages;
    EXPECT_TRUE(shown.dialog->saveAsPdf());
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Warning);
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("(jetzt 660)")))
        << messages.texts()[0].toStdString();
    EXPECT_TRUE(readBytes(own).startsWith("%PDF"));
    EXPECT_EQ(statOf(own).st_mode & 07777, 0660u);
}

TEST(PdfReport, TheReasonOfAFailedWriteReadsInProperGerman) {
    // A disk that takes no new file, under a name with umlauts.
    class ReadOnlyDisk : public SystemFileLayer {
    public:
        int createTemporary(const std::string&, std::string& temporaryPath) override {
            temporaryPath.clear();
            fail(EROFS);
            return -1;
        }
    } disk;
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString pdf = dir.filePath(QStringLiteral("Bericht für Müller.pdf"));
    test_support::MessageRecorder messages;
    EXPECT_FALSE(writePdfFile(
        pdf, QStringLiteral("T"), [](QPdfWriter&, QPainter&, QString&) { return true; }, nullptr,
        disk));
    ASSERT_EQ(messages.texts().size(), 1);
    const QString text = messages.texts()[0];
    EXPECT_TRUE(text.endsWith(QStringLiteral("der Datenträger ist schreibgeschützt")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Bericht für Müller.pdf"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QChar(QChar::ReplacementCharacter))) << text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

// --- printing messages ------------------------------------------------------------------

TEST(PrintMessages, WithoutAPrinterDruckenExplainsItselfInsteadOfTheDialog) {
    ShownResult shown({1, 2}, "Fall A");
    test_support::MessageRecorder messages;
    int dialogs = 0;
    std::string cellDuringMessage = "unset";
    {
        const auto dialog = printDialogHook().install([&](QPrinter&) {
            ++dialogs;
            return false;
        });
        const auto noPrinters = printerListHook().install([] { return QStringList(); });
        // While the message shows, the view's top-left cell is still empty.
        messages.setWatcher([&](const test_support::MessageRecorder::Message&) {
            cellDuringMessage = shown.dialog->table()->cellText(0, 0);
        });
        EXPECT_FALSE(shown.dialog->printResult());
    }
    EXPECT_EQ(cellDuringMessage, "");
    EXPECT_EQ(dialogs, 0);
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Information);
    EXPECT_EQ(messages.texts()[0],
              QStringLiteral("Es ist kein Drucker eingerichtet. Mit „Als PDF…“ lässt sich die "
                             "Tabelle als PDF-Datei speichern."));
    EXPECT_EQ(shown.dialog->table()->cellText(0, 0), "");
}

TEST(PrintMessages, AFailedJobIsReportedAndACancelledOneIsNot) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ShownResult shown({1, 2, 3}, "Fall A");
    test_support::MessageRecorder messages;
    const auto onePrinter =
        printerListHook().install([] { return QStringList{QStringLiteral("Praxisdrucker")}; });
    {
        // The job cannot start: the printer's file lies in a missing folder.
        PdfDialogHook hook(dir.filePath(QStringLiteral("fehlt/druck.pdf")));
        EXPECT_FALSE(shown.dialog->printResult());
    }
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Error);
    EXPECT_EQ(messages.texts()[0], QStringLiteral("Der Druck ist fehlgeschlagen. Der Drucker ließ "
                                                  "sich nicht ansprechen."));
    messages.clear();
    {
        // A refused page.
        PdfDialogHook hook(dir.filePath(QStringLiteral("druck.pdf")));
        const auto refused = printPageHook().install([](int page) { return page < 2; });
        std::vector<int> numbers(150);
        std::iota(numbers.begin(), numbers.end(), 1);
        ShownResult tall(numbers, "Fall B");
        // Narrow: fewer columns printed make a shorter page.
        tall.dialog->resize(tall.dialog->minimumSize());
        QApplication::processEvents();
        QPrinter probe(QPrinter::HighResolution);
        makePdfPrinter(probe, dir.filePath(QStringLiteral("probe.pdf")));
        ASSERT_GE(PageMapping::of(*tall.dialog->table(), probe).layout.pageCount(), 2);
        EXPECT_FALSE(tall.dialog->printResult());
    }
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("Seite 2 nicht angenommen")))
        << messages.texts()[0].toStdString();
    messages.clear();
    {
        PdfDialogHook cancelled(dir.filePath(QStringLiteral("nie.pdf")), false);
        EXPECT_FALSE(shown.dialog->printResult());
        PdfDialogHook printed(dir.filePath(QStringLiteral("gut.pdf")));
        EXPECT_TRUE(shown.dialog->printResult());
    }
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST(ResultPrintout, DruckenPrintsTheRubricTextsWholeWithTheirMarksBeside) {
    ASSERT_TRUE(havePoppler("pdftotext"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ShownResult shown({1, 2, 3, 12, 16, 25}, "Fall A");
    ResultDialog& d = *shown.dialog;
    ASSERT_TRUE(d.setRowWeight(3, 2));
    ASSERT_TRUE(d.toggleRowEliminating(3));
    // The window narrows the text columns far below their texts.
    TableView& t = *d.table();
    t.setColumnWidth(0, 120);
    t.setColumnWidth(1, 60);
    QApplication::processEvents();
    const QString pdf = dir.filePath(QStringLiteral("druck.pdf"));
    PageMapping mapping;
    {
        PdfDialogHook hook(pdf, true,
                           [&](QPrinter& printer) { mapping = PageMapping::of(t, printer); });
        ASSERT_TRUE(d.printResult());
    }
    EXPECT_EQ(t.columnWidth(0), 120) << "the window keeps its widths";
    const std::vector<PdfWord> words = pdfWords(pdf);
    const std::vector<PdfWord> page = wordsOfPage(words, 1);
    for (int r = 2; r < t.rowCount(); ++r) {
        const QStringList text = t.cellQText(r, 0).split(u' ', Qt::SkipEmptyParts);
        EXPECT_TRUE(holdsInOrder(page, text)) << text.join(u' ').toStdString();
    }
    // The marks on the line of their rubric, after its last word.
    const QString last = t.cellQText(3, 0).section(u' ', -1);
    const auto at = std::find_if(page.begin(), page.end(), [](const PdfWord& w) {
        return w.text == QStringLiteral("\u00D7"
                                        "2");
    });
    const auto end =
        std::find_if(page.begin(), page.end(), [&](const PdfWord& w) { return w.text == last; });
    ASSERT_NE(at, page.end());
    ASSERT_NE(end, page.end());
    EXPECT_NEAR(at->centreY(), end->centreY(), 1.0);
    EXPECT_GT(at->box.left(), end->box.right());
    // Nothing cut: every word that begins in the rubric column ends in it.
    const double left = mapping.toImage(0, 0, 72).x();
    const double right = mapping.toImage(mapping.columnWidth(0), 0, 72).x();
    for (const PdfWord& w : page) {
        if (w.box.left() >= left && w.box.left() < right) {
            EXPECT_LE(w.box.right(), right + 1.0) << w.text.toStdString();
        }
    }
}

// --- the bar chart -----------------------------------------------------------------------

namespace {

// Pixels of `colour` in column x of `image`.
int colouredHeight(const QImage& image, int x, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        n += image.pixelColor(x, y) == colour ? 1 : 0;
    }
    return n;
}

} // namespace

TEST(RankingChart, HitsAndGradeSumsShareOneScaleSoGradesShow) {
    RankingChart chart;
    chart.resize(400, 200);
    chart.setBars({RankingBar{QStringLiteral("Acon."), 4, 12, 2},
                   RankingBar{QStringLiteral("Bell."), 4, 4, 3}});
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    const QImage image = chart.viewport()->grab().toImage();
    const int slot = chart.slotWidth();
    auto tallest = [&](int bar, const QColor& colour) {
        int best = 0;
        for (int x = 4 + bar * slot; x < 4 + (bar + 1) * slot && x < image.width(); ++x) {
            best = std::max(best, colouredHeight(image, x, colour));
        }
        return best;
    };
    const int hitsA = tallest(0, RankingChart::hitsColour());
    const int sumA = tallest(0, RankingChart::gradeSumColour());
    const int hitsB = tallest(1, RankingChart::hitsColour());
    const int sumB = tallest(1, RankingChart::gradeSumColour());
    ASSERT_GT(hitsA, 0);
    // Grade sum 12 against 4 hits: three times as long; equal values, equal bars.
    EXPECT_NEAR(static_cast<double>(sumA) / hitsA, 3.0, 0.2);
    EXPECT_EQ(hitsA, hitsB);
    EXPECT_EQ(sumB, hitsB);
}

TEST(RankingChart, LabelsNeverOverlapNarrowWindowsShowFewerBars) {
    std::vector<RankingBar> bars;
    for (int i = 0; i < 30; ++i) {
        bars.push_back(RankingBar{QStringLiteral("Calc-sil.%1").arg(i), 100 + i, 1000 + i, i + 2});
    }
    RankingChart chart;
    chart.setBars(bars);
    const QFontMetrics fm(chart.font());
    // Every slot holds its label and both values side by side.
    EXPECT_GE(chart.slotWidth(), widestRankingLabel(bars, fm) + 2);
    EXPECT_GE(chart.slotWidth(), 2 * fm.horizontalAdvance(QStringLiteral("1029")));
    chart.resize(1200, 200);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    const int wide = chart.visibleBarCount();
    chart.resize(300, 200);
    QApplication::processEvents();
    EXPECT_LT(chart.visibleBarCount(), wide);
    EXPECT_GE(chart.visibleBarCount(), 1);
    // Three slots of 78 pixels fit into the 298 of the viewport less its margin.
    EXPECT_EQ(chart.viewport()->width(), 298);
    EXPECT_EQ(chart.slotWidth(), 78);
    EXPECT_EQ(chart.visibleBarCount(), 3);
}

TEST(RankingChart, ThePdfChartTurnsItsLabelsUprightWhenTheyDoNotFit) {
    std::vector<RankingBar> bars;
    for (int i = 0; i < 20; ++i) {
        bars.push_back(RankingBar{QStringLiteral("Calc-sil."), 5, 9, i + 2});
    }
    QImage narrow(400, 300, QImage::Format_RGB32);
    narrow.fill(Qt::white);
    QPainter painter(&narrow);
    RankingBarsFrame frame;
    frame.area = QRect(0, 0, 400, 300);
    frame.slotWidth = 20;
    frame.uprightLabels = true;
    frame.textColour = Qt::black;
    frame.axisColour = Qt::gray;
    paintRankingBars(painter, bars, frame);
    painter.end();
    // Upright labels stand below the axis, each within its own slot: the
    // gaps between slots stay white under the bars.
    const int labelsTop = 300 - widestRankingLabel(bars, QFontMetrics(painter.font())) / 2;
    int inked = 0;
    for (int i = 0; i < 20; ++i) {
        const int gapX = i * 20; // the left edge of slot i
        for (int y = labelsTop; y < 300; ++y) {
            inked += narrow.pixelColor(gapX, y) != QColor(Qt::white) ? 1 : 0;
        }
    }
    EXPECT_EQ(inked, 0);
}

TEST(RankingChart, ValueLabelsNeverRunTogether) {
    ASSERT_TRUE(havePoppler("pdftotext"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // As the report draws its chart: 20 slots across the page, values of
    // four digits, equal and unequal, and small ones.
    const std::vector<RankingBar> bars = {
        RankingBar{QStringLiteral("Sulph."), 1559, 1559, 2},
        RankingBar{QStringLiteral("Calc."), 1488, 2976, 3},
        RankingBar{QStringLiteral("Lyc."), 12, 15, 4},
    };
    const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    {
        QPdfWriter writer(pdf);
        setUpPdfWriter(writer, QString());
        QPainter painter(&writer);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(kPdfResolution * 8 / 72);
        painter.setFont(font);
        RankingBarsFrame frame;
        frame.area = QRect(0, 0, writer.width(), writer.height() / 3);
        frame.slotWidth = writer.width() / kReportChartBars;
        frame.uprightLabels = true;
        frame.textColour = Qt::black;
        frame.axisColour = Qt::gray;
        paintRankingBars(painter, bars, frame);
    }
    const std::vector<PdfWord> words = pdfWords(pdf);
    QStringList texts;
    for (const PdfWord& w : words) {
        texts.append(w.text);
    }
    // Equal values: one label for both bars; otherwise each value once.
    EXPECT_EQ(texts.count(QStringLiteral("1559")), 1) << texts.join(u' ').toStdString();
    for (const char* value : {"1488", "2976", "12", "15"}) {
        EXPECT_EQ(texts.count(QString::fromLatin1(value)), 1)
            << value << " in " << texts.join(u' ').toStdString();
    }
    EXPECT_EQ(overlappingWords(words), QString());
}
