// Rewrites of a history that a crash or a second program could break, run as
// whole tessalyn-cli processes on real files: a rewrite in place in a folder
// the user cannot write, killed at any moment, and an export onto a history
// that another program changes at the same time.
#include "history/CaseHistory.h"
#include "history/HistoryBackup.h"
#include "history/RewriteJournal.h"
#include "support/CliProcess.h"
#include "support/TempFolder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessalyn;
using namespace tessalyn::test_support;
using namespace std::chrono_literals;

namespace {

const std::vector<FilingEntry> kEntries(8, FilingEntry{{12, 0}, false});

// A history of `count` cases named `prefix` and a number.
// When the file at `path` was last written to.
timespec changeTimeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim;
}

// The bytes the running process `pid` has handed to write calls so far; a
// process that has ended (or is a zombie) counts as having written all.
long bytesWrittenBy(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream stat(proc + "/stat");
    std::string field;
    for (int i = 0; i < 3 && stat >> field; ++i) {
    }
    if (!stat || field == "Z") {
        return std::numeric_limits<long>::max();
    }
    std::ifstream io(proc + "/io");
    std::string key;
    long value = 0;
    while (io >> key >> value) {
        if (key == "wchar:") {
            return value;
        }
    }
    return std::numeric_limits<long>::max();
}

std::string historyOf(int count, const std::string& prefix) {
    CaseHistory history;
    for (int i = 0; i < count; ++i) {
        history.fileCase(prefix + std::to_string(i), "Kommentar", kEntries, "01.01.2026 10:00");
    }
    return history.fileBytes();
}

bool holdsCase(const std::string& bytes, const std::string& name) {
    CaseHistory history;
    history.loadBytes(bytes, "historie.xml");
    return history.loadOk() && history.findCase(name) != nullptr;
}

// How many kill rounds the stress test runs: a few in the normal suite, 300
// in CI's long stage.
int killRounds() {
    const char* text = std::getenv("TESSALYN_INPLACE_KILL_ROUNDS");
    const int rounds = text != nullptr ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : 8;
}

// A history of the unprivileged user in a folder of the administrator: the
// user may write the file but make nothing next to it, so every change
// rewrites it in place.
class HistoryInPlaceCli : public ::testing::Test {
protected:
    void SetUp() override {
        if (!runAsNobody()) {
            GTEST_SKIP() << "needs a folder the tests' user cannot write: run as root";
        }
        dir_ = freshUserTestFolder("tessalyn-inplace");
        std::filesystem::create_directories(dir_ + "/p");
        std::filesystem::permissions(dir_, std::filesystem::perms(0755));
        std::filesystem::permissions(dir_ + "/p", std::filesystem::perms(0755));
        file_ = dir_ + "/p/historie.xml";
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
        std::filesystem::remove(kept_, ignored);
    }

    void writeHistory(const std::string& bytes) {
        writeBytes(file_, bytes);
        ::chmod(file_.c_str(), 0600);
        giveToUser(file_);
        kept_ = keptCopyPath(file_);
    }
    CliRun cli(const std::vector<std::string>& args) {
        return runCliProcess(args, {true, -1, dir_ + "/out.txt"});
    }
    pid_t startAdd(const std::string& name) {
        return startCli({"history", "add", file_, "--date", "02.01.2026 10:00", name, "", "12"},
                        {true, -1, dir_ + "/out.txt"});
    }

    // The path of the kept copy as the user's processes compute it.
    static std::string keptCopyPath(const std::string& file) {
        const char* before = std::getenv("XDG_DATA_HOME");
        const std::string saved = before != nullptr ? before : "";
        ::setenv("XDG_DATA_HOME", userDataHome().c_str(), 1);
        const std::string path = tessalyn::keptCopyPath(realFilePath(file));
        if (before != nullptr) {
            ::setenv("XDG_DATA_HOME", saved.c_str(), 1);
        } else {
            ::unsetenv("XDG_DATA_HOME");
        }
        return path;
    }

    std::string dir_;
    std::string file_;
    std::string kept_;
};

} // namespace

TEST_F(HistoryInPlaceCli, AStoppedRewriteIsNamedRefusedAndRestoredByTheProgram) {
    // A rewrite that finishes leaves no kept copy behind and says where the
    // old content was while it ran.
    writeHistory(historyOf(3, "Alt"));
    CliRun run = cli({"history", "add", file_, "Neu", "", "12"});
    ASSERT_EQ(run.rc, 0) << run.output;
    EXPECT_NE(
        run.output.find("an Ort und Stelle überschrieben; ihr alter Inhalt war dabei in " + kept_),
        std::string::npos)
        << run.output;
    EXPECT_FALSE(std::filesystem::exists(kept_));

    // One that stopped half-way, as a kill leaves it: the kept copy made,
    // the first part of the new content written over the old.
    const std::string oldBytes = readBytes(file_);
    const CaseHistory before(file_);
    CaseHistory after(file_);
    after.fileCase("Abgebrochen", "", kEntries, "03.01.2026 10:00");
    const std::string newBytes = after.fileBytes();
    {
        // Written by the test in the user's stead, then given to the user.
        const char* home = std::getenv("XDG_DATA_HOME");
        const std::string saved = home != nullptr ? home : "";
        ::setenv("XDG_DATA_HOME", userDataHome().c_str(), 1);
        std::string error;
        ASSERT_EQ(
            keepBeforeRewrite(systemFileLayer(), realFilePath(file_), oldBytes, newBytes, error),
            kept_)
            << error;
        home != nullptr ? ::setenv("XDG_DATA_HOME", saved.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
        for (const auto& entry : std::filesystem::recursive_directory_iterator(userDataHome())) {
            giveToUser(entry.path().string());
        }
    }
    const std::string halfWay = newBytes.substr(0, newBytes.size() * 2 / 3);
    writeHistory(halfWay);

    const std::string hint = "Wiederherstellen mit: tessalyn-cli history restore " + file_;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"history", "show", file_},
                                               {"history", "add", file_, "Neu", "", "12"},
                                               {"history", "remove", file_, "Alt0"},
                                               {"history", "export", file_, dir_ + "/kopie.xml"}}) {
        run = cli(args);
        SCOPED_TRACE(args[1]);
        EXPECT_EQ(run.rc, 1) << run.output;
        EXPECT_NE(run.output.find("wurde beim Überschreiben unterbrochen"), std::string::npos)
            << run.output;
        EXPECT_NE(run.output.find(kept_), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(hint), std::string::npos) << run.output;
        EXPECT_EQ(readBytes(file_), halfWay);
    }

    run = cli({"history", "restore", file_});
    EXPECT_EQ(run.rc, 0) << run.output;
    EXPECT_EQ(readBytes(file_), oldBytes);
    EXPECT_FALSE(std::filesystem::exists(kept_));
    run = cli({"history", "restore", file_});
    EXPECT_EQ(run.rc, 1);
    EXPECT_NE(run.output.find("nichts wiederherzustellen"), std::string::npos) << run.output;
    EXPECT_EQ(cli({"history", "add", file_, "Danach", "", "12"}).rc, 0);
    EXPECT_EQ(CaseHistory(file_).caseCount(), before.caseCount() + 1);
}

TEST_F(HistoryInPlaceCli, StressKilledRewritesEndIntactOrRestorable) {
    writeHistory(historyOf(6000, "Alt"));
    CliRun run = waitForCli(startAdd("Probe"), dir_ + "/out.txt");
    ASSERT_EQ(run.rc, 0) << run.output;

    // A filing in place writes the kept copy (about the history's size) and
    // then the history itself: the kills fall at points of that progress,
    // never after a time.
    const long size = static_cast<long>(readBytes(file_).size());
    std::mt19937 random(4711);
    std::uniform_int_distribution<long> anywhere(0, size * 12 / 5);
    int untouched = 0;
    int finished = 0;
    int restored = 0;
    const int rounds = killRounds();
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const std::string oldBytes = readBytes(file_);
        const std::size_t oldCount = CaseHistory(file_).caseCount();
        const std::string name = "Runde" + std::to_string(round);
        const pid_t pid = startAdd(name);
        // Every other kill falls into the rewrite itself: as soon as the
        // history's modification time shows its first bytes being written. The
        // others anywhere in the filing.
        if (round % 2 == 1) {
            const timespec before = changeTimeOf(file_);
            waitUntil(
                [&] {
                    const timespec now = changeTimeOf(file_);
                    return now.tv_sec != before.tv_sec || now.tv_nsec != before.tv_nsec ||
                           bytesWrittenBy(pid) == std::numeric_limits<long>::max();
                },
                10s, 20us);
        } else {
            const long killAt = anywhere(random);
            waitUntil([&] { return bytesWrittenBy(pid) >= killAt; }, 10s, 20us);
        }
        ::kill(pid, SIGKILL);
        run = waitForCli(pid, dir_ + "/out.txt");
        ASSERT_TRUE(run.rc == 0 || run.rc == -SIGKILL) << run.output;

        const std::string bytes = readBytes(file_);
        if (bytes == oldBytes) {
            ASSERT_NE(run.rc, 0) << "a filing reported done is missing";
            ++untouched;
        } else if (holdsCase(bytes, name) && CaseHistory(file_).caseCount() == oldCount + 1) {
            ++finished;
        } else {
            // Neither: the program itself brings the old content back.
            run = cli({"history", "restore", file_});
            ASSERT_EQ(run.rc, 0) << run.output;
            ASSERT_EQ(readBytes(file_), oldBytes);
            ++restored;
        }
        // Whatever the history holds now, the program reads it as it is: a
        // kept copy left of a finished or never begun rewrite misleads nobody.
        run = cli({"history", "show", file_});
        ASSERT_EQ(run.rc, 0) << run.output.substr(0, 1000);
    }
    std::printf("%d kill rounds: %d untouched, %d finished, %d restored\n", rounds, untouched,
                finished, restored);
}

// An export onto an existing history takes its lock and keeps a backup of it.
class HistoryExportCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path().string();
        source_ = dir_ + "/quelle.xml";
        target_ = dir_ + "/historie.xml";
    }
    CliRun cli(const std::vector<std::string>& args, const std::string& output = "out") {
        return runCliProcess(args, {false, -1, dir_ + "/" + output + ".txt"});
    }
    // Whether a copy in the target's backup folder holds `name`.
    bool backedUp(const std::string& name) const {
        for (const std::string& copy : HistoryBackup::copiesOf(target_)) {
            if (holdsCase(readBytes(copy), name)) {
                return true;
            }
        }
        return false;
    }

    TempFolder temp_{"tessalyn-export-cli"};
    std::string dir_;
    std::string source_;
    std::string target_;
};

TEST_F(HistoryExportCli, AHistoryExportedOverStaysInItsBackups) {
    // The arguments swapped: an old one-case file over the live history.
    writeBytes(source_, historyOf(1, "Alt"));
    writeBytes(target_, historyOf(500, "Patient"));
    const CliRun run = cli({"history", "export", source_, target_});
    ASSERT_EQ(run.rc, 0) << run.output;
    EXPECT_EQ(readBytes(target_), readBytes(source_));
    const std::vector<std::string> copies = HistoryBackup::copiesOf(target_);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(CaseHistory(copies[0]).caseCount(), 500u);
}

TEST_F(HistoryExportCli, AnAddRacingAnExportIsNeverASuccessUndone) {
    writeBytes(source_, historyOf(3, "Quelle"));
    const std::string exported = readBytes(source_);
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::filesystem::remove_all(HistoryBackup::folderOf(target_));
        writeBytes(target_, historyOf(3000, "Ziel"));
        const std::string added = "Neu" + std::to_string(round);
        const pid_t add =
            startCli({"history", "add", target_, added, "", "12"}, {false, -1, dir_ + "/add.txt"});
        const pid_t exporter =
            startCli({"history", "export", source_, target_}, {false, -1, dir_ + "/export.txt"});
        const CliRun addRun = waitForCli(add, dir_ + "/add.txt");
        const CliRun exportRun = waitForCli(exporter, dir_ + "/export.txt");
        const std::string bytes = readBytes(target_);
        ASSERT_TRUE(CaseHistory(target_).loadOk());
        // Each is kept or says why not.
        for (const CliRun* run : {&addRun, &exportRun}) {
            EXPECT_TRUE(run->rc == 0 || run->output.find("nicht") != std::string::npos)
                << run->output;
        }
        if (exportRun.rc == 0) {
            // Exactly the source, or the source with the add made after it.
            EXPECT_TRUE(bytes == exported ||
                        (bytes.size() > exported.size() && holdsCase(bytes, "Quelle2") &&
                         holdsCase(bytes, added) && !holdsCase(bytes, "Ziel0")))
                << "an export reported done was undone";
        }
        if (addRun.rc == 0 && !holdsCase(bytes, added)) {
            // Replaced by the export after it, by design: then its state is
            // in the target's backups.
            EXPECT_EQ(bytes, exported);
            EXPECT_TRUE(backedUp(added)) << "a filing reported done is lost";
        }
    }
}
