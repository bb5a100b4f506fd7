// The desktop program's start-up pieces and its main window: the splash
// window, the history path, the case grid on screen, the commands and quitting.
#include "ui/MainDialog.h"

#include "Version.h"
#include "case/CaseState.h"
#include "settings/MemorySettingsStore.h"
#include "settings/Placement.h"
#include "settings/SettingsKeys.h"
#include "support/ConfirmAnswer.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"
#include "support/TestSettingsStore.h"
#include "ui/CaseKeeper.h"
#include "ui/ResultDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SplashWindow.h"
#include "ui/StartupPaths.h"
#include "ui/UserDriving.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/table/TableView.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/HelpContext.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

using namespace tessalyn;

namespace {

const QString kQuitQuestion = QStringLiteral("Wollen Sie wirklich beenden?");

// A main window over an in-memory store, shown and active; it keeps its case
// in `caseStatePath` when one is given.
struct OpenMainWindow {
    explicit OpenMainWindow(std::function<void(MemorySettingsStore&)> prepare = {},
                            const QString& caseStatePath = QString()) {
        if (prepare) {
            prepare(store);
        }
        dialog = std::make_unique<MainDialog>(store, QStringLiteral("/praxis/historie.xml"),
                                              caseStatePath);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QCoreApplication::processEvents();
    }
    ~OpenMainWindow() {
        // Closing without the question: the tests ask for it where they want it.
        dialog->done(QDialog::Rejected);
    }

    TableView& view() const { return *dialog->caseGridView(); }
    const CaseGrid& grid() const { return dialog->caseGrid(); }
    std::string cell(int row, int col) const { return grid().cellText(row, col); }

    // Types `text` into the focused cell and ends it with `endKey`.
    void type(const QString& text, Qt::Key endKey = Qt::Key_Return) const {
        ASSERT_FALSE(text.isEmpty());
        QTest::keyClick(&view(), text.at(0).toLatin1());
        ASSERT_TRUE(view().isEditing());
        QTest::keyClicks(view().editor(), text.mid(1));
        QTest::keyClick(view().editor(), endKey);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !view().isEditing(); }));
    }

    MemorySettingsStore store;
    std::unique_ptr<MainDialog> dialog;
};

std::vector<SymptomRef> refs(std::initializer_list<int> numbers) {
    std::vector<SymptomRef> result;
    for (int n : numbers) {
        result.push_back({n, 0});
    }
    return result;
}

} // namespace

// --- start-up ----------------------------------------------------------------------

TEST(StartupPaths, HistoryFileStandsInTheStartDirectory) {
    EXPECT_EQ(historyPathIn("/", '/'), "/historie.xml");
    EXPECT_EQ(historyPathIn("/home/x", '/'), "/home/x/historie.xml");
    EXPECT_EQ(historyPathIn("/home/x/", '/'), "/home/x/historie.xml");
    EXPECT_EQ(historyPathIn("C:\\", '\\'), "C:\\historie.xml");
    EXPECT_EQ(historyPathIn("D:\\Praxis", '\\'), "D:\\Praxis\\historie.xml");
    EXPECT_EQ(historyPathInCurrentDirectory(),
              historyPathIn(QDir::toNativeSeparators(QDir::currentPath())));
}

TEST(SplashWindow, AbsentDelayIsWrittenAsFiveAndUsed) {
    MemorySettingsStore store;
    SplashWindow splash(store);
    EXPECT_EQ(splash.delaySeconds(), 5);
    EXPECT_EQ(store.readInt(settings::kApplication, settings::kStartDelay, -1), 5);
    EXPECT_EQ(splash.timer().interval(), 5000);
    EXPECT_TRUE(splash.timer().isSingleShot());
    EXPECT_EQ(splash.windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);

    // A stored value is used and nothing is written.
    test_support::TestSettingsStore seven;
    seven.set(settings::kApplication, settings::kStartDelay, 7);
    seven.clearWriteLog();
    EXPECT_EQ(SplashWindow(seven).delaySeconds(), 7);
    EXPECT_TRUE(seven.writeLog().empty());
}

TEST(SplashWindow, ShowsPictureAndThreeLinesAndEscapeClosesItEarly) {
    MemorySettingsStore store;
    store.set(settings::kApplication, settings::kStartDelay, 10);
    SplashWindow splash(store);
    EXPECT_EQ(SplashWindow::productLine(), QStringLiteral("Tessalyn"));
    EXPECT_EQ(SplashWindow::versionLine(), QStringLiteral("Version " TESSALYN_VERSION));
    EXPECT_FALSE(SplashWindow::makerLine().isEmpty());
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    EXPECT_TRUE(splash.timer().isActive());

    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.timer().isActive());
}

TEST(SplashWindow, DelayZeroClosesAtTheFirstTick) {
    MemorySettingsStore store;
    store.set(settings::kApplication, settings::kStartDelay, 0);
    SplashWindow splash(store);
    bool forced = false;
    // A guard so a broken timer fails the test instead of hanging it.
    QTimer::singleShot(3000, &splash, [&] {
        forced = true;
        splash.reject();
    });
    EXPECT_EQ(splash.exec(), QDialog::Accepted);
    EXPECT_FALSE(forced);
}

// --- the main window ---------------------------------------------------------------

TEST(MainDialog, OpensWithEmptyGridButtonsInOrderAndItsSmallestSize) {
    OpenMainWindow w;
    MainDialog& dlg = *w.dialog;
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Tessalyn"));
    EXPECT_EQ(w.grid().rowCount(), 2);
    EXPECT_EQ(w.grid().columnCount(), 3);
    EXPECT_EQ(w.cell(0, 0), "Nummer");
    EXPECT_EQ(w.cell(0, 1), "Symptom");
    EXPECT_EQ(w.cell(0, 2), "Kapitel");
    EXPECT_EQ(w.grid().focusRow(), 1);
    EXPECT_TRUE(w.grid().titleTips());
    EXPECT_EQ(dlg.theCase().count(), 1);
    EXPECT_EQ(dlg.historyPath(), QStringLiteral("/praxis/historie.xml"));
    EXPECT_FALSE(dlg.tableFont().has_value()) << "FontName empty: the grid keeps its font";

    // The buttons from left to right.
    const std::vector<std::pair<const char*, QString>> buttons = {
        {"evaluateButton", "&Berechnen"},   {"searchButton", "S&uchen"},
        {"textSearchButton", "&Textsuche"}, {"historyButton", "&Fallhistorie"},
        {"remedyButton", "&Mittel-Ausw."},  {"settingsButton", "&Eigenschaften"},
        {"helpButton", "&Hilfe"},           {"quitButton", "Been&den"}};
    ASSERT_EQ(static_cast<std::size_t>(dlg.findChildren<IconPushButton*>().size()), buttons.size());
    const QPushButton* left = nullptr;
    for (const auto& [name, caption] : buttons) {
        const QPushButton* button = test::buttonNamed(dlg, name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), caption);
        if (left != nullptr) {
            EXPECT_GT(button->x(), left->x()) << name;
        }
        left = button;
    }
    EXPECT_TRUE(test::buttonNamed(dlg, "evaluateButton")->isDefault());
    EXPECT_EQ(dlg.size(), dlg.minimumSize()) << "the initial size is also the smallest";
    EXPECT_TRUE(dlg.isSizeGripEnabled());
}

TEST(MainDialog, TypingTwelveAndEnterShowsTheRubricAndANewInputRowWithTheFocus) {
    OpenMainWindow w;
    const RepertoryData& data = w.dialog->data();
    w.type(QStringLiteral("12"));

    EXPECT_EQ(w.cell(1, 0), "12");
    EXPECT_EQ(w.cell(1, 1), data.symptomText(12));
    EXPECT_FALSE(w.cell(1, 1).empty());
    EXPECT_EQ(w.cell(1, 2), data.locationText(11));
    EXPECT_EQ(w.grid().cellTip(1, 1), data.remedyListText(11));
    ASSERT_EQ(w.grid().rowCount(), 3);
    EXPECT_EQ(w.cell(2, 0), "0");
    EXPECT_EQ(w.grid().focusRow(), 2);
    EXPECT_EQ(w.grid().focusColumn(), 0);
    EXPECT_EQ(QApplication::focusWidget(), &w.view()) << "the grid keeps the keyboard";

    // Tab hands the text over as well; rubric 2 is "Air, - While in the Open".
    w.type(QStringLiteral("2"), Qt::Key_Tab);
    EXPECT_EQ(w.cell(2, 1), "Air, - While in the Open {0016} [82]");
    EXPECT_EQ(w.grid().rowCount(), 4);
}

TEST(MainDialog, OnlyTheNumberColumnTakesInput) {
    OpenMainWindow w;
    w.type(QStringLiteral("12"));
    // Typing on the symptom column of row 1 edits that row's number.
    w.view().setFocusCell(1, 1);
    w.type(QStringLiteral("2"));
    EXPECT_EQ(w.cell(1, 0), "2");
    EXPECT_EQ(w.cell(1, 1), w.dialog->data().symptomText(2));
    EXPECT_FALSE(w.view().setCellText(1, 2, std::string("Kopf")));
    EXPECT_EQ(w.cell(1, 2), w.dialog->data().locationText(1));
}

TEST(MainDialog, EvaluateOnAnEmptyCaseDoesNothing) {
    OpenMainWindow w;
    int runs = 0;
    w.dialog->setResultViewRunner([&](EvaluationResult&) {
        ++runs;
        return ResultViewOutcome{};
    });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    // Enter on the grid is the dialog's OK command, i.e. Berechnen as well.
    QTest::keyClick(&w.view(), Qt::Key_Return);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(w.grid().rowCount(), 2);
    EXPECT_TRUE(w.dialog->isVisible());
}

TEST(MainDialog, BerechnenOpensTheResultViewThenKeepsOrDiscardsTheCase) {
    OpenMainWindow w;
    w.dialog->loadCase("Fall A", refs({1, 2}));
    test::whenModal<ResultDialog>([](ResultDialog& view) {
        EXPECT_TRUE(view.isModal());
        EXPECT_EQ(view.table()->cellText(0, 2), "Acon.");
        QTest::mouseClick(view.backButton(), Qt::LeftButton);
    });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(w.dialog->theCase().name(), "Fall A");
    ASSERT_EQ(w.grid().rowCount(), 4);
    EXPECT_EQ(w.cell(2, 0), "2");
    EXPECT_EQ(w.cell(3, 0), "0");
    EXPECT_EQ(w.grid().focusRow(), 3);

    // Any other way out of the result view discards the case.
    w.dialog->setResultViewRunner([](EvaluationResult&) { return ResultViewOutcome{}; });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(w.grid().rowCount(), 2);
    EXPECT_EQ(w.dialog->theCase().count(), 1);
    EXPECT_EQ(w.dialog->theCase().name(), "");
}

TEST(MainDialog, TheWaitCursorIsGoneBeforeTheResultViewOpens) {
    OpenMainWindow w;
    w.dialog->loadCase("", refs({1, 2}));
    bool cursorAtResultView = true;
    w.dialog->setResultViewRunner([&](EvaluationResult&) {
        cursorAtResultView = QGuiApplication::overrideCursor() != nullptr;
        return ResultViewOutcome{true, ""};
    });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_FALSE(cursorAtResultView);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(MainDialog, AddAndLoadFromTheOtherDialogs) {
    OpenMainWindow w;
    test::buttonNamed(*w.dialog, "helpButton")->setFocus(); // the grid gets the keyboard back
    w.dialog->addReference({2, 0});
    EXPECT_EQ(w.cell(1, 0), "2");
    EXPECT_EQ(w.grid().focusRow(), 2);
    EXPECT_EQ(QApplication::focusWidget(), &w.view());

    // Into a row in the middle: the focus goes to the last row, as typing does.
    w.view().setFocusCell(1, 0);
    w.dialog->addReference({3, 0});
    EXPECT_EQ(w.cell(1, 0), "3");
    EXPECT_EQ(w.grid().rowCount(), 3);

    w.dialog->loadCase("M\xFCller", refs({1, 2, 3}));
    EXPECT_EQ(w.dialog->theCase().name(), "M\xFCller");
    EXPECT_EQ(w.grid().rowCount(), 5);
    EXPECT_EQ(w.cell(3, 0), "3");
}

TEST(MainDialog, ResizingStretchesTheColumnsToTheGridWidth) {
    OpenMainWindow w;
    const auto columnsWidth = [&w] {
        return w.grid().columnWidth(0) + w.grid().columnWidth(1) + w.grid().columnWidth(2);
    };
    EXPECT_EQ(columnsWidth(), w.view().viewport()->width());
    w.dialog->resize(w.dialog->width() + 300, w.dialog->height() + 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return columnsWidth() == w.view().viewport()->width(); }));
    EXPECT_GT(w.grid().columnWidth(1), w.grid().columnWidth(0));
}

// --- quitting ----------------------------------------------------------------------

TEST(MainDialog, EscapeWithoutQuestionEndsAndStoresPlacementAndWidths) {
    OpenMainWindow w(
        [](MemorySettingsStore& s) { s.set(settings::kApplication, settings::kAskBeforeQuit, 0); });
    const test_support::ConfirmAnswer answer(false);
    QTest::keyClick(&w.view(), Qt::Key_Escape);
    EXPECT_FALSE(w.dialog->isVisible());
    EXPECT_EQ(w.dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(answer.questions().isEmpty());
    EXPECT_EQ(w.store.readInt(settings::kPlacementMain, settings::kPlacementCheck, 0),
              kPlacementComplete);
    EXPECT_EQ(w.store.readInt(settings::kColumnsMain, "Col1", -1), w.grid().columnWidth(1));
    EXPECT_GT(w.store.readInt(settings::kColumnsMain, "Col2", -1), 0);
}

TEST(MainDialog, QuestionAnsweredNeinKeepsTheProgram) {
    OpenMainWindow w;
    test::whenModal<ConfirmDialog>([](ConfirmDialog& box) {
        EXPECT_EQ(box.text(), kQuitQuestion);
        QTest::mouseClick(box.noButton(), Qt::LeftButton);
    });
    QTest::keyClick(&w.view(), Qt::Key_Escape);
    EXPECT_TRUE(w.dialog->isVisible());
    EXPECT_FALSE(w.store.contains(settings::kPlacementMain, settings::kPlacementCheck));

    // The close box and Beenden ask the same question.
    test_support::ConfirmAnswer answer(false);
    w.dialog->close();
    EXPECT_TRUE(w.dialog->isVisible());
    QTest::mouseClick(test::buttonNamed(*w.dialog, "quitButton"), Qt::LeftButton);
    EXPECT_TRUE(w.dialog->isVisible());
    EXPECT_EQ(answer.questions(), QStringList({kQuitQuestion, kQuitQuestion}));

    answer.setAnswer(true);
    w.dialog->close();
    EXPECT_FALSE(w.dialog->isVisible());
}

// Escape with each kind of case on screen: a case that is not filed is named
// and a hasty Enter keeps it; otherwise the question is the one it always was.
TEST(MainDialog, TheQuitQuestionNamesACaseNotFiledAndEnterKeepsIt) {
    const QString unfiled =
        QStringLiteral("Der Fall %1 ist noch nicht abgelegt.\n") + kQuitQuestion;
    const struct {
        const char* what;
        std::function<void(OpenMainWindow&)> prepare;
        QString question;
        bool enterQuits;
    } cases[] = {
        {"no case", [](OpenMainWindow&) {}, kQuitQuestion, true},
        {"twelve typed rows",
         [](OpenMainWindow& w) {
             for (int n = 1; n <= 12; ++n) {
                 w.type(QString::number(n));
             }
         },
         unfiled.arg(QStringLiteral("ohne Namen mit 12 Rubriken")), false},
        {"a case from the history",
         [](OpenMainWindow& w) {
             w.dialog->loadCase("Herr \xD6zdemir", refs({1, 2}));
         },
         kQuitQuestion, true},
        {"a case from the history with one more row",
         [](OpenMainWindow& w) {
             w.dialog->loadCase("Herr \xD6zdemir", refs({1, 2}));
             w.type(QStringLiteral("7"));
         },
         unfiled.arg(QStringLiteral("Herr Özdemir mit 3 Rubriken")), false},
        {"one rubric", [](OpenMainWindow& w) { w.type(QStringLiteral("7")); },
         unfiled.arg(QStringLiteral("ohne Namen mit 1 Rubrik")), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpenMainWindow w;
        c.prepare(w);
        QString asked;
        test::whenModal<ConfirmDialog>([&asked](ConfirmDialog& box) {
            asked = box.text();
            QTest::keyClick(&box, Qt::Key_Return);
        });
        QTest::keyClick(&w.view(), Qt::Key_Escape);
        EXPECT_EQ(asked, c.question);
        EXPECT_EQ(w.dialog->isVisible(), !c.enterQuits);
    }
}

TEST(MainDialog, TheTitleNamesTheCaseAndWhetherItIsFiled) {
    OpenMainWindow w;
    const auto title = [&w] { return w.dialog->windowTitle(); };
    EXPECT_EQ(title(), "Tessalyn");
    w.type(QStringLiteral("5"));
    EXPECT_EQ(title(), "Tessalyn – Fall ohne Namen (nicht abgelegt)");
    w.dialog->loadCase("Herr \xD6zdemir", refs({1, 2, 3}));
    EXPECT_EQ(title(), "Tessalyn – Herr Özdemir (abgelegt)");
    w.type(QStringLiteral("7"));
    EXPECT_EQ(title(), "Tessalyn – Herr Özdemir (nicht abgelegt)");
    QTest::keyClick(&w.view(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(title(), "Tessalyn – Herr Özdemir (abgelegt)");

    // Filed from the result view under a new name, then "Neu".
    w.type(QStringLiteral("8"));
    w.dialog->setResultViewRunner([](EvaluationResult&) {
        return ResultViewOutcome{true, "Frau M\xFCller", true};
    });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(title(), "Tessalyn – Frau Müller (abgelegt)");
    w.dialog->setResultViewRunner([](EvaluationResult&) { return ResultViewOutcome{}; });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(title(), "Tessalyn");
}

// The case on screen lives in its state file from shortly after a change to
// the next start; filing and "Neu" end it there.
TEST(MainDialog, ACaseNotFiledIsKeptAndComesBackAtTheNextStart) {
    test_support::TempFolder home;
    const QString state =
        QString::fromStdString(home.file("state/Korvanei/Tessalyn/aktueller-fall.txt"));
    const auto kept = [&state] { return QFileInfo::exists(state); };
    std::optional<CaseSnapshot> onScreen;
    {
        OpenMainWindow w({}, state);
        EXPECT_TRUE(w.dialog->caseNotice()->isHidden());
        w.dialog->loadCase("Herr \xD6zdemir", refs({1, 2}));
        w.type(QStringLiteral("5+6"));
        // Weights and a mark from the result view.
        w.dialog->setResultViewRunner([](EvaluationResult& result) {
            result.entries[0].weight = 3;
            result.entries[1].eliminating = true;
            return ResultViewOutcome{true, "Herr \xD6zdemir"};
        });
        QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor(kept));
        // Written whole, for the user only.
        std::string error;
        const std::optional<CaseSnapshot> written =
            caseStateFromBytes(test_support::readBytes(state.toStdString()), error);
        ASSERT_TRUE(written) << error;
        onScreen = w.grid().snapshot();
        EXPECT_EQ(*written, *onScreen);
        EXPECT_EQ(std::filesystem::status(state.toStdString()).permissions(),
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
        EXPECT_EQ(std::filesystem::status(home.file("state/Korvanei/Tessalyn")).permissions(),
                  std::filesystem::perms::owner_all);
    }
    OpenMainWindow w({}, state);
    EXPECT_EQ(w.grid().snapshot(), *onScreen);
    EXPECT_EQ(w.grid().theCase().entry(0).weight, 3);
    EXPECT_EQ(w.dialog->windowTitle(), "Tessalyn – Herr Özdemir (nicht abgelegt)");
    EXPECT_FALSE(w.dialog->caseNotice()->isHidden());
    EXPECT_EQ(w.dialog->caseNotice()->text(),
              "Der Fall Herr Özdemir mit 3 Rubriken aus dem letzten Programmlauf ist "
              "wiederhergestellt; er ist noch nicht abgelegt.");

    // Filed: nothing left to keep.
    w.dialog->setResultViewRunner([](EvaluationResult&) {
        return ResultViewOutcome{true, "Herr \xD6zdemir", true};
    });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_TRUE(w.dialog->caseNotice()->isHidden());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !kept(); }));
    // Changed again, then "Neu".
    w.type(QStringLiteral("9"));
    ASSERT_TRUE(QTest::qWaitFor(kept));
    w.dialog->setResultViewRunner([](EvaluationResult&) { return ResultViewOutcome{}; });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !kept(); }));
}

// A state file that holds no case, or one that cannot be written, is said
// below the grid; the program runs on.
TEST(MainDialog, AKeptCaseThatCannotBeReadOrWrittenIsSaidBelowTheGrid) {
    test_support::TempFolder home;
    const QString state = QString::fromStdString(home.file("aktueller-fall.txt"));
    test_support::writeBytes(state.toStdString(), "Tessalyn-Fall 1\r\nName\tA\r\nZeile\t5\t0\t9");
    {
        OpenMainWindow w({}, state);
        EXPECT_EQ(w.grid().rowCount(), 2);
        EXPECT_EQ(w.dialog->caseNotice()->text(),
                  "Der zuletzt bearbeitete Fall lässt sich nicht wiederherstellen (" + state +
                      "): Die Datei ist unvollständig.");
        w.type(QStringLiteral("5"));
        EXPECT_TRUE(w.dialog->caseNotice()->isHidden());
        std::string error;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return caseStateFromBytes(test_support::readBytes(state.toStdString()), error)
                .has_value();
        }));
    }
    // A file where its folder should be.
    const QString blocked = QString::fromStdString(home.file("aktueller-fall.txt/x/fall.txt"));
    OpenMainWindow w({}, blocked);
    w.type(QStringLiteral("5"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.dialog->caseNotice()->isHidden(); }));
    EXPECT_TRUE(w.dialog->caseNotice()->text().startsWith(
        "Der Fall kann nicht für den nächsten Start aufbewahrt werden: "))
        << w.dialog->caseNotice()->text().toStdString();
}

TEST(CaseKeeper, TheUsersStateFolderHoldsTheCase) {
    EXPECT_EQ(caseStatePathFor("/x/state", "/home/a"),
              "/x/state/Korvanei/Tessalyn/aktueller-fall.txt");
    // A relative or empty XDG_STATE_HOME is not used.
    EXPECT_EQ(caseStatePathFor("", "/home/a"),
              "/home/a/.local/state/Korvanei/Tessalyn/aktueller-fall.txt");
    EXPECT_EQ(caseStatePathFor("state", "/home/a"),
              "/home/a/.local/state/Korvanei/Tessalyn/aktueller-fall.txt");
}

TEST(MainDialog, RestoresPlacementAndColumnWidths) {
    MemorySettingsStore store;
    ASSERT_TRUE(storePlacement(store, settings::kPlacementMain,
                               WindowPlacement{ScreenRect{0, 30, 820, 530}, kShowNormal}));
    store.set(settings::kColumnsMain, "Col0", 90);
    MainDialog dlg(store, QStringLiteral("/x/historie.xml"));
    // Position and height as stored; the width may be cut to a small screen.
    EXPECT_EQ(dlg.geometry().topLeft(), QPoint(0, 30));
    EXPECT_EQ(dlg.height(), 500);
    EXPECT_EQ(dlg.caseGrid().columnWidth(0), 90);
}

// --- settings and help -------------------------------------------------------------

TEST(MainDialog, SettingsFlowChangesTheGridFontRowHeightsAndOptions) {
    OpenMainWindow w;
    w.dialog->loadCase("", refs({1, 2}));
    // A text search window made before the change.
    w.dialog->onTextSearch();
    auto* textSearch = w.dialog->findChild<TextSearchDialog*>();
    ASSERT_NE(textSearch, nullptr);
    textSearch->reject();
    const QString family = SettingsDialog::fontFamilies().value(0);
    ASSERT_FALSE(family.isEmpty()) << "no fonts installed (fonts-dejavu-core)";
    w.dialog->setSettingsDialogRunner([](SettingsDialog& dialog) {
        dialog.show();
        dialog.findChild<QComboBox*>(QStringLiteral("fontList"))->setCurrentIndex(0);
        dialog.findChild<QComboBox*>(QStringLiteral("fontSizeBox"))
            ->setEditText(QStringLiteral("14"));
        dialog.findChild<QCheckBox*>(QStringLiteral("jumpToEnd"))->setChecked(false);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
        return dialog.result() == QDialog::Accepted;
    });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "settingsButton"), Qt::LeftButton);

    ASSERT_TRUE(w.dialog->tableFont().has_value());
    EXPECT_EQ(w.dialog->tableFont()->family(), family);
    EXPECT_EQ(w.view().font().pixelSize(), 14);
    for (int row = 0; row < w.grid().rowCount(); ++row) {
        EXPECT_EQ(w.grid().rowHeight(row), 22) << "row " << row;
    }
    // Confirmed defaults: the polarity mode becomes 0, SprungEnde was switched off.
    EXPECT_EQ(w.grid().polarityMode(), PolarityMode::Immediate);
    EXPECT_FALSE(w.grid().jumpToEnd());
    EXPECT_EQ(w.store.readInt(settings::kApplication, settings::kFontSize, -1), 14);
    EXPECT_EQ(w.store.readString(settings::kApplication, settings::kFontName, ""),
              fromQString(family));
    EXPECT_EQ(w.dialog->focusWidget(), &w.view()) << "the focus returns to the grid";
    // Rows typed after the change have the same height; the text search
    // takes the font when it is shown again.
    w.type(QStringLiteral("3"));
    ASSERT_EQ(w.grid().rowCount(), 5);
    for (int row = 0; row < w.grid().rowCount(); ++row) {
        EXPECT_EQ(w.grid().rowHeight(row), 22) << "row " << row;
    }
    w.dialog->onTextSearch();
    EXPECT_EQ(textSearch->table()->font().pixelSize(), 14);
    EXPECT_EQ(textSearch->table()->logic().rowHeight(0),
              textSearch->table()->fontMetrics().height() + 4);
    textSearch->reject();

    // The options hold after the case is discarded and the grid starts anew.
    w.dialog->setResultViewRunner([](EvaluationResult&) { return ResultViewOutcome{}; });
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(w.grid().rowCount(), 2);
    EXPECT_FALSE(w.grid().jumpToEnd());
    EXPECT_EQ(w.view().font().pixelSize(), 14);
}

TEST(MainDialog, HelpOpensTopic13OrTheActiveWindowsOwn) {
    OpenMainWindow w;
    QDialog other;
    setHelpContext(&other, help::kTextSearch);
    EXPECT_EQ(w.dialog->helpContextFor(&other), help::kTextSearch);
    EXPECT_EQ(w.dialog->helpContextFor(w.dialog.get()), help::kMainWindow);
    EXPECT_EQ(w.dialog->helpContextFor(nullptr), help::kMainWindow);
    QDialog plain;
    EXPECT_EQ(w.dialog->helpContextFor(&plain), help::kMainWindow);

    QTest::mouseClick(test::buttonNamed(*w.dialog, "helpButton"), Qt::LeftButton);
    HelpViewer* viewer = HelpViewer::instance();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->currentPage(), helpPageUrl(help::kMainWindow));
    viewer->close();
}
