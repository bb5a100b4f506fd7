// Copies of the history file kept before each rewrite: where they go, their
// names and rights, how many stay, and that a copy that cannot be made never
// stops the rewrite and is told only once.
#include "history/HistoryBackup.h"
#include "history/HistoryTransaction.h"
#include "support/FileBytes.h"
#include "support/SeamGuard.h"
#include "support/SmallFileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tessalyn;
using tessalyn::test_support::readBytes;
using tessalyn::test_support::writeBytes;
namespace fs = std::filesystem;

namespace {

std::tm at(int day, int hour, int minute, int second, int year = 2026) {
    std::tm t{};
    t.tm_year = year - 1900;
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

    std::string file(const std::string& name) const { return (dir_ / name).string(); }

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
    EXPECT_EQ(result.path, folder_ + "/historie.xml-000001-2026-12-07-104400.xml");
    EXPECT_EQ(readBytes(result.path), "<Fallhistorie/>\r\n");
    EXPECT_EQ(modeOf(folder_), 0700u);
    EXPECT_EQ(modeOf(result.path), 0600u);

    // Within the same second: a second copy, listed after the first.
    const HistoryBackupResult again = backup.keep(file_, "zwei");
    ASSERT_TRUE(again.ok);
    EXPECT_EQ(namesOf(HistoryBackup::copiesOf(file_)),
              (std::vector<std::string>{"historie.xml-000001-2026-12-07-104400.xml",
                                        "historie.xml-000002-2026-12-07-104400.xml"}));
    EXPECT_EQ(readBytes(again.path), "zwei");
}

TEST(HistoryBackupName, OnlyTheCopiesOfTheNamedHistoryAreRead) {
    struct Row {
        const char* name;
        const char* history;
        std::uint64_t sequence; // 0: not a copy of that history
    };
    const Row rows[] = {
        {"historie.xml-000012-2026-12-07-104400.xml", "historie.xml", 12},
        {"historie.xml-1234567-2026-12-07-104400.xml", "historie.xml", 1234567},
        {"historie.xml-999999999999-2026-12-07-104400.xml", "historie.xml", 999999999999},
        // One history's name starting with another's.
        {"historie.xml-1-000001-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml-1-000001-2026-12-07-104400.xml", "historie.xml-1", 1},
        {"historie.xml-000001-2026-12-07-104400.xml", "historie.xml-1", 0},
        {"historie.xml-000001-2026-12-07-104400.xml-000002-2026-12-07-104400.xml", "historie.xml",
         0},
        {"historie.xml-000001-2026-12-07-104400.xml-000002-2026-12-07-104400.xml",
         "historie.xml-000001-2026-12-07-104400.xml", 2},
        {"historie.bak-000001-2026-12-07-104400.xml", "historie.xml", 0},
        // The dated copies of earlier versions, and the user's own files.
        {"historie-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie-2026-12-07-104400-2.xml", "historie", 0},
        {"historie.xml-00012-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml-0000000000012-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml-000000-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml-+00012-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml- 00012-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml-000012-2026-12-07-10440.xml", "historie.xml", 0},
        {"historie.xml-000012-2026-12-07-1044x0.xml", "historie.xml", 0},
        {"historie.xml-000012-2026-12-07_104400.xml", "historie.xml", 0},
        {"historie.xml-000012-2026-12-07-104400.XML", "historie.xml", 0},
        {"historie.xml-000012-2026-12-07-104400.xml~", "historie.xml", 0},
        {"historie.xml_000012-2026-12-07-104400.xml", "historie.xml", 0},
        {"historie.xml-", "historie.xml", 0},
        {"-000012-2026-12-07-104400.xml", "", 0},
        {"", "", 0},
    };
    for (const Row& row : rows) {
        const std::optional<HistoryBackupName> parsed =
            parseHistoryBackupName(row.name, row.history);
        EXPECT_EQ(parsed.has_value(), row.sequence != 0) << row.name << " / " << row.history;
        if (parsed && row.sequence != 0) {
            EXPECT_EQ(*parsed, (HistoryBackupName{row.sequence, "2026-12-07-104400"})) << row.name;
        }
    }
    // What the program names it reads back.
    for (const std::uint64_t sequence : {1ULL, 999999ULL, 1000000ULL}) {
        const std::string name =
            HistoryBackup::copyName("/p/historie.xml-1", at(7, 10, 44, 0), sequence);
        EXPECT_EQ(parseHistoryBackupName(name, "historie.xml-1"),
                  (HistoryBackupName{sequence, "2026-12-07-104400"}))
            << name;
    }
}

TEST_F(HistoryBackupTest, TheTwentyLastMadeStayWhateverTheirDatesAndOnlyTheProgramsCopiesGo) {
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::all); // made by hand, too open
    // Files the program did not make, some with names like its copies.
    const std::vector<std::string> foreign = {
        "notiz.txt",
        "historie-2001-01-01-000000.xml",
        "historie-kaputt.xml",
        "historie.xml-000001-2001-01-01-000000.xml", // a symbolic link
        "historie.xml-000002-2001-01-01-000000.xml", // a folder
        "historie.xml-000003-2001-01-01-000000.xml", // another user's file
    };
    writeBytes(folder_ + "/" + foreign[0], "n");
    writeBytes(folder_ + "/" + foreign[1], "eigene Kopie");
    writeBytes(folder_ + "/" + foreign[2], "k");
    fs::create_symlink(folder_ + "/notiz.txt", folder_ + "/" + foreign[3]);
    fs::create_directory(folder_ + "/" + foreign[4]);
    writeBytes(folder_ + "/" + foreign[5], "fremd");
    const bool otherOwner = ::chown((folder_ + "/" + foreign[5]).c_str(), 65534, 65534) == 0;

    // Histories whose names share the stem, or start with the whole name.
    const std::vector<std::pair<std::string, int>> siblings = {
        {"historie.bak", 5}, {"historie.xml-1", 3}, {"historie", 2}};
    for (const auto& [name, count] : siblings) {
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(HistoryBackup([] { return at(7, 9, 0, 0); }).keep(file(name), name).ok);
        }
    }

    // A clock that once ran years ahead, all within one second; then the
    // right time again, earlier by the names' dates.
    std::vector<std::string> made;
    for (int i = 0; i < 23; ++i) {
        const std::tm time = i < 20 ? at(7, 10, 44, 0, 2031) : at(7, 10, 44, 0);
        const std::string bytes = "Stand " + std::to_string(i);
        const HistoryBackupResult r = HistoryBackup([&] { return time; }).keep(file_, bytes);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_TRUE(fs::exists(r.path)) << "copy " << i << " gone at once";
        made.push_back(bytes);
    }

    std::vector<std::string> kept;
    std::vector<std::string> names;
    for (const std::string& path : HistoryBackup::copiesOf(file_)) {
        if (fs::is_regular_file(fs::symlink_status(path)) && readBytes(path) != "fremd") {
            kept.push_back(readBytes(path));
            names.push_back(fs::path(path).filename().string());
        }
    }
    EXPECT_EQ(kept, std::vector<std::string>(made.end() - HistoryBackup::kKept, made.end()));
    // Plain byte order, as a listing of the folder shows them, is the order made.
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));

    for (const std::string& name : foreign) {
        EXPECT_TRUE(fs::exists(fs::symlink_status(folder_ + "/" + name))) << name;
    }
    EXPECT_EQ(readBytes(folder_ + "/" + foreign[1]), "eigene Kopie");
    if (otherOwner) {
        EXPECT_EQ(readBytes(folder_ + "/" + foreign[5]), "fremd");
    }
    for (const auto& [name, count] : siblings) {
        std::vector<std::string> own;
        for (const std::string& path : HistoryBackup::copiesOf(file(name))) {
            own.push_back(readBytes(path));
        }
        EXPECT_EQ(own, std::vector<std::string>(static_cast<std::size_t>(count), name)) << name;
    }
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

TEST_F(HistoryBackupTest, TheOldFileIsTheCopyWhereItTakesNoRoomAndNobodyElseReachesIt) {
    struct Row {
        const char* what;
        mode_t mode;        // of the history
        bool foreignFile;   // the history belongs to another user
        bool foreignFolder; // "Sicherungen" belongs to another user, open to all
        bool linked;
    };
    const Row rows[] = {
        {"own file", 0600, false, false, true},
        {"group rights, private folder", 0640, false, false, true},
        {"group rights, open folder", 0640, false, true, false},
        {"another user's file", 0600, true, false, false},
    };
    int n = 0;
    for (const Row& row : rows) {
        if ((row.foreignFile || row.foreignFolder) && ::geteuid() != 0) {
            continue; // only the administrator can give files away
        }
        const std::string history = file("h" + std::to_string(++n) + "/historie.xml");
        const std::string folder = HistoryBackup::folderOf(history);
        fs::create_directories(folder);
        writeBytes(history, "alt");
        ::chmod(history.c_str(), row.mode);
        if (row.foreignFile) {
            ASSERT_EQ(::chown(history.c_str(), 65534, 65534), 0);
        }
        if (row.foreignFolder) {
            ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
            ::chmod(folder.c_str(), 0777);
        }
        const int handle = ::open(history.c_str(), O_RDONLY | O_CLOEXEC);
        const HistoryBackupResult r = HistoryBackup().keep(history, "alt", handle);
        struct stat copy {};
        struct stat held {};
        ::stat(r.path.c_str(), &copy);
        ::fstat(handle, &held);
        ::close(handle);
        ASSERT_TRUE(r.ok) << row.what << ": " << r.error;
        EXPECT_EQ(r.linked, row.linked) << row.what;
        EXPECT_EQ(copy.st_ino == held.st_ino, row.linked) << row.what;
        EXPECT_EQ(copy.st_mode & 07777, row.linked ? row.mode : 0600) << row.what;
        EXPECT_EQ(copy.st_uid, row.linked ? held.st_uid : ::geteuid()) << row.what;
        EXPECT_EQ(readBytes(r.path), "alt") << row.what;
    }
}

TEST_F(HistoryBackupTest, AWrittenCopyLeavesTheRoomTheRewriteNeeds) {
    const std::string mountPoint = file("klein");
    fs::create_directories(mountPoint);
    test_support::SmallFileSystem small(mountPoint, 256 * 1024);
    ASSERT_TRUE(small.mounted()) << small.error();
    const std::string history = mountPoint + "/historie.xml";
    const std::string old(40 * 1024, 'x');
    writeBytes(history, old);
    const std::uint64_t newSize = old.size() + 100;
    small.leaveFree(old.size() * 3 / 2);
    const std::uint64_t before = small.freeBytes();

    // Where the old file cannot serve, the rewrite keeps its room and the
    // copy gives way; the reason says so in German.
    const HistoryBackupResult refused = HistoryBackup().keep(history, old, -1, newSize);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.error.find("reicht der Platz auf dem Datentr\xE4ger nicht"),
              std::string::npos)
        << refused.error;
    EXPECT_NE(refused.error.find(HistoryBackup::folderOf(history)), std::string::npos);
    EXPECT_TRUE(HistoryBackup::copiesOf(history).empty());
    EXPECT_EQ(small.freeBytes(), before);

    // The old file itself takes no room.
    const int handle = ::open(history.c_str(), O_RDONLY | O_CLOEXEC);
    const HistoryBackupResult linked = HistoryBackup().keep(history, old, handle, newSize);
    ::close(handle);
    ASSERT_TRUE(linked.ok) << linked.error;
    EXPECT_TRUE(linked.linked);
    EXPECT_EQ(small.freeBytes(), before);

    // A rewrite that needs little leaves room for a written copy.
    const HistoryBackupResult written = HistoryBackup().keep(history, old, -1, 100);
    ASSERT_TRUE(written.ok) << written.error;
    EXPECT_FALSE(written.linked);
    EXPECT_EQ(readBytes(written.path), old);
    EXPECT_EQ(HistoryBackup::copiesOf(history).size(), 2u);
}
