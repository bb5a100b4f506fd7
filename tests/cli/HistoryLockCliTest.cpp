// Several tessalyn-cli processes changing one history file at the same time,
// some through a symbolic link, one of them stopped while it holds the lock:
// every filing reported done ends up in the file, a waiting one says why it
// gave up, and lock files that no program holds, or that are no plain lock
// file at all, delay nobody.
#include "history/CaseHistory.h"
#include "support/CliProcess.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/time.h>
#include <unistd.h>

using namespace tessalyn;
using namespace tessalyn::test_support;
using namespace std::chrono_literals;

namespace {

class HistoryLockCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        std::filesystem::create_directories(dir_ / "daten");
        file_ = (dir_ / "daten" / "historie.xml").string();
        link_ = (dir_ / "historie.xml").string();
        std::filesystem::create_symlink(file_, link_);
    }

    std::string outputOf(const std::string& name) const {
        return (dir_ / (name + ".out")).string();
    }
    // Starts `tessalyn-cli history add` filing case `name` into `file`.
    pid_t startAdd(const std::string& file, const std::string& name) const {
        return startCli(
            {"history", "add", file, "--date", "01.02.2026 10:00", name, "", "12", "40"},
            {false, -1, outputOf(name)});
    }
    CliRun waitAdd(pid_t pid, const std::string& name) const {
        return waitForCli(pid, outputOf(name));
    }

    std::set<std::string> filedNames() const {
        CaseHistory history(file_);
        EXPECT_TRUE(history.loadOk());
        std::set<std::string> names;
        for (const auto& c : history.cases()) {
            names.insert(c->name);
        }
        return names;
    }

    test_support::TempFolder temp_{"tessalyn-history-lock"};
    std::filesystem::path dir_;
    std::string file_;
    std::string link_;
};

// Whether process `pid` holds a kernel lock, as the kernel lists it.
bool holdsALock(pid_t pid) {
    std::ifstream locks("/proc/locks");
    std::string line;
    const std::string holder = " " + std::to_string(pid) + " ";
    while (std::getline(locks, line)) {
        if (line.find("->") == std::string::npos && line.find("FLOCK") != std::string::npos &&
            line.find(holder) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// How long the stress test keeps its lock holder stopped: a few seconds in
// the normal suite, longer than any time-based takeover in CI.
std::chrono::seconds stopTime() {
    const char* text = std::getenv("TESSALYN_HISTORY_STOP_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return std::chrono::seconds(seconds > 0 ? seconds : 3);
}

} // namespace

TEST_F(HistoryLockCli, ConcurrentFilingsThroughALinkAndTheRealPathAreAllKept) {
    constexpr int kProcesses = 16;
    std::vector<pid_t> pids;
    for (int i = 0; i < kProcesses; ++i) {
        pids.push_back(startAdd(i % 2 == 0 ? link_ : file_, "Fall" + std::to_string(i)));
    }
    for (int i = 0; i < kProcesses; ++i) {
        const CliRun run = waitAdd(pids[static_cast<std::size_t>(i)], "Fall" + std::to_string(i));
        EXPECT_EQ(run.rc, 0) << run.output;
    }
    EXPECT_EQ(filedNames().size(), static_cast<std::size_t>(kProcesses));
    EXPECT_TRUE(std::filesystem::is_symlink(link_));
    EXPECT_FALSE(std::filesystem::exists(file_ + ".lock"));
    EXPECT_FALSE(std::filesystem::exists(link_ + ".lock"));
}

TEST_F(HistoryLockCli, LockFilesThatNobodyHoldsDelayNobody) {
    const std::string lockFile = file_ + ".lock";
    const auto fileQuickly = [&](const std::string& name) {
        const auto start = std::chrono::steady_clock::now();
        const CliRun run = waitAdd(startAdd(link_, name), name);
        EXPECT_EQ(run.rc, 0) << name << ": " << run.output;
        EXPECT_EQ(run.output.find("anderen Programm"), std::string::npos) << run.output;
        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << name;
        // Never followed: what a link led to stays, and the link goes.
        EXPECT_FALSE(std::filesystem::is_symlink(lockFile)) << name;
    };
    // Empty, as a killed program leaves it between making and writing it.
    std::ofstream(lockFile).close();
    fileQuickly("leer");
    // Dated an hour ahead.
    std::ofstream(lockFile) << "1 anderer-rechner 42\n";
    const timeval future[2] = {{time(nullptr) + 3600, 0}, {time(nullptr) + 3600, 0}};
    ASSERT_EQ(utimes(lockFile.c_str(), future), 0);
    fileQuickly("zukunft");
    // A symbolic link that leads nowhere.
    std::filesystem::remove(lockFile);
    std::filesystem::create_symlink(dir_ / "weg", lockFile);
    fileQuickly("verweis");
    // A link to the history, or a second name of it: the history's own lock
    // would otherwise keep this program waiting for itself.
    std::filesystem::create_symlink(file_, lockFile);
    fileQuickly("historie");
    std::filesystem::create_hard_link(file_, lockFile);
    fileQuickly("zweitname");
    // A link to some other file, which stays as it was.
    const std::string other = (dir_ / "anderes.txt").string();
    std::ofstream(other) << "fremd";
    std::filesystem::create_symlink(other, lockFile);
    fileQuickly("anderes");
    EXPECT_EQ(test_support::readBytes(other), "fremd");
    EXPECT_EQ(filedNames(), (std::set<std::string>{"leer", "zukunft", "verweis", "historie",
                                                   "zweitname", "anderes"}));
}

TEST_F(HistoryLockCli, StressAStoppedHolderLosesNoFilingOfOthers) {
    // A history big enough that a filing holds the lock for a while.
    {
        CaseHistory history;
        history.setFileName(file_);
        const std::vector<FilingEntry> entries(40, FilingEntry{{12, 0}, false});
        for (int i = 0; i < 3000; ++i) {
            history.fileCase("Alt" + std::to_string(i), "Kommentar", entries, "01.01.2026 10:00");
        }
        ASSERT_TRUE(history.save());
    }
    std::set<std::string> reportedDone;
    // Catch one filing while it holds the lock and stop it there.
    pid_t stopped = -1;
    std::string stoppedName;
    for (int attempt = 0; attempt < 50 && stopped < 0; ++attempt) {
        const std::string name = "Angehalten" + std::to_string(attempt);
        const pid_t pid = startAdd(attempt % 2 == 0 ? link_ : file_, name);
        bool caught = false;
        bool finished = false;
        // Until the filing holds a lock or has finished; one that lets go
        // just as it is stopped goes on and is looked at again.
        const auto holdsOrFinished = [&] {
            if (holdsALock(pid)) {
                return true;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
                reportedDone.insert(name);
                finished = true;
            }
            return finished;
        };
        while (!caught && !finished && waitUntil(holdsOrFinished, 3s, 100us) && !finished) {
            kill(pid, SIGSTOP);
            caught = holdsALock(pid);
            if (!caught) {
                kill(pid, SIGCONT);
            }
        }
        if (caught) {
            stopped = pid;
            stoppedName = name;
        }
    }
    ASSERT_GT(stopped, 0) << "no filing was caught holding the lock";
    const auto stopStart = std::chrono::steady_clock::now();

    // Fifteen others: half at once, half shortly before the holder goes on
    // (after any time-based takeover would have struck); half through the link.
    std::vector<std::pair<pid_t, std::string>> others;
    const auto startOthers = [&](int first, int last) {
        for (int i = first; i < last; ++i) {
            const std::string name = "Fall" + std::to_string(i);
            others.emplace_back(startAdd(i % 2 == 0 ? link_ : file_, name), name);
        }
    };
    startOthers(0, 8);
    // The holder stays stopped for the stop time: that time itself is what is
    // tested (no waiting filing may take the lock over however long it waits),
    // so the test sleeps through it rather than waiting for an event.
    const std::chrono::seconds stop = stopTime();
    std::this_thread::sleep_until(stopStart + (stop > 3s ? stop - 3s : 0s));
    startOthers(8, 15);
    std::this_thread::sleep_until(stopStart + stop);
    kill(stopped, SIGCONT);

    const CliRun holder = waitAdd(stopped, stoppedName);
    EXPECT_EQ(holder.rc, 0) << holder.output;
    reportedDone.insert(stoppedName);
    for (const auto& [pid, name] : others) {
        const CliRun run = waitAdd(pid, name);
        ASSERT_TRUE(run.exited) << name;
        if (run.rc == 0) {
            reportedDone.insert(name);
        } else {
            // Gave up waiting: says so, and why.
            EXPECT_NE(run.output.find("wird gerade von einem anderen Programm geändert"),
                      std::string::npos)
                << run.output;
            EXPECT_NE(run.output.find("Der Fall wurde nicht abgelegt."), std::string::npos)
                << run.output;
        }
    }
    const std::set<std::string> onDisk = filedNames();
    for (const std::string& name : reportedDone) {
        EXPECT_TRUE(onDisk.count(name)) << name << " reported done but missing";
    }
    EXPECT_EQ(onDisk.size(), 3000 + reportedDone.size());
}
