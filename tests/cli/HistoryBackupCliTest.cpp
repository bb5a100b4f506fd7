// The copies `tessalyn-cli history add` keeps in "Sicherungen", as whole
// processes on real files: a time zone that moves keeps them, and a device
// with little room left never loses the save to the copy.
#include "history/CaseHistory.h"
#include "history/HistoryBackup.h"
#include "support/CliProcess.h"
#include "support/HistoryFixtures.h"
#include "support/SmallFileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessalyn;
using namespace tessalyn::test_support;

namespace {

// Sets the time zone the processes started meanwhile get.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) {
            previous_ = old;
        }
        ::setenv("TZ", zone, 1);
    }
    ~TimeZone() {
        if (previous_) {
            ::setenv("TZ", previous_->c_str(), 1);
        } else {
            ::unsetenv("TZ");
        }
    }

private:
    std::optional<std::string> previous_;
};

ino_t inodeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
}

class HistoryBackupCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = freshUserTestFolder("tessalyn-backup-cli");
        std::filesystem::create_directories(dir_ + "/p");
        giveToUser(dir_ + "/p");
        file_ = dir_ + "/p/historie.xml";
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    CliRun add(const std::string& name) {
        return runCliProcess(
            {"history", "add", file_, "--date", "01.02.2026 10:00", name, "", "12"},
            {true, -1, dir_ + "/out.txt"});
    }

    std::string dir_;
    std::string file_;
};

} // namespace

TEST_F(HistoryBackupCli, CopiesMadeAfterTheTimeZoneMovedWestStay) {
    std::size_t adds = 0;
    const auto addIn = [&](const char* zone, int count) {
        const TimeZone tz(zone);
        for (int i = 0; i < count; ++i) {
            const CliRun run = add("Fall " + std::to_string(++adds));
            ASSERT_EQ(run.rc, 0) << run.output;
            EXPECT_EQ(run.output, "");
        }
    };
    // Twenty-one saves at UTC+14, then two at UTC-12: the dates in the new
    // copies' names lie a day before those of the older ones.
    addIn("OST-14", HistoryBackup::kKept + 1);
    addIn("WST+12", 2);

    // The copy an add keeps holds the cases filed before it; the newest
    // twenty stay, oldest first.
    std::vector<std::size_t> kept;
    for (const std::string& path : HistoryBackup::copiesOf(file_)) {
        kept.push_back(CaseHistory(path).caseCount());
    }
    std::vector<std::size_t> expected;
    for (std::size_t n = adds - HistoryBackup::kKept; n < adds; ++n) {
        expected.push_back(n);
    }
    EXPECT_EQ(kept, expected);
}

TEST_F(HistoryBackupCli, LittleRoomLeftCostsTheCopyNeverTheSave) {
    const std::string mountPoint = dir_ + "/p";
    SmallFileSystem small(mountPoint, 512 * 1024, userId(), groupId());
    ASSERT_TRUE(small.mounted()) << small.error();
    // A history of about 40 KiB.
    CaseHistory history;
    for (int i = 0; history.fileBytes().size() < 40 * 1024; ++i) {
        history.fileCase("Patientin " + std::to_string(i), std::string(200, 'k'),
                         filingEntries({{12, 0}, {34, 2}}), "01.02.2026 10:00");
    }
    ASSERT_TRUE(history.saveAs(file_));
    giveToUser(file_);

    // Free room between once and twice the history's size: the old file
    // itself becomes the copy, which takes no room.
    for (const double times : {1.1, 1.5, 1.9}) {
        const std::string old = readBytes(file_);
        const ino_t oldFile = inodeOf(file_);
        small.leaveFree(static_cast<std::uint64_t>(times * static_cast<double>(old.size())));
        const CliRun run = add("Neu " + std::to_string(times));
        ASSERT_EQ(run.rc, 0) << times << ": " << run.output;
        EXPECT_EQ(run.output, "") << times;
        const std::vector<std::string> copies = HistoryBackup::copiesOf(file_);
        ASSERT_FALSE(copies.empty()) << times;
        EXPECT_EQ(inodeOf(copies.back()), oldFile) << times;
        EXPECT_EQ(readBytes(copies.back()), old) << times;
        EXPECT_EQ(CaseHistory(file_).caseCount(), history.caseCount() + 1) << times;
        history = CaseHistory(file_);
    }

    // Too little room for the save itself: it fails, and leaves no copy that
    // is the history itself.
    const std::string old = readBytes(file_);
    const std::size_t copies = HistoryBackup::copiesOf(file_).size();
    small.leaveFree(old.size() / 2);
    const CliRun run = add("Zu viel");
    EXPECT_NE(run.rc, 0);
    EXPECT_EQ(readBytes(file_), old);
    EXPECT_EQ(HistoryBackup::copiesOf(file_).size(), copies);
}

TEST_F(HistoryBackupCli, ACopyWrittenBeforeAnInPlaceRewriteGivesWayAndTheUserIsToldInGerman) {
    // The folder takes no new files from the user: the history is rewritten
    // in place, and its copy has to be written.
    const std::string mountPoint = dir_ + "/p";
    SmallFileSystem small(mountPoint, 256 * 1024, 0, 0);
    ASSERT_TRUE(small.mounted()) << small.error();
    const std::string folder = HistoryBackup::folderOf(file_);
    std::filesystem::create_directory(folder);
    ::chmod(folder.c_str(), 0700);
    giveToUser(folder);
    CaseHistory history;
    history.fileCase("Alt", std::string(40 * 1024, 'k'), filingEntries({{12, 0}}),
                     "01.02.2026 10:00");
    ASSERT_TRUE(history.saveAs(file_));
    giveToUser(file_);
    small.leaveFree(history.fileBytes().size() / 2);

    const CliRun run = add("Neu");
    EXPECT_EQ(run.rc, 0) << run.output;
    EXPECT_NE(run.output.find("Warnung: keine Sicherungskopie der Fallhistorie angelegt (" +
                              folder +
                              ": für eine Kopie und die Änderung zugleich reicht der Platz "
                              "auf dem Datenträger nicht); die Änderung ist trotzdem gespeichert"),
              std::string::npos)
        << run.output;
    EXPECT_EQ(CaseHistory(file_).caseCount(), 2u);
    EXPECT_TRUE(HistoryBackup::copiesOf(file_).empty());
}
