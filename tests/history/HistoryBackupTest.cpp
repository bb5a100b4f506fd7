// Copies of the history file kept before each rewrite: where they go, their
// names and rights, how many stay, and that a copy that cannot be made never
// stops the rewrite and is told only once.
#include "history/HistoryBackup.h"
#include "history/HistoryTransaction.h"
#include "support/FileBytes.h"
#include "support/SeamGuard.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

using namespace tessalyn;
using tessalyn::test_support::readBytes;
using tessalyn::test_support::writeBytes;
namespace fs = std::filesystem;

namespace {

std::tm at(int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

mode_t modeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

std::vector<std::string> namesOf(const std::vector<std::string>& paths) {
    std::vector<std::string> names;
    for (const std::string& p : paths) {
        names.push_back(fs::path(p).filename().string());
    }
    return names;
}

class HistoryBackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        file_ = (dir_ / "historie.xml").string();
        folder_ = (dir_ / "Sicherungen").string();
        resetHistoryBackupFailure();
    }
    void TearDown() override { resetHistoryBackupFailure(); }

    test_support::TempFolder temp_{"tessalyn-backup"};
    fs::path dir_;
    std::string file_;
    std::string folder_;
};

} // namespace

TEST_F(HistoryBackupTest, ACopyNamedByTheLocalTimeGoesIntoSicherungenForItsOwnerOnly) {
    const HistoryBackup backup([] { return at(7, 10, 44, 0); });
    const HistoryBackupResult result = backup.keep(file_, "<Fallhistorie/>\r\n");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.path, folder_ + "/historie-2026-12-07-104400.xml");
    EXPECT_EQ(readBytes(result.path), "<Fallhistorie/>\r\n");
    EXPECT_EQ(modeOf(folder_), 0700u);
    EXPECT_EQ(modeOf(result.path), 0600u);

    // Within the same second: a second copy, listed after the first.
    const HistoryBackupResult again = backup.keep(file_, "zwei");
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(namesOf(HistoryBackup::copiesOf(file_)),
              (std::vector<std::string>{"historie-2026-12-07-104400.xml",
                                        "historie-2026-12-07-104400-2.xml"}));
    EXPECT_EQ(readBytes(again.path), "zwei");
}

TEST_F(HistoryBackupTest, TheTwentyNewestStayAndOtherFilesAreNeverTouched) {
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::all); // made by hand, too open
    writeBytes(folder_ + "/notiz.txt", "n");
    writeBytes(folder_ + "/andere-2026-01-01-000000.xml", "a");
    writeBytes(folder_ + "/historie-kaputt.xml", "k");
    int minute = 0;
    for (int i = 0; i < 25; ++i) {
        // Out of order on purpose: the names decide, not the order of making.
        minute = (minute + 7) % 25;
        const HistoryBackupResult r =
            HistoryBackup([&] { return at(7, 9, minute, 0); }).keep(file_, "x");
        ASSERT_TRUE(r.ok) << r.error;
    }
    const std::vector<std::string> names = namesOf(HistoryBackup::copiesOf(file_));
    ASSERT_EQ(names.size(), static_cast<std::size_t>(HistoryBackup::kKept));
    EXPECT_EQ(names.front(), "historie-2026-12-07-090500.xml");
    EXPECT_EQ(names.back(), "historie-2026-12-07-092400.xml");
    EXPECT_TRUE(fs::exists(folder_ + "/notiz.txt"));
    EXPECT_TRUE(fs::exists(folder_ + "/andere-2026-01-01-000000.xml"));
    EXPECT_TRUE(fs::exists(folder_ + "/historie-kaputt.xml"));
    EXPECT_EQ(modeOf(folder_), 0700u);
}

TEST_F(HistoryBackupTest, ACopyThatCannotBeMadeNeverStopsTheRewriteAndIsToldOnce) {
    // A file where the folder should be: no copy can be made.
    writeBytes(folder_, "im Weg");
    const test_support::SeamGuard clock(setHistoryBackupClock,
                                        HistoryBackup::Clock([] { return at(7, 11, 0, 0); }));
    CaseHistory history;
    history.setFileName(file_);
    HistoryFileStamp stamp = historyFileStamp(file_);
    const std::vector<FilingEntry> entries = {{{12, 0}, false}};
    const HistoryChangeOptions options(BrokenHistoryPolicy::Refuse);
    for (const char* name : {"Erster", "Zweiter", "Dritter"}) {
        const HistoryChangeResult result = changeHistoryFile(
            history, stamp,
            [&](CaseHistory& h, bool) {
                h.fileCase(name, "", entries, "07.12.2026 11:00");
                return true;
            },
            options);
        ASSERT_TRUE(result.saved()) << result.error;
    }
    EXPECT_EQ(CaseHistory(file_).caseCount(), 3u);
    // The first rewrite had no file to copy: no folder was needed. The second
    // failed and is told, the third is not told again.
    const std::string told = takeHistoryBackupFailure();
    EXPECT_NE(told.find(folder_), std::string::npos) << told;
    EXPECT_EQ(takeHistoryBackupFailure(), "");

    // With the obstacle gone, every rewrite keeps its copy again.
    fs::remove(folder_);
    const HistoryChangeResult result = changeHistoryFile(
        history, stamp,
        [&](CaseHistory& h, bool) {
            h.fileCase("Vierter", "", entries, "07.12.2026 11:00");
            return true;
        },
        options);
    ASSERT_TRUE(result.saved());
    const std::vector<std::string> copies = HistoryBackup::copiesOf(file_);
    ASSERT_EQ(copies.size(), 1u);
    // The copy holds the file as it was before this rewrite.
    EXPECT_EQ(CaseHistory(copies.front()).caseCount(), 3u);
    EXPECT_EQ(takeHistoryBackupFailure(), "");
}
