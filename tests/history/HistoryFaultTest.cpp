// The history file under faults of the file system: unreadable files are not
// empty ones, odd files in the history's place are reported, protected files
// and links are respected, rights stay private, nothing is left behind, and
// every failure names the file, the reason and what it means.
#include "history/HistoryBackup.h"
#include "history/HistoryTransaction.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tessalyn;
using tessalyn::test_support::readBytes;
using tessalyn::test_support::writeBytes;
using namespace std::chrono_literals;

namespace {

unsigned modeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

const std::vector<FilingEntry> kEntries = {{{12, 0}, false}};

// The real file system with faults a test cannot make for real: a read that
// fails with an I/O error, a disk that fills up while writing (half of the
// bytes land first), writes in place that fail. It also records the rights of
// every temporary file while its bytes are written.
class FaultLayer : public SystemFileLayer {
public:
    bool failRead = false;
    bool fullDisk = false;
    int failingWritesInPlace = 0;
    std::vector<unsigned> temporaryModes;

    bool readAll(int handle, std::string& bytes) override {
        if (failRead) {
            return fail(EIO);
        }
        return SystemFileLayer::readAll(handle, bytes);
    }
    bool write(int handle, const char* data, std::size_t size) override {
        struct stat st {};
        ::fstat(handle, &st);
        temporaryModes.push_back(st.st_mode & 07777);
        if (fullDisk) {
            SystemFileLayer::write(handle, data, size / 2);
            return fail(ENOSPC);
        }
        return SystemFileLayer::write(handle, data, size);
    }
    bool writeAt(int handle, std::int64_t offset, const char* data, std::size_t size) override {
        if (failingWritesInPlace > 0) {
            --failingWritesInPlace;
            SystemFileLayer::writeAt(handle, offset, data, size / 2);
            return fail(ENOSPC);
        }
        return SystemFileLayer::writeAt(handle, offset, data, size);
    }
};

class HistoryFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        file_ = (dir_ / "historie.xml").string();
    }

    // A history with one case "Alt", written the ordinary way.
    std::string existing() {
        CaseHistory h;
        h.setFileName(file_);
        h.fileCase("Alt", "", kEntries, "01.01.2026 10:00");
        EXPECT_TRUE(h.save());
        return readBytes(file_);
    }

    HistoryChangeResult fileNew(BrokenHistoryPolicy policy, FileLayer* layer = nullptr,
                                const std::string& path = std::string()) {
        HistoryChangeOptions options(policy);
        options.fileLayer = layer;
        options.lockWait = 200ms;
        return changeHistoryFile(
            path.empty() ? file_ : path,
            [](CaseHistory& h, bool) {
                h.fileCase("Neu", "", kEntries, "02.01.2026 10:00");
                return true;
            },
            options);
    }

    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_)) {
            // The backup copies' folder is meant to be there.
            if (e.path().filename() != HistoryBackup::kFolderName) {
                names.push_back(e.path().filename().string());
            }
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test_support::TempFolder temp_{"tessalyn-faults"};
    std::filesystem::path dir_;
    std::string file_;
};

constexpr BrokenHistoryPolicy kBothPolicies[] = {BrokenHistoryPolicy::Refuse,
                                                 BrokenHistoryPolicy::KeepCopyAndRewrite};

} // namespace

TEST_F(HistoryFaultTest, AnUnreadableHistoryIsNeitherEmptyNorWrittenOver) {
    const std::string before = existing();
    FaultLayer layer;
    layer.failRead = true;

    CaseHistory loaded;
    loaded.setFileLayer(layer);
    loaded.load(file_);
    EXPECT_EQ(loaded.loadStatus(), HistoryLoadStatus::ReadError);
    EXPECT_EQ(loaded.readError(), "Ein-/Ausgabefehler des Datentr\xE4gers");
    EXPECT_EQ(loaded.caseCount(), 0u);

    for (const BrokenHistoryPolicy policy : kBothPolicies) {
        const HistoryChangeResult r = fileNew(policy, &layer);
        EXPECT_EQ(r.status, HistoryChangeStatus::Unreadable);
        EXPECT_EQ(readBytes(file_), before);
        EXPECT_EQ(historyChangeFailureText(r, "/p/historie.xml", "Der Fall wurde nicht abgelegt."),
                  "Die Fallhistorie /p/historie.xml konnte nicht gelesen werden: "
                  "Ein-/Ausgabefehler des Datentr\xE4gers. Sie bleibt unver\xE4ndert.\n\n"
                  "Der Fall wurde nicht abgelegt.");
    }
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"historie.xml"});
}

TEST_F(HistoryFaultTest, FoldersInThePlaceOfTheHistoryOrItsLockAreReported) {
    std::filesystem::create_directory(file_);
    CaseHistory loaded(file_);
    EXPECT_EQ(loaded.loadStatus(), HistoryLoadStatus::ReadError);
    EXPECT_EQ(loaded.readError(), "ist ein Ordner, keine Datei");
    for (const BrokenHistoryPolicy policy : kBothPolicies) {
        const HistoryChangeResult r = fileNew(policy);
        EXPECT_EQ(r.status, HistoryChangeStatus::Unreadable);
        EXPECT_NE(r.error.find("Ordner"), std::string::npos) << r.error;
        EXPECT_TRUE(std::filesystem::is_empty(file_));
    }
    std::filesystem::remove(file_);

    const std::string before = existing();
    std::filesystem::create_directory(file_ + ".lock");
    for (const BrokenHistoryPolicy policy : kBothPolicies) {
        const HistoryChangeResult r = fileNew(policy);
        EXPECT_EQ(r.status, HistoryChangeStatus::LockFailed);
        EXPECT_NE(r.error.find(file_ + ".lock"), std::string::npos) << r.error;
        EXPECT_NE(r.error.find("Ordner"), std::string::npos) << r.error;
    }
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_TRUE(std::filesystem::is_directory(file_ + ".lock"));
}

TEST_F(HistoryFaultTest, TheSyntaxErrorPolicyIsTheCallersChoice) {
    const std::string broken = "<Fallhistorie AnzahlFaelle=\"2\">\r\n"
                               "\t<Fall Name=\"A\" AnzahlBehandlungen=\"0\">\r\n"
                               "\t</Fall>\r\n"
                               "\t<Fall Name=B";
    writeBytes(file_, broken);
    CollectingHistoryReporter reporter;
    HistoryChangeOptions options(BrokenHistoryPolicy::Refuse);
    options.reporter = &reporter;
    const HistoryChangeResult refused = changeHistoryFile(
        file_,
        [](CaseHistory&, bool) {
            ADD_FAILURE() << "no change on a refused file";
            return true;
        },
        options);
    EXPECT_EQ(refused.status, HistoryChangeStatus::Broken);
    EXPECT_EQ(reporter.messages().size(), 1u);
    EXPECT_EQ(readBytes(file_), broken);
    EXPECT_FALSE(std::filesystem::exists(file_ + ".defekt"));

    const HistoryChangeResult kept = fileNew(BrokenHistoryPolicy::KeepCopyAndRewrite);
    EXPECT_TRUE(kept.saved());
    EXPECT_EQ(readBytes(file_ + ".defekt"), broken);
    EXPECT_EQ(CaseHistory(file_).caseCount(), 2u);
}

TEST_F(HistoryFaultTest, AFullDiskNamesTheFileTheReasonAndTheConsequence) {
    const std::string before = existing();
    FaultLayer layer;
    layer.fullDisk = true;
    const HistoryChangeResult r = fileNew(BrokenHistoryPolicy::Refuse, &layer);
    EXPECT_EQ(r.status, HistoryChangeStatus::SaveFailed);
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"historie.xml"});
    const std::string text = historyChangeFailureText(r, file_, "Der Fall wurde nicht abgelegt.");
    EXPECT_EQ(text.rfind("Die Fallhistorie konnte nicht gespeichert werden: " + file_ +
                             "\n\n"
                             "Schreiben von " +
                             file_ + ".tmp-",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find(": kein Platz mehr auf dem Datentr\xE4ger.\n\n"
                        "Der Fall wurde nicht abgelegt."),
              std::string::npos)
        << text;
    // On one line, for the command line.
    const std::string line =
        historyChangeFailureText(r, "h.xml", "Der Fall wurde nicht abgelegt.", " ");
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(
        line.rfind("Die Fallhistorie konnte nicht gespeichert werden: h.xml. Schreiben von ", 0),
        0u)
        << line;
}

TEST_F(HistoryFaultTest, RightsArePrivateWhateverTheMaskAndAnExistingFileKeepsItsOwn) {
    const mode_t mask = ::umask(0);
    FaultLayer layer;
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse, &layer).saved());
    EXPECT_EQ(modeOf(file_), 0600u);
    ::chmod(file_.c_str(), 0640);
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse, &layer).saved());
    EXPECT_EQ(modeOf(file_), 0640u);
    // A copy of a broken file is new: private too.
    writeBytes(file_, "<Fallhistorie");
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::KeepCopyAndRewrite, &layer).saved());
    EXPECT_EQ(modeOf(file_ + ".defekt"), 0600u);
    ::umask(mask);
    ASSERT_FALSE(layer.temporaryModes.empty());
    for (const unsigned mode : layer.temporaryModes) {
        EXPECT_EQ(mode, 0600u);
    }
}

TEST_F(HistoryFaultTest, AWriteProtectedHistoryIsNotReplaced) {
    const std::string before = existing();
    ::chmod(file_.c_str(), 0444);
    const HistoryChangeResult r = fileNew(BrokenHistoryPolicy::Refuse);
    EXPECT_EQ(r.status, HistoryChangeStatus::SaveFailed);
    EXPECT_NE(r.error.find("schreibgesch\xFCtzt"), std::string::npos) << r.error;
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_EQ(modeOf(file_), 0444u);
}

TEST_F(HistoryFaultTest, ADanglingLinkGetsItsTargetAndStays) {
    std::filesystem::create_directory(dir_ / "ziel");
    const std::string target = (dir_ / "ziel" / "echt.xml").string();
    std::filesystem::create_symlink("ziel/echt.xml", file_);
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse).saved());
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(CaseHistory(target).caseCount(), 1u);
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse).saved());
    EXPECT_TRUE(std::filesystem::is_symlink(file_));
    EXPECT_EQ(CaseHistory(target).cases()[0]->treatments.size(), 2u);
}

TEST_F(HistoryFaultTest, ANameAtTheLengthLimitStillSaves) {
    const long limit = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
    ASSERT_GT(limit, 40);
    const std::string longName =
        (dir_ / (std::string(static_cast<std::size_t>(limit) - 4, 'h') + ".xml")).string();
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse, nullptr, longName).saved());
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse, nullptr, longName).saved());
    EXPECT_EQ(CaseHistory(longName).cases()[0]->treatments.size(), 2u);
    // Its lock, named by the shortened name, is shared by every program.
    HistoryFileLock first(longName);
    HistoryFileLock second(longName);
    ASSERT_TRUE(first.tryLock());
    EXPECT_FALSE(second.tryLock());
    EXPECT_LE(std::filesystem::path(first.lockPath()).filename().string().size(),
              static_cast<std::size_t>(limit));
}

TEST_F(HistoryFaultTest, TemporaryFilesOfEndedSavesAreRemovedByTheNextSave) {
    existing();
    const pid_t ended = fork();
    if (ended == 0) {
        _exit(0);
    }
    waitpid(ended, nullptr, 0);
    const std::string left = file_ + ".tmp-" + std::to_string(ended) + "-3";
    const std::string running = file_ + ".tmp-" + std::to_string(getppid()) + "-1";
    const std::string unrelated = (dir_ / "andere.xml.tmp-1-1").string();
    // Names a save never makes belong to someone else, even when they start
    // with the number of an ended process: a process id past the system's
    // range (read as the ended one when cut to 32 bits), a leading zero, a
    // second dash, no counter.
    const std::string id = std::to_string(ended);
    const std::vector<std::string> foreign = {
        file_ + ".tmp-" + std::to_string((std::int64_t{1} << 32) + ended) + "-1",
        file_ + ".tmp-0" + id + "-1", file_ + ".tmp-" + id + "-3-1", file_ + ".tmp-" + id + "--1",
        file_ + ".tmp-" + id + "-"};
    for (const std::string& f : {left, running, unrelated}) {
        writeBytes(f, "halb");
    }
    for (const std::string& f : foreign) {
        writeBytes(f, "fremd");
    }
    EXPECT_TRUE(fileNew(BrokenHistoryPolicy::Refuse).saved());
    EXPECT_FALSE(std::filesystem::exists(left));
    EXPECT_TRUE(std::filesystem::exists(running));
    EXPECT_TRUE(std::filesystem::exists(unrelated));
    for (const std::string& f : foreign) {
        EXPECT_TRUE(std::filesystem::exists(f)) << f;
    }
}

TEST_F(HistoryFaultTest, WritingInPlaceWritesTheOldContentBackWhenItFails) {
    const std::string before = existing();
    CaseHistory history;
    history.setFileName(file_);
    history.fileCase("Neu", "", kEntries, "02.01.2026 10:00");
    const std::string after = history.fileBytes();

    HistoryFileLock lock(file_);
    ASSERT_TRUE(lock.tryLock());
    ASSERT_TRUE(lock.historyWritable());
    FaultLayer layer;
    layer.failingWritesInPlace = 1;
    std::string error;
    EXPECT_FALSE(rewriteInPlace(layer, lock.historyHandle(), file_, before, after, &error));
    EXPECT_EQ(readBytes(file_), before);
    EXPECT_NE(error.find(file_), std::string::npos) << error;
    EXPECT_NE(error.find("alte Inhalt wurde zur\xFC"
                         "ckgeschrieben"),
              std::string::npos)
        << error;

    layer.failingWritesInPlace = 2;
    EXPECT_FALSE(rewriteInPlace(layer, lock.historyHandle(), file_, before, after, &error));
    EXPECT_NE(error.find("nicht zur\xFC"
                         "ckschreiben"),
              std::string::npos)
        << error;

    EXPECT_TRUE(rewriteInPlace(layer, lock.historyHandle(), file_, before, after, &error));
    EXPECT_EQ(readBytes(file_), after);
    EXPECT_TRUE(rewriteInPlace(layer, lock.historyHandle(), file_, after, before, &error));
    EXPECT_EQ(readBytes(file_), before);
}
