// The program under a monkey: random but valid user events (keys, clicks,
// double-clicks, typed numbers with "+" and "-", letters, mnemonics, undo and
// redo, window switches and resizes, opening and closing every window) on the
// real main window, for a bounded time. After every event the case must still
// be whole: never more than its 6000 entry slots (counter-polar rows may take
// the grid beyond its 3000 typed rows, never the case beyond its slots), the
// grid one row (the header) ahead of the case's entries, and every row
// showing its own entry. An undo followed by a redo gives back exactly the
// case it started from.
//
// Seeded and reproducible, the seed is printed. In the normal suite the
// monkey sends a fixed number of events from a fixed seed, the same run every
// time. TESSALYN_MONKEY_SECONDS gives it a time budget instead, from a random
// seed (the sanitizer stage of continuous integration runs it so);
// TESSALYN_MONKEY_SEED replays a run, TESSALYN_MONKEY_STEPS bounds it by
// events (then the clock plays no part), TESSALYN_MONKEY_TRACE=1 prints every
// event as it happens.
//
// Everything the program writes stays in temporary folders: the case history
// and its exports, the printouts (a PDF printer instead of the print dialog),
// the settings (the test program's own configuration folder) and the working
// folder, which must stay empty.
#include "case/CaseTestSupport.h"
#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/Case.h"
#include "case/CaseSnapshot.h"
#include "history/CaseHistory.h"
#include "settings/MemorySettingsStore.h"
#include "support/AskedOnce.h"
#include "support/FreshSettings.h"
#include "ui/MainDialog.h"
#include "ui/QtSettingsStore.h"
#include "ui/ResultDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/history/HistoryFiles.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TableView.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

std::uint64_t envNumber(const char* name, std::uint64_t fallback) {
    bool ok = false;
    const std::uint64_t value = qEnvironmentVariable(name).toULongLong(&ok);
    return ok ? value : fallback;
}

// A history with a small case, one a few rows short of the grid's capacity
// and one that fills it, so the monkey reaches the limits by taking them over.
void writeStartHistory(const QString& path) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> rubric(1, kRubricCount);
    const auto entries = [&](int n) {
        std::vector<FilingEntry> e;
        for (int i = 0; i < n; ++i) {
            e.push_back({{rubric(rng), 0}, false});
        }
        return e;
    };
    CaseHistory history;
    history.fileCase("Klein", "drei\r\nSymptome", entries(3), "01.02.2026 09:00");
    history.fileCase("Klein", "", entries(1), "02.02.2026 09:00");
    history.fileCase("Gro\xDF", "fast voll", entries(kCaseRowCapacity - 5), "03.02.2026 09:00");
    history.fileCase("Voll", "3000", entries(kCaseRowCapacity), "04.02.2026 09:00");
    ASSERT_TRUE(history.saveAs(historyFileName(path))) << history.saveError();
}

class Monkey {
public:
    Monkey(std::uint64_t seed, const QTemporaryDir& praxis, SettingsStore& store)
        : rng_(seed), store_(store), historyPath_(praxis.filePath(QStringLiteral("historie.xml"))) {
    }

    // Runs until the time or the number of events is used up, then closes
    // what is open. Returns the number of events sent.
    std::uint64_t run(std::int64_t milliseconds, std::uint64_t maxSteps, bool trace) {
        trace_ = trace;
        maxSteps_ = maxSteps;
        milliseconds_ = milliseconds;
        clock_.start();
        startMain();
        closer_.setInterval(20);
        QObject::connect(&closer_, &QTimer::timeout, &loop_, [this] { closeOpenWindow(); });
        QTimer::singleShot(0, &loop_, [this] { step(); });
        loop_.exec();
        closer_.stop();
        if (main_) {
            main_->done(QDialog::Rejected);
            main_.reset();
        }
        return steps_;
    }

    int restarts() const { return restarts_; }
    const std::map<QString, int>& windowsMet() const { return windowsMet_; }
    int largestCase() const { return largestCase_; }
    const std::multimap<qint64, QString>& slowest() const { return slowest_; }
    bool failed() const { return failed_; }

private:
    // --- the chain of steps -----------------------------------------------------------

    // One event, or one step of closing at the end. The next step is posted
    // first, so it also runs inside any modal loop this event opens: that is
    // how the monkey answers its own dialogs.
    void step() {
        ++depth_;
        // Posted with the loop as context: a step still pending when the
        // monkey is gone is dropped with it.
        QTimer::singleShot(0, &loop_, [this] {
            if (!finished_) {
                step();
            }
        });
        if (clickOnItsWay()) {
            // The next event waits until the click has landed, wherever the
            // clock stands: the same events then meet the same windows.
            --depth_;
            return;
        }
        const bool timeUp = maxSteps_ > 0 ? steps_ >= maxSteps_ : clock_.elapsed() >= milliseconds_;
        if (timeUp || failed_) {
            closeOne();
        } else {
            const qint64 began = clock_.elapsed();
            act();
            noteDuration(clock_.elapsed() - began);
            ++steps_;
            check();
        }
        --depth_;
    }

    // Closes the innermost popup or modal dialog; with none left at the
    // outermost step, ends the run.
    void closeOne() {
        if (QApplication::activePopupWidget() != nullptr ||
            QApplication::activeModalWidget() != nullptr) {
            if (QApplication::activePopupWidget() == nullptr && ++closeAttempts_ > 50) {
                ADD_FAILURE() << "a modal window does not close: "
                              << QApplication::activeModalWidget()->metaObject()->className();
                finish();
                return;
            }
            closeOpenWindow();
            return;
        }
        if (depth_ == 1) {
            finish();
        }
    }

    // Ends the run. Until the loop has returned, whatever still opens (a
    // dialog behind a click on its way, say) is closed at once, so the end
    // never waits for a person.
    void finish() {
        finished_ = true;
        closer_.start();
        loop_.quit();
    }

    // Closes the innermost popup, else the innermost modal dialog.
    static void closeOpenWindow() {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            popup->close();
        } else if (QWidget* modal = QApplication::activeModalWidget()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        }
    }

    // A mnemonic clicks its button "animated": the button stays down for a
    // moment and is clicked when a timer runs out.
    bool clickOnItsWay() {
        if (animated_ && animated_->isDown() && ++roundsWaited_ < 100000) {
            return true;
        }
        animated_ = nullptr;
        roundsWaited_ = 0;
        return false;
    }

    // --- the events ---------------------------------------------------------------------

    int random(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    template <typename T> T pick(const std::vector<T>& items) {
        return items[static_cast<std::size_t>(random(0, static_cast<int>(items.size()) - 1))];
    }

    void note(const QString& what) {
        if (trace_) {
            std::cerr << steps_ << ": " << what.toStdString() << '\n';
        }
        if (eventAtDepth_.size() <= static_cast<std::size_t>(depth_)) {
            eventAtDepth_.resize(static_cast<std::size_t>(depth_) + 1);
        }
        eventAtDepth_[static_cast<std::size_t>(depth_)] = what;
        recent_.push_back(QString::number(steps_) + QStringLiteral(": ") + what);
        if (recent_.size() > 40) {
            recent_.pop_front();
        }
    }

    // Keeps the slowest events for the summary (the time includes the events
    // answered inside a dialog the event opened).
    void noteDuration(qint64 ms) {
        if (eventAtDepth_.size() <= static_cast<std::size_t>(depth_)) {
            return;
        }
        QString& what = eventAtDepth_[static_cast<std::size_t>(depth_)];
        if (what.isEmpty()) {
            return;
        }
        slowest_.emplace(ms, std::exchange(what, QString()));
        if (slowest_.size() > 5) {
            slowest_.erase(slowest_.begin());
        }
    }

    static QString nameOf(const QWidget* w) {
        QString name = QString::fromLatin1(w->metaObject()->className());
        if (!w->objectName().isEmpty()) {
            name += QLatin1Char('#') + w->objectName();
        }
        return name;
    }

    void startMain() {
        main_ = std::make_unique<MainDialog>(store_, historyPath_);
        main_->show();
        main_->activateWindow();
    }

    // The program's visible windows that take input.
    static std::vector<QWidget*> programWindows() {
        std::vector<QWidget*> windows;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            const Qt::WindowType type = w->windowType();
            if (w->isVisible() && type != Qt::ToolTip && type != Qt::Popup &&
                type != Qt::SplashScreen) {
                windows.push_back(w);
            }
        }
        // In an order of their own: the application lists them in the order
        // of their addresses, which differ from run to run.
        std::sort(windows.begin(), windows.end(), [](const QWidget* a, const QWidget* b) {
            return std::make_tuple(nameOf(a), a->windowTitle()) <
                   std::make_tuple(nameOf(b), b->windowTitle());
        });
        return windows;
    }

    // The window the next event goes to: the open modal dialog, else the
    // active window, else the main window.
    QWidget* targetWindow() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            return modal;
        }
        QWidget* active = QApplication::activeWindow();
        if (active != nullptr && active->isVisible() && active->windowType() != Qt::Popup) {
            return active;
        }
        return main_.get();
    }

    static QWidget* keyReceiver(QWidget* window) {
        QWidget* focus = window->focusWidget();
        return focus != nullptr && focus->isVisible() && focus->isEnabled() ? focus : window;
    }

    static std::vector<QWidget*> visibleChildren(QWidget* window) {
        std::vector<QWidget*> children;
        for (QWidget* c : window->findChildren<QWidget*>()) {
            if (c->window() == window && c->isVisible() && c->isEnabled() && c->width() > 0 &&
                c->height() > 0) {
                children.push_back(c);
            }
        }
        return children;
    }

    void act() {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            actOnPopup(popup);
            return;
        }
        if (!main_->isVisible() && QApplication::activeModalWidget() == nullptr) {
            if (depth_ == 1) {
                // The user quit; the program is started again.
                note(QStringLiteral("restart"));
                main_.reset();
                startMain();
                ++restarts_;
            }
            return;
        }
        QWidget* window = targetWindow();
        if (window == nullptr) {
            return;
        }
        ++windowsMet_[QString::fromLatin1(window->metaObject()->className())];

        // A modal dialog the monkey keeps open too long is left by Escape,
        // and in the end closed outright.
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != lastModal_) {
            lastModal_ = modal;
            stepsInModal_ = 0;
        }
        if (modal != nullptr && ++stepsInModal_ > 40) {
            if (stepsInModal_ > 80) {
                note(QStringLiteral("reject ") + nameOf(modal));
                if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                    dialog->reject();
                } else {
                    modal->close();
                }
            } else {
                note(QStringLiteral("Escape on ") + nameOf(modal));
                QTest::keyClick(keyReceiver(modal), Qt::Key_Escape);
            }
            return;
        }

        const int roll = random(0, 99);
        if (roll < 18) {
            clickButton(window);
        } else if (roll < 36) {
            typeEntry(window);
        } else if (roll < 62) {
            pressKey(window);
        } else if (roll < 76) {
            clickSomewhere(window, false);
        } else if (roll < 84) {
            clickSomewhere(window, true);
        } else if (roll < 90) {
            pressMnemonic(window);
        } else if (roll < 92) {
            moveMouse(window);
        } else if (roll < 93) {
            undoThenRedo();
        } else if (roll < 95) {
            fillClipboard();
        } else if (roll < 97) {
            resizeWindow(window);
        } else {
            switchWindow();
        }
    }

    void actOnPopup(QWidget* popup) {
        static const std::vector<Qt::Key> keys = {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up,
                                                  Qt::Key_Return, Qt::Key_Escape};
        const Qt::Key key = pick(keys);
        note(QStringLiteral("popup key %1").arg(key, 0, 16));
        QTest::keyClick(keyReceiver(popup), key);
    }

    void clickButton(QWidget* window) {
        std::vector<QAbstractButton*> buttons;
        for (QWidget* c : visibleChildren(window)) {
            if (auto* b = qobject_cast<QAbstractButton*>(c)) {
                buttons.push_back(b);
            }
        }
        if (buttons.empty()) {
            return;
        }
        QAbstractButton* b = pick(buttons);
        note(QStringLiteral("click button \"%1\" in %2").arg(b->text(), nameOf(window)));
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(b->width() / 2, b->height() / 2));
    }

    // A symptom number (mostly), ended by Enter, Tab or Escape.
    void typeEntry(QWidget* window) {
        QString text;
        const int kind = random(0, 9);
        if (kind < 6) {
            text = QString::number(random(1, kRubricCount));
        } else if (kind == 6) {
            text = QString::number(random(-kRubricCount - 20, kRubricCount + 20) *
                                   (chance(0.5) ? 1 : 10));
        } else if (kind == 7) {
            text = QStringLiteral("%1+%2").arg(random(1, kRubricCount)).arg(random(-50, 9000));
        } else if (kind == 8) {
            text = QStringLiteral("%1 BD %2").arg(random(1, kRubricCount)).arg(random(-2, 400));
        } else {
            static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz +-");
            for (int i = random(1, 8); i > 0; --i) {
                text += letters.at(random(0, static_cast<int>(letters.size()) - 1));
            }
        }
        static const std::vector<Qt::Key> ends = {Qt::Key_Return, Qt::Key_Return, Qt::Key_Return,
                                                  Qt::Key_Enter,  Qt::Key_Tab,    Qt::Key_Escape};
        const Qt::Key end = pick(ends);
        note(QStringLiteral("type \"%1\" + key %2 in %3")
                 .arg(text)
                 .arg(end, 0, 16)
                 .arg(nameOf(window)));
        const QWidget* modal = QApplication::activeModalWidget();
        QPointer<QWidget> alive(window);
        for (const QChar ch : text) {
            QTest::keyClick(keyReceiver(window), static_cast<char>(ch.unicode()));
            // A blank may have pressed a button that closed the window.
            if (!alive || !alive->isVisible() || QApplication::activeModalWidget() != modal) {
                return;
            }
        }
        QTest::keyClick(keyReceiver(window), end);
    }

    void pressKey(QWidget* window) {
        struct Press {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        };
        static const std::vector<Press> presses = {
            {Qt::Key_0, {}},
            {Qt::Key_1, {}},
            {Qt::Key_2, {}},
            {Qt::Key_5, {}},
            {Qt::Key_9, {}},
            {Qt::Key_Plus, {}},
            {Qt::Key_Minus, {}},
            {Qt::Key_A, {}},
            {Qt::Key_E, {}},
            {Qt::Key_O, {}},
            {Qt::Key_Z, {}},
            {Qt::Key_Space, {}},
            {Qt::Key_Return, {}},
            {Qt::Key_Enter, {}},
            {Qt::Key_Escape, {}},
            {Qt::Key_Tab, {}},
            {Qt::Key_Backtab, Qt::ShiftModifier},
            {Qt::Key_Up, {}},
            {Qt::Key_Down, {}},
            {Qt::Key_Down, {}},
            {Qt::Key_Left, {}},
            {Qt::Key_Right, {}},
            {Qt::Key_PageUp, {}},
            {Qt::Key_PageDown, {}},
            {Qt::Key_Home, {}},
            {Qt::Key_End, {}},
            {Qt::Key_Home, Qt::ControlModifier},
            {Qt::Key_End, Qt::ControlModifier},
            {Qt::Key_Down, Qt::ShiftModifier},
            {Qt::Key_F2, {}},
            {Qt::Key_F1, {}},
            {Qt::Key_Delete, {}},
            {Qt::Key_Backspace, {}},
            {Qt::Key_A, Qt::ControlModifier},
            {Qt::Key_C, Qt::ControlModifier},
            {Qt::Key_X, Qt::ControlModifier},
            {Qt::Key_V, Qt::ControlModifier},
            {Qt::Key_Z, Qt::ControlModifier},
            {Qt::Key_Z, Qt::ControlModifier},
            {Qt::Key_Y, Qt::ControlModifier},
            {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier},
        };
        const Press p = pick(presses);
        QWidget* receiver = keyReceiver(window);
        note(QStringLiteral("key %1 mod %2 to %3")
                 .arg(p.key, 0, 16)
                 .arg(static_cast<int>(p.modifiers), 0, 16)
                 .arg(nameOf(receiver)));
        QTest::keyClick(receiver, p.key, p.modifiers);
    }

    // Alt and a letter: mostly one of the window's button mnemonics.
    void pressMnemonic(QWidget* window) {
        QString letters = QStringLiteral("xb");
        for (QWidget* c : visibleChildren(window)) {
            if (auto* b = qobject_cast<QAbstractButton*>(c)) {
                const qsizetype amp = b->text().indexOf(QLatin1Char('&'));
                if (amp >= 0 && amp + 1 < b->text().size()) {
                    letters += b->text().at(amp + 1).toLower();
                }
            }
        }
        const QChar letter = letters.at(random(0, static_cast<int>(letters.size()) - 1));
        if (letter.unicode() >= 0x80 || !letter.isLetter()) {
            return;
        }
        note(QStringLiteral("Alt+%1 in %2").arg(letter).arg(nameOf(window)));
        const QPointer<QWidget> alive(window);
        QTest::keyClick(keyReceiver(window), static_cast<char>(letter.unicode()), Qt::AltModifier);
        if (!alive) {
            return;
        }
        for (QWidget* c : visibleChildren(window)) {
            if (auto* b = qobject_cast<QAbstractButton*>(c); b != nullptr && b->isDown()) {
                animated_ = b;
            }
        }
    }

    void clickSomewhere(QWidget* window, bool twice) {
        std::vector<QWidget*> targets;
        for (QWidget* c : visibleChildren(window)) {
            auto* area = qobject_cast<QAbstractScrollArea*>(c->parentWidget());
            // Double-clicks go to lists, tables and trees.
            if (!twice || (area != nullptr && area->viewport() == c)) {
                targets.push_back(c);
            }
        }
        if (targets.empty()) {
            return;
        }
        QWidget* target = pick(targets);
        const QPoint at(random(0, target->width() - 1), random(0, target->height() - 1));
        note(QStringLiteral("%1 at %2,%3 on %4")
                 .arg(twice ? QStringLiteral("double-click") : QStringLiteral("click"))
                 .arg(at.x())
                 .arg(at.y())
                 .arg(nameOf(target)));
        QPointer<QWidget> alive(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, at);
        if (twice && alive && alive->isVisible()) {
            QTest::mouseDClick(target, Qt::LeftButton, {}, at);
        }
    }

    // Ctrl+Z and then Ctrl+Y on the main window's grid: the case must come
    // back exactly as it was (the focus goes where the redone change left it).
    void undoThenRedo() {
        if (QApplication::activeModalWidget() != nullptr || !main_->undoAction()->isEnabled() ||
            main_->caseGridView()->isEditing()) {
            return;
        }
        note(QStringLiteral("undo then redo"));
        const CaseSnapshot before = main_->caseGrid().snapshot();
        main_->activateWindow();
        main_->undoAction()->trigger();
        main_->redoAction()->trigger();
        if (!(main_->caseGrid().snapshot() == before)) {
            fail(QStringLiteral("undo and redo did not give back the case"));
        }
    }

    void moveMouse(QWidget* window) {
        const std::vector<QWidget*> targets = visibleChildren(window);
        if (targets.empty()) {
            return;
        }
        QWidget* target = pick(targets);
        const QPoint at(random(0, target->width() - 1), random(0, target->height() - 1));
        note(QStringLiteral("move to %1,%2 on %3").arg(at.x()).arg(at.y()).arg(nameOf(target)));
        QTest::mouseMove(target, at);
    }

    // What another program might have left on the clipboard: numbers, one a
    // line, or a table block.
    void fillClipboard() {
        QString text;
        const int lines = random(1, 40);
        for (int i = 0; i < lines; ++i) {
            text += QString::number(random(-100, kRubricCount + 100));
            if (chance(0.2)) {
                text += QLatin1Char('\t') + QString::number(random(0, 5));
            }
            text += QLatin1Char('\n');
        }
        note(QStringLiteral("clipboard with %1 lines").arg(lines));
        QGuiApplication::clipboard()->setText(text);
    }

    void resizeWindow(QWidget* window) {
        const QSize size(random(100, 1600), random(80, 1000));
        note(QStringLiteral("resize %1 to %2x%3")
                 .arg(nameOf(window))
                 .arg(size.width())
                 .arg(size.height()));
        window->resize(size);
    }

    void switchWindow() {
        if (QApplication::activeModalWidget() != nullptr) {
            return;
        }
        const std::vector<QWidget*> windows = programWindows();
        if (windows.empty()) {
            return;
        }
        QWidget* w = pick(windows);
        note(QStringLiteral("activate ") + nameOf(w));
        w->activateWindow();
        w->raise();
    }

    // --- what must hold after every event ---------------------------------------------

    void check() {
        if (!main_) {
            return;
        }
        const Case& c = main_->theCase();
        const CaseGrid& grid = main_->caseGrid();
        largestCase_ = std::max(largestCase_, c.count());
        QString broken;
        if (c.count() < 0 || c.count() > kCaseSlotCount) {
            broken = QStringLiteral("the case holds %1 entries").arg(c.count());
        } else if (!resultViewOpen()) {
            broken = QString::fromStdString(gridCaseMismatch(grid));
        }
        if (!broken.isEmpty()) {
            fail(broken);
        }
        if (steps_ % 1000 == 0 && QApplication::activeModalWidget() == nullptr) {
            checkHistoryFile();
        }
    }

    // From "&Berechnen" until the result view has closed and its answer has
    // been applied, the grid's rows stand for the evaluated case; the view
    // lives until then.
    bool resultViewOpen() const { return main_->findChild<ResultDialog*>() != nullptr; }

    // The history file is never left broken, whatever was deleted, imported
    // or exported onto it.
    void checkHistoryFile() {
        if (!QFile::exists(historyPath_)) {
            return;
        }
        CaseHistory history(historyFileName(historyPath_));
        if (!history.loadOk()) {
            fail(QStringLiteral("the history file no longer reads: ") +
                 QString::fromLatin1(history.errorText().c_str()));
        }
    }

    void fail(const QString& what) {
        if (failed_) {
            return;
        }
        failed_ = true;
        std::string trail;
        for (const QString& line : recent_) {
            trail += "  " + line.toStdString() + '\n';
        }
        ADD_FAILURE() << what.toStdString() << " after event " << steps_ << "; the last events:\n"
                      << trail;
    }

    std::mt19937_64 rng_;
    SettingsStore& store_;
    QString historyPath_;
    std::unique_ptr<MainDialog> main_;

    QEventLoop loop_;
    QTimer closer_;
    QPointer<QAbstractButton> animated_; // clicked by a mnemonic, its click still on its way
    int roundsWaited_ = 0;
    QElapsedTimer clock_;
    std::int64_t milliseconds_ = 0;
    std::uint64_t maxSteps_ = 0;
    std::uint64_t steps_ = 0;
    int depth_ = 0;
    bool finished_ = false;
    bool failed_ = false;
    bool trace_ = false;
    int closeAttempts_ = 0;
    QPointer<QWidget> lastModal_; // a dialog gone is never taken for a new one
    int stepsInModal_ = 0;
    int restarts_ = 0;
    int largestCase_ = 0;
    std::map<QString, int> windowsMet_;
    std::deque<QString> recent_;
    std::vector<QString> eventAtDepth_; // the event each nested step is sending
    std::multimap<qint64, QString> slowest_;
};

// Points the program's file dialogs and the print dialog at the temporary
// folder while it lives; the monkey also cancels them now and then.
class TemporaryFileAnswers {
public:
    TemporaryFileAnswers(const QTemporaryDir& praxis, std::uint64_t seed) : rng_(seed ^ 0x5eed) {
        const QString validImport = praxis.filePath(QStringLiteral("import.xml"));
        QFile::copy(praxis.filePath(QStringLiteral("historie.xml")), validImport);
        const QString broken = praxis.filePath(QStringLiteral("kaputt.xml"));
        QFile file(broken);
        if (file.open(QIODevice::WriteOnly)) {
            file.write("<Fallhistorie AnzahlFaelle=\"2\">\r\n\t<Fall Name=\"X\" Anzahl");
        }
        const QStringList imports = {validImport, broken,
                                     praxis.filePath(QStringLiteral("fehlt.xml")), QString()};
        const QStringList exports = {praxis.filePath(QStringLiteral("export.xml")),
                                     praxis.filePath(QStringLiteral("historie.xml")),
                                     praxis.filePath(QStringLiteral("neu/export.xml")), QString()};
        files_.emplace(HistoryDialog::fileDialogTestHook(),
                       [this, imports, exports](const HistoryFileRequest& request) {
                           const QStringList& choices = request.save ? exports : imports;
                           return choices.at(std::uniform_int_distribution<int>(
                               0, static_cast<int>(choices.size()) - 1)(rng_));
                       });
        const QString pdf = praxis.filePath(QStringLiteral("druck.pdf"));
        print_.emplace(printDialogHook(), [this, pdf](QPrinter& printer) {
            if (std::bernoulli_distribution(0.5)(rng_)) {
                return false;
            }
            makePdfPrinter(printer, pdf);
            // The first page: a printout of 3000 rows would only cost time.
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(1, 1);
            return true;
        });
        const QStringList pdfs = {praxis.filePath(QStringLiteral("bericht.pdf")),
                                  praxis.filePath(QStringLiteral("fehlt/bericht.pdf")), QString()};
        pdf_.emplace(pdfPathHook(), [this, pdfs](const QString&, const QString&) {
            return pdfs.at(
                std::uniform_int_distribution<int>(0, static_cast<int>(pdfs.size()) - 1)(rng_));
        });
    }
    TemporaryFileAnswers(const TemporaryFileAnswers&) = delete;
    TemporaryFileAnswers& operator=(const TemporaryFileAnswers&) = delete;

private:
    std::mt19937_64 rng_;
    std::optional<PdfPathHook::Guard> pdf_;
    std::optional<HistoryDialog::FileDialogHook::Guard> files_;
    std::optional<PrintDialogHook::Guard> print_;
};

// Runs in a working folder of its own while it lives.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& path) : previous_(QDir::currentPath()) {
        QDir::setCurrent(path);
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    QString previous_;
};

} // namespace

// The normal suite's run: these events, the same every time, take a few
// seconds and reach the result view, the history and the limits of the grid.
constexpr std::uint64_t kFixedSeed = 20261207;
constexpr std::uint64_t kFixedSteps = 600;

TEST(Monkey, RandomUserEventsNeverBreakTheCase) {
    const bool timed = qEnvironmentVariableIsSet("TESSALYN_MONKEY_SECONDS");
    const std::uint64_t seed =
        envNumber("TESSALYN_MONKEY_SEED", timed ? std::random_device{}() : kFixedSeed);
    const std::uint64_t seconds = envNumber("TESSALYN_MONKEY_SECONDS", 0);
    const std::uint64_t maxSteps = envNumber("TESSALYN_MONKEY_STEPS", timed ? 0 : kFixedSteps);
    const bool trace = qEnvironmentVariableIntValue("TESSALYN_MONKEY_TRACE") != 0;
    std::cout << "monkey seed " << seed << " (replay with TESSALYN_MONKEY_SEED=" << seed << ")"
              << std::endl;
    RecordProperty("seed", std::to_string(seed));

    QTemporaryDir praxis;
    QTemporaryDir work;
    ASSERT_TRUE(praxis.isValid() && work.isValid());
    writeStartHistory(praxis.filePath(QStringLiteral("historie.xml")));
    ASSERT_FALSE(HasFatalFailure());
    const test_support::FreshSettings settings;

    std::uint64_t steps = 0;
    {
        const WorkingFolder folder(work.path());
        const TemporaryFileAnswers answers(praxis, seed);
        const FilingDate filingDate("07.12.2026 10:00");
        QtSettingsStore store;
        ASSERT_TRUE(store.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        Monkey monkey(seed, praxis, store);
        steps = monkey.run(static_cast<std::int64_t>(seconds) * 1000, maxSteps, trace);

        std::cout << "monkey: " << steps << " events, " << monkey.restarts()
                  << " restarts, largest case " << monkey.largestCase() << " entries; windows:";
        for (const auto& [name, count] : monkey.windowsMet()) {
            std::cout << ' ' << name.toStdString() << '=' << count;
        }
        std::cout << "\nslowest events:";
        for (const auto& [ms, what] : monkey.slowest()) {
            std::cout << "\n  " << ms << " ms  " << what.toStdString();
        }
        std::cout << std::endl;
    }
    EXPECT_GT(steps, 0u);
    EXPECT_TRUE(QDir(work.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden))
        << "the program wrote into its working folder";
    // The history file the monkey worked on still reads whole.
    const QString history = praxis.filePath(QStringLiteral("historie.xml"));
    if (QFile::exists(history)) {
        EXPECT_TRUE(CaseHistory(historyFileName(history)).loadOk());
    }
}

// --- faults the monkey found, kept as plain tests ------------------------------------

// "&Export" onto the history file itself rewrites the file, which gives the
// dialog's history new cases: the tree must follow them, or taking a node
// over afterwards reads a case that no longer exists.
TEST(MonkeyFindings, ExportOntoTheHistoryFileItselfKeepsTheTreeOnTheLiveCases) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("historie.xml"));
    writeStartHistory(path);
    ASSERT_FALSE(HasFatalFailure());
    MemorySettingsStore store;
    HistoryDialogContext context;
    context.historyPath = path;
    context.store = &store;
    const test_support::AskedOnce exportTo(HistoryDialog::fileDialogTestHook(),
                                           [&](const HistoryFileRequest&) { return path; });

    HistoryDialog d(context);
    QTreeWidget& tree = *d.tree();
    ASSERT_EQ(tree.topLevelItemCount(), 3);
    d.exportHistory();

    ASSERT_EQ(tree.topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(d.caseOf(tree.topLevelItem(i)),
                  d.history().cases()[static_cast<std::size_t>(i)].get())
            << "case " << i;
    }
    // In date order Klein, filed first, is listed last.
    QTreeWidgetItem* second = tree.topLevelItem(2)->child(1);
    ASSERT_NE(second, nullptr);
    tree.setCurrentItem(second);
    d.takeOver();
    EXPECT_EQ(d.resultName(), "Klein");
    EXPECT_EQ(d.resultSymptomCount(), 1);
}
