// Changing the history file under its lock: the lock itself, taking over
// stale locks, changes on top of what another program wrote meanwhile, and
// failures that leave both the file and the caller's history as they were.
#include "history/HistoryTransaction.h"
#include "support/FileBytes.h"
#include "support/HistoryFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <csignal>

#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessalyn;
using tessalyn::test_support::readBytes;
using tessalyn::test_support::writeBytes;
using test_support::RefusingLayer;
using namespace std::chrono_literals;

namespace {

std::string hostName() {
    char buffer[256] = {};
    gethostname(buffer, sizeof buffer - 1);
    return buffer;
}

const std::vector<FilingEntry> kEntries = {{{12, 0}, false}, {{-40, 1}, false}, {{7, 0}, true}};

const HistoryChangeOptions kGuiPolicy(BrokenHistoryPolicy::KeepCopyAndRewrite);

class HistoryTransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        file_ = (dir_ / "historie.xml").string();
    }

    // Files a treatment the way a program instance does: on its own history.
    HistoryChangeResult file(CaseHistory& history, HistoryFileStamp& stamp, const std::string& name,
                             const std::string& date) {
        return changeHistoryFile(
            history, stamp,
            [&](CaseHistory& h, bool) {
                h.fileCase(name, "", kEntries, date);
                return true;
            },
            kGuiPolicy);
    }

    test_support::TempFolder temp_{"tessalyn-transaction"};
    std::filesystem::path dir_;
    std::string file_;
};

} // namespace

TEST_F(HistoryTransactionTest, LockIsExclusiveAndIsRemovedOnUnlock) {
    HistoryFileLock first(file_);
    HistoryFileLock second(file_);
    ASSERT_TRUE(first.tryLock());
    EXPECT_TRUE(std::filesystem::exists(file_ + ".lock"));
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(second.heldElsewhere());
    EXPECT_FALSE(second.lock(60ms));
    // Held by this very process through another open file: it is never
    // named as the holder.
    EXPECT_EQ(second.holder(), "");
    EXPECT_NE(second.error().find("anderen Programm"), std::string::npos);
    first.unlock();
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
    EXPECT_TRUE(second.tryLock());
}

TEST_F(HistoryTransactionTest, LocksThatNobodyHoldsDoNotDelay) {
    // What a killed program leaves between making the lock file and writing
    // it, a lock file of the former kind dated in the future, one naming a
    // running process, and a symbolic link that leads nowhere.
    const std::string lockFile = file_ + ".lock";
    const auto attempt = [&](const char* what) {
        HistoryFileLock lock(file_);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(lock.lock(5000ms)) << what << ": " << lock.error();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s) << what;
    };
    writeBytes(lockFile, "");
    attempt("leer");
    writeBytes(lockFile, "1 elsewhere 42\n");
    timeval future[2] = {{time(nullptr) + 3600, 0}, {time(nullptr) + 3600, 0}};
    ASSERT_EQ(utimes(lockFile.c_str(), future), 0);
    attempt("Zukunft");
    writeBytes(lockFile, std::to_string(getpid()) + " " + hostName() + " 1\n");
    attempt("Prozess");
    std::filesystem::remove(lockFile);
    std::filesystem::create_symlink(dir_ / "nirgends", lockFile);
    attempt("Verweis ins Leere");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "nirgends"));
}

TEST_F(HistoryTransactionTest, AStoppedHolderKeepsItsLockHoweverLongAndADeadOneNever) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        HistoryFileLock lock(file_);
        const char ok = lock.tryLock() ? '1' : '0';
        [[maybe_unused]] const ssize_t n = write(ready[1], &ok, 1);
        raise(SIGSTOP);
        _exit(0);
    }
    ASSERT_GT(holder, 0);
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    // However old the lock looks, its holder still runs.
    timeval old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    ASSERT_EQ(utimes((file_ + ".lock").c_str(), old), 0);
    HistoryFileLock lock(file_);
    EXPECT_FALSE(lock.lock(300ms));
    EXPECT_TRUE(lock.heldElsewhere());
    EXPECT_NE(lock.holder().find(std::to_string(holder)), std::string::npos) << lock.holder();
    // Killed while holding it: the lock is free at once.
    kill(holder, SIGKILL);
    waitpid(holder, nullptr, 0);
    EXPECT_TRUE(lock.tryLock()) << lock.error();
    close(ready[0]);
    close(ready[1]);
}

TEST_F(HistoryTransactionTest, ALinkAndItsTargetShareOneLock) {
    const std::string real = (dir_ / "echt.xml").string();
    writeBytes(real, "");
    std::filesystem::create_symlink(real, file_);
    HistoryFileLock throughLink(file_);
    ASSERT_TRUE(throughLink.tryLock());
    EXPECT_EQ(throughLink.target(), real);
    EXPECT_TRUE(std::filesystem::exists(real + ".lock"));
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
    HistoryFileLock direct(real);
    EXPECT_FALSE(direct.tryLock());
    EXPECT_TRUE(direct.heldElsewhere());
}

TEST_F(HistoryTransactionTest, AFolderThatRefusesTheLockFileIsNoWaitingMatter) {
    const std::string missing = (dir_ / "fehlt" / "historie.xml").string();
    HistoryFileLock lock(missing);
    EXPECT_FALSE(lock.lock(2000ms));
    EXPECT_FALSE(lock.heldElsewhere());
    EXPECT_NE(lock.error().find("fehlt"), std::string::npos);

    CaseHistory history;
    history.setFileName(missing);
    HistoryFileStamp stamp;
    EXPECT_EQ(file(history, stamp, "A", "01.01.2026 10:00").status,
              HistoryChangeStatus::LockFailed);
}

TEST_F(HistoryTransactionTest, TwoInstancesFilingOnOneFileKeepBothTreatments) {
    CaseHistory first;
    CaseHistory second;
    HistoryFileStamp firstStamp = loadHistoryWithStamp(first, file_, nullptr);
    HistoryFileStamp secondStamp = loadHistoryWithStamp(second, file_, nullptr);

    HistoryChangeResult r = file(first, firstStamp, "Meier", "01.02.2026 10:00");
    EXPECT_TRUE(r.saved());
    EXPECT_FALSE(r.reloaded);
    r = file(second, secondStamp, "meier", "01.02.2026 10:05");
    EXPECT_TRUE(r.saved());
    EXPECT_TRUE(r.reloaded);
    // The first instance files again, on top of the second one's filing.
    r = file(first, firstStamp, "Schulz", "01.02.2026 10:10");
    EXPECT_TRUE(r.reloaded);

    CaseHistory onDisk(file_);
    ASSERT_EQ(onDisk.caseCount(), 2u);
    const FiledCase& meier = *onDisk.cases()[0];
    EXPECT_EQ(meier.name, "Meier");
    ASSERT_EQ(meier.treatments.size(), 2u);
    EXPECT_EQ(meier.treatments[0]->date, "01.02.2026 10:00");
    EXPECT_EQ(meier.treatments[1]->date, "01.02.2026 10:05");
    // The auto-added entry is not filed.
    EXPECT_EQ(meier.treatments[1]->symptoms.size(), 2u);
    EXPECT_EQ(onDisk.cases()[1]->name, "Schulz");
    // The caller's history is what the file now holds.
    EXPECT_EQ(first.fileBytes(), readBytes(file_));
    EXPECT_EQ(firstStamp, historyFileStamp(file_));
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
}

TEST_F(HistoryTransactionTest, DeletionFindsItsTargetInTheFreshContent) {
    CaseHistory writer;
    writer.setFileName(file_);
    writer.fileCase("A", "eins", kEntries, "01.01.2026 10:00");
    writer.fileCase("B", "zwei", kEntries, "02.01.2026 10:00");
    writer.fileCase("B", "zwei", kEntries, "02.01.2026 10:00");
    ASSERT_TRUE(writer.save());

    CaseHistory shown;
    HistoryFileStamp stamp = loadHistoryWithStamp(shown, file_, nullptr);
    // The second of two equal treatments.
    const FiledCase& b = *shown.cases()[1];
    const HistoryItemKey key = historyItemKey(shown, b, b.treatments[1].get());
    EXPECT_EQ(key.treatmentOrdinal, 1u);

    // Another program puts a case in front of B meanwhile.
    CaseHistory other(file_);
    other.fileCase("C", "", kEntries, "03.01.2026 10:00");
    other.sortCases(true);
    ASSERT_TRUE(other.save());

    const auto remove = [&key](CaseHistory& h, bool) {
        Treatment* t = nullptr;
        FiledCase* c = findHistoryItem(h, key, &t);
        if (t == nullptr) {
            return false;
        }
        h.removeTreatment(*c, t);
        return true;
    };
    HistoryChangeResult r = changeHistoryFile(shown, stamp, remove, kGuiPolicy);
    EXPECT_TRUE(r.saved());
    EXPECT_TRUE(r.reloaded);
    CaseHistory onDisk(file_);
    ASSERT_EQ(onDisk.caseCount(), 3u);
    EXPECT_EQ(onDisk.cases()[1]->name, "B");
    EXPECT_EQ(onDisk.cases()[1]->treatments.size(), 1u);
    EXPECT_EQ(onDisk.cases()[2]->name, "C");

    // Another program deletes B whole; deleting the treatment again finds
    // nothing, writes nothing and shows the fresh content.
    CaseHistory deleter(file_);
    deleter.removeCase(deleter.findCase("B"));
    ASSERT_TRUE(deleter.save());
    const std::string before = readBytes(file_);
    r = changeHistoryFile(shown, stamp, remove, kGuiPolicy);
    EXPECT_EQ(r.status, HistoryChangeStatus::NothingDone);
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(shown.caseCount(), 2u);
    EXPECT_EQ(stamp, historyFileStamp(file_));
}

TEST_F(HistoryTransactionTest, FailuresLeaveFileHistoryAndStampAsTheyWere) {
    CaseHistory history;
    history.setFileName(file_);
    history.fileCase("A", "", kEntries, "01.01.2026 10:00");
    ASSERT_TRUE(history.save());
    HistoryFileStamp stamp = loadHistoryWithStamp(history, file_, nullptr);
    const std::string before = readBytes(file_);
    const HistoryFileStamp stampBefore = stamp;
    const FiledCase* caseBefore = history.cases()[0].get();

    RefusingLayer refusing;
    HistoryChangeOptions options(BrokenHistoryPolicy::KeepCopyAndRewrite);
    options.fileLayer = &refusing;
    HistoryChangeResult r = changeHistoryFile(
        history, stamp,
        [](CaseHistory& h, bool) {
            h.removeCase(h.cases()[0].get());
            return true;
        },
        options);
    EXPECT_EQ(r.status, HistoryChangeStatus::SaveFailed);
    EXPECT_NE(r.error.find("Umbenennen misslungen"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(file_), std::string::npos) << r.error;
    EXPECT_EQ(readBytes(file_), before);
    ASSERT_EQ(history.caseCount(), 1u);
    EXPECT_EQ(history.cases()[0].get(), caseBefore);
    EXPECT_EQ(stamp, stampBefore);

    // Held by another program for the whole wait.
    HistoryFileLock other(file_);
    ASSERT_TRUE(other.tryLock());
    options = HistoryChangeOptions(BrokenHistoryPolicy::KeepCopyAndRewrite);
    options.lockWait = 50ms;
    r = changeHistoryFile(
        history, stamp, [](CaseHistory&, bool) { return true; }, options);
    EXPECT_EQ(r.status, HistoryChangeStatus::Locked);
    EXPECT_EQ(history.cases()[0].get(), caseBefore);
}

TEST_F(HistoryTransactionTest, AFileThatCannotBeReadWholeIsKeptBeforeItIsReplaced) {
    const std::string broken = "<Fallhistorie AnzahlFaelle=\"2\">\r\n"
                               "\t<Fall Name=\"A\" AnzahlBehandlungen=\"0\">\r\n"
                               "\t</Fall>\r\n"
                               "\t<Fall Name=B AnzahlBehandlungen=\"0\">\r\n";
    writeBytes(file_, broken);
    writeBytes(file_ + ".defekt", "an older one");

    CollectingHistoryReporter reporter;
    HistoryChangeOptions options(BrokenHistoryPolicy::KeepCopyAndRewrite);
    options.reporter = &reporter;
    const HistoryChangeResult r = changeHistoryFile(
        file_,
        [](CaseHistory& h, bool reloaded) {
            EXPECT_TRUE(reloaded);
            h.fileCase("C", "", kEntries, "01.01.2026 10:00");
            return true;
        },
        options);
    EXPECT_TRUE(r.saved());
    EXPECT_EQ(reporter.messages().size(), 1u);
    EXPECT_EQ(r.backupPath, file_ + ".defekt1");
    EXPECT_EQ(readBytes(file_ + ".defekt1"), broken);
    EXPECT_EQ(readBytes(file_ + ".defekt"), "an older one");
    CaseHistory onDisk(file_);
    EXPECT_TRUE(onDisk.loadOk());
    ASSERT_EQ(onDisk.caseCount(), 2u);
    EXPECT_EQ(onDisk.cases()[1]->name, "C");

    // Now whole: the next change keeps no copy.
    const HistoryChangeResult again = changeHistoryFile(
        file_,
        [](CaseHistory& h, bool) {
            h.fileCase("D", "", kEntries, "01.01.2026 10:00");
            return true;
        },
        kGuiPolicy);
    EXPECT_TRUE(again.backupPath.empty());
}

// The desktop program's path: its own history, loaded with a syntax error,
// changed while the file still is as it was loaded. Each policy is kept to.
TEST_F(HistoryTransactionTest, ACallersBrokenHistoryIsRefusedOrKeptAsThePolicySays) {
    const std::string broken = "<Fallhistorie AnzahlFaelle=\"2\">\r\n"
                               "\t<Fall Name=\"A\" AnzahlBehandlungen=\"0\">\r\n"
                               "\t</Fall>\r\n"
                               "\t<Fall Name=B AnzahlBehandlungen=\"0\">\r\n";
    writeBytes(file_, broken);
    CaseHistory history;
    HistoryFileStamp stamp = loadHistoryWithStamp(history, file_, nullptr);
    ASSERT_EQ(history.loadStatus(), HistoryLoadStatus::SyntaxError);
    ASSERT_EQ(history.caseCount(), 1u);
    const HistoryFileStamp stampBefore = stamp;
    const FiledCase* caseBefore = history.cases()[0].get();

    CollectingHistoryReporter reporter;
    HistoryChangeOptions refuse(BrokenHistoryPolicy::Refuse);
    refuse.reporter = &reporter;
    const HistoryChangeResult refused = changeHistoryFile(
        history, stamp,
        [](CaseHistory&, bool) {
            ADD_FAILURE() << "no change on a refused file";
            return true;
        },
        refuse);
    EXPECT_EQ(refused.status, HistoryChangeStatus::Broken);
    EXPECT_FALSE(refused.reloaded);
    EXPECT_TRUE(refused.backupPath.empty());
    // The caller was told when it loaded the file; nothing is said again.
    EXPECT_TRUE(reporter.messages().empty());
    EXPECT_EQ(readBytes(file_), broken);
    EXPECT_FALSE(std::filesystem::exists(file_ + ".defekt"));
    ASSERT_EQ(history.caseCount(), 1u);
    EXPECT_EQ(history.cases()[0].get(), caseBefore);
    EXPECT_EQ(stamp, stampBefore);

    const HistoryChangeResult kept = file(history, stamp, "C", "01.01.2026 10:00");
    EXPECT_TRUE(kept.saved());
    EXPECT_FALSE(kept.reloaded);
    EXPECT_EQ(kept.backupPath, file_ + ".defekt");
    EXPECT_EQ(readBytes(file_ + ".defekt"), broken);
    EXPECT_TRUE(history.loadOk());
    ASSERT_EQ(history.caseCount(), 2u);
    EXPECT_EQ(history.cases()[0]->name, "A");
    EXPECT_EQ(history.cases()[1]->name, "C");
    EXPECT_EQ(stamp, historyFileStamp(file_));
    EXPECT_EQ(CaseHistory(file_).caseCount(), 2u);
}

// A rewrite in place keeps the old content in the user's data folder first.
// The kept copy tells by the history's bytes alone whether the rewrite
// finished, never began or stopped half-way (even where the half-written file
// parses); only the last stops every change until the copy is restored.
TEST_F(HistoryTransactionTest, AKeptCopyTellsARewriteStoppedHalfWayAndRestoresIt) {
    const auto historyWith = [&](const std::string& first, const std::string& second) {
        CaseHistory history;
        history.setFileName(file_);
        history.fileCase("Erika Muster", first, kEntries, "01.01.2026 10:00");
        history.fileCase("Max Muster", second, kEntries, "01.01.2026 11:00");
        return history.fileBytes();
    };
    const std::string oldBytes = historyWith("aaaa", "cccc");
    const std::string newBytes = historyWith("bbbb", "dddd");
    // The first case rewritten, the second not yet: a history that parses.
    const std::size_t firstCaseEnd = newBytes.find("Max Muster");
    const std::string halfWay = newBytes.substr(0, firstCaseEnd) + oldBytes.substr(firstCaseEnd);
    {
        CaseHistory parsed;
        parsed.loadBytes(halfWay, file_);
        ASSERT_TRUE(parsed.loadOk());
    }
    const std::string real = realFilePath(dir_.string()) + "/historie.xml";
    EXPECT_NE(keptCopyPath(real), keptCopyPath(realFilePath(dir_.string()) + "/historie.bak"));

    struct Round {
        const char* what;
        std::string onDisk;
        RewriteState state;
    };
    const std::vector<Round> rounds = {
        {"never began", oldBytes, RewriteState::Untouched},
        {"finished", newBytes, RewriteState::Finished},
        {"half-way, parses", halfWay, RewriteState::Interrupted},
        {"cut short", newBytes.substr(0, newBytes.size() / 2), RewriteState::Interrupted},
        {"emptied", "", RewriteState::Interrupted},
    };
    for (const Round& round : rounds) {
        SCOPED_TRACE(round.what);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        writeBytes(file_, round.onDisk);
        std::string error;
        const std::string kept =
            keepBeforeRewrite(systemFileLayer(), real, oldBytes, newBytes, error);
        ASSERT_EQ(kept, keptCopyPath(real)) << error;
        EXPECT_EQ(std::filesystem::status(kept).permissions(), std::filesystem::perms(0600));
        EXPECT_EQ(std::filesystem::status(std::filesystem::path(kept).parent_path()).permissions(),
                  std::filesystem::perms(0700));

        const KeptCopyCheck check = checkKeptCopy(file_, kGuiPolicy);
        EXPECT_EQ(check.state, round.state);
        if (round.state != RewriteState::Interrupted) {
            // Its work is done: it goes, and nothing is left to restore.
            EXPECT_FALSE(std::filesystem::exists(kept));
            EXPECT_EQ(restoreHistoryFile(file_, kGuiPolicy).status,
                      HistoryChangeStatus::NothingDone);
            EXPECT_EQ(readBytes(file_), round.onDisk);
            continue;
        }
        EXPECT_EQ(check.keptCopy, kept);
        CaseHistory history;
        HistoryFileStamp stamp = loadHistoryWithStamp(history, file_, nullptr);
        const HistoryChangeResult refused = file(history, stamp, "Neu", "02.01.2026 10:00");
        EXPECT_EQ(refused.status, HistoryChangeStatus::Interrupted);
        EXPECT_TRUE(refused.keptCopyRemains);
        const std::string text = historyChangeFailureText(refused, "historie.xml", "Nichts.");
        EXPECT_NE(text.find("unterbrochen"), std::string::npos) << text;
        EXPECT_NE(text.find(shownPath(kept)), std::string::npos) << text;
        EXPECT_EQ(readBytes(file_), round.onDisk);

        const HistoryChangeResult restored = restoreHistoryFile(file_, kGuiPolicy);
        EXPECT_TRUE(restored.saved()) << restored.error;
        EXPECT_EQ(readBytes(file_), oldBytes);
        EXPECT_EQ(readBytes(restored.backupPath), round.onDisk);
        EXPECT_FALSE(std::filesystem::exists(kept));
        EXPECT_TRUE(file(history, stamp, "Neu", "02.01.2026 10:00").saved());
    }

    // A kept copy that is not whole is no copy to restore from.
    writeBytes(file_, halfWay);
    std::string error;
    const std::string kept = keepBeforeRewrite(systemFileLayer(), real, oldBytes, newBytes, error);
    std::string damaged = readBytes(kept);
    damaged.back() ^= 1;
    writeBytes(kept, damaged);
    EXPECT_EQ(checkKeptCopy(file_, kGuiPolicy).state, RewriteState::None);
    std::filesystem::remove(kept);
}
