// "Fall ablegen" and "Fallhistorie": filing, the tree, taking a treatment
// back, deleting, sorting, export and import, failing saves, and a second
// program instance writing to the same file meanwhile.
#include "ui/history/FileCaseDialog.h"
#include "ui/history/FileCaseInHistory.h"
#include "ui/history/HistoryDialog.h"

#include "history/CaseHistory.h"
#include "history/HistoryBackup.h"
#include "history/HistoryTransaction.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/AskedOnce.h"
#include "support/ConfirmAnswer.h"
#include "support/HistoryFixtures.h"
#include "support/MessageRecorder.h"
#include "support/QtFileBytes.h"
#include "support/SeamGuard.h"
#include "ui/MainDialog.h"
#include "ui/UserDriving.h"
#include "ui/history/HistoryFiles.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

using namespace tessalyn;
using test_support::caseEntries;
using test_support::readBytes;
using test_support::RefusingLayer;

// Readable failure output for the Qt texts compared below.
static void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

// The tree as text: case names, treatment labels indented by a blank.
QStringList treeLines(const HistoryDialog& d) {
    QStringList lines;
    for (int i = 0; i < d.tree()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* c = d.tree()->topLevelItem(i);
        lines << c->text(0);
        for (int j = 0; j < c->childCount(); ++j) {
            lines << QStringLiteral(" ") + c->child(j)->text(0);
        }
    }
    return lines;
}

// The cases of a history file as the tree would list them.
QStringList fileLines(const QString& path) {
    CaseHistory h(historyFileName(path));
    QStringList lines;
    for (const auto& c : h.cases()) {
        lines << toQString(c->name);
        for (const auto& t : c->treatments) {
            QString symptoms;
            for (const SymptomRef& s : t->symptoms) {
                symptoms += QStringLiteral(" %1/%2").arg(s.number).arg(s.bd);
            }
            lines << QStringLiteral(" ") + toQString(treatmentLabel(*t)) + symptoms;
        }
    }
    return lines;
}

class HistoryDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("historie.xml"));
    }

    // Files a treatment with a fixed date, as another program could have.
    void fileDated(const std::string& name, const std::string& comment, std::vector<CaseEntry> list,
                   const std::string& date) {
        const HistoryChangeResult r = changeHistoryFile(
            historyFileName(path),
            [&](CaseHistory& h, bool) {
                h.fileCase(name, comment, std::span<const CaseEntry>(list), date);
                return true;
            },
            HistoryChangeOptions(BrokenHistoryPolicy::Refuse));
        ASSERT_TRUE(r.saved());
    }

    // Three cases: Anna (two treatments), Bernd, Carla, filed in that order
    // with dates that make the date order Carla, Anna, Bernd.
    void fileThreeCases() {
        fileDated("Anna", "erste Sitzung", caseEntries({{12, 0}, {-40, 1}}), "06.12.2025 16:05");
        fileDated("Bernd", "", caseEntries({{7, 0}}), "01.03.2025 09:00");
        fileDated("Carla", "Kopfschmerz\r\nseit Mai", caseEntries({{3, 0}}), "02.02.2026 11:30");
        fileDated("anna", "zweite Sitzung", caseEntries({{5, 0}}), "10.01.2026 08:15");
    }

    HistoryDialogContext context(bool ask = false) {
        HistoryDialogContext c;
        c.historyPath = path;
        c.store = &store;
        c.askBeforeDelete = ask;
        return c;
    }

    static void select(HistoryDialog& d, int caseIndex, int treatmentIndex = -1) {
        QTreeWidgetItem* item = d.tree()->topLevelItem(caseIndex);
        ASSERT_NE(item, nullptr);
        if (treatmentIndex >= 0) {
            item->setExpanded(true);
            item = item->child(treatmentIndex);
            ASSERT_NE(item, nullptr);
        }
        d.tree()->setCurrentItem(item);
    }

    QTemporaryDir dir;
    QString path;
    MemorySettingsStore store;
    test_support::MessageRecorder messages;
    // What the program files carries this date, newer than every fixed one.
    const test::FilingDate filingDate{"07.12.2026 10:00"};
};

} // namespace

TEST_F(HistoryDialogsTest, FileCaseDialogListsNamesSortedAndHandsBackNameAndComment) {
    fileDated("meier", "", caseEntries({{1, 0}}), "01.01.2026 10:00");
    fileDated("Albers", "", caseEntries({{1, 0}}), "01.01.2026 10:00");
    fileDated("\xD6zdemir", "", caseEntries({{1, 0}}), "01.01.2026 10:00");
    fileDated("Zander", "", caseEntries({{1, 0}}), "01.01.2026 10:00");

    FileCaseDialog d(path, "Kopfschmerz M\xFCller", store);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Fall ablegen"));
    QStringList names;
    for (int i = 0; i < d.nameBox()->count(); ++i) {
        names << d.nameBox()->itemText(i);
    }
    EXPECT_EQ(names, QStringList({"Albers", "meier", "Özdemir", "Zander"}));
    EXPECT_EQ(d.nameBox()->currentText(), QStringLiteral("Kopfschmerz Müller"));
    EXPECT_TRUE(d.okButton()->isDefault());
    d.commentBox()->setPlainText(
        QStringLiteral("Kopfschmerz seit Mai,\nbesser an der frischen Luft"));
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.commentBox()->clear();

    // "Zurück": nothing handed back, no placement stored.
    {
        const test_support::AskedOnce back(FileCaseDialog::testHook(),
                                           [](FileCaseDialog&) { return QDialog::Rejected; });
        EXPECT_EQ(d.exec(), QDialog::Rejected);
    }
    EXPECT_TRUE(d.caseName().empty());
    EXPECT_FALSE(store.contains(settings::kPlacementFileCase, settings::kPlacementLeft));

    // OK after picking a name and typing a comment of two lines.
    {
        const test_support::AskedOnce ok(FileCaseDialog::testHook(), [](FileCaseDialog& dialog) {
            dialog.nameBox()->setCurrentIndex(1);
            dialog.commentBox()->setPlainText(QStringLiteral("Schwindel\nbesser drau\u00dfen"));
            return QDialog::Accepted;
        });
        EXPECT_EQ(d.exec(), QDialog::Accepted);
    }
    EXPECT_EQ(d.caseName(), "meier");
    EXPECT_EQ(d.comment(), "Schwindel\r\nbesser drau\xDF"
                           "en");
    EXPECT_TRUE(store.contains(settings::kPlacementFileCase, settings::kPlacementLeft));
    EXPECT_TRUE(messages.texts().isEmpty());

    // Blanks around the name are not part of it; a control character is
    // refused with a message and nothing is handed back.
    const auto typeName = [&](const QString& name) {
        const test_support::AskedOnce ok(FileCaseDialog::testHook(),
                                         [name](FileCaseDialog& dialog) {
                                             dialog.nameBox()->setEditText(name);
                                             return QDialog::Accepted;
                                         });
        d.exec();
    };
    typeName(QStringLiteral("  Neu\u00a0 "));
    EXPECT_EQ(d.caseName(), "Neu");
    EXPECT_TRUE(messages.texts().isEmpty());
    typeName(QStringLiteral("Alt\u001b[2J"));
    EXPECT_EQ(d.caseName(), "Neu");
    EXPECT_EQ(messages.texts(),
              QStringList{"Ein Fallname darf keine Zeilenumbrüche oder Steuerzeichen enthalten."});
}

TEST_F(HistoryDialogsTest, EnterInTheNameBoxClosesWithTheTypedNameWithoutAddingIt) {
    FileCaseDialog d(path, "", store);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    d.nameBox()->setFocus();
    QTest::keyClicks(d.nameBox(), QStringLiteral("Neu"));
    QTest::keyClick(d.nameBox(), Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.caseName(), "Neu");
    EXPECT_EQ(d.nameBox()->count(), 0);
}

TEST_F(HistoryDialogsTest, FilingTwiceInAnyLetterCaseAndWithAnEmptyName) {
    const auto a = caseEntries({{12, 0}, {-40, 1}});
    auto b = caseEntries({{5, 0}, {6, 0}});
    b[1].autoAdded = true; // added by the evaluation: not filed
    ASSERT_TRUE(fileCaseInHistory(path, "Kopfschmerz", "eins", a, nullptr));
    ASSERT_TRUE(fileCaseInHistory(path, "KOPFSCHMERZ", "zwei", b, nullptr));
    const test::FilingDate later("07.12.2026 10:05");
    ASSERT_TRUE(fileCaseInHistory(path, "", "", a, nullptr));

    HistoryDialog d(context());
    ASSERT_EQ(d.tree()->topLevelItemCount(), 2);
    // The empty name was filed last: the date order puts it first.
    const int k = 1;
    EXPECT_EQ(d.tree()->topLevelItem(0)->text(0), QString());
    const QTreeWidgetItem* first = d.tree()->topLevelItem(k);
    EXPECT_EQ(first->text(0), QStringLiteral("Kopfschmerz"));
    ASSERT_EQ(first->childCount(), 2);
    EXPECT_TRUE(first->child(0)->text(0).endsWith(QStringLiteral(" (eins)")));
    EXPECT_TRUE(first->child(1)->text(0).endsWith(QStringLiteral(" (zwei)")));
    EXPECT_FALSE(first->isExpanded());
    EXPECT_EQ(d.treatmentOf(first->child(1))->symptoms.size(), 1u);
    EXPECT_EQ(d.tree()->topLevelItem(1 - k)->text(0), QString());
    EXPECT_EQ(d.caseOf(d.tree()->topLevelItem(1 - k)),
              d.history().cases()[static_cast<std::size_t>(1 - k)].get());
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(HistoryDialogsTest, TakeOverATreatmentACaseOrNothing) {
    fileThreeCases();
    {
        HistoryDialog d(context());
        d.show();
        d.takeOver(); // no selection: stays open
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.resultSymptomCount(), 0);

        select(d, 0, 0);
        d.takeOver();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.resultName(), "Carla");
        ASSERT_EQ(d.resultSymptomCount(), 1);
        EXPECT_EQ(d.resultSymptomNumber(0), 3);
    }
    {
        // A case node takes its first filed treatment, not its newest.
        HistoryDialog d(context());
        select(d, 1);
        d.takeOver();
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.resultName(), "Anna");
        ASSERT_EQ(d.resultSymptomCount(), 2);
        EXPECT_EQ(d.resultSymptomNumber(1), -40);
        EXPECT_EQ(d.resultSymptomBd(1), 1);
    }
    {
        // A double click on a treatment does the same.
        HistoryDialog d(context());
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        select(d, 1, 1);
        // The opened case lays out its children.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return d.tree()->visualItemRect(d.tree()->currentItem()).isValid(); }));
        const QRect r = d.tree()->visualItemRect(d.tree()->currentItem());
        QTest::mouseClick(d.tree()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(d.tree()->viewport(), Qt::LeftButton, {}, r.center());
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.resultSymptomNumber(0), 5);
    }
    // A case without treatments (Bernd, now listed last): OK with an empty
    // name and no symptoms.
    CaseHistory h(historyFileName(path));
    h.removeTreatment(*h.cases()[1], h.cases()[1]->treatments[0].get());
    ASSERT_TRUE(h.save());
    HistoryDialog d(context());
    select(d, 2);
    d.takeOver();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.resultName(), "");
    EXPECT_EQ(d.resultSymptomCount(), 0);
}

TEST_F(HistoryDialogsTest, DeleteAsksWhenSetAndNeinLeavesTreeAndFileUnchanged) {
    fileThreeCases();
    const QByteArray before = readBytes(path);
    HistoryDialog d(context(true));
    const QStringList treeBefore = treeLines(d);
    {
        test_support::ConfirmAnswer no(false);
        select(d, 0, 0);
        d.deleteSelected();
        select(d, 2);
        d.deleteSelected();
        // The comment's line break is shown as a blank.
        EXPECT_EQ(no.questions(),
                  QStringList({"Wollen Sie den Eintrag 02.02.2026 11:30 (Kopfschmerz seit Mai) "
                               "wirklich löschen?",
                               "Wollen Sie den Fall Bernd wirklich löschen?"}));
        EXPECT_EQ(no.defaults(), QList({ConfirmDefault::No, ConfirmDefault::No}));
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(treeLines(d), treeBefore);

    test_support::ConfirmAnswer yes(true);
    select(d, 1, 0);
    d.deleteSelected();
    EXPECT_EQ(yes.questions().size(), 1);
    // The case stays, the next treatment is selected.
    EXPECT_EQ(d.tree()->topLevelItem(1)->childCount(), 1);
    EXPECT_TRUE(d.tree()->topLevelItem(1)->isExpanded());
    EXPECT_EQ(d.treatmentOf(d.tree()->currentItem())->comment, "zweite Sitzung");
    EXPECT_EQ(fileLines(path), QStringList({"Carla", " 02.02.2026 11:30 (Kopfschmerz seit Mai) 3/0",
                                            "Anna", " 10.01.2026 08:15 (zweite Sitzung) 5/0",
                                            "Bernd", " 01.03.2025 09:00 () 7/0"}));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(HistoryDialogsTest, DeleteWithoutQuestionAndSortThenDeleteWritesTheShownOrder) {
    fileThreeCases();
    store.writeInt(settings::kApplication, settings::kHistorySortOrder, 1);
    HistoryDialog d(context(false));
    test_support::ConfirmAnswer never(false);
    EXPECT_EQ(d.sortButton()->iconName(), QStringLiteral("sortieren-datum"));

    // By name, then back: "Sortierung" has its old value again.
    d.toggleSort();
    EXPECT_FALSE(d.orderByDate());
    EXPECT_EQ(d.sortButton()->iconName(), QStringLiteral("sortieren-name"));
    EXPECT_EQ(store.readInt("", settings::kHistorySortOrder, -1), 0);
    d.toggleSort();
    EXPECT_EQ(store.readInt("", settings::kHistorySortOrder, -1), 1);
    // By date of the last treatment, newest first: Carla, Anna, Bernd.
    EXPECT_EQ(d.tree()->topLevelItem(0)->text(0), QStringLiteral("Carla"));
    EXPECT_EQ(d.tree()->topLevelItem(2)->text(0), QStringLiteral("Bernd"));
    const QByteArray unsorted = readBytes(path);

    select(d, 2);
    d.deleteSelected();
    EXPECT_TRUE(never.questions().isEmpty());
    EXPECT_NE(readBytes(path), unsorted);
    const QStringList cases = fileLines(path).filter(QRegularExpression(QStringLiteral("^\\S")));
    EXPECT_EQ(cases, QStringList({"Carla", "Anna"}));
    // The case after the deleted last one is gone: the one before is selected.
    EXPECT_EQ(d.caseOf(d.tree()->currentItem())->name, "Anna");
}

TEST_F(HistoryDialogsTest, NameOrderAtOpeningShowsItsIconsFromTheStart) {
    fileThreeCases();
    store.writeInt(settings::kApplication, settings::kHistorySortOrder, 0);
    HistoryDialog d(context());
    EXPECT_FALSE(d.orderByDate());
    EXPECT_EQ(d.sortButton()->iconName(), QStringLiteral("sortieren-name"));
    EXPECT_EQ(treeLines(d).filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Anna", "Bernd", "Carla"}));

    // Date order at opening: newest last treatment first, whatever the file's order.
    store.writeInt(settings::kApplication, settings::kHistorySortOrder, 1);
    HistoryDialog byDate(context());
    EXPECT_TRUE(byDate.orderByDate());
    EXPECT_EQ(treeLines(byDate).filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Carla", "Anna", "Bernd"}));
}

TEST_F(HistoryDialogsTest, ExportThenImportGivesTheSameCasesAndRemembersTheFolder) {
    fileThreeCases();
    QTemporaryDir elsewhere;
    const QString exported = elsewhere.filePath(QStringLiteral("kopie.xml"));
    std::vector<HistoryFileRequest> requests;
    QString answer = exported;
    const auto fileDialog =
        HistoryDialog::fileDialogTestHook().install([&](const HistoryFileRequest& r) {
            requests.push_back(r);
            return answer;
        });
    store.writeString(settings::kSettingsSection, settings::kCurrentDirectory, "/gibt/es/nicht/");

    HistoryDialog d(context());
    d.toggleSort(); // by name: Anna, Bernd, Carla
    const QStringList shown = treeLines(d);
    d.exportHistory();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].save);
    EXPECT_EQ(requests[0].startDirectory, QString()); // a missing folder is not used
    EXPECT_EQ(requests[0].fileName, QStringLiteral("historie.xml"));
    EXPECT_EQ(requests[0].filter, QStringLiteral("Fallhistorie (*.xml)"));
    EXPECT_EQ(requests[0].defaultSuffix, QStringLiteral("xml"));
    const std::string folder = fromQString(elsewhere.path() + QStringLiteral("/"));
    EXPECT_EQ(store.readString(settings::kSettingsSection, settings::kCurrentDirectory, ""),
              folder);
    // The export has the order shown; the history file is not written.
    EXPECT_EQ(fileLines(exported).filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Anna", "Bernd", "Carla"}));

    // The history file loses a case; importing the copy brings it back.
    CaseHistory h(historyFileName(path));
    h.removeCase(h.cases()[0].get());
    ASSERT_TRUE(h.save());
    HistoryDialog again(context());
    EXPECT_EQ(again.tree()->topLevelItemCount(), 2);
    {
        const test_support::ConfirmAnswer yes(true);
        again.importHistory();
    }
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_FALSE(requests[1].save);
    EXPECT_EQ(requests[1].startDirectory, elsewhere.path() + QStringLiteral("/"));
    EXPECT_EQ(treeLines(again), shown);
    EXPECT_EQ(fileLines(path), fileLines(exported));
    EXPECT_TRUE(messages.texts().isEmpty());

    // "Abbrechen" in the file dialog does nothing.
    answer.clear();
    const QByteArray before = readBytes(path);
    again.importHistory();
    again.exportHistory();
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(requests.size(), 4u);
}

TEST_F(HistoryDialogsTest, ImportingABrokenFileShowsTheErrorAndKeepsTheCases) {
    fileThreeCases();
    const QString broken = dir.filePath(QStringLiteral("kaputt.xml"));
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(
            "<Fallhistorie AnzahlFaelle=\"1\">\r\n\t<Fall Name=X AnzahlBehandlungen=\"0\">\r\n");
    }
    // In name order, which the rewrite after the import keeps.
    store.writeInt(settings::kApplication, settings::kHistorySortOrder, 0);
    HistoryDialog d(context());
    const QStringList shown = treeLines(d);
    const QStringList inFile = fileLines(path);
    {
        const test_support::AskedOnce chosen(HistoryDialog::fileDialogTestHook(),
                                             [&](const HistoryFileRequest&) { return broken; });
        d.importHistory();
    }

    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Error);
    EXPECT_TRUE(messages.texts()[0].startsWith(QStringLiteral("Fehler:\n")));
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("kaputt.xml")));
    EXPECT_EQ(treeLines(d), shown);
    EXPECT_EQ(fileLines(path), inFile);
    // A missing file is no error box, and keeps the cases too.
    messages.clear();
    {
        const test_support::AskedOnce chosen(
            HistoryDialog::fileDialogTestHook(),
            [&](const HistoryFileRequest&) { return dir.filePath(QStringLiteral("fehlt.xml")); });
        d.importHistory();
    }
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(fileLines(path), inFile);
}

TEST_F(HistoryDialogsTest, FailingSavesNameTheFileAndChangeNothing) {
    fileThreeCases();
    const QByteArray before = readBytes(path);
    RefusingLayer refusing;
    std::optional<test_support::SeamGuard<FileLayer*, FileLayer*>> refusingLayer;
    refusingLayer.emplace(setHistoryFileLayer, &refusing);

    // Filing.
    EXPECT_FALSE(fileCaseInHistory(path, "Neu", "", caseEntries({{1, 0}}), nullptr));
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Error);
    EXPECT_TRUE(messages.texts()[0].startsWith(
        QStringLiteral("Die Fallhistorie konnte nicht gespeichert werden: ") + path));

    // Deleting: the node and the history stay.
    HistoryDialog d(context());
    const QStringList shown = treeLines(d);
    const FiledCase* second = d.history().cases()[1].get();
    select(d, 1);
    d.deleteSelected();
    EXPECT_EQ(messages.texts().size(), 2);
    EXPECT_EQ(treeLines(d), shown);
    EXPECT_EQ(d.caseOf(d.tree()->topLevelItem(1)), second);

    // Exporting names the export file.
    const QString target = dir.filePath(QStringLiteral("export.xml"));
    {
        const test_support::AskedOnce chosen(HistoryDialog::fileDialogTestHook(),
                                             [&](const HistoryFileRequest&) { return target; });
        d.exportHistory();
    }
    ASSERT_EQ(messages.texts().size(), 3);
    EXPECT_TRUE(messages.texts()[2].contains(target));
    EXPECT_FALSE(QFile::exists(target));

    refusingLayer.reset();
    EXPECT_EQ(readBytes(path), before);

    // Another instance holding the lock for longer than the wait.
    HistoryFileLock other(historyFileName(path));
    ASSERT_TRUE(other.tryLock());
    messages.clear();
    {
        const test_support::SeamGuard shortWait(setHistoryLockWait, std::chrono::milliseconds(30));
        d.deleteSelected();
    }
    ASSERT_EQ(messages.texts().size(), 1);
    EXPECT_TRUE(messages.texts()[0].contains(QStringLiteral("anderen Programm")));
    EXPECT_TRUE(messages.texts()[0].contains(path));
    EXPECT_EQ(treeLines(d), shown);
    EXPECT_EQ(readBytes(path), before);
}

TEST_F(HistoryDialogsTest, AnotherInstanceFilingWhileTheDialogIsOpenIsNeverLost) {
    fileThreeCases();
    HistoryDialog d(context());
    // Another program instance files two treatments meanwhile.
    ASSERT_TRUE(fileCaseInHistory(path, "Dora", "andere Instanz", caseEntries({{9, 0}}), nullptr));
    const test::FilingDate later("07.12.2026 10:05");
    ASSERT_TRUE(fileCaseInHistory(path, "Bernd", "auch", caseEntries({{8, 0}}), nullptr));
    EXPECT_EQ(d.tree()->topLevelItemCount(), 3);

    select(d, 1, 1);
    d.deleteSelected();
    const QStringList inFile = fileLines(path);
    EXPECT_TRUE(inFile.contains(QStringLiteral("Dora")));
    EXPECT_EQ(inFile.filter(QStringLiteral("(auch)")).size(), 1);
    EXPECT_EQ(inFile.filter(QStringLiteral("zweite Sitzung")).size(), 0);
    // The tree shows what the file holds now.
    EXPECT_EQ(treeLines(d).size(), inFile.size());
    // In date order, the fresh read included: Bernd and Dora (filed last, in
    // that order), then Carla and Anna.
    const QStringList caseNames = treeLines(d).filter(QRegularExpression(QStringLiteral("^\\S")));
    EXPECT_EQ(caseNames, inFile.filter(QRegularExpression(QStringLiteral("^\\S"))));
    ASSERT_EQ(caseNames.size(), 4);
    EXPECT_TRUE(caseNames.mid(0, 2).contains(QStringLiteral("Dora")));
    EXPECT_EQ(caseNames, QStringList({"Bernd", "Dora", "Carla", "Anna"}));

    // A failed import rewrites the file, still keeping a newer filing.
    ASSERT_TRUE(fileCaseInHistory(path, "Emil", "", caseEntries({{2, 0}}), nullptr));
    {
        const test_support::AskedOnce chosen(
            HistoryDialog::fileDialogTestHook(),
            [&](const HistoryFileRequest&) { return dir.filePath(QStringLiteral("fehlt.xml")); });
        d.importHistory();
    }
    EXPECT_TRUE(fileLines(path).contains(QStringLiteral("Emil")));
    EXPECT_TRUE(treeLines(d).contains(QStringLiteral("Emil")));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(HistoryDialogsTest, PlacementIsStoredWheneverTheDialogCloses) {
    {
        HistoryDialog d(context());
        d.show();
        d.reject();
    }
    EXPECT_TRUE(store.contains(settings::kPlacementHistory, settings::kPlacementLeft));
}

TEST_F(HistoryDialogsTest, ShowsThreeCasesWithOneOpenedAtATreatment) {
    fileThreeCases();
    HistoryDialog d(context());
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    select(d, 1, 1);
}

TEST_F(HistoryDialogsTest, MainWindowLoadsTheChosenTreatmentAsTheCase) {
    fileThreeCases();
    MainDialog main(store, path);
    main.show();
    {
        const test_support::AskedOnce takeOver(HistoryDialog::testHook(), [](HistoryDialog& d) {
            d.tree()->setCurrentItem(d.tree()->topLevelItem(1)->child(1));
            d.takeOver();
            return QDialog::Accepted;
        });
        main.onHistory();
    }
    EXPECT_EQ(main.theCase().name(), "Anna");
    ASSERT_GE(main.theCase().count(), 1);
    EXPECT_EQ(main.theCase().entry(0).number, 5);

    // "&Hilfe" of either dialog reaches the main window's rule, which opens
    // the topic of the active dialog.
    HistoryDialog history(context());
    EXPECT_EQ(main.helpContextFor(&history), help::kCaseHistory);
    FileCaseDialog filing(path, "", store);
    EXPECT_EQ(main.helpContextFor(&filing), help::kFileCase);

    // "Zurück" leaves the case alone.
    {
        const test_support::AskedOnce back(HistoryDialog::testHook(),
                                           [](HistoryDialog&) { return QDialog::Rejected; });
        main.onHistory();
    }
    EXPECT_EQ(main.theCase().name(), "Anna");
    main.done(QDialog::Rejected);
}

// Taking a case over one on screen that is not filed asks first, "&Nein" the
// default; over a filed one it does not.
TEST_F(HistoryDialogsTest, TakingACaseOverOneNotFiledAsksFirst) {
    fileThreeCases();
    MainDialog main(store, path);
    main.show();
    const auto takeOver = [&main](int caseRow) {
        const test_support::AskedOnce asked(HistoryDialog::testHook(), [caseRow](HistoryDialog& d) {
            d.tree()->setCurrentItem(d.tree()->topLevelItem(caseRow));
            d.takeOver();
            return QDialog::Accepted;
        });
        main.onHistory();
    };
    main.addReference({7, 0});
    {
        test_support::ConfirmAnswer no(false);
        takeOver(1);
        EXPECT_EQ(no.questions(), QStringList({"Der Fall ohne Namen mit 1 Rubrik ist noch nicht "
                                               "abgelegt.\nWollen Sie ihn durch den Fall Anna "
                                               "aus der Fallhistorie ersetzen?"}));
        EXPECT_EQ(no.defaults(), QList({ConfirmDefault::No}));
    }
    EXPECT_EQ(main.theCase().entry(0).number, 7);
    {
        test_support::ConfirmAnswer yes(true);
        takeOver(1);
        EXPECT_EQ(yes.questions().size(), 1);
    }
    EXPECT_EQ(main.theCase().name(), "Anna");
    {
        test_support::ConfirmAnswer never(false);
        takeOver(2);
        EXPECT_TRUE(never.questions().isEmpty());
    }
    EXPECT_EQ(main.theCase().name(), "Bernd");
    main.done(QDialog::Rejected);
}

TEST_F(HistoryDialogsTest, ABrokenHistoryFileIsKeptAsACopyBeforeItIsRewritten) {
    const QByteArray broken = "<Fallhistorie AnzahlFaelle=\"2\">\r\n"
                              "\t<Fall Name=\"A\" AnzahlBehandlungen=\"0\">\r\n"
                              "\t</Fall>\r\n"
                              "\t<Fall Name=B AnzahlBehandlungen=\"0\">\r\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(broken);
        // Private as the program makes it: a file open to others would be
        // narrowed with a notice of its own.
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
    HistoryDialog d(context());
    // The error box while opening; the dialog works with what was read.
    ASSERT_EQ(messages.messages().size(), 1);
    EXPECT_EQ(messages.messages()[0].kind, MessageBoxes::Kind::Error);
    EXPECT_EQ(treeLines(d), QStringList({"A"}));

    select(d, 0);
    d.deleteSelected();
    ASSERT_EQ(messages.messages().size(), 2);
    EXPECT_EQ(messages.messages()[1].kind, MessageBoxes::Kind::Information);
    const QString backup = path + QStringLiteral(".defekt");
    EXPECT_TRUE(messages.texts()[1].contains(backup));
    EXPECT_EQ(readBytes(backup), broken);
    EXPECT_TRUE(CaseHistory(historyFileName(path)).loadOk());
    EXPECT_EQ(d.tree()->topLevelItemCount(), 0);
}

// The name filed is the text as typed: "Frau M" in front of "Frau Müller
// Kopfschmerz" is a new case, never completed to the existing one, and the
// line below the box says so while the user types.
TEST_F(HistoryDialogsTest, FileCaseFilesTheTypedNameAndTellsWhereItGoes) {
    fileDated("Frau M\xFCller Kopfschmerz", "", caseEntries({{1, 0}}), "01.01.2026 10:00");
    fileDated("frau m\xFCller kopfschmerz", "", caseEntries({{2, 0}}), "02.01.2026 10:00");
    fileDated("Herr Schr\xF6"
              "der",
              "", caseEntries({{3, 0}}), "03.01.2026 10:00");

    FileCaseDialog d(path, "", store);
    d.show();
    ASSERT_TRUE(test::waitActive(&d));
    d.nameBox()->setFocus();
    QTest::keyClicks(d.nameBox(), QStringLiteral("Frau M"));
    EXPECT_EQ(d.nameBox()->currentText(), QStringLiteral("Frau M"));
    EXPECT_EQ(d.targetLine()->text(), QStringLiteral("Neuer Fall"));
    QTest::keyClick(d.nameBox(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), d.commentBox());
    QTest::keyClicks(d.commentBox(), QStringLiteral("Kontrolle"));
    QTest::mouseClick(d.okButton(), Qt::LeftButton);
    ASSERT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.caseName(), "Frau M");
    ASSERT_TRUE(fileCaseInHistory(path, d.caseName(), d.comment(), caseEntries({{9, 0}}), nullptr));
    const QStringList names = fileLines(path).filter(QRegularExpression(QStringLiteral("^\\S")));
    EXPECT_EQ(names, QStringList({"Frau Müller Kopfschmerz", "Herr Schröder", "Frau M"}));

    // The whole name in any letter case goes to the existing case: the line
    // names it with its treatments, as the filing will find it.
    FileCaseDialog again(path, "", store);
    again.show();
    ASSERT_TRUE(test::waitActive(&again));
    again.nameBox()->setFocus();
    test::typeText(again.nameBox(), QStringLiteral("FRAU MÜLLER KOPFSCHMERZ"));
    EXPECT_EQ(again.targetLine()->text(),
              QStringLiteral("Wird an den bestehenden Fall „Frau Müller Kopfschmerz“ angehängt "
                             "(2 Behandlungen). Der Name unterscheidet sich nur in der Groß- und "
                             "Kleinschreibung."));
    again.nameBox()->setEditText(QStringLiteral("Herr Schröder"));
    EXPECT_EQ(again.targetLine()->text(),
              QStringLiteral("Wird an den bestehenden Fall „Herr Schröder“ angehängt "
                             "(1 Behandlung)"));
    // "Her" and Enter: the name "Her", not "Herr Schröder".
    again.nameBox()->clearEditText();
    QTest::keyClicks(again.nameBox(), QStringLiteral("Her"));
    EXPECT_EQ(again.targetLine()->text(), QStringLiteral("Neuer Fall"));
    QTest::keyClick(again.nameBox(), Qt::Key_Return);
    EXPECT_EQ(again.result(), QDialog::Accepted);
    EXPECT_EQ(again.caseName(), "Her");
}

// One patient, one case: a name is never empty nor twinned by blanks or
// letter case unnoticed, and a follow-up note typed at once goes into the
// comment, never over the name of the case taken from the history.
TEST_F(HistoryDialogsTest, FileCaseWantsANameAndNamesItsLookAlike) {
    fileDated("Frau M\xFCller ", "", caseEntries({{1, 0}}), "01.01.2026 10:00");
    fileDated("Herr \xD6zdemir", "", caseEntries({{2, 0}}), "02.01.2026 10:00");

    // Filing the case taken over: the focus is in "Kommentar".
    {
        FileCaseDialog d(path, "Herr \xD6zdemir", store);
        d.show();
        ASSERT_TRUE(test::waitActive(&d));
        EXPECT_EQ(QApplication::focusWidget(), d.commentBox());
        EXPECT_FALSE(d.nameBox()->lineEdit()->hasSelectedText());
        test::typeText(QApplication::focusWidget(), QStringLiteral("Kontrolle"));
        EXPECT_EQ(d.nameBox()->currentText(), QStringLiteral("Herr Özdemir"));
        EXPECT_EQ(d.commentBox()->toPlainText(), QStringLiteral("Kontrolle"));
        EXPECT_EQ(d.targetLine()->text(),
                  QStringLiteral("Wird an den bestehenden Fall „Herr Özdemir“ angehängt "
                                 "(1 Behandlung)"));
    }

    FileCaseDialog d(path, "", store);
    d.show();
    ASSERT_TRUE(test::waitActive(&d));
    ASSERT_EQ(QApplication::focusWidget(), d.nameBox());
    // No name, or only blanks: OK and Enter do nothing, the line asks for one.
    for (const QString& typed : {QString(), QStringLiteral("  ")}) {
        d.nameBox()->setEditText(typed);
        EXPECT_FALSE(d.okButton()->isEnabled());
        EXPECT_EQ(d.targetLine()->text(), QStringLiteral("Bitte geben Sie einen Namen ein."));
        QTest::keyClick(d.nameBox(), Qt::Key_Return);
        EXPECT_TRUE(d.isVisible());
        EXPECT_TRUE(d.caseName().empty());
    }

    // The name without the blank of the old case: a new case beside it.
    d.nameBox()->clearEditText();
    test::typeText(d.nameBox(), QStringLiteral("Frau Müller"));
    EXPECT_TRUE(d.okButton()->isEnabled());
    EXPECT_EQ(d.targetLine()->text(),
              QStringLiteral("Neuer Fall. Achtung: Der bestehende Fall „Frau Müller “ "
                             "unterscheidet sich nur in Leerzeichen."));
    // A trailing blank typed goes to the case as it is spelt.
    d.nameBox()->setEditText(QStringLiteral("herr özdemir "));
    EXPECT_EQ(d.targetLine()->text(),
              QStringLiteral("Wird an den bestehenden Fall „Herr Özdemir“ angehängt "
                             "(1 Behandlung). Der Name unterscheidet sich nur in der Groß- und "
                             "Kleinschreibung."));
    QTest::keyClick(d.nameBox(), Qt::Key_Return);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.caseName(), "herr \xF6zdemir");
}

// "Fallhistorie" by keyboard: the arrow keys select what Übernehmen takes,
// Übernehmen with nothing selected says so, and the search field finds an
// umlaut written as two letters.
TEST_F(HistoryDialogsTest, ArrowKeysSelectAndUebernehmenWithoutASelectionSaysSo) {
    fileThreeCases();
    fileDated("Frau M\xFCller", "", caseEntries({{9, 0}}), "03.03.2025 10:00");
    HistoryDialog d(context());
    d.show();
    ASSERT_TRUE(test::waitActive(&d));
    ASSERT_EQ(treeLines(d).filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Carla", "Anna", "Frau Müller", "Bernd"}));

    QTest::mouseClick(d.takeOverButton(), Qt::LeftButton);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(messages.texts(), QStringList({"Bitte wählen Sie zuerst einen Fall oder eine "
                                             "Behandlung aus."}));

    // Back in the tree, its frame on the first case: Down selects the second,
    // Up the first.
    d.tree()->setFocus();
    QTest::keyClick(d.tree(), Qt::Key_Down);
    ASSERT_NE(d.tree()->currentItem(), nullptr);
    EXPECT_EQ(d.tree()->currentItem()->text(0), QStringLiteral("Anna"));
    EXPECT_TRUE(d.tree()->currentItem()->isSelected());
    QTest::keyClick(d.tree(), Qt::Key_Up);
    EXPECT_EQ(d.tree()->selectedItems(), QList<QTreeWidgetItem*>({d.tree()->topLevelItem(0)}));

    d.searchField()->setFocus();
    QTest::keyClicks(d.searchField(), QStringLiteral("mueller"));
    QTest::keyClick(d.searchField(), Qt::Key_Down);
    ASSERT_NE(d.tree()->currentItem(), nullptr);
    EXPECT_EQ(d.tree()->currentItem()->text(0), QStringLiteral("Frau Müller"));
    QTest::mouseClick(d.takeOverButton(), Qt::LeftButton);
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.resultName(), "Frau M\xFCller");
    EXPECT_EQ(messages.texts().size(), 1);
}

// "Suche" narrows the tree to the cases whose name holds the folded text;
// Übernehmen, Löschen and Sortieren work on what is shown; Escape clears.
TEST_F(HistoryDialogsTest, TheSearchFieldNarrowsTheTreeAndEscapeClearsIt) {
    fileThreeCases();
    fileDated("Stra\xDF"
              "e",
              "", caseEntries({{9, 0}}), "03.03.2025 10:00");
    HistoryDialog d(context());
    d.show();
    ASSERT_TRUE(test::waitActive(&d));
    const auto shown = [&d] {
        QStringList names;
        for (int i = 0; i < d.tree()->topLevelItemCount(); ++i) {
            if (!d.tree()->topLevelItem(i)->isHidden()) {
                names << d.tree()->topLevelItem(i)->text(0);
            }
        }
        return names;
    };
    ASSERT_EQ(shown(), QStringList({"Carla", "Anna", "Straße", "Bernd"}));

    // A selection that the narrowing hides is dropped: Übernehmen does nothing.
    select(d, 0); // Carla
    d.searchField()->setFocus();
    QTest::keyClicks(d.searchField(), QStringLiteral("AN"));
    EXPECT_EQ(shown(), QStringList({"Anna"}));
    EXPECT_EQ(d.tree()->currentItem(), nullptr);
    d.takeOver();
    EXPECT_TRUE(d.isVisible());
    // Letter case and "ß"/"SS" are folded as the text search folds them.
    d.searchField()->setText(QStringLiteral("strasse"));
    EXPECT_EQ(shown(), QStringList({"Straße"}));
    d.searchField()->setText(QStringLiteral("r"));
    EXPECT_EQ(shown(), QStringList({"Carla", "Straße", "Bernd"}));

    // Sortieren keeps the narrowing; Down goes to the first shown case.
    d.toggleSort();
    EXPECT_EQ(shown(), QStringList({"Bernd", "Carla", "Straße"}));
    QTest::keyClick(d.searchField(), Qt::Key_Down);
    ASSERT_EQ(d.tree()->currentItem(), d.tree()->topLevelItem(1));
    EXPECT_EQ(QApplication::focusWidget(), d.tree());

    // Löschen deletes the shown case and selects the next shown one.
    d.deleteSelected();
    EXPECT_EQ(shown(), QStringList({"Carla", "Straße"}));
    EXPECT_EQ(d.tree()->currentItem()->text(0), QStringLiteral("Carla"));
    EXPECT_EQ(fileLines(path).filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Anna", "Carla", "Straße"}));

    // Escape clears the field; a second Escape closes the dialog.
    d.searchField()->setFocus();
    QTest::keyClick(d.searchField(), Qt::Key_Escape);
    EXPECT_EQ(d.searchField()->text(), QString());
    EXPECT_EQ(shown(), QStringList({"Anna", "Carla", "Straße"}));
    EXPECT_TRUE(d.isVisible());
    QTest::keyClick(d.searchField(), Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
}

// The import replaces the whole history only after a Ja to a question that
// names both sides; Nein changes nothing.
TEST_F(HistoryDialogsTest, ImportAsksFirstAndNeinChangesNothing) {
    fileThreeCases();
    QTemporaryDir elsewhere;
    const QString other = elsewhere.filePath(QStringLiteral("export.xml"));
    {
        CaseHistory h;
        const std::vector<FilingEntry> one = {{{1, 0}, false}};
        h.fileCase("Xaver", "", one, "01.01.2026 10:00");
        ASSERT_TRUE(h.saveAs(historyFileName(other)));
    }
    const auto fileDialog = HistoryDialog::fileDialogTestHook().install(
        [&](const HistoryFileRequest&) { return other; });
    HistoryDialog d(context());
    const QByteArray before = readBytes(path);
    {
        test_support::ConfirmAnswer no(false);
        d.importHistory();
        EXPECT_EQ(no.questions(),
                  QStringList({"Die Fallhistorie mit 3 Fällen wird durch den Inhalt von "
                               "„export.xml“ (1 Fall) ersetzt. Fortfahren?"}));
        EXPECT_EQ(no.defaults(), QList({ConfirmDefault::No}));
    }
    EXPECT_EQ(readBytes(path), before);
    EXPECT_EQ(d.tree()->topLevelItemCount(), 3);
    {
        test_support::ConfirmAnswer yes(true);
        d.importHistory();
        EXPECT_EQ(yes.questions().size(), 1);
    }
    EXPECT_EQ(treeLines(d).filter(QRegularExpression(QStringLiteral("^\\S"))),
              QStringList({"Xaver"}));
    // The replaced history was kept as a copy first.
    const std::vector<std::string> copies = HistoryBackup::copiesOf(historyFileName(path));
    ASSERT_FALSE(copies.empty());
    EXPECT_EQ(readBytes(QString::fromStdString(copies.back())), before);
    EXPECT_EQ(fileDialog.calls(), 2) << "once for each import";
}
